// Letter templates: lines with "@" tokens replaced by values from the user's
// settings, the area, the answered letter and the editor's fields, and the
// answered letter's text quoted in place of the "@Position" line.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "text/TFormattedStrings.h"

// Token numbers: the values' positions, and the tags of the token menu.
enum TokenNumber : int {
    TokenQuote = -2,     // a line of exactly "@Quote" is dropped
    TokenPosition = -1,  // a line of exactly "@Position" becomes the quoted text
    TokenCAddr = 0, TokenCFName, TokenCLName, TokenCName, TokenCDate, TokenCTime, TokenCDesc, TokenCEcho,
    TokenOAddr, TokenOFName, TokenOLName, TokenOName, TokenODate, TokenOTime, TokenODesc, TokenOEcho,
    TokenDAddr, TokenDFName, TokenDLName, TokenDName,
    TokenTAddr, TokenTFName, TokenTLName, TokenTName,
};
constexpr int TokenCount = 24;
using TokenValueList = std::array<std::string, TokenCount>;

// The name of a token, -2 .. 23 ("Quote", "Position", "CAddr", ...).
const char* TokenName(int number);

// The quote prefix for a sender: the initials of the first three words of the
// name, then "> " ("> " for a name without words).
std::string QuotePrefixFor(const std::string& senderName);

// The answered letter's lines as quoted lines: plain and SEEN-BY lines behind
// the prefix, already quoted lines one level deeper, tear and origin lines
// dropped, empty lines kept empty.
std::vector<std::string> QuoteText(const TFormattedStrings& answered, const std::string& senderName);

// Expands the template lines and reflows the result to 79 characters.
TFormattedStrings ExpandTemplate(const std::vector<std::string>& templateLines, const TokenValueList& values,
                                 const TFormattedStrings& answered);

// Substitutes the tokens of one line (no line tokens here).
std::string ExpandTokens(const std::string& line, const TokenValueList& values);
