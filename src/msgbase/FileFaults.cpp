#include "msgbase/FileFaults.h"

#include <atomic>

namespace {

std::atomic<uint64_t> Changes{0};
std::atomic<uint64_t> ChangesEver{0};
std::atomic<uint64_t> FaultAt{0};  // 0 = disarmed
std::atomic<bool> Crashed{false};
FileFault Kind = FileFault::Fail;
uint16_t FaultCode = 112;

}  // namespace

void ArmFileFault(uint64_t nth, FileFault kind, uint16_t code)
{
    Kind = kind;
    FaultCode = code;
    Crashed = false;
    Changes = 0;
    FaultAt = nth;
}

void DisarmFileFault()
{
    FaultAt = 0;
    Changes = 0;
    Crashed = false;
}

uint64_t FileChangeCount()
{
    return Changes;
}

bool FileFaultCrashed()
{
    return Crashed;
}

uint64_t FileChangesMade()
{
    return ChangesEver.load(std::memory_order_relaxed);
}

bool FileChangeAllowed(uint16_t& code)
{
    code = 0;
    ChangesEver.fetch_add(1, std::memory_order_relaxed);
    uint64_t at = FaultAt.load(std::memory_order_relaxed);
    uint64_t count = ++Changes;
    if (at == 0)
        return true;
    if (Crashed)
        return false;
    if (count != at)
        return true;
    if (Kind == FileFault::Crash) {
        Crashed = true;
        return false;
    }
    code = FaultCode;
    return false;
}
