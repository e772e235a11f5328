// The area window's commands: one table for its menus, the popup menus that
// show them and the tool bar, and what the commands do.
#include <QAction>
#include <QMenuBar>
#include <QScrollArea>
#include <QStyle>
#include <QTreeView>

#include "model/ModelEvents.h"
#include "core/StringHelpers.h"
#include "model/Session.h"
#include "ui/AreaF/NavigationGlyphs.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/AreaF/TLetterTreeModel.h"
#include "ui/AreaF/TLetterViewer.h"
#include "ui/AreasF/TAreasForm.h"
#include "ui/EditorEntry.h"
#include "ui/IPopup/TIndirectPopupMenu.h"
#include "ui/QuorvelApplication.h"
#include "ui/Resources.h"
#include "ui/TSpeedBar.h"

namespace {

using Keys = QList<QKeySequence>;

enum TreeCommand { ExpandOneLevel, CollapseBranch, ExpandBranch, ExpandAll, CollapseAll };

// A navigation command: its item in a submenu of "&Курсор" and its button.
struct Move {
    int Code;
    const char* Name;
    const char* Menu;
    const char* Caption;
    Keys Shortcuts;
    const char* Button;
    const char* ButtonCaption;
    const char* Hint;
};

// clang-format off
const Move Moves[] = {
    {PreviousLetter, "PreviousLetterItem", "LetterNavigationItem", "&Предыдущее", {Qt::SHIFT | Qt::Key_Left},
     "PreviousLetterSpeedItem", "Предыдущее", "Перейти на предыдущее письмо"},
    {NextLetter, "NextLetterItem", "LetterNavigationItem", "&Следующее", {Qt::SHIFT | Qt::Key_Right},
     "NextLetterSpeedItem", "Следующее", "Перейти на следующее письмо"},
    {PreviousUnreadLetter, "PreviousUnreadLetterItem", "UnreadNavigationItem", "&Предыдущее",
     {Qt::Key_Left, Qt::CTRL | Qt::Key_Up}, "PreviousUnreadLetterSpeedItem", "Предыдущее непрочитанное",
     "Перейти на предыдущее непрочитанное письмо"},
    {NextUnreadLetter, "NextUnreadLetterItem", "UnreadNavigationItem", "&Следующее",
     {Qt::Key_Right, Qt::CTRL | Qt::Key_Down}, "NextUnreadLetterSpeedItem", "Следующее непрочитанное",
     "Перейти на следующее непрочитанное письмо"},
    {PreviousConversation, "PreviousConversationItem", "ConversationNavigationItem", "&Предыдущий",
     {Qt::SHIFT | Qt::Key_PageUp}, "PreviousConversationSpeedItem", "Предыдущий разговор",
     "Перейти на предыдущий разговор"},
    {NextConversation, "NextConversationItem", "ConversationNavigationItem", "&Следующий",
     {Qt::SHIFT | Qt::Key_PageDown}, "NextConversationSpeedItem", "Следующий разговор",
     "Перейти на следующий разговор"},
    {PreviousUnreadConversation, "PreviousUnreadConversationItem", "UnreadConversationNavigationItem",
     "&Предыдущий", {Qt::CTRL | Qt::Key_PageUp}, "PreviousUnreadConversationSpeedItem",
     "Предыдущий разговор с непрочитанными", "Перейти на предыдущий разговор с непрочитанными письмами"},
    {NextUnreadConversation, "NextUnreadConversationItem", "UnreadConversationNavigationItem", "&Следующий",
     {Qt::CTRL | Qt::Key_PageDown}, "NextUnreadConversationSpeedItem", "Следующий разговор с непрочитанными",
     "Перейти на следующий разговор с непрочитанными письмами"},
    {UpOneLevel, "UpOneLevelItem", "LevelNavigationItem", "&Вверх", {Qt::SHIFT | Qt::Key_Backspace},
     "UpOneLevelSpeedItem", "На уровень вверх", "Перейти к письму, на которое отвечает это"},
    // Both Enter keys; the menu names the key "Enter", as the keyboard does.
    {DownOneLevel, "DownOneLevelItem", "LevelNavigationItem", "В&низ",
     {Qt::SHIFT | Qt::Key_Enter, Qt::SHIFT | Qt::Key_Return}, "DownOneLevelSpeedItem", "На уровень вниз",
     "Перейти к первому ответу на это письмо"},
    {ThisLevelUp, "ThisLevelUpItem", "SameLevelNavigationItem", "&Предыдущее", {Qt::SHIFT | Qt::Key_Up},
     "ThisLevelUpSpeedItem", "На этом уровне вверх", "Перейти на предыдущее письмо того же уровня"},
    {ThisLevelDown, "ThisLevelDownItem", "SameLevelNavigationItem", "&Следующее", {Qt::SHIFT | Qt::Key_Down},
     "ThisLevelDownSpeedItem", "На этом уровне вниз", "Перейти на следующее письмо того же уровня"},
    {GotoRoot, "GotoRootItem", "NavigationItem", "На на&чало разговора", {Qt::Key_Backslash}, "GotoRootSpeedItem",
     "На начало разговора", "Перейти на начало разговора"},
};
// clang-format on

// A submenu of the table (object name, caption, hint; in menu, or on the bar).
CommandEntry Submenu(const char* name, const char* caption, const char* hint, const char* menu = nullptr)
{
    return {.Name = name,
            .Caption = QString::fromUtf8(caption),
            .Hint = QString::fromUtf8(hint),
            .Menu = menu,
            .Submenu = true};
}

// A command of the table, named, captioned and hinted as the menus show it.
CommandEntry Item(const char* name, const char* caption, const char* hint, Keys keys, std::function<void()> run,
                  const char* menu)
{
    return {.Name = name,
            .Caption = QString::fromUtf8(caption),
            .Hint = QString::fromUtf8(hint),
            .Keys = std::move(keys),
            .Run = std::move(run),
            .Menu = menu};
}

CommandButton Button(const char* name, const char* caption, QIcon icon, const char* section)
{
    return {.Name = name,
            .Caption = QString::fromUtf8(caption),
            .Icon = std::move(icon),
            .Section = QString::fromUtf8(section)};
}

}  // namespace

// ---------------------------------------------------------------- the table

std::vector<CommandEntry> TAreaForm::FileCommands()
{
    std::vector<CommandEntry> file{
        Submenu("FileItem", "&Файл", "Команды области"),
        Item(
            "SwitchFocusItem", "Письмо&/дерево", "Переключиться между деревом писем и письмом",
            {Qt::Key_Enter, Qt::Key_Return}, [this] { SwitchFocus(); }, "FileItem"),
        Item(
            "CloseAreaItem", "&Закрыть область", "Закрыть окно области", {Qt::Key_Escape, Qt::SHIFT | Qt::Key_Escape},
            [this] { close(); }, "FileItem"),
    };
    file.back().SeparatorBefore = true;
    return file;
}

std::vector<CommandEntry> TAreaForm::TreeCommands()
{
    auto item = [this](const char* name, const char* caption, const char* hint, Keys keys, int command) {
        return Item(
            name, caption, hint, std::move(keys), [this, command] { AnyTreeCommand(command); }, "BrowseItem");
    };
    std::vector<CommandEntry> tree{
        Submenu("BrowseItem", "&Дерево", "Команды дерева писем"),
        item("ExpandOneLevelItem", "Раскрыть на один &уровень", "Раскрыть выбранную ветвь на один уровень", {},
             ExpandOneLevel),
        item("CollapseBranchItem", "С&хлопнуть ветвь", "Свернуть выбранную ветвь", {Qt::Key_Minus}, CollapseBranch),
        item("ExpandBranchItem", "Раскрыть &ветвь", "Раскрыть выбранную ветвь целиком", {}, ExpandBranch),
        item("ExpandAllItem", "Раскрыть в&сё", "Раскрыть все ветви", {}, ExpandAll),
        item("CollapseAllItem", "Сх&лопнуть всё", "Свернуть все ветви", {Qt::CTRL | Qt::Key_Minus}, CollapseAll),
    };
    tree[4].SeparatorBefore = true;
    return tree;
}

std::vector<CommandEntry> TAreaForm::NavigationCommands()
{
    std::vector<CommandEntry> moves{
        Submenu("NavigationItem", "&Курсор", "Команды перемещения курсора"),
        Submenu("LetterNavigationItem", "&Письмо", "", "NavigationItem"),
        Submenu("UnreadNavigationItem", "&Непрочитанное письмо", "", "NavigationItem"),
        Submenu("ConversationNavigationItem", "&Разговор", "", "NavigationItem"),
        Submenu("UnreadConversationNavigationItem", "Разговор &с непрочитанными письмами", "", "NavigationItem"),
        Submenu("LevelNavigationItem", "На &уровень", "", "NavigationItem"),
        Submenu("SameLevelNavigationItem", "На &том же уровне", "", "NavigationItem"),
    };
    for (const Move& move : Moves) {
        const int code = move.Code;
        moves.push_back(Item(
            move.Name, move.Caption, move.Hint, move.Shortcuts, [this, code] { Navigate(code, false); }, move.Menu));
        moves.back().Button = Button(move.Button, move.ButtonCaption, NavigationGlyph(code), "Навигация");
    }
    moves.back().SeparatorBefore = true;  // "На на&чало разговора", after the submenus
    return moves;
}

std::vector<CommandEntry> TAreaForm::LetterCommands()
{
    auto item = [this](const char* name, const char* caption, const char* hint, QKeySequence key, int command,
                       const char* button, const char* buttonCaption, QStyle::StandardPixmap glyph) {
        CommandEntry entry = Item(
            name, caption, hint, {key}, [this, command] { LetterCommand(command); }, "LetterItem");
        entry.Button = Button(button, buttonCaption, style()->standardIcon(glyph), "Письмо");
        return entry;
    };
    std::vector<CommandEntry> letter{
        Submenu("LetterItem", "&Письмо", "Команды работы с письмами"),
        item("NewLetterItem", "&Создать", "Написать новое письмо в эту область", Qt::Key_Insert, NewLetterMode,
             "NewLetterSpeedItem", "Создать", QStyle::SP_FileIcon),
        item("ChangeLetterItem", "&Редактировать", "Изменить текущее письмо", Qt::Key_F2, ChangeMode,
             "ChangeLetterSpeedItem", "Изменить", QStyle::SP_FileDialogContentsView),
        item("ReplyItem", "&Ответить", "Ответить на текущее письмо", Qt::Key_F4, ReplyMode, "ReplySpeedItem",
             "Ответить", QStyle::SP_ArrowBack),
        item("CommentItem", "&Прокомментировать", "Прокомментировать текущее письмо", Qt::SHIFT | Qt::Key_F4,
             CommentMode, "CommentSpeedItem", "Прокомментировать", QStyle::SP_MessageBoxInformation),
        item("ReplyInOtherAreaItem", "Ответить в &другой области", "Ответить на текущее письмо в другой области",
             Qt::ALT | Qt::Key_B, 4, "ReplyInOtherAreaSpeedItem", "Ответить в другой области", QStyle::SP_DirIcon),
        item("CommentInOtherAreaItem", "Прокомментировать в дру&гой области",
             "Прокомментировать текущее письмо в другой области", Qt::ALT | Qt::Key_N, 5, "CommentInOtherAreaSpeedItem",
             "Прокомментировать в другой области", QStyle::SP_DirOpenIcon),
        Item(
            "DeleteLetterItem", "&Удалить", "Удалить текущее письмо", {Qt::Key_Delete}, [this] { DeleteLetter(); },
            "LetterItem"),
        Item(
            "AddToAddressBookItem", "Добавить в &адресную книгу", "Добавить отправителя письма в адресную книгу", {},
            [this] { AddSenderToAddressBook(); }, "LetterItem"),
    };
    // Replying and commenting in another area have buttons the user can
    // show; they start hidden.
    letter[5].SeparatorBefore = letter[5].Button.StartsHidden = letter[6].Button.StartsHidden = true;
    letter[7].SeparatorBefore = true;
    letter[7].Button =
        Button("DeleteLetterSpeedItem", "Удалить", style()->standardIcon(QStyle::SP_TrashIcon), "Письмо");
    return letter;
}

std::vector<CommandEntry> TAreaForm::ViewCommands()
{
    // Into the View menu every window carries, after its own items.
    auto view = [this](const char* name, const char* caption, const char* hint, QKeySequence key, TViewMode mode,
                       const char* button, const char* buttonCaption, int image) {
        CommandEntry entry = Item(
            name, caption, hint, {key}, [this, mode] { SetViewMode(mode); }, "SwitchItem");
        entry.Check = CommandCheck::Radio;
        entry.Button = Button(button, buttonCaption, TreeModel->Images.at(static_cast<std::size_t>(image)), "Вид");
        return entry;
    };
    std::vector<CommandEntry> views{
        view("UnreadsTreeItem", "Дерево &непрочитанных", "Показать разговоры с новыми письмами", Qt::Key_F9,
             TViewMode::UnreadsAndTheirParentsTree, "UnreadsTreeSpeedItem", "Дерево нечитанных", 5),
        view("SimpleTreeItem", "&Дерево", "Показать все письма деревом разговоров", Qt::CTRL | Qt::Key_F9,
             TViewMode::SimpleTree, "SimpleTreeSpeedItem", "Дерево", 1),
        view("ListItem", "&Список", "Показать все письма списком", Qt::ALT | Qt::Key_F9, TViewMode::List,
             "ListSpeedItem", "Список", 3),
        // The action checks and unchecks itself; the letter is shown anew.
        Item(
            "KludgesItem", "&Техническая информация", "Показать/спрятать служебные строки письма",
            {Qt::CTRL | Qt::Key_K}, [this] { ShowCurrentLetter(); }, "SwitchItem"),
    };
    views[0].SeparatorBefore = views[3].SeparatorBefore = true;
    views[3].Check = CommandCheck::Toggle;
    views[3].Button = Button("KludgesSpeedItem", "Техническая информация",
                             style()->standardIcon(QStyle::SP_MessageBoxWarning), "Вид");
    return views;
}

std::vector<CommandEntry> TAreaForm::WindowCommands()
{
    // The Windows menu every window carries takes them first.
    return {
        Item(
            "SwitchToAreasItem", "&Области", "Переключиться в окно областей", {Qt::Key_F12},
            [this] { TAreasForm::SwitchToAreasWindow(Owner); }, "WindowsItem"),
        Item(
            "SwitchToTopEditor", "Верний &редактор", "Переключиться в окна редакторов этой области", {Qt::Key_F11},
            [this] { SwitchToEditors(); }, "WindowsItem"),
    };
}

void TAreaForm::CreateCommands()
{
    std::vector<CommandEntry> table;
    for (auto part : {&TAreaForm::FileCommands, &TAreaForm::TreeCommands, &TAreaForm::NavigationCommands,
                      &TAreaForm::LetterCommands, &TAreaForm::ViewCommands, &TAreaForm::WindowCommands})
        for (CommandEntry& entry : (this->*part)())
            table.push_back(std::move(entry));
    Commands = std::make_unique<CommandTable>(this, std::move(table));
    KludgesItem = Commands->Action("KludgesItem");

    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    Commands->AddMenusTo(bar);
    Commands->Fill(AddViewMenu());
    AddOptionsMenu(Owner.Settings);
    AddWindowsMenu(Commands->Action("SwitchToAreasItem"), Commands->Action("SwitchToTopEditor"));
    AddHelpMenu("area");
    CreatePopupMenus();
    // The viewer's own minus key (it takes the key before the tree's collapse).
    connect(Viewer, &TLetterViewer::UpOneLevelKey, Commands->Action("UpOneLevelItem"), &QAction::trigger);
}

void TAreaForm::CreatePopupMenus()
{
    BrowseIndirectPopupMenu = new TIndirectPopupMenu(this, Commands->Menu("BrowseItem"));
    BrowseIndirectPopupMenu->setObjectName(QStringLiteral("BrowseIndirectPopupMenu"));
    BrowseIndirectPopupMenu->AttachTo(Tree);
    LetterIndirectPopupMenu = new TIndirectPopupMenu(this, Commands->Menu("LetterItem"));
    LetterIndirectPopupMenu->setObjectName(QStringLiteral("LetterIndirectPopupMenu"));
    // Anywhere over the letter: its rows, and the scroll box around and below
    // them (whose viewport hands its context menu requests to the box).
    LetterIndirectPopupMenu->AttachTo(Viewer);
    LetterIndirectPopupMenu->AttachTo(ScrollBox);
    NavigateIndirectPopupMenu = new TIndirectPopupMenu(this, Commands->Menu("NavigationItem"));
    NavigateIndirectPopupMenu->setObjectName(QStringLiteral("NavigateIndirectPopupMenu"));
    NavigateIndirectPopupMenu->AttachTo(HeaderPanel);
}

void TAreaForm::CreateSpeedBar()
{
    MakeSpeedBar(QStringLiteral("Панель инструментов"));
    SpeedBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SpeedBar->setIconSize(QSize(16, 16));
    Commands->AddButtonsTo(SpeedBar);
    MakeSpeedBarPopupMenu();
}

void TAreaForm::SyncOwnChecks()
{
    const TViewMode mode = Conversation.ViewMode;
    Commands->Action("UnreadsTreeItem")->setChecked(mode == TViewMode::UnreadsAndTheirParentsTree);
    Commands->Action("SimpleTreeItem")->setChecked(mode == TViewMode::SimpleTree);
    Commands->Action("ListItem")->setChecked(mode == TViewMode::List);
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
        if (QueryForms(&ModelObserver::QueryCloseArea, *Area))
            return;
        allowed = LeaveArea(false);
    });
    return allowed;
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
    Area->RemoveLetter(letter, next);  // freed here, once the windows were told
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

void TAreaForm::SwitchToEditors()
{
    // From the bottom up, so that the topmost editor ends in front.
    const std::vector<FormWindow*> forms = AllForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it)
        if (Area && (*it)->EditedArea() == Area)
            ShowAndSwitchTo(*it);
}
