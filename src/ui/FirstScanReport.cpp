#include "ui/FirstScanReport.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <iostream>

#include "core/FormRegistry.h"
#include "core/ModelMessages.h"

namespace {

class FirstScanWatcher : public TModelForm {
public:
    explicit FirstScanWatcher(QWidget& mainWindow) : MainWindow(&mainWindow) { RegisterForm(this); }
    ~FirstScanWatcher() override { UnregisterForm(this); }

    intptr_t ModelMessage(unsigned msg, void*) override
    {
        if (msg != WM_SCANFINISHED || Reported)
            return 0;
        Reported = true;
        // From the event loop: the main window shows the count when it has
        // handled this same message, whichever of us is sent it first.
        QTimer::singleShot(0, QCoreApplication::instance(), [window = MainWindow] {
            if (window)
                std::cout << window->windowTitle().toStdString() << std::endl;
            QCoreApplication::exit(0);
        });
        return 0;
    }

private:
    QPointer<QWidget> MainWindow;
    bool Reported = false;
};

}  // namespace

std::unique_ptr<TModelForm> ReportFirstScanWhenAsked(QWidget& mainWindow)
{
    if (qEnvironmentVariableIsEmpty("QUORVEL_EXIT_AFTER_FIRST_SCAN"))
        return nullptr;
    return std::make_unique<FirstScanWatcher>(mainWindow);
}
