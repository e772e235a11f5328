#include "msgbase/NetmailLines.h"

#include <string>

#include "core/StringHelpers.h"
#include "msgbase/MsgBase.h"

namespace {

bool ReadWordValue(const std::string& word, uint16_t& value)
{
    int32_t number = 0;
    if (!TryStrToInt(word, number) || number < 0 || number > 0xFFFF)
        return false;
    value = static_cast<uint16_t>(number);
    return true;
}

// The zone of an address text "zone:net/node".
bool ZoneOfAddress(const std::string& word, uint16_t& zone)
{
    std::size_t colon = word.find(':');
    return colon != std::string::npos && ReadWordValue(word.substr(0, colon), zone);
}

}  // namespace

void ApplyNetmailLine(std::string_view line, FidoAddress& orig, FidoAddress& dest)
{
    if (!line.empty() && line.front() == '\n')
        line.remove_prefix(1);
    // Only control lines count: a body line may well begin with "Intl".
    if (line.empty() || line.front() != KludgeMark)
        return;
    line.remove_prefix(1);
    const std::string keyword = UpperAscii(ExtractWord(line, 1));
    uint16_t value = 0;
    if (keyword == "INTL") {
        if (ZoneOfAddress(ExtractWord(line, 2), value))
            dest.Zone = value;
        if (ZoneOfAddress(ExtractWord(line, 3), value))
            orig.Zone = value;
    } else if (keyword == "TOPT") {
        if (ReadWordValue(ExtractWord(line, 2), value))
            dest.Point = value;
    } else if (keyword == "FMPT") {
        if (ReadWordValue(ExtractWord(line, 2), value))
            orig.Point = value;
    }
}
