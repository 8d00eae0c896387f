#pragma once

#include <QString>

// Drives in the program's sense: the part of an absolute path that a removable medium
// or a mounted volume contributes. The program keeps the Windows notion ("%usb%" is the
// drive the program runs from; a root folder whose drive is missing is reported), and on
// this system a drive is the mount directory of removable media.
namespace drives
{

// "X:..." - a path in the Windows form. It names no drive on this system, so such a
// drive never exists here.
bool isWindowsForm(const QString &path);

// An absolute stored root: the Windows form or one that starts with "/". A leading
// backslash does not make a path absolute.
bool isAbsolute(const QString &path);

// The drive of an absolute path, with a trailing separator:
//   "e:\Photos"                    -> "E:\"
//   "/media/USER/NAME/..."         -> "/media/USER/NAME/"
//   "/run/media/USER/NAME/..."     -> "/run/media/USER/NAME/"
//   "/mnt/NAME/..."                -> "/mnt/NAME/"
//   any other absolute path        -> "/"
// Backslashes in a non-Windows path count as separators.
QString driveOf(const QString &absolutePath);

// True when the drive is usable: "/" always; a removable-media location when it is an
// existing folder on which something is mounted; a Windows-form drive never.
bool driveExists(const QString &drive);

// True when folder is the root of a mounted file system.
bool isMountPoint(const QString &folder);

} // namespace drives
