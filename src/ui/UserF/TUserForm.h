// "Пользователь": the user's name, main address, further addresses (AKAs),
// the two letter templates, with a menu of the tokens the templates know, the
// tags of the netmail areas, the character sets of letters and the nodelists
// and pointlists.
#pragma once

#include <QDialog>

#include "ui/UserSettingsEntry.h"

class QComboBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class TUserForm : public QDialog {
    Q_OBJECT
public:
    explicit TUserForm(QWidget* parent = nullptr);

    void Fill(const UserSettingsFields& fields);
    void Read(UserSettingsFields& fields) const;

    // The dialog the user settings command runs (installed at start-up).
    static bool Run(QWidget* parent, UserSettingsFields& fields);

protected:
    void changeEvent(QEvent* event) override;

private:
    // Components, by the object names they carry.
    QTabWidget* Notebook;
    QLineEdit* NameEdit;
    QLineEdit* MainAddressEdit;
    QPlainTextEdit* AKAsMemo;
    QPlainTextEdit* NewLetterTemplateMemo;
    QPlainTextEdit* QuoteReplyTemplateMemo;
    QPlainTextEdit* NetmailAreasMemo;  // one tag a line
    QPlainTextEdit* NodelistsMemo;     // one file or base name a line
    QPlainTextEdit* PointlistsMemo;
    QComboBox* IncomingCharsetBox;   // the set of letters without CHRS
    QComboBox* OutgoingCharsetBox;   // CP866 or UTF-8
    QComboBox* SoftBreakBox;         // 0x8D: the letter (0) or a soft break (1)
    QPushButton* NewFieldsButton;    // "&Поля" on the new letter page
    QPushButton* ReplyFieldsButton;  // "&Поля" on the reply page
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QPushButton* HelpButton;
    QMenu* TokenMenu;

    // Inserts "@" + the token's name and its separator at the caret of the
    // template of the page shown (what a choice in the token menu does).
    void InsertToken(int token);
    // Moves the page by step (+1 / -1), wrapping around (Ctrl+Tab, Ctrl+Shift+Tab).
    void MovePage(int step);
    void AddUserPage();
    void AddTemplatePages();
    void AddNetmailPage();
    void AddCharsetPage();
    void AddNodelistPage();
    void PlaceButtons();
    void AddPageKeys();
    void BuildTokenMenu();
    void ShowTokenMenu(QPushButton* button);
};
