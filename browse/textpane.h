#pragma once

#include "store/dbstatus.h"

#include <QByteArray>
#include <QString>

// The text pane's editing commands on plain text, apart from the widget: what "Insert
// file", "Insert date" and Ctrl+Y make of the pane's text, and the text files that "Save
// text as" and "Insert file" write and read (Windows-1252, lines ended by CR LF when
// written; CR LF, LF and CR all end a line when read).
namespace textpane {

// Text files larger than this are refused instead of being loaded into the pane.
constexpr qint64 kMaxTextFileSize = 64 * 1024 * 1024;

// The pane's text after a command, and where the caret goes.
struct Edited {
    QString text;
    int caret = 0;
};

// The selection [start, start + length) replaced by insert; the caret after the insert.
// Out-of-range positions are clamped to the text.
Edited replaceSelection(const QString &text, int start, int length, const QString &insert);

// The line that holds the caret removed with its line end (the last line with the line
// end before it); the caret at the start of the line that took its place.
Edited deleteLineAt(const QString &text, int caret);

// The lines of a text file's bytes as the pane takes them: each line followed by a line
// break, also the last one.
QString linesOfFile(const QByteArray &bytes);

// Reads a text file for "Insert file". NotFound when it does not exist, IoError (naming
// the file) when it cannot be read or is too large.
DbStatus readTextFile(const QString &path, QString &text);

// Writes the pane's text to a text file, replacing it atomically; an empty pane writes an
// empty file. Characters that Windows-1252 cannot hold are written as "?" and set *lossy.
DbStatus writeTextFile(const QString &path, const QString &text, bool *lossy = nullptr);

} // namespace textpane
