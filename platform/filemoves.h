#pragma once

#include <QString>

// Moving, copying and removing files and folders by absolute native paths, with the
// guarantees the catalogue depends on: a move never replaces or merges into anything that
// is already there, and a copy never truncates the file it copies from.
namespace filemoves
{

// True when something (a file, a folder, a link, even a dangling one) is at path.
bool entryExists(const QString &path);
// True when path is a real folder (a link to a folder is not).
bool isFolder(const QString &path);
// True when both paths lead to the same file or folder (links followed), for instance two
// spellings of one name on a file system that ignores letter case.
bool sameEntry(const QString &a, const QString &b);

// Renames or moves source to target (a rename within one volume; the target may lie in
// another folder). Never replaces: Linux would let a folder replace an empty folder, and
// a file another file, silently; both are refused here (EEXIST). A target that is the
// source itself under another letter case, in the same folder, is a case-only rename: on a
// file system that ignores case it goes through a temporary name so that the new spelling
// shows. A move to another volume, into the source folder itself or below it, or into a
// missing folder fails as the system says. False on failure with the system's reason in
// *reason; nothing has changed then.
bool moveEntry(const QString &source, const QString &target, QString *reason = nullptr);

// Copies the regular file source to target, replacing a file that is there; a symbolic
// link there is itself replaced, the file it leads to never written. The copy is
// written to a temporary file beside the target and renamed over it only once complete, so
// a failure (disk full) leaves an existing target as it was. Refused when the target is
// the source itself (reached through another spelling or a link): copying a file onto
// itself must not truncate it. The copy keeps the source's last-write time and permission
// bits. False on failure with the reason in *reason.
bool copyFile(const QString &source, const QString &target, QString *reason = nullptr);

// Removes the folder when it is empty; false when it holds anything, is a link or the
// system refuses.
bool removeEmptyFolder(const QString &path);

} // namespace filemoves
