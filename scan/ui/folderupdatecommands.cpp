#include "folderupdatecommands.h"

#include "app/bulkwalk.h"
#include "app/failurelist.h"
#include "browse/ui/browseviews.h"
#include "dialogs/shareddialog.h"
#include "dialogs/ui/widgethelpers.h"
#include "platform/diskpath.h"
#include "scan/foldernotes.h"
#include "scan/foldertree.h"
#include "scan/folderupdate.h"
#include "store/catalogtable.h"

#include <QApplication>
#include <QTreeWidget>

namespace
{

const QString kUpdateAllQuestion = QStringLiteral("Update all folders ?");

class TreeLocked
{
public:
    explicit TreeLocked(QWidget *tree)
        : m_tree(tree)
    {
        m_tree->setUpdatesEnabled(false);
    }
    ~TreeLocked() { m_tree->setUpdatesEnabled(true); }
    TreeLocked(const TreeLocked &) = delete;
    TreeLocked &operator=(const TreeLocked &) = delete;

private:
    QWidget *m_tree;
};

// The views after a walk: grid row and text pane on the table's current record, count.
void showResult(BrowseViews &views)
{
    views.showCurrentRecord();
    views.ShowCount();
}

} // namespace

FolderUpdateCommands::FolderUpdateCommands(
    AppState &state, BrowseViews &views, StatusPanels &panels, std::function<void()> stopViewerSync)
    : m_state(state)
    , m_views(views)
    , m_panels(panels)
    , m_stopViewerSync(std::move(stopViewerSync))
{
}

void FolderUpdateCommands::miOrdnerupdate1Click()
{
    BrowseViews *views = &m_views;
    CatalogTable *t = m_state.openTable();
    if (!t)
        return;
    FailureList failures;
    {
        const WaitCursor wait;
        if (m_state.settings.DeleteEmptyFolders == 1)
            RemoveEmptyFolders(m_state.rootPath());
        int index = views->selectedNodeIndex();
        failures.add(views->RebuildFolderTree());
        views->applyExpansionRule();
        index = qBound(0, index, qMax(0, views->nodeCount() - 1));
        // With no node the root folder's own files are shown; in description mode they
        // are merged as a selected folder's would be.
        failures.add(views->selectNodeAt(index));
        if (views->nodeCount() == 0 && m_state.descriptionMode()) {
            PathResolver resolver(m_state.rootPath());
            failures.add(UpdateFolder(*t, resolver, QString(), true));
        }
        views->tree()->setFocus();
        showResult(*views);
    }
    failures.report();
}

// One folder of update all. In description mode selecting the node has merged the folder
// already; merging it again would find nothing to change.
DbStatus FolderUpdateCommands::updateNode(const PathResolver &resolver, int index, FolderWalk &walk)
{
    BrowseViews &views = m_views;
    CatalogTable &t = *m_state.Dbf1;
    DbStatus st = views.selectNodeAt(index);
    const QString folder = views.selectedFolderPath();
    if (!st)
        return st;
    if (!m_state.descriptionMode())
        return UpdateFolder(t, resolver, folder, false, nullptr, true, &walk);
    // Selecting wrote no file; the folder's listing is taken afresh for the new file.
    resolver.forget();
    return WriteFolderDescriptions(t, resolver, folder);
}

// Every folder of the tree in turn, then the records of every file that no longer exists.
void FolderUpdateCommands::updateEveryFolder(FailureList &failures)
{
    BrowseViews &views = m_views;
    CatalogTable &t = *m_state.Dbf1;
    const BulkWalk walking(m_state);
    PathResolver resolver(m_state.rootPath());
    // The folders merged here are not listed again by the sweep; those the walk does not
    // reach (hidden ones, say) are. Without descriptions nothing is written to the disk on
    // the way, so the listings can be read a few folders ahead.
    FolderWalk walk;
    const int count = views.nodeCount();
    if (!m_state.descriptionMode()) {
        QStringList folders;
        for (int i = 0; i < count; ++i)
            folders << views.folderPathAt(i);
        walk.readAhead(resolver, folders);
    }
    for (int i = 0; i < count; ++i)
        failures.add(updateNode(resolver, i, walk));
    if (count == 0) {
        // The root folder is the one folder the archive shows.
        failures.add(views.selectNodeAt(0));
        const DbStatus st = UpdateFolder(
            t, resolver, QString(), m_state.descriptionMode(), nullptr, false, &walk);
        failures.add(st);
        if (st && m_state.descriptionMode())
            failures.add(WriteFolderDescriptions(t, resolver, QString()));
    }
    const TreeLocked locked(views.tree());
    failures.add(SweepOrphans(t, resolver, nullptr, &walk));
}

void FolderUpdateCommands::miAllUpdClick()
{
    BrowseViews *views = &m_views;
    if (!m_state.openTable())
        return;
    QString answer;
    ShowDialog(DialogKind::Confirmation, kUpdateAllQuestion, QString(), answer);
    if (answer != QLatin1String("1"))
        return;
    FailureList failures;
    {
        const WaitCursor wait;
        if (m_state.settings.DeleteEmptyFolders == 1)
            RemoveEmptyFolders(m_state.rootPath());
        failures.add(views->RebuildFolderTree());
        updateEveryFolder(failures);
        views->ShowCount();
        views->tree()->setFocus();
        failures.add(views->selectNodeAt(0));
        views->ClearSearch();
        showResult(*views);
    }
    failures.report();
}

DbStatus FolderUpdateCommands::updateCurrentFolder()
{
    CatalogTable *t = m_state.openTable();
    if (!t)
        return DbStatus::ok();
    if (m_stopViewerSync)
        m_stopViewerSync();
    const QString folder = m_panels.panelText(2);
    if (folder.isEmpty() && m_views.nodeCount() > 0)
        return DbStatus::ok();
    DbStatus st;
    {
        const BulkWalk walk(m_state);
        PathResolver resolver(m_state.rootPath());
        st = UpdateFolder(*t, resolver, folder, m_state.descriptionMode());
        if (st && m_state.descriptionMode())
            st = WriteFolderDescriptions(*t, resolver, folder);
    }
    showResult(m_views);
    return st;
}

void FolderUpdateCommands::updateFolderKey()
{
    FailureList failures;
    failures.add(updateCurrentFolder());
    failures.report();
}
