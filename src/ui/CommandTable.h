// A window's commands described once, as a table: each entry becomes one
// QAction, which its menu, the popup menus that show that menu and the tool
// bar all share, so captions, keys, hints, check marks and enabled states
// cannot drift apart. Submenus are entries too. The table's order is the
// order of the menus, of their items and of the tool bar's buttons.
#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;
class TSpeedBar;

// A command's button on the tool bar. The stored tool bar layouts know it by
// Name, which the action (a menu command's) does not carry.
struct CommandButton {
    const char* Name = nullptr;  // none: the command has no button
    QString Caption;             // its tool tip and its line in the customisation dialog
    QIcon Icon;                  // the button's only: the menus show no pictures
    QString Section;             // the tool bar section it stands in
    bool StartsHidden = false;   // the user may show it
};

enum class CommandCheck {
    None,
    Toggle,  // checked and unchecked by each use
    Radio,   // one of a run of Radio entries next to each other in the table
};

struct CommandEntry {
    const char* Name;                // the object name the menus, the tests and the settings know
    QString Caption;                 // the menu's caption, & before its access letter
    QString Hint;                    // the long hint the status bar shows
    QList<QKeySequence> Keys = {};   // the first is the one the menu shows
    std::function<void()> Run = {};  // runs guarded; none for a submenu
    // The menu (its object name) the entry stands in. A submenu without one
    // stands on the menu bar; a command without one is the window's own,
    // never shown, its keys active.
    const char* Menu = nullptr;
    bool Submenu = false;
    bool SeparatorBefore = false;
    CommandCheck Check = CommandCheck::None;
    CommandButton Button = {};
};

class CommandTable {
public:
    // Makes each command's action, owned by window.
    CommandTable(QWidget* window, std::vector<CommandEntry> entries);

    // The command or submenu of that name; a name the table lacks is a
    // fault of the window's code (std::logic_error).
    QAction* Action(const char* name) const;
    QMenu* Menu(const char* name) const;

    // Puts the submenus that stand on the menu bar there, in the table's
    // order, each filled.
    void AddMenusTo(QMenuBar* bar);
    // Fills a menu made elsewhere (a submenu every window carries alike) with
    // the entries that name it, after its own items.
    void Fill(QMenu* menu);
    // The buttons, in sections; those that start hidden are left out of the
    // layout.
    void AddButtonsTo(TSpeedBar* bar) const;

private:
    struct Made {
        CommandEntry Entry;
        QAction* Action = nullptr;
        QMenu* Submenu = nullptr;
    };
    QWidget* Window;
    std::vector<Made> Entries;

    const Made& Find(const char* name) const;
};
