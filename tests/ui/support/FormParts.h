// A window's parts as a test reaches them: by the object names the window
// gives its widgets and actions.
#pragma once

#include <QAction>
#include <QObject>
#include <QString>
#include <gtest/gtest.h>

// The child of that name and type; a failure naming it when there is none.
template <class T>
T* PartOf(QObject* window, const char* name)
{
    T* part = window->findChild<T*>(QString::fromLatin1(name));
    if (!part)
        ADD_FAILURE() << "the window has no part named " << name;
    return part;
}

inline QAction* ActionOf(QObject* window, const char* name)
{
    return PartOf<QAction>(window, name);
}
