// Building the conversation tree of a 20,000-letter area in its three views
// (the unreads tree is what a window opens on; goal: under 100 ms), and
// sorting and linking the letters as a load does.
//   TreeBench [--quick] [--runs N]
#include <memory>
#include <string>
#include <vector>

#include "model/Session.h"
#include "model/TArea.h"
#include "model/TConversationTree.h"
#include "support/BenchOptions.h"
#include "support/Targets.h"

namespace {

constexpr long TreeLetters = 20000;
constexpr double TreeGoalSeconds = 0.1;

// Threads of five letters: a root, two answers, an answer to the first answer
// and a late one; two roots share each subject. Every tenth letter is unread.
std::unique_ptr<TLetter> MakeLetter(TArea& area, long i)
{
    static const int parentOf[5] = {-1, 0, 0, 1, 3};
    const long thread = i / 5, place = i % 5;
    const Num replyTo = place == 0 ? 0 : static_cast<Num>(thread * 5 + parentOf[place] + 1);
    return std::make_unique<TLetter>(&area, static_cast<Num>(i + 1), replyTo, "Subject " + std::to_string(thread / 2),
                                     "Sender " + std::to_string(i % 97), "All", 45000.0 + double(i) / 1000.0,
                                     i % 10 == 0);
}

}  // namespace

int main(int argc, char** argv)
{
    const BenchOptions options = ParseBenchOptions(argc, argv, "");
    const long letters = options.Size(TreeLetters);
    const std::string size = std::to_string(letters) + " letters";
    Session session;
    TArea area(session, "BENCH.TREE", "Description", "Mnone");
    Samples install;
    for (int run = 0; run < options.Runs; ++run) {
        std::vector<std::unique_ptr<TLetter>> made;
        for (long i = 0; i < letters; ++i)
            made.push_back(MakeLetter(area, i));
        install.Add(Seconds([&] { area.InstallLetters(std::move(made)); }));
    }
    Report({"sorting and linking " + size, "s", Goal::None, 0}, install);

    TConversationTree tree(area);
    const struct {
        TViewMode Mode;
        const char* Name;
        Goal Kind;
    } views[] = {{TViewMode::UnreadsAndTheirParentsTree, "unreads tree", Goal::AtMost},
                 {TViewMode::SimpleTree, "full tree", Goal::None},
                 {TViewMode::List, "list", Goal::None}};
    for (const auto& view : views) {
        tree.ViewMode = view.Mode;
        tree.BuildTree();  // warm
        Samples build;
        for (int run = 0; run < options.Runs; ++run)
            build.Add(Seconds([&] { tree.BuildTree(); }));
        Report({std::string(view.Name) + " of " + size, "s", view.Kind, options.Limit(TreeGoalSeconds)}, build);
    }
    return BenchExitCode();
}
