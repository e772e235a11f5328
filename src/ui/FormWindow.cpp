#include "ui/FormWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QMenuBar>
#include <QStatusBar>

#include "ui/Dialogs.h"
#include "ui/StatusPanels.h"
#include "ui/TFormStorage.h"

FormWindow::FormWindow(QWidget* parent) : QMainWindow(parent)
{
    RegisterForm(this);
}

FormWindow::~FormWindow()
{
    UnregisterForm(this);
}

std::vector<FormWindow*> FormWindow::AllForms()
{
    std::vector<FormWindow*> forms;
    for (ModelObserver* form : Forms())
        if (auto* window = dynamic_cast<FormWindow*>(form))
            forms.push_back(window);
    return forms;
}

void FormWindow::ShowAndSwitchTo(QWidget* window)
{
    if (!window)
        return;
    if (window->isMinimized()) {
        const auto* form = qobject_cast<const FormWindow*>(window);
        if (form ? form->RestoresMaximized() : window->isMaximized())
            window->showMaximized();
        else
            window->showNormal();
    } else {
        window->show();
    }
    window->raise();
    window->activateWindow();
}

void FormWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        ActivateForm(this);
    QMainWindow::changeEvent(event);
}

bool FormWindow::CloseAnswered()
{
    Answered = true;
    bool closed = close();
    Answered = false;
    return closed;
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    if (!Answered && !CloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    if (Storage)
        Storage->Save();
    if (FreesWhenClosed)
        FreeLater();
}

// ---------------------------------------------------------------- the scaffold

void FormWindow::MakeSpeedBar(const QString& title)
{
    SpeedBar = new TSpeedBar(QStringLiteral("SpeedBar"), this);
    SpeedBar->setWindowTitle(title);
    addToolBar(Qt::TopToolBarArea, SpeedBar);
}

void FormWindow::MakeSpeedBarPopupMenu()
{
    SpeedBarMenu = SpeedBar->CreatePopupMenu(this, [this] { SyncChecks(); });
}

QLabel* FormWindow::AddStatusPanel(const char* name, int width, int stretch)
{
    if (!StatusBar) {
        StatusBar = statusBar();
        StatusBar->setObjectName(QStringLiteral("StatusBar"));
    }
    return ::AddStatusPanel(StatusBar, name, width, stretch);
}

QMenu* FormWindow::AddViewMenu()
{
    // The bars are asked for when toggled: the menus come before the bars.
    View = ::AddViewMenu(
        menuBar(), this, [this] { return SpeedBar; }, [this] { return StatusBar; }, [this] { SyncChecks(); });
    return View.SwitchItem;
}

void FormWindow::AddOptionsMenu(UserSettings& settings)
{
    ::AddOptionsMenu(menuBar(), this, settings);
}

void FormWindow::AddWindowsMenu(QAction* first, QAction* second)
{
    ::AddWindowsMenu(menuBar(), this, first, second);
}

void FormWindow::AddHelpMenu(const char* helpSection)
{
    ::AddHelpMenu(menuBar(), this, helpSection);
}

TFormStorage& FormWindow::MakeStorage(const char* className, bool storeStatusBar)
{
    Storage = std::make_unique<TFormStorage>(this, className);
    Storage->AddBoolProperty(
        "SpeedBar.Visible", [this] { return !SpeedBar->isHidden(); }, [this](bool on) { SpeedBar->setVisible(on); });
    Storage->AddBoolProperty(
        "SpeedBar.ShowHint", [this] { return SpeedBar->ShowHints(); },
        [this](bool on) { SpeedBar->SetShowHints(on); });
    if (storeStatusBar)
        Storage->AddBoolProperty(
            "StatusBar.Visible", [this] { return !StatusBar->isHidden(); },
            [this](bool on) { StatusBar->setVisible(on); });
    Storage->AddSpeedBar(SpeedBar);
    return *Storage;
}

void FormWindow::ShowStored()
{
    Storage->Show(Qt::WindowMaximized);
    SyncChecks();
}

void FormWindow::SyncChecks()
{
    if (View.SpeedBarItem)
        View.SpeedBarItem->setChecked(!SpeedBar->isHidden());
    if (SpeedBarMenu.ShowHintItem)
        SpeedBarMenu.ShowHintItem->setChecked(SpeedBar->ShowHints());
    if (View.StatusLineItem)
        View.StatusLineItem->setChecked(!StatusBar->isHidden());
    SyncOwnChecks();
}

QMenu* FormWindow::createPopupMenu()
{
    return nullptr;
}

// ---------------------------------------------------------------- closing and freeing

FormWindow::QuestionScope::QuestionScope(FormWindow* window) : Window(window)
{
    ++Window->OpenQuestions;
}

FormWindow::QuestionScope::~QuestionScope()
{
    if (--Window->OpenQuestions == 0 && Window->FreeAfterQuestions)
        Window->deleteLater();
}

QMessageBox::StandardButton FormWindow::Ask(const std::string& text, QMessageBox::StandardButtons buttons)
{
    QuestionScope open(this);
    return AskDialog(text, QMessageBox::Question, buttons, this);
}

void FormWindow::FreeLater()
{
    if (OpenQuestions > 0)
        FreeAfterQuestions = true;
    else
        deleteLater();
}
