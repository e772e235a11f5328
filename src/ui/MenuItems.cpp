#include "ui/MenuItems.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ui/QuorvelApplication.h"

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

QMenu* MakeSubmenu(QMenuBar* bar, const char* name, const QString& caption, const QString& hint)
{
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setStatusTip(hint);
    return menu;
}
