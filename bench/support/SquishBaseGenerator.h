// Builds a large Squish base for benchmarks by writing its files directly.
#pragma once

#include <string>

// Writes basePath + ".sqd" and ".sqi" (lower case): `letters` echo letters
// numbered 1..letters, from 37 senders to "All", with control information,
// texts of 300 to 1500 bytes and every third letter answering the one before.
// Unread letters as IsUnreadLetter says.
void GenerateSquishBase(const std::string& basePath, long letters, int unreadEvery);
