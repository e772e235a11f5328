// The nodelist in the windows: a netmail letter addressed by picking a
// completion of a partly typed name, netmail to an address the nodelist
// does not know (the question), and the sender's node named in the area
// window. The lists load in the background as the program loads them.
#include <QAbstractItemView>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <deque>

#include "core/MemoryRegistry.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "settings/QtText.h"
#include "support/LetterWriter.h"
#include "support/MemoryMsgBase.h"
#include "support/TestSupport.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/Dialogs.h"
#include "ui/EditorEntry.h"
#include "ui/EditorF/TEditorForm.h"
#include "ui/Nodelists.h"
#include "ui/support/FormParts.h"
#include "ui/support/Typing.h"

namespace {

const char* const Nodelist = "Zone,2,Europe,Amsterdam,Zone_Coord,-Unpublished-,300,CM\r\n"
                             "Host,5020,Moscow_Net,Moscow,Host_Sysop,7-495-2,9600,CM\r\n"
                             ",275,Station,Moscow,Sergey_Volkov,7-495-4,33600,CM,XA\r\n"
                             ",276,Other,Tver,Sergey_Orlov,7-495-5,33600,CM\r\n";

}  // namespace

class NodelistWindowsTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir Scratch;
    Session Owner;  // outlives the area made in it
    QStringList Questions;
    std::deque<QMessageBox::StandardButton> Answers;
    std::shared_ptr<MemoryStore> Store;
    std::unique_ptr<TArea> Area;
    QPointer<TAreaForm> AreaWindow;

    // A new letter (Insert) in the area window: the editor, active.
    TEditorForm* NewLetter()
    {
        AreaWindow->activateWindow();
        if (!QTest::qWaitForWindowActive(AreaWindow))
            qWarning("the area window did not become active");
        QTest::keyClick(PartOf<QTreeView>(AreaWindow, "Tree"), Qt::Key_Insert);
        for (FormWindow* window : FormWindow::AllForms())
            if (auto* editor = qobject_cast<TEditorForm*>(window)) {
                if (!QTest::qWaitForWindowActive(editor))
                    qWarning("the editor did not become active");
                return editor;
            }
        return nullptr;
    }

    static QLineEdit* Field(QObject* editor, const char* name) { return PartOf<QLineEdit>(editor, name); }

    static void WriteSomething(TEditorForm* editor)
    {
        Field(editor, "SubjectEdit")->setText(QStringLiteral("Hello"));
        PartOf<QPlainTextEdit>(editor, "RichEdit")->setFocus();
        QTest::keyClicks(PartOf<QPlainTextEdit>(editor, "RichEdit"), QStringLiteral("Hi."));
    }

    static bool Gone(const QPointer<TEditorForm>& editor)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return editor.isNull();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(Scratch.isValid());
        qputenv("XDG_CONFIG_HOME", (Scratch.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (Scratch.path() + "/data").toUtf8());
        SetAskHandler([this](const QString& text, QMessageBox::Icon, QMessageBox::StandardButtons) {
            Questions << text;
            QMessageBox::StandardButton answer = Answers.empty() ? QMessageBox::No : Answers.front();
            if (!Answers.empty())
                Answers.pop_front();
            return answer;
        });
        SetEditorWindowFactory([](TArea* area, int mode) -> FormWindow* { return new TEditorForm(area, mode); });
        SetUserRegistry(std::make_unique<MemoryRegistry>());
        Owner.Settings.UserName = "Ivan Petrov";
        Owner.Settings.MainAddress = {2, 5020, 1234, 5};
        const std::string nodelist = FromQString(Scratch.path()) + "/NODELIST.338";
        WriteFileBytes(nodelist, Nodelist);
        SetNodelistSettings(Owner.Settings, {{nodelist}, {}});
        WaitForNodelists();

        MemoryMsgBase::RegisterFormat();
        const std::string spec = "Mnodelist-netmail";
        Store = MemoryMsgBase::StoreNamed(spec.substr(1));
        WriteLetters(
            spec,
            {{.From = "Sergey Volkov",
              .To = "Ivan Petrov",
              .Subject = "Hi",
              .Lines = {"\x01MSGID: 2:5020/275 1234abcd", "Hello.", "--- test", " * Origin: Somewhere (2:5020/275)"}}});
        Area = std::make_unique<TArea>(Owner, "NETMAIL", "Нетмейл", spec);
        Area->Load();
        AreaWindow = new TAreaForm(Area.get());
        AreaWindow->Beep = [] {};
        AreaWindow->SetCurrentTimerFired();
    }

    void cleanupTestCase() { delete AreaWindow.data(); }

    void init()
    {
        Questions.clear();
        Answers.clear();
    }

    void TheSendersNodeIsNamed()
    {
        QCOMPARE(PartOf<QLabel>(AreaWindow, "FromLabel")->text(),
                 QStringLiteral("Sergey Volkov  2:5020/275 (Station, Moscow)"));
    }

    void APickedCompletionAddressesTheLetter()
    {
        QPointer<TEditorForm> editor = NewLetter();
        QVERIFY(editor);
        QLineEdit* to = Field(editor, "ToEdit");
        to->setFocus();
        to->selectAll();
        Type(to, QStringLiteral("Сергей Вол"));
        auto* completer = editor->findChild<QCompleter*>("AddressCompleter");
        QVERIFY(completer);
        QTRY_VERIFY(completer->popup()->isVisible());
        QCOMPARE(completer->popup()->model()->rowCount(), 1);
        QCOMPARE(completer->popup()->model()->index(0, 0).data().toString(),
                 QStringLiteral("Sergey Volkov  2:5020/275  (Station, Moscow)"));
        QTest::keyClick(completer->popup(), Qt::Key_Down);
        QTest::keyClick(completer->popup(), Qt::Key_Return);
        QCOMPARE(to->text(), QStringLiteral("Sergey Volkov"));
        QCOMPARE(Field(editor, "ToAddressEdit")->text(), QStringLiteral("2:5020/275"));

        WriteSomething(editor);
        QTest::keyClick(PartOf<QPlainTextEdit>(editor, "RichEdit"), Qt::Key_F2);
        QVERIFY(Gone(editor));
        QCOMPARE(Questions, QStringList());
        const MemoryLetter& sent = Store->Letters.at(Store->High);
        QCOMPARE(sent.To, std::string("Sergey Volkov"));
        QCOMPARE(sent.Dest, (FidoAddress{2, 5020, 275, 0}));
        // The recipient is in the address book now.
        QCOMPARE(ProgramAddressBook().Lookup("Volkov").size(), std::size_t(1));
    }

    void AnAddressNotInTheNodelistIsAskedAbout()
    {
        const std::size_t before = Store->Letters.size();
        QPointer<TEditorForm> editor = NewLetter();
        QVERIFY(editor);
        Field(editor, "ToEdit")->setText(QStringLiteral("Nobody"));
        Field(editor, "ToAddressEdit")->setText(QStringLiteral("2:5020/9999"));
        WriteSomething(editor);
        Answers = {QMessageBox::No};
        QTest::keyClick(PartOf<QPlainTextEdit>(editor, "RichEdit"), Qt::Key_F2);
        QCOMPARE(Questions, QStringList{"Адреса 2:5020/9999 нет в нодлисте. Всё равно записать?"});
        QVERIFY(!Gone(editor));
        QCOMPARE(Store->Letters.size(), before);

        Answers = {QMessageBox::Yes};
        QTest::keyClick(PartOf<QPlainTextEdit>(editor, "RichEdit"), Qt::Key_F2);
        QVERIFY(Gone(editor));
        QCOMPARE(Store->Letters.at(Store->High).Dest, (FidoAddress{2, 5020, 9999, 0}));
    }
};

QTEST_MAIN(NodelistWindowsTest)
#include "NodelistWindowsTest.moc"
