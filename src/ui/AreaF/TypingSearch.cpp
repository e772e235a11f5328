#include "ui/AreaF/TypingSearch.h"

#include "model/TConversationTree.h"
#include "model/TLetter.h"
#include "model/TTreeNode.h"
#include "settings/QtText.h"

TypingSearch::Key TypingSearch::KindOf(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    if (key == Qt::Key_L && mods == Qt::ControlModifier)
        return Key::Again;
    if (key == Qt::Key_Backspace && mods == Qt::NoModifier)
        return Key::Backspace;
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return Key::None;
    const QString typed = text.toUpper();
    if (typed.size() != 1)
        return Key::None;
    const char16_t ch = typed.at(0).unicode();
    const bool takes = (ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'Z') || (ch >= 0x0410 && ch <= 0x042F);
    return takes ? Key::Character : Key::None;
}

TypingSearch::Outcome TypingSearch::Type(Key key, const QString& text, TTreeNode* selected)
{
    if (!FindMode) {
        FindIndex = 0;
        FindStart = selected;
    }
    if (key == Key::Again) {
        const int before = FindIndex;
        if (FindMode)
            ++FindIndex;
        if (Find(FindText))
            return Outcome::Found;
        FindIndex = before;
        return Outcome::NotFound;
    }
    if (!FindMode)
        FindText.clear();
    QString wanted = FindText;
    if (key == Key::Backspace)
        wanted.chop(1);
    else
        wanted += text.toUpper();
    return Find(wanted) ? Outcome::Found : Outcome::NotFound;
}

bool TypingSearch::Find(const QString& text)
{
    const QString wanted = text.toUpper();
    int skip = FindIndex;
    for (TTreeNode* node = FindStart; node; node = Tree.NextInTreeOrder(node)) {
        bool hit = wanted.isEmpty();
        if (!hit && node->Letter)
            hit = ToQString(node->Letter->Subject).toUpper().contains(wanted) ||
                ToQString(node->Letter->From).toUpper().contains(wanted);
        if (hit && skip-- == 0) {
            FindText = text;
            FindNode = node;
            FindMode = true;
            return true;
        }
    }
    return false;
}

bool TypingSearch::End()
{
    const bool was = FindMode;
    FindMode = false;
    return was;
}

void TypingSearch::Forget()
{
    Selecting = false;
    FindStart = FindNode = nullptr;
}
