// Builds large *.MSG directories for the benchmarks, writing the letter files
// directly (no message base object, no flushes).
#pragma once

#include <string>

// Writes letters 1..letters as "N.msg" into dir (created when missing): a
// 190-byte header (sender, recipient, subject, date text, addresses, reply
// links, some read) and a text of a few hundred bytes that begins with
// MSGID, INTL, FMPT and TOPT control lines, as tossed netmail carries.
// Unread letters as IsUnreadLetter says (the times-read count 0).
void GenerateFidoBase(const std::string& dir, long letters, int unreadEvery);
