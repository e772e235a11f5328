#include "ui/UserSettingsEntry.h"

#include "core/FidoAddress.h"
#include "core/UserSettings.h"
#include "ui/Nodelists.h"

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
    const ListSettings lists = NodelistSettings();
    UserSettingsFields fields{UserName,        AddressToText(MainAddress), AKAs,           NewLetterTemplate,
                              QuoteReplyTemplate, NetmailAreas,         DefaultIncomingCharset, OutgoingCharset,
                              SoftBreak8D,     lists.Nodelists,            lists.Pointlists};
    if (!Runner()(parent, fields))
        return false;
    UserName = fields.Name;
    const FidoAddress previous = MainAddress;
    ParseAddress(fields.MainAddressText, previous, MainAddress);
    AKAs = fields.AKAs;
    NewLetterTemplate = fields.NewLetterTemplate;
    QuoteReplyTemplate = fields.QuoteReplyTemplate;
    NetmailAreas = fields.NetmailAreas;
    DefaultIncomingCharset = fields.IncomingCharset;
    OutgoingCharset = fields.OutgoingCharset;
    SoftBreak8D = fields.SoftBreak8D;
    SaveSettings();
    // Lists named anew are loaded anew, in the background.
    SetNodelistSettings({fields.Nodelists, fields.Pointlists});
    return true;
}
