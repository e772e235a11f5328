#include "ui/AnsiText.h"

#include "core/CodePage.h"

QString FromAnsi(const std::string& ansi)
{
    return QString::fromStdString(AnsiToUtf8(ansi));
}

std::string ToAnsi(const QString& text)
{
    return Utf8ToAnsi(text.toStdString());
}

QString FromAnsiMessage(const std::string& ansi)
{
    QString text = FromAnsi(ansi);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}
