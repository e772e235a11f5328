#include "ui/MenuItems.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ui/AboutF/TAboutForm.h"
#include "ui/AddressBookF/AddressBookForm.h"
#include "ui/HelpF/THelpForm.h"
#include "ui/QuorvelApplication.h"
#include "ui/UserSettingsEntry.h"
#include "ui/WndListF/TWindowListForm.h"

QAction* MakeItem(QObject* owner, const char* name, const QString& caption, const QString& hint,
                  const QList<QKeySequence>& keys, std::function<void()> handler)
{
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(hint);
    action->setShortcuts(keys);
    if (handler)
        QObject::connect(action, &QAction::triggered, owner, [handler] { RunGuarded(handler); });
    return action;
}

namespace {

QMenu* NameSubmenu(QMenu* menu, const char* name, const QString& hint)
{
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setStatusTip(hint);
    return menu;
}

}  // namespace

QMenu* MakeSubmenu(QMenuBar* bar, const char* name, const QString& caption, const QString& hint)
{
    return NameSubmenu(bar->addMenu(caption), name, hint);
}

QMenu* MakeSubmenu(QMenu* parent, const char* name, const QString& caption, const QString& hint)
{
    return NameSubmenu(parent->addMenu(caption), name, hint);
}

ViewMenu AddViewMenu(QMenuBar* bar, QWidget* window, std::function<QWidget*()> speedBar,
                     std::function<QWidget*()> statusBar, std::function<void()> changed)
{
    ViewMenu menu{};
    menu.SwitchItem = MakeSubmenu(bar, "SwitchItem", QStringLiteral("&Вид"), QStringLiteral("Команды настройки окна"));
    menu.SpeedBarItem = MakeItem(window, "SpeedBarItem", QStringLiteral("&Панель инструментов"),
                                 QStringLiteral("Показать/спрятать панель инструментов"), {}, [speedBar, changed] {
                                     speedBar()->setVisible(speedBar()->isHidden());
                                     changed();
                                 });
    menu.StatusLineItem = MakeItem(window, "StatusLineItem", QStringLiteral("&Строка состояния"),
                                   QStringLiteral("Показать/спрятать строку состояния"), {}, [statusBar, changed] {
                                       statusBar()->setVisible(statusBar()->isHidden());
                                       changed();
                                   });
    menu.SpeedBarItem->setCheckable(true);
    menu.StatusLineItem->setCheckable(true);
    menu.SwitchItem->addAction(menu.SpeedBarItem);
    menu.SwitchItem->addAction(menu.StatusLineItem);
    return menu;
}

OptionsMenu AddOptionsMenu(QMenuBar* bar, QWidget* window, UserSettings& settings)
{
    OptionsMenu menu{};
    menu.OptionsItem = MakeSubmenu(bar, "OptionsItem", QStringLiteral("&Настройки"),
                                   QStringLiteral("Команды настройки программы"));
    menu.UserItem = MakeItem(window, "UserItem", QStringLiteral("&Пользователь..."),
                             QStringLiteral("Настройка имени/адреса пользователя"), {},
                             [window, &settings] { EditUserSettings(window, settings); });
    menu.OptionsItem->addAction(menu.UserItem);
    // Available once the settings dialog is part of the program.
    menu.UserItem->setEnabled(HasUserSettingsDialog());
    QObject::connect(menu.OptionsItem, &QMenu::aboutToShow, window,
                     [item = menu.UserItem] { item->setEnabled(HasUserSettingsDialog()); });
    return menu;
}

WindowsMenu AddWindowsMenu(QMenuBar* bar, QWidget* window, QAction* first, QAction* second)
{
    WindowsMenu menu{};
    menu.WindowsItem =
        MakeSubmenu(bar, "WindowsItem", QStringLiteral("&Окна"), QStringLiteral("Команды работы с окнами программы"));
    menu.WindowListItem = MakeItem(window, "WindowListItem", QStringLiteral("&Список..."),
                                   QStringLiteral("Показать список окон программы"),
                                   {QKeySequence(Qt::ALT | Qt::Key_0)}, [window] { TWindowListForm::Execute(window); });
    menu.WindowsItem->addAction(first);
    menu.WindowsItem->addAction(second);
    menu.WindowsItem->addSeparator();
    menu.WindowsItem->addAction(menu.WindowListItem);
    menu.AddressBookItem = MakeItem(window, "AddressBookItem", QStringLiteral("&Адресная книга"),
                                    QStringLiteral("Показать адресную книгу"), {},
                                    [] { AddressBookForm::ShowAddressBook(); });
    menu.WindowsItem->addAction(menu.AddressBookItem);
    return menu;
}

HelpMenu AddHelpMenu(QMenuBar* bar, QWidget* window, const char* helpSection)
{
    HelpMenu menu{};
    const QString section = QString::fromLatin1(helpSection);
    const auto showHelp = [window, section] { THelpForm::ShowFor(window, section); };
    menu.HelpItem = MakeSubmenu(bar, "HelpItem", QStringLiteral("&?"), QStringLiteral("Доступ к системе помощи"));
    menu.ContentsItem = MakeItem(window, "ContentsItem", QStringLiteral("&Содержание"),
                                 QStringLiteral("Содержание системы помощи"), {}, showHelp);
    menu.SearchforHelpOnItem = MakeItem(window, "SearchforHelpOnItem", QStringLiteral("&Поиск помощи о..."),
                                        QStringLiteral("Поиск помощи на определённую тему"), {}, nullptr);
    menu.HowtoUseHelpItem =
        MakeItem(window, "HowtoUseHelpItem", QStringLiteral("&Как использовать Помощь"),
                 QStringLiteral("Как пользоваться системой помощи"), {QKeySequence(Qt::Key_F1)}, showHelp);
    menu.AboutItem = MakeItem(window, "AboutItem", QStringLiteral("&О программе..."),
                              QStringLiteral("Вывод сведений о программе, её версии и авторских правах"), {},
                              [window] { TAboutForm::Execute(window); });
    menu.HelpItem->addAction(menu.ContentsItem);
    menu.HelpItem->addAction(menu.SearchforHelpOnItem);
    menu.HelpItem->addAction(menu.HowtoUseHelpItem);
    menu.HelpItem->addSeparator();
    menu.HelpItem->addAction(menu.AboutItem);
    return menu;
}
