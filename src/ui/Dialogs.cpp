#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QTimer>

#include "ui/QtText.h"

namespace {

AskHandler& CustomAsk()
{
    static AskHandler handler;
    return handler;
}

MessageHandler& CustomMessage()
{
    static MessageHandler handler;
    return handler;
}

QString& Title()
{
    static QString title;
    return title;
}

QString Caption()
{
    return Title().isEmpty() ? QApplication::applicationName() : Title();
}

// Runs the box with the pointer on its Yes (else OK) button, and puts the
// pointer back afterwards.
int ExecWithPointerOnDefault(QMessageBox& box)
{
    const QPoint saved = QCursor::pos();
    QAbstractButton* target = box.button(QMessageBox::Yes);
    if (!target)
        target = box.button(QMessageBox::Ok);
    if (target) {
        QTimer::singleShot(0, &box, [target] {
            QCursor::setPos(target->mapToGlobal(target->rect().center()));
        });
    }
    int result = box.exec();
    QCursor::setPos(saved);
    return result;
}

}  // namespace

QMessageBox::StandardButton AskDialog(const std::string& text, QMessageBox::Icon icon,
                                      QMessageBox::StandardButtons buttons)
{
    QString message = ToQStringMessage(text);
    if (CustomAsk())
        return CustomAsk()(message, icon, buttons);
    QMessageBox box(icon, Caption(), message, buttons, QApplication::activeWindow());
    return static_cast<QMessageBox::StandardButton>(ExecWithPointerOnDefault(box));
}

void ShowMessage(const std::string& text)
{
    QString message = ToQStringMessage(text);
    if (CustomMessage())
        return CustomMessage()(message);
    QMessageBox box(QMessageBox::NoIcon, Caption(), message, QMessageBox::Ok, QApplication::activeWindow());
    ExecWithPointerOnDefault(box);
}

void ShowError(const std::string& text)
{
    QString message = ToQStringMessage(text);
    if (CustomMessage())
        return CustomMessage()(message);
    QMessageBox box(QMessageBox::Critical, Caption(), message, QMessageBox::Ok, QApplication::activeWindow());
    ExecWithPointerOnDefault(box);
}

void SetApplicationTitle(const QString& title)
{
    Title() = title;
}

QString ApplicationTitle()
{
    return Caption();
}

void SetAskHandler(AskHandler handler)
{
    CustomAsk() = std::move(handler);
}

void SetMessageHandler(MessageHandler handler)
{
    CustomMessage() = std::move(handler);
}
