// Making the windows' menu commands: caption, shortcuts, the long hint the
// status bar shows, and a handler that runs guarded (what it throws becomes
// the error box, and the window stays usable).
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QObject;
class QWidget;
struct UserSettings;

QAction* MakeItem(QObject* owner, const char* name, const QString& caption, const QString& hint,
                  const QList<QKeySequence>& keys, std::function<void()> handler);
QMenu* MakeSubmenu(QMenuBar* bar, const char* name, const QString& caption, const QString& hint);
// A submenu inside a menu.
QMenu* MakeSubmenu(QMenu* parent, const char* name, const QString& caption, const QString& hint);

// The submenus every main window carries alike.

// "&Вид": show or hide the tool bar and the status bar (checked when shown);
// changed runs after each toggle. The bars are asked for when toggled (a
// window makes its menus before its bars). The window may add its own items.
struct ViewMenu {
    QMenu* SwitchItem;
    QAction* SpeedBarItem;
    QAction* StatusLineItem;
};
ViewMenu AddViewMenu(QMenuBar* bar, QWidget* window, std::function<QWidget*()> speedBar,
                     std::function<QWidget*()> statusBar, std::function<void()> changed);

// "&Настройки": "&Пользователь..." (the user settings dialog).
struct OptionsMenu {
    QMenu* OptionsItem;
    QAction* UserItem;
};
OptionsMenu AddOptionsMenu(QMenuBar* bar, QWidget* window, UserSettings& settings);

// "&Окна": the window's two switch commands (F12 and F11: each window has
// its own), a separator, "&Список..." (Alt+0, the window list) and "&Адресная
// книга".
struct WindowsMenu {
    QMenu* WindowsItem;
    QAction* WindowListItem;
    QAction* AddressBookItem;
};
WindowsMenu AddWindowsMenu(QMenuBar* bar, QWidget* window, QAction* first, QAction* second);

// "&?": the help items and "&О программе...". "&Содержание" and "&Как
// использовать Помощь" (F1) open the help on the page of helpSection (the
// window's id in the help: "areas", "area", "editor"); "&Поиск помощи о..."
// does nothing.
struct HelpMenu {
    QMenu* HelpItem;
    QAction* ContentsItem;
    QAction* SearchforHelpOnItem;
    QAction* HowtoUseHelpItem;
    QAction* AboutItem;
};
HelpMenu AddHelpMenu(QMenuBar* bar, QWidget* window, const char* helpSection);
