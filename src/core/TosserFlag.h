// The tosser's "tossing in progress" flag file, and the waits on it.
//
// Nothing is written into the bases while the tosser works on them. A tosser
// that tests whether a letter's name is free and then creates the file
// truncates a letter renamed into place between the two; others rewrite
// headers and indexes Quorvel is changing. So every write into a base first
// calls WaitFor: without the flag it returns at once; with it, the waiter the
// program installed waits until the flag goes (the windows show a dialog the
// user may cancel, the tool polls until its time is up).
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "core/Exceptions.h"

// "Работает эхопроцессор (есть "%s"): не могу %s" with the flag and what
// was to be done.
class ETosserBusy : public EQuorvel {
public:
    ETosserBusy(const std::string& flagPath, const std::string& what);
};

inline constexpr std::chrono::milliseconds TosserCheckInterval{50};

class TosserFlag {
public:
    // Waits while the flag exists. what: what is about to be done, an
    // infinitive phrase such as "записать письмо". Returns true once the flag
    // is gone, false when it gives up (it may also throw, e.g. ESilentAbort when
    // the user cancelled).
    using Waiter = std::function<bool(const std::string& what)>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    explicit TosserFlag(std::string path = {});
    TosserFlag(const TosserFlag&) = delete;
    TosserFlag& operator=(const TosserFlag&) = delete;

    // The flag's full name; empty: there is none, the tosser never runs.
    const std::string& Path() const { return FlagPath; }
    void SetPath(std::string path);

    // The flag file exists (a plain file; asked afresh on every call).
    bool Running();
    // Running for loops that ask once per letter: it looks at the flag at most
    // once per TosserCheckInterval and otherwise gives the last answer (of any
    // Running), so the usual answer costs a clock read.
    bool RunningLately();
    // Running, and whether it differs from the last time this was asked.
    bool StateChanged();
    // The flag's presence as last seen by StateChanged.
    bool WasRunning() const { return LastState; }

    // The monotonic clock RunningLately goes by; tests set their own
    // (nullptr: the real one again).
    void SetClock(Clock now);

    // Installs the waiter (nullptr: none; every write refuses while the flag exists).
    void SetWaiter(Waiter waiter);
    // Before a write into a base: looks at the flag afresh and returns when it
    // is absent, or once the waiter saw it go. ETosserBusy when the waiter gave
    // up or none is installed.
    void WaitFor(const std::string& what);
    // A write is waiting for the tosser right now. Whatever runs meanwhile (the
    // windows' timers) must not rescan: a reload would free the letters the
    // write is about.
    bool Waiting() const { return InWait; }

    // The plain waiter: looks at the flag every interval until it is gone
    // (true) or timeout has passed (false), sleeping in between.
    bool PollUntilGone(std::chrono::milliseconds timeout,
                       std::chrono::milliseconds interval = std::chrono::milliseconds(200));

private:
    std::chrono::steady_clock::time_point Now() const;

    std::string FlagPath;
    // The last look at the flag: what it said, when.
    bool LookValid = false;
    bool LookRunning = false;
    std::chrono::steady_clock::time_point LookAt{};
    bool LastState = false;
    Clock ClockNow;
    Waiter WaitHook;
    bool InWait = false;
};
