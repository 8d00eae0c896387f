#include "dbfio.h"
#include "dbftableimpl.h"
#include "progress.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <future>

namespace
{

constexpr int kCopyBytes = 256 * 1024;

// Pack's steps, numbered for the fault hook (which stands in for a crash at each).
enum PackStep {
    OldIndexReleased = 1,
    TableWritten,
    IndexWritten,
    IndexReplaced,
    TableReplaced,
    Finished,
};

DbStatus interruptedAt(int step, const QString &path)
{
    if (dbfio::faultAllows(QStringLiteral("pack"), step, -1))
        return {};
    return { DbStatus::IoError,
        QCoreApplication::translate("Store", "Packing \"%1\" was interrupted at step %2.")
            .arg(path)
            .arg(step) };
}

DbStatus renameOver(const QString &from, const QString &to)
{
    if (!dbfio::faultAllows(to, 0, 0))
        return { DbStatus::IoError,
            dbfio::ioError(QCoreApplication::translate("Store", "replace"), to, ENOSPC) };
    if (const int err = fileio::replace(from, to); err != 0)
        return { DbStatus::IoError,
            dbfio::ioError(QCoreApplication::translate("Store", "replace"), to, err) };
    return {};
}

} // namespace

// Writes the live records of source, in physical order, as a complete table at fd; the
// keys of each live record (numbered as in the new table) go to keys. The caller syncs the
// file. progress may stop the copy (Cancelled).
DbStatus DbfTable::Impl::writePacked(
    const DbfFile &source, int fd, const QString &path, MdxKeySorter &keys, Progress *progress)
{
    dbf::Layout layout = source.layout();
    layout.productionFlag = 0;
    const int len = layout.recordLength;
    QByteArray out = dbf::encodeHeaderArea(layout, 0, QDate::currentDate());
    qint64 at = 0;
    quint32 live = 0;
    QByteArray recordKeys;
    out.reserve(kCopyBytes + len + 1);
    DbStatus st = source.scan(
        [&](quint32, const char *rec) {
            if (rec[0] == dbf::kDeleted)
                return DbStatus();
            evaluateKeys(rec, recordKeys);
            if (DbStatus st = keys.addRecord(recordKeys.constData(), ++live); !st)
                return st;
            const qsizetype end = out.size();
            out.resize(end + len); // within the reserved room: no reallocation, no insert path
            std::memcpy(out.data() + end, rec, size_t(len));
            if (out.size() < kCopyBytes)
                return DbStatus();
            DbStatus w = dbfio::writeAtDeferred(fd, out.constData(), out.size(), at, path);
            at += out.size();
            out.resize(0);
            return w;
        },
        progress);
    if (!st)
        return st;
    out.append(dbf::kEndByte);
    if (st = dbfio::writeAt(fd, out.constData(), out.size(), at, path); !st)
        return st;
    const QByteArray header = dbf::encodeHeader(layout, live, QDate::currentDate());
    return dbfio::writeAt(fd, header.constData(), header.size(), 0, path);
}

DbStatus DbfTable::pack(Progress *progress)
{
    if (DbStatus st = d->ensureBrowse(); !st)
        return st;
    if (d->unindexed)
        return d->refuseChange();
    const QByteArray keptOrder = order();
    if (DbStatus st = d->flushAll(true); !st)
        return st;
    const QString tablePath = path();
    const QString folder = QFileInfo(tablePath).path();
    const QString newTable = tablePath + QStringLiteral(".pack");
    const QString newIndex = d->mdxPath + QStringLiteral(".pack");
    QFile::remove(newTable);
    QFile::remove(newIndex);

    int reached = 0;
    DbStatus st = d->packSteps(newTable, newIndex, folder, reached, progress);
    if (!st) {
        // The table in place (old or new) needs an index built from it, unless pack
        // stopped before it let the old index go, or was stopped while the old index was
        // only set aside.
        QFile::remove(newTable);
        QFile::remove(newIndex);
        if (!d->file.isOpen()) {
            close();
            return st;
        }
        if (st.code() != DbStatus::Cancelled || !d->restoreOldIndex())
            d->recoverFromPack(reached >= OldIndexReleased);
        d->ranged = false;
        setOrder(keptOrder);
        return st;
    }
    return setOrder(keptOrder);
}

// A pack stopped while copying: the old index, set aside and still whole (the table has
// not changed since it was flushed), takes its place again and the table's flag is set.
// False when that fails; the caller then builds the index.
DbStatus DbfTable::Impl::restoreOldIndex()
{
    if (tags.empty())
        return {};
    const QString aside = mdxPath + QStringLiteral(".old");
    DbStatus st;
    if (QFile::exists(aside))
        st = renameOver(aside, mdxPath);
    if (st)
        st = dbfio::syncPath(QFileInfo(mdxPath).path());
    if (st)
        st = MdxIndex::open(mdxPath, mdx);
    if (st && !indexMatches())
        st = { DbStatus::BadIndex,
            QStringLiteral("The index \"%1\" lacks its tags.").arg(mdxPath) };
    if (st)
        st = file.setProductionFlag(true, true);
    if (!st) {
        mdx.reset();
        return st;
    }
    indexChanging = indexBroken = indexStale = false;
    memory = DbfMemoryOrder();
    cursorStale = true;
    return st;
}

void DbfTable::Impl::recoverFromPack(bool indexReleased)
{
    if (tags.empty())
        return;
    if (indexReleased || !mdx || !file.productionFlag())
        rebuildIndex();
}

// Stopped only while the records are copied: before then nothing has changed but the set
// aside of the old index, after it the pack runs to its end.
DbStatus DbfTable::Impl::packSteps(const QString &newTable, const QString &newIndex,
    const QString &folder, int &reached, Progress *progress)
{
    DbfFile fresh;
    DbStatus st = releaseOldIndex(reached);
    if (st)
        st = writeReplacement(fresh, newTable, newIndex, reached, progress);
    if (st)
        st = swapIn(fresh, newTable, newIndex, folder, reached);
    return st;
}

// Step 1: the old index is of no use to the packed table. The table's flag is cleared on
// the disk first (from here a crash leaves a table whose index the next open builds), and
// the old index is set aside, to be removed on a thread of its own once the records are
// copied (a pack stopped before then takes it back): freeing the blocks of a large file
// takes a while.
DbStatus DbfTable::Impl::releaseOldIndex(int &reached)
{
    const QString tablePath = file.path();
    DbStatus st = file.setProductionFlag(false, true);
    if (st && mdx) {
        st = mdx->close();
        mdx.reset();
    }
    if (st && !tags.empty() && QFile::exists(mdxPath))
        renameOver(mdxPath, mdxPath + QStringLiteral(".old"));
    if (st)
        st = interruptedAt(reached = OldIndexReleased, tablePath);
    return st;
}

// Steps 2 and 3: the new table and its index under temporary names, on disk.
DbStatus DbfTable::Impl::writeReplacement(DbfFile &fresh, const QString &newTable,
    const QString &newIndex, int &reached, Progress *progress)
{
    const QString tablePath = file.path();
    FileLock lock;
    if (lock.open(newTable, true) != FileLock::Acquired)
        return { DbStatus::IoError,
            QCoreApplication::translate("Store", "Cannot create \"%1\": %2")
                .arg(newTable, lock.errorText()) };
    std::unique_ptr<MdxKeySorter> keys = keySorter();
    DbStatus st = writePacked(file, lock.fd(), newTable, *keys, progress);
    if (!st)
        return st;
    // No stopping from here: the old index can go.
    if (const QString aside = mdxPath + QStringLiteral(".old"); QFile::exists(aside))
        oldIndexRemoval.start(aside);
    // The old table is read no more (unless pack fails, and then from the disk): its pages
    // go back to the system before the new index takes more again.
    fileio::dropCachedPages(file.path());
    if (st = fresh.adopt(std::move(lock), newTable); !st)
        return st;
    // The new table goes to the disk while its index is built from the gathered keys;
    // both are on the disk before the step that counts them written.
    const int fd = fresh.fd();
    std::future<DbStatus> tableSynced
        = mdx::runAside([fd, newTable] { return dbfio::sync(fd, newTable); });
    if (st)
        st = interruptedAt(reached = TableWritten, tablePath);
    if (st && !tags.empty()) {
        st = buildIndexFile(newIndex, fresh, keys.get());
        if (st)
            st = dbfio::syncPath(newIndex);
    }
    const DbStatus synced = tableSynced.get();
    if (st)
        st = synced;
    if (st)
        st = interruptedAt(reached = IndexWritten, tablePath);
    return st;
}

// The remaining steps: the new files take the place of the old ones.
DbStatus DbfTable::Impl::swapIn(DbfFile &fresh, const QString &newTable, const QString &newIndex,
    const QString &folder, int &reached)
{
    const QString tablePath = file.path();
    DbStatus st;
    // From here a crash may leave the new index beside the old table: the cleared flag
    // makes the next open rebuild it from the table it finds.
    if (!tags.empty()) {
        st = renameOver(newIndex, mdxPath);
        if (st)
            st = dbfio::syncPath(folder);
    }
    if (st)
        st = interruptedAt(reached = IndexReplaced, tablePath);
    if (st)
        st = renameOver(newTable, tablePath);
    if (st)
        st = dbfio::syncPath(folder);
    if (!st)
        return st;
    reached = TableReplaced;
    file.close(); // the old, now nameless file
    if (st = file.adopt(fresh.releaseLock(), tablePath); !st)
        return st;
    resetPosition();
    if (st = interruptedAt(TableReplaced, tablePath); !st)
        return st;
    indexChanging = indexBroken = false;
    if (!tags.empty()) {
        if (st = MdxIndex::open(mdxPath, mdx); !st)
            return st;
        if (!indexMatches())
            return { DbStatus::BadIndex,
                QCoreApplication::translate("Store", "The new index \"%1\" lacks its tags.")
                    .arg(mdxPath) };
        st = file.setProductionFlag(true, true);
    }
    if (st)
        st = interruptedAt(reached = Finished, tablePath);
    return st;
}
