// The program: quorvel FLAGFILE AREASFILE [HUDSONPATH].
#include <memory>
#include <string>
#include <vector>

#include "core/MemoryRegistry.h"
#include "core/Registry.h"
#include "model/Session.h"
#include "settings/IniSettingsStore.h"
#include "ui/AreasF/TAreasForm.h"
#include "ui/FirstScanReport.h"
#include "ui/ProgramStart.h"
#include "ui/QuorvelApplication.h"

int main(int argc, char** argv)
{
    // The run's session outlives the application and every window.
    Session session;
    QuorvelApplication app(argc, argv);
    // Once the main loop ends, long scans and loads stop at their next letter.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&session] { session.SetTerminating(true); });
    SetUserRegistry(std::make_unique<IniSettingsStore>());

    int exitCode = 0;
    {
        // The arguments as the host gave them: paths are bytes, never converted.
        std::unique_ptr<TAreasForm> mainWindow =
            StartProgram(session, std::vector<std::string>(argv + 1, argv + argc), std::string(argv[0]));
        if (!mainWindow)
            return 0;
        // Closing the main window ends the program.
        QObject::connect(mainWindow.get(), &TAreasForm::Closed, &app, &QCoreApplication::quit);
        std::unique_ptr<ModelObserver> firstScanReport = ReportFirstScanWhenAsked(*mainWindow);
        exitCode = QApplication::exec();
        // Windows closed in the last moments are freed before the areas.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Exit procedures: the areas (the windows are gone); the settings file is
    // written out while the application still exists.
    session.Areas.FreeAreas();
    SetUserRegistry(std::make_unique<MemoryRegistry>());
    return exitCode;
}
