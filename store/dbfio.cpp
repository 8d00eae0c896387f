#include "dbfio.h"

#include "platform/fileio.h"

#include <algorithm>
#include <cerrno>
#include <mutex>

#include <QCoreApplication>

namespace dbfio
{

namespace
{
    FaultHook &hook()
    {
        static FaultHook h;
        return h;
    }

    // Files written in bulk (runs of appended records, index blocks pushed out of the cache)
    // have their write-back started every megabyte written through writeAt, so that the disk
    // works while the program goes on and the sync that ends the work has little left to wait
    // for, also where the writer does not ask for it (startWriteback). Only the start of the
    // write-back is asked for; when data is durable is still up to the syncs.
    constexpr qint64 kWriteBackBytes = 1024 * 1024;

    void writeBackEveryMegabyte(int fd, qint64 offset, qint64 bytes)
    {
        // What each file had written since its last write-back: bytes, and the span they lie in.
        struct Written {
            int fd = -1;
            qint64 bytes = 0;
            qint64 from = 0, to = 0;
        };
        thread_local Written files[8];
        Written *slot = nullptr;
        for (Written &w : files)
            if (w.fd == fd)
                slot = &w;
        if (!slot) {
            slot = &files[0];
            for (Written &w : files)
                if (w.bytes < slot->bytes)
                    slot = &w;
            *slot = { fd, 0, offset, offset };
        }
        if (slot->bytes == 0)
            slot->from = slot->to = offset;
        slot->bytes += bytes;
        slot->from = std::min(slot->from, offset);
        slot->to = std::max(slot->to, offset + bytes);
        if (slot->bytes >= kWriteBackBytes) {
            // Only the span just written: asking for the whole file would walk all of it again
            // every megabyte.
            fileio::startWriteback(fd, slot->from, slot->to - slot->from);
            slot->bytes = 0;
        }
    }
} // namespace

// Builds write from more than one thread; the hook is called by one at a time, so that
// it may count.
static std::mutex &hookMutex()
{
    static std::mutex m;
    return m;
}

void setFaultHook(FaultHook h)
{
    const std::lock_guard<std::mutex> lock(hookMutex());
    hook() = std::move(h);
}

bool faultAllows(const QString &path, qint64 offset, qint64 size)
{
    const std::lock_guard<std::mutex> lock(hookMutex());
    return !hook() || hook()(path, offset, size);
}

QString ioError(const QString &what, const QString &path, int err)
{
    return QCoreApplication::translate("Store", "Cannot %1 \"%2\": %3")
        .arg(what, path, fileio::errorText(err));
}

DbStatus readAt(int fd, char *data, qint64 size, qint64 offset, const QString &path, qint64 *got)
{
    qint64 done = 0;
    if (const int err = fileio::readAt(fd, data, size, offset, &done); err != 0)
        return { DbStatus::IoError,
            ioError(QCoreApplication::translate("Store", "read at offset %1 of").arg(offset + done),
                path, err) };
    if (got)
        *got = done;
    return {};
}

DbStatus writeAtDeferred(int fd, const char *data, qint64 size, qint64 offset, const QString &path)
{
    if (!faultAllows(path, offset, size))
        return { DbStatus::IoError,
            ioError(QCoreApplication::translate("Store", "write at offset %1 of").arg(offset), path,
                ENOSPC) };
    if (const int err = fileio::writeAt(fd, data, size, offset); err != 0)
        return { DbStatus::IoError,
            ioError(QCoreApplication::translate("Store", "write at offset %1 of").arg(offset), path,
                err) };
    return {};
}

DbStatus writeAt(int fd, const char *data, qint64 size, qint64 offset, const QString &path)
{
    DbStatus st = writeAtDeferred(fd, data, size, offset, path);
    if (st)
        writeBackEveryMegabyte(fd, offset, size);
    return st;
}

DbStatus truncate(int fd, qint64 size, const QString &path)
{
    if (!faultAllows(path, size, 0))
        return { DbStatus::IoError,
            ioError(QCoreApplication::translate("Store", "shorten"), path, ENOSPC) };
    if (const int err = fileio::truncate(fd, size); err != 0)
        return { DbStatus::IoError,
            ioError(QCoreApplication::translate("Store", "shorten"), path, err) };
    return {};
}

DbStatus sync(int fd, const QString &path)
{
    if (const int err = fileio::syncData(fd); err != 0)
        return { DbStatus::IoError,
            ioError(QCoreApplication::translate("Store", "flush"), path, err) };
    return {};
}

void startWriteback(int fd, qint64 offset, qint64 size)
{
    fileio::startWriteback(fd, offset, size);
}

DbStatus syncPath(const QString &path)
{
    if (const int err = fileio::syncPath(path); err != 0)
        return { DbStatus::IoError,
            ioError(QCoreApplication::translate("Store", "flush"), path, err) };
    return {};
}

qint64 fileSize(int fd)
{
    return fileio::fileSize(fd);
}

} // namespace dbfio
