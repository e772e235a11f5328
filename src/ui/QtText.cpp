#include "ui/QtText.h"

#include "core/CodePage.h"

QString ToQString(const std::string& ansi)
{
    return QString::fromStdString(AnsiToUtf8(ansi));
}

std::string FromQString(const QString& text)
{
    return Utf8ToAnsi(text.toStdString());
}

QString ToQStringMessage(const std::string& ansi)
{
    QString text = ToQString(ansi);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}
