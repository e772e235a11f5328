// The user settings dialog: filling, the token menu, page keys, OK and Cancel,
// the netmail areas.
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

#include "core/MemoryRegistry.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "ui/UserF/TUserForm.h"
#include "ui/support/FormParts.h"

namespace {

// Finds the token menu's action by its path of captions.
QAction* MenuAction(QMenu* menu, const QStringList& path)
{
    for (QAction* action : menu->actions()) {
        if (action->text() != path.front())
            continue;
        if (path.size() == 1)
            return action;
        return action->menu() ? MenuAction(action->menu(), path.mid(1)) : nullptr;
    }
    return nullptr;
}

}  // namespace

class UserFormTest : public QObject {
    Q_OBJECT
    // The session of the windows under test, for the whole run as the program's.
    Session Owner;
private slots:
    void init()
    {
        SetUserRegistry(std::make_unique<MemoryRegistry>());
        Owner.Settings = UserSettings{};
        Owner.Settings.UserName = "Ivan Petrov";
        Owner.Settings.MainAddress = {2, 5020, 1234, 5};
        Owner.Settings.AKAs = {"2:5020/1234.6"};
    }

    void FillsThePagesAndTheTokenMenuInserts()
    {
        TUserForm form;
        form.Fill({"Ivan Petrov", "2:5020/1234.5", {"a", "b"}, {"first", "", "last"}, {"q"}, {"NET.LOCAL"},
                   Charset::Cp866, Charset::Cp866, false, {"/fido/NODELIST"}, {}});
        QCOMPARE(PartOf<QPlainTextEdit>(&form, "NodelistsMemo")->toPlainText(), QStringLiteral("/fido/NODELIST"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Пользователь"));
        QCOMPARE(PartOf<QTabWidget>(&form, "Notebook")->count(), 6);
        QCOMPARE(PartOf<QTabWidget>(&form, "Notebook")->tabText(2), QStringLiteral("Шаблон о&твета"));
        QCOMPARE(PartOf<QPlainTextEdit>(&form, "NetmailAreasMemo")->toPlainText(), QStringLiteral("NET.LOCAL"));
        QCOMPARE(PartOf<QLineEdit>(&form, "NameEdit")->maxLength(), 35);
        QCOMPARE(PartOf<QPlainTextEdit>(&form, "NewLetterTemplateMemo")->toPlainText(), QStringLiteral("first\n\nlast"));

        PartOf<QTabWidget>(&form, "Notebook")->setCurrentIndex(1);
        PartOf<QPlainTextEdit>(&form, "NewLetterTemplateMemo")->setPlainText(QString());
        MenuAction(PartOf<QMenu>(&form, "TokenMenu"), {QStringLiteral("&Цитата")})->trigger();
        MenuAction(PartOf<QMenu>(&form, "TokenMenu"), {QStringLiteral("&Сейчас"), QStringLiteral("&Кому"), QStringLiteral("&Имя")})
            ->trigger();
        MenuAction(PartOf<QMenu>(&form, "TokenMenu"), {QStringLiteral("&Было"), QStringLiteral("&Дата")})->trigger();
        QCOMPARE(PartOf<QPlainTextEdit>(&form, "NewLetterTemplateMemo")->toPlainText(), QStringLiteral("@Position\n@TFName @ODate "));

        PartOf<QTabWidget>(&form, "Notebook")->setCurrentIndex(2);
        PartOf<QPlainTextEdit>(&form, "QuoteReplyTemplateMemo")->setPlainText(QString());
        MenuAction(PartOf<QMenu>(&form, "TokenMenu"), {QStringLiteral("&Позиция")})->trigger();
        QCOMPARE(PartOf<QPlainTextEdit>(&form, "QuoteReplyTemplateMemo")->toPlainText(), QStringLiteral("@Quote\n"));
        QVERIFY(PartOf<QPlainTextEdit>(&form, "NewLetterTemplateMemo")->toPlainText().endsWith(QStringLiteral("@ODate ")));
    }

    void CtrlTabWrapsBothWays()
    {
        TUserForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        PartOf<QTabWidget>(&form, "Notebook")->setCurrentIndex(5);
        QTest::keyClick(&form, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(PartOf<QTabWidget>(&form, "Notebook")->currentIndex(), 0);
        QTest::keyClick(&form, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(PartOf<QTabWidget>(&form, "Notebook")->currentIndex(), 5);
        QTest::keyClick(&form, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(PartOf<QTabWidget>(&form, "Notebook")->currentIndex(), 0);
    }

    void OkStoresWithTheAddressCompletedAndCancelChangesNothing()
    {
        // Cancel: nothing changes, nothing is written.
        SetUserSettingsDialog([](QWidget*, UserSettingsFields& fields) {
            fields.Name = "Changed";
            return false;
        });
        QVERIFY(!EditUserSettings(nullptr, Owner.Settings));
        QCOMPARE(QString::fromStdString(Owner.Settings.UserName), QStringLiteral("Ivan Petrov"));
        QVERIFY(UserRegistry().ValueNames(Owner.Settings.Key() + "\\User").empty());

        // OK through the real dialog: a bare node number keeps zone and net.
        SetUserSettingsDialog([](QWidget* parent, UserSettingsFields& fields) {
            TUserForm form(parent);
            form.Fill(fields);
            PartOf<QLineEdit>(&form, "NameEdit")->setText(QStringLiteral("Petr Ivanov"));
            PartOf<QLineEdit>(&form, "MainAddressEdit")->setText(QStringLiteral("77"));
            PartOf<QPlainTextEdit>(&form, "QuoteReplyTemplateMemo")->setPlainText(QStringLiteral("@Position\n\nBye"));
            PartOf<QPlainTextEdit>(&form, "NetmailAreasMemo")->setPlainText(QStringLiteral("net.local"));
            PartOf<QComboBox>(&form, "IncomingCharsetBox")->setCurrentIndex(PartOf<QComboBox>(&form, "IncomingCharsetBox")->findText(QStringLiteral("KOI8-R")));
            PartOf<QComboBox>(&form, "OutgoingCharsetBox")->setCurrentIndex(PartOf<QComboBox>(&form, "OutgoingCharsetBox")->findText(QStringLiteral("UTF-8")));
            PartOf<QComboBox>(&form, "SoftBreakBox")->setCurrentIndex(1);
            PartOf<QPlainTextEdit>(&form, "NodelistsMemo")->setPlainText(QStringLiteral("/fido/NODELIST\n\n"));
            form.Read(fields);
            return true;
        });
        QVERIFY(EditUserSettings(nullptr, Owner.Settings));
        QCOMPARE(QString::fromStdString(Owner.Settings.UserName), QStringLiteral("Petr Ivanov"));
        QVERIFY(Owner.Settings.MainAddress == (FidoAddress{2, 5020, 77, 0}));
        QCOMPARE(Owner.Settings.QuoteReplyTemplate.size(), std::size_t(3));
        std::string stored;
        QVERIFY(UserRegistry().ReadString(Owner.Settings.Key() + "\\User", "MainAddress", stored));
        QCOMPARE(QString::fromStdString(stored), QStringLiteral("2:5020/77"));
        QVERIFY(UserRegistry().ReadString(Owner.Settings.Key() + "\\QuoteReplyTemplate", "Line1", stored));
        QCOMPARE(QString::fromStdString(stored), QStringLiteral("-"));
        // The netmail areas are kept with the other settings, and name netmail areas.
        QVERIFY(UserRegistry().ReadString(Owner.Settings.Key() + "\\NetmailAreas", "Line0", stored));
        QCOMPARE(QString::fromStdString(stored), QStringLiteral("net.local"));
        QVERIFY(Owner.Settings.IsNetmailArea("NET.LOCAL") && Owner.Settings.IsNetmailArea("NETMAIL") && !Owner.Settings.IsNetmailArea("RU.TEST"));
        // The character sets: in force at once, and kept.
        QVERIFY(Owner.Settings.DefaultIncomingCharset == Charset::Koi8R && Owner.Settings.OutgoingCharset == Charset::Utf8 && Owner.Settings.SoftBreak8D);
        for (auto [name, value] : {std::pair{"IncomingCharset", "KOI8-R"}, {"OutgoingCharset", "UTF-8"}, {"SoftBreak8D", "1"}}) {
            QVERIFY(UserRegistry().ReadString(Owner.Settings.Key() + "\\User", name, stored));
            QCOMPARE(QString::fromStdString(stored), QString::fromLatin1(value));
        }
        // The nodelists, blank lines left out.
        QCOMPARE(UserRegistry().ValueNames(Owner.Settings.Key() + "\\Nodelists"), std::vector<std::string>{"Line0"});
        QVERIFY(UserRegistry().ReadString(Owner.Settings.Key() + "\\Nodelists", "Line0", stored));
        QCOMPARE(QString::fromStdString(stored), QStringLiteral("/fido/NODELIST"));
        Owner.Settings = UserSettings{};
        SetUserSettingsDialog(nullptr);
    }
};

QTEST_MAIN(UserFormTest)
#include "UserFormTest.moc"
