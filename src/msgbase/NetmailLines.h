// The control lines in which netmail carries what the old header has no room
// for: INTL (the zones of both ends, "INTL dest-zone:net/node orig-zone:net/node"),
// FMPT (the sender's point) and TOPT (the recipient's point).
#pragma once

#include <string_view>

#include "core/FidoAddress.h"

// Applies one text line to the addresses when it is one of those control
// lines (it begins with ^A, after one line feed at most); any other line,
// and a value that is not a number up to 65535, changes nothing. INTL sets
// the zones only: nets and nodes stay those of the header.
void ApplyNetmailLine(std::string_view line, FidoAddress& orig, FidoAddress& dest);
