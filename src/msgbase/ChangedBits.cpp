#include "msgbase/ChangedBits.h"

#include <cstdint>

void ApplyChangedBits(void* onDisk, const void* asLoaded, const void* asChanged, std::size_t size)
{
    auto* disk = static_cast<uint8_t*>(onDisk);
    const auto* loaded = static_cast<const uint8_t*>(asLoaded);
    const auto* mine = static_cast<const uint8_t*>(asChanged);
    for (std::size_t i = 0; i < size; ++i) {
        uint8_t changed = mine[i] ^ loaded[i];
        disk[i] = static_cast<uint8_t>((disk[i] & ~changed) | (mine[i] & changed));
    }
}
