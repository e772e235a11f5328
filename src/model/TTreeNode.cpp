#include "model/TTreeNode.h"

#include "model/TLetter.h"

TTreeNode::TTreeNode(TTreeNode* parent, std::string text, TLetter* letter)
    : Letter(letter), Parent(parent),
      OwnText(letter ? nullptr : std::make_unique<std::string>(std::move(text))),
      LevelFromTop(parent ? parent->LevelFromTop + 1 : 0)
{
}

const std::string& TTreeNode::Text() const
{
    return Letter ? Letter->From : *OwnText;
}

TTreeNode::~TTreeNode()
{
    std::vector<std::unique_ptr<TTreeNode>> doomed = std::move(Children);
    while (!doomed.empty()) {
        std::unique_ptr<TTreeNode> node = std::move(doomed.back());
        doomed.pop_back();
        for (auto& child : node->Children)
            doomed.push_back(std::move(child));
        node->Children.clear();
    }
}

TTreeNode* TTreeNode::AddChild(std::string text, TLetter* letter)
{
    auto child = std::make_unique<TTreeNode>(this, std::move(text), letter);
    child->Index = Children.size();
    Children.push_back(std::move(child));
    return Children.back().get();
}


bool TTreeNode::HasUnreadBelow() const
{
    std::vector<const TTreeNode*> stack;
    for (const auto& child : Children)
        stack.push_back(child.get());
    while (!stack.empty()) {
        const TTreeNode* node = stack.back();
        stack.pop_back();
        if (node->Letter && node->Letter->Unread)
            return true;
        for (const auto& child : node->Children)
            stack.push_back(child.get());
    }
    return false;
}

int TTreeNode::Image() const
{
    if (!Parent && !Letter)
        return 0;
    int base = !Letter ? 1 : (Letter->Unread ? 5 : 3);
    return !Expanded && !Children.empty() && HasUnreadBelow() ? base + 1 : base;
}

void TTreeNode::ExpandAll(bool expanded)
{
    std::vector<TTreeNode*> stack{this};
    while (!stack.empty()) {
        TTreeNode* node = stack.back();
        stack.pop_back();
        node->Expanded = expanded;
        for (const auto& child : node->Children)
            stack.push_back(child.get());
    }
}
