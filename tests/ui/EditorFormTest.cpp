// The editor window opened from an area window over bases in a temporary
// directory: letters saved and read back through a base object of their own,
// the keys of the text and the header, the close question.
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <deque>

#include "core/Charset.h"
#include "core/MemoryRegistry.h"
#include "core/Startup.h"
#include "core/TosserFlag.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/LetterWriter.h"
#include "support/MemoryMsgBase.h"
#include "support/TestSupport.h"
#include "ui/support/FormParts.h"
#include "ui/support/HelpCheck.h"
#include "ui/support/MessageBoxes.h"
#include "ui/support/Typing.h"
#include "text/SaveLetter.h"
#include "settings/QtText.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/Dialogs.h"
#include "ui/EditorEntry.h"
#include "ui/EditorF/TEditorForm.h"
#include "ui/HelpF/THelpForm.h"
#include "ui/TSpeedBar.h"
#include "ui/TosserWaitDialog.h"
#include "ui/UserSettingsEntry.h"
#include "ui/support/FormParts.h"

namespace {

const QString Tear = QStringLiteral("--- Quorvel 2.00.84");
const QString Origin = QStringLiteral(" * Origin: Брать пять долларов за спасение жизни - чудовищно!   (2:5020/1234.5)");
const QColor Black(0, 0, 0), Navy(0, 0, 0x80), Silver(0xC0, 0xC0, 0xC0);

struct StoredLetter {
    Num Number = 0, ReplyTo = 0;
    QString From, To;
    QStringList Lines;  // control lines with their Ctrl-A, but for the CHRS line
    QString Chrs;       // the CHRS line
};

// Anna's letter (read), Boris's new answer (MSGID, REPLY, a quote, tear and
// origin) and Clara's (read), in one area of a point ('M': in memory).
class TestArea {
public:
    TestArea(Session& session, char format)
    {
        static int serial = 0;
        switch (format) {
        case 'H': Spec = "H001" + Dir.Path() + "/hudson/"; break;
        case 'J': Spec = "J" + Dir.Path() + "/jam/ru.test"; break;
        case 'S': Spec = "S" + Dir.Path() + "/squish/ru.test"; break;
        case 'M':
            MemoryMsgBase::RegisterFormat();
            Spec = "Meditor-" + std::to_string(++serial);
            Store = MemoryMsgBase::StoreNamed(Spec.substr(1));
            break;
        default: Spec = "F" + Dir.Path() + "/msg/"; break;
        }
        Numbers.push_back(WriteLetters(Spec, {{.From = "Anna", .Subject = "Alpha", .Date = 45001.5, .Read = true,
                                               .Lines = {"Hello from Anna."}}})[0]);
        Numbers.push_back(WriteLetters(Spec, {{.From = "Boris", .Subject = "Alpha", .Date = 45002.5,
                                               .ReplyTo = Numbers[0],
                                               .Lines = {"\x01MSGID: 2:5020/77 1234abcd", "\x01REPLY: 2:5020/11 abcdef01",
                                                         "Hi Anna!", "", " AN> Hello from Anna.", "", "--- test",
                                                         " * Origin: Somewhere (2:5020/77)"}}})[0]);
        Numbers.push_back(WriteLetters(Spec, {{.From = "Clara", .Subject = "Beta", .Date = 45003.5, .Read = true,
                                               .Lines = {"Clara here."}}})[0]);
        Area = std::make_unique<TArea>(session, "RU.TEST", "Описание", Spec);
        Area->Load();
    }

    std::vector<StoredLetter> Stored() const
    {
        std::vector<StoredLetter> letters;
        std::unique_ptr<MsgBase> base = CreateBaseFor(Spec);
        if (base->OpenBase() != 0)
            return letters;
        for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
            base->LoadHeader();
            StoredLetter letter{base->GetNumber(),
                                base->Header().ReplyTo,
                                ToQString(base->Header().From),
                                ToQString(base->Header().To),
                                {},
                                {}};
            for (base->StartText(); !base->TextEnded();) {
                const std::string line = base->ReadLine(65535);
                (IsCharsetKludge(line) ? letter.Chrs : letter.Lines.emplace_back()) = ToQString(line);
            }
            letters.push_back(letter);
        }
        base->CloseBase();
        return letters;
    }
    StoredLetter Newest() const { return Stored().back(); }

    TempDir Dir;
    std::string Spec;
    std::shared_ptr<MemoryStore> Store;
    std::vector<Num> Numbers;
    std::unique_ptr<TArea> Area;
};

// The editor's parts, as the user sees them.
QPlainTextEdit* TextField(QObject* editor)
{
    return PartOf<QPlainTextEdit>(editor, "RichEdit");
}

QLineEdit* Field(QObject* editor, const char* name)
{
    return PartOf<QLineEdit>(editor, name);
}

QString Panel(QObject* editor, const char* name)
{
    return PartOf<QLabel>(editor, name)->text();
}

QString Focused(const QWidget* editor)
{
    return editor->focusWidget() ? editor->focusWidget()->objectName() : QString();
}

QStringList TextOf(QObject* editor)
{
    return TextField(editor)->document()->isEmpty() ? QStringList()
                                                    : TextField(editor)->toPlainText().split(QChar('\n'));
}

// The colour a line is drawn in (for an empty line, what is typed there).
QColor LineColour(QObject* editor, int line)
{
    const QTextBlock block = TextField(editor)->document()->findBlockByNumber(line);
    return (block.length() == 1 ? block.charFormat() : block.begin().fragment().charFormat()).foreground().color();
}

QPoint Caret(QObject* editor)
{
    const QTextCursor cursor = TextField(editor)->textCursor();
    return QPoint(cursor.blockNumber(), cursor.positionInBlock());
}

void PutCaret(QObject* editor, int line, int column)
{
    QTextCursor cursor(TextField(editor)->document()->findBlockByNumber(line));
    cursor.setPosition(cursor.position() + column);
    TextField(editor)->setTextCursor(cursor);
}

}  // namespace

class EditorFormTest : public QObject {
    Q_OBJECT
private:
    // The session of the windows under test, for the whole run as the program's.
    Session Owner;
    QTemporaryDir Scratch;
    QStringList Questions;
    std::deque<QMessageBox::StandardButton> Answers;
    QStringList Errors;
    QList<QPointer<TAreaForm>> AreaWindows;

    TAreaForm* OpenArea(TArea* area)
    {
        auto* form = new TAreaForm(area);
        form->Beep = [] {};
        AreaWindows << form;
        form->SetCurrentTimerFired();  // the first new letter, Boris, is current
        return form;
    }

    // A letter command in the area window: the editor it opened, active.
    static TEditorForm* Command(TAreaForm* form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form))
            qWarning("the area window did not become active");
        QTest::keyClick(PartOf<QTreeView>(form, "Tree"), key, mods);
        TEditorForm* editor = nullptr;  // the tests keep one editor open at a time
        for (FormWindow* window : FormWindow::AllForms())
            editor = editor ? editor : qobject_cast<TEditorForm*>(window);
        if (editor && !QTest::qWaitForWindowActive(editor))
            qWarning("the editor did not become active");
        return editor;
    }

    static void Choose(TAreaForm* form, const QString& from)
    {
        ActionOf(form, "SimpleTreeItem")->trigger();
        QTreeView* tree = PartOf<QTreeView>(form, "Tree");
        const QAbstractItemModel* rows = tree->model();
        tree->setCurrentIndex(
            rows->match(rows->index(0, 0), Qt::DisplayRole, from, 1, Qt::MatchExactly | Qt::MatchRecursive).value(0));
        form->SetCurrentTimerFired();
    }

    // Questions are answered from Answers (Cancel when it has none left).
    void AnswerFromTheList()
    {
        SetAskHandler([this](const QString& text, QMessageBox::Icon, QMessageBox::StandardButtons buttons) {
            Questions << text;
            if (Answers.empty() || !(buttons & Answers.front()))
                return QMessageBox::Cancel;
            const QMessageBox::StandardButton answer = Answers.front();
            Answers.pop_front();
            return answer;
        });
    }

    template <class Window>
    static bool Gone(const QPointer<Window>& window)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window.isNull();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(Scratch.isValid());
        qputenv("XDG_CONFIG_HOME", Scratch.path().toUtf8());
        AnswerFromTheList();
        SetMessageHandler([this](const QString& text) { Errors << text; });
        SetEditorWindowFactory([](TArea* area, int mode) -> FormWindow* { return new TEditorForm(area, mode); });
    }

    void init()
    {
        Questions.clear();
        Errors.clear();
        SetUserRegistry(std::make_unique<MemoryRegistry>());
        Owner.Settings = UserSettings{};
        Owner.Settings.UserName = "Ivan Petrov";
        Owner.Settings.MainAddress = {2, 5020, 1234, 5};
    }

    void cleanup()
    {
        for (FormWindow* window : FormWindow::AllForms())
            if (qobject_cast<TEditorForm*>(window))
                delete window;
        for (const QPointer<TAreaForm>& form : AreaWindows)
            delete form.data();
        AreaWindows.clear();
        QVERIFY2(Errors.isEmpty(), qPrintable(Errors.join('|')));
        QVERIFY2(Answers.empty(), "a question was not asked");
    }

    void AReplyIsPreparedColouredSavedAndReadBack_data()
    {
        QTest::addColumn<QChar>("format");
        QTest::newRow("Hudson") << QChar('H');
        QTest::newRow("*.MSG") << QChar('F');
        QTest::newRow("Squish") << QChar('S');
        QTest::newRow("JAM") << QChar('J');
    }

    void AReplyIsPreparedColouredSavedAndReadBack()
    {
        QFETCH(QChar, format);
        Owner.Settings.QuoteReplyTemplate = {"Hi, @TFName!", "@OName (@OAddr) wrote:", "@Position", "@Quote", "Ivan"};
        TestArea point(Owner, format.toLatin1());
        TAreaForm* form = OpenArea(point.Area.get());
        QPointer<TEditorForm> editor = Command(form, Qt::Key_F4);
        QVERIFY(editor);
        QCOMPARE(Field(editor, "FromAddressEdit")->text(), QStringLiteral("2:5020/1234.5"));
        QCOMPARE(Field(editor, "ToEdit")->text(), QStringLiteral("Boris"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("Alpha"));
        QCOMPARE(Panel(editor, "StatusPanel3"), QStringLiteral("Описание(RU.TEST)"));
        QCOMPARE(Focused(editor), QStringLiteral("SubjectEdit"));
        QVERIFY(TextOf(editor).isEmpty());  // prepared when the text is entered

        // Renamed before the text is entered: the template takes the new name,
        // and the change is not forgotten when the text is filled in.
        Field(editor, "ToEdit")->selectAll();
        Type(Field(editor, "ToEdit"), QStringLiteral("Borya"));
        QTest::keyClick(Field(editor, "SubjectEdit"), Qt::Key_Return);
        QCOMPARE(Focused(editor), QStringLiteral("RichEdit"));
        QStringList text{"Hi, Borya!", "Boris (2:5020/77) wrote:", "B> Hi Anna!", "", "AN>> Hello from Anna.", "",
                         "Ivan", Tear, Origin};
        QCOMPARE(TextOf(editor), text);
        QCOMPARE(LineColour(editor, 0), Black);
        QCOMPARE(LineColour(editor, 4), Navy);
        QCOMPARE(LineColour(editor, 8), Silver);
        QCOMPARE(Caret(editor), QPoint(0, 0));
        QVERIFY(!TextField(editor)->document()->isUndoAvailable());
        QCOMPARE(Panel(editor, "StatusPanel1"), QStringLiteral("Изменено"));
        const int bytes = int(text.join(QStringLiteral("\r\n")).size()) + 2;  // characters, as bytes of CP866
        QCOMPARE(Panel(editor, "StatusPanel2"), QStringLiteral("%1 байт").arg(bytes));

        PutCaret(editor, 5, 0);
        QTest::keyClicks(TextField(editor), QStringLiteral("Fine, thanks."));
        QCOMPARE(Panel(editor, "StatusPanel0"), QStringLiteral("  6: 14"));
        QCOMPARE(Panel(editor, "StatusPanel1"), QStringLiteral("Изменено"));
        QCOMPARE(Panel(editor, "StatusPanel2"), QStringLiteral("%1 байт").arg(bytes + 13));

        // F2 saves and closes; the area window shows the reply under Boris.
        QTest::keyClick(TextField(editor), Qt::Key_F2);
        QVERIFY(Gone(editor));
        QVERIFY(Questions.isEmpty());
        const StoredLetter reply = point.Newest();
        QCOMPARE(reply.ReplyTo, point.Numbers[1]);
        QCOMPARE(reply.To, QStringLiteral("Borya"));
        QVERIFY2(QRegularExpression(QStringLiteral("^\x01MSGID: 2:5020/1234\\.5 [0-9A-F]{8}$"))
                     .match(reply.Lines.value(0))
                     .hasMatch(),
                 qPrintable(reply.Lines.value(0)));
        QCOMPARE(reply.Lines.value(1), QStringLiteral("\x01REPLY: 2:5020/77 1234abcd"));
        QCOMPARE(reply.Chrs, QStringLiteral("\x01" "CHRS: CP866 2"));
        text[5] = QStringLiteral("Fine, thanks.");
        QCOMPARE(reply.Lines.mid(2), text);
        const QModelIndex answer = PartOf<QTreeView>(form, "Tree")->currentIndex();
        QCOMPARE(answer.data().toString(), QStringLiteral("Ivan Petrov"));
        QCOMPARE(answer.parent().data().toString(), QStringLiteral("Boris"));
    }

    void ANewLetterTheKeysAndThePlacement()
    {
        Owner.Settings.NewLetterTemplate = {"Привет, @TFName!", "@Position", "Ivan"};
        QWidget* settingsParent = nullptr;
        SetUserSettingsDialog([&settingsParent](QWidget* parent, UserSettingsFields&) {
            settingsParent = parent;
            return false;
        });
        TestArea point(Owner, 'F');
        TAreaForm* form = OpenArea(point.Area.get());
        QPointer<TEditorForm> editor = Command(form, Qt::Key_Insert);
        QVERIFY(editor);
        QCOMPARE(Field(editor, "ToEdit")->text(), QStringLiteral("Всем"));
        ActionOf(editor, "UserItem")->trigger();
        SetUserSettingsDialog(nullptr);
        QCOMPARE(settingsParent, static_cast<QWidget*>(editor.data()));

        // The Cyrillic capital Н is typed as it is; Up, Down and Enter go
        // through the header fields, the last one into the text.
        QLineEdit* subject = Field(editor, "SubjectEdit");
        QLineEdit* to = Field(editor, "ToEdit");
        QPlainTextEdit* text = TextField(editor);
        Type(subject, QStringLiteral("Нет Нужды"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("Нет Нужды"));
        QTest::keyClick(subject, Qt::Key_Up);
        QTest::keyClick(to, Qt::Key_Up);
        QCOMPARE(Focused(editor), QStringLiteral("FromAddressEdit"));
        QTest::keyClick(Field(editor, "FromAddressEdit"), Qt::Key_Down);
        to->selectAll();
        Type(to, QStringLiteral("Нина"));
        QTest::keyClick(to, Qt::Key_Return);
        QTest::keyClick(subject, Qt::Key_Down);
        QCOMPARE(Focused(editor), QStringLiteral("RichEdit"));
        QCOMPARE(TextOf(editor), (QStringList{"Привет, Нина!", "Ivan", Tear, Origin}));

        // Tab and Shift+Tab insert two blanks each and keep the focus; Alt+H goes to the subject.
        Type(text, QStringLiteral("Но"));
        QTest::keyClick(text, Qt::Key_Tab);
        QTest::keyClick(text, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(TextOf(editor).at(0), QStringLiteral("Но    Привет, Нина!"));
        QCOMPARE(Panel(editor, "StatusPanel0"), QStringLiteral("  1:  7"));
        QTest::keyClick(text, Qt::Key_H, Qt::AltModifier);
        QCOMPARE(Focused(editor), QStringLiteral("SubjectEdit"));

        // Esc asks: Cancel keeps the editor, No drops the letter; the placement is kept.
        ActionOf(editor, "SpeedBarItem")->trigger();
        QVERIFY(PartOf<TSpeedBar>(editor, "SpeedBar")->isHidden());
        Answers = {QMessageBox::Cancel};
        QTest::keyClick(subject, Qt::Key_Escape);
        QCOMPARE(Questions, QStringList{"Записать письмо?"});
        QVERIFY(!Gone(editor));
        Answers = {QMessageBox::No};
        QTest::keyClick(subject, Qt::Key_Escape);
        QVERIFY(Gone(editor));
        QCOMPARE(point.Stored().size(), std::size_t(3));
        std::string stored;
        UserRegistry().ReadString(SettingsKey() + "\\TEditorForm", "SpeedBar.Visible", stored);
        QCOMPARE(stored, std::string("0"));

        // The next editor comes back as it was left; unmodified, it closes unasked.
        editor = Command(form, Qt::Key_Insert);
        QVERIFY(PartOf<TSpeedBar>(editor, "SpeedBar")->isHidden());
        QTest::keyClick(Field(editor, "SubjectEdit"), Qt::Key_Escape);
        QVERIFY(Gone(editor));
        QCOMPARE(Questions.size(), 2);
    }

    void EnterOnQuotedLines()
    {
        Owner.Settings.QuoteReplyTemplate = {"@Position"};
        TestArea point(Owner, 'S');
        QPointer<TEditorForm> editor = Command(OpenArea(point.Area.get()), Qt::Key_F4, Qt::ShiftModifier);
        QVERIFY(editor);
        QCOMPARE(Field(editor, "ToEdit")->text(), QStringLiteral("All"));  // a comment goes to the recipient
        TextField(editor)->setFocus();
        QCOMPARE(TextOf(editor), (QStringList{"B> Hi Anna!", "", "AN>> Hello from Anna.", "", Tear, Origin}));

        // Inside: split, the quote going on with its marks and blank.
        PutCaret(editor, 0, 6);
        QTest::keyClick(TextField(editor), Qt::Key_Return);
        QCOMPARE(TextOf(editor).mid(0, 3), (QStringList{"B> Hi ", "B> Anna!", ""}));
        QCOMPARE(Caret(editor), QPoint(1, 3));
        QVERIFY(!TextField(editor)->document()->isUndoAvailable());

        // At the end: two line breaks, the caret on the first new line, typing plain.
        PutCaret(editor, 3, 21);
        QTest::keyClick(TextField(editor), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(Caret(editor), QPoint(4, 0));
        QTest::keyClicks(TextField(editor), QStringLiteral("ok"));
        QCOMPARE(LineColour(editor, 4), Black);

        // At the start: both breaks after the caret, an empty line before the quote.
        PutCaret(editor, 1, 0);
        QTest::keyClick(TextField(editor), Qt::Key_Return);
        QCOMPARE(Caret(editor), QPoint(1, 0));
        QTest::keyClicks(TextField(editor), QStringLiteral("x"));
        QCOMPARE(LineColour(editor, 1), Black);

        // An unquoted line breaks as usual.
        QTest::keyClick(TextField(editor), Qt::Key_Return);
        QCOMPARE(TextOf(editor), (QStringList{"B> Hi ", "x", "", "", "B> Anna!", "", "AN>> Hello from Anna.", "ok",
                                              "", "", Tear, Origin}));
        QCOMPARE(LineColour(editor, 6), Navy);
    }

    void AChangeKeepsItsPlaceAndAVanishedOneCanBeKept()
    {
        TestArea point(Owner, 'J');
        TAreaForm* form = OpenArea(point.Area.get());
        TLetter* boris = point.Area->Current;
        // The letter's own text at once, plain; the focus in the subject.
        QPointer<TEditorForm> editor = Command(form, Qt::Key_F2);
        QVERIFY(editor);
        QCOMPARE(Field(editor, "FromEdit")->text() + " " + Field(editor, "FromAddressEdit")->text() + " " +
                     Field(editor, "ToEdit")->text(),
                 QStringLiteral("Boris 2:5020/77 All"));
        QCOMPARE(Focused(editor), QStringLiteral("SubjectEdit"));
        QCOMPARE(TextOf(editor), (QStringList{"Hi Anna!", "", " AN> Hello from Anna.", "", "--- test",
                                              " * Origin: Somewhere (2:5020/77)"}));
        QCOMPARE(LineColour(editor, 2), Black);
        QVERIFY(Panel(editor, "StatusPanel1").isEmpty());
        PutCaret(editor, 0, 8);
        QTest::keyClicks(TextField(editor), QStringLiteral(" Changed."));
        ActionOf(editor, "SaveItem")->trigger();
        QVERIFY(Gone(editor));
        // A new number, the old letter gone, MSGID and REPLY kept; in the area
        // the same letter, still answering Anna.
        const std::vector<StoredLetter> stored = point.Stored();
        QCOMPARE(stored.size(), std::size_t(3));
        QCOMPARE(stored[2].Number, boris->Number);
        QVERIFY(boris->Number != point.Numbers[1] && stored[1].Number == point.Numbers[2]);
        QCOMPARE(stored[2].ReplyTo, point.Numbers[0]);
        QCOMPARE(stored[2].Lines.mid(0, 3), (QStringList{"\x01MSGID: 2:5020/77 1234abcd",
                                                         "\x01REPLY: 2:5020/11 abcdef01", "Hi Anna! Changed."}));
        QCOMPARE(point.Area->Current, boris);
        QCOMPARE(boris->Node->Parent->Letter->From, std::string("Anna"));

        // It vanishes while being changed: said so; No lets the text go.
        Choose(form, QStringLiteral("Clara"));
        editor = Command(form, Qt::Key_F2);
        Answers = {QMessageBox::Yes, QMessageBox::No};
        ActionOf(form, "DeleteLetterItem")->trigger();
        QTest::keyClicks(TextField(editor), QStringLiteral("Gone "));
        QTest::keyClick(TextField(editor), Qt::Key_F2);
        QCOMPARE(Errors, QStringList{ToQStringMessage(ChangedLetterGoneMessage())});
        QCOMPARE(Questions, (QStringList{"Удалить письмо?", "Записать его как новое письмо?"}));
        Errors.clear();
        QVERIFY(Gone(editor));
        QCOMPARE(point.Stored().size(), std::size_t(2));

        // Yes (after the close question's Yes): a new letter answering what the vanished one answered.
        Choose(form, QStringLiteral("Boris"));
        editor = Command(form, Qt::Key_F2);
        Answers = {QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes};
        ActionOf(form, "DeleteLetterItem")->trigger();
        QTest::keyClicks(TextField(editor), QStringLiteral("Again. "));
        QTest::keyClick(TextField(editor), Qt::Key_Escape);
        QCOMPARE(Errors.size(), 1);
        Errors.clear();
        QVERIFY(Gone(editor));
        const StoredLetter kept = point.Newest();
        QCOMPARE(point.Stored().size(), std::size_t(2));
        QCOMPARE(kept.ReplyTo, Num(0));
        QVERIFY(QRegularExpression(QStringLiteral("^\x01MSGID: 2:5020/77 (?!1234abcd)")).match(kept.Lines[0]).hasMatch());
        QCOMPARE(kept.Lines.mid(1, 2),
                 (QStringList{"\x01REPLY: 2:5020/11 abcdef01", "Again. Hi Anna! Changed."}));
    }

    void NetmailHasADestinationAndRefusesAnAddressOfNoStation()
    {
        Owner.Settings.NetmailAreas = {"ru.test"};  // the user's own netmail area
        Owner.Settings.AKAs = {"1:234/99.7"};
        Owner.Settings.QuoteReplyTemplate = {"@Position"};
        TestArea point(Owner, 'M');
        QPointer<TEditorForm> editor = Command(OpenArea(point.Area.get()), Qt::Key_F4);
        QVERIFY(editor);
        // The destination, labelled, is Boris's full origin; the sender a choice.
        const auto* destinationLabel = PartOf<QLabel>(editor, "ToAddressLabel");
        QVERIFY(Field(editor, "ToAddressEdit")->isVisible() && destinationLabel->isVisible());
        QCOMPARE(destinationLabel->text(), QStringLiteral("Адрес:"));
        QCOMPARE(Field(editor, "ToAddressEdit")->text(), QStringLiteral("2:5020/1.4"));
        const auto* sender = PartOf<QComboBox>(editor, "FromAddressBox");
        QVERIFY(sender->isVisible() && !Field(editor, "FromAddressEdit")->isVisible());
        QCOMPARE(sender->count(), 2);
        QCOMPARE(sender->currentText(), QStringLiteral("2:5020/1234.5"));
        Field(editor, "ToEdit")->setFocus();
        QTest::keyClick(Field(editor, "ToEdit"), Qt::Key_Down);
        QCOMPARE(Focused(editor), QStringLiteral("ToAddressEdit"));

        // A point without a node: said so, the letter stays open and nothing is written.
        QLineEdit* destination = Field(editor, "ToAddressEdit");
        destination->selectAll();
        Type(destination, QStringLiteral("2:5020/.5"));
        TextField(editor)->setFocus();
        QCOMPARE(TextOf(editor), (QStringList{"B> Hi Anna!", "", "AN>> Hello from Anna.", "", Tear}));
        QTest::keyClick(TextField(editor), Qt::Key_F2);
        QCOMPARE(Errors, QStringList{"В адресе получателя \"2:5020/.5\" указан пойнт, но не указан узел."});
        Errors.clear();
        QVERIFY(!Gone(editor));
        QCOMPARE(Panel(editor, "StatusPanel1"), QStringLiteral("Изменено"));
        QCOMPARE(point.Stored().size(), std::size_t(3));

        // Another zone: the sender follows it to the AKA there, and F2 sends.
        destination->selectAll();
        Type(destination, QStringLiteral("1:234/5.6"));
        QCOMPARE(sender->currentText(), QStringLiteral("1:234/99.7"));
        QTest::keyClick(TextField(editor), Qt::Key_F2);
        QVERIFY(Gone(editor));
        const MemoryLetter& sent = point.Store->Letters.at(point.Store->High);
        QCOMPARE(sent.Dest, (FidoAddress{1, 234, 5, 6}));
        QCOMPARE(sent.Orig, (FidoAddress{1, 234, 99, 7}));
        QVERIFY(sent.Flags.Has(LetterFlag::Private));
        QCOMPARE(point.Newest().Lines.mid(1), (QStringList{"\x01REPLY: 2:5020/77 1234abcd", "B> Hi Anna!", "",
                                                           "AN>> Hello from Anna.", "", Tear}));
    }

    void ClosingWithTheAreaAFailedSaveAndAnAreaThatGoes()
    {
        TestArea point(Owner, 'M');
        QPointer<TAreaForm> form = OpenArea(point.Area.get());
        QPointer<TEditorForm> editor = Command(form, Qt::Key_F4);
        TextField(editor)->setFocus();
        QTest::keyClicks(TextField(editor), QStringLiteral("Kept. "));
        const QStringList typed = TextOf(editor);

        // The area window asks its editors first: Cancel keeps both open.
        Answers = {QMessageBox::Cancel};
        QVERIFY(!form->close());
        QCOMPARE(Questions, QStringList{"Записать письмо?"});
        // The base refuses: the error, and the editor stays with its text.
        point.Store->WritesFailing = 1;
        QTest::keyClick(TextField(editor), Qt::Key_F2);
        QCOMPARE(Errors, QStringList{"Не могу записать письмо. Ошибка #5"});
        Errors.clear();
        QVERIFY(!Gone(editor));
        QCOMPARE(Panel(editor, "StatusPanel1"), QStringLiteral("Изменено"));
        QCOMPARE(TextOf(editor), typed);
        // Closing the area again: Yes saves (the base takes it now), and both close.
        Answers = {QMessageBox::Yes};
        QVERIFY(form->close());
        QVERIFY(Gone(form));
        QVERIFY(Gone(editor));
        QCOMPARE(point.Stored().size(), std::size_t(4));
        QCOMPARE(point.Newest().Lines.value(2), typed[0]);

        // No from the area window: dropped, both close.
        form = OpenArea(point.Area.get());
        Choose(form, QStringLiteral("Boris"));
        editor = Command(form, Qt::Key_F4);
        Type(Field(editor, "SubjectEdit"), QStringLiteral("!"));
        Answers = {QMessageBox::No};
        QVERIFY(form->close());
        QVERIFY(Gone(form) && Gone(editor));
        QCOMPARE(point.Stored().size(), std::size_t(4));

        // The area itself goes: an unsaved letter stays on the screen, and its
        // save says the area cannot be opened.
        form = OpenArea(point.Area.get());
        editor = Command(form, Qt::Key_Insert);
        Type(Field(editor, "SubjectEdit"), QStringLiteral("Orphan"));
        point.Area.reset();
        QVERIFY(Gone(form));
        QVERIFY(!Gone(editor));
        ActionOf(editor, "SaveItem")->trigger();
        QCOMPARE(Errors.size(), 1);
        QVERIFY(Errors[0].contains(QString::fromStdString(point.Spec)));
        Errors.clear();
        Answers = {QMessageBox::No};
        ActionOf(editor, "ExitItem")->trigger();
        QVERIFY(Gone(editor));
    }

    void TheCloseQuestionStandsOverTheEditorAndHasRussianButtons()
    {
        TestArea point(Owner, 'M');
        QPointer<TAreaForm> form = OpenArea(point.Area.get());
        QPointer<TEditorForm> editor = Command(form, Qt::Key_F4);
        Type(Field(editor, "SubjectEdit"), QStringLiteral("!"));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));

        // Closing the area window asks the editor, over the editor; the
        // letter Н answers Нет.
        SetAskHandler(nullptr);
        QWidget* over = nullptr;
        QStringList buttons;
        WhenMessageBoxShows([&](QMessageBox* box) {
            over = box->parentWidget();
            for (QMessageBox::StandardButton button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
                buttons << (box->button(button) ? box->button(button)->text() : QString());
            Type(box, QStringLiteral("н"));
        });
        const bool closed = form->close();
        AnswerFromTheList();
        QCOMPARE(over, static_cast<QWidget*>(editor.data()));
        QCOMPARE(buttons, (QStringList{"&Да", "&Нет", "&Отмена"}));
        QVERIFY(closed);
        QVERIFY(Gone(form) && Gone(editor));
        QCOMPARE(point.Stored().size(), std::size_t(3));
    }

    void TheTextAndTheHeaderShowTheEditMenuActingWhereTheUserEdits()
    {
        TestArea point(Owner, 'M');
        QPointer<TAreaForm> form = OpenArea(point.Area.get());
        QPointer<TEditorForm> editor = Command(form, Qt::Key_Insert);
        const auto rightClick = [](QWidget* widget) {
            const QPoint at(4, 4);
            QContextMenuEvent click(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
            QApplication::sendEvent(widget, &click);
        };
        QLineEdit* subject = Field(editor, "SubjectEdit");
        QLineEdit* to = Field(editor, "ToEdit");
        auto* editMenu = PartOf<QMenu>(editor, "EditItem");
        for (QWidget* field :
             std::initializer_list<QWidget*>{TextField(editor)->viewport(), subject, to, Field(editor, "FromEdit")}) {
            rightClick(field);
            QTRY_VERIFY2(editMenu->isVisible(), qPrintable(field->objectName()));
            editMenu->hide();
        }
        // The header's free space shows the letter's own menu.
        rightClick(PartOf<QWidget>(editor, "HeaderPanel"));
        auto* letterMenu = PartOf<QMenu>(editor, "FileItem");
        QTRY_VERIFY(letterMenu->isVisible());
        letterMenu->hide();

        // The commands act on the field being edited.
        subject->setFocus();
        subject->setText(QStringLiteral("Тема письма"));
        subject->setSelection(0, 5);
        ActionOf(editor, "CutItem")->trigger();
        QCOMPARE(subject->text(), QStringLiteral("письма"));
        to->setFocus();
        to->end(false);
        ActionOf(editor, "PasteItem")->trigger();
        QCOMPARE(to->text(), QStringLiteral("ВсемТема "));
        ActionOf(editor, "UndoItem")->trigger();
        QCOMPARE(to->text(), QStringLiteral("Всем"));

        QCOMPARE(UndocumentedKeys(editor, QStringLiteral("editor")), QStringList());
        QTest::keyClick(subject, Qt::Key_F1);
        QVERIFY(THelpForm::Current());
        QCOMPARE(THelpForm::Current()->CurrentSection(), QStringLiteral("editor"));
        delete THelpForm::Current();
    }

    void SavingWaitsWhileTheTosserWorks()
    {
        TestArea point(Owner, 'F');  // the tossers of *.MSG lose letters written during a toss
        TosserFlag& tosser = Owner.Tosser;
        tosser.SetWaiter([&tosser](const std::string& what) { return WaitForTosserInDialog(tosser, what); });
        const std::string flag = point.Dir / "toss.flag";
        tosser.SetPath(flag);
        TAreaForm* form = OpenArea(point.Area.get());
        QPointer<TEditorForm> editor = Command(form, Qt::Key_Insert);
        TextField(editor)->setFocus();
        QTest::keyClicks(TextField(editor), QStringLiteral("Written after the toss."));
        const QStringList typed = TextOf(editor);
        WriteFileBytes(flag, "");

        // While it waits the save says so; Cancel writes nothing and keeps the letter.
        QString shown;
        QTimer::singleShot(100, [&shown] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown = dialog->objectName() + ": " + dialog->findChild<QLabel*>()->text();
                dialog->reject();
            }
        });
        ActionOf(editor, "SaveItem")->trigger();
        QVERIFY2(shown.startsWith(QStringLiteral("TosserWaitDialog: Работает эхопроцессор.")), qPrintable(shown));
        QVERIFY(!Gone(editor));
        QCOMPARE(Panel(editor, "StatusPanel1"), QStringLiteral("Изменено"));
        QCOMPARE(TextOf(editor), typed);
        QCOMPARE(point.Stored().size(), std::size_t(3));

        // The tosser finishes while the save waits: the letter is written then.
        QTimer::singleShot(100, [&flag] { std::remove(flag.c_str()); });
        ActionOf(editor, "SaveItem")->trigger();
        QVERIFY(Gone(editor));
        QCOMPARE(point.Stored().size(), std::size_t(4));
        QCOMPARE(point.Newest().Lines.value(1), typed[0]);
        tosser.SetWaiter(nullptr);
        tosser.SetPath("");
    }
};

QTEST_MAIN(EditorFormTest)
#include "EditorFormTest.moc"
