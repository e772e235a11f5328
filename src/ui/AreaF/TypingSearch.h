// Search by typing in the letter tree: the keys typed while the tree has a
// selected node spell a text, and the match is the first node, in tree order
// from where the typing began, whose subject or sender holds it (any node for
// the empty text). Ctrl+L takes the next match, Backspace drops the last key.
// The window selects the match after a pause and shows the text on its status
// bar while the search is on (find mode).
#pragma once

#include <QString>
#include <Qt>

class TConversationTree;
class TTreeNode;

class TypingSearch {
public:
    explicit TypingSearch(const TConversationTree& tree) : Tree(tree) { }

    // What a key is to the search: a character (a digit, a Latin capital A
    // to Z or a Cyrillic capital А to Я once upper-cased; Ё is not among
    // them), Ctrl+L, Backspace, or none of its keys.
    enum class Key { None, Character, Again, Backspace };
    static Key KindOf(int key, Qt::KeyboardModifiers modifiers, const QString& text);

    // A key of the search typed (text: what it types) while selected is the
    // tree's selected node. NotFound: no such match, and nothing changed.
    enum class Outcome { Found, NotFound };
    Outcome Type(Key key, const QString& text, TTreeNode* selected);

    bool Active() const { return FindMode; }
    const QString& Text() const { return FindText; }
    TTreeNode* Match() const { return FindNode; }

    // The window is selecting the match: that selection does not end the search.
    bool Selecting = false;

    // Leaves find mode; whether it was on.
    bool End();
    // The tree's nodes are gone (rebuilt, or the area went).
    void Forget();

private:
    const TConversationTree& Tree;
    QString FindText;
    TTreeNode* FindStart = nullptr;
    int FindIndex = 0;
    bool FindMode = false;
    TTreeNode* FindNode = nullptr;

    bool Find(const QString& text);
};
