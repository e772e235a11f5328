// Reading on in the area window to a long letter, offscreen: from a new
// letter of a 20,000-letter area to the next new one, a 50 KB letter of
// prose, shown (goal: under 50 ms); and, for the record, a 50 KB letter
// that is one paragraph of words too long for the viewer (the worst case of
// carrying the overflow down). The area is generated and its two long
// letters written through the message base interface, once; the benchmark
// reads a copy of it.
//   AreaFormBench [--quick] [--runs N] [JSHF]
#include <QApplication>
#include <QAction>
#include <QTreeView>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/DateHelpers.h"
#include "core/MemoryRegistry.h"
#include "core/Registry.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/AreaBases.h"
#include "support/BenchData.h"
#include "support/BenchOptions.h"
#include "support/Targets.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/AreaF/TLetterTreeModel.h"
#include "ui/AreaF/TLetterViewer.h"
#include "ui/AreaWindowEntry.h"
#include "ui/QuorvelApplication.h"
#include "ui/Resources.h"

namespace {

// The row before this one in tree order (its parent when it is a first child).
QModelIndex PreviousRow(const QAbstractItemModel* rows, const QModelIndex& index)
{
    if (index.row() == 0)
        return index.parent();
    QModelIndex previous = rows->index(index.row() - 1, 0, index.parent());
    while (rows->rowCount(previous) > 0)
        previous = rows->index(rows->rowCount(previous) - 1, 0, previous);
    return previous;
}

constexpr long Letters = 20000;
constexpr double NextLetterGoalSeconds = 0.05;
// The senders of the two long letters, by which they are found: about 50 KB
// of prose, and 50 KB in one paragraph of long words.
const char* const BigWriter = "Big Writer";
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

// The two long letters, new, as answers to a letter in the middle of the
// area (so that new letters come before them in the tree).
void WriteLongLetters(const std::string& spec, Num answered)
{
    std::unique_ptr<MsgBase> base = CreateBaseFor(spec);
    if (!base || base->OpenBase() != 0)
        throw std::runtime_error("cannot open " + spec);
    std::string line;
    for (int i = 0; i < 70; ++i)
        line += static_cast<char>('a' + i % 26);
    for (const char* writer : {BigWriter, WorstWriter}) {
        LetterHeader header;
        header.From = writer;
        header.To = "All";
        header.Subject = "A long letter";
        header.Written = EncodeDate(2025, 6, 1);
        header.Orig = FidoAddress{2, 5020, 1, 4};
        header.ReplyTo = answered;
        base->SetMailType(MailEcho);
        base->StartNewLetter(header);
        base->WriteKludge(std::string("\x01MSGID: 2:5020/1.4 ") + (writer == BigWriter ? "0badc0de" : "0badc0df"));
        if (writer == BigWriter) {
            for (const std::string& row : Prose())
                base->WriteLine(row);
        } else {
            for (int row = 0; row < 700; ++row)
                base->WriteLine(std::to_string(row) + " " + line);
        }
        if (Status status = base->WriteLetter(); status != 0)
            throw std::runtime_error("cannot write a long letter, status " + std::to_string(status));
    }
    base->CloseBase();
}

TLetter* LetterFrom(const TArea& area, const char* sender)
{
    for (TLetter* letter : area.Letters)
        if (letter->From == sender)
            return letter;
    throw std::runtime_error(std::string("no letter from ") + sender);
}

void Bench(char format, const BenchOptions& options)
{
    const std::string name = FormatName(format) + " next new letter, 50 KB, shown";
    const std::string cached = CachedData(std::string("long-letters-") + format + "-" + std::to_string(Letters),
                                          [&](const std::string& dir) {
                                              GenerateAreaBase(format, dir, Letters);
                                              WriteLongLetters(AreaSpec(format, dir), Letters / 2);
                                          });
    const std::string work = BenchDataDir() + "/work/letter-" + format;
    MirrorDirectory(cached, work);
    Session session;
    TArea area(session, "BENCH.BIG", "Description", AreaSpec(format, work));
    area.Load();
    auto* form = new TAreaForm(&area);
    form->SetCurrentTimerFired();
    QApplication::processEvents();

    // From the new letter before the big one, on to it.
    TLetter* big = LetterFrom(area, BigWriter);
    auto* tree = form->findChild<QTreeView*>(QStringLiteral("Tree"));
    auto* viewer = form->findChild<TLetterViewer*>(QStringLiteral("Viewer"));
    QAction* nextUnread = form->findChild<QAction*>(QStringLiteral("NextUnreadLetterItem"));
    const auto* model = static_cast<const TLetterTreeModel*>(tree->model());
    QModelIndex before = PreviousRow(model, model->IndexOf(big->Node));
    while (before.isValid() && !(TLetterTreeModel::NodeOf(before)->Letter &&
                                 TLetterTreeModel::NodeOf(before)->Letter->WasUnread()))
        before = PreviousRow(model, before);
    if (!before.isValid())
        throw std::runtime_error("no new letter before the big one");
    Samples step;
    std::size_t rows = 0;
    for (int run = 0; run < options.Runs; ++run) {
        tree->setCurrentIndex(before);
        form->SetCurrentTimerFired();
        viewer->setFocus();
        step.Add(Seconds([&] {
            nextUnread->trigger();
            form->SetCurrentTimerFired();
            viewer->repaint();
        }));
        if (area.Current != big)
            throw std::runtime_error("the next new letter is not the big one");
        rows = viewer->Lines().size();
    }
    Report({name, "s", Goal::AtMost, NextLetterGoalSeconds}, step,
           std::to_string(rows) + " rows at " + std::to_string(viewer->width()) + " px");

    // The worst case, shown directly (from the big letter each time).
    Samples worst;
    for (int run = 0; run < options.Runs; ++run) {
        tree->setCurrentIndex(model->IndexOf(big->Node));
        form->SetCurrentTimerFired();
        tree->setCurrentIndex(model->IndexOf(LetterFrom(area, WorstWriter)->Node));
        worst.Add(Seconds([&] {
            form->SetCurrentTimerFired();
            viewer->repaint();
        }));
    }
    Report({FormatName(format) + " a 50 KB letter of one paragraph too wide, shown", "s", Goal::None, 0}, worst,
           std::to_string(viewer->Lines().size()) + " rows");
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
    RegisterCursors();
    MeasureEachFormat(options.Formats, "next new letter", [&](char format) { Bench(format, options); });
    return BenchExitCode();
}
