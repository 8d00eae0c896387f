#pragma once

#include <QString>

#include <thread>

// The system calls behind the table engine's file access: opening files safely, positioned
// reads and writes on descriptors of open files, their length, flushing to the disk, and
// removing a file in the background. Every call that can fail returns 0 or the system's
// error number (errno), or one of the refusals below, so that the caller words the message
// (errorText() has a text for each); none of them retries what the system refuses.
namespace fileio
{

// Refusals of the opens below, given like error numbers (those of the system are positive).
enum Refusal : int {
    IsLink = -1, // the name is a symbolic link, and the file is to be written
    NotRegular = -2, // a FIFO, socket, device or folder where a file was expected
};

// What stands at a name; a symbolic link is not followed.
enum class EntryKind { Missing, Regular, Link, Other };
EntryKind entryKind(const QString &path);

// The size and last-write time of what a name leads to, links followed, read without
// opening it. found is false when nothing is there, a link dangles, the entry is not a
// regular file or the way to it is barred.
struct FileFacts {
    bool found = false;
    qint64 size = 0;
    qint64 modifiedSecs = 0; // since 1970-01-01 00:00 UTC
};
FileFacts fileFacts(const QString &path);

// Opens a file that a folder supplies (a long text, a settings file) for reading. Links
// are followed, but only a regular file is opened: anything else is refused (NotRegular)
// before it is opened, and the open itself cannot block, so a FIFO without a writer or a
// device never holds the caller up. Returns the descriptor (close it with closeFile() or
// hand it to a QFile) and, when size is given, the file's length; or -1 with *err set
// (ENOENT when nothing is there).
int openForReading(const QString &path, int *err, qint64 *size = nullptr);
// Opens the regular file at path for reading and writing without following a link at
// path (IsLink) and refusing anything else than a regular file (NotRegular), without
// blocking on the open. With create the file is made new and must not exist yet
// (EEXIST; IsLink when a link, even a dangling one, holds the name).
int openForWriting(const QString &path, bool create, int *err);
// Closes a descriptor that was opened above and not handed on.
void closeFile(int fd);

// Reads up to size bytes at offset; *got tells how many arrived (fewer only at the end of
// the file). Interrupted reads are taken up again.
int readAt(int fd, char *data, qint64 size, qint64 offset, qint64 *got);
// Writes all size bytes at offset.
int writeAt(int fd, const char *data, qint64 size, qint64 offset);
int truncate(int fd, qint64 size);
// The file's data (and the metadata needed to read it back) on the disk.
int syncData(int fd);
// A file or folder given by name on the disk; a file system that cannot sync a folder
// counts as success.
int syncPath(const QString &path);
// Asks the system to start writing the given bytes to the disk without waiting for it, so
// that a later sync finds less to do. Only a hint: nothing happens where it is not offered.
void startWriteback(int fd, qint64 offset, qint64 size);
// Renames from to to, replacing a file there.
int replace(const QString &from, const QString &to);
// Gives the file's cached pages back to the system (those not waiting to be written), for
// a file that is about to go: the memory is then at hand for what is written next.
void dropCachedPages(const QString &path);
// -1 when the length cannot be told.
qint64 fileSize(int fd);
// The system's text for an error number, or the reason of a refusal.
QString errorText(int err);

// Removes one file at a time on a thread of its own: freeing the blocks of a large file
// takes a while that the caller need not wait for. The removal is waited for by the next
// start(), by wait() and at the latest when the object goes, so no removal outlives its
// owner. Failures are ignored: what could not be removed is a stray file, not a loss.
class BackgroundRemoval
{
public:
    BackgroundRemoval() = default;
    ~BackgroundRemoval();
    BackgroundRemoval(const BackgroundRemoval &) = delete;
    BackgroundRemoval &operator=(const BackgroundRemoval &) = delete;

    // Removes path on the thread, or at once when no thread can be started.
    void start(const QString &path);
    void wait();

private:
    std::thread m_thread;
};

} // namespace fileio
