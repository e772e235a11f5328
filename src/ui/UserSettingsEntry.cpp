#include "ui/UserSettingsEntry.h"

#include "core/FidoAddress.h"
#include "core/UserSettings.h"

namespace {

UserSettingsDialogRunner& Runner()
{
    static UserSettingsDialogRunner runner;
    return runner;
}

}  // namespace

void SetUserSettingsDialog(UserSettingsDialogRunner runner)
{
    Runner() = std::move(runner);
}

bool HasUserSettingsDialog()
{
    return static_cast<bool>(Runner());
}

bool EditUserSettings(QWidget* parent)
{
    if (!Runner())
        return false;
    UserSettingsFields fields{UserName, AddressToText(MainAddress), AKAs, NewLetterTemplate, QuoteReplyTemplate,
                              NetmailAreas};
    if (!Runner()(parent, fields))
        return false;
    UserName = fields.Name;
    const FidoAddress previous = MainAddress;
    ParseAddress(fields.MainAddressText, previous, MainAddress);
    AKAs = fields.AKAs;
    NewLetterTemplate = fields.NewLetterTemplate;
    QuoteReplyTemplate = fields.QuoteReplyTemplate;
    NetmailAreas = fields.NetmailAreas;
    SaveSettings();
    return true;
}
