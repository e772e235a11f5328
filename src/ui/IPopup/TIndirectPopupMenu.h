// A context menu with no items of its own: it shows one submenu of its
// window's main menu, so the right-click menu of a pane always equals that
// submenu (captions, shortcuts, checks, enabled states, handlers) without a
// second copy of the items.
#pragma once

#include <QObject>
#include <QPoint>

class QMenu;

class TIndirectPopupMenu : public QObject {
    Q_OBJECT
public:
    explicit TIndirectPopupMenu(QObject* owner, QMenu* menuItem = nullptr);

    QMenu* MenuItem() const { return Item; }
    void SetMenuItem(QMenu* menuItem) { Item = menuItem; }

    // Shows the submenu at a screen position; nothing without a submenu.
    // Returns whether a menu was shown.
    bool Popup(const QPoint& globalPos);
    // Shows it on a widget's context-menu request (local position).
    void AttachTo(QWidget* widget);

private:
    QMenu* Item = nullptr;
};
