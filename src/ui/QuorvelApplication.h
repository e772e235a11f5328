// The application object: the main loop's default handler for exceptions (a
// message box, and the program carries on; the silent abort shows nothing),
// and the hook that lets long loads run pending window messages.
#pragma once

#include <QApplication>
#include <functional>

class QuorvelApplication : public QApplication {
    Q_OBJECT
public:
    QuorvelApplication(int& argc, char** argv);
    ~QuorvelApplication() override;
    bool notify(QObject* receiver, QEvent* event) override;

    // What the default handler does with an exception in flight (also for
    // code that catches at its own boundary, such as timer handlers).
    static void HandleException(std::exception_ptr error);
};

// Runs a handler (a command, a timer) and gives whatever it throws to the
// default handler, so that the window stays usable whoever delivered the event.
void RunGuarded(const std::function<void()>& handler);
