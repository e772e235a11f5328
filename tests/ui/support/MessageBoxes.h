// Looking at a message box the program really shows (not the tests'
// answering stand-in) while it is open.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

// Calls look with the next message box that opens; look closes it.
inline void WhenMessageBoxShows(std::function<void(QMessageBox*)> look)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, look] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        look(box);
    });
    poll->start();
}
