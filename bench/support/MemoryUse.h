// This process's resident memory, from /proc/self/status.
#pragma once

// Bytes resident now (VmRSS).
long ResidentBytes();
// The most bytes resident at once since start or the last reset (VmHWM).
long PeakResidentBytes();
// Starts the peak anew from what is resident now.
void ResetPeakResident();
