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

QAction* MakeItem(QObject* owner, const char* name, const QString& caption, const QString& hint,
                  const QList<QKeySequence>& keys, std::function<void()> handler);
QMenu* MakeSubmenu(QMenuBar* bar, const char* name, const QString& caption, const QString& hint);
