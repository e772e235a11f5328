// The whole road, driven the way a user drives it, over a fresh demo point:
// start, scan, enter an area of each format, read on with Right, answer with
// F4, type, save with F2, see the answer in the tree and the counts change,
// leave the area marking the rest read; then the tosser's flag stops the
// scans and its removal brings a rescan; a netmail letter from a point is
// answered with Ctrl+N, F4, F2. The bases are checked afterwards
// with quorvel-tool. tests/interop/end_to_end.sh runs this program over a
// point of its own and then shows the results to the real peers.
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <deque>
#include <memory>

#include "core/Registry.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TAreas.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/LetterWriter.h"
#include "support/TestSupport.h"
#include "support/ToolRunner.h"
#include "ui/support/FormParts.h"
#include "ui/support/Typing.h"
#include "settings/QtText.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/AreaF/TLetterViewer.h"
#include "ui/AreasF/TAreasForm.h"
#include "ui/Dialogs.h"
#include "ui/EditorF/TEditorForm.h"
#include "ui/ProgramStart.h"
#include "settings/IniSettingsStore.h"

namespace {

const QString Typed = QStringLiteral("Ответ из сквозной проверки.");

// Counts the scans the program starts.
struct ScanCounter : ModelObserver {
    int Started = 0;
    ScanCounter() { RegisterForm(this); }
    ~ScanCounter() override { UnregisterForm(this); }
    void ScanStarted() override { ++Started; }
};

template <class Window>
Window* OpenWindow()
{
    for (FormWindow* window : FormWindow::AllForms())
        if (auto* found = qobject_cast<Window*>(window))
            return found;
    return nullptr;
}

// The number of the last letter `from` wrote to `to` in the base, "" when none.
std::string AnswerTo(const std::string& spec, const std::string& from, const std::string& to)
{
    std::string number;
    for (const std::string& line : RunTool({"list", spec}).OutLines())
        if (line.find("\t" + from + "\t" + to + "\t") != std::string::npos)
            number = line.substr(0, line.find('\t'));
    return number;
}

QString TotalLine(const std::string& areasFile, const std::string& hudson)
{
    ToolResult scan = RunTool({"scan", areasFile, hudson});
    return scan.OutLines().empty() ? QString() : QString::fromStdString(scan.OutLines().back());
}

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private:
    // The session of the windows under test, for the whole run as the program's.
    Session Owner;
    QTemporaryDir Scratch;
    std::string Point;
    std::unique_ptr<TAreasForm> Main;
    QTreeWidget* AreasTree() { return PartOf<QTreeWidget>(Main.get(), "Tree"); }
    std::unique_ptr<ScanCounter> Scans;
    QStringList Questions;
    std::deque<QMessageBox::StandardButton> Answers;
    QStringList Errors;

    std::string PointFile(const char* name) const { return Point + "/" + name; }

    void Answer(std::initializer_list<QMessageBox::StandardButton> answers) { Answers = answers; }

private slots:
    void initTestCase()
    {
        QVERIFY(Scratch.isValid());
        qputenv("XDG_CONFIG_HOME", (Scratch.path() + "/config").toUtf8());
        const QByteArray given = qgetenv("QUORVEL_E2E_POINT");
        Point = given.isEmpty() ? (Scratch.path() + "/point").toStdString() : given.toStdString();
        if (given.isEmpty())
            QCOMPARE(RunTool({"demo", Point}).ExitCode, 0);
        SetAskHandler([this](const QString& text, QMessageBox::Icon, QMessageBox::StandardButtons buttons) {
            Questions << text;
            if (Answers.empty() || !(buttons & Answers.front()))
                return QMessageBox::Cancel;
            QMessageBox::StandardButton answer = Answers.front();
            Answers.pop_front();
            return answer;
        });
        SetMessageHandler([this](const QString& text) { Errors << text; });
        SetUserRegistry(std::make_unique<IniSettingsStore>());
        Scans = std::make_unique<ScanCounter>();
    }

    void cleanupTestCase()
    {
        for (FormWindow* window : FormWindow::AllForms())
            if (window != Main.get())
                delete window;
        Main.reset();
        Scans.reset();
        Owner.Areas.FreeAreas();
    }

    void cleanup() { QVERIFY2(Errors.isEmpty(), qPrintable(Errors.join('|'))); }

    void StartAndScan()
    {
        const QString total = TotalLine(PointFile("areas.bbs"), PointFile("hudson/"));
        QVERIFY(total.startsWith(QStringLiteral("TOTAL\t")));
        Main = StartProgram(Owner, {QString::fromStdString(PointFile("toss.flag")), QString::fromStdString(PointFile("areas.bbs")),
                             QString::fromStdString(PointFile("hudson/"))},
                            QStringLiteral("quorvel"));
        QVERIFY(Main);
        Main->Beep = [] {};
        QVERIFY(QTest::qWaitForWindowExposed(Main.get()));
        QTRY_COMPARE_WITH_TIMEOUT(Main->windowTitle(), QStringLiteral("Quorvel: ") + total.mid(6), 5000);
        QCOMPARE(AreasTree()->topLevelItem(0)->childCount(), 5);
        QCOMPARE(PartOf<QLabel>(Main.get(), "StatusPanel0")->text(), QStringLiteral("Областей: 5"));
    }

    void ReadAnswerAndLeaveAnAreaOfEachFormat_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::newRow("Hudson") << QStringLiteral("HUDSON.CHAT");
        QTest::newRow("*.MSG") << QStringLiteral("MSG.LOCAL");
        QTest::newRow("JAM") << QStringLiteral("RU.POINT.TALK");
        QTest::newRow("Squish") << QStringLiteral("SU.LINUX.FIDO");
    }

    void ReadAnswerAndLeaveAnAreaOfEachFormat()
    {
        QFETCH(QString, tag);
        QVERIFY(Main);
        // Enter the area from the areas window.
        QTreeWidgetItem* node = AreasTree()->findItems(tag, Qt::MatchExactly | Qt::MatchRecursive).value(0);
        QVERIFY(node);
        AreasTree()->setCurrentItem(node);
        Main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Main.get()));
        QTest::keyClick(AreasTree(), Qt::Key_Return);
        QPointer<TAreaForm> area = OpenWindow<TAreaForm>();
        QVERIFY(area);
        area->Beep = [] {};
        QTreeView* letters = PartOf<QTreeView>(area, "Tree");
        TArea* model = area->BrowsedArea();
        const int unreadBefore = model->UnreadCount;
        const std::size_t lettersBefore = model->Letters.Count();
        QVERIFY(unreadBefore > 0);
        area->SetCurrentTimerFired();
        QVERIFY(model->Current && model->Current->Unread);

        // Read the first new letter and move on with Right.
        area->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(area));
        letters->setFocus();
        QTest::keyClick(letters, Qt::Key_Return);  // to the letter
        QCOMPARE(area->focusWidget(), static_cast<QWidget*>(PartOf<TLetterViewer>(area, "Viewer")));
        Answer({QMessageBox::Cancel});  // the last new letter: stay in the area
        QTest::keyClick(area->focusWidget(), Qt::Key_Right);
        area->SetCurrentTimerFired();
        QCOMPARE(model->ReadCount, 1);
        Answers.clear();

        // Answer the letter now current: F4, type, F2.
        TLetter* answered = model->Current;
        QVERIFY(answered);
        QTest::keyClick(letters, Qt::Key_F4);
        QPointer<TEditorForm> editor = OpenWindow<TEditorForm>();
        QVERIFY(editor);
        QVERIFY(QTest::qWaitForWindowActive(editor));
        QTest::keyClick(PartOf<QLineEdit>(editor, "SubjectEdit"), Qt::Key_Return);  // into the text: it is prepared
        auto* text = PartOf<QPlainTextEdit>(editor, "RichEdit");
        Type(text, Typed);
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClick(text, Qt::Key_F2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(editor.isNull(), qPrintable(Questions.join('|') + Errors.join('|')));

        // The answer stands in the tree under the letter it answers, and is counted.
        QCOMPARE(model->Letters.Count(), lettersBefore + 1);
        const QModelIndex current = letters->currentIndex();
        QVERIFY(current.isValid());
        QCOMPARE(current.data().toString(), ToQString(Owner.Settings.UserName));
        QCOMPARE(current.parent().data().toString(), ToQString(answered->From));
        QVERIFY(
            PartOf<QLabel>(area, "StatusPanel0")->text().contains(QStringLiteral("%1 всего").arg(lettersBefore + 1)));

        // Leave, marking the rest read (an area read through asks nothing).
        const bool restUnread = model->UnreadCount > 0;
        if (restUnread)
            Answer({QMessageBox::Yes});
        Questions.clear();
        area->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(area));
        QTest::keyClick(letters, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(area.isNull());
        QCOMPARE(Questions.size(), restUnread ? 1 : 0);
        QCOMPARE(model->UnreadCount, 0);
    }

    void TheTossersFlagStopsScansAndItsRemovalRescans()
    {
        QVERIFY(Main);
        QTRY_COMPARE_WITH_TIMEOUT(Main->windowTitle(), QStringLiteral("Quorvel: 1"), 2000);  // NETMAIL is left
        WriteFileBytes(PointFile("toss.flag"), "");
        QTRY_COMPARE_WITH_TIMEOUT(Main->windowTitle(), QStringLiteral("Quorvel: [Работает эхопроцессор]"), 1500);
        const int scans = Scans->Started;
        // The tosser brings a new letter while its flag stands; nothing is scanned.
        LetterSpec incoming{.From = "Tosser Test", .Subject = "Incoming", .Date = 46000.5, .Lines = {"New mail."}};
        QCOMPARE(WriteLetters("J" + PointFile("jam/ru.point.talk"), {incoming}).size(), std::size_t(1));
        QTest::qWait(1200);
        QCOMPARE(Scans->Started, scans);
        std::remove(PointFile("toss.flag").c_str());
        QTRY_VERIFY_WITH_TIMEOUT(Scans->Started > scans, 1500);
        QTRY_COMPARE_WITH_TIMEOUT(Main->windowTitle(), QStringLiteral("Quorvel: 2"), 3000);
    }

    void ANetmailAnswerGoesToTheFullOriginOfTheLetter()
    {
        QVERIFY(Main);
        // The tosser brings a letter from a point in zone 1, with the control
        // lines that carry its zones and points.
        WriteFileBytes(PointFile("toss.flag"), "");
        QTRY_COMPARE_WITH_TIMEOUT(Main->windowTitle(), QStringLiteral("Quorvel: [Работает эхопроцессор]"), 1500);
        const int scans = Scans->Started;
        std::unique_ptr<MsgBase> base = CreateBaseFor("F" + PointFile("netmail/"));
        QCOMPARE(base->OpenBase(), Status(0));
        {
            LetterHeader header;
            base->SetMailType(MailNet);
            header.From = "Far Point";
            header.To = Owner.Settings.UserName;
            header.Subject = "From zone 1";
            header.Written = NowDateTime();
            header.Dest = Owner.Settings.MainAddress;
            header.Orig = {1, 234, 5, 6};
            base->StartNewLetter(header);
        }
        base->WriteLine("Hello from far away.");
        QCOMPARE(base->WriteLetter(), Status(0));
        base->CloseBase();
        std::remove(PointFile("toss.flag").c_str());
        QTRY_VERIFY_WITH_TIMEOUT(Scans->Started > scans, 1500);
        QTRY_COMPARE_WITH_TIMEOUT(Main->windowTitle(), QStringLiteral("Quorvel: 3"), 3000);

        // Ctrl+N, that letter, F4, F2.
        Main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Main.get()));
        QTest::keyClick(AreasTree(), Qt::Key_N, Qt::ControlModifier);
        QPointer<TAreaForm> area = OpenWindow<TAreaForm>();
        QVERIFY(area);
        QCOMPARE(area->BrowsedArea()->Tag, std::string("NETMAIL"));
        ActionOf(area, "SimpleTreeItem")->trigger();
        QTreeView* letters = PartOf<QTreeView>(area, "Tree");
        const QAbstractItemModel* rows = letters->model();
        letters->setCurrentIndex(rows->match(rows->index(0, 0), Qt::DisplayRole, QStringLiteral("Far Point"), 1,
                                             Qt::MatchExactly | Qt::MatchRecursive)
                                     .value(0));
        area->SetCurrentTimerFired();
        area->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(area));
        QTest::keyClick(letters, Qt::Key_F4);
        QPointer<TEditorForm> editor = OpenWindow<TEditorForm>();
        QVERIFY(editor);
        QVERIFY(QTest::qWaitForWindowActive(editor));
        QCOMPARE(PartOf<QLineEdit>(editor, "ToAddressEdit")->text(), QStringLiteral("1:234/5.6"));
        QTest::keyClick(PartOf<QLineEdit>(editor, "SubjectEdit"), Qt::Key_F2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(editor.isNull(), qPrintable(Questions.join('|') + Errors.join('|')));

        // The answer in the base: to the point it came from, from the main address.
        const std::string spec = "F" + PointFile("netmail/");
        const std::string number = AnswerTo(spec, Owner.Settings.UserName, "Far Point");
        QVERIFY2(!number.empty(), "the answer is in the base");
        const std::vector<std::string> read = RunTool({"read", spec, number}).OutLines();
        QVERIFY(read.size() > 5);
        QCOMPARE(QString::fromStdString(read[4] + "|" + read[5]), QStringLiteral("OrigAddr: ") +
                                                                  ToQString(AddressToText(Owner.Settings.MainAddress)) +
                                                                  QStringLiteral("|DestAddr: 1:234/5.6"));
    }

    void TheBasesHoldTheAnswers_data() { ReadAnswerAndLeaveAnAreaOfEachFormat_data(); }

    void TheBasesHoldTheAnswers()
    {
        QFETCH(QString, tag);
        ToolResult areas = RunTool({"areas", PointFile("areas.bbs"), PointFile("hudson/")});
        std::string spec;
        for (const std::string& line : areas.OutLines())
            if (line.rfind(tag.toStdString() + "\t", 0) == 0)
                spec = line.substr(line.find('\t') + 1);
        QVERIFY(!spec.empty());
        std::vector<std::string> list = RunTool({"list", spec}).OutLines();
        std::string number;
        for (const std::string& line : list)
            if (line.find("\t" + Owner.Settings.UserName + "\t") != std::string::npos)
                number = line.substr(0, line.find('\t'));
        QVERIFY2(!number.empty(), "the answer is in the base");
        ToolResult read = RunTool({"read", spec, number, "--kludges"});
        QCOMPARE(read.ExitCode, 0);
        const QString text = QString::fromStdString(read.Out);
        QVERIFY(text.contains(QStringLiteral("\n^AMSGID: ")));
        QVERIFY(text.contains(QStringLiteral("\n^AREPLY: ")));
        QVERIFY(text.contains(QStringLiteral("\n") + Typed + QStringLiteral("\n")));
        QVERIFY(text.contains(QStringLiteral("\n--- Quorvel 2.00.84\n")));
        QVERIFY(text.contains(QStringLiteral("\n * Origin: ")));
    }

    void AUtf8LetterIsShownAndAnsweredInUtf8()
    {
        QVERIFY(Main);
        // The tosser brings a UTF-8 letter from a modern editor.
        WriteFileBytes(PointFile("toss.flag"), "");
        QTRY_COMPARE_WITH_TIMEOUT(Main->windowTitle(), QStringLiteral("Quorvel: [Работает эхопроцессор]"), 1500);
        const int scans = Scans->Started;
        LetterSpec incoming{.From = "Сергей Волков", .Subject = "Ёлка «2026»", .Date = 46001.5,
                            .Lines = {"\x01" "CHRS: UTF-8 4", "Привет — всем! 5 €"}, .Set = Charset::Utf8};
        QCOMPARE(WriteLetters("J" + PointFile("jam/ru.point.talk"), {incoming}).size(), std::size_t(1));
        std::remove(PointFile("toss.flag").c_str());
        QTRY_VERIFY_WITH_TIMEOUT(Scans->Started > scans, 1500);

        QTreeWidgetItem* node =
            AreasTree()->findItems(QStringLiteral("RU.POINT.TALK"), Qt::MatchExactly | Qt::MatchRecursive).value(0);
        QVERIFY(node);
        AreasTree()->setCurrentItem(node);
        Main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Main.get()));
        QTest::keyClick(AreasTree(), Qt::Key_Return);
        QPointer<TAreaForm> area;
        for (FormWindow* window : FormWindow::AllForms())  // the netmail area's window is still open
            if (auto* form = qobject_cast<TAreaForm*>(window); form && form->BrowsedArea()->Tag == "RU.POINT.TALK")
                area = form;
        QVERIFY(area);
        ActionOf(area, "SimpleTreeItem")->trigger();
        QTreeView* letters = PartOf<QTreeView>(area, "Tree");
        // Of his letters, the one the tosser brought.
        const QAbstractItemModel* rows = letters->model();
        for (const QModelIndex& index : rows->match(rows->index(0, 0), Qt::DisplayRole, QStringLiteral("Сергей Волков"),
                                                    -1, Qt::MatchExactly | Qt::MatchRecursive)) {
            letters->setCurrentIndex(index);
            area->SetCurrentTimerFired();
            if (PartOf<QLabel>(area, "SubjectLabel")->text() == QStringLiteral("Ёлка «2026»"))
                break;
        }
        QCOMPARE(PartOf<QLabel>(area, "SubjectLabel")->text(), QStringLiteral("Ёлка «2026»"));
        QVERIFY(PartOf<TLetterViewer>(area, "Viewer")->Lines() == std::vector<std::string>{"Привет — всем! 5 €"});

        area->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(area));
        QTest::keyClick(letters, Qt::Key_F4);
        QPointer<TEditorForm> editor = OpenWindow<TEditorForm>();
        QVERIFY(editor);
        QVERIFY(QTest::qWaitForWindowActive(editor));
        QTest::keyClick(PartOf<QLineEdit>(editor, "SubjectEdit"), Qt::Key_Return);  // into the text: it is prepared
        auto* text = PartOf<QPlainTextEdit>(editor, "RichEdit");
        QVERIFY2(text->toPlainText().contains(QStringLiteral("\nСВ> Привет — всем! 5 €\n")),
                 qPrintable(text->toPlainText()));
        QTest::keyClick(text, Qt::Key_F2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(editor.isNull(), qPrintable(Questions.join('|') + Errors.join('|')));

        // The answer in the base: UTF-8, with the quote as it was shown.
        const std::string spec = "J" + PointFile("jam/ru.point.talk");
        const std::string number = AnswerTo(spec, Owner.Settings.UserName, "Сергей Волков");
        QVERIFY2(!number.empty(), "the answer is in the base");
        const QString read = QString::fromStdString(RunTool({"read", spec, number, "--kludges"}).Out);
        QVERIFY2(read.contains(QStringLiteral("\n^ACHRS: UTF-8 4\n")), qPrintable(read));
        QVERIFY2(read.contains(QStringLiteral("\nСВ> Привет — всем! 5 €\n")), qPrintable(read));
        Answer({QMessageBox::Yes});
        area->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Answers.clear();
        Questions.clear();
    }
};

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
