// What the program's three kinds of windows (areas, area, editor) share: they
// are top-level main windows that observe the model's events, and the one
// most recently activated stands first in the application's form order (the
// window list and "topmost window" commands go by that order).
//
// The scaffold they have alike is built here, through protected operations
// the window calls from its constructor: the tool bar with its popup menu,
// the status bar and its panels, the View, Options and Help menus, the
// stored placement (written when the window closes), and the menus' check
// marks for the two bars and the hints. A window with check marks of its own
// keeps them in SyncOwnChecks. A window freed when it closes is freed only
// after its own questions are closed (Ask, or any other box opened under a
// QuestionScope).
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <memory>
#include <string>

#include "model/ModelEvents.h"
#include "ui/MenuItems.h"
#include "ui/TSpeedBar.h"

class QLabel;
class QStatusBar;
class TArea;
struct UserSettings;
class TFormStorage;

class FormWindow : public QMainWindow, public ModelObserver {
    Q_OBJECT
public:
    explicit FormWindow(QWidget* parent = nullptr);
    ~FormWindow() override;

    // Whether the window may close now (an editor with an unsaved letter asks
    // the user). Every close runs it, unless the question was already asked.
    virtual bool CloseQuery() { return true; }
    // Closes the window whose CloseQuery has just allowed it, without asking
    // again. Returns whether it closed.
    bool CloseAnswered();
    // The area whose letters this window browses (area windows), or nullptr.
    virtual TArea* BrowsedArea() const { return nullptr; }
    // The area whose letter this window edits (editor windows), or nullptr.
    virtual TArea* EditedArea() const { return nullptr; }

    // The open program windows in application order (most recently active first).
    static std::vector<FormWindow*> AllForms();
    // Shows a window (restoring it when minimised, maximised when it was) and
    // switches to it.
    static void ShowAndSwitchTo(QWidget* window);
    // Whether the window, once minimised, comes back maximised.
    virtual bool RestoresMaximized() const { return isMaximized(); }

protected:
    // Components, named as the menus and the settings know them; made by
    // MakeSpeedBar and the first AddStatusPanel.
    TSpeedBar* SpeedBar = nullptr;
    QStatusBar* StatusBar = nullptr;

    // The tool bar ("SpeedBar") at the top; the window adds its buttons.
    void MakeSpeedBar(const QString& title);
    // The tool bar's popup menu; made once its buttons are in.
    void MakeSpeedBarPopupMenu();
    // A panel of the status bar ("StatusBar"), made with the first panel.
    QLabel* AddStatusPanel(const char* name, int width, int stretch = 0);

    // The submenus every main window carries (see MenuItems.h); the View
    // menu is returned for the window's own items.
    QMenu* AddViewMenu();
    void AddOptionsMenu(UserSettings& settings);
    // "&Окна" with the window's own two switch commands first.
    void AddWindowsMenu(QAction* first, QAction* second);
    void AddHelpMenu(const char* helpSection);

    // The stored placement under the window's class name, with the tool
    // bar's visibility, hints and layout and, with storeStatusBar, the
    // status bar's visibility; the window adds its own properties to it.
    TFormStorage& MakeStorage(const char* className, bool storeStatusBar);
    // Shows the window the first time, as stored (else maximised).
    void ShowStored();

    // Brings the menus' check marks into line with the bars.
    void SyncChecks();
    virtual void SyncOwnChecks() {}

    // A question or message of the window's own is open while it lives.
    class QuestionScope {
    public:
        explicit QuestionScope(FormWindow* window);
        ~QuestionScope();
        QuestionScope(const QuestionScope&) = delete;
        QuestionScope& operator=(const QuestionScope&) = delete;

    private:
        FormWindow* Window;
    };
    // A question over this window, inside a QuestionScope.
    QMessageBox::StandardButton Ask(const std::string& text, QMessageBox::StandardButtons buttons);
    // The window is freed when it closes: from the event loop its own work
    // returns to, never from inside one of its questions (what it is about
    // may go while one is open); with one open, once the last is closed.
    void FreedWhenClosed() { FreesWhenClosed = true; }

    void changeEvent(QEvent* event) override;
    // Accepts when CloseQuery allows (or the question was answered); then
    // stores the placement and, when FreedWhenClosed, frees the window.
    void closeEvent(QCloseEvent* event) override;
    // The tool bar has its own popup menu; the menu bar has none.
    QMenu* createPopupMenu() override;

private:
    bool Answered = false;
    int OpenQuestions = 0;
    bool FreeAfterQuestions = false;
    bool FreesWhenClosed = false;
    std::unique_ptr<TFormStorage> Storage;
    ViewMenu View{};
    TSpeedBar::PopupMenu SpeedBarMenu{};

    void FreeLater();
};
