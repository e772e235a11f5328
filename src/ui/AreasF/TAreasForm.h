// The main window: every area in a tree with its unread state, the scans on
// two timers, the tosser state and the unread total in the title and on the
// tray icon; areas are entered from here, and closing it ends the program.
//
// Its widgets, menu commands and search state are its own: the user (and a
// test) reaches them through its keys and commands, by the object names the
// menus and the settings know them by. What other code may call is below:
// showing it at start-up, bringing it forward, the walk to an area with
// unread letters (an area window leaving its area), entering an area, what
// a tree node stands for and shows, the beep, and the Closed signal.
#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

#include "ui/FormWindow.h"

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QWindowStateChangeEvent;
class Session;
class TArea;
class TIndirectPopupMenu;

class TAreasForm : public FormWindow {
    Q_OBJECT
public:
    // The main window of the session: its areas, its settings.
    explicit TAreasForm(Session& session, QWidget* parent = nullptr);
    ~TAreasForm() override;

    // The model's events: the tree, its nodes, the title and the status bar.
    void AreasChanged() override;
    void ScanStarted() override;
    void AreaScanned(TArea& area) override;
    void ScanFinished() override;
    void LettersLoading(TArea& area) override;
    void LettersChanged(TArea& area) override;
    void CurrentAreaChanged() override;
    void AreaOpened(TArea& area) override;
    void AreaClosed(TArea& area) override;
    void AreaDestroyed(TArea& area) override;
    void CountsChanged(TArea& area) override;
    // The main window may close when every other window may.
    bool CloseQuery() override;
    bool RestoresMaximized() const override;

    // Shows the window the first time: its stored placement, else maximised.
    void ShowFirstTime();
    // Brings the areas window to the front, making one when there is none.
    static void SwitchToAreasWindow(Session& session);
    // Selects the next (direction > 0) or previous area with unread letters.
    void GotoWithUnread(int direction);
    // Opens the area's window (or switches to it when it is open).
    void EnterArea(TArea* area);

    // The area a tree node stands for (nullptr for the root).
    static TArea* AreaOf(const QTreeWidgetItem* node);
    // Tree image index of a node (0 root, 1 not scanned, 2 being scanned,
    // 3 nothing unread, 4 unread letters, 5 the base could not be opened).
    static int ImageOf(const QTreeWidgetItem* node);

    // The default system beep; replaceable (tests count the beeps).
    std::function<void()> Beep;

signals:
    // The main window has closed: the program ends (its session is terminating).
    void Closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Session& Owner;
    int32_t TotalUnreadShown = 0;  // the total the title and the tray icon show
    std::string SearchText;        // empty = no search
    int SearchSkip = 0;
    bool SelectingBySearch = false;

    // Components, named as the menus and the settings know them.
    QTreeWidget* Tree;
    QLabel* StatusPanel0;
    QLabel* StatusPanel1;
    QSystemTrayIcon* NewMailIcon;
    QTimer* UpdateAreasStarter;
    QTimer* UpdateAreasTick;
    TIndirectPopupMenu* IndirectPopupMenu;

    QMenu* FileItem;
    QAction* EnterSelectedAreaItem;
    QAction* RescanItem;
    QAction* MinimizeItem;
    QAction* ExitItem;
    QMenu* NavigationItem;
    QAction* GotoPriorWithUnreadItem;
    QAction* GotoPriorWithUnreadItem2;
    QAction* GotoNextWithUnreadItem;
    QAction* GotoNextWithUnreadItem2;
    QAction* EnterNetmailItem;
    QAction* FirstAreaItem;
    QAction* LastAreaItem;
    QAction* SwitchToTopBrowser;
    QAction* SwitchToTopEditor;

    QAction* PrevWithUnreadSpeedItem;
    QAction* NextWithUnreadSpeedItem;
    QAction* NetmailSpeedItem;

    QTreeWidgetItem* Root = nullptr;
    std::vector<QIcon> TreeImages;  // root, not scanned, being scanned, nothing unread, unread, not opened
    bool Rebuilding = false;
    bool MinimizingAll = false;
    QElapsedTimer MinimizedByCommand;  // since the command minimised the window
    bool MaximizedBeforeMinimizing = false;
    std::size_t AreasScanned = 0;  // areas the running or last scan went through
    bool ScanCutShort = false;     // the last scan stopped before its last area
    std::vector<TArea*> Entering;  // areas whose window is being made (their letters load)

    void CreateMenus();
    void CreateSpeedBar();
    void CreateStatusBar();
    void CreateTree();

    // The title "Quorvel" or "Quorvel: <text>"; with no text, the
    // unread total or, while the tosser works, the echo processor's notice.
    // The tray icon shows while letters are unread, with the title as its hint.
    void UpdateTitle(const std::string& text = std::string());
    void Recount();
    void RebuildTree();
    void ApplyNodeLook(QTreeWidgetItem* node, const TArea* area);
    void RedrawNode(TArea* area);
    void ShowCurrentStatus();
    void SelectCurrentAreaNode();
    void TreeChange(QTreeWidgetItem* node);
    void AnyGotoClick(QAction* item);

    // Scans every area now, as when the tosser finishes; nothing while the
    // tosser works, a scan runs or an area loads.
    void Rescan();
    void UpdateAreasStarterTimer();
    void UpdateAreasTickTimer();
    bool AnyAreaLoading() const;
    bool MayRescan() const;

    // Incremental search over the tags; the empty text ends it.
    bool TreeKeyPress(QKeyEvent* event);
    void Search(const std::string& text);
    void EndSearch();

    void EnterSelectedArea();
    void EnterNetmail();

    void SwitchToTopForm(const char* className);
    void CloseOtherForms();
    void AskOthersAndCloseThem();
    // Closes every other window if they all agree, and minimises this one.
    void MinimizeAll();
    bool MinimizedFromTitleBar(const QWindowStateChangeEvent* change) const;
};
