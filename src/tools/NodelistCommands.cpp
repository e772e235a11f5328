// quorvel-tool nodelist FILE... and lookup QUERY: the nodelists and
// pointlists as the program reads them. Without files both take the lists
// the user's settings name.
#include <iostream>

#include "core/StringHelpers.h"
#include "core/UserSettings.h"
#include "nodelist/LoadedLists.h"
#include "tools/ToolCommands.h"

namespace {

// Every "--NAME VALUE" of args, in order.
std::vector<std::string> TakeOptions(Args& args, const std::string& name)
{
    std::vector<std::string> values;
    std::string value;
    while (TakeOption(args, name, value))
        values.push_back(value);
    return values;
}

ListSettings SettingsLists(Session& session)
{
    LoadUserSettings(session.Settings);
    return LoadListSettings(UserRegistry(), session.Settings.Key());
}

// The lists that could not be read, on stderr; whether there was one.
bool ReportFailures(const LoadedLists& loaded)
{
    for (const ListReport& report : loaded.Reports)
        if (!report.Error.empty())
            std::cerr << "quorvel-tool: " << report.Error << "\n";
    return !loaded.Failures().empty();
}

void PrintReport(const ListReport& report)
{
    const std::string name = EscapeField(report.Name);
    PrintLine(name + "\t" + EscapeField(report.Path));
    for (int i = 0; i < EntryKindCount; ++i)
        if (uint32_t count = report.Counts[static_cast<std::size_t>(i)]; count > 0)
            PrintLine(name + "\t" + std::string(EntryKindName(static_cast<EntryKind>(i))) + "\t" +
                      std::to_string(count));
    PrintLine(name + "\tbad\t" + std::to_string(report.BadLines.size()));
    for (const BadLine& bad : report.BadLines)
        PrintLine(name + "\tbad line\t" + std::to_string(bad.Line) + "\t" + bad.Reason);
}

}  // namespace

int CommandNodelist(Session& session, Args args)
{
    ListSettings lists;
    lists.Nodelists = args;
    if (lists.Empty())
        lists = SettingsLists(session);
    if (lists.Empty())
        throw ToolError("нодлисты не заданы ни в командной строке, ни в настройках");
    auto loaded = LoadLists(lists, TodayDayOfYear());
    for (const ListReport& report : loaded->Reports)
        if (report.Error.empty())
            PrintReport(report);
    return ReportFailures(*loaded) ? 1 : 0;
}

int CommandLookup(Session& session, Args args)
{
    ListSettings lists;
    lists.Nodelists = TakeOptions(args, "--nodelist");
    lists.Pointlists = TakeOptions(args, "--pointlist");
    std::string limitText;
    std::size_t limit = NodelistIndex::DefaultLimit;
    if (TakeOption(args, "--limit", limitText))
        limit = static_cast<std::size_t>(std::max(1L, std::strtol(limitText.c_str(), nullptr, 10)));
    if (args.size() != 1)
        throw UsageError("lookup takes one QUERY");
    if (lists.Empty())
        lists = SettingsLists(session);
    if (lists.Empty())
        throw ToolError("нодлисты не заданы ни в командной строке, ни в настройках");
    auto loaded = LoadLists(lists, TodayDayOfYear());
    ReportFailures(*loaded);
    for (const NodeEntry& entry : loaded->Index.Lookup(args.front(), limit))
        PrintLine(AddressToText(entry.Address) + "\t" + EscapeField(entry.Sysop) + "\t" + EscapeField(entry.System) +
                  "\t" + EscapeField(entry.Location) + "\t" + std::string(entry.Status()) + "\t" +
                  EscapeField(entry.Flags));
    return 0;
}
