// Reading on in the area window to a long letter, offscreen: from a new
// letter of a 20,000-letter area to the next new one, a 50 KB letter of
// prose, shown (goal: under 50 ms); and, for the record, a 50 KB letter
// that is one paragraph of words too long for the viewer (the worst case of
// carrying the overflow down). The area is written through the message base
// interface once (its two long letters are not what the generators write)
// and kept with the generated bases; each run reads a copy of it.
//   AreaFormBench [--quick] [--runs N] [JSHF]
#include <QApplication>
#include <QTreeWidget>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/CodePage.h"
#include "core/MemoryRegistry.h"
#include "core/Registry.h"
#include "core/UserSettings.h"
#include "model/TArea.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/AreaBases.h"
#include "support/BenchData.h"
#include "support/BenchOptions.h"
#include "support/Targets.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/AreaF/TLetterViewer.h"
#include "ui/AreaWindowEntry.h"
#include "ui/QuorvelApplication.h"
#include "ui/Resources.h"

namespace {

constexpr int Letters = 20000;
constexpr int BigLetter = 15000;    // its place; about 50 KB of prose
constexpr int WorstLetter = 15010;  // 50 KB in one paragraph of long words
constexpr double NextLetterGoalSeconds = 0.05;
const char* const BigWriter = "Big Writer";      // the senders that find them again
const char* const WorstWriter = "Worst Writer";

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
                const std::string word = Utf8ToAnsi(words[w % (sizeof words / sizeof *words)]);
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
        base->SetFrom(i == BigLetter ? BigWriter : i == WorstLetter ? WorstWriter : "Sender " + std::to_string(i % 97));
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

TLetter* LetterFrom(const TArea& area, const char* sender)
{
    for (TLetter* letter : area)
        if (letter->From == sender)
            return letter;
    throw std::runtime_error(std::string("no letter from ") + sender);
}

void Bench(char format, const BenchOptions& options)
{
    const std::string name = FormatName(format) + " next new letter, 50 KB, shown";
    const std::string cached = CachedData(std::string("letter-") + format + "-" + std::to_string(Letters),
                                          [&](const std::string& dir) {
                                              if (WriteArea(AreaSpec(format, dir)).size() != std::size_t(Letters))
                                                  throw std::runtime_error("cannot write the base");
                                          });
    const std::string work = BenchDataDir() + "/work/letter-" + format;
    MirrorDirectory(cached, work);
    TArea area("BENCH.BIG", "Description", AreaSpec(format, work));
    area.Load();
    auto* form = new TAreaForm(&area);
    form->SetCurrentTimerFired();
    QApplication::processEvents();

    // From the new letter before the big one, on to it.
    TLetter* big = LetterFrom(area, BigWriter);
    TTreeNode* before = form->Conversation.PreviousInTreeOrder(big->Node);
    while (before && !(before->Letter && before->Letter->WasUnread()))
        before = form->Conversation.PreviousInTreeOrder(before);
    if (!before)
        throw std::runtime_error("no new letter before the big one");
    Samples step;
    std::size_t rows = 0;
    for (int run = 0; run < options.Runs; ++run) {
        form->Tree->setCurrentItem(TAreaForm::ItemOf(before));
        form->SetCurrentTimerFired();
        form->Viewer->setFocus();
        step.Add(Seconds([&] {
            form->Navigate(NextUnreadLetter, false);
            form->SetCurrentTimerFired();
            form->Viewer->repaint();
        }));
        if (area.Current != big)
            throw std::runtime_error("the next new letter is not the big one");
        rows = form->Lines().size();
    }
    Report({name, "s", Goal::AtMost, NextLetterGoalSeconds}, step,
           std::to_string(rows) + " rows at " + std::to_string(form->Viewer->width()) + " px");

    // The worst case, shown directly (from the big letter each time).
    Samples worst;
    for (int run = 0; run < options.Runs; ++run) {
        form->Tree->setCurrentItem(TAreaForm::ItemOf(big->Node));
        form->SetCurrentTimerFired();
        form->Tree->setCurrentItem(TAreaForm::ItemOf(LetterFrom(area, WorstWriter)->Node));
        worst.Add(Seconds([&] {
            form->SetCurrentTimerFired();
            form->Viewer->repaint();
        }));
    }
    Report({FormatName(format) + " a 50 KB letter of one paragraph too wide, shown", "s", Goal::None, 0}, worst,
           std::to_string(form->Lines().size()) + " rows");
    form->LeaveConfirmed = true;
    delete form;
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

int main(int argc, char** argv)
{
    const BenchOptions options = ParseBenchOptions(argc, argv, "JSHF");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QuorvelApplication app(argc, argv);
    SetUserRegistry(std::make_unique<MemoryRegistry>());
    InitSettings();
    RegisterCursors();
    for (char format : options.Formats) {
        try {
            Bench(format, options);
        } catch (const std::exception& e) {
            ReportError(FormatName(format) + " next new letter", e.what());
        }
    }
    return BenchExitCode();
}
