// The area window: opening and closing, the layout of the tree and its
// panes, the stored properties, the model's messages, the tree and its
// events. The commands, the letter pane and the search by typing have files
// of their own.
#include "ui/AreaF/TAreaForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/StringHelpers.h"
#include "model/Session.h"
#include "settings/QtText.h"
#include "ui/AreaF/TLetterTreeModel.h"
#include "ui/AreaF/TLetterViewer.h"
#include "ui/AreasF/TAreasForm.h"
#include "ui/QuorvelApplication.h"
#include "ui/Resources.h"
#include "ui/TFormStorage.h"

// ---------------------------------------------------------------- opening

QWidget* TAreaForm::OpenAreaFirst(TArea* area)
{
    // Before anything of the window exists: a failure leaves no window.
    area->Open();
    return nullptr;
}

TAreaForm::TAreaForm(TArea* area) : FormWindow(OpenAreaFirst(area)), Conversation(*area), Owner(area->Owner), Area(area)
{
    try {
        setObjectName(QStringLiteral("AreaForm"));
        setAttribute(Qt::WA_QuitOnClose, false);
        Beep = [] { QApplication::beep(); };

        CreateTree();
        CreateLetterPanel();
        CreateCommands();
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
        Owner.Areas.SetCurrent(area);
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
    Search.Forget();
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
        [this](bool on) { KludgesItem->setChecked(on); });
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

void TAreaForm::UpdateCaption()
{
    if (Area)
        setWindowTitle(ToQString(TConversationTree::CaptionOf(*Area)));
}

// ---------------------------------------------------------------- model events

void TAreaForm::ForOwnArea(const TArea& area, const std::function<void()>& work)
{
    // A failure here must not break off the model's work that sent the event.
    if (&area == Area)
        RunGuarded(work);
}

void TAreaForm::AreasChanged()
{
    RunGuarded([this] { UpdateCaption(); });
}

void TAreaForm::LettersLoading(TArea& area)
{
    ForOwnArea(area, [this] { ShowStatusPanel0(); });
}

void TAreaForm::LettersChanged(TArea& area)
{
    ForOwnArea(area, [this] {
        SetCurrentTimer->stop();
        ShowStatusPanel0();
        RebuildTree(true);
        SyncChecks();
    });
}

void TAreaForm::CurrentLetterChanged(TArea& area)
{
    ForOwnArea(area, [this] {
        ShowCurrentLetter();
        ShowStatusPanel1();
    });
}

void TAreaForm::AreaDestroyed(TArea& area)
{
    ForOwnArea(area, [this] {
        ForgetArea();
        CloseAnswered();
    });
}

void TAreaForm::CountsChanged(TArea& area)
{
    ForOwnArea(area, [this] {
        RepaintTree();
        ShowStatusPanel0();
        ShowStatusPanel1();
    });
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
    Search.Forget();
    EndFind();

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
    if (!Search.Selecting)
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

void TAreaForm::closeEvent(QCloseEvent* event)
{
    FormWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    SetCurrentTimer->stop();
    DoFindTimer->stop();
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
    const TypingSearch::Key key = TypingSearch::KindOf(event->key(), event->modifiers(), event->text());
    TTreeNode* selected = SelectedNode();
    if (key == TypingSearch::Key::None || !selected)
        return false;
    BusyPointer hourglass(PointerShape::Hourglass);
    if (Search.Type(key, event->text(), selected) == TypingSearch::Outcome::NotFound) {
        if (Beep)
            Beep();
        return true;
    }
    DoFindTimer->start();
    StatusBar->showMessage(ToQString(Format("Ищем: %s", FromQString(Search.Text()).c_str())));
    return true;
}

void TAreaForm::DoFindTimerFired()
{
    DoFindTimer->stop();
    if (!Search.Match())
        return;
    Search.Selecting = true;
    struct Reset {
        bool& Flag;
        ~Reset() { Flag = false; }
    } reset{Search.Selecting};
    SelectNode(Search.Match());
}

void TAreaForm::EndFind()
{
    if (Search.Selecting)
        return;
    // A match still waiting would take the selection back.
    DoFindTimer->stop();
    if (Search.End())
        StatusBar->clearMessage();
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
