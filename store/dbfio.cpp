#include "dbfio.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
#ifdef SYNC_FILE_RANGE_WRITE
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
            ::sync_file_range(
                fd, off_t(slot->from), off_t(slot->to - slot->from), SYNC_FILE_RANGE_WRITE);
            slot->bytes = 0; // a hint: failures do not matter
        }
#else
        (void)fd;
        (void)offset;
        (void)bytes;
#endif
    }
} // namespace

void setFaultHook(FaultHook h)
{
    hook() = std::move(h);
}

bool faultAllows(const QString &path, qint64 offset, qint64 size)
{
    return !hook() || hook()(path, offset, size);
}

QString ioError(const QString &what, const QString &path, int err)
{
    return QStringLiteral("Cannot %1 \"%2\": %3")
        .arg(what, path, QString::fromLocal8Bit(std::strerror(err)));
}

DbStatus readAt(int fd, char *data, qint64 size, qint64 offset, const QString &path, qint64 *got)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, size_t(size - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return { DbStatus::IoError,
                ioError(QStringLiteral("read at offset %1 of").arg(offset + done), path, errno) };
        }
        if (n == 0)
            break;
        done += n;
    }
    if (got)
        *got = done;
    return {};
}

DbStatus writeAt(int fd, const char *data, qint64 size, qint64 offset, const QString &path)
{
    if (!faultAllows(path, offset, size))
        return { DbStatus::IoError,
            ioError(QStringLiteral("write at offset %1 of").arg(offset), path, ENOSPC) };
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size_t(size - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return { DbStatus::IoError,
                ioError(QStringLiteral("write at offset %1 of").arg(offset + done), path, errno) };
        }
        done += n;
    }
    writeBackEveryMegabyte(fd, offset, size);
    return {};
}

DbStatus truncate(int fd, qint64 size, const QString &path)
{
    if (!faultAllows(path, size, 0))
        return { DbStatus::IoError, ioError(QStringLiteral("shorten"), path, ENOSPC) };
    if (::ftruncate(fd, off_t(size)) != 0)
        return { DbStatus::IoError, ioError(QStringLiteral("shorten"), path, errno) };
    return {};
}

DbStatus sync(int fd, const QString &path)
{
    if (::fdatasync(fd) != 0)
        return { DbStatus::IoError, ioError(QStringLiteral("flush"), path, errno) };
    return {};
}

void startWriteback(int fd, qint64 offset, qint64 size)
{
#ifdef SYNC_FILE_RANGE_WRITE
    if (fd >= 0 && size > 0)
        ::sync_file_range(fd, off_t(offset), off_t(size), SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
    (void)offset;
    (void)size;
#endif
}

DbStatus syncPath(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return { DbStatus::IoError, ioError(QStringLiteral("open"), path, errno) };
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0 && err != EINVAL) // some file systems cannot sync a folder; nothing to do then
        return { DbStatus::IoError, ioError(QStringLiteral("flush"), path, err) };
    return {};
}

qint64 fileSize(int fd)
{
    struct stat st {
    };
    if (::fstat(fd, &st) != 0)
        return -1;
    return qint64(st.st_size);
}

} // namespace dbfio
