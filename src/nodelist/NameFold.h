// Names reduced to the form lookups compare: words in lower case, Cyrillic
// written in Latin letters by the usual Russian transliteration, and the
// spellings that transliteration leaves open made one ("Sergey", "Sergei"
// and "Сергей" all become "sergei"; "Alexey" and "Алексей" "aleksei").
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The words of a name (letters and digits; everything else separates them,
// apostrophes and the soft and hard signs vanish), each folded.
std::vector<std::string> FoldedWords(std::string_view text);

// Whether each query word starts a different word of the name, in any order.
bool EachWordStartsOne(const std::vector<std::string>& query, std::vector<std::string> name);
