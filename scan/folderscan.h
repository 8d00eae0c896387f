#pragma once

#include "diskentries.h"
#include "store/dbstatus.h"

#include <QString>

#include <memory>
#include <vector>

class FolderTree;

// One folder as the scan hands it out.
struct ScannedFolder {
    QString folderPath; // as the tree shows it: A\B\ (never empty: the root has no node)
    QString diskPath; // absolute native path, as the walk found it
    // Its catalogued files and the status of reading them, exactly as
    // listCataloguedEntries(diskPath) gives them at the moment the folder is read.
    std::vector<DiskEntry> entries;
    DbStatus status;
    // The entries of the folder that the catalogue cannot hold, with their reasons: its
    // files, and its sub-folders when the walk descended into it.
    std::vector<SkippedEntry> skipped;
};

// The folder tree and the catalogued files of each of its folders in one pass over the
// disk, for update all, which merges every folder of the tree in tree order: each folder
// is read once, its sub-folders become its (sorted) nodes and its files its listing, and
// the folders are handed out in tree order (parents before children, siblings sorted) as
// they are read. The tree that results is the one FolderTree::rebuild builds.
//
// With readAhead the folders are read on a thread of their own, up to `ahead` folders
// before they are asked for, so that reading the disk overlaps with the work on each
// folder; otherwise each is read when it is asked for. Either way the tree belongs to the
// scan until next() has returned false.
class FolderScan
{
public:
    // Empties tree and reads the root folder (on the caller's thread). The folders and
    // files are those a catalogue with these choices takes.
    FolderScan(FolderTree &tree, const QString &rootPath, bool readAhead, int ahead = 32,
        const TableChoices &choices = {});
    // Given up before the end, the scan stops after the folder it is reading; the tree
    // then holds the folders found so far.
    ~FolderScan();
    FolderScan(const FolderScan &) = delete;
    FolderScan &operator=(const FolderScan &) = delete;

    // The next folder in tree order; false, with the tree whole and sorted, after the last.
    bool next(ScannedFolder &out);
    // The status the tree's own walk would give: NotFound or IoError when the root folder
    // cannot be read or not to its end; failures further down leave those folders without
    // children. Known from construction on.
    const DbStatus &treeStatus() const { return m_treeStatus; }
    // The sub-folders of the root folder that the catalogue cannot hold (the root's own
    // files are not merged by the walk's user). Known from construction on.
    const std::vector<SkippedEntry> &rootSkipped() const;
    // The folders found so far (every node made): at the end the size of the tree.
    int foldersFound() const;

private:
    class Walker;
    struct HandOff;

    std::unique_ptr<Walker> m_walker;
    std::unique_ptr<HandOff> m_handOff; // null while reading on the caller's thread
    DbStatus m_treeStatus;
};
