// Generated bases kept between runs under BenchDataDir(): a large base is
// written once and reused, and a benchmark that changes a base works on a
// copy that is put back to the original before every run.
#pragma once

#include <functional>
#include <string>

// The directory BenchDataDir()/name-vN, made by generate the first time (N
// is the generators' version). A directory whose generation did not finish
// (no "name-vN.complete" beside it) is made anew.
std::string CachedData(const std::string& name, const std::function<void(const std::string& dir)>& generate);

// Makes copy hold the same files as original, recursively: a file missing or
// differing in size or modification time is copied (keeping the original's
// time), one the original lacks is removed. Cheap when little changed.
void MirrorDirectory(const std::string& original, const std::string& copy);

// Bytes of the regular files under dir.
unsigned long long BytesUnder(const std::string& dir);
