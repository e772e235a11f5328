// The messages through which the model tells the windows what changed. They
// keep the numbers of the window messages they once were (WM_USER and up).
#pragma once

constexpr unsigned WM_USER = 0x400;
constexpr unsigned WM_AREASCHANGED = 0x400;          // areas list reloaded or re-sorted
constexpr unsigned WM_SCANSTARTED = 0x401;
constexpr unsigned WM_AREASCANNED = 0x402;           // param: the area
constexpr unsigned WM_SCANFINISHED = 0x403;
constexpr unsigned WM_LETTERSLOADING = 0x404;        // param: the area
constexpr unsigned WM_LETTERSCHANGED = 0x405;        // param: the area
constexpr unsigned WM_CURRENTAREACHANGED = 0x406;
constexpr unsigned WM_CURRENTLETTERCHANGED = 0x407;  // param: the area
constexpr unsigned WM_AREAOPENED = 0x408;            // param: the area
constexpr unsigned WM_AREACLOSED = 0x409;            // param: the area
constexpr unsigned WM_AREADESTROYED = 0x40A;         // param: the area
constexpr unsigned WM_COUNTSCHANGED = 0x40B;         // param: the area
constexpr unsigned WM_QUERYCLOSEAREA = 0x465;        // param: the area; asked with QueryForms
