// Scanning a point and building an area's conversation tree.
//  1. The tosser flag check that a scan makes once per letter.
//  2. TAreas::Scan over 50 areas holding 200,000 letters, spread over the
//     message base formats that are built (target: under 2 s, warm cache).
//  3. The unreads tree of a 20,000-letter area (target: under 100 ms).
#include <chrono>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string_view>
#include <memory>
#include <thread>

#include "core/OsFiles.h"
#include "core/Startup.h"
#include "core/StringHelpers.h"
#include "model/TAreas.h"
#include "model/TConversationTree.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/BenchSupport.h"

namespace {

// Joins pieces of text (GCC 12 warns falsely about "literal" + std::string at -O3).
std::string Cat(std::initializer_list<std::string_view> parts)
{
    std::string text;
    for (std::string_view part : parts)
        text += part;
    return text;
}

std::string Num2Text(long n)
{
    return std::to_string(n);
}

constexpr int AreaCount = 50;
constexpr int LettersPerArea = 4000;  // 200,000 in all
constexpr int TreeLetters = 20000;

// Threads of five letters: a root, two answers, an answer to the first answer
// and a late one; two roots share each subject. Every tenth letter is unread.
struct Shape {
    Num ReplyTo;
    std::string Subject;
    std::string From;
    DateTime Date;
    bool Unread;
};

Shape LetterShape(int i)
{
    int thread = i / 5, place = i % 5;
    static const int parentOf[5] = {-1, 0, 0, 1, 3};
    Num replyTo = place == 0 ? 0 : static_cast<Num>(thread * 5 + parentOf[place] + 1);
    return {replyTo, Cat({"Subject ", Num2Text(thread / 2)}), Cat({"Sender ", Num2Text(i % 97)}),
            45000.0 + i / 1000.0, i % 10 == 0};
}

void CheckFlagCost(const ScratchDir& dir)
{
    for (int i = 0; i < 60; ++i)
        std::ofstream(dir / Cat({"spool-entry-", Num2Text(i)}));
    TossingFlagFile = dir / "toss.flag";
    const int calls = 200000;
    auto time = [](int n, auto&& fn) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < n; ++i)
            fn();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    // Within two seconds of a change to its directory the check reads the
    // directory every time; after that one stat of the directory answers.
    double fresh = time(calls / 10, [] { (void)StopRequested(); }) * 10;
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    double now = time(calls, [] { (void)StopRequested(); });
    double before = time(calls / 10, [] { (void)RegularFileExists(TossingFlagFile); }) * 10;
    std::printf("StopRequested x %d (flag absent, 60 entries beside it): %.3f s (%.2f us a call); "
                "right after the directory changed %.2f us a call; "
                "a path lookup and stat each time (as before): %.3f s (%.2f us)\n",
                calls, now, now * 1e6 / calls, fresh * 1e6 / calls, before, before * 1e6 / calls);
}

void BenchTree()
{
    TArea area("BENCH.TREE", "Description", "Mnone");
    std::vector<TLetter*> letters;
    letters.reserve(TreeLetters);
    for (int i = 0; i < TreeLetters; ++i) {
        Shape s = LetterShape(i);
        letters.push_back(new TLetter(&area, static_cast<Num>(i + 1), s.ReplyTo, s.Subject, s.From, "All", s.Date,
                                      s.Unread));
    }
    auto start = std::chrono::steady_clock::now();
    area.InstallLetters(letters);
    double install = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    TConversationTree tree(area);
    tree.ViewMode = TViewMode::UnreadsAndTheirParentsTree;
    double unreads = BestSeconds(5, [&] { tree.BuildTree(); });
    tree.ViewMode = TViewMode::SimpleTree;
    double full = BestSeconds(5, [&] { tree.BuildTree(); });
    tree.ViewMode = TViewMode::List;
    double list = BestSeconds(5, [&] { tree.BuildTree(); });
    std::printf("tree of %d letters (%d unread): unreads tree %.1f ms, full tree %.1f ms, list %.1f ms "
                "(target < 100 ms); sorting and linking them %.1f ms\n",
                TreeLetters, area.UnreadCount, unreads * 1e3, full * 1e3, list * 1e3, install * 1e3);
}

void BenchScan(const ScratchDir& dir)
{
    std::vector<char> formats;
    for (char letter : {'H', 'J', 'S', 'F'})
        if (CreateBaseFor(Cat({std::string(1, letter), letter == 'H' ? "001" : "", dir.Path(), "/probe"})))
            formats.push_back(letter);
    if (formats.empty()) {
        std::printf("scan: no message base format is built yet; skipped\n");
        return;
    }
    std::string areasFile;
    auto start = std::chrono::steady_clock::now();
    for (int a = 0; a < AreaCount; ++a) {
        char format = formats[static_cast<std::size_t>(a) % formats.size()];
        std::string name = Cat({"area", Num2Text(a)});
        std::string spec, line;
        switch (format) {
        case 'H': spec = Cat({"H", PadLeft(Num2Text(a + 1), '0', 3), dir.Path(), "/hudson/"});
                  line = Num2Text(a + 1); break;
        case 'J': spec = Cat({"J", dir.Path(), "/jam/", name}); line = Cat({"!", spec.substr(1)}); break;
        case 'S': spec = Cat({"S", dir.Path(), "/sq/", name}); line = Cat({"$", spec.substr(1)}); break;
        default: spec = Cat({"F", dir.Path(), "/msg/", name, "/"}); line = spec.substr(1); break;
        }
        areasFile += Cat({line, " BENCH.AREA", Num2Text(a), "\n"});
        std::unique_ptr<MsgBase> base = CreateBaseFor(spec);
        if (!base->BaseExists())
            base->CreateBase(0, 0);
        if (base->OpenBase() != 0) {
            std::printf("scan: cannot open %s; skipped\n", spec.c_str());
            return;
        }
        for (int i = 0; i < LettersPerArea; ++i) {
            Shape s = LetterShape(i);
            base->StartNewLetter();
            base->SetMailType(MailEcho);
            base->SetFrom(s.From);
            base->SetTo("All");
            base->SetSubject(s.Subject);
            base->SetDateTime(s.Date);
            base->SetOrigAddr(FidoAddress{2, 5020, 1, 4});
            if (s.ReplyTo)
                base->SetReplyTo(s.ReplyTo);
            base->SetRead(!s.Unread);
            base->WriteLine("A line of text for the benchmark.");
            base->WriteLetter();
        }
        base->CloseBase();
    }
    double written = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::ofstream(dir / "areas.bbs") << areasFile;
    AreasFileName = dir / "areas.bbs";
    HudsonPath = dir / "hudson/";
    TossingFlagFile = dir / "toss.flag";

    TAreas areas;
    double scan = BestSeconds(3, [&] {
        areas.Invalidate();
        areas.Scan();
    });
    long letters = 0;
    for (TArea* area : areas)
        letters += static_cast<long>(area->Count());
    std::string used(formats.begin(), formats.end());
    std::printf("scan of %d areas (formats %s), %ld letters, %d unread: %.3f s = %.0f letters/s (target < 2 s); "
                "bases written in %.1f s\n",
                AreaCount, used.c_str(), letters, areas.TotalUnread(), scan, letters / scan, written);
}

}  // namespace

int main()
{
    ScratchDir dir;
    CheckFlagCost(dir);
    BenchTree();
    BenchScan(dir);
    return 0;
}
