// The editor window opened from an area window over bases written in a
// temporary directory: replies, new letters and changes saved and read back
// through a base object of their own; the keys of the text and the header;
// the close question from the editor and from its area window.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>
#include <deque>
#include <memory>

#include "core/CodePage.h"
#include "core/FidoAddress.h"
#include "core/MemoryRegistry.h"
#include "core/Registry.h"
#include "core/Startup.h"
#include "core/UserSettings.h"
#include "model/TArea.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/LetterWriter.h"
#include "support/MemoryMsgBase.h"
#include "support/TestSupport.h"
#include "text/SaveLetter.h"
#include "ui/AnsiText.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/Dialogs.h"
#include "ui/EditorEntry.h"
#include "ui/EditorF/TEditorForm.h"
#include "ui/TSpeedBar.h"
#include "ui/UserSettingsEntry.h"

namespace {

QString Q(const std::string& ansi)
{
    return FromAnsi(ansi);
}

const QString Origin = QStringLiteral(" * Origin: Брать пять долларов за спасение жизни - чудовищно!   (2:5020/1234.5)");
const QString Tear = QStringLiteral("--- Quorvel 2.00.84");

// Anna's letter (read), Boris's answer to it (new, with MSGID and REPLY,
// quoting Anna, tear and origin), and Clara's (read).
std::vector<LetterSpec> Letters()
{
    return {
        {.From = "Anna", .Subject = "Alpha", .Date = 45001.5, .Read = true, .Lines = {"Hello from Anna."}},
        {.From = "Boris", .Subject = "Alpha", .Date = 45002.5, .ReplyTo = 1,
         .Lines = {"\x01MSGID: 2:5020/77 1234abcd", "\x01REPLY: 2:5020/11 abcdef01", "Hi Anna!", "",
                   " AN> Hello from Anna.", "", "--- test", " * Origin: Somewhere (2:5020/77)"}},
        {.From = "Clara", .Subject = "Beta", .Date = 45003.5, .Read = true, .Lines = {"Clara here."}},
    };
}

// A letter as a base object of its own reads it back.
struct StoredLetter {
    Num Number = 0;
    Num ReplyTo = 0;
    QString From, To, Subject;
    QStringList Lines;  // control lines with their Ctrl-A
};

// One area of a point in a scratch directory (or in memory: format 'M').
class TestArea {
public:
    explicit TestArea(char format)
    {
        switch (format) {
        case 'H': Spec = "H001" + Dir.Path() + "/hudson/"; break;
        case 'J': Spec = "J" + Dir.Path() + "/jam/ru.test"; break;
        case 'S': Spec = "S" + Dir.Path() + "/squish/ru.test"; break;
        case 'M': {
            static int serial = 0;
            const std::string name = "editor-" + std::to_string(++serial);
            MemoryMsgBase::RegisterFormat();
            Store = MemoryMsgBase::StoreNamed(name);
            Spec = "M" + name;
            break;
        }
        default: Spec = "F" + Dir.Path() + "/msg/"; break;
        }
        for (LetterSpec letter : Letters()) {
            if (letter.ReplyTo)
                letter.ReplyTo = Numbers.at(letter.ReplyTo - 1);
            Numbers.push_back(WriteLetters(Spec, {letter}).at(0));
        }
        Area = std::make_unique<TArea>("RU.TEST", Ansi("Описание"), Spec);
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
            StoredLetter letter{base->GetNumber(), base->GetReplyTo(), Q(base->GetFrom()), Q(base->GetTo()),
                                Q(base->GetSubject()), {}};
            base->StartText();
            while (!base->TextEnded())
                letter.Lines << Q(base->ReadLine(65535));
            letters.push_back(letter);
        }
        base->CloseBase();
        return letters;
    }

    // The letter written last (the highest number).
    StoredLetter Newest() const
    {
        std::vector<StoredLetter> letters = Stored();
        return letters.empty() ? StoredLetter{} : letters.back();
    }

    TempDir Dir;
    std::string Spec;
    std::shared_ptr<MemoryStore> Store;
    std::vector<Num> Numbers;
    std::unique_ptr<TArea> Area;
};

QStringList TextOf(const TEditorForm* editor)
{
    return editor->RichEdit->document()->isEmpty() ? QStringList()
                                                   : editor->RichEdit->toPlainText().split(QChar('\n'));
}

// The colour a line of the text is drawn in (for an empty line, what is typed there).
QColor LineColour(const TEditorForm* editor, int line)
{
    const QTextBlock block = editor->RichEdit->document()->findBlockByNumber(line);
    if (block.length() == 1)
        return block.charFormat().foreground().color();
    return block.begin().fragment().charFormat().foreground().color();
}

// The caret as line and column, counted from 0.
QPoint Caret(const TEditorForm* editor)
{
    const QTextCursor cursor = editor->RichEdit->textCursor();
    return QPoint(cursor.blockNumber(), cursor.positionInBlock());
}

void PutCaret(TEditorForm* editor, int line, int column)
{
    QTextCursor cursor(editor->RichEdit->document()->findBlockByNumber(line));
    cursor.setPosition(cursor.position() + column);
    editor->RichEdit->setTextCursor(cursor);
}

// Typing characters one by one, Cyrillic ones too.
void Type(QWidget* widget, const QString& text)
{
    for (QChar ch : text) {
        const int key = ch.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, ch.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

QString Key(const std::string& name)
{
    std::string value;
    UserRegistry().ReadString(SettingsKey() + "\\TEditorForm", name, value);
    return Q(value);
}

const QColor Black(0, 0, 0);
const QColor Navy(0, 0, 0x80);
const QColor Silver(0xC0, 0xC0, 0xC0);

}  // namespace

class EditorFormTest : public QObject {
    Q_OBJECT
private:
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
        // The first new letter (Boris) becomes current once the selection rests.
        form->SetCurrentTimerFired();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form))
            qWarning("the area window did not become active");
        return form;
    }

    // A letter command of the area window; the editor it opened, active.
    static TEditorForm* Command(TAreaForm* form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form))
            qWarning("the area window did not become active");
        QTest::keyClick(form->Tree, key, mods);
        TEditorForm* editor = nullptr;
        for (FormWindow* window : FormWindow::AllForms())
            if (auto* found = qobject_cast<TEditorForm*>(window); found && !editor)
                editor = found;
        if (editor && !QTest::qWaitForWindowActive(editor))
            qWarning("the editor did not become active");
        return editor;
    }

    // The user picks a letter in the tree and rests on it.
    static void Choose(TAreaForm* form, const QString& from)
    {
        const QList<QTreeWidgetItem*> found = form->Tree->findItems(from, Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY2(!found.isEmpty(), qPrintable(from));
        form->Tree->setCurrentItem(found.first());
        form->SetCurrentTimerFired();
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
        SetAskHandler([this](const QString& text, QMessageBox::Icon, QMessageBox::StandardButtons buttons) {
            Questions << text;
            if (Answers.empty() || !(buttons & Answers.front()))
                return QMessageBox::Cancel;
            QMessageBox::StandardButton answer = Answers.front();
            Answers.pop_front();
            return answer;
        });
        SetMessageHandler([this](const QString& text) { Errors << text; });
        SetEditorWindowFactory([](TArea* area, int mode) -> FormWindow* { return new TEditorForm(area, mode); });
    }

    void init()
    {
        Questions.clear();
        Answers.clear();
        Errors.clear();
        SetUserRegistry(std::make_unique<MemoryRegistry>());
        InitSettings();
        UserName = "Ivan Petrov";
        MainAddress = {2, 5020, 1234, 5};
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

    // ------------------------------------------------------------ replies

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
        QuoteReplyTemplate = {"Hi, @TFName!", "@OName (@OAddr) wrote:", "@Position", "@Quote", "Ivan"};
        TestArea point(format.toLatin1());
        TAreaForm* form = OpenArea(point.Area.get());
        TLetter* boris = point.Area->Current;
        QCOMPARE(Q(boris->From), QStringLiteral("Boris"));

        QPointer<TEditorForm> editor = Command(form, Qt::Key_F4);
        QVERIFY(editor);
        QCOMPARE(editor->EditedArea(), point.Area.get());
        QCOMPARE(editor->FromEdit->text(), QStringLiteral("Ivan Petrov"));
        QCOMPARE(editor->FromAddressEdit->text(), QStringLiteral("2:5020/1234.5"));
        QCOMPARE(editor->ToEdit->text(), QStringLiteral("Boris"));
        QCOMPARE(editor->SubjectEdit->text(), QStringLiteral("Alpha"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("Alpha"));
        QVERIFY(editor->ToAddressEdit->isHidden());
        QCOMPARE(editor->StatusPanel3->text(), QStringLiteral("Описание(RU.TEST)"));
        QCOMPARE(editor->focusWidget(), static_cast<QWidget*>(editor->SubjectEdit));
        QVERIFY(!editor->State.TextPrepared);
        QVERIFY(!editor->Modified());

        // The recipient renamed before the text is entered: the template takes the new name.
        editor->ToEdit->setText(QStringLiteral("Borya"));
        QTest::keyClick(editor->SubjectEdit, Qt::Key_Return);
        QCOMPARE(editor->focusWidget(), static_cast<QWidget*>(editor->RichEdit));
        QVERIFY(editor->State.TextPrepared);
        const QStringList prepared{"Hi, Borya!", "Boris (2:5020/77) wrote:", "B> Hi Anna!", "", "AN>> Hello from Anna.",
                                   "", "Ivan", Tear, Origin};
        QCOMPARE(TextOf(editor), prepared);
        QCOMPARE(LineColour(editor, 0), Black);
        QCOMPARE(LineColour(editor, 2), Navy);
        QCOMPARE(LineColour(editor, 4), Navy);
        QCOMPARE(LineColour(editor, 7), Silver);
        QCOMPARE(LineColour(editor, 8), Silver);
        QCOMPARE(Caret(editor), QPoint(0, 0));
        QVERIFY(!editor->RichEdit->document()->isUndoAvailable());
        // Preparing the text does not forget that the header was changed.
        QVERIFY(editor->Modified());
        QCOMPARE(editor->StatusPanel0->text(), QStringLiteral("  1:  1"));
        int bytes = 0;
        for (const QString& line : prepared)
            bytes += Utf8ToAnsi(line.toStdString()).size() + 2;
        QCOMPARE(editor->StatusPanel2->text(), QStringLiteral("%1 байт").arg(bytes));

        PutCaret(editor, 5, 0);
        QTest::keyClicks(editor->RichEdit, QStringLiteral("Fine, thanks."));
        QCOMPARE(editor->StatusPanel0->text(), QStringLiteral("  6: 14"));
        QCOMPARE(editor->StatusPanel1->text(), QStringLiteral("Изменено"));
        QCOMPARE(editor->StatusPanel2->text(), QStringLiteral("%1 байт").arg(bytes + 13));

        // F2 saves and closes; the area window shows the reply under Boris.
        QTest::keyClick(editor->RichEdit, Qt::Key_F2);
        QVERIFY(Gone(editor));
        QVERIFY(Questions.isEmpty());
        const StoredLetter reply = point.Newest();
        QVERIFY(reply.Number > point.Numbers.back());
        QCOMPARE(reply.ReplyTo, point.Numbers[1]);
        QCOMPARE(reply.From, QStringLiteral("Ivan Petrov"));
        QCOMPARE(reply.To, QStringLiteral("Borya"));
        QCOMPARE(reply.Subject, QStringLiteral("Alpha"));
        QVERIFY2(QRegularExpression(QStringLiteral("^\x01MSGID: 2:5020/1234\\.5 [0-9A-F]{8}$"))
                     .match(reply.Lines.value(0))
                     .hasMatch(),
                 qPrintable(reply.Lines.value(0)));
        QCOMPARE(reply.Lines.value(1), QStringLiteral("\x01REPLY: 2:5020/77 1234abcd"));
        QStringList text = prepared;
        text[5] = QStringLiteral("Fine, thanks.");
        QCOMPARE(reply.Lines.mid(2), text);
        QCOMPARE(Q(point.Area->Current->From), QStringLiteral("Ivan Petrov"));
        QCOMPARE(point.Area->Current->ReplyTo, point.Numbers[1]);
        QTreeWidgetItem* selected = form->Tree->currentItem();
        QVERIFY(selected && selected->parent());
        QCOMPARE(selected->text(0), QStringLiteral("Ivan Petrov"));
        QCOMPARE(selected->parent()->text(0), QStringLiteral("Boris"));
    }

    // ------------------------------------------------------------ a new letter, the keys

    void ANewLetterTheKeysAndThePlacement()
    {
        NewLetterTemplate = {Ansi("Привет, @TFName!"), "@Position", "Ivan"};
        QWidget* settingsParent = nullptr;
        SetUserSettingsDialog([&settingsParent](QWidget* parent, UserSettingsFields&) {
            settingsParent = parent;
            return false;
        });
        TestArea point('F');
        TAreaForm* form = OpenArea(point.Area.get());
        QPointer<TEditorForm> editor = Command(form, Qt::Key_Insert);
        QVERIFY(editor);
        QCOMPARE(editor->ToEdit->text(), QStringLiteral("Всем"));
        QCOMPARE(editor->SubjectEdit->text(), QString());
        QVERIFY(editor->SpeedBar->isVisible());

        // The Cyrillic capital Н typed anywhere is the Latin H; the caption follows the subject.
        Type(editor->SubjectEdit, QStringLiteral("Нет Нужды"));
        QCOMPARE(editor->SubjectEdit->text(), QStringLiteral("Hет Hужды"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("Hет Hужды"));
        QVERIFY(editor->Modified());
        // Up and Down go through the header fields, Enter too, the last into the text.
        QTest::keyClick(editor->SubjectEdit, Qt::Key_Up);
        QCOMPARE(editor->focusWidget(), static_cast<QWidget*>(editor->ToEdit));
        QTest::keyClick(editor->ToEdit, Qt::Key_Up);
        QCOMPARE(editor->focusWidget(), static_cast<QWidget*>(editor->FromAddressEdit));
        QTest::keyClick(editor->FromAddressEdit, Qt::Key_Down);
        editor->ToEdit->selectAll();
        Type(editor->ToEdit, QStringLiteral("Нина"));
        QCOMPARE(editor->ToEdit->text(), QStringLiteral("Hина"));
        QTest::keyClick(editor->ToEdit, Qt::Key_Return);
        QCOMPARE(editor->focusWidget(), static_cast<QWidget*>(editor->SubjectEdit));
        QTest::keyClick(editor->SubjectEdit, Qt::Key_Down);
        QCOMPARE(editor->focusWidget(), static_cast<QWidget*>(editor->RichEdit));
        QCOMPARE(TextOf(editor), (QStringList{"Привет, Hина!", "Ivan", Tear, Origin}));
        QCOMPARE(LineColour(editor, 0), Black);

        // In the text: Н, then Tab and Shift+Tab insert two blanks each and keep the focus.
        Type(editor->RichEdit, QStringLiteral("Но"));
        QTest::keyClick(editor->RichEdit, Qt::Key_Tab);
        QTest::keyClick(editor->RichEdit, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(editor->focusWidget(), static_cast<QWidget*>(editor->RichEdit));
        QCOMPARE(TextOf(editor).at(0), QStringLiteral("Hо    Привет, Hина!"));
        QCOMPARE(editor->StatusPanel0->text(), QStringLiteral("  1:  7"));

        // Cut, paste, delete and undo act on the text.
        PutCaret(editor, 1, 0);
        QTextCursor word = editor->RichEdit->textCursor();
        word.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        editor->RichEdit->setTextCursor(word);
        editor->CutSpeedItem->trigger();
        QCOMPARE(TextOf(editor).at(1), QString());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Ivan"));
        PutCaret(editor, 0, 0);
        editor->PasteItem->trigger();
        QCOMPARE(TextOf(editor).at(0), QStringLiteral("IvanHо    Привет, Hина!"));
        editor->RichEdit->selectAll();
        editor->DeleteItem->trigger();
        QCOMPARE(TextOf(editor), QStringList());
        QCOMPARE(editor->StatusPanel2->text(), QStringLiteral("0 байт"));
        QTest::keyClick(editor->RichEdit, Qt::Key_Backspace, Qt::AltModifier);
        QCOMPARE(TextOf(editor).at(0), QStringLiteral("IvanHо    Привет, Hина!"));
        // Alt+H goes to the subject.
        QTest::keyClick(editor->RichEdit, Qt::Key_H, Qt::AltModifier);
        QCOMPARE(editor->focusWidget(), static_cast<QWidget*>(editor->SubjectEdit));

        // The settings command reaches the user settings dialog.
        editor->UserItem->trigger();
        SetUserSettingsDialog(nullptr);
        QCOMPARE(settingsParent, static_cast<QWidget*>(editor.data()));

        // Esc asks; Cancel keeps the editor, No drops the letter.
        editor->SpeedBarItem->trigger();
        QVERIFY(editor->SpeedBar->isHidden());
        QVERIFY(!editor->SpeedBarItem->isChecked());
        Answers = {QMessageBox::Cancel};
        QTest::keyClick(editor->SubjectEdit, Qt::Key_Escape);
        QCOMPARE(Questions, QStringList{"Записать письмо?"});
        QVERIFY(!Gone(editor));
        Answers = {QMessageBox::No};
        QTest::keyClick(editor->SubjectEdit, Qt::Key_Escape);
        QVERIFY(Gone(editor));
        QCOMPARE(point.Stored().size(), std::size_t(3));
        QCOMPARE(Key("SpeedBar.Visible"), QStringLiteral("0"));
        QCOMPARE(Key("SpeedBar.ShowHint"), QStringLiteral("1"));
        QCOMPARE(Key("ShowCmd"), QStringLiteral("3"));
        QVERIFY(Key("SpeedBar.Buttons").contains(QStringLiteral("SaveSpeedItem")));

        // The next editor comes back as it was left; unmodified, it closes unasked.
        editor = Command(form, Qt::Key_Insert);
        QVERIFY(editor);
        QVERIFY(editor->SpeedBar->isHidden());
        QVERIFY(editor->isMaximized());
        QTest::keyClick(editor->SubjectEdit, Qt::Key_Escape);
        QVERIFY(Gone(editor));
        QCOMPARE(Questions.size(), 2);
    }

    // ------------------------------------------------------------ Enter on quoted lines

    void EnterOnQuotedLines()
    {
        QuoteReplyTemplate = {"@Position"};
        TestArea point('S');
        TAreaForm* form = OpenArea(point.Area.get());
        QPointer<TEditorForm> editor = Command(form, Qt::Key_F4, Qt::ShiftModifier);
        QVERIFY(editor);
        QCOMPARE(editor->ToEdit->text(), QStringLiteral("All"));  // a comment goes to the recipient
        editor->RichEdit->setFocus();
        QCOMPARE(TextOf(editor), (QStringList{"B> Hi Anna!", "", "AN>> Hello from Anna.", "", Tear, Origin}));

        // Inside a quoted line: split, the quote going on with its marks and blank.
        PutCaret(editor, 0, 6);
        QTest::keyClick(editor->RichEdit, Qt::Key_Return);
        QCOMPARE(TextOf(editor).mid(0, 3), (QStringList{"B> Hi ", "B> Anna!", ""}));
        QCOMPARE(Caret(editor), QPoint(1, 3));
        QCOMPARE(LineColour(editor, 1), Navy);
        QVERIFY(!editor->RichEdit->document()->isUndoAvailable());

        // At its end: two line breaks, the caret on the first new line, plain.
        PutCaret(editor, 3, TextOf(editor).at(3).size());
        QTest::keyClick(editor->RichEdit, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(TextOf(editor).mid(3, 4), (QStringList{"AN>> Hello from Anna.", "", "", ""}));
        QCOMPARE(Caret(editor), QPoint(4, 0));
        QTest::keyClicks(editor->RichEdit, QStringLiteral("ok"));
        QCOMPARE(LineColour(editor, 4), Black);
        QCOMPARE(LineColour(editor, 3), Navy);

        // At its start: both breaks after the caret, so an empty line parts the answer from the quote.
        PutCaret(editor, 1, 0);
        QTest::keyClick(editor->RichEdit, Qt::Key_Return);
        QCOMPARE(TextOf(editor).mid(0, 4), (QStringList{"B> Hi ", "", "", "B> Anna!"}));
        QCOMPARE(Caret(editor), QPoint(1, 0));
        QTest::keyClicks(editor->RichEdit, QStringLiteral("x"));
        QCOMPARE(LineColour(editor, 1), Black);

        // An unquoted line breaks as usual.
        QTest::keyClick(editor->RichEdit, Qt::Key_Return);
        QCOMPARE(TextOf(editor).mid(0, 5), (QStringList{"B> Hi ", "x", "", "", "B> Anna!"}));
        QVERIFY(editor->RichEdit->document()->isUndoAvailable());
        QCOMPARE(TextOf(editor).mid(5),
                 (QStringList{"", "AN>> Hello from Anna.", "ok", "", "", Tear, Origin}));
    }

    // ------------------------------------------------------------ changing a letter

    void AChangeKeepsItsPlaceAndAVanishedOneCanBeKept()
    {
        TestArea point('J');
        TAreaForm* form = OpenArea(point.Area.get());
        TLetter* boris = point.Area->Current;

        // The letter's own text at once, plain, the focus in the subject.
        form->SetViewMode(TViewMode::SimpleTree);
        QPointer<TEditorForm> editor = Command(form, Qt::Key_F2);
        QVERIFY(editor);
        QCOMPARE(editor->FromEdit->text(), QStringLiteral("Boris"));
        QCOMPARE(editor->FromAddressEdit->text(), QStringLiteral("2:5020/77"));
        QCOMPARE(editor->ToEdit->text(), QStringLiteral("All"));
        QCOMPARE(editor->SubjectEdit->text(), QStringLiteral("Alpha"));
        QCOMPARE(editor->focusWidget(), static_cast<QWidget*>(editor->SubjectEdit));
        QCOMPARE(TextOf(editor), (QStringList{"Hi Anna!", "", " AN> Hello from Anna.", "", "--- test",
                                              " * Origin: Somewhere (2:5020/77)"}));
        QCOMPARE(LineColour(editor, 2), Black);
        QVERIFY(!editor->Modified());

        PutCaret(editor, 0, 8);
        QTest::keyClicks(editor->RichEdit, QStringLiteral(" Changed."));
        editor->SaveItem->trigger();
        QVERIFY(Gone(editor));
        // A new number in the base, the old letter gone; its MSGID and REPLY kept.
        const std::vector<StoredLetter> stored = point.Stored();
        QCOMPARE(stored.size(), std::size_t(3));
        for (const StoredLetter& letter : stored)
            QVERIFY(letter.Number != point.Numbers[1]);
        QCOMPARE(stored[2].Number, boris->Number);
        QCOMPARE(stored[2].ReplyTo, point.Numbers[0]);
        QCOMPARE(stored[2].Lines.mid(0, 3), (QStringList{"\x01MSGID: 2:5020/77 1234abcd",
                                                         "\x01REPLY: 2:5020/11 abcdef01", "Hi Anna! Changed."}));
        // In the area the same letter, still answering Anna, current.
        QCOMPARE(point.Area->Current, boris);
        QCOMPARE(Q(boris->Node->Parent->Letter->From), QStringLiteral("Anna"));
        QCOMPARE(form->Tree->currentItem()->text(0), QStringLiteral("Boris"));

        // The letter vanishes while it is being changed: said so; No lets the text go.
        form->SetViewMode(TViewMode::SimpleTree);
        Choose(form, QStringLiteral("Clara"));
        editor = Command(form, Qt::Key_F2);
        QVERIFY(editor);
        QTest::keyClicks(editor->RichEdit, QStringLiteral("Gone "));
        Answers = {QMessageBox::Yes};
        form->DeleteLetter();
        Answers = {QMessageBox::No};
        QTest::keyClick(editor->RichEdit, Qt::Key_F2);
        QCOMPARE(Errors, QStringList{FromAnsiMessage(ChangedLetterGoneMessage())});
        Errors.clear();
        QCOMPARE(Questions.mid(1), QStringList{"Записать его как новое письмо?"});
        QVERIFY(Gone(editor));
        QCOMPARE(point.Stored().size(), std::size_t(2));

        // Yes: it is written as a new letter, answering what the vanished one answered.
        Choose(form, QStringLiteral("Boris"));
        editor = Command(form, Qt::Key_F2);
        QVERIFY(editor);
        QTest::keyClicks(editor->RichEdit, QStringLiteral("Again. "));
        Answers = {QMessageBox::Yes};
        form->DeleteLetter();
        // The close question's Yes saves; then Yes to keeping the text.
        Answers = {QMessageBox::Yes, QMessageBox::Yes};
        QTest::keyClick(editor->RichEdit, Qt::Key_Escape);
        QCOMPARE(Errors.size(), 1);
        Errors.clear();
        QVERIFY(Gone(editor));
        const StoredLetter kept = point.Newest();
        QCOMPARE(point.Stored().size(), std::size_t(2));
        QCOMPARE(kept.ReplyTo, Num(0));
        QCOMPARE(kept.From, QStringLiteral("Boris"));
        QVERIFY(kept.Lines.value(0).startsWith(QStringLiteral("\x01MSGID: 2:5020/77 ")));
        QVERIFY(kept.Lines.value(0) != QStringLiteral("\x01MSGID: 2:5020/77 1234abcd"));
        QCOMPARE(kept.Lines.value(1), QStringLiteral("\x01REPLY: 2:5020/11 abcdef01"));
        QCOMPARE(kept.Lines.value(2), QStringLiteral("Again. Hi Anna! Changed."));
    }

    // ------------------------------------------------------------ closing

    void ClosingFromTheEditorAndFromItsArea()
    {
        TestArea point('H');
        QPointer<TAreaForm> form = OpenArea(point.Area.get());
        QPointer<TEditorForm> editor = Command(form, Qt::Key_F4);
        QVERIFY(editor);
        editor->RichEdit->setFocus();
        QTest::keyClicks(editor->RichEdit, QStringLiteral("x"));

        // The area window asks its editors first: Cancel keeps both open.
        Answers = {QMessageBox::Cancel};
        QVERIFY(!form->close());
        QCOMPARE(Questions, QStringList{"Записать письмо?"});
        QVERIFY(!Gone(form));
        QVERIFY(!Gone(editor));
        // No: the letter is dropped, the area window closes and its editor with it.
        Answers = {QMessageBox::No};
        QVERIFY(form->close());
        QVERIFY(Gone(form));
        QVERIFY(Gone(editor));
        QCOMPARE(Questions.size(), 2);
        QCOMPARE(point.Stored().size(), std::size_t(3));

        // Yes when the editor closes: saved.
        form = OpenArea(point.Area.get());
        Choose(form, QStringLiteral("Boris"));
        editor = Command(form, Qt::Key_F4);
        QVERIFY(editor);
        QTest::keyClick(editor->SubjectEdit, Qt::Key_Return);
        QTest::keyClicks(editor->RichEdit, QStringLiteral("Yes"));
        Answers = {QMessageBox::Yes};
        QTest::keyClick(editor->RichEdit, Qt::Key_Escape);
        QVERIFY(Gone(editor));
        QCOMPARE(point.Stored().size(), std::size_t(4));
        QVERIFY(point.Newest().Lines.value(2).startsWith(QStringLiteral("YesВ ")));
    }

    void AFailedSaveAndAnAreaThatGoes()
    {
        TestArea point('M');
        QPointer<TAreaForm> form = OpenArea(point.Area.get());
        QPointer<TEditorForm> editor = Command(form, Qt::Key_F4);
        QVERIFY(editor);
        editor->RichEdit->setFocus();
        QTest::keyClicks(editor->RichEdit, QStringLiteral("Kept. "));
        const QStringList typed = TextOf(editor);

        // The base refuses: the error, and the editor stays with its text.
        point.Store->WritesFailing = 1;
        QTest::keyClick(editor->RichEdit, Qt::Key_F2);
        QCOMPARE(Errors, QStringList{"Не могу записать письмо. Ошибка #5"});
        Errors.clear();
        QVERIFY(!Gone(editor));
        QVERIFY(editor->Modified());
        QCOMPARE(TextOf(editor), typed);
        QCOMPARE(point.Stored().size(), std::size_t(3));

        // Closing the area: the editor's Yes saves (the base takes it now), both close.
        Answers = {QMessageBox::Yes};
        QVERIFY(form->close());
        QVERIFY(Gone(form));
        QVERIFY(Gone(editor));
        QCOMPARE(point.Stored().size(), std::size_t(4));
        QCOMPARE(point.Newest().Lines.mid(2, 1), typed.mid(0, 1));

        // The area itself goes (it left the areas file): a modified editor
        // keeps its text, and saving says the area cannot be opened.
        form = OpenArea(point.Area.get());
        editor = Command(form, Qt::Key_Insert);
        QVERIFY(editor);
        Type(editor->SubjectEdit, QStringLiteral("Orphan"));
        point.Area.reset();
        QVERIFY(Gone(form));
        QVERIFY(!Gone(editor));
        QVERIFY(!editor->EditedArea());
        editor->SaveItem->trigger();
        QCOMPARE(Errors.size(), 1);
        QVERIFY(Errors[0].contains(QString::fromStdString(point.Spec)));
        Errors.clear();
        QVERIFY(!Gone(editor));
        Answers = {QMessageBox::No};
        editor->ExitItem->trigger();
        QVERIFY(Gone(editor));
    }
};

QTEST_MAIN(EditorFormTest)
#include "EditorFormTest.moc"
