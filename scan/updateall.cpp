#include "updateall.h"

#include "foldernotes.h"
#include "folderscan.h"
#include "foldertree.h"

#include "platform/diskpath.h"
#include "store/catalogtable.h"
#include "store/progress.h"

#include <QCoreApplication>
#include <QFile>

namespace
{

// One folder of the walk; with descriptions a Descript.ion that could not be read is
// never rewritten.
DbStatus updateFolder(CatalogTable &table, const PathResolver &resolver, const QString &folder,
    bool descriptions, FolderWalk &walk, UpdateAllReport &report)
{
    DbStatus st = updateFolder(
        table, resolver, folder, descriptions, &report.folders, !descriptions, &walk);
    if (st && descriptions) {
        // The folder's listing is taken afresh for the new file.
        resolver.forget();
        st = writeFolderDescriptions(table, resolver, folder);
    }
    if (st)
        ++report.foldersUpdated;
    return st;
}

// A folder whose path DIR cannot hold, as an entry of its parent.
SkippedEntry pathTooLong(const QString &diskPath, bool unicode)
{
    const int slash = int(diskPath.lastIndexOf(QLatin1Char('/')));
    return { diskPath.left(slash), QFile::encodeName(diskPath.mid(slash + 1)), true,
        unicode ? SkipReason::PathTooLongInBytes : SkipReason::PathTooLong };
}

} // namespace

void UpdateFailures::add(const DbStatus &status)
{
    if (status)
        return;
    if (m_count++ == 0)
        m_first = status;
    if (m_messages.size() < MaxKept)
        m_messages << status.message();
}

void UpdateFailures::add(const UpdateFailures &others)
{
    if (others.isEmpty())
        return;
    if (m_count == 0)
        m_first = others.m_first;
    m_count += others.m_count;
    m_messages += others.m_messages.mid(0, qMax(0, MaxKept - int(m_messages.size())));
}

QString UpdateFailures::message() const
{
    if (m_count == 0)
        return {};
    QString text = m_first.message();
    if (text.isEmpty())
        text = QCoreApplication::translate("Scan", "The catalogue could not be updated !");
    if (m_count > 1)
        text += QCoreApplication::translate("Scan", "\r%1 more folders could not be updated.")
                    .arg(m_count - 1);
    return text;
}

UpdateAllReport updateAll(
    CatalogTable &table, FolderTree &tree, const UpdateAllSettings &settings, Progress *progress)
{
    UpdateAllReport report;
    const TableChoices &choices = table.choices();
    if (settings.deleteEmptyFolders)
        report.emptyFoldersRemoved = removeEmptyFolders(settings.rootPath, choices);

    // The views stay detached for the whole run however it ends: each folder update
    // attaches them only as far as its own detach went.
    const DetachedViews detached(table);
    const PathResolver resolver(settings.rootPath);
    FolderWalk walk;
    QString first;
    {
        // Without descriptions nothing is written to the disk on the way, so the folders
        // can be read a few folders ahead.
        FolderScan scan(tree, settings.rootPath, !settings.descriptions, 32, choices);
        report.failures.add(scan.treeStatus());
        // Without the root folder every file would count as gone (a drive not there):
        // nothing is changed.
        if (scan.treeStatus().code() == DbStatus::NotFound)
            return report;
        report.folders.skipped.add(std::vector<SkippedEntry>(scan.rootSkipped()));
        ScannedFolder folder;
        QString tooLong; // the last folder left out for its path: what lies below goes with it
        for (int &done = report.foldersDone; scan.next(folder); ++done) {
            report.foldersFound = scan.foldersFound();
            if (!proceed(progress, done, report.foldersFound)) {
                report.cancelled = true;
                break;
            }
            if (done == 0)
                first = folder.folderPath;
            if (!tooLong.isEmpty() && folder.folderPath.startsWith(tooLong))
                continue;
            if (!folderPathFits(folder.folderPath, choices.codec())) {
                tooLong = folder.folderPath;
                report.folders.skipped.add(pathTooLong(folder.diskPath, choices.unicode));
                continue;
            }
            report.folders.skipped.add(std::move(folder.skipped));
            walk.supply(
                folder.folderPath, folder.diskPath, std::move(folder.entries), folder.status);
            report.failures.add(updateFolder(
                table, resolver, folder.folderPath, settings.descriptions, walk, report));
        }
    }
    if (report.cancelled) {
        // The scan stopped with the tree half read: it is read again, folders only. The
        // first folder stays the one shown.
        report.failures.add(tree.rebuild(settings.rootPath));
        const std::vector<const FolderNode *> nodes = tree.nodesInOrder();
        first = nodes.empty() ? QString() : folderPathOfNode(nodes.front());
    } else {
        // The root folder's own files are never catalogued here, also with no folder
        // below it (they include the catalogue's own table and index): the sweep alone
        // runs then.
        report.failures.add(sweepOrphans(table, resolver, &report.orphansDeleted, &walk));
        report.folders.deleted += report.orphansDeleted;
        report.foldersFound = report.foldersDone;
    }
    DbStatus shown = table.setFolderRange(first);
    if (shown)
        shown = table.table().first();
    report.failures.add(shown);
    return report;
}
