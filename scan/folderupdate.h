#pragma once

#include "diskentries.h"
#include "store/catalogtable.h"

#include <QString>

#include <QStringList>

#include <algorithm>
#include <memory>
#include <vector>

class PathResolver;

// Merging the disk into the catalogue, one folder at a time.
struct FolderUpdateStats {
    int appended = 0;
    int refreshed = 0;
    int deleted = 0;
    int notesSet = 0;
};

// One walk of the folder update over many folders (update all): the records that its
// folder updates compared with the disk or added, by record number, so that the orphan
// sweep that ends the walk need not look at them again; and, when the folders are known
// in advance, their listings read ahead on a thread of their own. Valid for one walk only:
// record numbers change with a pack.
class FolderWalk
{
public:
    FolderWalk();
    ~FolderWalk();
    FolderWalk(const FolderWalk &) = delete;
    FolderWalk &operator=(const FolderWalk &) = delete;

    // The folders (tree form, A\B\) that the walk will update, in this order: their
    // listings are taken a few folders ahead. For walks that change nothing on the disk
    // while they go (descriptions are not written).
    void readAhead(const PathResolver &resolver, const QStringList &folderPaths);
    // The listing of the absolute folder path when it was read ahead.
    bool takeListing(const QString &folder, std::vector<DiskEntry> &out, DbStatus &status);

    void add(quint32 recno)
    {
        if (recno >= m_seen.size())
            m_seen.resize(std::max<size_t>(size_t(recno) + 1, m_seen.size() * 2));
        m_seen[recno] = true;
    }
    bool contains(quint32 recno) const { return recno < m_seen.size() && m_seen[recno]; }

private:
    std::vector<bool> m_seen;
    std::unique_ptr<ListingReadAhead> m_ahead;
};

// Merges the files of one folder into the catalogue table: files without a record get
// one, changed files get date and size text again, records whose file has gone are
// marked deleted (and counted in DeletedCount), and with descriptions on the notes of
// the folder's Descript.ion become the records' notes (the last line naming a file wins).
//
// folderPath is the folder path as the tree shows it (A\B\, empty for the root folder).
// The folder's range is applied; the tag filter is switched off; the views are detached
// for the run and attached once at the end, with the folder's first record current.
//
// A folder that cannot be read, or a Descript.ion that cannot be read, stops the update
// before anything is changed (IoError naming it): its files are not taken for gone.
// A folder that does not exist loses the records of all its files.
//
// The resolver's folder listings are forgotten first, unless listingsCurrent says that
// the caller forgot them at the start of a walk over many folders that renames nothing.
// Given the walk it belongs to, the update takes the folder's listing from the walk when
// it was read ahead, and when it succeeds the folder's records (those it kept and those it
// added) go into the walk.
DbStatus UpdateFolder(CatalogTable &table, const PathResolver &resolver, const QString &folderPath,
    bool descriptions, FolderUpdateStats *stats = nullptr, bool listingsCurrent = false,
    FolderWalk *walk = nullptr);

// The last step of updating everything: over the whole table in physical order, the
// records whose file no longer exists are marked deleted (and counted). Records of
// folders that the tree does not show stay as long as their files exist. The records that
// the walk's folder updates merged with the disk are taken as they are. The order in
// force and the range of the current folder are applied again at the end. The resolver's
// listings are forgotten first.
DbStatus SweepOrphans(CatalogTable &table, const PathResolver &resolver, int *deleted = nullptr,
    const FolderWalk *walk = nullptr);
