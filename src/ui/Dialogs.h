// The questions and messages the windows show. Every question goes through
// AskDialog: a standard message dialog whose Yes (or OK) button has the mouse
// pointer moved onto it while it is shown. Both functions can be replaced, so
// that window tests answer them.
#pragma once

#include <QMessageBox>
#include <functional>
#include <string>

using AskHandler = std::function<QMessageBox::StandardButton(const QString& text, QMessageBox::Icon icon,
                                                             QMessageBox::StandardButtons buttons)>;
using MessageHandler = std::function<void(const QString& text)>;

// text is the program's text (line breaks as single CR).
QMessageBox::StandardButton AskDialog(const std::string& text, QMessageBox::Icon icon,
                                      QMessageBox::StandardButtons buttons);
// A plain information box with an OK button (the application title as caption).
void ShowMessage(const std::string& text);
// An error box, for exceptions that reach the main loop.
void ShowError(const std::string& text);

// The application title: the caption of plain message boxes. The main window
// keeps it equal to its own title (with the unread count or the tosser state).
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

// Replace (tests) or restore (nullptr) the dialogs.
void SetAskHandler(AskHandler handler);
void SetMessageHandler(MessageHandler handler);
