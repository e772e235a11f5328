// One node of an area's conversation tree: the area node, a subject node or
// a letter. The area window shows these nodes as the rows of its tree control.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class TLetter;

class TTreeNode {
public:
    // A letter node shows its letter's sender; the others show their text.
    TTreeNode(TTreeNode* parent, std::string text, TLetter* letter);
    // Takes the subtree apart without recursion: a chain of answers may be
    // tens of thousands of levels deep.
    ~TTreeNode();
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    TLetter* Letter;          // none for the area node and subject nodes
    TTreeNode* Parent;        // none at the top level
    std::vector<std::unique_ptr<TTreeNode>> Children;
    bool Expanded = false;
    bool Bold = false;

    TTreeNode* AddChild(std::string text, TLetter* letter);
    // The text the node shows: a letter's sender, a subject, the area's caption.
    const std::string& Text() const;
    std::size_t IndexInParent() const { return Index; }
    TTreeNode* FirstChild() const { return Children.empty() ? nullptr : Children.front().get(); }
    TTreeNode* LastChild() const { return Children.empty() ? nullptr : Children.back().get(); }
    // Level counted from 0 at the top.
    int Level() const { return LevelFromTop; }

    // Some node below this one (not this one) holds an unread letter.
    bool HasUnreadBelow() const;
    // Icon index 0..6: 0 for a node at the top without a letter; else 1 for a
    // subject node, 3 for a read letter, 5 for an unread one, plus 1 while
    // collapsed over unread letters.
    int Image() const;
    // Expands or collapses this node and everything below it.
    void ExpandAll(bool expanded);

private:
    friend class TConversationTree;
    // Only the nodes without a letter keep a text of their own: a tree holds
    // a node for every letter shown.
    std::unique_ptr<std::string> OwnText;
    std::size_t Index = 0;  // position among its siblings
    int LevelFromTop;
};
