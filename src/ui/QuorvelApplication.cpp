#include "ui/QuorvelApplication.h"

#include "core/Exceptions.h"
#include "core/MessagePump.h"
#include "ui/Dialogs.h"
#include "ui/QtTranslations.h"

QuorvelApplication::QuorvelApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // Before any window: Qt's own buttons and menus speak the program's language.
    InstallQtTranslations();
    SetProcessMessagesHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}

QuorvelApplication::~QuorvelApplication()
{
    SetProcessMessagesHook(nullptr);
}

bool QuorvelApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

void QuorvelApplication::HandleException(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const ESilentAbort&) {
        // ends the operation quietly
    } catch (const std::exception& e) {
        ShowError(e.what());
    } catch (...) {
        ShowError("?");
    }
}

void RunGuarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        QuorvelApplication::HandleException(std::current_exception());
    }
}
