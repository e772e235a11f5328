#include "ui/AreasF/TAreasForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "core/Startup.h"
#include "core/StringHelpers.h"
#include "core/TosserFlag.h"
#include "core/UserSettings.h"
#include "core/Utf8Text.h"
#include "model/Session.h"
#include "settings/QtText.h"
#include "ui/AboutF/TAboutForm.h"
#include "ui/AreaWindowEntry.h"
#include "ui/Dialogs.h"
#include "ui/IPopup/TIndirectPopupMenu.h"
#include "ui/MenuItems.h"
#include "ui/QuorvelApplication.h"
#include "ui/Resources.h"
#include "ui/TSpeedBar.h"
#include "ui/UserSettingsEntry.h"

namespace {

constexpr int AreaRole = Qt::UserRole;
constexpr int ImageRole = Qt::UserRole + 1;

enum TreeImage {
    RootImage = 0,
    NotScannedImage = 1,
    ScanningImage = 2,
    NothingUnreadImage = 3,
    UnreadImage = 4,
    NotOpenedImage = 5,  // the base could not be opened: not an empty area
};

}  // namespace

TAreasForm::TAreasForm(Session& session, QWidget* parent) : FormWindow(parent), Owner(session)
{
    setObjectName(QStringLiteral("AreasForm"));
    setAttribute(Qt::WA_QuitOnClose, true);
    Beep = [] { QApplication::beep(); };

    Owner.Settings.Load(UserRegistry());

    CreateTree();
    CreateMenus();
    CreateSpeedBar();
    CreateStatusBar();

    NewMailIcon = new QSystemTrayIcon(ResourceIcon(QStringLiteral("NEWMAIL_ICON")), this);
    NewMailIcon->setObjectName(QStringLiteral("NewMailIcon"));
    connect(NewMailIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            ShowAndSwitchTo(this);
    });

    UpdateAreasStarter = new QTimer(this);
    UpdateAreasStarter->setObjectName(QStringLiteral("UpdateAreasStarter"));
    UpdateAreasStarter->setSingleShot(true);
    UpdateAreasStarter->setInterval(100);
    connect(UpdateAreasStarter, &QTimer::timeout, this, [this] { RunGuarded([this] { UpdateAreasStarterTimer(); }); });
    UpdateAreasTick = new QTimer(this);
    UpdateAreasTick->setObjectName(QStringLiteral("UpdateAreasTick"));
    UpdateAreasTick->setInterval(500);
    connect(UpdateAreasTick, &QTimer::timeout, this, [this] { RunGuarded([this] { UpdateAreasTickTimer(); }); });

    MakeStorage("TAreasForm", true);

    UpdateTitle();
    setWindowIcon(ResourceIcon(QStringLiteral("Z_AREASF_ICON")));
    StatusPanel0->clear();
    StatusPanel1->clear();
    RebuildTree();
    resize(500, 360);

    UpdateAreasStarter->start();
    UpdateAreasTick->start();
}

TAreasForm::~TAreasForm()
{
    // The areas outlive the window: none may keep a node of this tree.
    for (TArea* area : Owner.Areas.AllByTag())
        area->Node = nullptr;
}

// ---------------------------------------------------------------- building

void TAreasForm::CreateTree()
{
    TreeImages = ImageStrip(QStringLiteral("AREASF_TREEIMAGES"));
    TreeImages.push_back(style()->standardIcon(QStyle::SP_MessageBoxCritical));
    Tree = new QTreeWidget(this);
    Tree->setObjectName(QStringLiteral("Tree"));
    Tree->setHeaderHidden(true);
    Tree->setColumnCount(1);
    Tree->setRootIsDecorated(false);
    Tree->setIndentation(19);
    Tree->setExpandsOnDoubleClick(false);
    Tree->setItemsExpandable(false);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    Tree->setFont(font);
    setCentralWidget(Tree);
    connect(Tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) { TreeChange(current); });
    connect(Tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node) {
        if (AreaOf(node))
            RunGuarded([this] { EnterSelectedArea(); });
    });
    Tree->installEventFilter(this);
}

void TAreasForm::CreateMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    const auto keys = [](std::initializer_list<QKeySequence> list) { return QList<QKeySequence>(list); };

    FileItem = MakeSubmenu(bar, "FileItem", QStringLiteral("&Файл"), QStringLiteral("Команды выхода"));
    // Both Enter keys; the menu names the key "Enter", as the keyboard does.
    EnterSelectedAreaItem = MakeItem(this, "EnterSelectedAreaItem", QStringLiteral("&Открыть область"),
                                     QStringLiteral("Открыть выбранную область"),
                                     keys({QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Return)}),
                                     [this] { EnterSelectedArea(); });
    RescanItem = MakeItem(this, "RescanItem", QStringLiteral("&Пересканировать"),
                          QStringLiteral("Пересканировать все области сейчас"), keys({QKeySequence(Qt::Key_F5)}),
                          [this] { Rescan(); });
    MinimizeItem = MakeItem(this, "MinimizeItem", QStringLiteral("&Свернуть программу"),
                            QStringLiteral("Свернуть программу в значёк"), keys({QKeySequence(Qt::Key_Escape)}),
                            [this] { MinimizeAll(); });
    // Alt+X works in every window of the program, not only here.
    ExitItem = MakeItem(this, "ExitItem", QStringLiteral("&Выйти"), QStringLiteral("Выйти из программы"),
                        keys({QKeySequence(Qt::ALT | Qt::Key_X), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_X)}),
                        [this] { close(); });
    ExitItem->setShortcutContext(Qt::ApplicationShortcut);
    FileItem->addAction(EnterSelectedAreaItem);
    FileItem->addAction(RescanItem);
    FileItem->addAction(MinimizeItem);
    FileItem->addSeparator();
    FileItem->addAction(ExitItem);

    NavigationItem = MakeSubmenu(bar, "NavigationItem", QStringLiteral("&Курсор"),
                                 QStringLiteral("Команды перемещения курсора"));
    auto gotoItem = [this](const char* name, const QString& caption, const QString& hint, QKeySequence key,
                           int tag) {
        QAction* item = MakeItem(this, name, caption, hint, {key}, nullptr);
        item->setData(tag);
        connect(item, &QAction::triggered, this, [this, item] { AnyGotoClick(item); });
        return item;
    };
    // The hidden items are never shown; they are the window's own actions, so
    // that their keys stay active.
    GotoPriorWithUnreadItem = gotoItem("GotoPriorWithUnreadItem", QStringLiteral("-Предыдующая с нечитанными"),
                                       QString(), QKeySequence(Qt::CTRL | Qt::Key_Up), -1);
    GotoPriorWithUnreadItem2 =
        gotoItem("GotoPriorWithUnreadItem2", QStringLiteral("&Предыдующая с нечитанными"),
                 QStringLiteral("Перейти на предыдущую область с новыми письмами"), QKeySequence(Qt::Key_Left), -1);
    GotoNextWithUnreadItem = gotoItem("GotoNextWithUnreadItem", QStringLiteral("-Следующая с нечитанными"),
                                      QString(), QKeySequence(Qt::CTRL | Qt::Key_Down), 1);
    GotoNextWithUnreadItem2 =
        gotoItem("GotoNextWithUnreadItem2", QStringLiteral("&Следующая с нечитанными"),
                 QStringLiteral("Перейти на следущую область с новыми"), QKeySequence(Qt::Key_Right), 1);
    EnterNetmailItem = MakeItem(this, "EnterNetmailItem", QStringLiteral("Войти в &Netmail"),
                                QStringLiteral("Войти в netmail область"), keys({QKeySequence(Qt::CTRL | Qt::Key_N)}),
                                [this] { EnterNetmail(); });
    // Home and End are taken here and do nothing: the tree does not get them.
    FirstAreaItem = MakeItem(this, "FirstAreaItem", QStringLiteral("-Первая"), QString(),
                             keys({QKeySequence(Qt::Key_Home)}), nullptr);
    LastAreaItem = MakeItem(this, "LastAreaItem", QStringLiteral("-Последняя"), QString(),
                            keys({QKeySequence(Qt::Key_End)}), nullptr);
    NavigationItem->addAction(GotoPriorWithUnreadItem2);
    NavigationItem->addAction(GotoNextWithUnreadItem2);
    NavigationItem->addSeparator();
    NavigationItem->addAction(EnterNetmailItem);
    for (QAction* hidden : {GotoPriorWithUnreadItem, GotoNextWithUnreadItem, FirstAreaItem, LastAreaItem})
        addAction(hidden);

    AddViewMenu();
    AddOptionsMenu(Owner.Settings);

    SwitchToTopBrowser = MakeItem(this, "SwitchToTopBrowser", QStringLiteral("Верхняя &область"),
                                  QStringLiteral("Переключиться в самое верхнее открытое окно с областью"),
                                  keys({QKeySequence(Qt::Key_F12)}), [this] { SwitchToTopForm("TAreaForm"); });
    SwitchToTopEditor = MakeItem(this, "SwitchToTopEditor", QStringLiteral("Верний &редактор"),
                                 QStringLiteral("Переключиться в самое верхнее открытое окно с редактором"),
                                 keys({QKeySequence(Qt::Key_F11)}), [this] { SwitchToTopForm("TEditorForm"); });
    AddWindowsMenu(SwitchToTopBrowser, SwitchToTopEditor);

    AddHelpMenu("areas");

    IndirectPopupMenu = new TIndirectPopupMenu(this, NavigationItem);
    IndirectPopupMenu->setObjectName(QStringLiteral("IndirectPopupMenu"));
    IndirectPopupMenu->AttachTo(Tree);
}

void TAreasForm::CreateSpeedBar()
{
    MakeSpeedBar(QStringLiteral("Навигация"));
    SpeedBar->AddSection(QStringLiteral("Навигация"));

    auto button = [this](const char* name, const QString& caption, const QString& shortHint, const QString& longHint,
                         QStyle::StandardPixmap glyph, const QIcon& icon) {
        auto* action = new QAction(icon.isNull() ? style()->standardIcon(glyph) : icon, caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(shortHint);
        action->setStatusTip(longHint);
        SpeedBar->AddButton(action);
        return action;
    };
    PrevWithUnreadSpeedItem = button("PrevWithUnreadSpeedItem", QStringLiteral("Предыдущая с нечитанными"),
                                     QStringLiteral("Предыдущая с нечитанными"),
                                     QStringLiteral("Перейти на предыдущую область с новыми письмами"),
                                     QStyle::SP_ArrowUp, QIcon());
    NextWithUnreadSpeedItem = button("NextWithUnreadSpeedItem", QStringLiteral("Следущая с нечитанными"),
                                     QStringLiteral("Следущая с нечитанными"),
                                     QStringLiteral("Перейти на следущую область с новыми"), QStyle::SP_ArrowDown,
                                     QIcon());
    NetmailSpeedItem = button("NetmailSpeedItem", QStringLiteral("Войти в NetMail"), QStringLiteral("Войти в NetMail"),
                              QStringLiteral("Войти в netmail область"), QStyle::SP_FileIcon,
                              ResourceIcon(QStringLiteral("NEWMAIL_ICON")));
    PrevWithUnreadSpeedItem->setData(-1);
    NextWithUnreadSpeedItem->setData(1);
    for (QAction* item : {PrevWithUnreadSpeedItem, NextWithUnreadSpeedItem})
        connect(item, &QAction::triggered, this, [this, item] { AnyGotoClick(item); });
    connect(NetmailSpeedItem, &QAction::triggered, this, [this] { RunGuarded([this] { EnterNetmail(); }); });

    MakeSpeedBarPopupMenu();
}

void TAreasForm::CreateStatusBar()
{
    // Ordinary (not permanent) widgets: a message in the status bar (a hint,
    // the incremental search) covers both panels.
    StatusPanel0 = AddStatusPanel("StatusPanel0", 100);
    StatusPanel1 = AddStatusPanel("StatusPanel1", 230, 1);
}

void TAreasForm::ShowFirstTime()
{
    ShowStored();
}

void TAreasForm::SwitchToAreasWindow(Session& session)
{
    for (FormWindow* form : AllForms()) {
        if (qobject_cast<TAreasForm*>(form)) {
            ShowAndSwitchTo(form);
            return;
        }
    }
    auto* areas = new TAreasForm(session);
    areas->setAttribute(Qt::WA_DeleteOnClose, true);
    areas->ShowFirstTime();
}

// ---------------------------------------------------------------- title and counts

void TAreasForm::UpdateTitle(const std::string& text)
{
    std::string shown = text;
    if (shown.empty()) {
        if (TotalUnreadShown != 0)
            shown = IntToText(TotalUnreadShown);
        if (Owner.Tosser.Running())
            shown = "[Работает эхопроцессор]";
    }
    const std::string title =
        shown.empty() ? std::string(ProgramTitle) : Format("%s: %s", ProgramTitle, shown.c_str());
    const QString caption = ToQString(title);
    NewMailIcon->setToolTip(caption);
    NewMailIcon->setVisible(TotalUnreadShown != 0);
    setWindowTitle(caption);
    SetApplicationTitle(caption);
}

void TAreasForm::Recount()
{
    TotalUnreadShown = Owner.Areas.TotalUnread();
    UpdateTitle();
}

// ---------------------------------------------------------------- timers

bool TAreasForm::AnyAreaLoading() const
{
    for (TArea* area : Owner.Areas.AllByTag())
        if (area->Loading)
            return true;
    return false;
}

void TAreasForm::UpdateAreasStarterTimer()
{
    UpdateAreasStarter->stop();
    // An area being entered is loading, or a write waits for the tosser:
    // the first scan waits for them.
    if (AnyAreaLoading() || Owner.Tosser.Waiting()) {
        UpdateAreasStarter->start();
        return;
    }
    Owner.Areas.Scan();
}

bool TAreasForm::MayRescan() const
{
    // Not while a scan runs or an area loads: a rescan would reload the areas
    // list under the load (and could free the area being read). Nor while a
    // write waits for the tosser to finish: the reload would free its letters.
    return !Owner.Areas.Scanning && !AnyAreaLoading() && !Owner.Tosser.Waiting();
}

void TAreasForm::Rescan()
{
    // While the tosser works nothing is scanned; its end brings the scan.
    if (!MayRescan() || Owner.Tosser.Running())
        return;
    Owner.Areas.Invalidate();
    Owner.Areas.Scan();
}

void TAreasForm::UpdateAreasTickTimer()
{
    // The tosser's state is looked at again on a later tick.
    if (!MayRescan())
        return;
    // A scan that the tosser cut short is made good once the tosser is
    // gone, even when it came and went between two ticks.
    const bool changed = Owner.Tosser.StateChanged();
    if (!changed && !(ScanCutShort && !Owner.Tosser.WasRunning()))
        return;
    if (Owner.Tosser.WasRunning()) {
        UpdateTitle();
    } else {
        Rescan();
    }
}

// ---------------------------------------------------------------- model events

void TAreasForm::AreasChanged()
{
    RebuildTree();
}

void TAreasForm::ScanStarted()
{
    AreasScanned = 0;
    ScanCutShort = false;
    UpdateTitle("Начинаем сканировать...");
}

void TAreasForm::AreaScanned(TArea& area)
{
    ++AreasScanned;
    const std::ptrdiff_t position = Owner.Areas.IndexOf(&area) + 1;
    const std::size_t count = Owner.Areas.Count();
    const int percent = count == 0 ? 0 : static_cast<int>(position * 100 / static_cast<std::ptrdiff_t>(count));
    UpdateTitle(Format("%d%%", percent));
}

void TAreasForm::ScanFinished()
{
    // The scan stops before the last area only for the tosser (or when the
    // program ends).
    ScanCutShort = AreasScanned < Owner.Areas.Count() && !Owner.IsTerminating();
    Recount();
    if (TotalUnreadShown != 0 && !Owner.IsTerminating() && Beep)
        Beep();
}

void TAreasForm::LettersLoading(TArea& area)
{
    ShowCurrentStatus();
    RedrawNode(&area);
}

void TAreasForm::LettersChanged(TArea& area)
{
    LettersLoading(area);
}

void TAreasForm::CurrentAreaChanged()
{
    SelectCurrentAreaNode();
    ShowCurrentStatus();
    EndSearch();
}

void TAreasForm::AreaOpened(TArea& area)
{
    RedrawNode(&area);
}

void TAreasForm::AreaClosed(TArea& area)
{
    RedrawNode(&area);
}

void TAreasForm::AreaDestroyed(TArea& area)
{
    // The node stays until the rebuild that follows, but no longer stands
    // for the area.
    if (area.Node) {
        static_cast<QTreeWidgetItem*>(area.Node)->setData(0, AreaRole, QVariant());
        area.Node = nullptr;
    }
}

void TAreasForm::CountsChanged(TArea& area)
{
    Recount();
    RedrawNode(&area);
    ShowCurrentStatus();
}

// ---------------------------------------------------------------- the tree

TArea* TAreasForm::AreaOf(const QTreeWidgetItem* node)
{
    return node ? reinterpret_cast<TArea*>(node->data(0, AreaRole).value<quintptr>()) : nullptr;
}

int TAreasForm::ImageOf(const QTreeWidgetItem* node)
{
    return node ? node->data(0, ImageRole).toInt() : -1;
}

void TAreasForm::RebuildTree()
{
    Tree->setUpdatesEnabled(false);
    Rebuilding = true;
    for (TArea* area : Owner.Areas.AllByTag())
        area->Node = nullptr;
    Tree->clear();
    Root = new QTreeWidgetItem(Tree, QStringList(QString::fromLatin1(ProgramTitle)));
    Root->setIcon(0, TreeImages.at(RootImage));
    Root->setData(0, ImageRole, RootImage);
    for (TArea* area : Owner.Areas) {
        auto* node = new QTreeWidgetItem(Root, QStringList(ToQString(area->Tag)));
        node->setData(0, AreaRole, QVariant::fromValue(reinterpret_cast<quintptr>(area)));
        area->Node = node;
        ApplyNodeLook(node, area);
    }
    Root->setExpanded(true);
    Rebuilding = false;
    Tree->setCurrentItem(Root);
    TreeChange(Root);
    GotoWithUnread(1);
    Tree->setUpdatesEnabled(true);
    StatusPanel0->setText(ToQString(Owner.Areas.CountText()));
    ShowCurrentStatus();
}

void TAreasForm::ApplyNodeLook(QTreeWidgetItem* node, const TArea* area)
{
    int image;
    bool bold = false;
    if (area->Loaded && area->OpenFailed()) {
        image = NotOpenedImage;
    } else if (area->Loaded) {
        bold = area->UnreadCount != 0;
        image = bold ? UnreadImage : NothingUnreadImage;
    } else {
        image = area->Loading ? ScanningImage : NotScannedImage;
    }
    QFont font = Tree->font();
    font.setBold(bold);
    node->setFont(0, font);
    node->setIcon(0, TreeImages.at(static_cast<std::size_t>(image)));
    node->setData(0, ImageRole, image);
}

void TAreasForm::RedrawNode(TArea* area)
{
    if (area && area->Node)
        ApplyNodeLook(static_cast<QTreeWidgetItem*>(area->Node), area);
}

void TAreasForm::ShowCurrentStatus()
{
    StatusPanel1->setText(ToQString(TArea::StatusTextOf(Owner.Areas.Current)));
}

void TAreasForm::SelectCurrentAreaNode()
{
    TArea* current = Owner.Areas.Current;
    if (!current || !Root)
        return;
    for (int i = 0; i < Root->childCount(); ++i) {
        if (AreaOf(Root->child(i)) == current) {
            Tree->setCurrentItem(Root->child(i));
            return;
        }
    }
}

void TAreasForm::TreeChange(QTreeWidgetItem* node)
{
    if (Rebuilding)
        return;
    Owner.Areas.SetCurrent(AreaOf(node));
}

void TAreasForm::GotoWithUnread(int direction)
{
    QTreeWidgetItem* node = Tree->currentItem();
    if (!node || !Root)
        return;
    // Tree order: the root, then its children.
    auto step = [this, direction](QTreeWidgetItem* from) -> QTreeWidgetItem* {
        if (from == Root)
            return direction > 0 ? Root->child(0) : nullptr;
        int index = Root->indexOfChild(from);
        if (index < 0)
            return nullptr;
        if (direction > 0)
            return index + 1 < Root->childCount() ? Root->child(index + 1) : nullptr;
        return index == 0 ? Root : Root->child(index - 1);
    };
    for (node = step(node); node; node = step(node)) {
        TArea* area = AreaOf(node);
        if (area && area->UnreadCount != 0) {
            Tree->setCurrentItem(node);
            return;
        }
    }
}

void TAreasForm::AnyGotoClick(QAction* item)
{
    RunGuarded([this, item] { GotoWithUnread(item->data().toInt()); });
}

// ---------------------------------------------------------------- incremental search

bool TAreasForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Tree && event->type() == QEvent::KeyPress) {
        bool handled = false;
        RunGuarded([&] { handled = TreeKeyPress(static_cast<QKeyEvent*>(event)); });
        if (handled)
            return true;
    }
    return FormWindow::eventFilter(watched, event);
}

bool TAreasForm::TreeKeyPress(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_L && mods == Qt::ControlModifier) {
        ++SearchSkip;
        Search(SearchText);
        return true;
    }
    if (event->key() == Qt::Key_Backspace && (mods & ~Qt::ShiftModifier) == 0) {
        SearchSkip = 0;
        const std::size_t length = Utf8Length(SearchText);
        Search(std::string(Utf8Left(SearchText, length > 0 ? length - 1 : 0)));
        return true;
    }
    const QString typed = event->text();
    if (typed.isEmpty() || (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    for (const QChar ch : typed)
        if (!ch.isPrint())
            return false;
    SearchSkip = 0;
    Search(SearchText + Utf8Upper(FromQString(typed)));
    return true;
}

void TAreasForm::Search(const std::string& text)
{
    if (text.empty()) {
        EndSearch();
        return;
    }
    TArea* match = nullptr;
    int skip = SearchSkip;
    for (TArea* area : Owner.Areas) {
        if (Utf8ContainsNoCase(area->Tag, text) && skip-- == 0) {
            match = area;
            break;
        }
    }
    if (!match || !match->Node) {
        if (Beep)
            Beep();
        return;
    }
    SearchText = text;
    StatusBar->showMessage(ToQString(Format("Ищем: %s", text.c_str())));
    SelectingBySearch = true;
    struct Reset {
        bool& Flag;
        ~Reset() { Flag = false; }
    } reset{SelectingBySearch};
    Tree->setCurrentItem(static_cast<QTreeWidgetItem*>(match->Node));
}

void TAreasForm::EndSearch()
{
    if (SelectingBySearch)
        return;
    if (!SearchText.empty()) {
        SearchText.clear();
        StatusBar->clearMessage();
    }
}

// ---------------------------------------------------------------- entering areas

void TAreasForm::EnterSelectedArea()
{
    EndSearch();
    if (Owner.Areas.Empty() || !Owner.Areas.Current)
        return;
    EnterArea(Owner.Areas.Current);
}

void TAreasForm::EnterNetmail()
{
    for (TArea* area : Owner.Areas) {
        if (area->Tag == "NETMAIL") {
            EnterArea(area);
            return;
        }
    }
}

void TAreasForm::EnterArea(TArea* area)
{
    EndSearch();
    if (!area)
        return;
    if (FormWindow* window = FindAreaWindow(area)) {
        ShowAndSwitchTo(window);
        return;
    }
    // A second Enter while the area loads for the first: its window is
    // on the way.
    if (std::find(Entering.begin(), Entering.end(), area) != Entering.end())
        return;
    Entering.push_back(area);
    struct Entered {
        std::vector<TArea*>& Entering;
        ~Entered() { Entering.pop_back(); }
    } entered{Entering};
    BusyPointer busy(PointerShape::Hourglass);
    area->Load();
    if (const AreaWindowFactory& factory = CurrentAreaWindowFactory())
        factory(area);
    else
        Owner.Areas.SetCurrent(area);
}

// ---------------------------------------------------------------- other windows

void TAreasForm::SwitchToTopForm(const char* className)
{
    for (FormWindow* form : AllForms()) {
        if (form != this && qstrcmp(form->metaObject()->className(), className) == 0) {
            ShowAndSwitchTo(form);
            return;
        }
    }
}

bool TAreasForm::CloseQuery()
{
    for (FormWindow* form : AllForms())
        if (form != this && !form->CloseQuery())
            return false;
    return true;
}

void TAreasForm::CloseOtherForms()
{
    std::vector<QPointer<FormWindow>> others;
    for (FormWindow* form : AllForms())
        if (form != this)
            others.emplace_back(form);
    for (const QPointer<FormWindow>& form : others)
        if (form)
            form->CloseAnswered();
}

void TAreasForm::AskOthersAndCloseThem()
{
    if (CloseQuery())
        CloseOtherForms();
}

void TAreasForm::MinimizeAll()
{
    MinimizingAll = true;
    struct Reset {
        bool& Flag;
        ~Reset() { Flag = false; }
    } reset{MinimizingAll};
    AskOthersAndCloseThem();
    if (!isMinimized())
        MaximizedBeforeMinimizing = isMaximized();
    showMinimized();
    MinimizedByCommand.start();
}

bool TAreasForm::RestoresMaximized() const
{
    // The window system may forget the maximised state on the way down.
    return isMaximized() || MaximizedBeforeMinimizing;
}

bool TAreasForm::MinimizedFromTitleBar(const QWindowStateChangeEvent* change) const
{
    if (MinimizingAll || !isMinimized() || (change->oldState() & Qt::WindowMinimized))
        return false;
    // The window system reports the command's own minimising late, and from a
    // maximised window in steps (normal, then minimised): that is no second
    // request of the user's, and the others were asked already.
    constexpr int SettlingMilliseconds = 1000;
    return !(change->spontaneous() && MinimizedByCommand.isValid() &&
             !MinimizedByCommand.hasExpired(SettlingMilliseconds));
}

void TAreasForm::changeEvent(QEvent* event)
{
    FormWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        EndSearch();
    } else if (event->type() == QEvent::WindowStateChange) {
        auto* change = static_cast<QWindowStateChangeEvent*>(event);
        // Brought back by the program (the tray icon, the window commands).
        if (!isMinimized() && !change->spontaneous())
            MinimizedByCommand.invalidate();
        // Minimised from the title bar: the other windows go as with the command.
        if (MinimizedFromTitleBar(change)) {
            MaximizedBeforeMinimizing = change->oldState() & Qt::WindowMaximized;
            MinimizingAll = true;
            RunGuarded([this] { AskOthersAndCloseThem(); });
            MinimizingAll = false;
        }
    }
}

void TAreasForm::closeEvent(QCloseEvent* event)
{
    FormWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    CloseOtherForms();
    NewMailIcon->hide();
    UpdateAreasStarter->stop();
    UpdateAreasTick->stop();
    // The program ends: a scan or load still running stops at its next letter.
    Owner.SetTerminating(true);
    emit Closed();
}
