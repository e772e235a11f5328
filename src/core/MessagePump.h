// Long loads let pending window messages run once per letter so that the
// window stays responsive. The windows install the hook; without windows it
// does nothing.
#pragma once

#include <functional>

void SetProcessMessagesHook(std::function<void()> hook);
void ProcessMessages();
