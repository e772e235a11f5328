#include "settings/QtText.h"

QString ToQString(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

std::string FromQString(const QString& text)
{
    return text.toStdString();
}

QString ToQStringMessage(const std::string& utf8)
{
    QString text = ToQString(utf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}
