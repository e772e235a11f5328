// The area window on a large area, offscreen:
//  1. opening an area of 20,000 letters: its letters loaded from the base,
//     the window with the unreads tree built, the first new letter shown
//     (target: under 1 s);
//  2. moving on to the next new letter, a 50 KB one, and showing it
//     (target: under 50 ms); and, for the record, showing a 50 KB letter
//     that is one paragraph of words too long for the viewer (the worst
//     case of carrying the overflow down).
// Both for every message base format, written in a scratch directory
// (or for those named: AreaFormBench JS).
#include <QApplication>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/MemoryRegistry.h"
#include "core/Registry.h"
#include "core/UserSettings.h"
#include "model/TArea.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/BenchSupport.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/AreaF/TLetterViewer.h"
#include "ui/AreaWindowEntry.h"
#include "ui/QuorvelApplication.h"
#include "ui/Resources.h"

namespace {

constexpr int Letters = 20000;
constexpr int BigLetter = 15000;    // its place; about 50 KB of prose
constexpr int WorstLetter = 15010;  // 50 KB in one paragraph of long words

// About 50 KB of a letter as people write them: paragraphs of lines up to
// 72 characters, every third paragraph a quote.
std::vector<std::string> Prose()
{
    static const char* const words[] = {"привет", "всем", "сегодня", "я", "поставил", "новый", "тоссер", "и",
                                        "эхи", "теперь", "раскладываются", "по", "базам", "как", "надо", "но",
                                        "вопрос", "остался", "про", "пакеты", "узла", "которые", "приходят",
                                        "ночью", "the", "point", "polls", "every", "night"};
    std::vector<std::string> lines;
    std::size_t bytes = 0, w = 0;
    for (int paragraph = 0; bytes < 50 * 1024; ++paragraph) {
        const std::string prefix = paragraph % 3 == 2 ? " SV> " : "";
        for (int row = 0; row < 6; ++row) {
            std::string line = prefix;
            while (true) {
                const std::string word = words[w % (sizeof words / sizeof *words)];
                if (line.size() + word.size() + 1 > 72)
                    break;
                line += (line.size() > prefix.size() ? " " : "") + word;
                ++w;
            }
            bytes += line.size() + 2;
            lines.push_back(line);
        }
        lines.emplace_back();
        bytes += 2;
    }
    return lines;
}

double Seconds(const std::function<void()>& fn)
{
    auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Threads of five letters (a root, two answers, an answer to the first
// answer, a late one), two threads to a subject; every tenth letter is new,
// and so is the big one.
// The numbers the base gave the letters, in the order written; none when it failed.
std::vector<Num> WriteArea(const std::string& spec)
{
    std::unique_ptr<MsgBase> base = CreateBaseFor(spec);
    std::vector<Num> numbers;
    if (!base)
        return numbers;
    if (!base->BaseExists())
        base->CreateBase(0, 0);
    if (base->OpenBase() != 0)
        return numbers;
    const std::vector<std::string> prose = Prose();
    std::string line;
    for (int i = 0; i < 70; ++i)
        line += static_cast<char>('a' + i % 26);
    for (int i = 0; i < Letters; ++i) {
        const int thread = i / 5, place = i % 5;
        static const int parentOf[5] = {-1, 0, 0, 1, 3};
        base->StartNewLetter();
        base->SetMailType(MailEcho);
        base->SetFrom("Sender " + std::to_string(i % 97));
        base->SetTo("All");
        base->SetSubject("Subject " + std::to_string(thread / 2));
        base->SetDateTime(45000.0 + i / 1000.0);
        base->SetOrigAddr(FidoAddress{2, 5020, 1, 4});
        if (place != 0)
            base->SetReplyTo(numbers.at(static_cast<std::size_t>(thread * 5 + parentOf[place])));
        const bool unread = i % 10 == 0 || i == BigLetter;
        base->SetRead(!unread);
        base->WriteKludge("\x01MSGID: 2:5020/1.4 " + std::to_string(10000000 + i));
        if (i == BigLetter) {
            for (const std::string& row : prose)
                base->WriteLine(row);
        } else if (i == WorstLetter) {
            for (int row = 0; row < 700; ++row)
                base->WriteLine(std::to_string(row) + " " + line);
        } else {
            base->WriteLine("A line of text for the benchmark.");
        }
        if (base->WriteLetter() != 0)
            return {};
        numbers.push_back(base->GetNumber());
    }
    base->CloseBase();
    return numbers;
}

void Bench(const ScratchDir& dir, char format)
{
    std::string spec;
    switch (format) {
    case 'H': spec = "H001" + dir.Path() + "/hudson/"; break;
    case 'J': spec = "J" + dir.Path() + "/jam/big"; break;
    case 'S': spec = "S" + dir.Path() + "/sq/big"; break;
    default: spec = "F" + dir.Path() + "/msg/"; break;
    }
    const std::vector<Num> numbers = WriteArea(spec);
    if (numbers.size() != static_cast<std::size_t>(Letters)) {
        std::printf("%c: cannot write the base; skipped\n", format);
        return;
    }
    TArea area("BENCH.BIG", "Description", spec);

    // 1. Opening, three times (the first with the files just written).
    double best = 1e9, bestLoad = 0, bestWindow = 0, bestLetter = 0;
    for (int round = 0; round < 3; ++round) {
        area.Loaded = false;
        TAreaForm* form = nullptr;
        const double load = Seconds([&] { area.Load(); });
        const double window = Seconds([&] { form = new TAreaForm(&area); });
        const double letter = Seconds([&] {
            form->SetCurrentTimerFired();
            QApplication::processEvents();
        });
        if (load + window + letter < best) {
            best = load + window + letter;
            bestLoad = load;
            bestWindow = window;
            bestLetter = letter;
        }
        if (round < 2) {
            form->LeaveConfirmed = true;
            delete form;
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    std::printf("%c: opening an area of %zu letters (%d new): %.0f ms (target < 1000 ms) = "
                "loading %.0f ms + window and unreads tree %.0f ms + first new letter shown %.0f ms\n",
                format, area.Count(), area.UnreadCount, best * 1e3, bestLoad * 1e3, bestWindow * 1e3,
                bestLetter * 1e3);

    // 2. Reading on to the big letter, from the new letter before it.
    auto* form = qobject_cast<TAreaForm*>(FindAreaWindow(&area));
    TLetter* big = area.LetterByNumber(numbers[BigLetter]);
    TTreeNode* before = form->Conversation.PreviousInTreeOrder(big->Node);
    while (before && !(before->Letter && before->Letter->WasUnread()))
        before = form->Conversation.PreviousInTreeOrder(before);
    double step = 1e9;
    std::size_t rows = 0;
    for (int round = 0; round < 5 && before; ++round) {
        form->Tree->setCurrentItem(TAreaForm::ItemOf(before));
        form->SetCurrentTimerFired();
        form->Viewer->setFocus();
        const double seconds = Seconds([&] {
            form->Navigate(NextUnreadLetter, false);
            form->SetCurrentTimerFired();
            form->Viewer->repaint();
        });
        if (area.Current != big) {
            std::printf("%c: next new letter is not the big one\n", format);
            break;
        }
        step = std::min(step, seconds);
        rows = form->Lines().size();
    }
    std::printf("%c: next new letter, 50 KB long (%zu rows at %d px), shown in %.1f ms (target < 50 ms)\n",
                format, rows, form->Viewer->width(), step * 1e3);

    // 3. The worst case, shown directly.
    form->Tree->setCurrentItem(TAreaForm::ItemOf(area.LetterByNumber(numbers[WorstLetter])->Node));
    const double worst = Seconds([&] {
        form->SetCurrentTimerFired();
        form->Viewer->repaint();
    });
    std::printf("%c: a 50 KB letter in one paragraph of words too long for the viewer (%zu rows) shown in %.1f ms\n",
                format, form->Lines().size(), worst * 1e3);
    form->LeaveConfirmed = true;
    delete form;
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QuorvelApplication app(argc, argv);
    SetUserRegistry(std::make_unique<MemoryRegistry>());
    InitSettings();
    RegisterCursors();
    ScratchDir dir;
    // The formats to measure (letters H, F, S, J), all by default.
    const std::string formats = argc > 1 ? argv[1] : "JSHF";
    for (char format : formats)
        Bench(dir, format);
    return 0;
}
