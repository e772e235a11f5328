// Reaching a window's parts the way the user does: by the object names its
// menus, tool bar and settings know them, not through its data members.
#pragma once

#include <QAction>
#include <QByteArray>
#include <QObject>
#include <QTest>

// The window's child of type T named name. A missing one fails the running
// test with a message naming it, and gives nullptr.
template <class T>
T* PartOf(QObject* window, const char* name)
{
    T* part = window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    if (!part) {
        const QByteArray what = QByteArray("the window has no ") + T::staticMetaObject.className() + " named " + name;
        QTest::qFail(what.constData(), __FILE__, __LINE__);
    }
    return part;
}

// The window's menu command (or tool bar button) named name.
inline QAction* ActionOf(QObject* window, const char* name)
{
    return PartOf<QAction>(window, name);
}
