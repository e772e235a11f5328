// Typing into a window test's widgets as a user would, Cyrillic included
// (QTest's own key helpers take Latin-1 only).
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

inline void Type(QWidget* widget, const QString& text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, ch.toUpper().unicode(), ch.isUpper() ? Qt::ShiftModifier : Qt::NoModifier,
                        QString(ch));
        QApplication::sendEvent(widget, &press);
    }
}
