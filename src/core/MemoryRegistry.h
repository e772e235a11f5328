// A settings store held in memory: keeps the values of each key in the order
// they were written, as the real registry lists them.
#pragma once

#include <map>

#include "core/Registry.h"

class MemoryRegistry : public Registry {
public:
    bool KeyExists(const std::string& key) override;
    bool CreateKey(const std::string& key) override;
    bool ReadString(const std::string& key, const std::string& name, std::string& value) override;
    bool WriteString(const std::string& key, const std::string& name, const std::string& value) override;
    std::vector<std::string> ValueNames(const std::string& key) override;
    bool DeleteKey(const std::string& key) override;

private:
    struct Key {
        std::vector<std::pair<std::string, std::string>> Values;  // in the order written
    };
    // Keys by path, compared without regard to ASCII case as registry keys are.
    static std::string Normal(const std::string& key);
    std::map<std::string, Key> Keys;
};
