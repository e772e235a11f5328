#include "core/TosserWait.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "core/Startup.h"
#include "core/StringHelpers.h"

namespace {

TosserWaiter Waiter;
bool Waiting = false;

}  // namespace

ETosserBusy::ETosserBusy(const std::string& what)
    : EQuorvel(TosserFlagUnexaminable()
                   ? Format("Флажок эхопроцессора \"%s\" не проверить (считаю, что он работает): не могу %s",
                            TossingFlagFile.c_str(), what.c_str())
                   : Format("Работает эхопроцессор (есть \"%s\"): не могу %s", TossingFlagFile.c_str(),
                            what.c_str()))
{
}

void SetTosserWaiter(TosserWaiter waiter)
{
    Waiter = std::move(waiter);
}

void WaitForTosser(const std::string& what)
{
    if (!TosserRunning())
        return;
    if (!Waiter || Waiting)
        throw ETosserBusy(what);
    struct Scope {
        Scope() { Waiting = true; }
        ~Scope() { Waiting = false; }
    } scope;
    // The waiter saw the flag go; should the tosser have started again at
    // once, it waits again.
    do {
        if (!Waiter(what))
            throw ETosserBusy(what);
    } while (TosserRunning());
}

bool WaitingForTosser()
{
    return Waiting;
}

bool PollUntilTosserGone(std::chrono::milliseconds timeout, std::chrono::milliseconds interval)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (!TosserRunning())
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(interval, deadline - now));
    }
}
