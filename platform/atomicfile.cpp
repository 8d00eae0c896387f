#include "atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace atomicfile
{

namespace
{

    QString systemError(const char *step)
    {
        return QStringLiteral("%1: %2").arg(
            QLatin1String(step), QString::fromLocal8Bit(std::strerror(errno)));
    }

    // The file that really gets replaced: the final target of a chain of symbolic links, so
    // that saving through a link does not turn the link into a plain file.
    QString realTarget(const QString &path)
    {
        QFileInfo info(path);
        if (!info.isSymLink())
            return path;
        const QString canonical = info.canonicalFilePath();
        if (!canonical.isEmpty())
            return canonical;
        return info.symLinkTarget(); // dangling: create the file the link points to
    }

    mode_t newFileMode()
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0666 & ~mask;
    }

    bool writeAll(int fd, const QByteArray &bytes)
    {
        const char *data = bytes.constData();
        qint64 left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, data, size_t(left));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            if (n == 0) {
                errno = ENOSPC;
                return false;
            }
            data += n;
            left -= n;
        }
        return true;
    }

    // Makes the rename itself durable; a failure here is not worth failing the save for,
    // since the new content is already in place.
    void syncFolder(const QByteArray &folder)
    {
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }

} // namespace

bool write(const QString &path, const QByteArray &bytes, QString *error)
{
    QString ignored;
    QString &reason = error ? *error : ignored;
    const QString target = realTarget(path);
    const QFileInfo info(target);
    const QByteArray targetName = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    QByteArray pattern = QFile::encodeName(
        info.absolutePath() + QLatin1String("/.") + info.fileName() + QLatin1String(".XXXXXX"));

    struct stat old;
    const bool exists = ::stat(targetName.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        reason = QStringLiteral("not a regular file");
        return false;
    }
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        reason = systemError("create");
        return false;
    }
    // Each step records why it failed; the first failure wins and the rest are skipped.
    auto fail = [&reason](const char *step) {
        reason = systemError(step);
        return false;
    };
    const mode_t mode = exists ? (old.st_mode & 07777) : newFileMode();
    bool ok = ::fchmod(fd, mode) == 0 || fail("chmod");
    ok = ok && (writeAll(fd, bytes) || fail("write"));
    ok = ok && (::fsync(fd) == 0 || fail("sync"));
    const bool closed = ::close(fd) == 0 || (ok && fail("close"));
    ok = ok && closed;
    ok = ok && (::rename(pattern.constData(), targetName.constData()) == 0 || fail("rename"));
    if (!ok) {
        ::unlink(pattern.constData());
        return false;
    }
    syncFolder(folder);
    return true;
}

} // namespace atomicfile
