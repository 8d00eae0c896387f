#pragma once

#include "store/dbstatus.h"

#include <QString>
#include <QStringList>

class PathResolver;

// Info files: the long text of a catalogued file, beside it under the file's name with
// ".!" appended (photo.jpg -> photo.jpg.!). Windows-1252 text, every line ended by CR LF
// when written; CR LF, LF and CR all end a line when read. The file exists only while
// the text is not empty. Format notes: sidecarfiles.md beside this file.
namespace infofile
{

// Larger files are refused rather than loaded into the text pane.
constexpr qint64 kMaxInfoFileSize = 64 * 1024 * 1024;

// The catalogue-relative path DIR + NAME + ".!".
QString infoFileRelative(const QString &dir, const QString &name);

// The disk path of a file's info file, resolved case-insensitively below the root.
QString infoFilePath(const PathResolver &resolver, const QString &dir, const QString &name);

// Reads the lines of an info file. NotFound (with no lines) when there is none, which is
// no error: the pane is simply empty. Any other failure (unreadable, larger than
// kMaxInfoFileSize, a FIFO or device that is never waited for) leaves lines empty and
// means the text was not loaded: the caller must not offer to save the empty pane over
// it.
DbStatus readInfoFile(const QString &path, QStringList &lines);

// Writes the lines (each followed by CR LF), replacing the file atomically; no lines
// delete the file (a link of that name: the link alone). A failed write keeps the old
// text. A symbolic link, FIFO or device of that name is refused (IoError), never written
// through. Characters that Windows-1252 cannot hold are written as "?" and set *lossy.
DbStatus writeInfoFile(const QString &path, const QStringList &lines, bool *lossy = nullptr);

// The same for the text of a text pane: split at any line end, a final line end
// starting no extra line; an empty text deletes the file.
DbStatus writeInfoText(const QString &path, const QString &text, bool *lossy = nullptr);

} // namespace infofile
