#include "ui/IPopup/TIndirectPopupMenu.h"

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
    connect(widget, &QWidget::customContextMenuRequested, this,
            [this, widget](const QPoint& pos) { Popup(widget->mapToGlobal(pos)); });
}
