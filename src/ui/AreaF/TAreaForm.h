// The area window: the user reads one area here. A tree of the area's letters
// on the left, the current letter (header and reflowed text) on the right, a
// tool bar, the menus and a status bar. From here the user moves through the
// letters, deletes them, opens editors and leaves the area, optionally
// marking the rest read. One window per area; it keeps the area open for its
// whole life.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/FidoAddress.h"
#include "model/TConversationTree.h"
#include "ui/AreaF/TypingSearch.h"
#include "ui/CommandTable.h"
#include "ui/FormWindow.h"

class QAction;
class QFrame;
class QLabel;
class QScrollArea;
class QSplitter;
class QTimer;
class QModelIndex;
class QTreeView;
class TLetterTreeModel;
class Session;
class TArea;
class TIndirectPopupMenu;
class TLetter;
class TLetterViewer;

class TAreaForm : public FormWindow {
    Q_OBJECT
public:
    // The rest of the program makes the window and speaks to it as to any
    // FormWindow; everything the user does is reached through its actions
    // and keys (found by their object names). Beyond that only the beep
    // (replaceable) and the work of the two one-shot timers are public, so
    // that a caller can count the beeps and need not wait 300 ms for a
    // selection or a match to settle.

    // Opens the area (its error reaches the caller, and no window is made),
    // builds the tree, selects the first new letter and shows the window.
    explicit TAreaForm(TArea* area);
    ~TAreaForm() override;

    TArea* BrowsedArea() const override { return Area; }
    // The model's events about the window's area (and the areas' reload).
    void AreasChanged() override;
    void LettersLoading(TArea& area) override;
    void LettersChanged(TArea& area) override;
    void CurrentLetterChanged(TArea& area) override;
    void AreaDestroyed(TArea& area) override;
    void CountsChanged(TArea& area) override;
    // Asks the area's editors, then whether to leave the area.
    bool CloseQuery() override;

    // The default system beep; replaceable (tests count the beeps).
    std::function<void()> Beep;

    // The two one-shot timers' work: the letter selected becomes current;
    // the match found by typing is selected.
    void SetCurrentTimerFired();
    void DoFindTimerFired();

private:
    // Runs work (guarded) when the event concerns the window's area.
    void ForOwnArea(const TArea& area, const std::function<void()>& work);
    // Moves the selection (a code of NavigateCommand). silent: not asked for
    // by the user, so running off the end asks nothing.
    void Navigate(int command, bool silent);
    // The letter commands 0..5 (new, change, reply, comment, reply and
    // comment in another area).
    void LetterCommand(int command);
    void DeleteLetter();
    // "Добавить в адресную книгу": the shown letter's sender.
    void AddSenderToAddressBook();
    // Enter: from the letter to the tree, or from the tree into the letter.
    void SwitchFocus();
    void SetViewMode(TViewMode mode);
    // true when the user agrees to leave the area (ask: also when nothing is
    // left unread).
    bool LeaveArea(bool ask);

    // Makes the pending letter current now when the timer is still running.
    void ApplyPendingLetter();

    // Search by typing: a key the tree got; whether the search took it.
    bool TreeKeyPress(QKeyEvent* event);
    void EndFind();

    // The node a row of the tree stands for and the row of a node.
    static TTreeNode* NodeOf(const QModelIndex& index);
    QModelIndex IndexOf(const TTreeNode* node) const;
    TTreeNode* SelectedNode() const;

    TConversationTree Conversation;
    TypingSearch Search{Conversation};
    TLetter* PendingLetter = nullptr;
    bool LeaveConfirmed = false;

    // Components, named as the menus and the settings know them.
    QSplitter* Splitter = nullptr;
    QWidget* BrowsePanel = nullptr;
    QTreeView* Tree = nullptr;
    TLetterTreeModel* TreeModel = nullptr;
    QFrame* LetterPanel = nullptr;
    QFrame* HeaderPanel = nullptr;
    QLabel* FromLabel = nullptr;
    QLabel* ToLabel = nullptr;
    QLabel* DateTimeWritten = nullptr;
    QLabel* DateTimeArrived = nullptr;
    QLabel* SubjectLabel = nullptr;
    QScrollArea* ScrollBox = nullptr;
    TLetterViewer* Viewer = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QLabel* StatusPanel2 = nullptr;
    QTimer* SetCurrentTimer = nullptr;
    QTimer* DoFindTimer = nullptr;
    TIndirectPopupMenu* BrowseIndirectPopupMenu = nullptr;
    TIndirectPopupMenu* LetterIndirectPopupMenu = nullptr;
    TIndirectPopupMenu* NavigateIndirectPopupMenu = nullptr;

    // Every command of the menus, the popup menus and the tool bar, one
    // action each.
    std::unique_ptr<CommandTable> Commands;
    QAction* KludgesItem = nullptr;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Session& Owner;  // the area's session, which outlives the window
    TArea* Area;     // none once the area is destroyed under the window
    bool Rebuilding = false;
    std::string RestoredActiveControl;
    int WantedTreeWidth = 0;       // the stored width of the tree; 0: a share of the window
    bool TreeWidthChosen = false;  // the user has moved the splitter
    // The text of the letter shown, as read, kept for re-wrapping it when
    // only the viewer's width changed.
    const TLetter* ShownLetter = nullptr;
    std::vector<std::string> ShownText;
    // The shown letter's sender, as its header line names it.
    std::string ShownFrom;
    FidoAddress ShownFromAddress;
    bool ShownTextValid = false;

    static QWidget* OpenAreaFirst(TArea* area);

    void CreateTree();
    void CreateLetterPanel();
    void ApplyTreeWidth();
    // The command table's parts, in the order of the menus.
    std::vector<CommandEntry> FileCommands();
    std::vector<CommandEntry> TreeCommands();
    std::vector<CommandEntry> NavigationCommands();
    std::vector<CommandEntry> LetterCommands();
    std::vector<CommandEntry> ViewCommands();
    std::vector<CommandEntry> WindowCommands();
    void CreateCommands();
    void CreatePopupMenus();
    void CreateSpeedBar();
    void CreateStatusBar();
    void CreateStorage();
    void SyncOwnChecks() override;
    void UpdateCaption();

    void RebuildTree(bool adjustView);
    void ClearTreeItems();
    void FillTreeItems();
    void SelectNode(TTreeNode* node);
    void TreeChange(const QModelIndex& index);
    void RepaintTree();
    void AnyTreeCommand(int command);

    void ShowCurrentLetter();
    void ReflowShownText();
    void ViewerWidthChanged();
    void ShowStatusPanel0();
    void ShowStatusPanel1();

    void SwitchToEditors();
    void ForgetArea();
};
