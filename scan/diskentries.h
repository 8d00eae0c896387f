#pragma once

#include "skippedentries.h"
#include "store/dbstatus.h"
#include "store/tablechoices.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <vector>

class LocalDays;
namespace dirlist
{
class Folder;
struct RawListing;
}

// The files of one folder that the catalogue holds records for, as the folder update
// merges them. No file is opened: names, sizes and times come from the folder listing.

// The last-write time as the catalogue sees it: local time, seconds cut to an even
// number (the resolution the catalogue's dates were always taken at).
QDateTime catalogueTime(qint64 secondsSinceEpoch);
qint64 evenSeconds(qint64 secondsSinceEpoch);

struct DiskEntry {
    QByteArray ansi; // the name as NAME stores it, in the table's encoding (judgeName found
                     // it catalogued, so it stands for the disk name exactly)
    quint64 size = 0;
    qint64 lastWriteSecs = 0; // seconds since the epoch, cut to an even number
    QDate localDay; // the local day of lastWriteSecs, what DATE stores
    QDate day() const { return localDay; }
    QString name(const TextCodec &codec = TextCodec::windows1252()) const;
    QDateTime lastWrite() const { return catalogueTime(lastWriteSecs); }
};

// Longer names cannot be stored whole in NAME (see judgeName): characters of Windows-1252,
// bytes of UTF-8.
constexpr int kMaxCataloguedNameLength = 80;

enum class EntryKind { File, Folder };

// The one decision on a name found on disk (raw: its bytes): whether an entry of that kind
// and name is catalogued by a catalogue with these choices, and if not, why (see
// SkipReason).
//   ByRule: folders whose names begin with "."; for files also names holding ".!" (info
// files, "!Tabulon.!") or ".ion" (Descript.ion) anywhere, in that letter case, and unless
// the catalogue takes files without an extension, names beginning with "." and names
// whose first "." is their first character or missing (no extension).
//   Reported: the name is no UTF-8, holds a control character or a backslash (either would
// split a catalogue path or a line of Descript.ion) or, in a Windows-1252 catalogue, a
// character Windows-1252 lacks; for files also a name longer than NAME (80 characters, in
// a Unicode catalogue 80 bytes) or ending in a blank, since a cut or trimmed NAME would
// stand for a file that does not exist and its record would be swept away again.
// None: ansi holds the name's bytes in the table's encoding (otherwise it is unspecified).
SkipReason judgeName(const char *raw, int length, EntryKind kind, QByteArray &ansi,
    const TableChoices &choices = {});

// Case twins: entries of one folder whose names differ only in letter case (by the
// catalogue's upper-casing) would share one record, since the catalogue matches names
// without regard to case. It holds one of them: the one it has a record of already
// (hasRecord, asked only of twins, with the exact catalogue bytes), else the first in byte
// order of the disk names, so that every run keeps the same one. The others leave entries
// and names (numbers[i] is the number of entries[i]'s upper-cased name: equal numbers are
// twins) and go into skipped, as entries of folder (its absolute path), naming the entry
// kept. Entries without a twin stay as they are, in their order.
void keepOneOfCaseTwins(std::vector<DiskEntry> &entries, std::vector<int> &numbers,
    const QString &folder, const std::function<bool(const QByteArray &ansi)> &hasRecord,
    std::vector<SkippedEntry> &skipped, const TextCodec &codec = TextCodec::windows1252());

// The bytes, in the table's encoding, of a disk name that the catalogue can hold at all
// (no naming rule applied: for finding the files of existing records). False when it
// cannot.
bool catalogueBytes(const char *rawName, int length, QByteArray &ansi,
    const TextCodec &codec = TextCodec::windows1252());

// The catalogued entries of an absolute native folder path, in the order the file system
// returns them: the entries whose names judgeName finds catalogued (by the catalogue's
// choices) and which are regular
// files, links followed (a link to a file is catalogued under its own name, with its
// target's size and time). Links to folders are left out by rule; dangling links, pipes,
// sockets and devices are skipped. An entry that vanishes between the listing and its
// status is left out. NotFound when the folder does not exist (the caller's sweep then
// removes its records); IoError when it exists but cannot be read, in which case the
// caller must not conclude that its files are gone. skipped, when given, receives the
// entries skipped for a reported reason (sub-folders are the folder tree's concern).
DbStatus listCataloguedEntries(const QString &folder, std::vector<DiskEntry> &out,
    std::vector<SkippedEntry> *skipped = nullptr, const TableChoices &choices = {});

// The same for a folder that a walk has open and has read (dot-names left out unless the
// choices take files without an extension) from the absolute path folder: its catalogued
// entries, in listing order. days converts the last-write times; one object serves a
// whole walk.
void cataloguedEntriesOf(const dirlist::Folder &dir, const dirlist::RawListing &listing,
    LocalDays &days, std::vector<DiskEntry> &out, const QString &folder = QString(),
    std::vector<SkippedEntry> *skipped = nullptr, const TableChoices &choices = {});
// Whether a walk must read the dot-names of a folder for its files.
inline bool readsDotNames(const TableChoices &choices)
{
    return choices.extensionless;
}
// What listCataloguedEntries returns for a folder that cannot be read (errno error).
DbStatus listingFailure(const QString &folder, int error);
