// A diagnostic for checking an installed program where nobody looks at the
// screen (a package test running it offscreen): when the environment variable
// QUORVEL_EXIT_AFTER_FIRST_SCAN is set, the main window's title is printed on
// stdout once the first scan has finished, when it carries the unread count,
// and the program ends with exit code 0. Without the variable nothing happens.
#pragma once

#include <memory>

class QWidget;
class ModelObserver;

// The watcher to keep while the main loop runs, or nullptr when not asked for.
std::unique_ptr<ModelObserver> ReportFirstScanWhenAsked(QWidget& mainWindow);
