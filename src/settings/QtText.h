// The boundary between the program's strings (UTF-8) and Qt's QString.
// Nothing else in the windows converts text.
#pragma once

#include <QString>
#include <string>

QString ToQString(const std::string& utf8);
std::string FromQString(const QString& text);
// For message boxes: the program's texts break lines with a single CR.
QString ToQStringMessage(const std::string& utf8);
