// The settings store: a tree of keys holding named string values, in the
// manner of the current user's registry. Key paths are relative to the
// user's root and separate their components with a backslash
// ("quorvel.INI\User"). Values are UTF-8 text. The program's backend keeps an
// INI file in the user's config directory; tests use MemoryRegistry.
#pragma once

#include <memory>
#include <string>
#include <vector>

class Registry {
public:
    virtual ~Registry() = default;

    // Whether the key exists (has values or subkeys, or was created).
    virtual bool KeyExists(const std::string& key) = 0;
    // Opens the key, creating it when absent; false when it cannot be had.
    virtual bool CreateKey(const std::string& key) = 0;
    // The value, or false when the key or the value is absent.
    virtual bool ReadString(const std::string& key, const std::string& name, std::string& value) = 0;
    virtual bool WriteString(const std::string& key, const std::string& name, const std::string& value) = 0;
    // The names of the key's values in the order they were written; numbered
    // names (Line0, Line1, ..., Line10) come in numeric order.
    virtual std::vector<std::string> ValueNames(const std::string& key) = 0;
    // Deletes the key with its values and subkeys.
    virtual bool DeleteKey(const std::string& key) = 0;
};

// Orders value names as the settings store lists them when it cannot tell the
// order of writing: names that differ only in a trailing number by that
// number ("Line2" before "Line10"), others by their text.
void SortValueNames(std::vector<std::string>& names);

// The store the program uses (the windows install theirs at start-up); until
// then an in-memory one, so nothing touches the user's files by accident.
Registry& UserRegistry();
void SetUserRegistry(std::unique_ptr<Registry> registry);
