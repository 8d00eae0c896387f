#include "filelock.h"

#include "fileio.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

FileLock::FileLock(FileLock &&other) noexcept
    : m_fd(other.m_fd)
    , m_error(other.m_error)
{
    other.m_fd = -1;
}

FileLock &FileLock::operator=(FileLock &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_error = other.m_error;
        other.m_fd = -1;
    }
    return *this;
}

FileLock::~FileLock()
{
    close();
}

void FileLock::close()
{
    if (m_fd >= 0) {
        // Closing the last descriptor of the open file drops the flock as well.
        ::close(m_fd);
        m_fd = -1;
    }
}

FileLock::Result FileLock::open(const QString &path, bool create)
{
    close();
    int err = 0;
    const int fd = fileio::openForWriting(path, create, &err);
    if (fd < 0) {
        m_error = fileio::errorText(err);
        if (err == fileio::IsLink || err == fileio::NotRegular)
            return Refused;
        if (err == EEXIST)
            return Exists;
        return err == ENOENT ? Missing : Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        m_error = fileio::errorText(err);
        return err == EWOULDBLOCK ? Held : Failed;
    }
    // The holder may have replaced the file by rename between our open and our lock; then
    // we locked an orphan and the name belongs to a file that is (or was) held elsewhere.
    struct stat held {
    }, named {};
    if (::fstat(fd, &held) != 0 || ::lstat(QFile::encodeName(path).constData(), &named) != 0
        || held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
        ::close(fd);
        m_error = QCoreApplication::translate(
            "Platform", "the file was replaced while it was being opened");
        return Held;
    }
    m_fd = fd;
    m_error.clear();
    return Acquired;
}
