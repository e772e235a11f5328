// One station of a nodelist or pointlist as the lookups hand it out: its
// address, what the list says it is, and the texts of its entry (UTF-8,
// underscores already read as spaces).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/FidoAddress.h"

// The keyword of an entry line; Node for a line without one.
enum class EntryKind : uint8_t { Zone, Region, Host, Hub, Node, Pvt, Hold, Down, Point, Boss };
constexpr int EntryKindCount = static_cast<int>(EntryKind::Boss) + 1;

// The keyword as a list writes it ("Zone", "Pvt", ...; "" for a plain node);
// lower case names for reports ("zone", "node", ...).
std::string_view EntryKindKeyword(EntryKind kind);
std::string_view EntryKindName(EntryKind kind);

struct NodeEntry {
    FidoAddress Address;
    EntryKind Kind = EntryKind::Node;
    // A point entry with a status keyword (Pvt, Hold, Down under a Boss line)
    // keeps that keyword as its kind and says here that it is a point.
    bool IsPoint = false;
    std::string System;
    std::string Location;
    std::string Sysop;
    std::string Flags;

    // "Pvt", "Hold", "Down" or "".
    std::string_view Status() const;
    // "System, Location", either left out when empty.
    std::string Station() const;
    bool IsDown() const { return Kind == EntryKind::Down; }
};
