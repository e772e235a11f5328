#include "core/MsgIdSerial.h"

#include <chrono>
#include <cstring>
#include <unistd.h>

#include "core/StringHelpers.h"

namespace {

bool Seeded = false;
uint32_t Seed = 0;

void SeedOnce()
{
    if (Seeded)
        return;
    auto ticks = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    Seed = static_cast<uint32_t>(ticks ^ (ticks >> 32)) ^ (static_cast<uint32_t>(getpid()) * 2654435761u);
    Seeded = true;
}

}  // namespace

void SeedMsgIdGenerator(uint32_t seed)
{
    Seed = seed;
    Seeded = true;
}

uint32_t NextRandom65535()
{
    SeedOnce();
    Seed = Seed * 134775813u + 1u;
    return static_cast<uint32_t>((uint64_t(Seed) * 65535u) >> 32);
}

uint32_t NextMsgIdSerial(DateTime now)
{
    uint64_t bits = 0;
    static_assert(sizeof bits == sizeof now);
    std::memcpy(&bits, &now, sizeof bits);
    auto high = static_cast<uint32_t>(bits >> 32);
    auto low = static_cast<uint32_t>(bits);
    return NextRandom65535() + (high ^ low);
}

std::string SerialText(uint32_t serial)
{
    return Format("%08X", serial);
}
