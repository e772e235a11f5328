// A JAM letter header's subfields: after the fixed part, SubfieldLen bytes
// of subfields one after the other, each a JamSubfieldHead and DatLen bytes
// of data. Reading takes a subfield only while its head and its data lie
// inside the bytes read: a damaged header may claim more than it holds.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "msgbase/jam/JamLayout.h"

// Calls take(code, data) for each subfield of the area in turn, and stops at
// the first whose head or data would reach past its end. Inline: a scan
// walks the subfields of every letter.
template <typename Take>
void ForEachJamSubfield(std::string_view area, Take&& take)
{
    std::size_t p = 0;
    while (area.size() - p >= sizeof(JamSubfieldHead)) {
        JamSubfieldHead head;
        std::memcpy(&head, area.data() + p, sizeof head);
        p += sizeof head;
        if (head.DatLen > area.size() - p)
            break;
        take(head.LoID, area.substr(p, head.DatLen));
        p += head.DatLen;
    }
}

// Appends one subfield (its head, then its data) to an area being built.
void AddJamSubfield(std::vector<uint8_t>& area, uint16_t code, std::string_view data);

// The text of a name or address subfield: up to a terminating zero, if the
// writer left one.
inline std::string_view JamSubfieldText(std::string_view data)
{
    std::size_t zero = data.find('\0');
    return zero == std::string_view::npos ? data : data.substr(0, zero);
}
