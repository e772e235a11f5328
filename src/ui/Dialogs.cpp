#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include "core/Startup.h"
#include "settings/QtText.h"

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
    return Title().isEmpty() ? QString::fromLatin1(ProgramTitle) : Title();
}

// The buttons a question may have, with their captions: the letter after "&"
// answers the question by itself.
struct ButtonCaption {
    QMessageBox::StandardButton Button;
    const char* Caption;
};
const ButtonCaption ButtonCaptions[] = {
    {QMessageBox::Yes, "&Да"},
    {QMessageBox::No, "&Нет"},
    {QMessageBox::Cancel, "&Отмена"},
    {QMessageBox::Ok, "ОК"},
};

void SetButtonCaptions(QMessageBox& box)
{
    for (const ButtonCaption& caption : ButtonCaptions)
        if (QAbstractButton* button = box.button(caption.Button))
            button->setText(QString::fromUtf8(caption.Caption));
}

// Runs the box with the pointer on its default (else Yes, else OK) button, and puts the
// pointer back afterwards.
int ExecWithPointerOnDefault(QMessageBox& box)
{
    SetButtonCaptions(box);
    const QPoint saved = QCursor::pos();
    QAbstractButton* target = box.defaultButton();
    if (!target)
        target = box.button(QMessageBox::Yes);
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

// The text with every line kept whole: the box is as wide as its widest line.
QString UnwrappedLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = line.toHtmlEscaped();
    return QStringLiteral("<p style=\"white-space:pre\">") + lines.join(QStringLiteral("<br>")) +
           QStringLiteral("</p>");
}

}  // namespace

QMessageBox::StandardButton AskDialog(const std::string& text, QMessageBox::Icon icon,
                                      QMessageBox::StandardButtons buttons, QWidget* parent,
                                      QMessageBox::StandardButton defaultButton)
{
    QString message = ToQStringMessage(text);
    if (CustomAsk())
        return CustomAsk()(message, icon, buttons);
    QMessageBox box(icon, Caption(), message, buttons, parent ? parent : QApplication::activeWindow());
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(ExecWithPointerOnDefault(box));
}

void ShowMessage(const std::string& text)
{
    QString message = ToQStringMessage(text);
    if (CustomMessage())
        return CustomMessage()(message);
    QMessageBox box(QMessageBox::NoIcon, Caption(), QString(), QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::RichText);
    box.setText(UnwrappedLines(message));
    ExecWithPointerOnDefault(box);
}

void ShowError(const std::string& text, QWidget* parent)
{
    QString message = ToQStringMessage(text);
    if (CustomMessage())
        return CustomMessage()(message);
    QMessageBox box(QMessageBox::Critical, Caption(), message, QMessageBox::Ok,
                    parent ? parent : QApplication::activeWindow());
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
