// The yardstick of a header walk: reading the base's files whole, as cat
// does, in the same run and with the same (warm) cache.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Every regular file under dir, recursively.
std::vector<std::string> FilesUnder(const std::string& dir);

// Reads the files from start to end in 128 KiB reads (cat's size) and drops
// the bytes; returns how many were read.
std::size_t CatFiles(const std::vector<std::string>& files);
