#include "core/Crc32.h"

#include "core/StringHelpers.h"

const std::array<uint32_t, 256>& Crc32Table()
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

uint32_t Crc32Buffer(const void* buffer, std::size_t length)
{
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i)
        crc = Crc32Update(bytes[i], crc);
    return crc;
}

uint32_t Crc32UpperName(std::string_view text)
{
    uint32_t crc = 0xFFFFFFFFu;
    std::size_t count = text.size() % 256;
    for (std::size_t i = 0; i < count; ++i)
        crc = Crc32Update(static_cast<uint8_t>(AsciiUpper(text[i])), crc);
    return crc;
}

uint32_t Crc32LowerName(std::string_view text)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (char ch : text)
        crc = Crc32Update(static_cast<uint8_t>(AsciiLower(ch)), crc);
    return crc;
}
