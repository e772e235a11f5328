#include "ui/CommandTable.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <cstring>
#include <stdexcept>

#include "ui/MenuItems.h"
#include "ui/TSpeedBar.h"

CommandTable::CommandTable(QWidget* window, std::vector<CommandEntry> entries) : Window(window)
{
    QActionGroup* radios = nullptr;
    for (CommandEntry& entry : entries) {
        Made made{std::move(entry)};
        const CommandEntry& command = made.Entry;
        if (command.Check != CommandCheck::Radio)
            radios = nullptr;
        if (!command.Submenu) {
            QAction* action = MakeItem(window, command.Name, command.Caption, command.Hint, command.Keys, command.Run);
            action->setCheckable(command.Check != CommandCheck::None);
            if (command.Check == CommandCheck::Radio) {
                if (!radios)
                    radios = new QActionGroup(window);
                radios->addAction(action);
            }
            if (command.Button.Name)
                action->setToolTip(command.Button.Caption);
            if (!command.Menu)
                window->addAction(action);
            made.Action = action;
        }
        Entries.push_back(std::move(made));
    }
}

const CommandTable::Made& CommandTable::Find(const char* name) const
{
    for (const Made& made : Entries)
        if (std::strcmp(made.Entry.Name, name) == 0)
            return made;
    throw std::logic_error(std::string("no command named ") + name);
}

QAction* CommandTable::Action(const char* name) const
{
    const Made& made = Find(name);
    return made.Submenu ? made.Submenu->menuAction() : made.Action;
}

QMenu* CommandTable::Menu(const char* name) const
{
    return Find(name).Submenu;
}

void CommandTable::AddMenusTo(QMenuBar* bar)
{
    for (Made& made : Entries) {
        if (!made.Entry.Submenu || made.Entry.Menu)
            continue;
        made.Submenu = MakeSubmenu(bar, made.Entry.Name, made.Entry.Caption, made.Entry.Hint);
        Fill(made.Submenu);
    }
}

void CommandTable::Fill(QMenu* menu)
{
    const QByteArray name = menu->objectName().toLatin1();
    for (Made& made : Entries) {
        const CommandEntry& entry = made.Entry;
        if (!entry.Menu || name != entry.Menu)
            continue;
        if (entry.SeparatorBefore)
            menu->addSeparator();
        if (entry.Submenu) {
            made.Submenu = MakeSubmenu(menu, entry.Name, entry.Caption, entry.Hint);
            Fill(made.Submenu);
        } else {
            menu->addAction(made.Action);
        }
    }
}

void CommandTable::AddButtonsTo(TSpeedBar* bar) const
{
    QString section;
    QStringList hidden;
    for (const Made& made : Entries) {
        const CommandButton& button = made.Entry.Button;
        if (!button.Name)
            continue;
        if (button.Section != section) {
            section = button.Section;
            bar->AddSection(section);
        }
        const QString name = QString::fromLatin1(button.Name);
        bar->AddButton(made.Action, name, button.Caption, button.Icon);
        if (button.StartsHidden)
            hidden << name;
    }
    QStringList layout = bar->Layout();
    for (const QString& name : hidden)
        layout.removeAll(name);
    bar->SetLayout(layout);
}
