#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <vector>

class FolderTree;
class QTreeWidget;
class QTreeWidgetItem;

// The folder tree widget as a mirror of the disk tree (scan/foldertree.h): one item per
// folder node, the item's text being the folder's name as the disk reports it. Item
// positions are counted as absolute indexes: every node in display order (parents before
// children, collapsed branches included), the first top-level node being 0.

// Empties the tree and fills it with the nodes of diskTree, in diskTree's order (which is
// already sorted). Repainting is off meanwhile.
void fillFolderTree(QTreeWidget *tree, const FolderTree &diskTree);

// collapsed: every node collapsed; otherwise every node expanded.
void applyExpansionRule(QTreeWidget *tree, bool collapsed);

// The item's folder path: its text and its ancestors' texts, top level first, each
// followed by a backslash (A\B\C\). Empty for null.
QString folderPathOfNode(const QTreeWidgetItem *item);

// The node at an absolute index, found by a walk from the top; null when there is none.
// Walks over many nodes go through a FolderNodeIndex instead.
QTreeWidgetItem *nodeAt(const QTreeWidget *tree, int index);
// The node whose folder path equals folderPath without regard to case; null when none.
QTreeWidgetItem *findNode(const QTreeWidget *tree, const QString &folderPath);

// The nodes of one tree by absolute index, kept until the tree's structure changes: a walk
// over every node by index then costs one pass over the tree instead of one per node.
// Lives as a child of the tree.
class FolderNodeIndex : public QObject
{
public:
    explicit FolderNodeIndex(QTreeWidget *tree);

    int count() const;
    QTreeWidgetItem *at(int index) const; // null when there is none
    int indexOf(const QTreeWidgetItem *item) const; // -1 for null or a foreign item

private:
    void ensure() const;

    QTreeWidget *m_tree;
    mutable std::vector<QTreeWidgetItem *> m_items;
    mutable QHash<const QTreeWidgetItem *, int> m_index;
    mutable bool m_valid = false;
};
