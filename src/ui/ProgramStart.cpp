#include "ui/ProgramStart.h"

#include <QApplication>
#include <string>
#include <vector>

#include "core/Startup.h"
#include "core/TosserFlag.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "settings/QtText.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/AreaWindowEntry.h"
#include "ui/AreasF/TAreasForm.h"
#include "ui/Dialogs.h"
#include "ui/EditorEntry.h"
#include "ui/EditorF/TEditorForm.h"
#include "ui/Nodelists.h"
#include "ui/Resources.h"
#include "ui/TosserWaitDialog.h"
#include "ui/UserF/TUserForm.h"
#include "ui/UserSettingsEntry.h"

std::unique_ptr<TAreasForm> StartProgram(Session& session, const QStringList& arguments, const QString& programPath)
{
    std::vector<std::string> params;
    for (const QString& arg : arguments)
        params.push_back(FromQString(arg));
    return StartProgram(session, params, FromQString(programPath));
}

std::unique_ptr<TAreasForm> StartProgram(Session& session, const std::vector<std::string>& params,
                                         const std::string& programPath)
{
    session.Settings = UserSettings{};
    session.Settings.SetProgramFileName(programPath);
    RegisterCursors();
    SetUserSettingsDialog(&TUserForm::Run);

    StartParameters start;
    if (!CheckParameters(params, start, ShowMessage))
        return nullptr;
    session.SetStart(start);

    const QString title = QString::fromLatin1(ProgramTitle);
    QApplication::setApplicationName(title);
    // The desktop matches the windows to the menu entry (quorvel.desktop).
    QApplication::setDesktopFileName(QStringLiteral("quorvel"));
    SetApplicationTitle(title);

    // Entering an area opens its window.
    SetAreaWindowFactory([](TArea* area) -> FormWindow* { return new TAreaForm(area); });
    // Writes into the bases wait, in a dialog, while the tosser works.
    TosserFlag& tosser = session.Tosser;
    tosser.SetWaiter([&tosser](const std::string& what) { return WaitForTosserInDialog(tosser, what); });
    // Letter commands of an area window open an editor.
    SetEditorWindowFactory([](TArea* area, int mode) -> FormWindow* { return new TEditorForm(area, mode); });

    auto form = std::make_unique<TAreasForm>(session);
    // The settings are read: the nodelists load in the background.
    StartNodelists(session.Settings);
    form->ShowFirstTime();
    return form;
}
