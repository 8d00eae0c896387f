#include "fileio.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fileio
{

namespace
{

    QByteArray native(const QString &path)
    {
        return QFile::encodeName(path);
    }

    // O_NONBLOCK keeps the open from waiting (a FIFO for its writer, a device for its
    // line); it changes nothing for a regular file, so the descriptor is left as it is.
    constexpr int kSafeOpen = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

    // Opens name and keeps the descriptor only when it is a regular file: what was checked
    // before the open may have been replaced in the meantime.
    int openRegular(const QByteArray &name, int flags, int *err, qint64 *size = nullptr)
    {
        const int fd = ::open(name.constData(), flags | kSafeOpen, 0666);
        if (fd < 0) {
            *err = errno;
            if ((flags & O_NOFOLLOW) && (*err == ELOOP || (*err == EEXIST && (flags & O_EXCL)))) {
                struct stat st {
                };
                if (::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode))
                    *err = IsLink;
            }
            return -1;
        }
        struct stat st {
        };
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            *err = NotRegular;
            ::close(fd);
            return -1;
        }
        if (size)
            *size = qint64(st.st_size);
        return fd;
    }

} // namespace

EntryKind entryKind(const QString &path)
{
    struct stat st {
    };
    if (::lstat(native(path).constData(), &st) != 0)
        return EntryKind::Missing;
    if (S_ISLNK(st.st_mode))
        return EntryKind::Link;
    return S_ISREG(st.st_mode) ? EntryKind::Regular : EntryKind::Other;
}

FileFacts fileFacts(const QString &path)
{
    struct stat st {
    };
    FileFacts facts;
    if (::stat(native(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return facts;
    facts.found = true;
    facts.size = qint64(st.st_size);
    facts.modifiedSecs = qint64(st.st_mtim.tv_sec);
    return facts;
}

int openForReading(const QString &path, int *err, qint64 *size)
{
    const QByteArray name = native(path);
    // Only a regular file is opened at all: opening some devices does something already.
    struct stat st {
    };
    if (::stat(name.constData(), &st) != 0) {
        *err = errno;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        *err = NotRegular;
        return -1;
    }
    return openRegular(name, O_RDONLY, err, size);
}

int openForWriting(const QString &path, bool create, int *err)
{
    const QByteArray name = native(path);
    if (create)
        return openRegular(name, O_RDWR | O_NOFOLLOW | O_CREAT | O_EXCL, err);
    struct stat st {
    };
    if (::lstat(name.constData(), &st) != 0) {
        *err = errno;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        *err = S_ISLNK(st.st_mode) ? IsLink : NotRegular;
        return -1;
    }
    return openRegular(name, O_RDWR | O_NOFOLLOW, err);
}

void closeFile(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

int readAt(int fd, char *data, qint64 size, qint64 offset, qint64 *got)
{
    qint64 done = 0;
    int err = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, size_t(size - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        if (n == 0)
            break;
        done += n;
    }
    if (got)
        *got = done;
    return err;
}

int writeAt(int fd, const char *data, qint64 size, qint64 offset)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size_t(size - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        done += n;
    }
    return 0;
}

int truncate(int fd, qint64 size)
{
    return ::ftruncate(fd, off_t(size)) == 0 ? 0 : errno;
}

int syncData(int fd)
{
    return ::fdatasync(fd) == 0 ? 0 : errno;
}

int syncPath(const QString &path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | kSafeOpen);
    if (fd < 0)
        return errno;
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    return rc == 0 || err == EINVAL ? 0 : err;
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

int replace(const QString &from, const QString &to)
{
    const int rc
        = std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData());
    return rc == 0 ? 0 : errno;
}

void dropCachedPages(const QString &path)
{
#ifdef POSIX_FADV_DONTNEED
    const int fd = ::open(native(path).constData(), O_RDONLY | kSafeOpen);
    if (fd >= 0) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
#else
    (void)path;
#endif
}

qint64 fileSize(int fd)
{
    struct stat st {
    };
    if (::fstat(fd, &st) != 0)
        return -1;
    return qint64(st.st_size);
}

QString errorText(int err)
{
    switch (err) {
    case IsLink:
        return QCoreApplication::translate(
            "Platform", "it is a symbolic link, and files are never written through one");
    case NotRegular:
        return QCoreApplication::translate("Platform", "it is not a regular file");
    default:
        return QString::fromLocal8Bit(std::strerror(err));
    }
}

BackgroundRemoval::~BackgroundRemoval()
{
    wait();
}

void BackgroundRemoval::start(const QString &path)
{
    wait();
    QByteArray native = QFile::encodeName(path);
    try {
        m_thread = std::thread([native = std::move(native)] { ::unlink(native.constData()); });
    } catch (const std::system_error &) {
        ::unlink(QFile::encodeName(path).constData());
    }
}

void BackgroundRemoval::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace fileio
