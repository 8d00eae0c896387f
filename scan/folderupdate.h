#pragma once

#include "store/catalogtable.h"

#include <QString>

class PathResolver;

// Merging the disk into the catalogue, one folder at a time.
struct FolderUpdateStats {
    int appended = 0;
    int refreshed = 0;
    int deleted = 0;
    int notesSet = 0;
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
DbStatus UpdateFolder(CatalogTable &table, const PathResolver &resolver,
                      const QString &folderPath, bool descriptions,
                      FolderUpdateStats *stats = nullptr, bool listingsCurrent = false);

// The last step of updating everything: over the whole table in physical order, the
// records whose file no longer exists are marked deleted (and counted). Records of
// folders that the tree does not show stay as long as their files exist. The order in
// force and the range of the current folder are applied again at the end. The resolver's
// listings are forgotten first.
DbStatus SweepOrphans(CatalogTable &table, const PathResolver &resolver, int *deleted = nullptr);
