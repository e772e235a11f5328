#include "ui/AreaF/TAreaForm.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/FidoAddress.h"
#include "core/FormRegistry.h"
#include "core/ModelMessages.h"
#include "core/StringHelpers.h"
#include "core/UserSettings.h"
#include "core/Utf8Text.h"
#include "model/TAreas.h"
#include "settings/QtText.h"
#include "text/LetterDates.h"
#include "text/TFormattedStrings.h"
#include "ui/AboutF/TAboutForm.h"
#include "ui/AreaF/NavigationGlyphs.h"
#include "ui/AreaF/TLetterTreeModel.h"
#include "ui/AreaF/TLetterViewer.h"
#include "ui/AreasF/TAreasForm.h"
#include "ui/Dialogs.h"
#include "ui/EditorEntry.h"
#include "ui/IPopup/TIndirectPopupMenu.h"
#include "ui/MenuItems.h"
#include "ui/Nodelists.h"
#include "ui/QuorvelApplication.h"
#include "ui/Resources.h"
#include "ui/TFormStorage.h"
#include "ui/TSpeedBar.h"
#include "ui/UserSettingsEntry.h"

namespace {

using Keys = QList<QKeySequence>;

// The width the reflow leaves free of the viewer's.
constexpr int ViewerMargin = 19;

enum TreeCommand { ExpandOneLevel, CollapseBranch, ExpandBranch, ExpandAll, CollapseAll };

// A navigation command as the menus and the tool bar name it.
struct NavigationCommand {
    int Code;
    const char* ItemName;
    const char* SpeedName;
    const char* SpeedCaption;
    const char* Hint;
};

const NavigationCommand NavigationCommands[] = {
    {PreviousLetter, "PreviousLetterItem", "PreviousLetterSpeedItem", "Предыдущее",
     "Перейти на предыдущее письмо"},
    {NextLetter, "NextLetterItem", "NextLetterSpeedItem", "Следующее", "Перейти на следующее письмо"},
    {PreviousUnreadLetter, "PreviousUnreadLetterItem", "PreviousUnreadLetterSpeedItem", "Предыдущее непрочитанное",
     "Перейти на предыдущее непрочитанное письмо"},
    {NextUnreadLetter, "NextUnreadLetterItem", "NextUnreadLetterSpeedItem", "Следующее непрочитанное",
     "Перейти на следующее непрочитанное письмо"},
    {PreviousConversation, "PreviousConversationItem", "PreviousConversationSpeedItem", "Предыдущий разговор",
     "Перейти на предыдущий разговор"},
    {NextConversation, "NextConversationItem", "NextConversationSpeedItem", "Следующий разговор",
     "Перейти на следующий разговор"},
    {PreviousUnreadConversation, "PreviousUnreadConversationItem", "PreviousUnreadConversationSpeedItem",
     "Предыдущий разговор с непрочитанными", "Перейти на предыдущий разговор с непрочитанными письмами"},
    {NextUnreadConversation, "NextUnreadConversationItem", "NextUnreadConversationSpeedItem",
     "Следующий разговор с непрочитанными", "Перейти на следующий разговор с непрочитанными письмами"},
    {UpOneLevel, "UpOneLevelItem", "UpOneLevelSpeedItem", "На уровень вверх",
     "Перейти к письму, на которое отвечает это"},
    {DownOneLevel, "DownOneLevelItem", "DownOneLevelSpeedItem", "На уровень вниз",
     "Перейти к первому ответу на это письмо"},
    {ThisLevelUp, "ThisLevelUpItem", "ThisLevelUpSpeedItem", "На этом уровне вверх",
     "Перейти на предыдущее письмо того же уровня"},
    {ThisLevelDown, "ThisLevelDownItem", "ThisLevelDownSpeedItem", "На этом уровне вниз",
     "Перейти на следующее письмо того же уровня"},
    {GotoRoot, "GotoRootItem", "GotoRootSpeedItem", "На начало разговора", "Перейти на начало разговора"},
};

const NavigationCommand& CommandOf(int code)
{
    for (const NavigationCommand& command : NavigationCommands)
        if (command.Code == code)
            return command;
    return NavigationCommands[0];
}

QString Hint(int code)
{
    return QString::fromUtf8(CommandOf(code).Hint);
}

}  // namespace

// ---------------------------------------------------------------- opening

QWidget* TAreaForm::OpenAreaFirst(TArea* area)
{
    // Before anything of the window exists: a failure leaves no window.
    area->Open();
    return nullptr;
}

TAreaForm::TAreaForm(TArea* area) : FormWindow(OpenAreaFirst(area)), Conversation(*area), Area(area)
{
    try {
        setObjectName(QStringLiteral("AreaForm"));
        setAttribute(Qt::WA_QuitOnClose, false);
        Beep = [] { QApplication::beep(); };

        CreateTree();
        CreateLetterPanel();
        CreateMenus();
        CreateSpeedBar();
        CreateStatusBar();
        CreateStorage();
        FreedWhenClosed();

        SetCurrentTimer = new QTimer(this);
        SetCurrentTimer->setObjectName(QStringLiteral("SetCurrent"));
        SetCurrentTimer->setSingleShot(true);
        SetCurrentTimer->setInterval(300);
        connect(SetCurrentTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { SetCurrentTimerFired(); }); });
        DoFindTimer = new QTimer(this);
        DoFindTimer->setObjectName(QStringLiteral("DoFind"));
        DoFindTimer->setSingleShot(true);
        DoFindTimer->setInterval(300);
        connect(DoFindTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { DoFindTimerFired(); }); });

        setWindowIcon(ResourceIcon(QStringLiteral("Z_AREAF_ICON")));
        StatusPanel1->clear();
        DateTimeArrived->clear();  // stays empty: the bases keep no reliable arrival time
        Conversation.ChooseView();
        SyncChecks();
        UpdateCaption();
        ShowStatusPanel0();
        // Everything read in this run and nothing left unread: start afresh.
        if (Area->ReadCount != 0 && Area->UnreadCount == 0)
            Area->SetCurrent(nullptr);
        RebuildTree(false);
        if (!Area->Current)
            Navigate(NextUnreadLetter, true);

        ShowStored();
        raise();
        activateWindow();
        Tree->setFocus();
        if (RestoredActiveControl == "Viewer")
            Viewer->setFocus();
        ShowCurrentLetter();
        TreeChange(Tree->currentIndex());
    } catch (...) {
        ForgetArea();
        throw;
    }
}

TAreaForm::~TAreaForm()
{
    SetCurrentTimer->stop();
    DoFindTimer->stop();
    // The rows go before the nodes they show.
    ClearTreeItems();
    if (TArea* area = Area) {
        // From here on the window hears nothing about its area.
        Area = nullptr;
        Areas.SetCurrent(area);
        for (FormWindow* form : AllForms())
            if (auto* areas = qobject_cast<TAreasForm*>(form))
                areas->GotoWithUnread(1);
        RunGuarded([area] { area->Close(); });
    }
}

void TAreaForm::ForgetArea()
{
    // The area is going (or never became the window's): nothing of it may
    // be used from here on.
    if (SetCurrentTimer)
        SetCurrentTimer->stop();
    if (DoFindTimer)
        DoFindTimer->stop();
    if (Tree)
        ClearTreeItems();
    Conversation.ForgetArea();
    PendingLetter = nullptr;
    ShownLetter = nullptr;
    ShownTextValid = false;
    FindStart = FindNode = nullptr;
    if (Viewer)
        Viewer->SetLines({});
    if (TArea* area = Area) {
        Area = nullptr;
        try {
            area->Close();
        } catch (const ECantCloseArea&) {
            // the base object is released all the same
        }
    }
}

// ---------------------------------------------------------------- building

void TAreaForm::CreateTree()
{
    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setHandleWidth(3);
    Splitter->setChildrenCollapsible(false);
    setCentralWidget(Splitter);

    BrowsePanel = new QWidget(Splitter);
    BrowsePanel->setObjectName(QStringLiteral("BrowsePanel"));
    auto* browseLayout = new QVBoxLayout(BrowsePanel);
    browseLayout->setContentsMargins(0, 0, 0, 0);

    TreeModel = new TLetterTreeModel(Conversation, this);
    TreeModel->Images = ImageStrip(QStringLiteral("AREAF_TREEIMAGES"));
    Tree = new QTreeView(BrowsePanel);
    Tree->setObjectName(QStringLiteral("Tree"));
    Tree->setHeaderHidden(true);
    Tree->setModel(TreeModel);
    TreeModel->SetView(Tree);
    Tree->setRootIsDecorated(false);
    Tree->setIndentation(19);
    Tree->setUniformRowHeights(true);
    Tree->setExpandsOnDoubleClick(true);
    Tree->setSelectionMode(QAbstractItemView::SingleSelection);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    Tree->setFont(font);
    TreeModel->BoldFont = font;
    TreeModel->BoldFont.setBold(true);
    // The selection stays visible (in its active colour) when the tree loses the focus.
    QPalette palette = Tree->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    Tree->setPalette(palette);
    browseLayout->addWidget(Tree);
    connect(Tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { RunGuarded([this, current] { TreeChange(current); }); });
    Tree->installEventFilter(this);
}

void TAreaForm::CreateLetterPanel()
{
    LetterPanel = new QFrame(Splitter);
    LetterPanel->setObjectName(QStringLiteral("LetterPanel"));
    LetterPanel->setContentsMargins(2, 2, 2, 2);
    auto* letterLayout = new QVBoxLayout(LetterPanel);
    letterLayout->setContentsMargins(0, 0, 0, 0);
    letterLayout->setSpacing(4);

    HeaderPanel = new QFrame(LetterPanel);
    HeaderPanel->setObjectName(QStringLiteral("HeaderPanel"));
    HeaderPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // At least its classic height, higher when a larger font needs it.
    HeaderPanel->setMinimumHeight(84);
    HeaderPanel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* grid = new QGridLayout(HeaderPanel);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(0);
    grid->setColumnMinimumWidth(0, 101);
    grid->setColumnStretch(1, 1);
    const char* captions[] = {"От кого:", "Кому:", "Написано:", "Обработано:", "Заголовок:"};
    const char* names[] = {"FromLabel", "ToLabel", "DateTimeWritten", "DateTimeArrived", "SubjectLabel"};
    QLabel* values[5];
    for (int row = 0; row < 5; ++row) {
        auto* caption = new QLabel(QString::fromUtf8(captions[row]), HeaderPanel);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->setMinimumWidth(101);
        grid->addWidget(caption, row, 0);
        values[row] = new QLabel(HeaderPanel);
        values[row]->setObjectName(QString::fromLatin1(names[row]));
        // Names and subjects are shown as they are, ampersands too.
        values[row]->setTextFormat(Qt::PlainText);
        values[row]->setTextInteractionFlags(Qt::NoTextInteraction);
        grid->addWidget(values[row], row, 1);
    }
    FromLabel = values[0];
    ToLabel = values[1];
    DateTimeWritten = values[2];
    DateTimeArrived = values[3];
    SubjectLabel = values[4];
    letterLayout->addWidget(HeaderPanel);

    ScrollBox = new QScrollArea(LetterPanel);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ScrollBox->setFocusPolicy(Qt::NoFocus);
    ScrollBox->setWidgetResizable(false);
    // Always there, so that the width the text is wrapped to never flips
    // with the scroll bar.
    ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox->setBackgroundRole(QPalette::Base);
    Viewer = new TLetterViewer(ScrollBox, nullptr);
    ScrollBox->setWidget(Viewer);
    ScrollBox->verticalScrollBar()->setSingleStep(TLetterViewer::RowPitch);
    ScrollBox->viewport()->installEventFilter(this);
    letterLayout->addWidget(ScrollBox, 1);

    Splitter->addWidget(BrowsePanel);
    Splitter->addWidget(LetterPanel);
    // The tree keeps its width when the window is resized; until the user
    // moves the splitter it keeps the width wanted (the stored one, else a
    // share of the window), as the window takes its size.
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->installEventFilter(this);
    connect(Splitter, &QSplitter::splitterMoved, this, [this] { TreeWidthChosen = true; });
}

void TAreaForm::ApplyTreeWidth()
{
    const int total = Splitter->width() - Splitter->handleWidth();
    if (TreeWidthChosen || total < 2)
        return;
    // Wide enough for a typical subject and name, the letter keeping the rest.
    constexpr int TreeSharePercent = 40;
    const int tree = WantedTreeWidth > 0 ? WantedTreeWidth : total * TreeSharePercent / 100;
    const int clamped = std::clamp(tree, 1, total - 1);
    Splitter->setSizes({clamped, total - clamped});
}

void TAreaForm::CreateMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    CreateFileMenu(bar);
    CreateTreeMenu(bar);
    CreateNavigationMenu(bar);
    CreateLetterMenu(bar);
    CreateViewMenu();
    AddOptionsMenu();

    SwitchToAreasItem = MakeItem(this, "SwitchToAreasItem", QStringLiteral("&Области"),
                                 QStringLiteral("Переключиться в окно областей"), Keys{QKeySequence(Qt::Key_F12)},
                                 [this] { SwitchToAreas(); });
    SwitchToTopEditor = MakeItem(this, "SwitchToTopEditor", QStringLiteral("Верний &редактор"),
                                 QStringLiteral("Переключиться в окна редакторов этой области"),
                                 Keys{QKeySequence(Qt::Key_F11)}, [this] { SwitchToEditors(); });
    AddWindowsMenu(SwitchToAreasItem, SwitchToTopEditor);

    AddHelpMenu("area");
    CreateViewerActions();
    CreatePopupMenus();
}

void TAreaForm::CreateFileMenu(QMenuBar* bar)
{
    FileItem = MakeSubmenu(bar, "FileItem", QStringLiteral("&Файл"), QStringLiteral("Команды области"));
    SwitchFocusItem = MakeItem(this, "SwitchFocusItem", QStringLiteral("Письмо&/дерево"),
                               QStringLiteral("Переключиться между деревом писем и письмом"),
                               Keys{QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Return)},
                               [this] { SwitchFocus(); });
    CloseAreaItem = MakeItem(this, "CloseAreaItem", QStringLiteral("&Закрыть область"),
                             QStringLiteral("Закрыть окно области"), Keys{QKeySequence(Qt::Key_Escape)},
                             [this] { close(); });
    CloseAreaItem2 = MakeItem(this, "CloseAreaItem2", QStringLiteral("-Закрыть область"), QString(),
                              Keys{QKeySequence(Qt::SHIFT | Qt::Key_Escape)}, [this] { close(); });
    FileItem->addAction(SwitchFocusItem);
    FileItem->addSeparator();
    FileItem->addAction(CloseAreaItem);
    // Hidden items are the window's own actions: never shown, keys active.
    addAction(CloseAreaItem2);
}

void TAreaForm::CreateTreeMenu(QMenuBar* bar)
{
    BrowseItem = MakeSubmenu(bar, "BrowseItem", QStringLiteral("&Дерево"), QStringLiteral("Команды дерева писем"));
    auto treeItem = [this](const char* name, const char* caption, const char* hint, Keys keys, int command) {
        QAction* item = MakeItem(this, name, QString::fromUtf8(caption), QString::fromUtf8(hint), keys,
                                 [this, command] { AnyTreeCommand(command); });
        BrowseItem->addAction(item);
        return item;
    };
    ExpandOneLevelItem = treeItem("ExpandOneLevelItem", "Раскрыть на один &уровень",
                                  "Раскрыть выбранную ветвь на один уровень", {}, ExpandOneLevel);
    CollapseBranchItem = treeItem("CollapseBranchItem", "С&хлопнуть ветвь", "Свернуть выбранную ветвь",
                                  Keys{QKeySequence(Qt::Key_Minus)}, CollapseBranch);
    ExpandBranchItem =
        treeItem("ExpandBranchItem", "Раскрыть &ветвь", "Раскрыть выбранную ветвь целиком", {}, ExpandBranch);
    BrowseItem->addSeparator();
    ExpandAllItem = treeItem("ExpandAllItem", "Раскрыть в&сё", "Раскрыть все ветви", {}, ExpandAll);
    CollapseAllItem = treeItem("CollapseAllItem", "Сх&лопнуть всё", "Свернуть все ветви",
                               Keys{QKeySequence(Qt::CTRL | Qt::Key_Minus)}, CollapseAll);
}

void TAreaForm::CreateNavigationMenu(QMenuBar* bar)
{
    NavigationItem = MakeSubmenu(bar, "NavigationItem", QStringLiteral("&Курсор"),
                                 QStringLiteral("Команды перемещения курсора"));
    auto navigationItem = [this](QMenu* menu, int code, const char* name, const char* caption, Keys keys) {
        QAction* item =
            MakeItem(this, name ? name : CommandOf(code).ItemName, QString::fromUtf8(caption), Hint(code), keys,
                     [this, code] { Navigate(code, false); });
        item->setData(code);
        if (menu)
            menu->addAction(item);
        else
            addAction(item);
        NavigationItems.push_back(item);
        return item;
    };
    auto pair = [&](const char* title, const char* name, int previous, const char* previousCaption,
                    QKeySequence previousKey, int next, const char* nextCaption, QKeySequence nextKey) {
        QMenu* menu = NavigationItem->addMenu(QString::fromUtf8(title));
        menu->setObjectName(QString::fromLatin1(name));
        navigationItem(menu, previous, nullptr, previousCaption, Keys{previousKey});
        navigationItem(menu, next, nullptr, nextCaption, Keys{nextKey});
    };
    pair("&Письмо", "LetterNavigationItem", PreviousLetter, "&Предыдущее", QKeySequence(Qt::SHIFT | Qt::Key_Left),
         NextLetter, "&Следующее", QKeySequence(Qt::SHIFT | Qt::Key_Right));
    pair("&Непрочитанное письмо", "UnreadNavigationItem", PreviousUnreadLetter, "&Предыдущее",
         QKeySequence(Qt::Key_Left), NextUnreadLetter, "&Следующее", QKeySequence(Qt::Key_Right));
    navigationItem(nullptr, PreviousUnreadLetter, "PreviousUnreadLetterItem2", "-Предыдущее",
                   Keys{QKeySequence(Qt::CTRL | Qt::Key_Up)});
    navigationItem(nullptr, NextUnreadLetter, "NextUnreadLetterItem2", "-Следующее",
                   Keys{QKeySequence(Qt::CTRL | Qt::Key_Down)});
    pair("&Разговор", "ConversationNavigationItem", PreviousConversation, "&Предыдущий",
         QKeySequence(Qt::SHIFT | Qt::Key_PageUp), NextConversation, "&Следующий",
         QKeySequence(Qt::SHIFT | Qt::Key_PageDown));
    pair("Разговор &с непрочитанными письмами", "UnreadConversationNavigationItem", PreviousUnreadConversation,
         "&Предыдущий", QKeySequence(Qt::CTRL | Qt::Key_PageUp), NextUnreadConversation, "&Следующий",
         QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    pair("На &уровень", "LevelNavigationItem", UpOneLevel, "&Вверх", QKeySequence(Qt::SHIFT | Qt::Key_Backspace),
         DownOneLevel, "В&низ", QKeySequence(Qt::SHIFT | Qt::Key_Enter));
    // Both Enter keys; the menu names the key "Enter", as the keyboard does.
    NavigationItems.back()->setShortcuts(
        Keys{QKeySequence(Qt::SHIFT | Qt::Key_Enter), QKeySequence(Qt::SHIFT | Qt::Key_Return)});
    pair("На &том же уровне", "SameLevelNavigationItem", ThisLevelUp, "&Предыдущее",
         QKeySequence(Qt::SHIFT | Qt::Key_Up), ThisLevelDown, "&Следующее", QKeySequence(Qt::SHIFT | Qt::Key_Down));
    NavigationItem->addSeparator();
    navigationItem(NavigationItem, GotoRoot, nullptr, "На на&чало разговора", Keys{QKeySequence(Qt::Key_Backslash)});
}

void TAreaForm::CreateLetterMenu(QMenuBar* bar)
{
    LetterItem = MakeSubmenu(bar, "LetterItem", QStringLiteral("&Письмо"), QStringLiteral("Команды работы с письмами"));
    auto letterItem = [this](const char* name, const char* caption, const char* hint, QKeySequence key, int command) {
        QAction* item = MakeItem(this, name, QString::fromUtf8(caption), QString::fromUtf8(hint), Keys{key},
                                 [this, command] { LetterCommand(command); });
        item->setData(command);
        LetterItem->addAction(item);
        return item;
    };
    NewLetterItem = letterItem("NewLetterItem", "&Создать", "Написать новое письмо в эту область",
                               QKeySequence(Qt::Key_Insert), NewLetterMode);
    ChangeLetterItem = letterItem("ChangeLetterItem", "&Редактировать", "Изменить текущее письмо",
                                  QKeySequence(Qt::Key_F2), ChangeMode);
    ReplyItem = letterItem("ReplyItem", "&Ответить", "Ответить на текущее письмо", QKeySequence(Qt::Key_F4), ReplyMode);
    CommentItem = letterItem("CommentItem", "&Прокомментировать", "Прокомментировать текущее письмо",
                             QKeySequence(Qt::SHIFT | Qt::Key_F4), CommentMode);
    LetterItem->addSeparator();
    ReplyInOtherAreaItem = letterItem("ReplyInOtherAreaItem", "Ответить в &другой области",
                                      "Ответить на текущее письмо в другой области", QKeySequence(Qt::ALT | Qt::Key_B),
                                      4);
    CommentInOtherAreaItem = letterItem("CommentInOtherAreaItem", "Прокомментировать в дру&гой области",
                                        "Прокомментировать текущее письмо в другой области",
                                        QKeySequence(Qt::ALT | Qt::Key_N), 5);
    LetterItem->addSeparator();
    AddToAddressBookItem = MakeItem(this, "AddToAddressBookItem", QStringLiteral("Добавить в &адресную книгу"),
                                    QStringLiteral("Добавить отправителя письма в адресную книгу"), Keys{},
                                    [this] { AddSenderToAddressBook(); });
    LetterItem->addAction(AddToAddressBookItem);
    DeleteLetterItem = MakeItem(this, "DeleteLetterItem", QStringLiteral("&Удалить"),
                                QStringLiteral("Удалить текущее письмо"), Keys{QKeySequence(Qt::Key_Delete)},
                                [this] { DeleteLetter(); });
    LetterItem->addAction(DeleteLetterItem);
}

void TAreaForm::CreateViewMenu()
{
    QMenu* switchItem = AddViewMenu();
    switchItem->addSeparator();
    auto viewItem = [this, switchItem](const char* name, const char* caption, const char* hint, QKeySequence key,
                           TViewMode mode) {
        QAction* item = MakeItem(this, name, QString::fromUtf8(caption), QString::fromUtf8(hint), Keys{key},
                                 [this, mode] { SetViewMode(mode); });
        item->setCheckable(true);
        item->setData(static_cast<int>(mode));
        switchItem->addAction(item);
        return item;
    };
    UnreadsTreeItem = viewItem("UnreadsTreeItem", "Дерево &непрочитанных", "Показать разговоры с новыми письмами",
                               QKeySequence(Qt::Key_F9), TViewMode::UnreadsAndTheirParentsTree);
    SimpleTreeItem = viewItem("SimpleTreeItem", "&Дерево", "Показать все письма деревом разговоров",
                              QKeySequence(Qt::CTRL | Qt::Key_F9), TViewMode::SimpleTree);
    ListItem = viewItem("ListItem", "&Список", "Показать все письма списком", QKeySequence(Qt::ALT | Qt::Key_F9),
                        TViewMode::List);
    auto* views = new QActionGroup(this);
    for (QAction* item : {UnreadsTreeItem, SimpleTreeItem, ListItem})
        views->addAction(item);
    switchItem->addSeparator();
    KludgesItem = MakeItem(this, "KludgesItem", QStringLiteral("&Техническая информация"),
                           QStringLiteral("Показать/спрятать служебные строки письма"),
                           Keys{QKeySequence(Qt::CTRL | Qt::Key_K)}, nullptr);
    KludgesItem->setCheckable(true);
    connect(KludgesItem, &QAction::triggered, this,
            [this](bool checked) { RunGuarded([this, checked] { SetShowKludges(checked); }); });
    switchItem->addAction(KludgesItem);
}

void TAreaForm::CreateViewerActions()
{
    // The viewer's hidden menu. Its minus key comes before the tree's: the
    // viewer takes the key itself while it has the focus.
    auto viewerItem = [this](const char* name, int code, Keys keys) {
        QAction* item = MakeItem(this, name, QString::fromUtf8(CommandOf(code).SpeedCaption), Hint(code), keys,
                                 [this, code] { Navigate(code, false); });
        item->setData(code);
        item->setShortcutContext(Qt::WidgetShortcut);
        Viewer->addAction(item);
        return item;
    };
    ViewerUpOneLevelItem = viewerItem("ViewerUpOneLevelItem", UpOneLevel, Keys{QKeySequence(Qt::Key_Minus)});
    ViewerDownOneLevelItem = viewerItem("ViewerDownOneLevelItem", DownOneLevel, {});
    ViewerThisLevelUpItem = viewerItem("ViewerThisLevelUpItem", ThisLevelUp, {});
    ViewerThisLevelDownItem = viewerItem("ViewerThisLevelDownItem", ThisLevelDown, {});
    connect(Viewer, &TLetterViewer::UpOneLevelKey, ViewerUpOneLevelItem, &QAction::trigger);
}

void TAreaForm::CreatePopupMenus()
{
    BrowseIndirectPopupMenu = new TIndirectPopupMenu(this, BrowseItem);
    BrowseIndirectPopupMenu->setObjectName(QStringLiteral("BrowseIndirectPopupMenu"));
    BrowseIndirectPopupMenu->AttachTo(Tree);
    LetterIndirectPopupMenu = new TIndirectPopupMenu(this, LetterItem);
    LetterIndirectPopupMenu->setObjectName(QStringLiteral("LetterIndirectPopupMenu"));
    // Anywhere over the letter: its rows, and the scroll box around and below
    // them (whose viewport hands its context menu requests to the box).
    LetterIndirectPopupMenu->AttachTo(Viewer);
    LetterIndirectPopupMenu->AttachTo(ScrollBox);
    NavigateIndirectPopupMenu = new TIndirectPopupMenu(this, NavigationItem);
    NavigateIndirectPopupMenu->setObjectName(QStringLiteral("NavigateIndirectPopupMenu"));
    NavigateIndirectPopupMenu->AttachTo(HeaderPanel);
}

void TAreaForm::CreateSpeedBar()
{
    MakeSpeedBar(QStringLiteral("Панель инструментов"));
    SpeedBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SpeedBar->setIconSize(QSize(16, 16));

    auto button = [this](const char* name, const QString& caption, const QString& hint, const QIcon& icon) {
        auto* action = new QAction(icon, caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(caption);
        action->setStatusTip(hint);
        SpeedBar->AddButton(action);
        return action;
    };

    SpeedBar->AddSection(QStringLiteral("Навигация"));
    for (const NavigationCommand& command : NavigationCommands) {
        QAction* action = button(command.SpeedName, QString::fromUtf8(command.SpeedCaption), Hint(command.Code),
                                 NavigationGlyph(command.Code));
        const int code = command.Code;
        action->setData(code);
        connect(action, &QAction::triggered, this, [this, code] { RunGuarded([this, code] { Navigate(code, false); }); });
        NavigationSpeedItems.push_back(action);
    }

    SpeedBar->AddSection(QStringLiteral("Письмо"));
    auto letterButton = [&](const char* name, const char* caption, QAction* item, QStyle::StandardPixmap glyph) {
        QAction* action = button(name, QString::fromUtf8(caption), item->statusTip(), style()->standardIcon(glyph));
        const int command = item == DeleteLetterItem ? -1 : item->data().toInt();
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] {
            RunGuarded([this, command] { command < 0 ? DeleteLetter() : LetterCommand(command); });
        });
        return action;
    };
    NewLetterSpeedItem = letterButton("NewLetterSpeedItem", "Создать", NewLetterItem, QStyle::SP_FileIcon);
    ChangeLetterSpeedItem =
        letterButton("ChangeLetterSpeedItem", "Изменить", ChangeLetterItem, QStyle::SP_FileDialogContentsView);
    ReplySpeedItem = letterButton("ReplySpeedItem", "Ответить", ReplyItem, QStyle::SP_ArrowBack);
    CommentSpeedItem =
        letterButton("CommentSpeedItem", "Прокомментировать", CommentItem, QStyle::SP_MessageBoxInformation);
    ReplyInOtherAreaSpeedItem = letterButton("ReplyInOtherAreaSpeedItem", "Ответить в другой области",
                                             ReplyInOtherAreaItem, QStyle::SP_DirIcon);
    CommentInOtherAreaSpeedItem = letterButton("CommentInOtherAreaSpeedItem", "Прокомментировать в другой области",
                                               CommentInOtherAreaItem, QStyle::SP_DirOpenIcon);
    DeleteLetterSpeedItem = letterButton("DeleteLetterSpeedItem", "Удалить", DeleteLetterItem, QStyle::SP_TrashIcon);

    SpeedBar->AddSection(QStringLiteral("Вид"));
    auto viewButton = [&](const char* name, const char* caption, QAction* item, int image) {
        QAction* action = button(name, QString::fromUtf8(caption), item->statusTip(),
                                 TreeModel->Images.at(static_cast<std::size_t>(image)));
        action->setCheckable(true);
        const auto mode = static_cast<TViewMode>(item->data().toInt());
        connect(action, &QAction::triggered, this, [this, mode] { RunGuarded([this, mode] { SetViewMode(mode); }); });
        return action;
    };
    UnreadsTreeSpeedItem = viewButton("UnreadsTreeSpeedItem", "Дерево нечитанных", UnreadsTreeItem, 5);
    SimpleTreeSpeedItem = viewButton("SimpleTreeSpeedItem", "Дерево", SimpleTreeItem, 1);
    ListSpeedItem = viewButton("ListSpeedItem", "Список", ListItem, 3);
    auto* views = new QActionGroup(this);
    for (QAction* item : {UnreadsTreeSpeedItem, SimpleTreeSpeedItem, ListSpeedItem})
        views->addAction(item);
    KludgesSpeedItem = button("KludgesSpeedItem", QStringLiteral("Техническая информация"), KludgesItem->statusTip(),
                              style()->standardIcon(QStyle::SP_MessageBoxWarning));
    KludgesSpeedItem->setCheckable(true);
    connect(KludgesSpeedItem, &QAction::triggered, this,
            [this](bool checked) { RunGuarded([this, checked] { SetShowKludges(checked); }); });

    // Replying and commenting in another area have buttons the user can
    // show; they start hidden.
    QStringList layout = SpeedBar->Layout();
    layout.removeAll(ReplyInOtherAreaSpeedItem->objectName());
    layout.removeAll(CommentInOtherAreaSpeedItem->objectName());
    SpeedBar->SetLayout(layout);

    MakeSpeedBarPopupMenu();
}

void TAreaForm::CreateStatusBar()
{
    // Ordinary widgets: a message (a hint, the search) covers all three.
    StatusPanel0 = AddStatusPanel("StatusPanel0", 300, 1);
    StatusPanel1 = AddStatusPanel("StatusPanel1", 210);
    StatusPanel2 = AddStatusPanel("StatusPanel2", 100);
}

void TAreaForm::CreateStorage()
{
    TFormStorage& storage = MakeStorage("TAreaForm", true);
    storage.AddBoolProperty(
        "KludgesItem.Checked", [this] { return KludgesItem->isChecked(); },
        [this](bool on) {
            KludgesItem->setChecked(on);
            KludgesSpeedItem->setChecked(on);
        });
    storage.AddProperty(
        "BrowsePanel.Width", [this] { return IntToText(BrowsePanel->width()); },
        [this](const std::string& text) {
            int32_t width = 0;
            if (TryStrToInt(StripBoth(text, ' '), width) && width > 0 && width < (1 << 16)) {
                WantedTreeWidth = width;
                ApplyTreeWidth();
            }
        });
    // The control that had the focus: the tree, or the letter being read.
    storage.AddProperty(
        "ActiveControl", [this] { return std::string(focusWidget() == Viewer ? "Viewer" : "Tree"); },
        [this](const std::string& text) { RestoredActiveControl = text; });
}

void TAreaForm::SyncOwnChecks()
{
    KludgesSpeedItem->setChecked(KludgesItem->isChecked());
    const TViewMode mode = Conversation.ViewMode;
    UnreadsTreeItem->setChecked(mode == TViewMode::UnreadsAndTheirParentsTree);
    SimpleTreeItem->setChecked(mode == TViewMode::SimpleTree);
    ListItem->setChecked(mode == TViewMode::List);
    UnreadsTreeSpeedItem->setChecked(mode == TViewMode::UnreadsAndTheirParentsTree);
    SimpleTreeSpeedItem->setChecked(mode == TViewMode::SimpleTree);
    ListSpeedItem->setChecked(mode == TViewMode::List);
}

void TAreaForm::UpdateCaption()
{
    if (Area)
        setWindowTitle(ToQString(TConversationTree::CaptionOf(*Area)));
}

// ---------------------------------------------------------------- model messages

intptr_t TAreaForm::ModelMessage(unsigned msg, void* param)
{
    // A failure here must not break off the model's work that sent it.
    RunGuarded([this, msg, param] {
        if (msg == WM_AREASCHANGED) {
            UpdateCaption();
            return;
        }
        if (!Area || param != Area)
            return;
        switch (msg) {
        case WM_LETTERSLOADING:
            ShowStatusPanel0();
            break;
        case WM_LETTERSCHANGED:
            SetCurrentTimer->stop();
            ShowStatusPanel0();
            RebuildTree(true);
            SyncChecks();
            break;
        case WM_CURRENTLETTERCHANGED:
            ShowCurrentLetter();
            ShowStatusPanel1();
            break;
        case WM_AREADESTROYED:
            ForgetArea();
            CloseAnswered();
            break;
        case WM_COUNTSCHANGED:
            RepaintTree();
            ShowStatusPanel0();
            ShowStatusPanel1();
            break;
        default:
            break;
        }
    });
    return 0;
}

// ---------------------------------------------------------------- the tree

TTreeNode* TAreaForm::NodeOf(const QModelIndex& index)
{
    return TLetterTreeModel::NodeOf(index);
}

QModelIndex TAreaForm::IndexOf(const TTreeNode* node) const
{
    return TreeModel->IndexOf(node);
}

TTreeNode* TAreaForm::SelectedNode() const
{
    return NodeOf(Tree->currentIndex());
}

void TAreaForm::ClearTreeItems()
{
    TreeModel->Hide();
}

void TAreaForm::FillTreeItems()
{
    TreeModel->Show();
    // The branches the build opened (the area node).
    std::vector<TTreeNode*> pending;
    for (const auto& node : Conversation.TopLevel())
        pending.push_back(node.get());
    while (!pending.empty()) {
        TTreeNode* node = pending.back();
        pending.pop_back();
        if (node->Expanded && !node->Children.empty()) {
            Tree->setExpanded(IndexOf(node), true);
            for (const auto& child : node->Children)
                pending.push_back(child.get());
        }
    }
}

void TAreaForm::RebuildTree(bool adjustView)
{
    if (!Area)
        return;
    BusyPointer busy(PointerShape::BuildTree);
    // A search never selects a node of an earlier tree.
    DoFindTimer->stop();
    FindSelecting = false;
    EndFind();
    FindStart = FindNode = nullptr;

    Tree->setUpdatesEnabled(false);
    Rebuilding = true;
    struct Reset {
        TAreaForm* Form;
        ~Reset()
        {
            Form->Rebuilding = false;
            Form->Tree->setUpdatesEnabled(true);
        }
    } reset{this};
    ClearTreeItems();
    if (adjustView)
        Conversation.AdjustViewAndBuild();
    else
        Conversation.BuildTree();
    FillTreeItems();
    TTreeNode* selected = Conversation.Selected();
    Rebuilding = false;
    if (selected)
        SelectNode(selected);
    else
        TreeChange(QModelIndex());
}

void TAreaForm::SelectNode(TTreeNode* node)
{
    const QModelIndex index = IndexOf(node);
    if (!index.isValid())
        return;
    if (Tree->currentIndex() == index)
        TreeChange(index);
    else
        Tree->setCurrentIndex(index);
    Tree->scrollTo(index);
}

void TAreaForm::TreeChange(const QModelIndex& index)
{
    if (Rebuilding || !Area)
        return;
    TTreeNode* node = NodeOf(index);
    Conversation.Select(node);
    PendingLetter = node ? node->Letter : nullptr;
    SetCurrentTimer->start();
    if (!FindSelecting)
        EndFind();
    ShowStatusPanel1();
}

void TAreaForm::SetCurrentTimerFired()
{
    SetCurrentTimer->stop();
    if (!Area)
        return;
    Area->SetCurrent(PendingLetter);
    ShowStatusPanel1();
}

void TAreaForm::ApplyPendingLetter()
{
    if (SetCurrentTimer->isActive())
        SetCurrentTimerFired();
}

void TAreaForm::RepaintTree()
{
    Tree->viewport()->update();
}

void TAreaForm::AnyTreeCommand(int command)
{
    const QModelIndex index = Tree->currentIndex();
    TTreeNode* node = NodeOf(index);
    if (!node || !Area)
        return;
    switch (command) {
    case ExpandOneLevel:
        Tree->expand(index);
        break;
    case CollapseBranch: {
        // The branch first: then the rows below it are out of sight, and
        // closing them costs nothing.
        std::vector<const TTreeNode*> pending{node};
        while (!pending.empty()) {
            const TTreeNode* next = pending.back();
            pending.pop_back();
            const QModelIndex at = IndexOf(next);
            if (Tree->isExpanded(at))
                Tree->collapse(at);
            for (const auto& child : next->Children)
                if (!child->Children.empty())
                    pending.push_back(child.get());
        }
        break;
    }
    case ExpandBranch:
        Tree->expandRecursively(Tree->currentIndex());
        break;
    case ExpandAll:
    case CollapseAll: {
        if (!node->Letter) {
            Navigate(NextLetter, true);
            ApplyPendingLetter();
        }
        {
            BusyPointer hourglass(PointerShape::Hourglass);
            if (command == ExpandAll)
                Tree->expandAll();
            else
                Tree->collapseAll();
        }
        if (Area->Current && Area->Current->Node)
            SelectNode(Area->Current->Node);
        break;
    }
    default:
        break;
    }
}

// ---------------------------------------------------------------- navigation

void TAreaForm::Navigate(int command, bool silent)
{
    if (!Area)
        return;
    Conversation.Select(SelectedNode());
    // The user is reading the current letter when the viewer has the focus:
    // moving on marks it read. A letter that has vanished from the base
    // cannot be marked, and must not keep the user from moving on.
    TLetter* current = Area->Current;
    const bool reading = focusWidget() == Viewer && current && (!current->Unread || current->StillValid());
    const TNavigateResult result = Conversation.Navigate(command, reading);
    if (result.MarkedRead)
        RepaintTree();
    switch (result.Outcome) {
    case TNavigateResult::AtEnd:
        if (!silent && LeaveArea(true))
            close();
        break;
    case TNavigateResult::Moved:
        SelectNode(result.Target);
        // The answers to a new letter come into sight.
        if (result.SubtreeExpanded)
            Tree->expandRecursively(Tree->currentIndex());
        break;
    case TNavigateResult::Unchanged:
        break;
    }
}

void TAreaForm::SwitchFocus()
{
    if (!Area)
        return;
    if (focusWidget() != Tree) {
        Tree->setFocus();
        return;
    }
    ApplyPendingLetter();
    TTreeNode* selected = SelectedNode();
    if (!Area->Current && selected)
        Navigate(selected->HasUnreadBelow() ? NextUnreadLetter : DownOneLevel, true);
    Viewer->setFocus();
}

bool TAreaForm::LeaveArea(bool ask)
{
    if (LeaveConfirmed)
        return true;
    if (!Area)
        return true;
    const std::string caption = TConversationTree::CaptionOf(*Area);
    bool leave = true;
    if (Area->UnreadCount > 0) {
        const auto answer = Ask(
            Format("Выходим из области %s.\rПометить оставшиеся непрочитанные письма, как прочитанные?",
                   caption.c_str()),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (!Area)
            return true;  // the area went while the question was open
        if (answer == QMessageBox::Yes) {
            BusyPointer hourglass(PointerShape::Hourglass);
            Area->MarkAllRead();
        } else if (answer != QMessageBox::No) {
            leave = false;
        }
    } else if (ask) {
        const auto answer =
            Ask(Format("Выходим из области %s?", caption.c_str()), QMessageBox::Ok | QMessageBox::Cancel);
        leave = answer == QMessageBox::Ok || !Area;
    }
    LeaveConfirmed = leave;
    return leave;
}

bool TAreaForm::CloseQuery()
{
    if (!Area)
        return true;
    bool allowed = false;
    RunGuarded([this, &allowed] {
        // The area's editors first, in the order of the window list; the
        // first that refuses keeps the window open.
        if (QueryForms(WM_QUERYCLOSEAREA, Area))
            return;
        allowed = LeaveArea(false);
    });
    return allowed;
}

void TAreaForm::closeEvent(QCloseEvent* event)
{
    FormWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    SetCurrentTimer->stop();
    DoFindTimer->stop();
}

// ---------------------------------------------------------------- letter commands

void TAreaForm::LetterCommand(int command)
{
    if (!Area)
        return;
    ApplyPendingLetter();
    if (command != NewLetterMode) {
        // Changing and answering need the letter in the base.
        TLetter* letter = Area->Current;
        if (!letter || !letter->StillValid())
            return;
        letter->MarkRead(true);
        if (letter->Node)
            letter->Node->Bold = letter->WasUnread();
        RepaintTree();
    }
    if (command <= CommentMode)
        OpenEditor(Area, command);
}

void TAreaForm::DeleteLetter()
{
    if (!Area)
        return;
    ApplyPendingLetter();
    TLetter* letter = Area->Current;
    if (!letter || !letter->StillValid())
        return;
    // Letters may be reloaded while the question is open: afterwards the
    // current letter must still be the one the user was asked about.
    const int32_t key = letter->Key;
    const Num number = letter->Number;
    if (Ask("Удалить письмо?", QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes || !Area)
        return;
    letter = Area->Current;
    if (!letter || letter->Key != key || letter->Number != number)
        return;
    // The letter it answers becomes current; none for a thread root (its
    // parent is a subject node) and in the list.
    TLetter* next = letter->Node && letter->Node->Parent ? letter->Node->Parent->Letter : nullptr;
    // From the base first: when the base refuses, the letter stays in the
    // window as it was.
    letter->DeleteFromBase();
    if (PendingLetter == letter)
        PendingLetter = nullptr;
    if (ShownLetter == letter)
        ShownLetter = nullptr;
    Area->RemoveLetter(letter, next);
    delete letter;
}

// ---------------------------------------------------------------- views

void TAreaForm::SetViewMode(TViewMode mode)
{
    if (Area && mode != Conversation.ViewMode) {
        Conversation.ViewMode = mode;
        RebuildTree(false);
        ShowStatusPanel1();
    }
    SyncChecks();
}

void TAreaForm::SetShowKludges(bool show)
{
    KludgesItem->setChecked(show);
    KludgesSpeedItem->setChecked(show);
    ShowCurrentLetter();
}

// ---------------------------------------------------------------- the letter

void TAreaForm::ShowCurrentLetter()
{
    ShownTextValid = false;
    ShownLetter = nullptr;
    TLetter* letter = Area ? Area->Current : nullptr;
    if (!letter) {
        for (QLabel* label : {SubjectLabel, FromLabel, ToLabel, DateTimeWritten})
            label->clear();
        Viewer->SetLines({});
        ShowStatusPanel1();
        return;
    }
    BusyPointer busy(PointerShape::BuildLetterText);
    DateTimeWritten->setText(ToQString(LetterDateTime(letter->Date)));
    TFormattedStrings text;
    // The header as the letter's text names its character set (the list
    // may have read it by the rule for letters that name none).
    TLetterText read{{}, Charset::None, letter->From, letter->To, letter->Subject};
    const bool inBase = letter->StillValid();
    if (inBase)
        read = letter->ReadLetter();
    else
        read.Lines.push_back(Format("[письмо #%u отсутствует в базе]", letter->Number));
    text.Lines = std::move(read.Lines);
    SubjectLabel->setText(ToQString(read.Subject));
    std::size_t bytes = 0;  // characters, as the letter's size was always shown
    for (const std::string& line : text.Lines)
        bytes += Utf8Length(line) + 2;
    StatusPanel2->setText(ToQString(Format("%zu байт", bytes)));
    ShownText = text.Lines;
    ShownLetter = letter;
    ShownTextValid = true;

    // The base stands on the letter: the addresses come from its header
    // where the text names none.
    text.ReFormat(KludgesItem->isChecked(), 0, Viewer->width() - ViewerMargin, &Viewer->TextCanvas(),
                  inBase ? Area->Base.get() : nullptr, MainAddress);
    // The sender's node as the nodelist names it, where it knows the address.
    FromLabel->setText(ToQString(Format("%s  %s", read.From.c_str(),
                                       inBase ? AddressWithStation(text.FromAddr).c_str() : "")));
    ShownFrom = read.From;
    ShownFromAddress = inBase ? text.FromAddr : FidoAddress{};
    ToLabel->setText(ToQString(Format("%s  %s", read.To.c_str(), "")));
    Viewer->SetLines(std::move(text.Lines));
    ShowStatusPanel1();
}

void TAreaForm::AddSenderToAddressBook()
{
    if (!ShownLetter || ShownFromAddress.IsZero())
        return;
    AddressBook& book = ProgramAddressBook();
    book.Remember(ShownFrom, ShownFromAddress, "");
    if (std::string error = book.Save(); !error.empty())
        ShowError("Адресная книга не записана: " + error, this);
    else
        StatusBar->showMessage(ToQString(ShownFrom + " (" + AddressToText(ShownFromAddress) + ") — в адресной книге"),
                               3000);
}

void TAreaForm::ReflowShownText()
{
    // Only the width changed: the same text, wrapped anew; the header stays.
    TFormattedStrings text;
    text.Lines = ShownText;
    text.ReFormat(KludgesItem->isChecked(), 0, Viewer->width() - ViewerMargin, &Viewer->TextCanvas(), nullptr,
                  MainAddress);
    Viewer->SetLines(std::move(text.Lines));
}

void TAreaForm::ViewerWidthChanged()
{
    const int width = ScrollBox->viewport()->width();
    if (Viewer->width() == width)
        return;
    Viewer->resize(width, Viewer->height());
    if (!Area)
        return;
    if (ShownTextValid && ShownLetter == Area->Current)
        ReflowShownText();
    else
        ShowCurrentLetter();
}

// ---------------------------------------------------------------- status bar

void TAreaForm::ShowStatusPanel0()
{
    StatusPanel0->setText(Area ? ToQString(Area->StatusText()) : QString());
}

void TAreaForm::ShowStatusPanel1()
{
    TTreeNode* selected = SelectedNode();
    if (!selected) {
        StatusPanel1->clear();
        return;
    }
    // The letters of the selected conversation (the whole tree on the area
    // node): left unread, read in this run, in all.
    int remaining = 0, read = 0, total = 0;
    std::vector<const TTreeNode*> pending{TConversationTree::ConversationOf(selected)};
    while (!pending.empty()) {
        const TTreeNode* node = pending.back();
        pending.pop_back();
        if (TLetter* letter = node->Letter) {
            ++total;
            if (letter->Unread)
                ++remaining;
            if (letter->ReadNow)
                ++read;
        }
        for (const auto& child : node->Children)
            pending.push_back(child.get());
    }
    StatusPanel1->setText(
        ToQString(Format("%d осталось, %d прочитал, %d всего", remaining, read, total)));
}

// ---------------------------------------------------------------- search by typing

bool TAreaForm::TreeKeyPress(QKeyEvent* event)
{
    if (!SelectedNode())
        return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool again = event->key() == Qt::Key_L && mods == Qt::ControlModifier;
    const bool backspace = event->key() == Qt::Key_Backspace && mods == Qt::NoModifier;
    QString typed;
    if (!again && !backspace) {
        if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        typed = event->text().toUpper();
        if (typed.size() != 1)
            return false;
        const char16_t ch = typed.at(0).unicode();
        // Digits, Latin capitals and the Cyrillic capitals А..Я (Ё is not among them).
        const bool takes = (ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'Z') || (ch >= 0x0410 && ch <= 0x042F);
        if (!takes)
            return false;
    }
    if (!FindMode) {
        FindIndex = 0;
        FindStart = SelectedNode();
    }
    if (again) {
        const int before = FindIndex;
        if (FindMode)
            ++FindIndex;
        // No further match: nothing changes.
        if (!Find(FindText))
            FindIndex = before;
        return true;
    }
    if (!FindMode)
        FindText.clear();
    QString text = FindText;
    if (backspace)
        text.chop(1);
    else
        text += typed;
    Find(text);
    return true;
}

bool TAreaForm::Find(const QString& text)
{
    BusyPointer hourglass(PointerShape::Hourglass);
    const QString wanted = text.toUpper();
    int skip = FindIndex;
    TTreeNode* match = nullptr;
    for (TTreeNode* node = FindStart; node; node = Conversation.NextInTreeOrder(node)) {
        bool hit = wanted.isEmpty();
        if (!hit && node->Letter)
            hit = ToQString(node->Letter->Subject).toUpper().contains(wanted) ||
                  ToQString(node->Letter->From).toUpper().contains(wanted);
        if (hit && skip-- == 0) {
            match = node;
            break;
        }
    }
    if (!match) {
        if (Beep)
            Beep();
        return false;
    }
    FindText = text;
    FindNode = match;
    DoFindTimer->start();
    FindMode = true;
    StatusBar->showMessage(ToQString(Format("Ищем: %s", FromQString(text).c_str())));
    return true;
}

void TAreaForm::DoFindTimerFired()
{
    DoFindTimer->stop();
    if (!FindNode)
        return;
    FindSelecting = true;
    struct Reset {
        bool& Flag;
        ~Reset() { Flag = false; }
    } reset{FindSelecting};
    SelectNode(FindNode);
}

void TAreaForm::EndFind()
{
    if (FindSelecting)
        return;
    // A match still waiting would take the selection back.
    DoFindTimer->stop();
    if (FindMode) {
        FindMode = false;
        StatusBar->clearMessage();
    }
}

// ---------------------------------------------------------------- events

bool TAreaForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Tree && event->type() == QEvent::KeyPress) {
        bool handled = false;
        RunGuarded([&] { handled = TreeKeyPress(static_cast<QKeyEvent*>(event)); });
        if (handled)
            return true;
    } else if (event->type() == QEvent::Resize && ScrollBox && watched == ScrollBox->viewport()) {
        RunGuarded([this] { ViewerWidthChanged(); });
    } else if (event->type() == QEvent::Resize && watched == Splitter) {
        ApplyTreeWidth();
    }
    return FormWindow::eventFilter(watched, event);
}

void TAreaForm::changeEvent(QEvent* event)
{
    FormWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        EndFind();
}

// ---------------------------------------------------------------- other windows

void TAreaForm::SwitchToAreas()
{
    TAreasForm::SwitchToAreasWindow();
}

void TAreaForm::SwitchToEditors()
{
    // From the bottom up, so that the topmost editor ends in front.
    const std::vector<FormWindow*> forms = AllForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it)
        if (Area && (*it)->EditedArea() == Area)
            ShowAndSwitchTo(*it);
}
