#pragma once

#include "skippedentries.h"
#include "store/dbstatus.h"
#include "store/tablechoices.h"

#include "platform/dirlist.h"

#include <vector>

// What a walk of the folders below the root enters, shared by the folder tree's own walk,
// the removal of empty folders and the scan of update all, so that all three see the same
// folders (see FolderNode for which those are).
namespace treewalk
{

// The folders the walk is inside, root first: a folder among them is not entered again.
using Ancestors = std::vector<dirlist::FolderId>;

// Keeps, of entries read from one folder (dot-names already left out), the sub-folders
// that get a node, in their order: real folders whose names judgeName finds catalogued
// (by the catalogue's choices),
// and of names that differ only in case the one the catalogue's upper-cased DIR denotes
// (diskpath::preferredVariant: the same on every run). skipped, when given, receives the
// real folders left out for a reported reason, as entries of folder (the folder's
// absolute path); a case twin left out is reported with the name of the one kept, and
// nothing below it is walked.
void keepVisibleSubFolders(std::vector<dirlist::Entry> &entries,
    std::vector<SkippedEntry> *skipped = nullptr, const QString &folder = QString(),
    const TableChoices &choices = {});

// Opens the sub-folder rawName of parent for descending into it; false when it cannot be
// read, lies kMaxFolderDepth levels down, or would lead back to one of the ancestors. On
// success the sub-folder is pushed onto ancestors; the caller pops it when it leaves.
bool enter(dirlist::Folder &child, const dirlist::Folder &parent, const QByteArray &rawName,
    Ancestors &ancestors);

// Opens the folder a walk starts from: NotFound or IoError naming it when it cannot be.
DbStatus openRoot(dirlist::Folder &folder, const QString &path, Ancestors &ancestors);

// IoError when reading the folder a walk started from stopped before its end.
DbStatus readToItsEnd(const dirlist::Folder &folder, const QString &path);

} // namespace treewalk
