#include "ui/IPopup/TIndirectPopupMenu.h"

#include <QAbstractScrollArea>
#include <QMenu>
#include <QWidget>

TIndirectPopupMenu::TIndirectPopupMenu(QObject* owner, QMenu* menuItem) : QObject(owner), Item(menuItem) {}

bool TIndirectPopupMenu::Popup(const QPoint& globalPos)
{
    if (!Item)
        return false;
    // The main menu's own submenu: a choice runs the item's own handler.
    Item->popup(globalPos);
    return true;
}

void TIndirectPopupMenu::AttachTo(QWidget* widget)
{
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    // A scroll area (a text field, a scroll box) asks with its viewport's position.
    auto* scrollArea = qobject_cast<QAbstractScrollArea*>(widget);
    QWidget* origin = scrollArea ? scrollArea->viewport() : widget;
    connect(widget, &QWidget::customContextMenuRequested, this,
            [this, origin](const QPoint& pos) { Popup(origin->mapToGlobal(pos)); });
}
