#pragma once

#include "store/dbstatus.h"

#include <QByteArray>
#include <QString>

// The text files that the text pane's "Save text as" and "Insert file" write and read:
// Windows-1252, lines ended by CR LF when written; CR LF, LF and CR all end a line when
// read.
namespace textpane
{

// Text files larger than this are refused instead of being loaded into the pane.
constexpr qint64 kMaxTextFileSize = 64 * 1024 * 1024;

// The lines of a text file's bytes as the pane takes them: each line followed by a line
// break, also the last one.
QString linesOfFile(const QByteArray &bytes);

// Reads a text file for "Insert file". NotFound when it does not exist, IoError (naming
// the file) when it cannot be read or is too large.
DbStatus readTextFile(const QString &path, QString &text);

// Writes the pane's text to a text file, replacing it atomically; an empty pane writes an
// empty file. Characters that Windows-1252 cannot hold are written as "?" and set *lossy.
// A symbolic link, FIFO or device of that name is refused (IoError), never written through.
DbStatus writeTextFile(const QString &path, const QString &text, bool *lossy = nullptr);

} // namespace textpane
