#include "nodelist/NodeEntry.h"

#include <array>

namespace {

constexpr std::array<std::string_view, EntryKindCount> Keywords = {
    "Zone", "Region", "Host", "Hub", "", "Pvt", "Hold", "Down", "Point", "Boss",
};
constexpr std::array<std::string_view, EntryKindCount> Names = {
    "zone", "region", "host", "hub", "node", "pvt", "hold", "down", "point", "boss",
};

}  // namespace

std::string_view EntryKindKeyword(EntryKind kind)
{
    return Keywords[static_cast<std::size_t>(kind)];
}

std::string_view EntryKindName(EntryKind kind)
{
    return Names[static_cast<std::size_t>(kind)];
}

std::string NodeEntry::Station() const
{
    if (System.empty() || Location.empty())
        return System + Location;
    return System + ", " + Location;
}

std::string_view NodeEntry::Status() const
{
    switch (Kind) {
    case EntryKind::Pvt:
    case EntryKind::Hold:
    case EntryKind::Down: return EntryKindKeyword(Kind);
    default: return {};
    }
}
