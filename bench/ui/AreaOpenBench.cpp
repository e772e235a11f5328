// Opening an area of 200,000 letters (Hudson and *.MSG: full at 65,534 and
// 65,535 letters) with a tenth unread, each run in a fresh process, as
// entering an area does: the letters loaded, the window built on the unreads
// tree, the first new letter shown (goal: under 1 s), and the memory that
// took, as the peak resident growth over the letters (goal: under 300 bytes a
// letter; a window on a small area is opened and closed first, so that what
// any first window costs (styles, fonts, images) is not counted against the
// letters). Then, in the same process, the reading goes on: the next new
// letter from the letter (the one left is marked read in the base), and
// leaving the area with "mark the rest read".
//   AreaOpenBench [--quick] [--runs N] [JSHF]
#include <QAction>
#include <QApplication>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

#include "core/MemoryRegistry.h"
#include "core/Registry.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "support/AreaBases.h"
#include "support/BenchData.h"
#include "support/BenchOptions.h"
#include "support/ChildProcess.h"
#include "support/MemoryUse.h"
#include "support/Targets.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/AreaF/TLetterViewer.h"
#include "ui/Dialogs.h"
#include "ui/QuorvelApplication.h"
#include "ui/Resources.h"

namespace {

constexpr long FullLetters = 200000;
constexpr double OpenGoalSeconds = 1;
constexpr double BytesPerLetterGoal = 300;
constexpr long SmallLetters = 100;

// Opens a window on the area and closes it again.
void OpenAndClose(TArea& area)
{
    area.Load();
    auto* form = new TAreaForm(&area);
    form->SetCurrentTimerFired();
    QApplication::processEvents();
    delete form;
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The child: one area opened, read on and left; the figures on stdout.
int OpenOnce(int argc, char** argv, const std::string& spec, const std::string& smallSpec)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QuorvelApplication app(argc, argv);
    SetUserRegistry(std::make_unique<MemoryRegistry>());
    RegisterCursors();
    SetAskHandler([](const QString&, QMessageBox::Icon, QMessageBox::StandardButtons) { return QMessageBox::Yes; });
    Session session;
    TArea small(session, "BENCH.SMALL", "Description", smallSpec);
    OpenAndClose(small);
    TArea area(session, "BENCH.BIG", "Description", spec);
    QApplication::processEvents();

    ResetPeakResident();
    const long before = ResidentBytes();
    TAreaForm* form = nullptr;
    const double load = Seconds([&] { area.Load(); });
    const long loadedPeak = PeakResidentBytes();
    const double window = Seconds([&] { form = new TAreaForm(&area); });
    const double letter = Seconds([&] {
        form->SetCurrentTimerFired();
        QApplication::processEvents();
    });
    const long openPeak = PeakResidentBytes();
    const long unread = area.UnreadCount;

    form->activateWindow();
    auto* viewer = form->findChild<TLetterViewer*>(QStringLiteral("Viewer"));
    QAction* nextUnread = form->findChild<QAction*>(QStringLiteral("NextUnreadLetterItem"));
    viewer->setFocus();
    const double next = Seconds([&] {
        nextUnread->trigger();
        form->SetCurrentTimerFired();
        viewer->repaint();
    });
    const long markedByNext = unread - area.UnreadCount;
    const double leave = Seconds([&] { form->CloseQuery(); });
    std::printf("load\t%.6f\nwindow\t%.6f\nletter\t%.6f\nnext\t%.6f\nleave\t%.6f\n", load, window, letter, next,
                leave);
    std::printf("letters\t%zu\nunread\t%ld\nnextmarked\t%ld\nleftunread\t%d\n", area.Letters.Count(), unread, markedByNext,
                area.UnreadCount);
    std::printf("modelbytes\t%ld\nbytes\t%ld\n", loadedPeak - before, openPeak - before);
    std::fflush(stdout);
    _exit(0);
}

void Measure(char format, const BenchOptions& options)
{
    const AreaBase area = CachedAreaBase(format, options.Size(FullLetters));
    const std::string work = BenchDataDir() + "/work/open-" + format;
    const std::string size = std::to_string(area.Letters) + " letters";
    const std::string name = FormatName(format) + " opening an area of " + size;
    const AreaBase small = CachedAreaBase(format, SmallLetters);
    Samples open, bytes, modelBytes, next, leave;
    double spent = 0;
    for (int run = 0; run < options.Runs && spent < options.Budget(); ++run) {
        MirrorDirectory(area.Dir, work);
        MirrorDirectory(small.Dir, work + "-small");
        const ChildResult child = RunSelf({AreaSpec(format, work), AreaSpec(format, work + "-small")});
        spent += child.Seconds;
        auto field = [&](const char* key) { return FieldOf(child.Out, key); };
        if (child.ExitCode != 0 || field("letters") != double(area.Letters) || field("unread") != double(area.Unread) ||
            field("leftunread") != 0) {
            ReportError(name, "exit " + std::to_string(child.ExitCode) + ": " + child.Out.substr(0, 120) + " " +
                                  child.Err.substr(0, 200));
            return;
        }
        open.Add(field("load") + field("window") + field("letter"));
        bytes.Add(field("bytes") / double(area.Letters));
        modelBytes.Add(field("modelbytes") / double(area.Letters));
        next.Add(field("next"));
        leave.Add(field("leave"));
        if (field("nextmarked") != 1)
            std::printf("  %s: moving on from the first new letter marked %g letters read (1 expected)\n",
                        FormatName(format).c_str(), field("nextmarked"));
    }
    Report({name + " in a fresh process", "s", Goal::AtMost, options.Limit(OpenGoalSeconds)}, open);
    Report({name + ": memory", "bytes/letter", Goal::AtMost, BytesPerLetterGoal}, bytes,
           "letters loaded without the window " + FormatValue(modelBytes.Median()) + " bytes/letter");
    Report({FormatName(format) + " next new letter, the one left marked read", "s", Goal::None, 0}, next);
    Report({FormatName(format) + " leaving the window, marking the rest read", "s", Goal::None, 0}, leave);
}

}  // namespace

int main(int argc, char** argv)
{
    const BenchOptions options = ParseBenchOptions(argc, argv, "JSHF");
    if (options.IsChild)
        return options.Child.size() == 2 ? OpenOnce(argc, argv, options.Child[0], options.Child[1]) : 2;
    MeasureEachFormat(options.Formats, "opening an area", [&](char format) { Measure(format, options); });
    return BenchExitCode();
}
