#include "ui/AreaF/TLetterTreeItem.h"

#include <utility>

#include "model/TTreeNode.h"
#include "ui/QtText.h"

TLetterTreeItem::TLetterTreeItem(TTreeNode* node, const TLetterTreeLook* look)
    : QTreeWidgetItem(QTreeWidgetItem::UserType), Shown(node), Look(look)
{
    node->ViewItem = this;
}

int TLetterTreeItem::ImageIndex() const
{
    // The node's expanded mark follows the control, where the user opens and
    // closes branches.
    if (!Shown->Children.empty())
        Shown->Expanded = isExpanded();
    return Shown->Image();
}

QVariant TLetterTreeItem::data(int column, int role) const
{
    if (column == 0) {
        switch (role) {
        case Qt::DisplayRole:
            return ToQString(Shown->Text);
        case Qt::DecorationRole: {
            const int image = ImageIndex();
            if (image >= 0 && static_cast<std::size_t>(image) < Look->Images.size())
                return Look->Images[static_cast<std::size_t>(image)];
            return QVariant();
        }
        case Qt::FontRole:
            if (Shown->Bold)
                return Look->BoldFont;
            return QVariant();
        default:
            break;
        }
    }
    return QTreeWidgetItem::data(column, role);
}

QList<QTreeWidgetItem*> TLetterTreeItem::MakeItems(const std::vector<TTreeNode*>& topLevel,
                                                   const TLetterTreeLook* look)
{
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(topLevel.size()));
    std::vector<std::pair<TTreeNode*, QTreeWidgetItem*>> pending;
    for (TTreeNode* node : topLevel) {
        auto* item = new TLetterTreeItem(node, look);
        items.append(item);
        pending.emplace_back(node, item);
        // Parents first: a child is added while it has no children of its
        // own, so adding costs nothing beyond the append.
        while (!pending.empty()) {
            auto [parentNode, parentItem] = pending.back();
            pending.pop_back();
            for (const auto& child : parentNode->Children) {
                auto* childItem = new TLetterTreeItem(child.get(), look);
                parentItem->addChild(childItem);
                pending.emplace_back(child.get(), childItem);
            }
        }
    }
    return items;
}

void TLetterTreeItem::DeleteItems(QList<QTreeWidgetItem*> items)
{
    while (!items.isEmpty()) {
        QTreeWidgetItem* item = items.takeLast();
        items.append(item->takeChildren());
        if (item->type() == QTreeWidgetItem::UserType)
            static_cast<TLetterTreeItem*>(item)->Shown->ViewItem = nullptr;
        delete item;
    }
}
