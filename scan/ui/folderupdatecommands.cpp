#include "folderupdatecommands.h"

#include "dialogs/shareddialog.h"
#include "dialogs/ui/widgethelpers.h"
#include "platform/diskpath.h"
#include "scan/foldernotes.h"
#include "scan/foldertree.h"
#include "scan/folderupdate.h"
#include "scan/updateall.h"
#include "state/bulkwalk.h"
#include "store/catalogtable.h"
#include "views/ui/progresswindow.h"

#include <QCoreApplication>
#include <QTreeWidget>

namespace
{

// Failures and skipped entries are shown once the views are whole again, in one box.
void report(const UpdateFailures &failures, const SkippedEntries &skipped = SkippedEntries())
{
    if (failures.isEmpty() && skipped.isEmpty())
        return;
    QStringList parts;
    for (const QString &part : { failures.message(), skipped.message() })
        if (!part.isEmpty())
            parts << part;
    showDialog(failures.isEmpty() ? DialogKind::Warning : DialogKind::Error,
        parts.join(QLatin1Char('\r')));
}

// The views after a walk: grid row and text pane on the table's current record, count.
void showResult(ViewsPort &views)
{
    views.showCurrentRecord();
    views.showCount();
}

} // namespace

FolderUpdateCommands::FolderUpdateCommands(
    AppState &state, ViewsPort &views, StatusPanels &panels, std::function<void()> stopViewerSync)
    : m_state(state)
    , m_views(views)
    , m_panels(panels)
    , m_stopViewerSync(std::move(stopViewerSync))
{
}

void FolderUpdateCommands::updateFolder()
{
    CatalogTable *t = m_state.openTable();
    if (!t)
        return;
    UpdateFailures failures;
    FolderUpdateStats stats;
    {
        const WaitCursor wait;
        if (m_state.settings.deleteEmptyFolders == 1)
            removeEmptyFolders(m_state.rootPath(), t->choices());
        int index = m_views.selectedNodeIndex();
        failures.add(m_views.rebuildFolderTree());
        m_views.applyExpansionRule();
        index = qBound(0, index, qMax(0, m_views.nodeCount() - 1));
        // With no node the root folder's own files are shown; in description mode they
        // are merged as a selected folder's would be.
        failures.add(m_views.selectNodeAt(index));
        if (m_views.nodeCount() == 0 && m_state.descriptionMode()) {
            PathResolver resolver(m_state.rootPath());
            failures.add(::updateFolder(*t, resolver, QString(), true, &stats));
        }
        m_views.tree()->setFocus();
        showResult(m_views);
    }
    report(failures, stats.skipped);
}

// The walk with the views detached, then the views once: the tree filled from the walk's
// tree with every branch expanded (the walk went through every folder), the first node
// selected, the search cleared. followCurrentRecord is set again before the views are
// attached, so that the text pane shows the record they end on.
// A run stopped through its progress window shows the tree as the disk has it (collapsed
// as the settings say) with what was merged, and says so in status panel 0.
UpdateFailures FolderUpdateCommands::updateAllAndShow(CatalogTable &t, SkippedEntries &skipped)
{
    const DetachedViews detached(t);
    UpdateFailures failures;
    UpdateAllReport result;
    {
        const BulkWalk walk(m_state);
        FolderTree tree;
        const UpdateAllSettings settings { m_state.rootPath(), m_state.descriptionMode(),
            m_state.settings.deleteEmptyFolders == 1 };
        {
            ProgressWindow progress(m_views.tree()->window(),
                QCoreApplication::translate("Progress", "Updating all folders"),
                QCoreApplication::translate("Progress", "folders"));
            result = ::updateAll(t, tree, settings, &progress);
        }
        failures = result.failures;
        skipped = std::move(result.folders.skipped);
        m_views.showFolderTree(tree);
        if (result.cancelled)
            m_views.applyExpansionRule();
        else
            m_views.expandEveryNode();
        m_views.showCount();
    }
    m_views.tree()->setFocus();
    failures.add(m_views.selectNodeAt(0));
    m_views.clearSearch();
    if (result.cancelled)
        m_panels.setPanelText(0,
            QCoreApplication::translate("Progress", "Update all cancelled after %1 of %2 folders")
                .arg(result.foldersDone)
                .arg(result.foldersFound));
    return failures;
}

void FolderUpdateCommands::updateAll()
{
    CatalogTable *t = m_state.openTable();
    if (!t)
        return;
    if (showDialog(DialogKind::Confirmation,
            QCoreApplication::translate("FolderUpdateCommands", "Update all folders ?"))
        != QLatin1String("1"))
        return;
    UpdateFailures failures;
    SkippedEntries skipped;
    {
        const WaitCursor wait;
        failures = updateAllAndShow(*t, skipped);
        showResult(m_views);
    }
    report(failures, skipped);
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
    FolderUpdateStats stats;
    {
        const BulkWalk walk(m_state);
        PathResolver resolver(m_state.rootPath());
        {
            ProgressWindow progress(m_views.tree()->window(),
                QCoreApplication::translate("Progress", "Updating the folder"),
                QCoreApplication::translate("Progress", "records"));
            st = ::updateFolder(
                *t, resolver, folder, m_state.descriptionMode(), &stats, false, nullptr, &progress);
        }
        if (st && m_state.descriptionMode())
            st = writeFolderDescriptions(*t, resolver, folder);
    }
    showResult(m_views);
    if (st.code() == DbStatus::Cancelled) {
        // What was merged stays; the next update of the folder does the rest.
        m_panels.setPanelText(
            0, QCoreApplication::translate("Progress", "Folder update cancelled"));
        return DbStatus::ok();
    }
    if (st)
        report(UpdateFailures(), stats.skipped);
    return st;
}
