// The boundary between the program's ANSI strings and Qt's QString. Nothing
// else in the windows converts text.
#pragma once

#include <QString>
#include <string>

QString ToQString(const std::string& ansi);
std::string FromQString(const QString& text);
// For message boxes: the program's texts break lines with a single CR.
QString ToQStringMessage(const std::string& ansi);
