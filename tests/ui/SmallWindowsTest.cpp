// The mirrored popup menu, the window list, the About box, and the windows'
// base freeing a window only after its own questions are closed.
#include <QAction>
#include <QDialogButtonBox>
#include <QPushButton>
#include <memory>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QPointer>
#include <QTest>

#include "ui/AboutF/TAboutForm.h"
#include "ui/Dialogs.h"
#include "ui/FormWindow.h"
#include "ui/IPopup/TIndirectPopupMenu.h"
#include "ui/QtTranslations.h"
#include "ui/Resources.h"
#include "ui/WndListF/TWindowListForm.h"
#include "ui/support/FormParts.h"

namespace {

// A window freed when it closes, asking whatever the test wants.
class AskingWindow : public FormWindow {
public:
    AskingWindow() { FreedWhenClosed(); }
    using FormWindow::Ask;
    using FormWindow::QuestionScope;
};

bool Freed(const QPointer<AskingWindow>& window)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window.isNull();
}

}  // namespace

class SmallWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void PopupWithoutSubmenuShowsNothing()
    {
        TIndirectPopupMenu popup(nullptr);
        QVERIFY(!popup.Popup(QPoint(10, 10)));
    }

    void PopupShowsTheMainMenusOwnItems()
    {
        QMainWindow window;
        QMenu* navigation = window.menuBar()->addMenu(QStringLiteral("&Курсор"));
        QAction* next = navigation->addAction(QStringLiteral("&Следующая"));
        QAction* hidden = navigation->addAction(QStringLiteral("-Первая"));
        hidden->setVisible(false);
        int clicks = 0;
        connect(next, &QAction::triggered, [&] { ++clicks; });
        window.show();

        TIndirectPopupMenu popup(&window, navigation);
        next->setCheckable(true);
        next->setChecked(true);  // a change made in the main menu, seen in the popup
        QVERIFY(popup.Popup(window.mapToGlobal(QPoint(20, 20))));
        QTRY_VERIFY(navigation->isVisible());
        QCOMPARE(navigation->actions().size(), 2);
        QVERIFY(!hidden->isVisible());
        QVERIFY(navigation->actions().at(0)->isChecked());
        navigation->activateWindow();
        QTest::keyClick(navigation, Qt::Key_Down);
        QTest::keyClick(navigation, Qt::Key_Return);
        QTRY_COMPARE(clicks, 1);
    }

    void WindowListPreselectsThePreviousWindowAndSkipsHiddenOnes()
    {
        FormWindow main, area, hidden;
        main.setWindowTitle(QStringLiteral("Quorvel: 5"));
        area.setWindowTitle(QStringLiteral("Описание(RU.TEST)"));
        hidden.setWindowTitle(QStringLiteral("hidden"));
        area.show();
        main.show();
        ActivateForm(&area);
        ActivateForm(&main);  // the main window is active when the list opens
        TWindowListForm list;
        QCOMPARE(PartOf<QListWidget>(&list, "ListBox")->count(), 2);
        QCOMPARE(PartOf<QListWidget>(&list, "ListBox")->item(0)->text(), QStringLiteral("Quorvel: 5"));
        QCOMPARE(PartOf<QListWidget>(&list, "ListBox")->currentRow(), 1);
        QCOMPARE(list.SelectedWindow(), static_cast<QWidget*>(&area));
        QCOMPARE(list.windowTitle(), QStringLiteral("Список окон"));
    }

    void WindowListWithOnlyTheMainWindow()
    {
        FormWindow main;
        main.setWindowTitle(QStringLiteral("Quorvel"));
        main.show();
        TWindowListForm list;
        QCOMPARE(PartOf<QListWidget>(&list, "ListBox")->count(), 1);
        QCOMPARE(PartOf<QListWidget>(&list, "ListBox")->currentRow(), 0);
    }

    void AWindowClosedDuringItsOwnQuestionIsFreedOnlyAfterIt()
    {
        // Closed (say, its area destroyed) while its questions are open,
        // one inside the other: it lives until the outer one is answered.
        QPointer<AskingWindow> window = new AskingWindow;
        QStringList seen;
        SetAskHandler([&](const QString& text, QMessageBox::Icon, QMessageBox::StandardButtons) {
            if (text == QStringLiteral("outer")) {
                window->Ask("inner", QMessageBox::Yes);
                seen << (Freed(window) ? "freed after inner" : "alive after inner");
            } else {
                seen << (!window->close() ? "not closed" : Freed(window) ? "freed in inner" : "alive in inner");
            }
            return QMessageBox::Yes;
        });
        QCOMPARE(window->Ask("outer", QMessageBox::Yes), QMessageBox::Yes);
        SetAskHandler(nullptr);
        QCOMPARE(seen, (QStringList{"alive in inner", "alive after inner"}));
        QVERIFY(Freed(window));

        // A message box of its own counts too; without one open, a close frees it.
        window = new AskingWindow;
        {
            AskingWindow::QuestionScope open(window);
            QVERIFY(window->close());
            QVERIFY(!Freed(window));
        }
        QVERIFY(Freed(window));
        window = new AskingWindow;
        QVERIFY(window->close());
        QVERIFY(Freed(window));
    }

    void AboutBoxVersionPictureAndPageSwitch()
    {
        TAboutForm about;
        QCOMPARE(PartOf<QLineEdit>(&about, "VersionEdit")->text(), QStringLiteral("Версия 2.00.84"));
        QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
        QVERIFY(!PartOf<QLabel>(&about, "Image")->pixmap().isNull());
        QCOMPARE(PartOf<QLabel>(&about, "Image")->pixmap().size(), QSize(144, 190));
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(PartOf<QTabWidget>(&about, "TabbedNotebook1")->currentIndex(), 0);
        QTest::keyClick(&about, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(PartOf<QTabWidget>(&about, "TabbedNotebook1")->currentIndex(), 1);
        QTest::keyClick(&about, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(PartOf<QTabWidget>(&about, "TabbedNotebook1")->currentIndex(), 0);
    }

    void QtsOwnButtonsAndMenusAreRussian()
    {
        QVERIFY(InstallQtTranslations());
        QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Close);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
        QCOMPARE(buttons.button(QDialogButtonBox::Close)->text(), QStringLiteral("Закрыть"));
        // A text field's own menu (the settings dialog's fields keep it).
        QLineEdit field;
        std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList captions;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                captions << action->text().section(QLatin1Char('\t'), 0, 0);
        QCOMPARE(captions.first(), QStringLiteral("&Отменить действие"));
        QVERIFY2(captions.contains(QStringLiteral("&Вырезать")), qPrintable(captions.join('|')));
    }

    void TreeImageStripsAndCursorsLoad()
    {
        QCOMPARE(ImageStrip(QStringLiteral("AREASF_TREEIMAGES")).size(), std::size_t(5));
        QCOMPARE(ImageStrip(QStringLiteral("AREAF_TREEIMAGES")).size(), std::size_t(7));
        RegisterCursors();
        QVERIFY(!PointerCursor(PointerShape::BuildTree).pixmap().isNull());
        QVERIFY(!PointerCursor(PointerShape::BuildLetterText).pixmap().isNull());
    }
};

QTEST_MAIN(SmallWindowsTest)
#include "SmallWindowsTest.moc"
