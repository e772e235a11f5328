#include "core/MemoryRegistry.h"

#include "core/StringHelpers.h"

std::string MemoryRegistry::Normal(const std::string& key)
{
    std::string normal = LowerAscii(key);
    while (!normal.empty() && normal.back() == '\\')
        normal.pop_back();
    return normal;
}

bool MemoryRegistry::KeyExists(const std::string& key)
{
    std::string normal = Normal(key);
    if (Keys.count(normal))
        return true;
    // A key exists while one of its subkeys does.
    auto below = Keys.lower_bound(normal + "\\");
    return below != Keys.end() && below->first.compare(0, normal.size() + 1, normal + "\\") == 0;
}

bool MemoryRegistry::CreateKey(const std::string& key)
{
    Keys[Normal(key)];
    return true;
}

bool MemoryRegistry::ReadString(const std::string& key, const std::string& name, std::string& value)
{
    auto it = Keys.find(Normal(key));
    if (it == Keys.end())
        return false;
    for (const auto& [valueName, text] : it->second.Values) {
        if (LowerAscii(valueName) == LowerAscii(name)) {
            value = text;
            return true;
        }
    }
    return false;
}

bool MemoryRegistry::WriteString(const std::string& key, const std::string& name, const std::string& value)
{
    Key& k = Keys[Normal(key)];
    for (auto& [valueName, text] : k.Values) {
        if (LowerAscii(valueName) == LowerAscii(name)) {
            text = value;
            return true;
        }
    }
    k.Values.emplace_back(name, value);
    return true;
}

std::vector<std::string> MemoryRegistry::ValueNames(const std::string& key)
{
    std::vector<std::string> names;
    auto it = Keys.find(Normal(key));
    if (it != Keys.end())
        for (const auto& value : it->second.Values)
            names.push_back(value.first);
    return names;
}

bool MemoryRegistry::DeleteKey(const std::string& key)
{
    std::string normal = Normal(key);
    bool found = Keys.erase(normal) > 0;
    std::string prefix = normal + "\\";
    for (auto it = Keys.lower_bound(prefix); it != Keys.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
        it = Keys.erase(it);
        found = true;
    }
    return found;
}
