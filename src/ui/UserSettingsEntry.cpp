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

bool EditUserSettings(QWidget* parent, UserSettings& settings)
{
    if (!Runner())
        return false;
    const ListSettings lists = NodelistSettings(settings);
    UserSettingsFields fields{settings.UserName,
                              AddressToText(settings.MainAddress),
                              settings.AKAs,
                              settings.NewLetterTemplate,
                              settings.QuoteReplyTemplate,
                              settings.NetmailAreas,
                              settings.DefaultIncomingCharset,
                              settings.OutgoingCharset,
                              settings.SoftBreak8D,
                              lists.Nodelists,
                              lists.Pointlists};
    if (!Runner()(parent, fields))
        return false;
    settings.UserName = fields.Name;
    const FidoAddress previous = settings.MainAddress;
    ParseAddress(fields.MainAddressText, previous, settings.MainAddress);
    settings.AKAs = fields.AKAs;
    settings.NewLetterTemplate = fields.NewLetterTemplate;
    settings.QuoteReplyTemplate = fields.QuoteReplyTemplate;
    settings.NetmailAreas = fields.NetmailAreas;
    settings.DefaultIncomingCharset = fields.IncomingCharset;
    settings.OutgoingCharset = fields.OutgoingCharset;
    settings.SoftBreak8D = fields.SoftBreak8D;
    settings.Save(UserRegistry());
    // Lists named anew are loaded anew, in the background.
    SetNodelistSettings(settings, {fields.Nodelists, fields.Pointlists});
    return true;
}
