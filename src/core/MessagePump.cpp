#include "core/MessagePump.h"

namespace {

std::function<void()>& Hook()
{
    static std::function<void()> hook;
    return hook;
}

}  // namespace

void SetProcessMessagesHook(std::function<void()> hook)
{
    Hook() = std::move(hook);
}

void ProcessMessages()
{
    if (Hook())
        Hook()();
}
