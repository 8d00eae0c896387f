#pragma once

#include <QString>

#include <thread>

// The system calls behind the table engine's file access: positioned reads and writes on
// descriptors of open files, their length, flushing to the disk, and removing a file in
// the background. Every call that can fail returns 0 or the system's error number (errno),
// so that the caller words the message; none of them retries what the system refuses.
namespace fileio
{

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
// The system's text for an error number.
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
