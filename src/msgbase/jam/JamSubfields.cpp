#include "msgbase/jam/JamSubfields.h"

void AddJamSubfield(std::vector<uint8_t>& area, uint16_t code, std::string_view data)
{
    JamSubfieldHead head{code, 0, static_cast<uint32_t>(data.size())};
    const auto* h = reinterpret_cast<const uint8_t*>(&head);
    area.insert(area.end(), h, h + sizeof head);
    area.insert(area.end(), data.begin(), data.end());
}
