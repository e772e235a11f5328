// "Список окон": pick one of the program's open windows to switch to.
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

class TWindowListForm : public QDialog {
    Q_OBJECT
public:
    explicit TWindowListForm(QWidget* parent = nullptr);
    // The window on the selected line (after OK), or nullptr.
    QWidget* SelectedWindow() const;

    // Runs the dialog; on OK switches to the chosen window.
    static void Execute(QWidget* parent);

private:
    // Components, by the object names they carry.
    QListWidget* ListBox;
    QPushButton* Button1;  // ОК
    QPushButton* Button2;  // Отмена
    QPushButton* Button3;  // Помощь

    void FillList();
};
