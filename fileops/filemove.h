#pragma once

#include "store/dbstatus.h"

#include <QString>

class CatalogTable;

// The file to move and where to, as the move-file window or the drop on a folder ask it.
struct FileMoveRequest {
    quint32 recno = 0; // the file's record when the move was asked for
    QString sourceFolder; // folder path of the file (its DIR, any letter case)
    QString name; // NAME
    QString destination; // folder path (A\B\) below the root folder
};

// What a file move did.
struct FileMove {
    // Ok, or the message for the user.
    DbStatus status;
    // The file lies in the destination and its record says so.
    bool moved = false;
    // Something on disk changed although the move did not end as a whole (the message says
    // what stays where).
    bool diskChanged = false;
};

// The message when destination and source are one folder.
QString sameFolderMessage();

// moveFileRecord: moves the file, with its info file, from its folder to the destination
// and rewrites DIR of its record (upper-cased destination). The record is taken by its
// number when that still holds the file, else looked up in the source folder by name (the
// move-file window keeps its request while the catalogue may change). The table is left
// without folder range on the moved record; the caller selects a folder.
//
// Refused with "File  '%s'  could not be moved !" (NAME), before anything changes, when
// the record or the file is not there, the destination is not a folder the tree shows or
// does not fit into DIR, the destination already holds a file of that name (in any letter
// case) or an info file under the info file's name (also when the file has no text of its
// own, which would take that one over), or the system refuses the move
// (another volume, file in use). The same folder on both sides gives sameFolderMessage().
// A file travels with its info file: when the info file cannot follow, or the record
// cannot be written, the moves are undone and the move fails as a whole; only when even
// that is impossible does the message say what stays where (diskChanged).
FileMove moveFileRecord(
    CatalogTable &table, const QString &rootPath, const FileMoveRequest &request);
