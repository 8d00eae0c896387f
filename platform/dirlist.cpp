#include "dirlist.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace dirlist
{

namespace
{

    DIR *stream(void *p)
    {
        return static_cast<DIR *>(p);
    }

    bool isDotOrDotDot(const char *name)
    {
        return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
    }

    EntryType typeFromMode(mode_t mode)
    {
        if (S_ISDIR(mode))
            return EntryType::Folder;
        if (S_ISREG(mode))
            return EntryType::File;
        if (S_ISLNK(mode))
            return EntryType::Symlink;
        return EntryType::Other;
    }

    // d_type is a hint some file systems leave unknown; then one lstat tells.
    EntryType typeOf(int dirFd, const dirent *e)
    {
        switch (e->d_type) {
        case DT_DIR:
            return EntryType::Folder;
        case DT_REG:
            return EntryType::File;
        case DT_LNK:
            return EntryType::Symlink;
        case DT_UNKNOWN: {
            struct stat st;
            if (fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return EntryType::Other;
            return typeFromMode(st.st_mode);
        }
        default:
            return EntryType::Other;
        }
    }

    // Whether the file system of fd keeps the link count of a folder at two plus its number
    // of sub-folders. Only file systems known to do so are trusted (others report 1 or
    // anything); the answer is kept per device.
    bool countsSubFolders(int fd, dev_t device)
    {
        struct Known {
            dev_t device;
            bool counts;
        };
        thread_local std::vector<Known> known;
        for (const Known &k : known)
            if (k.device == device)
                return k.counts;
        struct statfs fs;
        if (fstatfs(fd, &fs) != 0)
            return false;
        constexpr unsigned long kExt = 0xEF53, kXfs = 0x58465342, kTmpfs = 0x01021994;
        const auto type = static_cast<unsigned long>(fs.f_type);
        const bool counts = type == kExt || type == kXfs || type == kTmpfs;
        if (known.size() < 64)
            known.push_back({ device, counts });
        return counts;
    }

    // Most names are plain ASCII, which needs no UTF-8 decoder.
    QString decodedName(const QByteArray &raw)
    {
        for (const char c : raw)
            if (static_cast<unsigned char>(c) >= 0x80)
                return QFile::decodeName(raw);
        return QString::fromLatin1(raw);
    }

} // namespace

Folder::~Folder()
{
    if (m_stream)
        closedir(stream(m_stream));
}

bool Folder::adopt(int fd)
{
    if (m_stream) {
        closedir(stream(m_stream));
        m_stream = nullptr;
        m_fd = -1;
    }
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    DIR *d = fdopendir(fd);
    if (!d) {
        m_error = errno;
        ::close(fd);
        return false;
    }
    m_stream = d;
    m_fd = fd;
    m_error = 0;
    return true;
}

bool Folder::open(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    return adopt(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool Folder::openChild(const Folder &parent, const QByteArray &rawName)
{
    if (!parent.isOpen()) {
        adopt(-1);
        m_error = EBADF;
        return false;
    }
    return adopt(
        openat(parent.m_fd, rawName.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

template <typename Take> bool Folder::forEachEntry(bool skipDotNames, Take take)
{
    if (!m_stream) {
        m_error = EBADF;
        return false;
    }
    DIR *d = stream(m_stream);
    rewinddir(d);
    for (;;) {
        errno = 0;
        const dirent *e = readdir(d);
        if (!e) {
            m_error = errno;
            return m_error == 0;
        }
        if (isDotOrDotDot(e->d_name) || (skipDotNames && e->d_name[0] == '.'))
            continue;
        take(e, typeOf(m_fd, e));
    }
}

bool Folder::read(std::vector<Entry> &out, Filter filter, bool skipDotNames)
{
    return forEachEntry(skipDotNames, [&](const dirent *e, EntryType type) {
        if (filter == Filter::FoldersOnly && type != EntryType::Folder)
            return;
        Entry entry;
        entry.rawName = QByteArray(e->d_name);
        entry.name = decodedName(entry.rawName);
        entry.type = type;
        out.push_back(std::move(entry));
    });
}

bool Folder::readRaw(RawListing &out, bool skipDotNames)
{
    out.names.clear();
    out.items.clear();
    return forEachEntry(skipDotNames, [&](const dirent *e, EntryType type) {
        RawListing::Item item;
        item.offset = int(out.names.size());
        item.length = int(std::strlen(e->d_name));
        item.type = type;
        out.names.append(e->d_name, item.length + 1);
        out.items.push_back(item);
    });
}

bool Folder::id(FolderId &out) const
{
    struct stat st;
    if (m_fd < 0 || fstat(m_fd, &st) != 0)
        return false;
    out.device = st.st_dev;
    out.inode = st.st_ino;
    out.noSubFolders = st.st_nlink == 2 && countsSubFolders(m_fd, st.st_dev);
    return true;
}

bool Folder::statEntry(const QByteArray &rawName, struct stat &out) const
{
    return statEntry(rawName.constData(), out);
}

bool Folder::statEntry(const char *rawName, struct stat &out) const
{
    return m_fd >= 0 && fstatat(m_fd, rawName, &out, 0) == 0;
}

EntryType Folder::targetType(const char *rawName) const
{
    struct stat st;
    if (!statEntry(rawName, st))
        return EntryType::Other;
    return S_ISDIR(st.st_mode) ? EntryType::Folder : EntryType::File;
}

bool Folder::removeChildFolder(const QByteArray &rawName)
{
    if (m_fd >= 0 && unlinkat(m_fd, rawName.constData(), AT_REMOVEDIR) == 0)
        return true;
    m_error = m_fd >= 0 ? errno : EBADF;
    return false;
}

bool readFolder(const QString &path, std::vector<Entry> &out, Filter filter, bool skipDotNames)
{
    Folder folder;
    return folder.open(path) && folder.read(out, filter, skipDotNames);
}

} // namespace dirlist
