#pragma once

#include "store/dbstatus.h"

#include <QString>

class CatalogTable;

// Folder paths as the user types them for a new or renamed folder (relative to the root
// folder, "\" or "/" between the levels).
namespace typedfolder
{

// A typed path may have this many characters, counted before the closing backslash.
constexpr int kMaxLength = 80;
bool tooLong(const QString &typed);

// The folder path of a typed text: "/" read as "\", empty levels dropped, a closing
// backslash. Empty when the text names no level.
QString folderPath(const QString &typed);

} // namespace typedfolder

// What a folder rename did.
struct FolderRename {
    // Ok, or the message for the user. Unless diskChanged, nothing changed: disk, records
    // and tree are as before.
    DbStatus status;
    // The folder is no longer where it was: the tree must be built again.
    bool diskChanged = false;
    // Records whose DIR now names the new folder (the folder's and its sub-folders').
    int recordsMoved = 0;
};

// renameFolder: moves the folder oldPath (a folder path, A\B\) to newPath (closing backslash
// optional) below rootPath, and the records of the folder and of every folder below it
// follow: the old folder path at the start of their DIR becomes the new one. The records are
// found in one walk in physical order, with the tag filter switched off; the order in force
// is restored at the end (the caller selects the new folder). A rename in letter case only
// changes no record.
//
// Refused with "Folder  '%s'  could not be renamed !" (old path), before anything changes,
// when: either path is empty, leaves the root or holds a level the tree could not show
// (a name beginning with ".", or one the catalogue cannot hold); the old folder is not a
// folder; the new one lies inside the old one; something is already there under the new
// name in any letter case (a rename never merges into or replaces a folder); the new path
// of a record would not fit into DIR; or the file system refuses the move (folder in use,
// missing parent, another volume).
//
// When a record cannot be written after the move, the records already changed get their
// old DIR back and the folder goes back: the rename fails as a whole. Should even that
// fail, the message says what stays behind and diskChanged is set.
FolderRename renameFolder(
    CatalogTable &table, const QString &rootPath, const QString &oldPath, const QString &newPath);

// Removes the folder at the folder path when it is empty (links and non-empty folders
// stay). False when nothing was removed.
bool removeEmptyFolder(const QString &rootPath, const QString &folderPath);
