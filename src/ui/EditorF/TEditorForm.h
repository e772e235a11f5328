// The editor window: one letter written into one area (a new letter, a
// changed letter, a reply or a comment). The header fields at the top (in a
// netmail area with the destination address and a choice of sender), the
// text below, prepared from the user's template the first time the user
// enters it and coloured by line kind; a tool bar, the menus and a status
// bar. It belongs to its area: the area window asks it before closing, and
// it closes when the area's base closes.
//
// Its parts are its own: other windows reach it only through FormWindow
// (made by the editor factory, asked CloseQuery, told the model's messages,
// EditedArea); the user, and the window tests, through its keys, its
// commands (actions by object name) and what it shows.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "text/EditorState.h"
#include "ui/FormWindow.h"

class QAction;
class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class Session;
class TArea;
class TIndirectPopupMenu;

class TEditorForm : public FormWindow {
    Q_OBJECT
public:
    // Opens an editor on the area (kept open by its area window) in a mode
    // (EditorMode); in every mode but the new letter the area's current
    // letter is the one answered or changed. Its text is read first: when
    // that fails the error reaches the caller and no window is made.
    TEditorForm(TArea* area, int mode);
    ~TEditorForm() override;

    TArea* EditedArea() const override { return State.Area; }
    // The model's events about the edited area (and the areas' reload).
    void AreasChanged() override;
    bool QueryCloseArea(TArea& area) override;
    void AreaClosed(TArea& area) override;
    void AreaDestroyed(TArea& area) override;
    // The close question: an unsaved letter is saved, dropped or kept open.
    bool CloseQuery() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The first entry into the text field: the text is prepared (once).
    void EnterText();
    enum class SaveResult { Saved, Failed, Dropped };
    // Saves the letter. Failed: the error was shown and the letter is still
    // here, modified. Dropped: the changed letter vanished and the user did
    // not want the text saved as a new letter.
    SaveResult Save();
    // "&Записать": saves, then closes (stays open when the save failed).
    void SaveAndClose();

    // The fields and the text as typed, taken into State.
    void TakeFields();
    std::vector<std::string> TextLines() const;

    // What the editor holds about its letter; State.Area is the area written
    // to (none once the area itself is gone).
    Session& Owner;  // the edited area's session, which outlives the window
    EditorState State;
    // The area window that opened the editor (none once it is closed).
    QPointer<FormWindow> AreaWindow;

    // Components, named as the menus and the settings know them.
    QFrame* HeaderPanel = nullptr;
    QLineEdit* FromEdit = nullptr;
    QLineEdit* FromAddressEdit = nullptr;  // echomail: the sender address as typed
    QComboBox* FromAddressBox = nullptr;   // netmail: the main address or an AKA
    QLabel* DateTimeWritten = nullptr;
    QLineEdit* ToEdit = nullptr;
    QLabel* ToAddressLabel = nullptr;      // netmail only, like the field
    QLineEdit* ToAddressEdit = nullptr;    // netmail: the destination address
    QLineEdit* SubjectEdit = nullptr;
    QPlainTextEdit* RichEdit = nullptr;
    QLabel* StatusPanel0 = nullptr;  // caret line:column
    QLabel* StatusPanel1 = nullptr;  // "Изменено"
    QLabel* StatusPanel2 = nullptr;  // the text's size
    QLabel* StatusPanel3 = nullptr;  // the area
    TIndirectPopupMenu* EditIndirectPopupMenu = nullptr;    // the text and the header fields
    TIndirectPopupMenu* LetterIndirectPopupMenu = nullptr;  // the header's free space

    QMenu* FileItem = nullptr;
    QAction* SaveItem = nullptr;
    QAction* ExitItem = nullptr;
    QMenu* EditItem = nullptr;
    QAction* UndoItem = nullptr;
    QAction* CutItem = nullptr;
    QAction* CopyItem = nullptr;
    QAction* PasteItem = nullptr;
    QAction* DeleteItem = nullptr;
    QAction* SwitchToAreasItem = nullptr;
    QAction* SwitchToAreaItem = nullptr;
    // The hidden menus: their keys act in the text field and in the header.
    QAction* HeaderItem = nullptr;         // Alt+H in the text: to the subject
    QAction* TwoBlanksItem = nullptr;      // Tab, Shift+Tab in the text
    QAction* PreviousFieldItem = nullptr;  // Up in a header field
    QAction* NextFieldItem = nullptr;      // Enter, Down in a header field

    QAction* SaveSpeedItem = nullptr;
    QAction* ExitSpeedItem = nullptr;
    QAction* CutSpeedItem = nullptr;
    QAction* CopySpeedItem = nullptr;
    QAction* PasteSpeedItem = nullptr;
    QAction* UndoSpeedItem = nullptr;

    // The area's tag, description and base, kept for the messages about an
    // area that has gone while the editor was open.
    std::string AreaTag;
    std::string AreaBaseSpec;
    bool Filling = false;  // the window fills its fields: no change counts
    // The user picked the netmail sender address: the destination no longer
    // chooses it.
    bool SenderChosen = false;
    bool Asking = false;  // the close question is open

    static EditorState StateFor(TArea* area, int mode);
    void ShowErrorText(const std::string& text);

    void CreateHeader();
    void CreateMenus();
    void CreateSpeedBar();
    void CreateStatusBar();
    void FillHeader();
    void FillNetmailAddresses();
    void ChooseSender();

    bool RichEditKeyPress(QKeyEvent* event);
    bool QuotedLineEnter();
    void InsertTwoBlanks();
    // The edit commands act on the header field being edited, else the text.
    std::vector<QLineEdit*> HeaderFields() const;
    QLineEdit* EditedHeaderField() const;
    template <typename FieldCommand, typename TextCommand>
    void EditCommand(FieldCommand onField, TextCommand onText)
    {
        if (QLineEdit* field = EditedHeaderField())
            std::invoke(onField, field);
        else
            std::invoke(onText, RichEdit);
    }
    void DeleteSelection();
    void MoveToField(bool next);

    void SetModified(bool modified);
    void ShowCaretPosition();
    void ShowTextSize();
    void ShowArea();

    void SwitchToArea();
    void ForgetArea();
};
