#include "foldertreeview.h"

#include "platform/diskpath.h"
#include "scan/foldertree.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace
{

// Items are put together before they join the tree: a parentless item adds its children
// without telling any model, so a tree of many thousand folders costs one insertion.
QTreeWidgetItem *itemOf(const FolderNode &node)
{
    auto *item = new QTreeWidgetItem(QStringList(node.name));
    QList<QTreeWidgetItem *> children;
    children.reserve(int(node.children.size()));
    for (const auto &child : node.children)
        children.append(itemOf(*child));
    item->addChildren(children);
    return item;
}

// Restores repainting however the rebuild ends.
class UpdatesOff
{
public:
    explicit UpdatesOff(QTreeWidget *tree)
        : m_tree(tree)
        , m_was(tree->updatesEnabled())
    {
        m_tree->setUpdatesEnabled(false);
    }
    ~UpdatesOff() { m_tree->setUpdatesEnabled(m_was); }
    UpdatesOff(const UpdatesOff &) = delete;
    UpdatesOff &operator=(const UpdatesOff &) = delete;

private:
    QTreeWidget *m_tree;
    bool m_was;
};

} // namespace

void fillFolderTree(QTreeWidget *tree, const FolderTree &diskTree)
{
    const UpdatesOff lock(tree);
    tree->clear();
    QList<QTreeWidgetItem *> top;
    top.reserve(int(diskTree.root().children.size()));
    for (const auto &child : diskTree.root().children)
        top.append(itemOf(*child));
    tree->addTopLevelItems(top);
}

void applyExpansionRule(QTreeWidget *tree, bool collapsed)
{
    if (collapsed)
        tree->collapseAll();
    else
        tree->expandAll();
}

QString folderPathOfNode(const QTreeWidgetItem *item)
{
    QString path;
    for (; item; item = item->parent())
        path.prepend(item->text(0) + QLatin1Char('\\'));
    return path;
}

QTreeWidgetItem *nodeAt(const QTreeWidget *tree, int index)
{
    if (index < 0)
        return nullptr;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(tree)); *it; ++it)
        if (index-- == 0)
            return *it;
    return nullptr;
}

QTreeWidgetItem *findNode(const QTreeWidget *tree, const QString &folderPath)
{
    const QStringList names = folderPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (names.isEmpty())
        return nullptr;
    QTreeWidgetItem *found = nullptr;
    const int topCount = tree->topLevelItemCount();
    for (int i = 0; i < topCount && !found; ++i)
        if (diskpath::sameDiskName(tree->topLevelItem(i)->text(0), names.first()))
            found = tree->topLevelItem(i);
    for (int level = 1; found && level < names.size(); ++level) {
        QTreeWidgetItem *parent = found;
        found = nullptr;
        for (int i = 0; i < parent->childCount() && !found; ++i)
            if (diskpath::sameDiskName(parent->child(i)->text(0), names[level]))
                found = parent->child(i);
    }
    return found;
}

FolderNodeIndex::FolderNodeIndex(QTreeWidget *tree)
    : QObject(tree)
    , m_tree(tree)
{
    QAbstractItemModel *model = tree->model();
    const auto invalidate = [this] {
        m_valid = false;
        m_items.clear();
        m_index.clear();
    };
    // Before as well as after: between the two the cached items may already be gone.
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, invalidate);
    connect(model, &QAbstractItemModel::rowsRemoved, this, invalidate);
    connect(model, &QAbstractItemModel::rowsInserted, this, invalidate);
    connect(model, &QAbstractItemModel::rowsMoved, this, invalidate);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, invalidate);
    connect(model, &QAbstractItemModel::modelReset, this, invalidate);
    connect(model, &QAbstractItemModel::layoutChanged, this, invalidate);
}

void FolderNodeIndex::ensure() const
{
    if (m_valid)
        return;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        m_index.insert(*it, int(m_items.size()));
        m_items.push_back(*it);
    }
    m_valid = true;
}

int FolderNodeIndex::count() const
{
    ensure();
    return int(m_items.size());
}

QTreeWidgetItem *FolderNodeIndex::at(int index) const
{
    ensure();
    return index >= 0 && index < int(m_items.size()) ? m_items[size_t(index)] : nullptr;
}

int FolderNodeIndex::indexOf(const QTreeWidgetItem *item) const
{
    ensure();
    return m_index.value(item, -1);
}
