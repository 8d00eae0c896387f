#pragma once

#include "folderupdate.h"
#include "store/dbstatus.h"

#include <QString>
#include <QStringList>

class CatalogTable;
class FolderTree;
class Progress;

// The failures of a command that goes on after one: the first is kept, and the messages
// of the first MaxKept for a report that lists them; the rest are only counted.
class UpdateFailures
{
public:
    // Ok statuses are ignored.
    void add(const DbStatus &status);
    void add(const UpdateFailures &others);
    bool isEmpty() const { return m_count == 0; }
    int count() const { return m_count; }
    const DbStatus &first() const { return m_first; }
    static constexpr int MaxKept = 1000;
    const QStringList &messages() const { return m_messages; }
    // What the user is told: the first failure's text, followed on a line of its own by
    // the number of the others when there are any. Empty when nothing failed.
    QString message() const;

private:
    DbStatus m_first;
    int m_count = 0;
    QStringList m_messages;
};

// What update all needs to know of the archive.
struct UpdateAllSettings {
    QString rootPath; // absolute root folder
    bool descriptions = false; // folderInfoMode non-zero: Descript.ion read and rewritten
    bool deleteEmptyFolders = false; // deleteEmptyFolders 1: empty folders removed first
};

struct UpdateAllReport {
    FolderUpdateStats folders; // summed over the folder updates; its skipped holds every
                               // entry of the tree the catalogue cannot hold
    int foldersUpdated = 0; // folders merged without failure
    int orphansDeleted = 0; // records of files no folder update reached (counted in deleted)
    int emptyFoldersRemoved = 0;
    UpdateFailures failures;
    // Stopped through its progress: the folders before foldersDone were merged, the rest
    // and the orphan sweep were not (the next update all does them).
    bool cancelled = false;
    int foldersDone = 0; // folders the walk came to, merged or left out
    int foldersFound = 0; // folders the walk had found when it ended
};

// Update all, without any view: brings the whole catalogue up to date with the disk.
// The table must be open; rootPath is the folder it catalogues.
//   1. With deleteEmptyFolders, the empty folders below the root are removed.
//   2. tree is rebuilt from the disk below the root (sorted; the walk's failure is
//      collected, and the folders it could read are still updated), and every folder of
//      it, in tree order (parents before children), is merged with the disk by
//      updateFolder; with descriptions its Descript.ion is read for the notes and, when the
//      merge succeeded, rewritten from the records' notes. Both go in one pass over the
//      disk (FolderScan): each folder is read once, for its node and for its files. The root
//      folder's own files are not merged, also while the tree has no node.
//   3. The orphan sweep: over the whole table, the records whose file no longer exists
//      are marked deleted (records of folders the tree does not show stay while their
//      files exist); the records the folder updates merged are not looked at again.
// Entries the catalogue cannot hold (see judgeName: files of the folders merged, and
// folders below the root) are left out and collected with their reasons in the report's
// folders.skipped; a folder whose path DIR cannot hold is one such entry, and nothing below
// it is merged or reported. None of them is a failure.
// A root folder that does not exist (a drive not there) changes nothing: the failure is
// reported and no record is touched. A failing folder does not stop the walk: each
// failure is collected in the report's failures, and the rest is still done. The views of
// the table stay detached for the whole run (each folder update's own attach is nested
// in it); the tag filter is switched off. Afterwards the order in force is set again and
// the table is restricted to the tree's first folder (the root folder's own records when
// the tree has no node), at its first record. table.deletedCount grows by every record
// deleted. The caller shows the tree and selects its first node.
//   progress, when given, hears before each folder the folders done of those found so far
// (the walk finds them as it goes). When it asks to stop, the walk stops there, between two
// folders: the folders merged stay merged, the orphan sweep is left out, the tree is built
// whole from the disk (without the files), and the rest of the above holds (cancelled set).
UpdateAllReport updateAll(CatalogTable &table, FolderTree &tree, const UpdateAllSettings &settings,
    Progress *progress = nullptr);
