#include "ui/AreaF/TLetterTreeModel.h"

#include <QTreeView>

#include "model/TConversationTree.h"
#include "model/TTreeNode.h"
#include "settings/QtText.h"

TLetterTreeModel::TLetterTreeModel(const TConversationTree& tree, QObject* parent)
    : QAbstractItemModel(parent), Tree(tree)
{
}

void TLetterTreeModel::Hide()
{
    beginResetModel();
    Shown = false;
    endResetModel();
}

void TLetterTreeModel::Show()
{
    beginResetModel();
    Shown = true;
    endResetModel();
}

TTreeNode* TLetterTreeModel::NodeOf(const QModelIndex& index)
{
    return index.isValid() ? static_cast<TTreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TLetterTreeModel::IndexOf(const TTreeNode* node) const
{
    if (!node)
        return {};
    return createIndex(static_cast<int>(node->IndexInParent()), 0, const_cast<TTreeNode*>(node));
}

QModelIndex TLetterTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column != 0 || !Shown)
        return {};
    const auto& siblings = parent.isValid() ? NodeOf(parent)->Children : Tree.TopLevel();
    if (static_cast<std::size_t>(row) >= siblings.size())
        return {};
    return createIndex(row, 0, siblings[static_cast<std::size_t>(row)].get());
}

QModelIndex TLetterTreeModel::parent(const QModelIndex& index) const
{
    const TTreeNode* node = NodeOf(index);
    return node ? IndexOf(node->Parent) : QModelIndex();
}

int TLetterTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0 || !Shown)
        return 0;
    return static_cast<int>(parent.isValid() ? NodeOf(parent)->Children.size() : Tree.TopLevel().size());
}

int TLetterTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

int TLetterTreeModel::ImageOf(const QModelIndex& index) const
{
    TTreeNode* node = NodeOf(index);
    if (!node)
        return -1;
    // The node's expanded mark follows the control, where the user opens and
    // closes branches.
    if (!node->Children.empty())
        node->Expanded = View && View->isExpanded(index);
    return node->Image();
}

QVariant TLetterTreeModel::data(const QModelIndex& index, int role) const
{
    const TTreeNode* node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return ToQString(node->Text());
    case Qt::DecorationRole: {
        const int image = ImageOf(index);
        if (image >= 0 && static_cast<std::size_t>(image) < Images.size())
            return Images[static_cast<std::size_t>(image)];
        return {};
    }
    case Qt::FontRole:
        return node->Bold ? QVariant(BoldFont) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags TLetterTreeModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
