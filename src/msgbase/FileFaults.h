// Fault injection for the tests: the file layer counts every call that
// changes a file (a write, a truncation, a creation; the formats add their
// renames and removals) and can be told to make the Nth of them fail, or to
// stop there as if the process had been killed. Tests use it to prove that a
// write broken off at any step leaves a base that the next writer and reader
// handle without losing a letter. Disarmed, it costs one comparison a call.
#pragma once

#include <cstdint>

enum class FileFault {
    Fail,   // the Nth change fails with the given code; later changes happen
    Crash,  // the Nth change and every later one are dropped, reported as
            // done: the files stay as a killed process would leave them
};

// Arms the fault for the Nth change from now (1 = the next one).
void ArmFileFault(uint64_t nth, FileFault kind, uint16_t code = 112);
// Stops injecting; counting starts again from zero.
void DisarmFileFault();
// Changes counted since the fault was last armed or disarmed.
uint64_t FileChangeCount();
// Whether a "crashed" fault has struck (the process is "dead").
bool FileFaultCrashed();
// Every file change this process has begun, counted from its start and never
// reset: bytes kept from a file read earlier are stale once it moved.
uint64_t FileChangesMade();

// Called by every file-changing call before it acts. False: the change must
// not happen, and code is what the call reports (0 after a crash, so the
// writer carries on unaware, as a killed process would never learn).
bool FileChangeAllowed(uint16_t& code);
