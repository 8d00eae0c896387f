#pragma once

#include "store/dbstatus.h"

#include <QDateTime>
#include <QString>

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
    QByteArray ansi; // the name in Windows-1252, as NAME stores it (cataloguable, see
                     // diskpath::isCataloguable, so it stands for the disk name exactly)
    quint64 size = 0;
    qint64 lastWriteSecs = 0; // seconds since the epoch, cut to an even number
    QDate localDay; // the local day of lastWriteSecs, what DATE stores
    QDate day() const { return localDay; }
    QString name() const;
    QDateTime lastWrite() const { return catalogueTime(lastWriteSecs); }
};

// Longer names cannot be stored whole in NAME (see listCataloguedEntries).
constexpr int kMaxCataloguedNameLength = 80;

// The Windows-1252 bytes of a disk entry's name (its bytes on disk and their decoded
// text), when the name can stand in the catalogue at all (see diskpath::isCataloguable).
bool catalogueBytes(const QByteArray &rawName, const QString &name, QByteArray &ansi);
// The same from the bytes alone, decoding them only when they are not plain ASCII.
bool catalogueBytes(const char *rawName, int length, QByteArray &ansi);

// The catalogued entries of an absolute native folder path, in the order the file system
// returns them: regular files (links are followed; links to folders, dangling links,
// devices and pipes are left out) whose names follow the naming rules: the first "."
// comes after the first character (so no dot-names and no names without an extension),
// and neither ".!" (info files, "!Tabulon.!") nor ".ion" (Descript.ion) occurs anywhere, in
// that case. Besides, the name must be cataloguable and stand in NAME as it is: at most 80
// characters and no trailing blank, since a cut or trimmed name would stand for a file
// that does not exist and its record would be swept away again. An entry that vanishes between
// the listing and its status is left out. NotFound when the folder does not exist (the
// caller's sweep then removes its records); IoError when it exists but cannot be read,
// in which case the caller must not conclude that its files are gone.
DbStatus listCataloguedEntries(const QString &folder, std::vector<DiskEntry> &out);

// The same for a folder that a walk has open and has read (dot-names left out): its
// catalogued entries, in listing order. days converts the last-write times; one object
// serves a whole walk.
void cataloguedEntriesOf(const dirlist::Folder &dir, const dirlist::RawListing &listing,
    LocalDays &days, std::vector<DiskEntry> &out);
// What listCataloguedEntries returns for a folder that cannot be read (errno error).
DbStatus listingFailure(const QString &folder, int error);
