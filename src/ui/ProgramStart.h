// The program's start, from the settings to the shown main window, in the
// order the parts depend on: the settings lists with their defaults, the two
// pointer shapes, the command line (too few parameters: the usage message,
// and the program ends), the application title, the main window.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

class Session;
class TAreasForm;

// session: the run's session, which takes the settings (at their defaults,
// read when the main window is made) and the parameters, and outlives the
// windows; arguments: the command-line parameters without the program name;
// programPath: the program file (its name names the user settings key).
// Returns the shown main window, or nullptr when the program is to end at once
// (exit code 0). The settings store in use (UserRegistry) is set beforehand.
// Paths are the host's bytes: the program passes its argv on unconverted.
std::unique_ptr<TAreasForm> StartProgram(Session& session, const std::vector<std::string>& arguments,
                                         const std::string& programPath);
// The same with arguments given as Qt text (UTF-8 paths).
std::unique_ptr<TAreasForm> StartProgram(Session& session, const QStringList& arguments, const QString& programPath);
