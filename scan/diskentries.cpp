#include "diskentries.h"

#include "platform/dirlist.h"
#include "platform/diskpath.h"
#include "platform/localday.h"

#include <QFile>

#include <cerrno>
#include <cstring>

namespace
{

// Plain ASCII without controls and backslash stands in the catalogue byte for byte, so
// the common name needs no decoding and no code-page conversion.
bool isPlainName(const char *raw, int length)
{
    for (int i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(raw[i]);
        if (b < 0x20 || b >= 0x80 || b == '\\')
            return false;
    }
    return length > 0;
}

bool hasCataloguedForm(const char *p, int n)
{
    const void *dot = std::memchr(p, '.', size_t(n));
    // NAME keeps neither more than its width nor trailing blanks (they are its padding):
    // such a name would be read back as another, and its record swept away again.
    if (!dot || dot == p || n > kMaxCataloguedNameLength || p[n - 1] == ' ')
        return false;
    for (int i = int(static_cast<const char *>(dot) - p); i + 1 < n; ++i) {
        if (p[i] != '.')
            continue;
        if (p[i + 1] == '!' || (i + 3 < n && p[i + 1] == 'i' && p[i + 2] == 'o' && p[i + 3] == 'n'))
            return false;
    }
    return true;
}

} // namespace

bool catalogueBytes(const QByteArray &rawName, const QString &name, QByteArray &ansi)
{
    if (isPlainName(rawName.constData(), int(rawName.size()))) {
        ansi = rawName;
        return true;
    }
    bool ok = false;
    ansi = diskpath::catalogueName(name, &ok);
    return ok;
}

bool catalogueBytes(const char *rawName, int length, QByteArray &ansi)
{
    if (isPlainName(rawName, length)) {
        // Reuses the buffer when the caller kept no copy of the last name.
        ansi.resize(length);
        std::memcpy(ansi.data(), rawName, size_t(length));
        return true;
    }
    bool ok = false;
    ansi = diskpath::catalogueName(QFile::decodeName(QByteArray(rawName, length)), &ok);
    return ok;
}

QString DiskEntry::name() const
{
    return diskpath::diskName(ansi);
}

qint64 evenSeconds(qint64 secondsSinceEpoch)
{
    return secondsSinceEpoch - (((secondsSinceEpoch % 2) + 2) % 2);
}

QDateTime catalogueTime(qint64 secondsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(evenSeconds(secondsSinceEpoch), Qt::LocalTime);
}

DbStatus listingFailure(const QString &folder, int error)
{
    const auto code
        = (error == ENOENT || error == ENOTDIR) ? DbStatus::NotFound : DbStatus::IoError;
    return { code,
        QStringLiteral("Folder  '%1'  cannot be read: %2")
            .arg(folder, QString::fromLocal8Bit(strerror(error))) };
}

void cataloguedEntriesOf(const dirlist::Folder &dir, const dirlist::RawListing &listing,
    LocalDays &days, std::vector<DiskEntry> &out)
{
    out.clear();
    out.reserve(listing.items.size());
    QByteArray ansi;
    for (const dirlist::RawListing::Item &e : listing.items) {
        const char *raw = listing.name(e);
        if (e.type == dirlist::EntryType::Folder || !catalogueBytes(raw, e.length, ansi)
            || !hasCataloguedForm(ansi.constData(), int(ansi.size())))
            continue;
        struct stat st;
        if (!dir.statEntry(raw, st) || !S_ISREG(st.st_mode))
            continue;
        DiskEntry entry;
        entry.ansi = ansi;
        entry.size = quint64(st.st_size);
        entry.lastWriteSecs = evenSeconds(qint64(st.st_mtim.tv_sec));
        entry.localDay = days.dayOf(entry.lastWriteSecs);
        out.push_back(std::move(entry));
    }
}

DbStatus listCataloguedEntries(const QString &folder, std::vector<DiskEntry> &out)
{
    out.clear();
    dirlist::Folder dir;
    dirlist::RawListing listing;
    if (!dir.open(folder) || !dir.readRaw(listing, true))
        return listingFailure(folder, dir.error());
    LocalDays days;
    cataloguedEntriesOf(dir, listing, days, out);
    return DbStatus::ok();
}
