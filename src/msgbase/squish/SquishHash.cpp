#include "msgbase/squish/SquishHash.h"

#include "core/StringHelpers.h"

uint32_t SquishHash(std::string_view name)
{
    uint32_t h = 0;
    for (char ch : name) {
        h = (h << 4) + static_cast<unsigned char>(AsciiLower(ch));
        uint32_t g = h & 0xF0000000u;
        if (g != 0)
            h |= g >> 24;
    }
    return h & 0x7FFFFFFFu;
}
