#pragma once

#include "store/dbstatus.h"

#include "platform/textcodec.h"

#include <QString>

class CatalogTable;
class Progress;

// Tags of the main window's files: adding one to the current file (Insert), deleting one
// from it (Delete), replacing one by another over a folder or the whole catalogue
// (Ctrl+R), and the archive's free-text tag list (Ctrl+K). A record's tags are the
// characters of its CODE, newest first, at most ten.
namespace tagedit
{

QString addPrompt();
QString deletePrompt();

// The tag an answer to the add or delete prompt names: its first character upper-cased
// (by the table's codec). Empty for Esc, for an empty answer and for "-" alone (an answer
// such as -A names "-").
QString tagOfAnswer(const QString &answer, const TextCodec &codec = TextCodec::windows1252());

// The message that refuses to add the tag, empty when it can be added. CODE holds no
// blanks or control characters, and a tag is one byte of it: a character outside
// Windows-1252 would be stored as "?", a tag other than the one typed, and in a Unicode
// table only ASCII characters take one byte.
QString addRefusal(const QString &tag, const TextCodec &codec = TextCodec::windows1252());

// CODE with the tag in front, cut to ten characters (the oldest tag goes); unchanged when
// it holds the tag already.
QString added(const QString &code, const QString &tag);
// CODE without any occurrence of the tag.
QString removed(const QString &code, const QString &tag);
// CODE after replacing from by to (each empty or one character): both given, every from
// becomes to unless to is there already; to alone is added in front unless there; from
// alone is removed; neither changes nothing.
QString replaced(const QString &code, const QString &from, const QString &to);

struct Replacement {
    QString from;
    QString to;
    bool allFolders = false;
    QString folder; // the current folder (A\B\): the one changed unless allFolders
};

// Replace tags over the table in file order: every record visible through the filter, of
// the folder or of all folders, gets its tags replaced. Only records that change are
// written. Afterwards the order in force and the range of the current folder are set
// again and the record that was current is current again. The views are detached
// meanwhile. Stops at the first record that cannot be written and returns the failure.
// progress, when given, hears the records read and then the records written, of both
// together, and may stop the walk between two records (Cancelled): the records written
// by then keep their new tags, the others are untouched.
DbStatus replaceTags(
    CatalogTable &table, const Replacement &replacement, Progress *progress = nullptr);

// The tag list file: the archive's name with ".txt" in the root folder, found without
// regard to letter case.
QString tagListPath(const QString &rootPath, const QString &archiveName);
// Its text, lines joined by line breaks. A missing file is an empty text; a file that
// cannot be read (or is larger than 64 MB) is an IoError naming it.
DbStatus readTagList(const QString &path, QString &text);
// Writes the text's lines, each ended by CR LF, replacing the file whole; an empty text
// leaves an empty file. *lossy tells whether a character had no 8-bit form. A symbolic
// link, FIFO or device of that name is refused (IoError), never written through.
DbStatus writeTagList(const QString &path, const QString &text, bool *lossy = nullptr);

} // namespace tagedit
