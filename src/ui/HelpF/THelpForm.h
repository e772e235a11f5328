// The help window: the keys and commands of each of the program's windows, a
// page each, opened (F1, "Как использовать Помощь") on the page of the window
// it was called from. It does not block the window it helps with; one is
// open at a time.
#pragma once

#include <QDialog>
#include <QString>

class QTabWidget;

class THelpForm : public QDialog {
    Q_OBJECT
public:
    // Shows the help over caller on the page of section ("areas", "area",
    // "editor"); an open help window moves there.
    static THelpForm* ShowFor(QWidget* caller, const QString& section);
    // The open help window, or nullptr.
    static THelpForm* Current();
    // The id of the page shown.
    QString CurrentSection() const;

private:
    QTabWidget* Pages;  // a page per window, named by its section

    explicit THelpForm(QWidget* parent);
};
