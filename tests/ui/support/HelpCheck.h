// Whether the help tells of every key a window answers.
#pragma once

#include <QAction>
#include <QKeySequence>
#include <QStringList>
#include <QWidget>

#include "ui/HelpF/HelpKeys.h"

// The keys of the window's commands that its page of the help leaves out:
// the first key of each command, the one its menu shows. Keys the window
// takes only to do nothing with them are given in doingNothing.
inline QStringList UndocumentedKeys(QWidget* window, const QString& section, const QStringList& doingNothing = {})
{
    QStringList documented;
    for (const HelpSection& page : HelpSections())
        if (page.Id == section)
            for (const HelpRow& row : page.Rows)
                documented << row.PortableKeys;
    QStringList missing;
    for (const QAction* action : window->findChildren<QAction*>()) {
        const QString key = action->shortcut().toString(QKeySequence::PortableText);
        if (!key.isEmpty() && !documented.contains(key) && !doingNothing.contains(key) && !missing.contains(key))
            missing << key;
    }
    return missing;
}
