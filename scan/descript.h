#pragma once

#include "store/dbstatus.h"

#include "platform/textcodec.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

class PathResolver;

// Descript.ion: a folder's one-line file descriptions, one line per file, in
// Windows-1252: `name description`, or `"name with blanks" description`. Format notes
// and every quirk: sidecarfiles.md beside this file.

struct Description {
    QString name;
    QString text;
};
// In file order when read; in the order in force when written.
using DescriptionList = std::vector<Description>;

constexpr int kMaxDescriptionLength = 250;
// Lines are cut to this many bytes when read; no file name comes near it.
constexpr int kMaxDescriptionLine = 4096;
// Larger files are refused: no folder's descriptions come near it, garbage might.
constexpr qint64 kMaxDescriptionFileSize = 16 * 1024 * 1024;

// The disk path of a folder's Descript.ion (dir as DIR holds it), resolved
// case-insensitively, so an existing DESCRIPT.ION is found and kept under its name.
QString descriptionFilePath(const PathResolver &resolver, const QString &dir);

// One line of the file as a pair; a line that names no file (no blank) gives an empty
// name. Exposed for tests.
Description parseDescriptionLine(const QByteArray &line);

// Reads the description list. A missing file is NotFound with an empty list (notes stay
// as they are); so is a FIFO, socket or device of that name, with a message saying so. IoError when
// the file cannot be read or is too large; the list then holds nothing, so that no note is changed
// from a half-read file. Lines without a blank match no file and are left out.
DbStatus readFolderDescriptions(const QString &path, DescriptionList &list);

// Rebuilds the Descript.ion of folder dir from its records' (NAME, NOTE) pairs, given in
// the order in force; records with an empty note write no line, nor do those whose name
// or note Windows-1252 cannot write (a Unicode catalogue's: their notes stay in the
// catalogue only). No records at all: the
// folder's Descript.ion and "!Tabulon.!" are deleted instead, failures ignored. The new
// file replaces the old one atomically: a failed write (IoError) keeps the old file. A
// symbolic link of that name is replaced by the new file (the file it leads to is never
// written); a FIFO, socket or device is refused (IoError).
// Line breaks inside a note are written as blanks, so a note cannot split the line.
DbStatus writeFolderDescriptions(
    const PathResolver &resolver, const QString &dir, const DescriptionList &records);

// The description that applies to a record: of the entries whose name matches NAME
// without regard to case (by the table's upper-casing), the last one (an empty
// description empties the note).
class DescriptionLookup
{
public:
    explicit DescriptionLookup(
        const DescriptionList &list, const TextCodec &codec = TextCodec::windows1252());
    bool isEmpty() const { return m_byName.isEmpty(); }
    // False when no entry names the file.
    bool find(const QString &name, QString *text) const;

private:
    const TextCodec *m_codec;
    QHash<QString, QString> m_byName; // upper-cased name -> description
};
