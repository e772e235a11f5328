#include "model/TConversationTree.h"

#include "core/StringHelpers.h"
#include "model/TArea.h"
#include "model/TFilteredLetterList.h"

TConversationTree::TConversationTree(TArea& area) : Area(area) {}

TConversationTree::~TConversationTree()
{
    Clear();
}

std::string TConversationTree::CaptionOf(const TArea& area)
{
    return Format("%s(%s)", area.Description.c_str(), area.Tag.c_str());
}

void TConversationTree::Clear()
{
    // Letters must not point at nodes that are about to go.
    if (!AreaGone)
        for (TLetter* letter : Area.Letters)
            letter->Node = nullptr;
    Selection = nullptr;
    Roots.clear();
}

void TConversationTree::ChooseView()
{
    ViewMode = TViewMode::SimpleTree;
    int32_t fresh = Area.NewCount();
    if (fresh != 0 && fresh != static_cast<int32_t>(Area.Letters.Count()))
        ViewMode = TViewMode::UnreadsAndTheirParentsTree;
}

void TConversationTree::AdjustViewAndBuild()
{
    if (ViewMode == TViewMode::SimpleTree && Area.NewCount() > 0)
        ViewMode = TViewMode::UnreadsAndTheirParentsTree;
    else if (ViewMode == TViewMode::UnreadsAndTheirParentsTree && Area.NewCount() == 0)
        ViewMode = TViewMode::SimpleTree;
    BuildTree();
}

void TConversationTree::BuildTree()
{
    Clear();
    if (ViewMode == TViewMode::List)
        BuildList();
    else
        BuildThreads(ViewMode == TViewMode::UnreadsAndTheirParentsTree);
    TLetter* current = Area.Current;
    Selection = current && current->Node ? current->Node : FirstNode();
}

TTreeNode* TConversationTree::AddLetterNode(TTreeNode* parent, TLetter* letter)
{
    TTreeNode* node;
    if (parent) {
        node = parent->AddChild({}, letter);
    } else {
        Roots.push_back(std::make_unique<TTreeNode>(nullptr, std::string(), letter));
        node = Roots.back().get();
        node->Index = Roots.size() - 1;
    }
    node->Bold = letter->WasUnread();
    letter->Node = node;
    return node;
}

void TConversationTree::BuildList()
{
    for (TLetter* letter : Area.Letters)
        AddLetterNode(nullptr, letter);
}

void TConversationTree::MarkUnreadConversations(const std::vector<TLetter*>& roots)
{
    for (TLetter* root : roots)
        root->InUnreadsTree = false;
    TLetter* current = Area.Current;
    for (std::size_t i = 0; i < roots.size(); ++i) {
        TLetter* root = roots[i];
        if (root->InUnreadsTree)
            continue;
        bool wanted = root->ForEachInThread(
            [current](TLetter* letter, TTreeNode*) { return letter->WasUnread() || letter == current; });
        if (!wanted)
            continue;
        root->InUnreadsTree = true;
        // The whole conversation comes along: the neighbours with the same subject.
        for (std::size_t k = i; k-- > 0;) {
            if (roots[k]->InUnreadsTree || roots[k]->Subject != root->Subject)
                break;
            roots[k]->InUnreadsTree = true;
        }
        for (std::size_t k = i + 1; k < roots.size(); ++k) {
            if (roots[k]->InUnreadsTree || roots[k]->Subject != root->Subject)
                break;
            roots[k]->InUnreadsTree = true;
        }
    }
}

void TConversationTree::BuildThreads(bool unreadsOnly)
{
    TFilteredLetterList sorted;
    for (TLetter* letter : Area.Letters)
        if (letter->IsRoot())
            sorted.Letters.push_back(letter);
    sorted.Sort();
    std::vector<TLetter*> roots = std::move(sorted.Letters);
    if (unreadsOnly)
        MarkUnreadConversations(roots);

    Roots.push_back(std::make_unique<TTreeNode>(nullptr, CaptionOf(Area), nullptr));
    TTreeNode* areaNode = Roots.back().get();
    TTreeNode* subjectNode = nullptr;
    std::vector<std::pair<TTreeNode*, TLetter*>> pending;
    for (TLetter* root : roots) {
        if (unreadsOnly && !root->InUnreadsTree)
            continue;
        if (!subjectNode || root->Subject != subjectNode->Text())
            subjectNode = areaNode->AddChild(root->Subject, nullptr);
        // Depth first, answers in their order; a chain of answers of any
        // length stays off the call stack. Below the deepest level shown,
        // the answers line up under the letter at that level, still in
        // tree order: the window's tree control would recurse once per level.
        pending.assign(1, {subjectNode, root});
        while (!pending.empty()) {
            auto [parent, letter] = pending.back();
            pending.pop_back();
            TTreeNode* node = AddLetterNode(parent, letter);
            TTreeNode* repliesParent = node->Level() > DeepestLevel ? parent : node;
            for (auto it = letter->Replies.rbegin(); it != letter->Replies.rend(); ++it)
                pending.emplace_back(repliesParent, *it);
        }
    }
    areaNode->Expanded = true;
}

TTreeNode* TConversationTree::ConversationOf(TTreeNode* node)
{
    if (!node)
        return nullptr;
    while (node->Parent && node->Parent->Parent)
        node = node->Parent;
    return node;
}

const std::vector<std::unique_ptr<TTreeNode>>& TConversationTree::SiblingsOf(const TTreeNode* node) const
{
    return node->Parent ? node->Parent->Children : Roots;
}

TTreeNode* TConversationTree::NextSibling(TTreeNode* node) const
{
    const auto& siblings = SiblingsOf(node);
    return node->Index + 1 < siblings.size() ? siblings[node->Index + 1].get() : nullptr;
}

TTreeNode* TConversationTree::PreviousSibling(TTreeNode* node) const
{
    return node->Index > 0 ? SiblingsOf(node)[node->Index - 1].get() : nullptr;
}

TTreeNode* TConversationTree::NextInTreeOrder(TTreeNode* node) const
{
    if (TTreeNode* child = node->FirstChild())
        return child;
    for (TTreeNode* n = node; n; n = n->Parent)
        if (TTreeNode* next = NextSibling(n))
            return next;
    return nullptr;
}

TTreeNode* TConversationTree::PreviousInTreeOrder(TTreeNode* node) const
{
    TTreeNode* previous = PreviousSibling(node);
    if (!previous)
        return node->Parent;
    while (TTreeNode* last = previous->LastChild())
        previous = last;
    return previous;
}

TTreeNode* TConversationTree::Walk(TTreeNode* from, bool forward, bool unreadOnly, bool otherConversation) const
{
    // In tree order a conversation is one contiguous run that starts at its
    // subject node, so the walk knows when it has left the conversation of
    // `from` without climbing to every node's ancestor (chains can be deep).
    TTreeNode* conversation = ConversationOf(from);
    bool left = !forward && from == conversation;
    for (TTreeNode* n = forward ? NextInTreeOrder(from) : PreviousInTreeOrder(from); n;
         n = forward ? NextInTreeOrder(n) : PreviousInTreeOrder(n)) {
        bool sameConversation;
        if (forward) {
            left = left || !n->Parent || !n->Parent->Parent;
            sameConversation = !left;
        } else {
            sameConversation = !left;
            left = left || n == conversation;
        }
        if (!n->Letter)
            continue;
        if (unreadOnly && !n->Letter->WasUnread())
            continue;
        if (otherConversation && sameConversation)
            continue;
        return n;
    }
    return nullptr;
}

TNavigateResult TConversationTree::Navigate(int command, bool viewerHasFocus)
{
    TNavigateResult result;
    TTreeNode* n = Selection;
    if (!n) {
        result.Outcome = TNavigateResult::AtEnd;
        return result;
    }
    if (viewerHasFocus && Area.Current) {
        TLetter* reading = Area.Current;
        reading->MarkRead(true);
        if (reading->Node)
            reading->Node->Bold = reading->WasUnread();
        result.MarkedRead = reading;
    }
    bool unreadCommand = command == PreviousUnreadLetter || command == NextUnreadLetter ||
                         command == PreviousUnreadConversation || command == NextUnreadConversation;
    if (unreadCommand && Area.NewCount() == 0) {
        result.Outcome = TNavigateResult::AtEnd;
        return result;
    }

    TTreeNode* target = n;
    bool walking = true;
    switch (command) {
    case GotoRoot: target = ConversationOf(n); walking = false; break;
    case UpOneLevel: target = n->Parent; walking = false; break;
    case DownOneLevel: target = n->FirstChild(); walking = false; break;
    case ThisLevelUp: target = PreviousSibling(n); walking = false; break;
    case ThisLevelDown: target = NextSibling(n); walking = false; break;
    case PreviousLetter: target = Walk(n, false, false, false); break;
    case NextLetter: target = Walk(n, true, false, false); break;
    case PreviousUnreadLetter: target = Walk(n, false, true, false); break;
    case NextUnreadLetter: target = Walk(n, true, true, false); break;
    case PreviousConversation: target = Walk(n, false, false, true); break;
    case NextConversation: target = Walk(n, true, false, true); break;
    case PreviousUnreadConversation: target = Walk(n, false, true, true); break;
    case NextUnreadConversation: target = Walk(n, true, true, true); break;
    default: walking = false; break;
    }
    if (!target) {
        result.Outcome = walking ? TNavigateResult::AtEnd : TNavigateResult::Unchanged;
        return result;
    }
    Selection = target;
    result.Outcome = TNavigateResult::Moved;
    result.Target = target;
    result.Letter = target->Letter;
    if (target->Letter && target->Letter->Unread) {
        target->ExpandAll(true);
        result.SubtreeExpanded = true;
    }
    return result;
}
