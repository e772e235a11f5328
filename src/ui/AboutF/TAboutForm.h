// "О программе": the program's name, version and authors.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    static void Execute(QWidget* parent);

private:
    // Components, by the object names they carry.
    QTabWidget* TabbedNotebook1;
    QLabel* Label1;
    QLineEdit* VersionEdit;
    QLineEdit* Edit2;
    QLabel* NoImage;
    QLabel* Image;
    QPlainTextEdit* Memo3;
    QPushButton* OKBtn;

    void SwitchPage();
};
