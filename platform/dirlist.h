#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

#include <vector>

// Lean reading of folders for the walks over the disk (folder tree, folder listings,
// case-insensitive path resolution). It asks the file system for names and entry types
// only, so that a walk over tens of thousands of folders costs little more than the
// system calls themselves. POSIX only; the rest of the program never sees a descriptor.
namespace dirlist
{

enum class EntryType { File, Folder, Symlink, Other };

struct Entry {
    QByteArray rawName; // the bytes the file system returned
    QString name; // decoded; names that are not valid UTF-8 hold U+FFFD
    EntryType type = EntryType::Other; // of the entry itself: links are not followed
};

// Identity of a folder on disk, for noticing that a walk came back to where it was.
struct FolderId {
    dev_t device = 0;
    ino_t inode = 0;
    // Known to hold no sub-folder, without reading it: on file systems that count a
    // folder's sub-folders in its link count (two plus one per sub-folder), a count of two.
    bool noSubFolders = false;
    bool operator==(const FolderId &o) const { return device == o.device && inode == o.inode; }
};

// The entries of a folder undecoded, every name in one buffer: for walks that look at
// every file of many folders and decode only the few names that need it.
struct RawListing {
    struct Item {
        int offset = 0; // of the name in names, which ends with a NUL
        int length = 0;
        EntryType type = EntryType::Other;
    };
    QByteArray names;
    std::vector<Item> items;
    const char *name(const Item &item) const { return names.constData() + item.offset; }
    QByteArray nameBytes(const Item &item) const { return QByteArray(name(item), item.length); }
};

enum class Filter {
    All,
    FoldersOnly, // real folders only: links to folders are left out
};

// An open folder. Sub-folders are opened relative to it, so a deep walk never builds or
// re-parses long paths and a folder replaced by a link between listing and opening is
// refused instead of followed.
class Folder
{
public:
    Folder() = default;
    ~Folder();
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    // False when the folder cannot be opened; error() then holds errno.
    bool open(const QString &path);
    bool openChild(const Folder &parent, const QByteArray &rawName);
    bool isOpen() const { return m_fd >= 0; }
    int error() const { return m_error; }

    // Appends the entries ("." and ".." left out) in the order the file system returns
    // them. Names beginning with "." are left out too when skipDotNames is set, before
    // any decoding is spent on them. False (with error()) when reading fails midway;
    // the entries read so far are kept.
    bool read(std::vector<Entry> &out, Filter filter, bool skipDotNames);
    // The same undecoded, replacing what out held.
    bool readRaw(RawListing &out, bool skipDotNames);

    // Identity of this folder (fstat); false when it cannot be told.
    bool id(FolderId &out) const;

    // Status of an entry of this folder, links followed. False when the entry has gone.
    bool statEntry(const QByteArray &rawName, struct stat &out) const;
    bool statEntry(const char *rawName, struct stat &out) const;
    // What an entry leads to, links followed: Folder, File for any other kind (devices and
    // pipes too), or Other when it has gone or is a link that leads nowhere.
    EntryType targetType(const char *rawName) const;

    // Removes an empty sub-folder (never a link). False when it is not empty or the
    // system refuses; error() then holds errno.
    bool removeChildFolder(const QByteArray &rawName);

private:
    // Calls take(entry, type) for every entry but "." and ".." (and dot-names when asked),
    // from the start of the folder. False (with error()) when reading fails.
    template <typename Take> bool forEachEntry(bool skipDotNames, Take take);

    bool adopt(int fd);

    void *m_stream = nullptr; // DIR *, kept out of the header
    int m_fd = -1;
    int m_error = 0;
};

// Convenience: all entries of a folder by path. False when the folder cannot be read.
bool readFolder(const QString &path, std::vector<Entry> &out, Filter filter = Filter::All,
    bool skipDotNames = false);

} // namespace dirlist
