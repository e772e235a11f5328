// The area window over bases of every format written in a temporary
// directory. The two 300 ms timers are driven directly: a test fires the
// selection timer where a reader would pause on a letter.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <deque>
#include <memory>

#include "core/FidoAddress.h"
#include "core/MemoryRegistry.h"
#include "core/Registry.h"
#include "core/Startup.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TAreas.h"
#include "msgbase/MsgBaseFactory.h"
#include "settings/QtText.h"
#include "support/LetterWriter.h"
#include "support/MemoryMsgBase.h"
#include "support/TestSupport.h"
#include "text/Canvas.h"
#include "text/LetterDates.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/AreaF/TLetterTreeModel.h"
#include "ui/AreaF/TLetterViewer.h"
#include "ui/AreaF/TypingSearch.h"
#include "ui/AreaWindowEntry.h"
#include "ui/AreasF/TAreasForm.h"
#include "ui/Dialogs.h"
#include "ui/EditorEntry.h"
#include "ui/HelpF/THelpForm.h"
#include "ui/ProgramStart.h"
#include "ui/support/FormParts.h"
#include "ui/support/HelpCheck.h"

namespace {

QString Q(const std::string& text)
{
    return ToQString(text);
}

// A line of 600 characters: 75 words.
std::string LongLine()
{
    std::string line;
    for (int i = 1; i <= 75; ++i)
        line += (i > 1 ? " word" : "word") + std::to_string(100 + i).substr(1);
    return line;
}

// The letters most tests read, in date order. ReplyTo counts letters of
// this list from 1. In the unreads tree: Alpha (Anna, Boris new) and Gamma
// (Denis, Elena new); Beta and the Cyrillic one have nothing new.
std::vector<LetterSpec> StandardLetters()
{
    return {
        {.From = "Anna", .Subject = "Alpha", .Date = 45001.5, .Read = true, .Lines = {"Hello from Anna."}},
        {.From = "Boris", .Subject = "Alpha", .Date = 45002.5, .ReplyTo = 1,
         .Lines = {"Hi Anna!", "", " AN> Hello from Anna.", "", "Boris"}},
        {.From = "Clara", .Subject = "Beta", .Date = 45003.5, .Read = true, .Lines = {"Clara here."}},
        {.From = "Denis", .Subject = "Gamma", .Date = 45004.5,
         .Lines = {"\x01MSGID: 2:5020/77 1234abcd", "Hello All!", "", "--- test", " * Origin: Somewhere (2:5020/77)"}},
        {.From = "Elena", .Subject = "Gamma", .Date = 45005.5, .ReplyTo = 4, .Lines = {"Hi!", "", LongLine(), "", "Elena"}},
        {.From = "Фёдор", .Subject = "Дельта", .Date = 45006.5, .Read = true, .Lines = {"Text."}},
    };
}

// A point of one area in a scratch directory.
class TestArea {
public:
    TestArea(Session& session, char format, std::vector<LetterSpec> letters)
    {
        switch (format) {
        case 'H': Spec = "H001" + Dir.Path() + "/hudson/"; break;
        case 'J': Spec = "J" + Dir.Path() + "/jam/ru.test"; break;
        case 'S': Spec = "S" + Dir.Path() + "/squish/ru.test"; break;
        default: Spec = "F" + Dir.Path() + "/msg/"; break;
        }
        for (LetterSpec letter : letters) {
            if (letter.ReplyTo)
                letter.ReplyTo = Numbers.at(letter.ReplyTo - 1);
            std::vector<Num> written = WriteLetters(Spec, {letter});
            Numbers.push_back(written.empty() ? 0 : written[0]);
        }
        Area = std::make_unique<TArea>(session, "RU.TEST", "Описание", Spec);
        Area->Load();
    }

    // 1 read, 0 unread, -1 not in the base; looked up by another base object.
    int ReadMark(std::size_t letter) const
    {
        std::unique_ptr<MsgBase> base = CreateBaseFor(Spec);
        if (base->OpenBase() != 0)
            return -2;
        base->SeekFirst(Numbers.at(letter - 1));
        int mark = -1;
        if (base->SeekFound()) {
            base->LoadHeader();
            if (base->GetNumber() == Numbers.at(letter - 1))
                mark = base->Header().Flags.Has(LetterFlag::Read) ? 1 : 0;
        }
        base->CloseBase();
        return mark;
    }

    // The sender's address in a letter's header.
    QString HeaderAddress(std::size_t letter) const
    {
        std::unique_ptr<MsgBase> base = CreateBaseFor(Spec);
        if (base->OpenBase() != 0)
            return QString();
        base->SeekFirst(Numbers.at(letter - 1));
        base->LoadHeader();
        FidoAddress origin;
        origin = base->Header().Orig;
        const QString address = Q(AddressToText(origin));
        base->CloseBase();
        return address;
    }

    // Another program deletes a letter.
    void DeleteBehindTheWindow(std::size_t letter) const
    {
        std::unique_ptr<MsgBase> base = CreateBaseFor(Spec);
        QCOMPARE(base->OpenBase(), Status(0));
        base->SeekFirst(Numbers.at(letter - 1));
        QCOMPARE(base->DeleteLetter(), Status(0));
        base->CloseBase();
    }

    TempDir Dir;
    std::string Spec;
    std::vector<Num> Numbers;
    std::unique_ptr<TArea> Area;
};

QTreeView* TreeOf(TAreaForm* form)
{
    return PartOf<QTreeView>(form, "Tree");
}

TLetterViewer* ViewerOf(TAreaForm* form)
{
    return PartOf<TLetterViewer>(form, "Viewer");
}

// The text of a label of the letter's header or the status bar.
QString Shown(TAreaForm* form, const char* label)
{
    return PartOf<QLabel>(form, label)->text();
}

// The tree as the control shows it: bold rows marked with "*", children in
// parentheses.
QString RowsText(const QAbstractItemModel* model, const QModelIndex& parent)
{
    QStringList rows;
    for (int i = 0; i < model->rowCount(parent); ++i) {
        const QModelIndex row = model->index(i, 0, parent);
        const bool bold = qvariant_cast<QFont>(row.data(Qt::FontRole)).bold();
        QString text = (bold ? QStringLiteral("*") : QString()) + row.data().toString();
        if (model->rowCount(row) > 0)
            text += "(" + RowsText(model, row) + ")";
        rows << text;
    }
    return rows.join(' ');
}

QString TreeText(TAreaForm* form)
{
    return RowsText(TreeOf(form)->model(), QModelIndex());
}

QString Selected(TAreaForm* form)
{
    return TreeOf(form)->currentIndex().data().toString();
}

QModelIndex RowNamed(TAreaForm* form, const QString& text)
{
    const QAbstractItemModel* model = TreeOf(form)->model();
    const QModelIndexList found =
        model->match(model->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? QModelIndex() : found.first();
}

// The image a row shows (0..6).
int ImageOf(TAreaForm* form, const QString& text)
{
    return static_cast<const TLetterTreeModel*>(TreeOf(form)->model())->ImageOf(RowNamed(form, text));
}

// The user picks a node and rests on it until it is current.
void Choose(TAreaForm* form, const QString& text)
{
    const QModelIndex row = RowNamed(form, text);
    QVERIFY2(row.isValid(), qPrintable(text));
    TreeOf(form)->setCurrentIndex(row);
    form->SetCurrentTimerFired();
}

QStringList Lines(TAreaForm* form)
{
    QStringList lines;
    for (const std::string& line : ViewerOf(form)->Lines())
        lines << Q(line);
    return lines;
}

// The tool bar's button of a menu command (they share the command's action).
QToolButton* ButtonOf(TAreaForm* form, const char* command)
{
    auto* button = qobject_cast<QToolButton*>(PartOf<QToolBar>(form, "SpeedBar")->widgetForAction(ActionOf(form, command)));
    if (!button)
        QTest::qFail((QByteArray("no button shows ") + command).constData(), __FILE__, __LINE__);
    return button;
}

// The view the window shows: the menu's check and the tool bar's agree.
QString ViewShown(TAreaForm* form)
{
    QStringList checked;
    for (const char* view : {"UnreadsTree", "SimpleTree", "List"}) {
        const bool item = ActionOf(form, (std::string(view) + "Item").c_str())->isChecked();
        const bool button = ButtonOf(form, (std::string(view) + "Item").c_str())->isChecked();
        if (item != button)
            return QStringLiteral("menu and tool bar differ on ") + view;
        if (item)
            checked << view;
    }
    return checked.join('+');
}

QString Key(const std::string& name)
{
    std::string value;
    UserRegistry().ReadString(SettingsKey() + "\\TAreaForm", name, value);
    return Q(value);
}

// An editor of an area, as far as closing the area window is concerned.
class FakeEditor : public FormWindow {
public:
    explicit FakeEditor(TArea* area) : Edited(area) {}
    TArea* EditedArea() const override { return Edited; }
    bool QueryCloseArea(TArea& area) override
    {
        if (&area != Edited)
            return false;
        ++Asked;
        return Refuse;
    }
    TArea* Edited;
    bool Refuse = true;
    int Asked = 0;
};

}  // namespace

class AreaFormTest : public QObject {
    Q_OBJECT
private:
    // The session of the windows under test, for the whole run as the program's.
    Session Owner;
    QTemporaryDir Scratch;
    QStringList Questions;
    std::deque<QMessageBox::StandardButton> Answers;
    QStringList Errors;
    int Beeps = 0;
    QList<QPointer<TAreaForm>> Opened;

    TAreaForm* Open(TArea* area)
    {
        auto* form = new TAreaForm(area);
        form->Beep = [this] { ++Beeps; };
        Opened << form;
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form))
            qWarning("the area window did not become active");
        return form;
    }

    static bool Gone(const QPointer<TAreaForm>& form)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return form.isNull();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(Scratch.isValid());
        qputenv("XDG_CONFIG_HOME", Scratch.path().toUtf8());
        SetUserRegistry(std::make_unique<MemoryRegistry>());
        Owner.Settings = UserSettings{};
        SetAskHandler([this](const QString& text, QMessageBox::Icon, QMessageBox::StandardButtons buttons) {
            Questions << text;
            if (Answers.empty() || !(buttons & Answers.front()))
                return QMessageBox::Cancel;
            QMessageBox::StandardButton answer = Answers.front();
            Answers.pop_front();
            return answer;
        });
        SetMessageHandler([this](const QString& text) { Errors << text; });
    }

    void init()
    {
        Questions.clear();
        Answers.clear();
        Errors.clear();
        Beeps = 0;
        SetUserRegistry(std::make_unique<MemoryRegistry>());
    }

    void cleanup()
    {
        for (const QPointer<TAreaForm>& form : Opened)
            delete form.data();
        Opened.clear();
        Owner.Areas.SetCurrent(nullptr);
        SetEditorWindowFactory(nullptr);
        SetAreaWindowFactory(nullptr);
        QVERIFY2(Errors.isEmpty(), qPrintable(Errors.join('|')));
    }

    // ------------------------------------------------------------ reading

    void ReadingThroughTheNewLettersOnEveryFormat_data()
    {
        QTest::addColumn<QChar>("format");
        QTest::newRow("Hudson") << QChar('H');
        QTest::newRow("*.MSG") << QChar('F');
        QTest::newRow("Squish") << QChar('S');
        QTest::newRow("JAM") << QChar('J');
    }

    void ReadingThroughTheNewLettersOnEveryFormat()
    {
        QFETCH(QChar, format);
        TestArea point(Owner, format.toLatin1(), StandardLetters());
        TArea* area = point.Area.get();
        QPointer<TAreaForm> form = Open(area);

        // The unreads tree with the first new letter selected, silently; it
        // becomes current once the selection has rested.
        QCOMPARE(form->windowTitle(), QStringLiteral("Описание(RU.TEST)"));
        QCOMPARE(ViewShown(form), QStringLiteral("UnreadsTree"));
        QCOMPARE(TreeText(form), QStringLiteral("Описание(RU.TEST)(Alpha(Anna(*Boris)) Gamma(*Denis(*Elena)))"));
        QCOMPARE(Selected(form), QStringLiteral("Boris"));
        QVERIFY(Questions.isEmpty());
        // Images: the area; a subject opened to show the selection, and one
        // closed over new letters; a read letter; a new one.
        auto image = [&form](const char* text) { return ImageOf(form, QString::fromUtf8(text)); };
        QCOMPARE(image("Описание(RU.TEST)"), 0);
        QCOMPARE(image("Alpha"), 1);
        QCOMPARE(image("Gamma"), 2);
        QCOMPARE(image("Anna"), 3);
        QCOMPARE(image("Boris"), 5);
        QVERIFY(!area->Current);
        QVERIFY(PartOf<QTimer>(form, "SetCurrent")->isActive());
        QCOMPARE(PartOf<QTimer>(form, "SetCurrent")->interval(), 300);
        form->SetCurrentTimerFired();
        QCOMPARE(Q(area->Current->From), QStringLiteral("Boris"));
        QCOMPARE(Shown(form, "SubjectLabel"), QStringLiteral("Alpha"));
        // No MSGID or origin line: the address in the letter's header.
        QCOMPARE(Shown(form, "FromLabel"), QStringLiteral("Boris  ") + point.HeaderAddress(2));
        QCOMPARE(Shown(form, "ToLabel"), QStringLiteral("All  "));
        QCOMPARE(Shown(form, "DateTimeWritten"), Q(LetterDateTime(45002.5)));
        QCOMPARE(Shown(form, "DateTimeArrived"), QString());
        QCOMPARE(Lines(form), (QStringList{"Hi Anna!", "", " AN> Hello from Anna.", "", "Boris"}));
        QCOMPARE(Shown(form, "StatusPanel2"), QStringLiteral("44 байт"));  // 34 characters in 5 lines
        QCOMPARE(Shown(form, "StatusPanel0"), QStringLiteral("RU.TEST: 3 осталось, 0 прочитал, 6 всего"));
        QCOMPARE(Shown(form, "StatusPanel1"), QStringLiteral("1 осталось, 0 прочитал, 2 всего"));
        QCOMPARE(ViewerOf(form)->RowColour(2), QColor(0, 0, 0x80));

        // Enter goes into the letter; moving on from it marks it read.
        QCOMPARE(form->focusWidget(), static_cast<QWidget*>(TreeOf(form)));
        QTest::keyClick(TreeOf(form), Qt::Key_Return);
        QCOMPARE(form->focusWidget(), static_cast<QWidget*>(ViewerOf(form)));
        QTest::keyClick(ViewerOf(form), Qt::Key_Right);
        QCOMPARE(point.ReadMark(2), 1);
        QCOMPARE(Selected(form), QStringLiteral("Denis"));
        QCOMPARE(TreeText(form), QStringLiteral("Описание(RU.TEST)(Alpha(Anna(*Boris)) Gamma(*Denis(*Elena)))"));
        form->SetCurrentTimerFired();
        QCOMPARE(Shown(form, "FromLabel"), QStringLiteral("Denis  2:5020/77"));

        // Moving on from the tree marks nothing.
        QTest::keyClick(ViewerOf(form), Qt::Key_Return);
        QCOMPARE(form->focusWidget(), static_cast<QWidget*>(TreeOf(form)));
        QTest::keyClick(TreeOf(form), Qt::Key_Right);
        QCOMPARE(Selected(form), QStringLiteral("Elena"));
        QCOMPARE(point.ReadMark(4), 0);
        form->SetCurrentTimerFired();

        // Past the last new letter: the leave question; Cancel stays.
        Answers = {QMessageBox::Cancel};
        QTest::keyClick(TreeOf(form), Qt::Key_Right);
        QCOMPARE(Questions, QStringList{"Выходим из области Описание(RU.TEST).\n"
                                        "Пометить оставшиеся непрочитанные письма, как прочитанные?"});
        QVERIFY(!Gone(form));
        QVERIFY(form->isVisible());
        QCOMPARE(Selected(form), QStringLiteral("Elena"));

        // Esc asks again; Yes marks the rest read and the window goes.
        Answers = {QMessageBox::Yes};
        QTest::keyClick(TreeOf(form), Qt::Key_Escape);
        QCOMPARE(Questions.size(), 2);
        QVERIFY(Gone(form));
        for (std::size_t letter = 1; letter <= 6; ++letter)
            QCOMPARE(point.ReadMark(letter), 1);
        QCOMPARE(area->UnreadCount, 0);
        QCOMPARE(area->OpenCount, 0);
        QCOMPARE(Owner.Areas.Current, area);
    }

    void RunningOffTheEndWithNothingLeftUnreadAsksWhetherToLeave()
    {
        TestArea point(Owner, 'F', {StandardLetters()[0], StandardLetters()[1]});
        QPointer<TAreaForm> form = Open(point.Area.get());
        form->SetCurrentTimerFired();
        QCOMPARE(Q(point.Area->Current->From), QStringLiteral("Boris"));
        ViewerOf(form)->setFocus();
        Answers = {QMessageBox::Cancel};
        ActionOf(form, "NextUnreadLetterItem")->trigger();
        QCOMPARE(point.ReadMark(2), 1);
        QCOMPARE(Questions, QStringList{"Выходим из области Описание(RU.TEST)?"});
        QVERIFY(!Gone(form));
        // Cancel left nothing agreed: running off the end asks again.
        Answers = {QMessageBox::Cancel};
        ActionOf(form, "NextUnreadLetterItem")->trigger();
        QCOMPARE(Questions.size(), 2);
        QVERIFY(!Gone(form));
        // Nothing is left unread: Esc leaves without a question.
        QTest::keyClick(ViewerOf(form), Qt::Key_Escape);
        QVERIFY(Gone(form));
        QCOMPARE(Questions.size(), 2);

        // An area whose base cannot be opened makes no window.
        TArea broken(Owner, "BROKEN", "D", "X" + point.Dir.Path());
        QVERIFY_THROWS_EXCEPTION(ECantOpenArea, new TAreaForm(&broken));
        QVERIFY(!FindAreaWindow(&broken));

        // Opened again, the letters read in this run are still new there; OK leaves.
        form = Open(point.Area.get());
        QCOMPARE(Selected(form), QStringLiteral("Boris"));
        QCOMPARE(TreeText(form), QStringLiteral("Описание(RU.TEST)(Alpha(Anna(*Boris)))"));
        Answers = {QMessageBox::Ok};
        ActionOf(form, "NextLetterItem")->trigger();
        QCOMPARE(Questions.size(), 3);
        QVERIFY(Gone(form));
    }

    // ------------------------------------------------------------ views and the viewer

    void TheTreeTakesTwoFifthsTheLetterMenuIsEverywhereF1Helps()
    {
        TestArea point(Owner, 'F', {StandardLetters()[0]});
        QPointer<TAreaForm> form = Open(point.Area.get());
        // No width stored yet: wide enough for a subject and a name.
        auto* splitter = PartOf<QSplitter>(form, "Splitter");
        const int share = (splitter->width() - splitter->handleWidth()) * 2 / 5;
        const int tree = PartOf<QWidget>(form, "BrowsePanel")->width();
        QVERIFY2(qAbs(tree - share) <= 2, qPrintable(QString::number(tree)));

        // A right-click below the letter's rows shows the letter's menu too.
        QWidget* viewport = PartOf<QScrollArea>(form, "ScrollBox")->viewport();
        const QPoint below(viewport->width() / 2, viewport->height() - 4);
        QVERIFY(ViewerOf(form)->height() < below.y());
        QContextMenuEvent click(QContextMenuEvent::Mouse, below, viewport->mapToGlobal(below));
        QApplication::sendEvent(viewport, &click);
        QTRY_VERIFY(PartOf<QMenu>(form, "LetterItem")->isVisible());
        PartOf<QMenu>(form, "LetterItem")->hide();

        QCOMPARE(UndocumentedKeys(form, QStringLiteral("area")), QStringList());
        QTest::keyClick(TreeOf(form), Qt::Key_F1);
        QVERIFY(THelpForm::Current());
        QCOMPARE(THelpForm::Current()->CurrentSection(), QStringLiteral("area"));
        delete THelpForm::Current();
    }

    void ViewsControlLinesAndLongLines()
    {
        TestArea point(Owner, 'J', StandardLetters());
        QPointer<TAreaForm> form = Open(point.Area.get());

        QTest::keyClick(TreeOf(form), Qt::Key_F9, Qt::ControlModifier);
        QCOMPARE(ViewShown(form), QStringLiteral("SimpleTree"));
        const QString full = TreeText(form);
        QVERIFY2(full.contains(QStringLiteral("Alpha(Anna(*Boris)) Beta(Clara)")), qPrintable(full));
        QVERIFY(full.contains(QStringLiteral("Дельта(Фёдор)")));
        QVERIFY(full.contains(QStringLiteral("Gamma(*Denis(*Elena))")));
        QCOMPARE(Selected(form), QStringLiteral("Описание(RU.TEST)"));
        QTest::keyClick(TreeOf(form), Qt::Key_F9, Qt::AltModifier);
        QCOMPARE(TreeText(form), QStringLiteral("Anna *Boris Clara *Denis *Elena Фёдор"));
        QCOMPARE(ViewShown(form), QStringLiteral("List"));
        ButtonOf(form, "UnreadsTreeItem")->click();
        QCOMPARE(ViewShown(form), QStringLiteral("UnreadsTree"));
        QCOMPARE(TreeText(form), QStringLiteral("Описание(RU.TEST)(Alpha(Anna(*Boris)) Gamma(*Denis(*Elena)))"));

        // Control lines: hidden, then shown in red with Ctrl+K, which the
        // button mirrors.
        Choose(form, QStringLiteral("Denis"));
        QCOMPARE(Lines(form), (QStringList{"Hello All!", "", "--- test", " * Origin: Somewhere (2:5020/77)"}));
        QCOMPARE(ViewerOf(form)->RowColour(3), QColor(0xC0, 0xC0, 0xC0));
        QTest::keyClick(TreeOf(form), Qt::Key_K, Qt::ControlModifier);
        QVERIFY(ActionOf(form, "KludgesItem")->isChecked() && ButtonOf(form, "KludgesItem")->isChecked());
        QCOMPARE(Lines(form).first(), QStringLiteral("\x01MSGID: 2:5020/77 1234abcd"));
        QCOMPARE(ViewerOf(form)->RowColour(0), QColor(0xFF, 0, 0));
        QCOMPARE(ViewerOf(form)->RowText(0), QStringLiteral("MSGID: 2:5020/77 1234abcd"));
        ButtonOf(form, "KludgesItem")->click();
        QVERIFY(!ActionOf(form, "KludgesItem")->isChecked());
        QCOMPARE(Lines(form).size(), 4);

        // A line of 600 characters is shown whole, wrapped to the viewer.
        Choose(form, QStringLiteral("Elena"));
        auto wrapped = [&form] {
            QStringList lines = Lines(form);
            return lines.mid(2, lines.size() - 4);
        };
        const QStringList before = wrapped();
        QVERIFY(before.size() > 1);
        QCOMPARE(before.join(' '), Q(LongLine()));
        const int room = ViewerOf(form)->width() - 19;
        QCOMPARE(ViewerOf(form)->width(), PartOf<QScrollArea>(form, "ScrollBox")->viewport()->width());
        for (const QString& line : before)
            QVERIFY(ViewerOf(form)->TextCanvas().TextWidth(FromQString(line)) < room);
        QCOMPARE(ViewerOf(form)->height(), static_cast<int>(Lines(form).size()) * TLetterViewer::RowPitch);
        // A narrower viewer (the splitter moved) wraps it again.
        auto* splitter = PartOf<QSplitter>(form, "Splitter");
        const QList<int> sizes = splitter->sizes();
        splitter->setSizes({sizes[0] + 300, sizes[1] - 300});
        QTRY_COMPARE(ViewerOf(form)->width(), PartOf<QScrollArea>(form, "ScrollBox")->viewport()->width());
        const QStringList after = wrapped();
        QVERIFY(after.size() > before.size());
        QCOMPARE(after.join(' '), Q(LongLine()));

        // Scrolling keys in the viewer; with Shift the key is the menu's.
        ViewerOf(form)->setFocus();
        form->showNormal();
        form->resize(760, 300);
        QScrollBar* scroll = PartOf<QScrollArea>(form, "ScrollBox")->verticalScrollBar();
        QTRY_VERIFY(scroll->maximum() > 0);
        QTest::keyClick(ViewerOf(form), Qt::Key_End);
        QCOMPARE(scroll->value(), scroll->maximum());
        QTest::keyClick(ViewerOf(form), Qt::Key_Home);
        QCOMPARE(scroll->value(), 0);
        QTest::keyClick(ViewerOf(form), Qt::Key_Down);
        QCOMPARE(scroll->value(), TLetterViewer::RowPitch);
        // Another area's letter changing does not disturb this one.
        {
            TArea other(Owner, "OTHER", "D", "F" + point.Dir.Path() + "/other/");
            NotifyForms(&ModelObserver::CurrentLetterChanged, other);
        }
        QCOMPARE(scroll->value(), TLetterViewer::RowPitch);
        // Minus in the viewer goes up a level (in the tree it would close the branch).
        QTest::keyClick(ViewerOf(form), Qt::Key_Minus);
        QCOMPARE(Selected(form), QStringLiteral("Denis"));
        QTest::keyClick(ViewerOf(form), Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(Selected(form), QStringLiteral("Denis"));  // no sibling above
        QCOMPARE(point.ReadMark(5), 1);  // read in the viewer before moving on
        TreeOf(form)->setFocus();
        TreeOf(form)->expand(RowNamed(form, QStringLiteral("Gamma")));
        TreeOf(form)->setCurrentIndex(RowNamed(form, QStringLiteral("Gamma")));
        QTest::keyClick(TreeOf(form), Qt::Key_Minus);
        QVERIFY(!TreeOf(form)->isExpanded(RowNamed(form, QStringLiteral("Gamma"))));
        QVERIFY(!TreeOf(form)->isExpanded(RowNamed(form, QStringLiteral("Denis"))));
        // Collapsing everything from a subject goes to its first letter and
        // keeps that one in sight; expanding everything opens every branch.
        QTest::keyClick(TreeOf(form), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(Selected(form), QStringLiteral("Denis"));
        QCOMPARE(Q(point.Area->Current->From), QStringLiteral("Denis"));
        QVERIFY(TreeOf(form)->isExpanded(RowNamed(form, QStringLiteral("Gamma"))));
        QVERIFY(!TreeOf(form)->isExpanded(RowNamed(form, QStringLiteral("Alpha"))));
        ActionOf(form, "ExpandAllItem")->trigger();
        QVERIFY(TreeOf(form)->isExpanded(RowNamed(form, QStringLiteral("Alpha"))));
        QVERIFY(TreeOf(form)->isExpanded(RowNamed(form, QStringLiteral("Anna"))));

    }

    void AReplyChainOfAnyDepthOpensAndExpands()
    {
        // Thirty thousand letters, each answering the one before: the tree
        // control would recurse once per level until the stack ran out.
        MemoryMsgBase::RegisterFormat();
        const std::string spec = "Mdeep-chain";
        const int chain = 30000;
        Num previous = 0;
        for (int i = 0; i < chain; ++i)
            previous = WriteLetters(spec, {{.From = "x" + std::to_string(i), .Subject = "deep", .Date = 45000 + i * 1e-3,
                                            .ReplyTo = previous, .Read = i + 1 < chain}})[0];
        TArea area(Owner, "DEEP", "Описание", spec);
        area.Load();
        QPointer<TAreaForm> form = Open(&area);
        ActionOf(form, "ExpandAllItem")->trigger();
        const QModelIndex last = RowNamed(form, QStringLiteral("x%1").arg(chain - 1));
        QVERIFY(last.isValid());
        TreeOf(form)->scrollTo(last);
        QCoreApplication::processEvents();
        int depth = 0;
        for (QModelIndex row = last; row.parent().isValid(); row = row.parent())
            ++depth;
        QCOMPARE(depth, TConversationTree::DeepestLevel + 1);
        QCOMPARE(Selected(form), QStringLiteral("x%1").arg(chain - 1));  // the new letter
        delete form.data();
    }

    void SearchingByTyping()
    {
        TestArea point(Owner, 'S', StandardLetters());
        QPointer<TAreaForm> form = Open(point.Area.get());
        ActionOf(form, "SimpleTreeItem")->trigger();
        const QModelIndex top = TreeOf(form)->model()->index(0, 0);
        QCOMPARE(Selected(form), top.data().toString());

        QTest::keyClicks(TreeOf(form), QStringLiteral("ga"));
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Ищем: GA"));
        QCOMPARE(TreeOf(form)->currentIndex(), top);  // after the pause
        QVERIFY(PartOf<QTimer>(form, "DoFind")->isActive());
        QCOMPARE(PartOf<QTimer>(form, "DoFind")->interval(), 300);
        form->DoFindTimerFired();
        QCOMPARE(Selected(form), QStringLiteral("Denis"));  // the subject matches
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Ищем: GA"));

        QTest::keyClick(TreeOf(form), Qt::Key_L, Qt::ControlModifier);
        form->DoFindTimerFired();
        QCOMPARE(Selected(form), QStringLiteral("Elena"));
        QTest::keyClick(TreeOf(form), Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(Beeps, 1);
        QVERIFY(!PartOf<QTimer>(form, "DoFind")->isActive());
        QCOMPARE(Selected(form), QStringLiteral("Elena"));

        // A Cyrillic capital that matches nothing: a beep, the text stays.
        QKeyEvent cyrillic(QEvent::KeyPress, 0x0434, Qt::NoModifier, QStringLiteral("д"));
        QApplication::sendEvent(TreeOf(form), &cyrillic);
        QCOMPARE(Beeps, 2);
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Ищем: GA"));
        // Backspace searches for the shorter text, still taking the second
        // match (Denis is the first).
        QTest::keyClick(TreeOf(form), Qt::Key_Backspace);
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Ищем: G"));
        QVERIFY(PartOf<QTimer>(form, "DoFind")->isActive());
        form->DoFindTimerFired();
        QCOMPARE(Selected(form), QStringLiteral("Elena"));
        QCOMPARE(Beeps, 2);

        // Any other selection ends the search.
        TreeOf(form)->setCurrentIndex(top);
        QCOMPARE(form->statusBar()->currentMessage(), QString());
        QVERIFY(!PartOf<QTimer>(form, "DoFind")->isActive());

        // Cyrillic and digits search the names too; keys that take no part go to the tree.
        QKeyEvent fyodor(QEvent::KeyPress, 0x0444, Qt::NoModifier, QStringLiteral("ф"));
        QApplication::sendEvent(TreeOf(form), &fyodor);
        form->DoFindTimerFired();
        QCOMPARE(Selected(form), QStringLiteral("Фёдор"));
        QTest::keyClick(TreeOf(form), Qt::Key_5);
        QCOMPARE(Beeps, 3);
        QTest::keyClick(TreeOf(form), Qt::Key_Plus);
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Ищем: Ф"));
        // A rebuilt tree ends it too, and the match of the old tree is forgotten.
        QTest::keyClick(TreeOf(form), Qt::Key_F9);
        QCOMPARE(form->statusBar()->currentMessage(), QString());
        const QString rebuilt = Selected(form);
        form->DoFindTimerFired();
        QCOMPARE(Selected(form), rebuilt);
    }

    // The keys that spell the search: digits and the capitals A..Z and А..Я
    // (Ё not among them) as typed, Shift or the keypad allowed; Ctrl+L and
    // Backspace; nothing with Ctrl, Alt or Meta.
    void WhichKeysSearchByTyping()
    {
        using Key = TypingSearch::Key;
        struct Case {
            int Code;
            Qt::KeyboardModifiers Mods;
            QString Text;
            Key Expected;
        };
        const Case cases[] = {
            {Qt::Key_A, Qt::NoModifier, "a", Key::Character},
            {Qt::Key_Z, Qt::ShiftModifier, "Z", Key::Character},
            {Qt::Key_7, Qt::KeypadModifier, "7", Key::Character},
            {0x0430, Qt::NoModifier, QStringLiteral("а"), Key::Character},
            {0x044F, Qt::NoModifier, QStringLiteral("я"), Key::Character},
            {0x0451, Qt::NoModifier, QStringLiteral("ё"), Key::None},
            {Qt::Key_Plus, Qt::NoModifier, "+", Key::None},
            {Qt::Key_Space, Qt::NoModifier, " ", Key::None},
            {Qt::Key_A, Qt::AltModifier, "a", Key::None},
            {Qt::Key_K, Qt::ControlModifier, "\x0b", Key::None},
            {Qt::Key_L, Qt::ControlModifier, "\x0c", Key::Again},
            {Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier, "\x0c", Key::None},
            {Qt::Key_Backspace, Qt::NoModifier, "\b", Key::Backspace},
            {Qt::Key_Backspace, Qt::ShiftModifier, "\b", Key::None},
        };
        for (const Case& test : cases)
            QVERIFY2(TypingSearch::KindOf(test.Code, test.Mods, test.Text) == test.Expected,
                     qPrintable(test.Text + QString::number(test.Mods.toInt())));
    }

    // ------------------------------------------------------------ changing letters

    void DeletingLetters()
    {
        TestArea point(Owner, 'H', StandardLetters());
        QPointer<TAreaForm> form = Open(point.Area.get());
        ActionOf(form, "SimpleTreeItem")->trigger();
        Choose(form, QStringLiteral("Boris"));
        Answers = {QMessageBox::No};
        QTest::keyClick(TreeOf(form), Qt::Key_Delete);
        QCOMPARE(Questions, QStringList{"Удалить письмо?"});
        QCOMPARE(point.ReadMark(2), 0);

        // An answer: the letter it answers becomes current.
        Answers = {QMessageBox::Yes};
        QTest::keyClick(TreeOf(form), Qt::Key_Delete);
        QCOMPARE(point.ReadMark(2), -1);
        QCOMPARE(Q(point.Area->Current->From), QStringLiteral("Anna"));
        QCOMPARE(Lines(form), QStringList{"Hello from Anna."});
        QCOMPARE(Selected(form), QStringLiteral("Anna"));
        QCOMPARE(point.Area->Letters.Count(), 5u);

        // A thread root: no letter is current, the viewer is emptied.
        Answers = {QMessageBox::Yes};
        ActionOf(form, "DeleteLetterItem")->trigger();
        QCOMPARE(point.ReadMark(1), -1);
        QVERIFY(!point.Area->Current);
        QVERIFY(ViewerOf(form)->Lines().empty());
        QCOMPARE(Shown(form, "SubjectLabel"), QString());
        QVERIFY(!TreeText(form).contains(QStringLiteral("Alpha")));

        // A letter with an answer: the answer is in no tree until the area
        // is loaded again; the list shows it.
        Choose(form, QStringLiteral("Denis"));
        Answers = {QMessageBox::Yes};
        ActionOf(form, "DeleteLetterItem")->trigger();
        QVERIFY(!TreeText(form).contains(QStringLiteral("Elena")));
        ActionOf(form, "ListItem")->trigger();
        QCOMPARE(TreeText(form), QStringLiteral("Clara *Elena Фёдор"));
        // In the list every deletion leaves no current letter.
        Choose(form, QStringLiteral("Clara"));
        Answers = {QMessageBox::Yes};
        ActionOf(form, "DeleteLetterItem")->trigger();
        QVERIFY(!point.Area->Current);
        QVERIFY(ViewerOf(form)->Lines().empty());
        QCOMPARE(Questions.size(), 5);
    }

    void LetterCommandsOpenTheEditorAndVanishedLettersAreLeftAlone()
    {
        TestArea point(Owner, 'F', StandardLetters());
        QPointer<TAreaForm> form = Open(point.Area.get());
        QStringList editors;
        SetEditorWindowFactory([&](TArea* area, int mode) -> FormWindow* {
            editors << Q(area->Tag) + ":" + QString::number(mode) + ":" +
                           (area->Current ? Q(area->Current->From) : QString());
            return nullptr;
        });
        // The pending letter is made current first; replying marks it read.
        QCOMPARE(Selected(form), QStringLiteral("Boris"));
        QTest::keyClick(TreeOf(form), Qt::Key_F4);
        QCOMPARE(editors, QStringList{"RU.TEST:2:Boris"});
        QCOMPARE(point.ReadMark(2), 1);
        QCOMPARE(ImageOf(form, QStringLiteral("Boris")), 3);
        QVERIFY(qvariant_cast<QFont>(RowNamed(form, QStringLiteral("Boris")).data(Qt::FontRole)).bold());  // still new in this run
        QCOMPARE(Shown(form, "StatusPanel0"), QStringLiteral("RU.TEST: 2 осталось, 1 прочитал, 6 всего"));

        // Reply in another area marks read and opens nothing; a new letter
        // needs no current letter, the others do.
        Choose(form, QStringLiteral("Denis"));
        QTest::keyClick(TreeOf(form), Qt::Key_B, Qt::AltModifier);
        QCOMPARE(point.ReadMark(4), 1);
        QCOMPARE(editors.size(), 1);
        Choose(form, QStringLiteral("Gamma"));
        QTest::keyClick(TreeOf(form), Qt::Key_F2);
        QTest::keyClick(TreeOf(form), Qt::Key_Insert);
        QCOMPARE(editors, (QStringList{"RU.TEST:2:Boris", "RU.TEST:0:"}));

        // A letter another program deleted: shown as missing, and nothing acts on it.
        Choose(form, QStringLiteral("Elena"));
        point.DeleteBehindTheWindow(5);
        // Shown anew (control lines on and off again), it is no longer there.
        ActionOf(form, "KludgesItem")->trigger();
        ActionOf(form, "KludgesItem")->trigger();
        QCOMPARE(Lines(form),
                 QStringList{QStringLiteral("[письмо #%1 отсутствует в базе]").arg(point.Numbers[4])});
        QTest::keyClick(TreeOf(form), Qt::Key_F4, Qt::ShiftModifier);
        QTest::keyClick(TreeOf(form), Qt::Key_Delete);
        QCOMPARE(editors.size(), 2);
        QVERIFY(Questions.isEmpty());
        // Reading on from it moves on without an error (it cannot be marked).
        ViewerOf(form)->setFocus();
        ActionOf(form, "PreviousLetterItem")->trigger();
        QCOMPARE(Selected(form), QStringLiteral("Denis"));
        QVERIFY(point.Area->Current->Unread);
        QCOMPARE(point.Area->UnreadCount, 1);
    }

    // ------------------------------------------------------------ among the other windows

    void EnteredFromTheAreasWindowClosedAfterTheEditorsAndStored()
    {
        TempDir dir;
        WriteLetters("J" + dir.Path() + "/jam/ru.test", StandardLetters());
        WriteLetters("F" + dir.Path() + "/msg/", {{.Subject = "Other", .Date = 45000.5}});
        WriteFileBytes(dir / "areas.bbs", "!" + dir.Path() + "/jam/ru.test RU.TEST\n" + dir.Path() +
                                               "/msg NETMAIL\n");
        std::unique_ptr<TAreasForm> areas = StartProgram(
            Owner, {Q(dir / "toss.flag"), Q(dir / "areas.bbs"), Q(dir.Path() + "/hudson/")}, QStringLiteral("quorvel"));
        QVERIFY(areas);
        areas->Beep = [] {};
        QTRY_VERIFY_WITH_TIMEOUT(Owner.Areas.Scanned && !Owner.Areas.Scanning, 5000);
        areas->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(areas.get()));
        QCOMPARE(Q(Owner.Areas.Current->Tag), QStringLiteral("NETMAIL"));  // fewest unread first
        QTreeWidget* areasTree = PartOf<QTreeWidget>(areas.get(), "Tree");
        areasTree->setCurrentItem(areasTree->topLevelItem(0)->child(1));
        TArea* area = Owner.Areas.Current;
        QCOMPARE(Q(area->Tag), QStringLiteral("RU.TEST"));

        // Enter opens the area's window, once.
        QTest::keyClick(areasTree, Qt::Key_Return);
        QPointer<TAreaForm> form = qobject_cast<TAreaForm*>(FindAreaWindow(area));
        QVERIFY(form);
        Opened << form;
        QVERIFY(form->isMaximized());
        QVERIFY(QTest::qWaitForWindowActive(form));
        areas->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(areas.get()));
        QTest::keyClick(areasTree, Qt::Key_Return);
        QVERIFY(QTest::qWaitForWindowActive(form));
        int windows = 0;
        for (FormWindow* window : FormWindow::AllForms())
            windows += qobject_cast<TAreaForm*>(window) ? 1 : 0;
        QCOMPARE(windows, 1);
        // F12 goes back and forth.
        QTest::keyClick(TreeOf(form), Qt::Key_F12);
        QVERIFY(QTest::qWaitForWindowActive(areas.get()));
        QTest::keyClick(areasTree, Qt::Key_F12);
        QVERIFY(QTest::qWaitForWindowActive(form));

        // An editor of the area that refuses keeps the window open, unasked.
        FakeEditor editor(area);
        editor.show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::keyClick(TreeOf(form), Qt::Key_F11);
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::keyClick(TreeOf(form), Qt::Key_Escape);
        QCOMPARE(editor.Asked, 1);
        QVERIFY(Questions.isEmpty());
        QVERIFY(!Gone(form));

        // Placement and view are kept when it closes, and come back.
        ActionOf(form, "KludgesItem")->trigger();
        auto* splitter = PartOf<QSplitter>(form, "Splitter");
        splitter->setSizes({300, splitter->width() - 300 - splitter->handleWidth()});
        ViewerOf(form)->setFocus();
        editor.Refuse = false;
        Answers = {QMessageBox::No};
        QTest::keyClick(ViewerOf(form), Qt::Key_Escape);
        QCOMPARE(editor.Asked, 2);
        QCOMPARE(Questions.size(), 1);
        QVERIFY(Gone(form));
        QCOMPARE(Key("KludgesItem.Checked"), QStringLiteral("1"));
        QCOMPARE(Key("BrowsePanel.Width"), QStringLiteral("300"));
        QCOMPARE(Key("ActiveControl"), QStringLiteral("Viewer"));
        QCOMPARE(Key("ShowCmd"), QStringLiteral("3"));
        QVERIFY(Key("SpeedBar.Buttons").contains(QStringLiteral("NextUnreadLetterSpeedItem")));
        QVERIFY(!Key("SpeedBar.Buttons").contains(QStringLiteral("ReplyInOtherAreaSpeedItem")));
        QCOMPARE(Owner.Areas.Current, area);  // the area left is the current area, with unread letters still

        // A layout the user chose comes back, by the buttons' own names.
        UserRegistry().WriteString(SettingsKey() + "\\TAreaForm", "SpeedBar.Buttons",
                                   "ReplyInOtherAreaSpeedItem,KludgesSpeedItem,NextLetterSpeedItem");
        areas->EnterArea(area);
        form = qobject_cast<TAreaForm*>(FindAreaWindow(area));
        QVERIFY(form);
        Opened << form;
        QVERIFY(ActionOf(form, "KludgesItem")->isChecked() && ButtonOf(form, "KludgesItem")->isChecked());
        QList<QAction*> shown;
        for (QAction* action : PartOf<QToolBar>(form, "SpeedBar")->actions())
            if (!action->isSeparator())
                shown << action;
        QCOMPARE(shown, (QList<QAction*>{ActionOf(form, "ReplyInOtherAreaItem"), ActionOf(form, "KludgesItem"),
                                         ActionOf(form, "NextLetterItem")}));
        QCOMPARE(PartOf<QWidget>(form, "BrowsePanel")->width(), 300);
        QCOMPARE(form->focusWidget(), static_cast<QWidget*>(ViewerOf(form)));

        // The area leaves the areas file: its window closes with it.
        editor.Edited = nullptr;
        WriteFileBytes(dir / "areas.bbs", dir.Path() + "/msg NETMAIL\n");
        Owner.Areas.Invalidate();
        Owner.Areas.Scan();
        QVERIFY(Gone(form));
        QCOMPARE(Questions.size(), 1);
        areas.reset();
        Owner.Areas.FreeAreas();
        Owner.Areas.Invalidate();
    }
};

QTEST_MAIN(AreaFormTest)
#include "AreaFormTest.moc"
