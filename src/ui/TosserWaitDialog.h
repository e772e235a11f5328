// How the windows wait for the tosser before a write: a small modal dialog
// says what is waiting ("Работает эхопроцессор..."), looks at the flag four
// times a second and closes by itself when the flag goes. Its Cancel button
// gives up the write quietly: the command ends and what the user had (an
// unsaved letter, an unread mark) stays as it was.
#pragma once

#include <string>

class TosserFlag;

// The waiter the program installs on its session's tosser flag (SetWaiter): true once the flag is
// gone; ESilentAbort when the user cancelled.
bool WaitForTosserInDialog(TosserFlag& flag, const std::string& what);
