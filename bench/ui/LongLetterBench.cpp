// A letter of 10 MB, saved as the editor saves it and shown in the area
// window, offscreen: once as one line of words, once as short lines (goal:
// under 2 s each, beside cat of the same bytes). A cost that grows with the
// square of a line's length makes the one-line letter take minutes.
//   LongLetterBench [--quick] [--runs N]
#include <QApplication>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/MemoryRegistry.h"
#include "core/Registry.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "support/BenchData.h"
#include "support/BenchOptions.h"
#include "support/CatFiles.h"
#include "support/Targets.h"
#include "support/Timing.h"
#include "text/EditorState.h"
#include "text/SaveLetter.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/AreaF/TLetterTreeModel.h"
#include "ui/AreaF/TLetterViewer.h"
#include "ui/QuorvelApplication.h"
#include "ui/Resources.h"

namespace {

constexpr double GoalSeconds = 2.0;

// About `bytes` of words, as one line or as lines of up to 72 characters.
std::vector<std::string> Text(std::size_t bytes, bool oneLine)
{
    static const char* const words[] = {"привет", "всем",   "the",          "point", "polls", "every",
                                        "night",  "тоссер", "раскладывает", "эхи",   "по",    "базам"};
    std::vector<std::string> lines(1);
    std::size_t size = 0;
    for (std::size_t w = 0; size < bytes; ++w) {
        const std::string word = words[w % std::size(words)];
        if (!oneLine && lines.back().size() + word.size() + 1 > 72) {
            size += 2;
            lines.emplace_back();
        }
        if (!lines.back().empty())
            lines.back() += ' ';
        lines.back() += word;
        size += word.size() + 1;
    }
    return lines;
}

double SaveOnce(const std::string& spec, const std::vector<std::string>& lines)
{
    Session session;
    TArea area(session, spec, "Description", spec);
    area.Open();
    area.Load();
    EditorState editor;
    editor.Area = &area;
    editor.Mode = NewLetterMode;
    editor.From = "Long Writer";
    editor.FromAddress = "2:5020/1234.5";
    editor.To = "All";
    editor.Subject = "A long letter";
    editor.Lines = lines;
    editor.TextPrepared = true;
    editor.Modified = true;
    const double seconds = Seconds([&] {
        if (SaveLetter(editor) != SaveOutcome::Saved)
            throw std::runtime_error("the letter was not saved");
    });
    area.Close();
    return seconds;
}

double ShowOnce(const std::string& spec)
{
    Session session;
    TArea area(session, spec, "Description", spec);
    area.Load();
    auto* form = new TAreaForm(&area);
    form->SetCurrentTimerFired();
    QApplication::processEvents();
    auto* tree = form->findChild<QTreeView*>(QStringLiteral("Tree"));
    auto* viewer = form->findChild<TLetterViewer*>(QStringLiteral("Viewer"));
    const auto* model = static_cast<const TLetterTreeModel*>(tree->model());
    TLetter* letter = nullptr;
    for (TLetter* each : area.Letters)
        letter = each;
    if (!letter)
        throw std::runtime_error("no letter in the area");
    const double seconds = Seconds([&] {
        tree->setCurrentIndex(model->IndexOf(letter->Node));
        form->SetCurrentTimerFired();
        viewer->repaint();
    });
    if (viewer->Lines().size() < 10)
        throw std::runtime_error("the letter was not shown");
    delete form;
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return seconds;
}

void Bench(bool oneLine, const BenchOptions& options)
{
    const std::size_t bytes = static_cast<std::size_t>(options.Size(10L * 1024 * 1024));
    const std::vector<std::string> lines = Text(bytes, oneLine);
    const std::string what = oneLine ? "one line" : "short lines";
    const std::string label = options.Quick ? "1 MB" : "10 MB";
    Samples save, show, cat;
    for (int run = 0; run < options.Runs; ++run) {
        const std::string dir = BenchDataDir() + "/work/long-letter";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        const std::string spec = "J" + dir + "/long";
        save.Add(SaveOnce(spec, lines));
        show.Add(ShowOnce(spec));
        const std::vector<std::string> files = FilesUnder(dir);
        cat.Add(Seconds([&] { CatFiles(files); }));
    }
    const std::string note = "cat of the base " + FormatValue(cat.Median()) + " s";
    Report({"a letter of " + what + ", " + label + ", saved", "s", Goal::AtMost, options.Limit(GoalSeconds)}, save,
           note);
    Report({"a letter of " + what + ", " + label + ", shown", "s", Goal::AtMost, options.Limit(GoalSeconds)}, show,
           note);
}

}  // namespace

int main(int argc, char** argv)
{
    BenchOptions options = ParseBenchOptions(argc, argv, "J");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QuorvelApplication app(argc, argv);
    SetUserRegistry(std::make_unique<MemoryRegistry>());
    RegisterCursors();
    options.Runs = std::min(options.Runs, 3);
    for (bool oneLine : {true, false}) {
        try {
            Bench(oneLine, options);
        } catch (const std::exception& e) {
            ReportError(oneLine ? "a letter of one line" : "a letter of short lines", e.what());
        }
    }
    return BenchExitCode();
}
