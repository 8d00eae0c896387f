#include "filecontent.h"

#include "fileio.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace filecontent
{

namespace
{

    // Reads up to size bytes at data; fewer only at the end of the file.
    qint64 readFully(int fd, char *data, qint64 size, int *err)
    {
        qint64 got = 0;
        while (got < size) {
            const ssize_t n = ::read(fd, data + got, size_t(size - got));
            if (n > 0) {
                got += n;
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                *err = errno;
                return -1;
            }
        }
        return got;
    }

} // namespace

bool read(const QString &path, qint64 maxSize, QByteArray &bytes, int *err)
{
    int ignored = 0;
    int &why = err ? *err : ignored;
    why = 0;
    bytes.clear();
    qint64 size = 0;
    const int fd = fileio::openForReading(path, &why, &size);
    if (fd < 0)
        return false;
    bool ok = size <= maxSize;
    if (!ok)
        why = EFBIG;
    if (ok) {
        // A file that grows meanwhile is read as far as its size said.
        bytes.resize(qsizetype(size));
        const qint64 got = readFully(fd, bytes.data(), bytes.size(), &why);
        ok = got >= 0;
        if (ok)
            bytes.resize(qsizetype(got));
    }
    ::close(fd);
    if (!ok)
        bytes.clear();
    return ok;
}

bool readPieces(const QString &path, qint64 pieceSize, QByteArray &buffer,
    const std::function<bool(const char *data, qint64 size)> &consume, int *err)
{
    int ignored = 0;
    int &why = err ? *err : ignored;
    why = 0;
    qint64 size = 0;
    const int fd = fileio::openForReading(path, &why, &size);
    if (fd < 0)
        return false;
    // A small file needs no more room than it takes; one byte more tells its end at once.
    const qint64 room = std::max<qint64>(1, std::min(pieceSize, size + 1));
    if (buffer.size() < room)
        buffer.resize(qsizetype(room));
    bool ok = true;
    for (;;) {
        const qint64 got = readFully(fd, buffer.data(), room, &why);
        ok = got >= 0;
        if (got <= 0 || !consume(buffer.constData(), got) || got < room)
            break;
    }
    ::close(fd);
    return ok;
}

} // namespace filecontent
