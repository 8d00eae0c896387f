#include "filecontent.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filecontent
{

bool read(const QString &path, qint64 maxSize, QByteArray &bytes)
{
    bytes.clear();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {
    };
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxSize;
    if (ok) {
        bytes.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        // A file that grows meanwhile is read as far as its size said.
        while (ok && got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n > 0)
                got += n;
            else if (n == 0)
                bytes.resize(got);
            else
                ok = errno == EINTR;
        }
    }
    ::close(fd);
    if (!ok)
        bytes.clear();
    return ok;
}

} // namespace filecontent
