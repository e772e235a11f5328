#include "core/TosserFlag.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "core/FlagFile.h"
#include "core/StringHelpers.h"

ETosserBusy::ETosserBusy(const std::string& flagPath, const std::string& what)
    : EQuorvel(Format("Работает эхопроцессор (есть \"%s\"): не могу %s", flagPath.c_str(), what.c_str()))
{
}

TosserFlag::TosserFlag(std::string path) : FlagPath(std::move(path))
{
}

void TosserFlag::SetPath(std::string path)
{
    FlagPath = std::move(path);
    LookValid = false;
}

std::chrono::steady_clock::time_point TosserFlag::Now() const
{
    return ClockNow ? ClockNow() : std::chrono::steady_clock::now();
}

bool TosserFlag::Running()
{
    LookRunning = !FlagPath.empty() && FlagFileExists(FlagPath);
    LookAt = Now();
    LookValid = true;
    return LookRunning;
}

bool TosserFlag::RunningLately()
{
    // A clock read per letter; the flag itself only now and then.
    if (LookValid && Now() - LookAt < TosserCheckInterval)
        return LookRunning;
    return Running();
}

bool TosserFlag::StateChanged()
{
    bool running = Running();
    if (running == LastState)
        return false;
    LastState = running;
    return true;
}

void TosserFlag::SetClock(Clock now)
{
    ClockNow = std::move(now);
    LookValid = false;
}

void TosserFlag::SetWaiter(Waiter waiter)
{
    WaitHook = std::move(waiter);
}

void TosserFlag::WaitFor(const std::string& what)
{
    if (!Running())
        return;
    if (!WaitHook || InWait)
        throw ETosserBusy(FlagPath, what);
    struct Scope {
        bool& Flag;
        explicit Scope(bool& flag) : Flag(flag) { Flag = true; }
        ~Scope() { Flag = false; }
    } scope(InWait);
    // The waiter saw the flag go; should the tosser have started again at
    // once, it waits again.
    do {
        if (!WaitHook(what))
            throw ETosserBusy(FlagPath, what);
    } while (Running());
}

bool TosserFlag::PollUntilGone(std::chrono::milliseconds timeout, std::chrono::milliseconds interval)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (!Running())
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(interval, deadline - now));
    }
}
