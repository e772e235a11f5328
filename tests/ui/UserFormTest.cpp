// The user settings dialog: filling, the token menu, page keys, OK and Cancel,
// the netmail areas.
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

#include "core/MemoryRegistry.h"
#include "core/UserSettings.h"
#include "ui/UserF/TUserForm.h"

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
private slots:
    void init()
    {
        SetUserRegistry(std::make_unique<MemoryRegistry>());
        InitSettings();
        UserName = "Ivan Petrov";
        MainAddress = {2, 5020, 1234, 5};
        AKAs = {"2:5020/1234.6"};
    }

    void FillsThePagesAndTheTokenMenuInserts()
    {
        TUserForm form;
        form.Fill({"Ivan Petrov", "2:5020/1234.5", {"a", "b"}, {"first", "", "last"}, {"q"}, {"NET.LOCAL"}});
        QCOMPARE(form.windowTitle(), QStringLiteral("Пользователь"));
        QCOMPARE(form.Notebook->count(), 4);
        QCOMPARE(form.Notebook->tabText(2), QStringLiteral("Шаблон о&твета"));
        QCOMPARE(form.NetmailAreasMemo->toPlainText(), QStringLiteral("NET.LOCAL"));
        QCOMPARE(form.NameEdit->maxLength(), 35);
        QCOMPARE(form.NewLetterTemplateMemo->toPlainText(), QStringLiteral("first\n\nlast"));

        form.Notebook->setCurrentIndex(1);
        form.NewLetterTemplateMemo->setPlainText(QString());
        MenuAction(form.TokenMenu, {QStringLiteral("&Цитата")})->trigger();
        MenuAction(form.TokenMenu, {QStringLiteral("&Сейчас"), QStringLiteral("&Кому"), QStringLiteral("&Имя")})
            ->trigger();
        MenuAction(form.TokenMenu, {QStringLiteral("&Было"), QStringLiteral("&Дата")})->trigger();
        QCOMPARE(form.NewLetterTemplateMemo->toPlainText(), QStringLiteral("@Position\n@TFName @ODate "));

        form.Notebook->setCurrentIndex(2);
        form.QuoteReplyTemplateMemo->setPlainText(QString());
        MenuAction(form.TokenMenu, {QStringLiteral("&Позиция")})->trigger();
        QCOMPARE(form.QuoteReplyTemplateMemo->toPlainText(), QStringLiteral("@Quote\n"));
        QVERIFY(form.NewLetterTemplateMemo->toPlainText().endsWith(QStringLiteral("@ODate ")));
    }

    void CtrlTabWrapsBothWays()
    {
        TUserForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.Notebook->setCurrentIndex(3);
        QTest::keyClick(&form, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(form.Notebook->currentIndex(), 0);
        QTest::keyClick(&form, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form.Notebook->currentIndex(), 3);
        form.MovePage(1);
        QCOMPARE(form.Notebook->currentIndex(), 0);
    }

    void OkStoresWithTheAddressCompletedAndCancelChangesNothing()
    {
        // Cancel: nothing changes, nothing is written.
        SetUserSettingsDialog([](QWidget*, UserSettingsFields& fields) {
            fields.Name = "Changed";
            return false;
        });
        QVERIFY(!EditUserSettings(nullptr));
        QCOMPARE(QString::fromStdString(UserName), QStringLiteral("Ivan Petrov"));
        QVERIFY(UserRegistry().ValueNames(UserSettingsKey() + "\\User").empty());

        // OK through the real dialog: a bare node number keeps zone and net.
        SetUserSettingsDialog([](QWidget* parent, UserSettingsFields& fields) {
            TUserForm form(parent);
            form.Fill(fields);
            form.NameEdit->setText(QStringLiteral("Petr Ivanov"));
            form.MainAddressEdit->setText(QStringLiteral("77"));
            form.QuoteReplyTemplateMemo->setPlainText(QStringLiteral("@Position\n\nBye"));
            form.NetmailAreasMemo->setPlainText(QStringLiteral("net.local"));
            form.Read(fields);
            return true;
        });
        QVERIFY(EditUserSettings(nullptr));
        QCOMPARE(QString::fromStdString(UserName), QStringLiteral("Petr Ivanov"));
        QVERIFY(MainAddress == (FidoAddress{2, 5020, 77, 0}));
        QCOMPARE(QuoteReplyTemplate.size(), std::size_t(3));
        std::string stored;
        QVERIFY(UserRegistry().ReadString(UserSettingsKey() + "\\User", "MainAddress", stored));
        QCOMPARE(QString::fromStdString(stored), QStringLiteral("2:5020/77"));
        QVERIFY(UserRegistry().ReadString(UserSettingsKey() + "\\QuoteReplyTemplate", "Line1", stored));
        QCOMPARE(QString::fromStdString(stored), QStringLiteral("-"));
        // The netmail areas are kept with the other settings, and name netmail areas.
        QVERIFY(UserRegistry().ReadString(UserSettingsKey() + "\\NetmailAreas", "Line0", stored));
        QCOMPARE(QString::fromStdString(stored), QStringLiteral("net.local"));
        QVERIFY(IsNetmailArea("NET.LOCAL") && IsNetmailArea("NETMAIL") && !IsNetmailArea("RU.TEST"));
        SetUserSettingsDialog(nullptr);
    }
};

QTEST_MAIN(UserFormTest)
#include "UserFormTest.moc"
