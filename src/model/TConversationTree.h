// An area's letters as a tree of conversations, without any window: the three
// views, the marks of the nodes, and the navigation commands with their
// tie-breaks. The area window shows this tree in its tree control and calls
// Navigate for its cursor commands.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/TTreeNode.h"

class TArea;
class TLetter;

// Numbered as the view is stored.
enum class TViewMode { SimpleTree = 0, UnreadsAndTheirParentsTree = 1, List = 2 };

// The codes the menu items and tool buttons carry as their tag.
enum NavigateCommand : int {
    GotoRoot = 0,
    UpOneLevel = 9,
    DownOneLevel = 11,
    PreviousLetter = 19,
    NextLetter = 21,
    PreviousUnreadLetter = 29,
    NextUnreadLetter = 31,
    PreviousConversation = 39,
    NextConversation = 41,
    PreviousUnreadConversation = 49,
    NextUnreadConversation = 51,
    ThisLevelUp = 59,
    ThisLevelDown = 61,
};

// What a navigation did.
struct TNavigateResult {
    enum Outcome {
        Moved,      // Target is selected now; make its letter (or none) current
        Unchanged,  // no node in that direction (up, down, siblings at the edge)
        AtEnd,      // ran out of nodes: the window may offer to leave the area
    } Outcome = Unchanged;
    TTreeNode* Target = nullptr;
    TLetter* Letter = nullptr;      // the target's letter, or none
    bool SubtreeExpanded = false;   // the target's subtree was expanded (a new letter)
    TLetter* MarkedRead = nullptr;  // the letter marked read on the way (its node's Bold refreshed)
};

class TConversationTree {
public:
    explicit TConversationTree(TArea& area);
    ~TConversationTree();
    TConversationTree(const TConversationTree&) = delete;
    TConversationTree& operator=(const TConversationTree&) = delete;

    TViewMode ViewMode = TViewMode::SimpleTree;
    // The deepest level a letter keeps its place in its thread (the area
    // node is level 0, subject nodes 1, thread roots 2): the answers below
    // a letter at this level are all shown one level below it, in tree order.
    static constexpr int DeepestLevel = 64;

    // The view a new window starts with: the unreads tree when some but not
    // all letters are new, else the full tree.
    void ChooseView();
    // After the area's letters changed: the full tree turns into the unreads
    // tree when there are new letters and back when there are none (the list
    // stays); then the tree is built again.
    void AdjustViewAndBuild();
    // Builds the tree of the current view anew and selects the current
    // letter's node (or the first node).
    void BuildTree();

    const std::vector<std::unique_ptr<TTreeNode>>& TopLevel() const { return Roots; }
    TTreeNode* FirstNode() const { return Roots.empty() ? nullptr : Roots.front().get(); }
    TTreeNode* Selected() const { return Selection; }
    void Select(TTreeNode* node) { Selection = node; }

    // Moves the selection. viewerHasFocus: the user is reading the current
    // letter, which is then marked read first.
    TNavigateResult Navigate(int command, bool viewerHasFocus);

    // The level-1 ancestor (the subject node); the node itself at the top.
    static TTreeNode* ConversationOf(TTreeNode* node);
    // Pre-order over the whole tree, collapsed branches included.
    TTreeNode* NextInTreeOrder(TTreeNode* node) const;
    TTreeNode* PreviousInTreeOrder(TTreeNode* node) const;
    TTreeNode* NextSibling(TTreeNode* node) const;
    TTreeNode* PreviousSibling(TTreeNode* node) const;

    // "Описание(TAG)": the area node's text and the window's caption.
    static std::string CaptionOf(const TArea& area);
    // The window is going away with its area: forget the letters' nodes.
    void ForgetArea() { AreaGone = true; }

private:
    TArea& Area;
    std::vector<std::unique_ptr<TTreeNode>> Roots;
    TTreeNode* Selection = nullptr;
    bool AreaGone = false;

    void Clear();
    void BuildThreads(bool unreadsOnly);
    void BuildList();
    TTreeNode* AddLetterNode(TTreeNode* parent, TLetter* letter);
    void MarkUnreadConversations(const std::vector<TLetter*>& roots);
    const std::vector<std::unique_ptr<TTreeNode>>& SiblingsOf(const TTreeNode* node) const;
    TTreeNode* Walk(TTreeNode* from, bool forward, bool unreadOnly, bool otherConversation) const;
};
