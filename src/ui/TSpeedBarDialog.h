// The tool bar's customisation dialog: every button the bar can show, each
// with a check for "shown", in the bar's order (shown buttons first); the
// user checks, unchecks and moves them.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;
class TSpeedBar;

class TSpeedBarDialog : public QDialog {
    Q_OBJECT
public:
    TSpeedBarDialog(const TSpeedBar* bar, QWidget* parent = nullptr);

    // The names of the checked buttons in list order.
    QStringList ChosenLayout() const;

private:
    // Components, by the object names they carry.
    QListWidget* ButtonsList;
    QPushButton* UpButton;
    QPushButton* DownButton;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    // Moves the selected line up (-1) or down (+1).
    void MoveSelected(int direction);
};
