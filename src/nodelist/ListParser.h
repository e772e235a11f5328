// The text of a nodelist or a pointlist, line by line. Comment lines start
// with ';'; an entry line is comma-separated fields: keyword (Zone, Region,
// Host, Hub, Pvt, Hold, Down, Point, Boss or none), number, system name,
// location, sysop, phone, speed, flags (the rest of the line). Zone, Region
// and Host lines set the zone and net of the lines after them; a Boss line
// (Boss,2:5020/1234) makes the entries after it that boss's points, until
// the next Zone, Region or Host line. An entry's number may also be a full
// address (2:5020/1234.5), as one form of pointlist writes every point.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nodelist/NodeEntry.h"

// One entry as the parser hands it on: the texts point into the decoded
// list text and still hold their underscores.
struct ParsedEntry {
    FidoAddress Address;
    EntryKind Kind = EntryKind::Node;
    bool IsPoint = false;
    std::string_view System;
    std::string_view Location;
    std::string_view Sysop;
    std::string_view Flags;
};

struct BadLine {
    uint32_t Line = 0;  // from 1
    std::string Reason;
};

// What reading one list found.
struct ListReport {
    std::string Name;   // the list as the user named it
    std::string Path;   // the file read ("" when none was found)
    std::string Error;  // why it could not be read; "" when it was
    std::array<uint32_t, EntryKindCount> Counts{};
    std::vector<BadLine> BadLines;

    uint32_t Entries() const;  // good lines, Boss lines not counted
};

// The list's bytes as UTF-8: the bytes themselves when they are valid UTF-8,
// else their CP866 reading. The text ends at an end-of-file character (^Z).
std::string DecodeListText(std::string_view bytes);

// Calls visit with each line of text (numbered from 1, without its line
// end; a CR before the LF is the line's).
void ForEachLine(std::string_view text, const std::function<void(uint32_t number, std::string_view line)>& visit);

using EntrySink = std::function<void(const ParsedEntry&)>;
// Parses decoded list text, handing every good entry to sink; counts the
// entries by kind and the bad lines (skipped) in report.
void ParseListText(std::string_view text, const EntrySink& sink, ListReport& report);
