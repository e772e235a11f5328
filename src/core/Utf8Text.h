// UTF-8 text measured, cut, walked and compared by characters, never by
// bytes. Malformed input never throws and never loses the rest of a string:
// each malformed sequence reads as one U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr char32_t ReplacementCharacter = 0xFFFD;

// The character that starts at pos; pos moves past it. A malformed sequence
// (a stray continuation byte, a sequence cut short, an overlong form, a
// surrogate, a value above U+10FFFF) gives U+FFFD and pos moves past its
// longest malformed beginning, at least one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

// Appends the UTF-8 form of cp; a value that is no character appends U+FFFD.
void AppendCodePoint(std::string& out, char32_t cp);

// The characters of a text, for range-for: for (char32_t ch : CodePoints(text)).
class CodePoints {
public:
    explicit CodePoints(std::string_view text) : Text(text) {}

    class Iterator {
    public:
        Iterator(std::string_view text, std::size_t pos) : Text(text), Pos(pos), Next(pos) { Read(); }
        char32_t operator*() const { return Current; }
        Iterator& operator++()
        {
            Pos = Next;
            Read();
            return *this;
        }
        bool operator!=(const Iterator& other) const { return Pos != other.Pos; }
        std::size_t Offset() const { return Pos; }  // byte offset of the current character

    private:
        void Read()
        {
            if (Pos < Text.size())
                Current = NextCodePoint(Text, Next);
        }
        std::string_view Text;
        std::size_t Pos;
        std::size_t Next;
        char32_t Current = 0;
    };

    Iterator begin() const { return Iterator(Text, 0); }
    Iterator end() const { return Iterator(Text, Text.size()); }

private:
    std::string_view Text;
};

// Every byte below 0x80.
bool IsAscii(std::string_view text);
bool IsValidUtf8(std::string_view text);
// Valid UTF-8 holding at least one multi-byte character: how bytes that name
// no character set show that they were written in UTF-8.
bool IsMultiByteUtf8(std::string_view bytes);
// A copy in which every malformed sequence is replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

// Number of characters.
std::size_t Utf8Length(std::string_view text);
// Byte offset at which character number `chars` (from 0) starts; the text's
// size when it has no more characters than that.
std::size_t Utf8Offset(std::string_view text, std::size_t chars);
// The first `chars` characters.
std::string_view Utf8Left(std::string_view text, std::size_t chars);
// The longest beginning of at most maxBytes bytes that does not split a
// character (for fields of a fixed size on disk).
std::string_view Utf8LeftBytes(std::string_view text, std::size_t maxBytes);

// Letter case of the Latin (ASCII, Latin-1, Latin Extended-A), Greek and
// Cyrillic letters; every other character is its own upper and lower case.
char32_t UpperCodePoint(char32_t cp);
char32_t LowerCodePoint(char32_t cp);
std::string Utf8Upper(std::string_view text);
std::string Utf8Lower(std::string_view text);

// Comparisons without regard to letter case (as the lower-case forms compare).
int Utf8CompareNoCase(std::string_view a, std::string_view b);  // -1, 0 or 1
bool Utf8StartsWithNoCase(std::string_view text, std::string_view prefix);
bool Utf8ContainsNoCase(std::string_view text, std::string_view part);

// The order in which lists of areas and letters are sorted, as the Russian
// user locale orders them: punctuation and other signs first, then digits,
// Latin letters, Cyrillic letters (Ё beside Е), whatever the letter case;
// for the same letters the small one first; then by bytes, so that only equal
// strings compare equal. Result -1, 0 or 1. (AnsiCompareStr orders
// Windows-1251 text the same way.)
int Utf8CompareStr(std::string_view a, std::string_view b);
