// Builds a large JAM base for benchmarks, writing the four files directly.
#pragma once

#include <string>

// Writes basePath + ".jhr", ".jdt", ".jdx" and an empty ".jlr": `letters`
// echo letters numbered from 1, each with sender, recipient, subject, MSGID,
// PID, SEEN-BY and PATH subfields and a text of a few lines; every fifth one
// answers an earlier letter (ReplyTo and a REPLY subfield). Unread letters as
// IsUnreadLetter says.
void GenerateJamBase(const std::string& basePath, long letters, int unreadEvery);
