// The user settings command of the areas window: the dialog is filled from
// the settings in memory and, when the user confirms it, its fields become
// the settings, which are then saved. The dialog itself installs its runner
// at start-up; without one the command is unavailable.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/Charset.h"
#include "core/UserSettings.h"

class QWidget;

// The dialog's fields, as text and lines.
struct UserSettingsFields {
    std::string Name;
    std::string MainAddressText;
    std::vector<std::string> AKAs;
    std::vector<std::string> NewLetterTemplate;
    std::vector<std::string> QuoteReplyTemplate;
    std::vector<std::string> NetmailAreas;
    Charset IncomingCharset = Charset::Cp866;  // of letters that name no set
    Charset OutgoingCharset = Charset::Cp866;  // of new letters
    bool SoftBreak8D = false;                   // CP866 0x8D: false the letter Н, true a soft break
    std::vector<std::string> Nodelists;         // files or base names of day-numbered copies
    std::vector<std::string> Pointlists;
};

// Shows the dialog with the fields filled in; true (with the fields as the
// user left them) when it ends with OK.
using UserSettingsDialogRunner = std::function<bool(QWidget* parent, UserSettingsFields& fields)>;

void SetUserSettingsDialog(UserSettingsDialogRunner runner);
bool HasUserSettingsDialog();

// Fills the dialog from the settings, runs it and, on OK, takes the fields
// back (the address parsed with the previous main address as the default for
// the parts it leaves out) and saves the settings into the settings store. Returns whether it was OK.
bool EditUserSettings(QWidget* parent, UserSettings& settings);
