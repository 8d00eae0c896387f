#include "browseviews.h"

#include "browse/catalogmodel.h"
#include "browse/statustext.h"
#include "dialogs/regional.h"
#include "dialogs/shareddialog.h"
#include "dialogs/ui/errorbox.h"
#include "dialogs/ui/widgethelpers.h"
#include "platform/diskpath.h"
#include "scan/foldertree.h"
#include "scan/folderupdate.h"
#include "scan/infofile.h"
#include "state/bulkwalk.h"
#include "store/catalogtable.h"
#include "views/ui/foldertreeview.h"
#include "views/ui/progresswindow.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTreeWidget>

namespace
{
// Keeps the first failure of a sequence of steps that must all run.
void keepFirst(DbStatus &first, const DbStatus &next)
{
    if (first && !next)
        first = next;
}

} // namespace

BrowseViews::BrowseViews(
    AppState &state, const MainViews &views, StatusPanels &panels, CommandPort &commands)
    : m_state(state)
    , m_panels(panels)
    , m_commands(commands)
    , m_tree(views.tree)
    , m_grid(views.grid)
    , m_textPane(views.textPane)
{
    setObjectName(QStringLiteral("BrowseViews"));
    m_model = new CatalogModel(table(), this);
    m_model->setDateFormatter([](const QDate &d) { return regional::formatDate(d); });
    // Before the views are connected: a new model brings a new selection model.
    m_grid->setModel(m_model);
    m_resolver = std::make_unique<PathResolver>(rootPath());
    m_nodes = new FolderNodeIndex(m_tree);
    connectViews();
}

BrowseViews::~BrowseViews() = default;

CatalogTable *BrowseViews::table() const
{
    return m_state.catalog;
}

QString BrowseViews::rootPath() const
{
    return m_state.rootPath();
}

DbStatus BrowseViews::rebuildFolderTree()
{
    const WaitCursor wait;
    FolderTree tree;
    const DbStatus st = tree.rebuild(rootPath(), choices());
    showFolderTree(tree);
    return st;
}

void BrowseViews::showFolderTree(const FolderTree &tree)
{
    m_panels.setPanelText(2, QString());
    {
        // The tree's own selection changes while it is emptied select no folder.
        const QScopedValueRollback<bool> quiet(m_selecting, true);
        fillFolderTree(m_tree, tree);
    }
    emit treeRebuilt();
}

TableChoices BrowseViews::choices() const
{
    return table() ? table()->choices() : TableChoices();
}

DbStatus BrowseViews::ensureFolderAndRebuild(const QString &relativePath)
{
    DbStatus st = ensureFolderOnDisk(rootPath(), diskpath::fromTyped(relativePath), choices());
    keepFirst(st, rebuildFolderTree());
    applyExpansionRule();
    return st;
}

void BrowseViews::applyExpansionRule()
{
    ::applyExpansionRule(m_tree, m_state.settings.folderListCollapsed != 0);
}

void BrowseViews::expandEveryNode()
{
    ::applyExpansionRule(m_tree, false);
}

int BrowseViews::nodeCount() const
{
    return m_nodes->count();
}

int BrowseViews::selectedNodeIndex() const
{
    return m_nodes->indexOf(m_tree->currentItem());
}

QString BrowseViews::selectedFolderPath() const
{
    return folderPathOfNode(m_tree->currentItem());
}

QString BrowseViews::folderPathAt(int index) const
{
    const QTreeWidgetItem *item = m_nodes->at(index);
    return item ? folderPathOfNode(item) : QString();
}

DbStatus BrowseViews::selectNodeAt(int index)
{
    QTreeWidget *tree = m_tree;
    if (tree->topLevelItemCount() == 0)
        return showRootFolder();
    QTreeWidgetItem *item = m_nodes->at(index);
    if (!item)
        return { DbStatus::InvalidArgument, tr("No folder at position %1").arg(index) };
    {
        const QScopedValueRollback<bool> quiet(m_selecting, true);
        tree->setCurrentItem(item);
    }
    tree->scrollToItem(item);
    return selectFolder();
}

DbStatus BrowseViews::selectFolderPath(const QString &folderPath)
{
    QTreeWidgetItem *item = findNode(m_tree, folderPath);
    if (!item)
        return { DbStatus::NotFound, tr("Folder  '%1'  not found").arg(folderPath) };
    return selectNodeAt(m_nodes->indexOf(item));
}

// The records shown are those of one folder: their info files are looked for in it
// directly. The folder path in the tree's letter case is the disk's, so finding the folder
// costs a look at each of its components instead of a listing of each (which the
// upper-cased DIR would take).
void BrowseViews::showingFolder(const QString &folderPath)
{
    m_folder = std::make_unique<PathResolver>(m_resolver->resolve(folderPath));
    const TextCodec &codec = table() ? table()->codec() : TextCodec::windows1252();
    m_folderDir = codec.toUnicode(CatalogTable::folderKey(folderPath, codec));
}

// While the tree has no nodes the root folder stands for the selection.
DbStatus BrowseViews::showRootFolder()
{
    m_panels.setPanelText(2, QString());
    m_resolver->forget();
    showingFolder(QString());
    CatalogTable *t = table();
    if (!t || !t->isOpen())
        return DbStatus::ok();
    const DetachedViews detached(*t);
    return t->setFolderRange(QString());
}

DbStatus BrowseViews::selectFolder()
{
    QTreeWidgetItem *item = m_tree->currentItem();
    if (!item)
        return m_tree->topLevelItemCount() == 0 ? showRootFolder() : DbStatus::ok();
    const QString path = folderPathOfNode(item);
    m_panels.setPanelText(2, path);
    emit folderSelected(path);
    CatalogTable *t = table();
    if (!t || !t->isOpen())
        return DbStatus::ok();
    m_resolver->forget();
    showingFolder(path);
    DbStatus st;
    const bool descriptions = m_state.descriptionMode();
    {
        // One repaint of the grid for range and update together, at the outermost attach.
        const DetachedViews detached(*t);
        st = t->setFolderRange(path);
        if (st && descriptions)
            st = updateFolder(*t, *m_resolver, path, true);
    }
    if (descriptions)
        showCount();
    return st;
}

void BrowseViews::showCount()
{
    const CatalogTable *t = table();
    const qint64 physical = t && t->isOpen() ? t->table().physicalCount() : 0;
    m_panels.setPanelText(3, statustext::recordCount(physical, t ? t->deletedCount : 0));
}

void BrowseViews::clearSearch()
{
    m_commands.setCommandEnabled(Command::ClearSearch, false);
    emit searchCleared();
    m_panels.setPanelText(0, regional::longDate(regional::today()));
}

void BrowseViews::loadCurrentText()
{
    const AppState &state = m_state;
    // A text being typed into the pane must not be replaced by the file's old text.
    if (!state.followCurrentRecord || state.mode == UiMode::TextEdit)
        return;
    QStringList lines;
    m_textStatus = DbStatus::ok();
    const CatalogTable *t = table();
    if (t && t->isOpen() && t->table().recNo() > 0) {
        const QString dir = t->text(CatalogTable::DIR);
        const QString name = t->text(CatalogTable::NAME);
        const QString path = m_folder && dir == m_folderDir
            ? m_folder->resolve(infofile::infoFileRelative(QString(), name))
            : infofile::infoFilePath(*m_resolver, dir, name);
        const DbStatus st = infofile::readInfoFile(path, lines);
        if (!st && st.code() != DbStatus::NotFound)
            m_textStatus = st;
    }
    // A text that could not be read (too large, unreadable, no regular file) is not shown
    // as an empty pane, which would look like no text at all: the pane says why instead.
    // Text edit mode is refused while it does, so this line is never saved over the file.
    m_textPane->setPlainText(m_textStatus ? lines.join(QLatin1Char('\n')) : m_textStatus.message());
    emit currentRecordShown();
}

DbStatus BrowseViews::showArchive()
{
    const Settings &s = m_state.settings;
    m_resolver = std::make_unique<PathResolver>(rootPath());
    m_folder.reset();
    const WaitCursor wait;
    if (s.deleteEmptyFolders == 1)
        removeEmptyFolders(rootPath(), choices());
    DbStatus st = rebuildFolderTree();
    CatalogTable *t = table();
    if (t && t->isOpen()) {
        t->table().first();
        markOrderTitle(t->orderName().toInt());
    }
    applyExpansionRule();
    // Selecting reads the folder's rows; with no node the root folder's own are shown.
    keepFirst(st, selectNodeAt(0));
    m_tree->setFocus();
    m_panels.setPanelText(1, shortenLeft(s.rootPath.isEmpty() ? rootPath() : s.rootPath));
    showCount();
    clearSearch();
    return st;
}

void BrowseViews::expandAll()
{
    QTreeWidget *tree = m_tree;
    if (tree->topLevelItemCount() == 0)
        return;
    tree->expandAll();
    if (tree->currentItem())
        tree->scrollToItem(tree->currentItem());
}

DbStatus BrowseViews::collapseAll()
{
    QTreeWidget *tree = m_tree;
    if (tree->topLevelItemCount() == 0)
        return DbStatus::ok();
    tree->collapseAll();
    // Scrolling a node inside a collapsed branch into view would open the branch again;
    // its top-level ancestor is where it now shows.
    QTreeWidgetItem *shown = tree->currentItem();
    while (shown && shown->parent())
        shown = shown->parent();
    if (shown)
        tree->scrollToItem(shown);
    return selectNodeAt(0);
}

DbStatus BrowseViews::reorganize()
{
    CatalogTable *t = m_state.openTable();
    if (!t)
        return DbStatus::ok();
    DbStatus st;
    bool cancelled = false;
    {
        // Held over the whole command: the grid reads its rows once, from the folder
        // selected at the end, instead of the whole table after the pack.
        const BulkWalk walk(m_state);
        t->switchTagFilterOff();
        {
            ProgressWindow progress(m_tree->window(),
                QCoreApplication::translate("Progress", "Reorganising the catalogue"),
                QCoreApplication::translate("Progress", "records"));
            st = t->packStep(&progress);
        }
        // Stopped before the table was replaced: it is as it was, and so are the folders.
        cancelled = st.code() == DbStatus::Cancelled;
        if (cancelled)
            st = DbStatus::ok();
        else if (st)
            m_state.settings.deletedCount = 0;
        if (!cancelled && m_state.settings.deleteEmptyFolders == 1)
            removeEmptyFolders(rootPath(), choices());
        keepFirst(st, rebuildFolderTree());
        applyExpansionRule();
        keepFirst(st, selectNodeAt(0));
    }
    m_tree->setFocus();
    showCount();
    emit reorganised();
    if (cancelled)
        m_panels.setPanelText(
            0, QCoreApplication::translate("Progress", "Reorganisation cancelled"));
    // The pane showed a record of before the pack; the current one is another.
    loadCurrentText();
    return st;
}

DbStatus BrowseViews::switchIndex()
{
    CatalogTable *t = m_state.openTable();
    return t ? t->switchOrder(0) : DbStatus::ok();
}
