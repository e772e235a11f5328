// Reaching a window's widgets and commands by their object names, as the
// window tests do (the windows keep them private).
#pragma once

#include <QAction>
#include <QObject>
#include <gtest/gtest.h>

// The child of window named name, or nullptr (a failure) when it has none.
template <class T>
T* PartOf(QObject* window, const char* name)
{
    T* part = window->findChild<T*>(QString::fromLatin1(name));
    if (!part)
        ADD_FAILURE() << "no part named " << name;
    return part;
}

// The window's command (menu item, tool bar button, key) named name.
inline QAction* ActionOf(QObject* window, const char* name)
{
    return PartOf<QAction>(window, name);
}
