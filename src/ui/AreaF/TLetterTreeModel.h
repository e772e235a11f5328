// The area window's tree control shows the conversation tree through this
// model: an index stands for a node of the tree (its internal pointer), and
// the text, bold mark and image are asked of the node when the control draws
// it. Nothing is kept per node, so a tree of 200,000 letters costs the
// control only the rows it has laid out.
#pragma once

#include <QAbstractItemModel>
#include <QFont>
#include <QIcon>
#include <vector>

class QTreeView;
class TConversationTree;
class TTreeNode;

class TLetterTreeModel : public QAbstractItemModel {
public:
    // The seven images and the bold font every row shares.
    std::vector<QIcon> Images;
    QFont BoldFont;

    TLetterTreeModel(const TConversationTree& tree, QObject* parent);
    // The control whose expanded branches decide the images (a collapsed
    // branch over unread letters shows it).
    void SetView(const QTreeView* view) { View = view; }

    static TTreeNode* NodeOf(const QModelIndex& index);
    QModelIndex IndexOf(const TTreeNode* node) const;
    // The image a row shows now (0..6).
    int ImageOf(const QModelIndex& index) const;

    // Hide drops every row (and every index of the old tree), so that the
    // nodes may go; Show shows the conversation tree as it is built now.
    void Hide();
    void Show();

    QModelIndex index(int row, int column, const QModelIndex& parent) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const TConversationTree& Tree;
    const QTreeView* View = nullptr;
    bool Shown = false;
};
