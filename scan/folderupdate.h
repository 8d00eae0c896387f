#pragma once

#include "diskentries.h"
#include "store/catalogtable.h"

#include <QString>

#include <algorithm>
#include <vector>

class PathResolver;
class Progress;

// Merging the disk into the catalogue, one folder at a time.
struct FolderUpdateStats {
    int appended = 0;
    int refreshed = 0;
    int deleted = 0;
    int notesSet = 0;
    // The entries of the folders merged that the catalogue cannot hold (see judgeName).
    SkippedEntries skipped;
};

// One walk of the folder update over many folders (update all): the records that its
// folder updates compared with the disk or added, by record number, so that the orphan
// sweep that ends the walk need not look at them again; and the listing of the folder the
// walk updates next, when the walk has read it already (it reads every folder once, for the
// tree and for its files). Valid for one walk only: record numbers change with a pack.
class FolderWalk
{
public:
    // The listing of folderPath (as the tree shows it), read from diskPath with this
    // status: the next updateFolder of that folder takes it instead of listing the folder.
    void supply(const QString &folderPath, const QString &diskPath, std::vector<DiskEntry> entries,
        const DbStatus &status);
    // The supplied listing when it is folderPath's; false (nothing taken) otherwise.
    bool takeListing(const QString &folderPath, QString &diskPath, std::vector<DiskEntry> &out,
        DbStatus &status);

    void add(quint32 recno)
    {
        if (recno >= m_seen.size())
            m_seen.resize(std::max<size_t>(size_t(recno) + 1, m_seen.size() * 2));
        m_seen[recno] = true;
    }
    bool contains(quint32 recno) const { return recno < m_seen.size() && m_seen[recno]; }

private:
    std::vector<bool> m_seen;
    bool m_supplied = false;
    QString m_folderPath, m_diskPath;
    std::vector<DiskEntry> m_entries;
    DbStatus m_status;
};

// True when DIR can hold the folder path (as the tree shows it, A\B\) in the table's
// encoding.
bool folderPathFits(const QString &folderPath, const TextCodec &codec = TextCodec::windows1252());

// Merges the files of one folder into the catalogue table: files without a record get
// one, changed files get date and size text again, records whose file has gone are
// marked deleted (and counted in deletedCount), and with descriptions on the notes of
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
// the walk supplied it (a folder not found there is looked for by its catalogue path once
// more: it may have been renamed in letter case meanwhile); when it succeeds the folder's
// records (those it kept and those it added) go into the walk. The entries the catalogue
// cannot hold go into the stats' skipped when the update lists the folder itself; the
// walk's user reports those of the listings it supplied.
// progress, when given, hears the files merged and records looked at of all, every few
// thousand (a large folder), and may stop the update between two of them (Cancelled): what
// was merged stays, records of files gone stay until the next update.
DbStatus updateFolder(CatalogTable &table, const PathResolver &resolver, const QString &folderPath,
    bool descriptions, FolderUpdateStats *stats = nullptr, bool listingsCurrent = false,
    FolderWalk *walk = nullptr, Progress *progress = nullptr);

// The last step of updating everything: over the whole table in physical order, the
// records whose file no longer exists are marked deleted (and counted). Records of
// folders that the tree does not show stay as long as their files exist. The records that
// the walk's folder updates merged with the disk are taken as they are. The order in
// force and the range of the current folder are applied again at the end. The resolver's
// listings are forgotten first.
DbStatus sweepOrphans(CatalogTable &table, const PathResolver &resolver, int *deleted = nullptr,
    const FolderWalk *walk = nullptr);
