#include "filemoves.h"

#include "diskpath.h"
#include "fileio.h"
#include "replacementfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filemoves
{

namespace
{

    QByteArray native(const QString &path)
    {
        return QFile::encodeName(path);
    }

    bool fail(QString *reason, const QString &text)
    {
        if (reason)
            *reason = text;
        return false;
    }

    bool failErrno(QString *reason, int error)
    {
        return fail(reason, QString::fromLocal8Bit(std::strerror(error)));
    }

    bool sameIdentity(const struct stat &a, const struct stat &b)
    {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    }

    // rename(2) that refuses an existing target, atomically where the file system knows
    // the flag; elsewhere the target is checked just before.
    bool renameNoReplace(const QByteArray &source, const QByteArray &target)
    {
#ifdef RENAME_NOREPLACE
        if (::renameat2(
                AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE)
            == 0)
            return true;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return false;
#endif
        struct stat st;
        if (::lstat(target.constData(), &st) == 0) {
            errno = EEXIST;
            return false;
        }
        return ::rename(source.constData(), target.constData()) == 0;
    }

    // Source and target name one entry of one folder in two spellings.
    bool isCaseOnlyRename(const QString &source, const QString &target)
    {
        const QFileInfo s(source);
        const QFileInfo t(target);
        return s.absolutePath() == t.absolutePath() && s.fileName() != t.fileName()
            && diskpath::sameDiskName(s.fileName(), t.fileName());
    }

    // On a file system that ignores case, renaming a to A finds A to be a itself and does
    // nothing; a detour through a name of its own makes the new spelling stick.
    bool renameThroughTemporary(const QString &source, const QString &target)
    {
        static int counter = 0;
        const QString temporary = QFileInfo(source).absolutePath()
            + QStringLiteral("/.tabulon-rename-%1-%2").arg(qint64(::getpid())).arg(++counter);
        const QByteArray s = native(source);
        const QByteArray t = native(target);
        const QByteArray between = native(temporary);
        if (!renameNoReplace(s, between))
            return false;
        if (::rename(between.constData(), t.constData()) == 0)
            return true;
        const int error = errno;
        ::rename(between.constData(), s.constData());
        errno = error;
        return false;
    }

    bool copyContents(QFile &from, ReplacementFile &to, QString *reason)
    {
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        for (;;) {
            const qint64 n = from.read(buffer.data(), buffer.size());
            if (n < 0)
                return fail(reason, from.errorString());
            if (n == 0)
                return true;
            if (!to.write(buffer.constData(), n))
                return fail(reason, to.errorText());
        }
    }

} // namespace

bool entryExists(const QString &path)
{
    struct stat st;
    return !path.isEmpty() && ::lstat(native(path).constData(), &st) == 0;
}

bool isFolder(const QString &path)
{
    struct stat st;
    return !path.isEmpty() && ::lstat(native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool sameEntry(const QString &a, const QString &b)
{
    struct stat sa;
    struct stat sb;
    return !a.isEmpty() && !b.isEmpty() && ::stat(native(a).constData(), &sa) == 0
        && ::stat(native(b).constData(), &sb) == 0 && sameIdentity(sa, sb);
}

bool moveEntry(const QString &source, const QString &target, QString *reason)
{
    const QByteArray s = native(source);
    const QByteArray t = native(target);
    struct stat ss;
    if (::lstat(s.constData(), &ss) != 0)
        return failErrno(reason, errno);
    if (s == t)
        return true;
    struct stat ts;
    if (::lstat(t.constData(), &ts) == 0) {
        if (!sameIdentity(ss, ts) || !isCaseOnlyRename(source, target))
            return failErrno(reason, EEXIST);
        return renameThroughTemporary(source, target) || failErrno(reason, errno);
    }
    return renameNoReplace(s, t) || failErrno(reason, errno);
}

bool copyFile(const QString &source, const QString &target, QString *reason)
{
    struct stat ss;
    if (::stat(native(source).constData(), &ss) != 0)
        return failErrno(reason, errno);
    if (!S_ISREG(ss.st_mode))
        return fail(reason, QCoreApplication::translate("Platform", "not a file"));
    struct stat ts;
    if (::stat(native(target).constData(), &ts) == 0 && sameIdentity(ss, ts))
        return fail(
            reason, QCoreApplication::translate("Platform", "source and target are the same file"));
    int err = 0;
    const int in = fileio::openForReading(source, &err);
    if (in < 0)
        return fail(reason, fileio::errorText(err));
    QFile from;
    if (!from.open(in, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(in);
        return fail(reason, from.errorString());
    }
    // A link at the target is replaced by the copy; the file it leads to is never written.
    ReplacementFile to(target, ReplacementFile::Link::Replace);
    if (!to.open())
        return fail(reason, to.errorText());
    if (!copyContents(from, to, reason))
        return false;
    // Like a copy on the catalogue's home system: the copy has the source's date, so a
    // later folder update takes it for what it is.
    ::fchmod(to.fd(), ss.st_mode & 07777);
    const struct timespec times[2] = { ss.st_atim, ss.st_mtim };
    ::futimens(to.fd(), times);
    if (!to.commit())
        return fail(reason, to.errorText());
    return true;
}

bool removeEmptyFolder(const QString &path)
{
    return !path.isEmpty() && isFolder(path) && ::rmdir(native(path).constData()) == 0;
}

} // namespace filemoves
