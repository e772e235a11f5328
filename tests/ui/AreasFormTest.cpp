// The areas window over a point set up in a temporary directory: an areas
// file and bases of every format the program knows, written through the
// message base interface. The timers run for real.
#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "core/MemoryRegistry.h"
#include "core/Startup.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TAreas.h"
#include "msgbase/MsgBaseFactory.h"
#include "settings/QtText.h"
#include "support/EventRecorder.h"
#include "support/LetterWriter.h"
#include "support/TestSupport.h"
#include "ui/AreaWindowEntry.h"
#include "ui/AreasF/TAreasForm.h"
#include "ui/Dialogs.h"
#include "ui/HelpF/THelpForm.h"
#include "ui/IPopup/TIndirectPopupMenu.h"
#include "ui/ProgramStart.h"
#include "ui/TFormStorage.h"
#include "ui/TSpeedBar.h"
#include "ui/UserSettingsEntry.h"
#include "ui/support/FormParts.h"
#include "ui/support/HelpCheck.h"

namespace {

QString Q(const std::string& text)
{
    return ToQString(text);
}

// A point: the areas file, the flag's path, the Hudson directory, the bases.
class TestPoint {
public:
    TempDir Dir;
    std::string AreasFile = Dir / "areas.bbs";
    std::string FlagFile = Dir / "toss.flag";
    std::string HudsonDir = Dir.Path() + "/hudson/";

    // format: F (*.MSG), S (Squish), H (Hudson), J (JAM; *.MSG while JAM is
    // not part of the program). Unread letters first, then read ones.
    void AddArea(const std::string& tag, char format, int unread, int read)
    {
        if (format == 'J' && !CreateBaseFor("J" + Dir.Path() + "/probe"))
            format = 'F';
        std::string name = tag;
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return char(std::tolower(c)); });
        std::string spec, word;
        switch (format) {
        case 'S':
            word = "$" + Dir / ("squish/" + name);
            spec = "S" + word.substr(1);
            break;
        case 'J':
            word = "!" + Dir / ("jam/" + name);
            spec = "J" + word.substr(1);
            break;
        case 'H':
            word = std::to_string(++HudsonBoards);
            spec = "H00" + word + HudsonDir;
            break;
        default:
            word = Dir / ("msg/" + name);
            spec = "F" + word + "/";
            break;
        }
        Specs[tag] = spec;
        Lines.push_back({tag, word + " " + tag});
        std::vector<LetterSpec> letters;
        for (int i = 0; i < unread + read; ++i) {
            LetterSpec letter;
            letter.Subject = tag + " " + std::to_string(i);
            letter.Date = 45000.5 + i;
            letter.Read = i >= unread;
            letters.push_back(letter);
        }
        WriteLetters(spec, letters);
        WriteAreasFile();
    }

    // An area whose base can be neither opened nor created.
    void AddBrokenArea(const std::string& tag)
    {
        WriteFileBytes(Dir / "plain-file", "not a directory");
        Lines.push_back({tag, Dir / "plain-file/sub " + tag});
        WriteAreasFile();
    }

    void AddLetter(const std::string& tag)
    {
        LetterSpec letter;
        letter.Subject = "new one";
        letter.Date = 46000.5;
        WriteLetters(Specs.at(tag), {letter});
    }

    void RemoveArea(const std::string& tag)
    {
        Lines.erase(std::remove_if(Lines.begin(), Lines.end(), [&](const auto& line) { return line.first == tag; }),
                    Lines.end());
        WriteAreasFile();
    }

    void WriteAreasFile() const
    {
        std::string text = "; areas of the test point\n";
        for (const auto& line : Lines)
            text += line.second + "\n";
        WriteFileBytes(AreasFile, text);
    }

    void SetFlag(bool present) const
    {
        if (present)
            WriteFileBytes(FlagFile, "");
        else
            std::remove(FlagFile.c_str());
    }

    // The command line of the program over this point.
    void Use(Session& session) const
    {
        StartParameters start;
        QVERIFY(CheckParameters({FlagFile, AreasFile, HudsonDir}, start, [](const std::string&) {}));
        session.SetStart(start);
    }

    // The four areas most tests use; display order after a scan:
    // RU.TEST (1 unread), NETMAIL (2), RU.LINUX (3), HUDSON.AREA (none).
    void AddStandardAreas()
    {
        AddArea("NETMAIL", 'F', 2, 1);
        AddArea("RU.TEST", 'S', 1, 2);
        AddArea("HUDSON.AREA", 'H', 0, 1);
        AddArea("RU.LINUX", 'J', 3, 0);
    }

    std::map<std::string, std::string> Specs;

private:
    std::vector<std::pair<std::string, std::string>> Lines;
    int HudsonBoards = 0;
};

// Stands in for an area window (and for an editor that may refuse to close).
class FakeWindow : public FormWindow {
public:
    explicit FakeWindow(TArea* area = nullptr, bool allowClose = true) : Area(area), AllowClose(allowClose)
    {
        setWindowTitle(QStringLiteral("fake"));
    }
    TArea* BrowsedArea() const override { return Area; }
    bool CloseQuery() override
    {
        ++Queries;
        return AllowClose;
    }
    TArea* Area;
    bool AllowClose;
    int Queries = 0;
};

QTreeWidget* TreeOf(TAreasForm& form)
{
    return PartOf<QTreeWidget>(&form, "Tree");
}

QStringList TreeTags(TAreasForm& form)
{
    QStringList tags;
    QTreeWidgetItem* root = TreeOf(form)->topLevelItem(0);
    for (int i = 0; root && i < root->childCount(); ++i)
        tags << root->child(i)->text(0);
    return tags;
}

QTreeWidgetItem* NodeOf(TAreasForm& form, const QString& tag)
{
    QTreeWidgetItem* root = TreeOf(form)->topLevelItem(0);
    for (int i = 0; root && i < root->childCount(); ++i)
        if (root->child(i)->text(0) == tag)
            return root->child(i);
    return nullptr;
}

}  // namespace

// Stands in for the area window (the real one is tested over real bases in
// its own test, F12 from here among them).
class FakeAreaWindow : public FakeWindow {
    Q_OBJECT
public:
    using FakeWindow::FakeWindow;
};

class AreasFormTest : public QObject {
    Q_OBJECT
private:
    // The session of the windows under test, for the whole run as the program's.
    Session Owner;

    QString CurrentTag() const
    {
        return Owner.Areas.Current ? Q(Owner.Areas.Current->Tag) : QString();
    }

    TArea* AreaByTag(const std::string& tag)
    {
        for (TArea* area : Owner.Areas.AllByTag())
            if (area->Tag == tag)
                return area;
        return nullptr;
    }

    QTemporaryDir Scratch;
    std::unique_ptr<TestPoint> Point;
    std::unique_ptr<TAreasForm> Form;
    QStringList Messages;
    int Beeps = 0;

    // Makes the window, shows it and makes it the active one.
    void StartWindow()
    {
        Form = std::make_unique<TAreasForm>(Owner);
        Form->Beep = [this] { ++Beeps; };
        Form->ShowFirstTime();
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
    }

    void WaitForScan() { QTRY_VERIFY_WITH_TIMEOUT(Owner.Areas.Scanned && !Owner.Areas.Scanning, 5000); }

    // What the window shows: the tree, a status panel's text, the status
    // bar's message (the incremental search), the tray icon.
    QTreeWidget* Tree() { return TreeOf(*Form); }
    QString PanelText(const char* name) { return PartOf<QLabel>(Form.get(), name)->text(); }
    QString StatusMessage() { return PartOf<QStatusBar>(Form.get(), "StatusBar")->currentMessage(); }
    QSystemTrayIcon* TrayIcon() { return PartOf<QSystemTrayIcon>(Form.get(), "NewMailIcon"); }

private slots:
    void initTestCase()
    {
        QVERIFY(Scratch.isValid());
        // Never the user's own settings.
        qputenv("XDG_CONFIG_HOME", Scratch.path().toUtf8());
        SetUserRegistry(std::make_unique<MemoryRegistry>());
    }

    void init()
    {
        Point = std::make_unique<TestPoint>();
        Messages.clear();
        Beeps = 0;
        SetMessageHandler([this](const QString& text) { Messages << text; });
    }

    void cleanup()
    {
        Form.reset();
        Owner.Areas.FreeAreas();
        Owner.Areas.Invalidate();
        Point.reset();
        Owner.Tosser.StateChanged();  // the flag as it is now
        Owner.SetTerminating(false);
        SetMessageHandler(nullptr);
        SetAreaWindowFactory(nullptr);
        SetUserSettingsDialog(nullptr);
    }

    // ------------------------------------------------------------ a scan

    void TitleRunsThroughTheScanAndEndsWithTheUnreadTotal()
    {
        Point->AddStandardAreas();
        Point->Use(Owner);
        QStringList titles;
        Form = std::make_unique<TAreasForm>(Owner);
        Form->Beep = [this] { ++Beeps; };
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel"));
        connect(Form.get(), &QWidget::windowTitleChanged, this, [&](const QString& title) { titles << title; });
        // While each area loads its node shows the "being scanned" image.
        EventRecorder listener;
        QStringList loadingImages;
        listener.OnEvent = [&](const std::string& name, TArea* area) {
            if (name == "LettersLoading")
                loadingImages << Q(area->Tag) + "=" +
                                     QString::number(TAreasForm::ImageOf(NodeOf(*Form, Q(area->Tag))));
        };
        Form->ShowFirstTime();
        WaitForScan();

        QCOMPARE(titles, (QStringList{QStringLiteral("Quorvel: Начинаем сканировать..."), QStringLiteral("Quorvel: 25%"),
                                      QStringLiteral("Quorvel: 50%"), QStringLiteral("Quorvel: 75%"),
                                      QStringLiteral("Quorvel: 100%"), QStringLiteral("Quorvel: 6")}));
        QCOMPARE(loadingImages, (QStringList{"HUDSON.AREA=2", "NETMAIL=2", "RU.LINUX=2", "RU.TEST=2"}));
        QCOMPARE(ApplicationTitle(), QStringLiteral("Quorvel: 6"));
        QVERIFY(TrayIcon()->isVisible());
        QCOMPARE(TrayIcon()->toolTip(), QStringLiteral("Quorvel: 6"));
        QCOMPARE(Beeps, 1);
        QVERIFY(Messages.isEmpty());
    }

    void TreeShowsTheDisplayOrderWithMarksAndPanels()
    {
        Point->AddStandardAreas();
        Point->AddBrokenArea("BROKEN");
        Point->Use(Owner);
        StartWindow();
        WaitForScan();

        QTreeWidgetItem* root = Tree()->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("Quorvel"));
        QCOMPARE(TAreasForm::ImageOf(root), 0);
        QCOMPARE(TreeTags(*Form), (QStringList{"RU.TEST", "NETMAIL", "RU.LINUX", "BROKEN", "HUDSON.AREA"}));
        QStringList marks;
        for (int i = 0; i < root->childCount(); ++i)
            marks << QString::number(TAreasForm::ImageOf(root->child(i))) +
                         (root->child(i)->font(0).bold() ? "b" : "");
        QCOMPARE(marks, (QStringList{"4b", "4b", "4b", "5", "3"}));
        // The first area of the display order is current after the scan.
        QCOMPARE(Tree()->currentItem(), root->child(0));
        QCOMPARE(CurrentTag(), QStringLiteral("RU.TEST"));
        QCOMPARE(PanelText("StatusPanel0"), QStringLiteral("Областей: 5"));
        QCOMPARE(PanelText("StatusPanel1"), QStringLiteral("RU.TEST: 1 осталось, 0 прочитал, 3 всего"));
        // The base that cannot be opened is not shown as an empty area: it
        // has its own image, and the status bar says why when it is selected.
        Tree()->setCurrentItem(NodeOf(*Form, "BROKEN"));
        QVERIFY2(PanelText("StatusPanel1").startsWith(QStringLiteral("BROKEN: не открыта: база не ")),
                 qPrintable(PanelText("StatusPanel1")));
        QVERIFY(Messages.isEmpty());
        // Selecting the root leaves no current area.
        Tree()->setCurrentItem(root);
        QVERIFY(!Owner.Areas.Current);
        QCOMPARE(PanelText("StatusPanel1"), QString());
    }

    void NothingUnreadMeansNoTrayIconNoBeepAndThePlainTitle()
    {
        Point->AddArea("RU.TEST", 'S', 0, 2);
        Point->AddArea("NETMAIL", 'F', 0, 1);
        Point->Use(Owner);
        StartWindow();
        WaitForScan();
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel"));
        QVERIFY(!TrayIcon()->isVisible());
        QCOMPARE(Beeps, 0);
        QCOMPARE(TreeTags(*Form), (QStringList{"NETMAIL", "RU.TEST"}));
        QCOMPARE(CurrentTag(), QStringLiteral("NETMAIL"));
        // A rebuild with nothing unread selects the root.
        NotifyForms(&ModelObserver::AreasChanged);
        QCOMPARE(Tree()->currentItem(), Tree()->topLevelItem(0));
        QVERIFY(!Owner.Areas.Current);
    }

    // ------------------------------------------------------------ the tosser

    void TosserFlagStopsScansAndItsEndBringsAFullRescan()
    {
        Point->AddStandardAreas();
        Point->SetFlag(true);
        Point->Use(Owner);
        EventRecorder listener;
        QElapsedTimer sinceFlagGone;
        qint64 rescanStartedAfter = -1;
        listener.OnEvent = [&](const std::string& name, TArea*) {
            if (name == "ScanStarted" && sinceFlagGone.isValid() && rescanStartedAfter < 0)
                rescanStartedAfter = sinceFlagGone.elapsed();
        };
        StartWindow();
        // The areas are listed, none is scanned, and the title says why.
        QTRY_COMPARE_WITH_TIMEOUT(Form->windowTitle(), QStringLiteral("Quorvel: [Работает эхопроцессор]"), 1000);
        WaitForScan();
        QCOMPARE(TreeTags(*Form).size(), 4);
        for (const QString& tag : TreeTags(*Form))
            QCOMPARE(TAreasForm::ImageOf(NodeOf(*Form, tag)), 1);
        QCOMPARE(PanelText("StatusPanel1"), QStringLiteral("HUDSON.AREA: Не отсканирована"));
        QCOMPARE(Beeps, 0);
        QTest::qWait(600);  // a tick has seen the flag

        // The tosser finishes: a full scan follows within a second.
        sinceFlagGone.start();
        Point->SetFlag(false);
        QTRY_VERIFY_WITH_TIMEOUT(rescanStartedAfter >= 0, 2000);
        QVERIFY2(rescanStartedAfter < 1000, qPrintable(QString::number(rescanStartedAfter)));
        WaitForScan();
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel: 6"));
        QCOMPARE(Beeps, 1);

        // It starts again while the program is idle: the title says so within
        // half a second, and nothing is scanned however long it runs.
        const int scansBefore = listener.Count("ScanStarted");
        Point->SetFlag(true);
        QTRY_COMPARE_WITH_TIMEOUT(Form->windowTitle(), QStringLiteral("Quorvel: [Работает эхопроцессор]"), 1000);
        Point->AddLetter("RU.TEST");
        QTest::qWait(1200);
        QCOMPARE(listener.Count("ScanStarted"), scansBefore);
        QCOMPARE(Owner.Areas.TotalUnread(), 6);

        sinceFlagGone.restart();
        rescanStartedAfter = -1;
        Point->SetFlag(false);
        QTRY_VERIFY_WITH_TIMEOUT(rescanStartedAfter >= 0, 2000);
        QVERIFY2(rescanStartedAfter < 1000, qPrintable(QString::number(rescanStartedAfter)));
        WaitForScan();
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel: 7"));
        QCOMPARE(listener.Count("ScanStarted"), scansBefore + 1);
        QCOMPARE(Beeps, 2);
    }

    void FlagGoneBeforeTheFirstTickStillBringsTheScan()
    {
        // The first scan found the tosser working and scanned nothing; the
        // flag goes before any tick saw it. The areas are scanned all the same.
        Point->AddStandardAreas();
        Point->SetFlag(true);
        Point->Use(Owner);
        StartWindow();
        WaitForScan();
        QCOMPARE(Owner.Areas.TotalUnread(), 0);
        Point->SetFlag(false);
        QTRY_COMPARE_WITH_TIMEOUT(Form->windowTitle(), QStringLiteral("Quorvel: 6"), 1500);
        QCOMPARE(TAreasForm::ImageOf(NodeOf(*Form, "HUDSON.AREA")), 3);
    }

    void F5ScansEveryAreaNowButNotWhileTheTosserWorks()
    {
        // A point whose tosser makes no flag sees new mail when it asks.
        Point->AddStandardAreas();
        Point->Use(Owner);
        EventRecorder listener;
        StartWindow();
        WaitForScan();
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel: 6"));
        Point->AddLetter("RU.TEST");
        QTest::keyClick(Tree(), Qt::Key_F5);
        WaitForScan();
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel: 7"));
        QCOMPARE(listener.Count("ScanStarted"), 2);

        // While the tosser works it scans nothing: the tosser's end will.
        Point->SetFlag(true);
        Point->AddLetter("RU.TEST");
        QTest::keyClick(Tree(), Qt::Key_F5);
        QCOMPARE(listener.Count("ScanStarted"), 2);
        QCOMPARE(Owner.Areas.TotalUnread(), 7);
    }

    void FlagGoingWhileAnAreaIsEnteredWaitsForTheLoad()
    {
        // The tosser stops while the user enters an area (a load outside a
        // scan), and the area has meanwhile left the areas file. A rescan
        // during that load would free the area under it; the tick waits.
        Point->AddStandardAreas();
        Point->SetFlag(true);
        Point->Use(Owner);
        StartWindow();
        QTRY_COMPARE_WITH_TIMEOUT(Form->windowTitle(), QStringLiteral("Quorvel: [Работает эхопроцессор]"), 1000);
        WaitForScan();

        EventRecorder listener;
        int scansDuringLoad = -1;
        listener.OnEvent = [&](const std::string& name, TArea* area) {
            if (name == "LettersLoading" && area->Tag == "NETMAIL" && scansDuringLoad < 0) {
                Point->RemoveArea("NETMAIL");
                const int before = listener.Count("ScanStarted");
                QTest::qWait(1100);  // more than two ticks, inside the load
                scansDuringLoad = listener.Count("ScanStarted") - before;
            }
        };
        Point->SetFlag(false);
        QTest::keyClick(Tree(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(scansDuringLoad, 0);
        // Entering loaded the area and made it current.
        QCOMPARE(CurrentTag(), QStringLiteral("NETMAIL"));
        QVERIFY(Owner.Areas.Current->Loaded);
        QCOMPARE(Owner.Areas.Current->UnreadCount, 2);
        QCOMPARE(PanelText("StatusPanel1"), QStringLiteral("NETMAIL: 2 осталось, 0 прочитал, 3 всего"));
        // Then the rescan comes, and the area that left the file goes.
        QTRY_COMPARE_WITH_TIMEOUT(listener.Count("ScanStarted"), 1, 1000);
        WaitForScan();
        QCOMPARE(TreeTags(*Form), (QStringList{"RU.TEST", "RU.LINUX", "HUDSON.AREA"}));
        QVERIFY(!AreaByTag("NETMAIL"));
    }

    // ------------------------------------------------------------ bad input

    void MissingAreasFileIsReportedAndTheWindowStaysUsable()
    {
        const std::string missing = Point->Dir / "nowhere.bbs";
        Owner.SetStart({Point->Dir / "no-such-dir/toss.flag", missing, ""});
        StartWindow();
        QTRY_COMPARE_WITH_TIMEOUT(Messages.size(), 1, 2000);
        QCOMPARE(Messages[0], QStringLiteral("Где \"") + Q(missing) + QStringLiteral("\"?  (Ошибка 2)"));
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel"));
        QCOMPARE(Tree()->topLevelItem(0)->childCount(), 0);
        QCOMPARE(PanelText("StatusPanel0"), QStringLiteral("Областей: 0"));
        // Commands still work and do nothing harmful.
        QTest::keyClick(Tree(), Qt::Key_Right);
        QTest::keyClick(Tree(), Qt::Key_Return);
        QTest::keyClick(Tree(), Qt::Key_N, Qt::ControlModifier);
        // A flag in a directory that does not exist: the tosser is not running.
        QTest::qWait(600);
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel"));
        QCOMPARE(Messages.size(), 1);
    }

    void FlagInAMissingDirectoryMeansTheTosserIsNotRunning()
    {
        Point->AddArea("RU.TEST", 'S', 1, 0);
        Owner.SetStart({Point->Dir / "no-such-dir/toss.flag", Point->AreasFile, ""});
        StartWindow();
        WaitForScan();
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel: 1"));
        QTest::qWait(600);
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel: 1"));
    }

    // ------------------------------------------------------------ moving around

    void LeftAndRightGoBetweenAreasWithUnreadLetters()
    {
        Point->AddStandardAreas();
        Point->Use(Owner);
        StartWindow();
        WaitForScan();
        QCOMPARE(CurrentTag(), QStringLiteral("RU.TEST"));
        QTest::keyClick(Tree(), Qt::Key_Left);  // the first with unread letters: nothing before it
        QCOMPARE(CurrentTag(), QStringLiteral("RU.TEST"));
        QTest::keyClick(Tree(), Qt::Key_Right);
        QCOMPARE(CurrentTag(), QStringLiteral("NETMAIL"));
        QTest::keyClick(Tree(), Qt::Key_Right);
        QCOMPARE(CurrentTag(), QStringLiteral("RU.LINUX"));
        QTest::keyClick(Tree(), Qt::Key_Right);  // only HUDSON.AREA (nothing unread) follows
        QCOMPARE(CurrentTag(), QStringLiteral("RU.LINUX"));
        QCOMPARE(Beeps, 1);  // the scan's; a walk that finds nothing is silent
        // The hidden items keep their keys.
        QTest::keyClick(Tree(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(CurrentTag(), QStringLiteral("NETMAIL"));
        QTest::keyClick(Tree(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(CurrentTag(), QStringLiteral("RU.LINUX"));
        // Home and End are taken and do nothing.
        QTest::keyClick(Tree(), Qt::Key_Home);
        QTest::keyClick(Tree(), Qt::Key_End);
        QCOMPARE(CurrentTag(), QStringLiteral("RU.LINUX"));
        // The tool bar buttons go the same ways.
        ActionOf(Form.get(), "PrevWithUnreadSpeedItem")->trigger();
        QCOMPARE(CurrentTag(), QStringLiteral("NETMAIL"));
        // From an area with nothing unread, Left finds the last one before it.
        Tree()->setCurrentItem(NodeOf(*Form, "HUDSON.AREA"));
        QTest::keyClick(Tree(), Qt::Key_Left);
        QCOMPARE(CurrentTag(), QStringLiteral("RU.LINUX"));
        // From the root, Right finds the first.
        Tree()->setCurrentItem(Tree()->topLevelItem(0));
        ActionOf(Form.get(), "NextWithUnreadSpeedItem")->trigger();
        QCOMPARE(CurrentTag(), QStringLiteral("RU.TEST"));
    }

    void TypingSearchesTheTags()
    {
        Point->AddStandardAreas();
        Point->Use(Owner);
        StartWindow();
        WaitForScan();
        Tree()->setCurrentItem(NodeOf(*Form, "HUDSON.AREA"));

        QTest::keyClicks(Tree(), QStringLiteral("ru."));
        QCOMPARE(CurrentTag(), QStringLiteral("RU.TEST"));
        QCOMPARE(StatusMessage(), QStringLiteral("Ищем: RU."));
        QTest::keyClick(Tree(), Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(CurrentTag(), QStringLiteral("RU.LINUX"));
        const int beeps = Beeps;
        QTest::keyClick(Tree(), Qt::Key_L, Qt::ControlModifier);  // no third match
        QCOMPARE(Beeps, beeps + 1);
        QCOMPARE(CurrentTag(), QStringLiteral("RU.LINUX"));
        QCOMPARE(StatusMessage(), QStringLiteral("Ищем: RU."));
        // A character that matches nothing beeps and keeps the text.
        QTest::keyClick(Tree(), Qt::Key_Q);
        QCOMPARE(Beeps, beeps + 2);
        QCOMPARE(StatusMessage(), QStringLiteral("Ищем: RU."));
        // Backspace starts over from the first match of the shorter text.
        QTest::keyClick(Tree(), Qt::Key_Backspace);
        QCOMPARE(StatusMessage(), QStringLiteral("Ищем: RU"));
        QCOMPARE(CurrentTag(), QStringLiteral("RU.TEST"));
        // A move made otherwise ends the search.
        QTest::keyClick(Tree(), Qt::Key_Right);
        QCOMPARE(CurrentTag(), QStringLiteral("NETMAIL"));
        QCOMPARE(StatusMessage(), QString());
        // A letter found only in the middle of a tag.
        QTest::keyClicks(Tree(), QStringLiteral("mai"));
        QCOMPARE(CurrentTag(), QStringLiteral("NETMAIL"));
        QCOMPARE(StatusMessage(), QStringLiteral("Ищем: MAI"));
        // Emptying the text ends the search.
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(Tree(), Qt::Key_Backspace);
        QCOMPARE(StatusMessage(), QString());
        // Leaving the window ends it too.
        QTest::keyClicks(Tree(), QStringLiteral("hud"));
        QCOMPARE(CurrentTag(), QStringLiteral("HUDSON.AREA"));
        FakeWindow other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(StatusMessage(), QString());
    }

    // ------------------------------------------------------------ entering

    void EnteringOpensTheAreaWindowOnceAndThenSwitchesToIt()
    {
        Point->AddStandardAreas();
        Point->Use(Owner);
        std::vector<std::unique_ptr<FakeAreaWindow>> opened;
        QStringList calls;
        SetAreaWindowFactory([&](TArea* area) -> FormWindow* {
            calls << Q(area->Tag) + (area->Loaded ? " loaded" : " not loaded");
            opened.push_back(std::make_unique<FakeAreaWindow>(area));
            FormWindow::ShowAndSwitchTo(opened.back().get());
            return opened.back().get();
        });
        StartWindow();
        WaitForScan();
        Tree()->setCurrentItem(NodeOf(*Form, "RU.LINUX"));
        QTest::keyClick(Tree(), Qt::Key_Return);
        QCOMPARE(calls, QStringList{"RU.LINUX loaded"});
        QVERIFY(QTest::qWaitForWindowActive(opened[0].get()));

        // Back in the main window: Enter only brings the open window forward.
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
        opened[0]->showMinimized();
        QTest::keyClick(Tree(), Qt::Key_Return);
        QCOMPARE(calls.size(), 1);
        QVERIFY(!opened[0]->isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(opened[0].get()));

        // Ctrl+N enters NETMAIL wherever the selection is; the tool bar button too.
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
        QTest::keyClick(Tree(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(calls, (QStringList{"RU.LINUX loaded", "NETMAIL loaded"}));
        QVERIFY(QTest::qWaitForWindowActive(opened[1].get()));
        ActionOf(Form.get(), "NetmailSpeedItem")->trigger();
        QCOMPARE(calls.size(), 2);
    }

    void EnterAgainWhileTheAreaLoadsOpensNoSecondWindow()
    {
        Point->AddStandardAreas();
        Point->Use(Owner);
        std::vector<std::unique_ptr<FakeAreaWindow>> opened;
        SetAreaWindowFactory([&](TArea* area) -> FormWindow* {
            opened.push_back(std::make_unique<FakeAreaWindow>(area));
            return opened.back().get();
        });
        StartWindow();
        WaitForScan();
        Tree()->setCurrentItem(NodeOf(*Form, "RU.LINUX"));
        AreaByTag("RU.LINUX")->Loaded = false;  // a big area: its load lets the keys through
        EventRecorder listener;
        int enters = 0;
        listener.OnEvent = [&](const std::string& name, TArea*) {
            if (name == "LettersLoading" && enters++ == 0)
                QTest::keyClick(Tree(), Qt::Key_Return);
        };
        QTest::keyClick(Tree(), Qt::Key_Return);
        QCOMPARE(enters, 1);
        QCOMPARE(opened.size(), std::size_t(1));
        QVERIFY(AreaByTag("RU.LINUX")->Loaded);
    }

    void EnteringAnAreaThatCannotBeOpenedShowsTheError()
    {
        Point->AddStandardAreas();
        Point->Use(Owner);
        SetAreaWindowFactory([](TArea* area) -> FormWindow* {
            throw ECantOpenArea(area->Tag, area->BaseSpec);
        });
        StartWindow();
        WaitForScan();
        QTest::keyClick(Tree(), Qt::Key_Return);
        QCOMPARE(Messages.size(), 1);
        QVERIFY(Messages[0].startsWith(QStringLiteral("Не смог открыть/создать область \"RU.TEST\"")));
        QVERIFY(Form->isVisible());
    }

    void WithoutNetmailCtrlNDoesNothing()
    {
        Point->AddArea("RU.TEST", 'S', 1, 0);
        Point->AddArea("RU.LINUX", 'F', 1, 0);
        Point->Use(Owner);
        int calls = 0;
        SetAreaWindowFactory([&](TArea*) -> FormWindow* {
            ++calls;
            return nullptr;
        });
        StartWindow();
        WaitForScan();
        Tree()->setCurrentItem(NodeOf(*Form, "RU.LINUX"));
        QTest::keyClick(Tree(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(calls, 0);
        QCOMPARE(CurrentTag(), QStringLiteral("RU.LINUX"));
    }

    // ------------------------------------------------------------ other windows

    void MinimisingAsksTheOtherWindowsAndClosesThemOnlyIfAllAgree()
    {
        Point->Use(Owner);
        StartWindow();
        FakeWindow refuses(nullptr, false), agrees;
        refuses.show();
        agrees.show();
        ActionOf(Form.get(), "MinimizeItem")->trigger();
        QVERIFY(Form->isMinimized());
        QVERIFY(refuses.isVisible());
        QVERIFY(agrees.isVisible());
        QCOMPARE(refuses.Queries, 1);
        // The window system reports that minimising late, as if from the
        // title bar (a maximised window goes down in steps): nobody is asked
        // again, and the window comes back maximised.
        QWindowStateChangeEvent late(Qt::WindowNoState);
        QSpontaneKeyEvent::setSpontaneous(&late);
        qApp->notify(Form.get(), &late);  // as the window system delivers it (sendEvent would not)
        QCOMPARE(refuses.Queries, 1);
        emit TrayIcon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(Form->isMaximized());

        Form->showMaximized();
        refuses.AllowClose = true;
        const int asked = agrees.Queries;
        ActionOf(Form.get(), "MinimizeItem")->trigger();
        QVERIFY(Form->isMinimized());
        QVERIFY(!refuses.isVisible());
        QVERIFY(!agrees.isVisible());
        QCOMPARE(agrees.Queries, asked + 1);  // asked once, not again when closed

        // The tray icon brings the window back.
        emit TrayIcon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(!Form->isMinimized());

        // Minimising from the title bar does the same.
        Form->showMaximized();
        FakeWindow third;
        third.show();
        Form->setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(!third.isVisible());
    }

    void ClosingAsksEveryOtherWindowAndAltXWorksEverywhere()
    {
        Point->Use(Owner);
        StartWindow();
        int closed = 0;
        connect(Form.get(), &TAreasForm::Closed, this, [&] { ++closed; });
        FakeWindow refuses(nullptr, false), agrees;
        agrees.show();
        refuses.show();
        QVERIFY(!Form->close());
        QVERIFY(Form->isVisible());
        QCOMPARE(closed, 0);

        refuses.AllowClose = true;
        refuses.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&refuses));
        QTest::keyClick(&refuses, Qt::Key_X, Qt::AltModifier);
        QVERIFY(!Form->isVisible());
        QVERIFY(!refuses.isVisible());
        QVERIFY(!agrees.isVisible());
        QCOMPARE(closed, 1);
    }

    void ClosingDuringAScanStopsIt()
    {
        Point->AddStandardAreas();
        Point->Use(Owner);
        EventRecorder listener;
        listener.OnEvent = [&](const std::string& name, TArea*) {
            if (name == "AreaScanned" && listener.Count("AreaScanned") == 1)
                Form->close();
        };
        StartWindow();
        QTRY_COMPARE_WITH_TIMEOUT(listener.Count("ScanFinished"), 1, 5000);
        QVERIFY(!Form->isVisible());
        QVERIFY(Owner.IsTerminating());
        QCOMPARE(listener.Count("AreaScanned"), 1);
        QCOMPARE(Beeps, 0);
    }

    // ------------------------------------------------------------ menus and bars

    void MenuCommandsCarryTheirKeys()
    {
        Point->Use(Owner);
        StartWindow();
        const std::vector<std::pair<const char*, QString>> items = {
            {"EnterSelectedAreaItem", "Enter, Return"},
            {"RescanItem", "F5"},
            {"MinimizeItem", "Esc"},
            {"ExitItem", "Alt+X, Alt+Shift+X"},
            {"GotoPriorWithUnreadItem", "Ctrl+Up"},
            {"GotoPriorWithUnreadItem2", "Left"},
            {"GotoNextWithUnreadItem", "Ctrl+Down"},
            {"GotoNextWithUnreadItem2", "Right"},
            {"EnterNetmailItem", "Ctrl+N"},
            {"FirstAreaItem", "Home"},
            {"LastAreaItem", "End"},
            {"SpeedBarItem", ""},
            {"StatusLineItem", ""},
            {"UserItem", ""},
            {"SwitchToTopBrowser", "F12"},
            {"SwitchToTopEditor", "F11"},
            {"WindowListItem", "Alt+0"},
            {"ContentsItem", ""},
            {"SearchforHelpOnItem", ""},
            {"HowtoUseHelpItem", "F1"},
            {"AboutItem", ""},
        };
        for (const auto& [name, expected] : items) {
            auto* action = Form->findChild<QAction*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
            QVERIFY2(action, name);
            QStringList keys;
            for (const QKeySequence& key : action->shortcuts())
                keys << key.toString();
            QCOMPARE(keys.join(", "), expected);
        }
        const auto namesIn = [](QMenu* menu) {
            QStringList names;
            for (QAction* action : menu->actions())
                names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
            return names;
        };
        QCOMPARE(namesIn(PartOf<QMenu>(Form.get(), "FileItem")),
                 (QStringList{"EnterSelectedAreaItem", "RescanItem", "MinimizeItem", "-", "ExitItem"}));
        // F1 opens the help on this window's keys, all of them.
        QCOMPARE(UndocumentedKeys(Form.get(), QStringLiteral("areas"), {"Home", "End"}), QStringList());
        QTest::keyClick(Tree(), Qt::Key_F1);
        QVERIFY(THelpForm::Current());
        QCOMPARE(THelpForm::Current()->CurrentSection(), QStringLiteral("areas"));
        QCOMPARE(THelpForm::Current()->parentWidget(), static_cast<QWidget*>(Form.get()));
        delete THelpForm::Current();
        QStringList menus;
        for (QAction* top : Form->menuBar()->actions())
            menus << top->objectName();
        QCOMPARE(menus, (QStringList{"FileItem", "NavigationItem", "SwitchItem", "OptionsItem", "WindowsItem",
                                     "HelpItem"}));
        // The navigation menu shows its two goto items, a separator and Netmail;
        // the hidden items are nowhere to be seen.
        QMenu* navigation = PartOf<QMenu>(Form.get(), "NavigationItem");
        QCOMPARE(namesIn(navigation),
                 (QStringList{"GotoPriorWithUnreadItem2", "GotoNextWithUnreadItem2", "-", "EnterNetmailItem"}));
        // The tree's popup menu is the navigation menu itself.
        QCOMPARE(PartOf<TIndirectPopupMenu>(Form.get(), "IndirectPopupMenu")->MenuItem(), navigation);
        QCOMPARE(Tree()->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(PartOf<TSpeedBar>(Form.get(), "SpeedBar")->Layout(),
                 (QStringList{"PrevWithUnreadSpeedItem", "NextWithUnreadSpeedItem", "NetmailSpeedItem"}));
    }

    void ToolBarAndStatusBarTogglesKeepTheChecksTrue()
    {
        Point->Use(Owner);
        StartWindow();
        QVERIFY(ActionOf(Form.get(), "SpeedBarItem")->isChecked());
        QVERIFY(ActionOf(Form.get(), "StatusLineItem")->isChecked());
        QVERIFY(ActionOf(Form.get(), "ShowHintItem")->isChecked());
        ActionOf(Form.get(), "HideSpeedBar")->trigger();
        QVERIFY(PartOf<TSpeedBar>(Form.get(), "SpeedBar")->isHidden());
        QVERIFY(!ActionOf(Form.get(), "SpeedBarItem")->isChecked());
        ActionOf(Form.get(), "SpeedBarItem")->trigger();
        QVERIFY(!PartOf<TSpeedBar>(Form.get(), "SpeedBar")->isHidden());
        QVERIFY(ActionOf(Form.get(), "SpeedBarItem")->isChecked());
        ActionOf(Form.get(), "StatusLineItem")->trigger();
        QVERIFY(PartOf<QStatusBar>(Form.get(), "StatusBar")->isHidden());
        QVERIFY(!ActionOf(Form.get(), "StatusLineItem")->isChecked());
        ActionOf(Form.get(), "ShowHintItem")->trigger();
        QVERIFY(!PartOf<TSpeedBar>(Form.get(), "SpeedBar")->ShowHints());
        QVERIFY(!ActionOf(Form.get(), "ShowHintItem")->isChecked());
        // "Настроить..." opens the bar's own customisation dialog.
        QTimer::singleShot(0, [] {
            if (QWidget* dialog = QApplication::activeModalWidget())
                QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        });
        ActionOf(Form.get(), "ConfigureItem")->trigger();
    }

    void WindowPlacementAndViewAreStoredUnderTheSettingsKey()
    {
        auto* registry = new MemoryRegistry;
        SetUserRegistry(std::unique_ptr<Registry>(registry));
        const std::string key = "Software\\Tressik\\Quorvel\\2.00\\TAreasForm";
        Point->Use(Owner);
        StartWindow();
        QVERIFY(Form->isMaximized());  // nothing stored yet
        ActionOf(Form.get(), "HideSpeedBar")->trigger();
        PartOf<TSpeedBar>(Form.get(), "SpeedBar")->SetLayout({"NetmailSpeedItem", "NextWithUnreadSpeedItem"});
        QVERIFY(Form->close());
        std::map<std::string, std::string> stored;
        for (const std::string& name : registry->ValueNames(key))
            registry->ReadString(key, name, stored[name]);
        QCOMPARE(stored["Flags"], std::string("0"));
        QCOMPARE(stored["ShowCmd"], std::string("3"));
        QCOMPARE(stored["MinMaxPos"], std::string("-1,-1,-1,-1"));
        int norm[4];
        QVERIFY(TFormStorage::ParseFour(stored["NormPos"], norm));
        QCOMPARE(stored["SpeedBar.Visible"], std::string("0"));
        QCOMPARE(stored["SpeedBar.ShowHint"], std::string("1"));
        QCOMPARE(stored["StatusBar.Visible"], std::string("1"));
        QCOMPARE(stored["SpeedBar.Buttons"], std::string("NetmailSpeedItem,NextWithUnreadSpeedItem"));

        // The next start restores all of it.
        Form.reset();
        registry->WriteString(key, "ShowCmd", "1");
        registry->WriteString(key, "NormPos", "30,40,530,400");
        registry->WriteString(key, "StatusBar.Visible", "0");
        StartWindow();
        QVERIFY(!Form->isMaximized());
        QCOMPARE(Form->geometry(), QRect(30, 40, 500, 360));
        QVERIFY(PartOf<TSpeedBar>(Form.get(), "SpeedBar")->isHidden());
        QVERIFY(!ActionOf(Form.get(), "SpeedBarItem")->isChecked());
        QVERIFY(PartOf<QStatusBar>(Form.get(), "StatusBar")->isHidden());
        QVERIFY(!ActionOf(Form.get(), "StatusLineItem")->isChecked());
        QCOMPARE(PartOf<TSpeedBar>(Form.get(), "SpeedBar")->Layout(), (QStringList{"NetmailSpeedItem", "NextWithUnreadSpeedItem"}));
        SetUserRegistry(std::make_unique<MemoryRegistry>());
    }

    void UserSettingsGoThroughTheDialogAndAreSavedOnOk()
    {
        auto* registry = new MemoryRegistry;
        SetUserRegistry(std::unique_ptr<Registry>(registry));
        Owner.Settings = UserSettings{};
        Owner.Settings.SetProgramFileName("/usr/bin/quorvel");
        Point->Use(Owner);
        StartWindow();
        // Without the dialog the command is not offered.
        QVERIFY(!ActionOf(Form.get(), "UserItem")->isEnabled());

        UserSettingsFields seen;
        bool answer = false;
        SetUserSettingsDialog([&](QWidget*, UserSettingsFields& fields) {
            seen = fields;
            fields.Name = "Пётр Сидоров";
            fields.MainAddressText = "5020/77";
            fields.AKAs = {"2:5020/78"};
            fields.NewLetterTemplate = {"", "@Quote"};
            return answer;
        });
        emit PartOf<QMenu>(Form.get(), "OptionsItem")->aboutToShow();
        QVERIFY(ActionOf(Form.get(), "UserItem")->isEnabled());

        Owner.Settings.MainAddress = FidoAddress{2, 5030, 1, 9};
        const std::string nameBefore = Owner.Settings.UserName;
        ActionOf(Form.get(), "UserItem")->trigger();  // cancelled: nothing changes
        QCOMPARE(seen.Name, nameBefore);
        QCOMPARE(seen.MainAddressText, std::string("2:5030/1.9"));
        QCOMPARE(seen.QuoteReplyTemplate, DefaultQuoteReplyTemplate());
        QCOMPARE(Owner.Settings.UserName, nameBefore);
        QVERIFY(!registry->KeyExists("quorvel.INI\\User"));

        answer = true;
        ActionOf(Form.get(), "UserItem")->trigger();
        QCOMPARE(Owner.Settings.UserName, "Пётр Сидоров");
        QVERIFY(Owner.Settings.MainAddress == (FidoAddress{2, 5020, 77, 0}));  // the zone from the previous address
        QCOMPARE(Owner.Settings.NewLetterTemplate, (std::vector<std::string>{"", "@Quote"}));
        std::string value;
        QVERIFY(registry->ReadString("quorvel.INI\\User", "MainAddress", value));
        QCOMPARE(value, std::string("2:5020/77"));
        QVERIFY(registry->ReadString("quorvel.INI\\NewLetterTemplate", "Line0", value));
        QCOMPARE(value, std::string("-"));
        SetUserRegistry(std::make_unique<MemoryRegistry>());
        Owner.Settings = UserSettings{};
    }

    // ------------------------------------------------------------ start-up

    void TooFewParametersShowTheUsageAndMakeNoWindow()
    {
        std::unique_ptr<TAreasForm> form = StartProgram(Owner, {QStringLiteral("only-the-flag")}, QStringLiteral("quorvel"));
        QVERIFY(!form);
        QCOMPARE(Messages.size(), 1);
        QCOMPARE(Messages[0], QStringLiteral("Ты забыл параметры:\n"
                                             "  <Полное имя флажка \"идёт tossing\">\n"
                                             "  <там\\далеко\\areas.bbs>   - области в формате, выдаваемом FESetup/XA\n"
                                             "  <если нужно путь к Hudson>"));
        QVERIFY(FormWindow::AllForms().empty());
    }

    void StartWithParametersShowsTheMainWindow()
    {
        Point->AddArea("RU.TEST", 'S', 1, 0);
        Form = StartProgram(Owner, {Q(Point->FlagFile), Q(Point->AreasFile), QStringLiteral("/hudson/"), QStringLiteral("x")},
                            QStringLiteral("/opt/bin/Quorvel.bin"));
        QVERIFY(Form);
        Form->Beep = [this] { ++Beeps; };
        QCOMPARE(Owner.Start().HudsonPath, std::string("/hudson/"));
        QCOMPARE(Owner.Settings.Key(), std::string("Quorvel.INI"));
        QCOMPARE(QApplication::applicationName(), QStringLiteral("Quorvel"));
        QVERIFY(Form->isVisible());
        QVERIFY(Form->isMaximized());
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel"));
        QCOMPARE(PanelText("StatusPanel0"), QStringLiteral("Областей: 0"));
        WaitForScan();
        QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvel: 1"));
        QVERIFY(Messages.isEmpty());
    }
};

QTEST_MAIN(AreasFormTest)
#include "AreasFormTest.moc"
