// Nothing is written into the bases while the tosser works on them. A tosser
// that tests whether a letter's name is free and then creates the file
// truncates a letter renamed into place between the two; others rewrite
// headers and indexes Quorvel is changing. So every write into a base first
// calls WaitForTosser: without the flag it returns at once; with it, the
// waiter the program installed waits until the flag goes (the windows show a
// dialog the user may cancel, the tool polls until its time is up).
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "core/Exceptions.h"

// "Работает эхопроцессор (есть "%s"): не могу %s" with the flag and what
// was to be done.
class ETosserBusy : public EQuorvel {
public:
    explicit ETosserBusy(const std::string& what);
};

// Waits while the tosser's flag exists. what: what is about to be done, an
// ANSI infinitive phrase such as "записать письмо". Returns true once the flag
// is gone, false when it gives up (it may also throw, e.g. ESilentAbort when
// the user cancelled).
using TosserWaiter = std::function<bool(const std::string& what)>;
// Installs the waiter (nullptr: none; every write refuses while the flag exists).
void SetTosserWaiter(TosserWaiter waiter);

// Before a write into a base: looks at the flag afresh and returns when it
// is absent, or once the waiter saw it go. ETosserBusy when the waiter gave
// up or none is installed.
void WaitForTosser(const std::string& what);

// A write is waiting for the tosser right now. Whatever runs meanwhile (the
// windows' timers) must not rescan: a reload would free the letters the
// write is about.
bool WaitingForTosser();

// The plain waiter: looks at the flag every interval until it is gone (true)
// or timeout has passed (false), sleeping in between.
bool PollUntilTosserGone(std::chrono::milliseconds timeout,
                         std::chrono::milliseconds interval = std::chrono::milliseconds(200));
