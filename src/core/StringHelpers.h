// String helpers shared by every subsystem. Strings are UTF-8; "upper case"
// here always means the ASCII letters only, so other characters pass through
// untouched (Utf8Text has the helpers that know every letter).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

char AsciiLower(char ch);
char AsciiUpper(char ch);
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);

// Appends the path separator unless the path is empty or already ends with one.
// The name is the program's own; on this platform the separator is '/'.
void AddBackslash(std::string& path);
std::string WithBackslash(std::string_view path);

// Leading/trailing spaces are removed and a decimal integer read; anything that
// is not a whole number gives 0.
int32_t StrToIntTrim(std::string_view text);
// Strict variant used by the address parser: true only for an optional sign
// followed by decimal digits (after trimming spaces), value in 32 bits.
bool TryStrToInt(std::string_view text, int32_t& value);
std::string IntToText(int64_t value);

// The n-th word (from 1) of text; words are separated by runs of blanks, tabs
// and semicolons. A word preceded directly by ';' comes back with that ';'.
std::string ExtractWord(std::string_view text, int n);

std::string PadLeft(std::string_view text, char fill, std::size_t width);
std::string PadRight(std::string_view text, char fill, std::size_t width);

std::string StripLeading(std::string_view text, char ch);
std::string StripTrailing(std::string_view text, char ch);
std::string StripBoth(std::string_view text, char ch);

// Copies at most max characters into buffer (of at least max + 1 bytes) and
// terminates it with a zero byte.
void CopyToBuffer(std::string_view text, std::size_t max, char* buffer);

// 1-based position of the last ch in text; 0 when absent.
std::size_t LastCharPos(char ch, std::string_view text);

// Removes every leading "RE:" (any letter case) together with the spaces that
// follow it; numbered forms such as "Re[2]:" are left alone.
std::string StripRePrefixes(std::string_view subject);

// printf-style formatting into a std::string.
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
