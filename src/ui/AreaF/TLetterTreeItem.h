// An item of the area window's tree control: it shows one node of the
// conversation tree, asking the node for its text, bold mark and image
// whenever the control draws it, so the item itself stores nothing.
#pragma once

#include <QFont>
#include <QIcon>
#include <QList>
#include <QTreeWidgetItem>
#include <vector>

class TTreeNode;

// What every item of one tree shares: the seven images and the bold font.
struct TLetterTreeLook {
    std::vector<QIcon> Images;
    QFont BoldFont;
};

class TLetterTreeItem : public QTreeWidgetItem {
public:
    TLetterTreeItem(TTreeNode* node, const TLetterTreeLook* look);

    TTreeNode* Node() const { return Shown; }
    // The image the item shows now (0..6), as the node works it out from
    // its letter and whether the item is expanded.
    int ImageIndex() const;

    QVariant data(int column, int role) const override;

    // Items for a node tree, made without a view so no signal is sent per
    // item; each node's ViewItem points at its item.
    static QList<QTreeWidgetItem*> MakeItems(const std::vector<TTreeNode*>& topLevel, const TLetterTreeLook* look);
    // Deletes detached items and everything below them without recursion
    // (a chain of answers may be thousands of levels deep).
    static void DeleteItems(QList<QTreeWidgetItem*> items);

private:
    TTreeNode* Shown;
    const TLetterTreeLook* Look;
};
