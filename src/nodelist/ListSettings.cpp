#include "nodelist/ListSettings.h"

#include "core/StringHelpers.h"

namespace {

constexpr const char* NodelistSection = "Nodelists";
constexpr const char* PointlistSection = "Pointlists";

std::vector<std::string> ReadList(Registry& registry, const std::string& key)
{
    std::vector<std::string> list;
    std::string value;
    for (const std::string& name : registry.ValueNames(key))
        if (registry.ReadString(key, name, value) && !value.empty())
            list.push_back(value);
    return list;
}

void WriteList(Registry& registry, const std::string& key, const std::vector<std::string>& list)
{
    registry.DeleteKey(key);
    registry.CreateKey(key);
    std::size_t n = 0;
    for (const std::string& name : list)
        if (name.find_first_not_of(" \t") != std::string::npos)
            registry.WriteString(key, Format("Line%zu", n++), name);
}

}  // namespace

ListSettings LoadListSettings(Registry& registry, const std::string& settingsKey)
{
    ListSettings lists;
    lists.Nodelists = ReadList(registry, settingsKey + "\\" + NodelistSection);
    lists.Pointlists = ReadList(registry, settingsKey + "\\" + PointlistSection);
    return lists;
}

void SaveListSettings(Registry& registry, const std::string& settingsKey, const ListSettings& lists)
{
    WriteList(registry, settingsKey + "\\" + NodelistSection, lists.Nodelists);
    WriteList(registry, settingsKey + "\\" + PointlistSection, lists.Pointlists);
}
