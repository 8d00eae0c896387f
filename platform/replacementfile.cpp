#include "replacementfile.h"

#include "fileio.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

ReplacementFile::ReplacementFile(const QString &path, Link link)
    : m_path(path)
    , m_link(link)
{
}

ReplacementFile::~ReplacementFile()
{
    discard();
}

bool ReplacementFile::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

bool ReplacementFile::failErrno()
{
    return fail(fileio::errorText(errno));
}

bool ReplacementFile::open(bool ownerExecutable)
{
    discard();
    m_error.clear();
    const QByteArray name = QFile::encodeName(m_path);
    mode_t mode = newFileMode();
    struct stat st {
    };
    if (::lstat(name.constData(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            if (m_link == Link::Refuse)
                return fail(fileio::errorText(fileio::IsLink));
        } else if (!S_ISREG(st.st_mode)) {
            return fail(fileio::errorText(fileio::NotRegular));
        } else if (::access(name.constData(), W_OK) != 0) {
            return failErrno();
        } else {
            mode = st.st_mode & 07777;
        }
    } else if (errno != ENOENT) {
        return failErrno();
    }
    const QFileInfo info(m_path);
    m_temporary = QFile::encodeName(
        info.absolutePath() + QLatin1String("/.") + info.fileName() + QLatin1String(".XXXXXX"));
    m_fd = ::mkostemp(m_temporary.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_temporary.clear();
        return failErrno();
    }
    if (ownerExecutable)
        mode |= S_IXUSR;
    if (::fchmod(m_fd, mode) != 0) {
        failErrno();
        discard();
        return false;
    }
    return true;
}

bool ReplacementFile::write(const char *data, qint64 size)
{
    if (m_fd < 0)
        return fail(fileio::errorText(EBADF));
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failErrno();
        }
        if (n == 0)
            return fail(fileio::errorText(ENOSPC));
        data += n;
        size -= n;
    }
    return true;
}

bool ReplacementFile::commit()
{
    if (m_fd < 0)
        return fail(fileio::errorText(EBADF));
    bool ok = ::fsync(m_fd) == 0 || failErrno();
    const int closing = ::close(m_fd);
    m_fd = -1;
    ok = ok && (closing == 0 || failErrno());
    // A rename never writes through a link at the new name: it replaces the link itself.
    ok = ok
        && (::rename(m_temporary.constData(), QFile::encodeName(m_path).constData()) == 0
            || failErrno());
    if (!ok) {
        discard();
        return false;
    }
    m_temporary.clear();
    // Makes the rename itself durable; a failure here is not worth failing the write for,
    // since the new content is already in place.
    fileio::syncPath(QFileInfo(m_path).absolutePath());
    return true;
}

void ReplacementFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
}
