// quorvel-tool scan / tree / mark-all-read: the model as the program drives
// it, without windows. scan reads the areas file and counts every area's
// letters; tree prints one base's letters as the area window's conversation
// tree; mark-all-read does what leaving an area with "mark the rest read" does.
#include <chrono>
#include <iomanip>
#include <iostream>

#include "core/Startup.h"
#include "core/StringHelpers.h"
#include "core/TosserFlag.h"
#include "model/ModelEvents.h"
#include "model/TAreas.h"
#include "model/TConversationTree.h"
#include "tools/ToolCommands.h"

namespace {

// Shows the scan's progress on stderr as the areas window shows it in its
// title: a percentage after each area.
class ProgressForm : public ModelObserver {
public:
    explicit ProgressForm(TAreas& areas) : Areas(areas) { RegisterForm(this); }
    ~ProgressForm() override { UnregisterForm(this); }
    void ScanStarted() override { std::cerr << "Начинаем сканировать...\n"; }
    void AreaScanned(TArea& area) override
    {
        std::ptrdiff_t position = Areas.IndexOf(&area) + 1;
        std::size_t count = Areas.Count();
        long percent = count == 0 ? 0 : static_cast<long>(position * 100 / static_cast<std::ptrdiff_t>(count));
        std::cerr << percent << "%\t" << area.StatusText() << '\n';
    }

private:
    TAreas& Areas;
};

void PrintNode(const TTreeNode& top)
{
    std::vector<std::pair<const TTreeNode*, int>> stack{{&top, 0}};
    while (!stack.empty()) {
        auto [node, level] = stack.back();
        stack.pop_back();
        std::string text = node->Letter ? node->Letter->From + " [" + std::to_string(node->Letter->Number) + "]"
                                        : node->Text();
        text = EscapeField(text);
        PrintLine(std::string(2 * static_cast<std::size_t>(level), ' ') + (node->Bold ? "*" : "") + text);
        for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it)
            stack.emplace_back(it->get(), level + 1);
    }
}

}  // namespace

int CommandScan(Session& session, Args args)
{
    std::string flag;
    TakeOption(args, "--flag", flag);
    bool progress = TakeFlag(args, "--progress");
    if (args.empty() || args.size() > 2)
        throw UsageError("scan takes AREASFILE [HUDSONPATH] [--flag FLAGFILE] [--progress]");
    session.SetStart({flag, args[0], args.size() > 1 ? args[1] : std::string()});
    TAreas& areas = session.Areas;

    std::unique_ptr<ProgressForm> shown;
    if (progress)
        shown = std::make_unique<ProgressForm>(areas);
    areas.Scan();
    for (TArea* area : areas)
        PrintLine(EscapeField(area->Tag) + "\t" + std::to_string(area->UnreadCount) + "\t" +
                  std::to_string(area->Letters.Count()) + "\t" + EscapeField(area->StatusText()));
    PrintLine("TOTAL\t" + std::to_string(areas.TotalUnread()));
    shown.reset();
    areas.FreeAreas();
    return 0;
}

int CommandTree(Session& session, Args args)
{
    std::string view;
    bool viewGiven = TakeOption(args, "--view", view);
    if (args.size() != 1)
        throw UsageError("tree takes SPEC [--view unreads|tree|list]");
    TViewMode mode = TViewMode::SimpleTree;
    if (viewGiven) {
        if (view == "unreads")
            mode = TViewMode::UnreadsAndTheirParentsTree;
        else if (view == "tree")
            mode = TViewMode::SimpleTree;
        else if (view == "list")
            mode = TViewMode::List;
        else
            throw UsageError("--view takes unreads, tree or list");
    }
    TArea area(session, args[0], AreaDescriptionText(), args[0]);
    area.Open();  // an unopenable base is an error here, not an empty area
    area.Load();
    TConversationTree tree(area);
    tree.ChooseView();  // without --view: the view a new area window starts with
    if (viewGiven)
        tree.ViewMode = mode;
    tree.BuildTree();
    for (const auto& top : tree.TopLevel())
        PrintNode(*top);
    area.Close();
    return 0;
}

int CommandMarkAllRead(Session& session, Args args)
{
    bool timing = TakeFlag(args, "--timing");
    TakeTosserFlag(session, args);
    std::string spec = TakeSpec(args);
    ExpectNoMore(args);
    {
        OpenedBase exists(spec, false);  // a mistyped path is an error, not a new empty base
    }
    // Not even the letters are read while the tosser works (a load would stop
    // at once and leave nothing to mark); MarkAllRead waits again if it starts.
    session.Tosser.WaitFor("пометить письма прочитанными");
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    // As an area window does: the area held open while it is read and left.
    TArea area(session, spec, AreaDescriptionText(), spec);
    area.Open();
    area.Load();
    const int32_t unread = area.UnreadCount;
    const Clock::time_point loaded = Clock::now();
    area.MarkAllRead();
    const Clock::time_point marked = Clock::now();
    area.Close();
    PrintLine(std::to_string(unread - area.UnreadCount));
    if (timing) {
        auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
        std::cerr << std::fixed << std::setprecision(6) << "load\t" << seconds(loaded - start) << "\nmark\t"
                  << seconds(marked - loaded) << "\n";
    }
    return 0;
}
