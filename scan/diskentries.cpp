#include "diskentries.h"

#include "platform/dirlist.h"
#include "platform/diskpath.h"

#include <cerrno>
#include <cstring>

bool isCataloguedName(const QString &name)
{
    if (name.indexOf(QLatin1Char('.')) < 1)
        return false;
    if (name.contains(QLatin1String(".!")) || name.contains(QLatin1String(".ion")))
        return false;
    return name.size() <= kMaxCataloguedNameLength && diskpath::isCataloguable(name);
}

QDateTime catalogueTime(qint64 secondsSinceEpoch)
{
    const qint64 even = secondsSinceEpoch - (((secondsSinceEpoch % 2) + 2) % 2);
    return QDateTime::fromSecsSinceEpoch(even, Qt::LocalTime);
}

DbStatus listCataloguedEntries(const QString &folder, std::vector<DiskEntry> &out)
{
    out.clear();
    dirlist::Folder dir;
    std::vector<dirlist::Entry> entries;
    if (!dir.open(folder) || !dir.read(entries, dirlist::Filter::All, true)) {
        const int err = dir.error();
        const auto code = (err == ENOENT || err == ENOTDIR) ? DbStatus::NotFound : DbStatus::IoError;
        return {code, QStringLiteral("Folder  '%1'  cannot be read: %2")
                          .arg(folder, QString::fromLocal8Bit(strerror(err)))};
    }
    for (const dirlist::Entry &e : entries) {
        if (e.type == dirlist::EntryType::Folder || !isCataloguedName(e.name))
            continue;
        struct stat st;
        if (!dir.statEntry(e.rawName, st) || !S_ISREG(st.st_mode))
            continue;
        DiskEntry entry;
        entry.name = e.name;
        entry.size = quint64(st.st_size);
        entry.lastWrite = catalogueTime(qint64(st.st_mtim.tv_sec));
        out.push_back(std::move(entry));
    }
    return DbStatus::ok();
}
