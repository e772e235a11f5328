// Which nodelists and pointlists the user named: files or base names of
// day-numbered copies, kept in the settings store as two numbered lists.
#pragma once

#include <string>
#include <vector>

#include "core/Registry.h"

struct ListSettings {
    std::vector<std::string> Nodelists;
    std::vector<std::string> Pointlists;

    bool Empty() const { return Nodelists.empty() && Pointlists.empty(); }
    bool operator==(const ListSettings&) const = default;
};

// Under settingsKey (the program's key): sections Nodelists and Pointlists,
// values Line0, Line1, ... Loading what is absent gives empty lists; blank
// names are not stored.
ListSettings LoadListSettings(Registry& registry, const std::string& settingsKey);
void SaveListSettings(Registry& registry, const std::string& settingsKey, const ListSettings& lists);
