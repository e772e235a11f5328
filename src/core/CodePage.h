// Code pages. In memory the program's text is ANSI (Windows-1251); the message
// bases store OEM (CP866); the outside world (terminal, file names, Qt) speaks
// UTF-8. The conversions are total: every byte has an image, characters
// without a counterpart become the nearest look-alike. Strings of any length
// are converted whole.
#pragma once

#include <string>
#include <string_view>

char AnsiToOemChar(char ch);
char OemToAnsiChar(char ch);
std::string AnsiToOemText(std::string_view text);
std::string OemToAnsiText(std::string_view text);

// Windows-1251 <-> UTF-8. Characters that Windows-1251 lacks become '?'.
std::string AnsiToUtf8(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);
