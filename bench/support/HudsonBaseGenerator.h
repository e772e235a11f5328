// Builds a large Hudson base for the benchmarks: the five files written
// directly, in lower case as Linux tossers name them.
#pragma once

#include <string>

// `letters` letters spread over boards 1..`boards` in turn (letter n, counted
// from 1, lies on board (n - 1) % boards + 1 and has number n), every tenth
// one answering the letter ten before it. Texts take up to three blocks, fewer
// in a large base: block numbers are 16-bit, so the whole base holds at most
// 65536 blocks (and at most 65534 numbered letters).
// Unread letters as IsUnreadLetter says.
// Throws std::runtime_error when a file cannot be written or the counts do
// not fit the format.
void GenerateHudsonBase(const std::string& dir, int boards, long letters, int unreadEvery);
