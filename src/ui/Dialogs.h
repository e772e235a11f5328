// The questions and messages the windows show. Every question goes through
// AskDialog: a standard message dialog whose Yes (or OK) button has the mouse
// pointer moved onto it while it is shown. The buttons are Russian whatever
// the system's language, and Д, Н and О answer Да, Нет and Отмена. Both
// functions can be replaced, so that window tests answer them.
#pragma once

#include <QMessageBox>
#include <functional>
#include <string>

class QWidget;

using AskHandler = std::function<QMessageBox::StandardButton(const QString& text, QMessageBox::Icon icon,
                                                             QMessageBox::StandardButtons buttons)>;
using MessageHandler = std::function<void(const QString& text)>;

// text is the program's text (line breaks as single CR). The question
// stands over parent, the window it is about; without one, over the active
// window. Enter presses defaultButton when one is given (and the pointer
// rests on it), else Yes or OK.
QMessageBox::StandardButton AskDialog(const std::string& text, QMessageBox::Icon icon,
                                      QMessageBox::StandardButtons buttons, QWidget* parent = nullptr,
                                      QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
// A plain information box with an OK button (the application title as
// caption); its lines are shown whole, never wrapped.
void ShowMessage(const std::string& text);
// An error box, for exceptions that reach the main loop; over parent when
// given, else over the active window.
void ShowError(const std::string& text, QWidget* parent = nullptr);

// The application title: the caption of plain message boxes. The main window
// keeps it equal to its own title (with the unread count or the tosser state).
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

// Replace (tests) or restore (nullptr) the dialogs.
void SetAskHandler(AskHandler handler);
void SetMessageHandler(MessageHandler handler);
