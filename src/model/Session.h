// One run of the program (or of the tool): the user's settings, what the
// command line named, the tosser's flag and the areas. The program's main
// makes one and hands it by reference to what needs it; an area reaches it
// through its Owner, so the windows of an area and the text functions
// working on its letters need nothing else.
#pragma once

#include "core/Startup.h"
#include "core/TosserFlag.h"
#include "core/UserSettings.h"
#include "model/TAreas.h"

class Session {
public:
    Session();
    explicit Session(UserSettings settings, StartParameters start = {});
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    // Frees the areas before the rest (the windows are told while they go).
    ~Session();

    // What the command line named; the tosser flag follows the parameter.
    const StartParameters& Start() const { return Parameters; }
    void SetStart(StartParameters start);

    // The program is ending (its main loop is finishing): long loops over
    // areas and letters stop at the next item.
    void SetTerminating(bool terminating) { Terminating = terminating; }
    bool IsTerminating() const { return Terminating; }
    // The program is ending, or the tosser is working on the bases (looked
    // at as Tosser.RunningLately).
    bool StopRequested() { return Terminating || Tosser.RunningLately(); }
    // The same, looking at the flag afresh: a loop asks it before each area.
    bool StopRequestedNow() { return Terminating || Tosser.Running(); }

    UserSettings Settings;
    TosserFlag Tosser;
    TAreas Areas;

private:
    StartParameters Parameters;
    bool Terminating = false;
};
