#pragma once

#include <QString>

// A file held open for reading and writing under an exclusive advisory lock (flock), so
// that a second process, or a second open in this process, cannot use it meanwhile. The
// lock lives as long as the object; it follows the file when the file is renamed, which is
// how a replacement file can be locked before it takes the place of the old one. The file
// is opened only under its own name: a symbolic link, a FIFO or a device at the name is
// refused, so that the locked file is never one outside the folder it seems to be in.
class FileLock
{
public:
    enum Result {
        Acquired,
        Missing, // the file (or, with create, its folder) does not exist
        Exists, // with create: the file exists already
        Held, // another open holds the lock
        Refused, // the name is a symbolic link or no regular file; see errorText()
        Failed, // any other refusal of the operating system; see errorText()
    };

    FileLock() = default;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;
    ~FileLock(); // releases the lock and closes the file

    // Opens path read-write and takes the lock without waiting. With create the file is
    // made new and must not exist yet.
    Result open(const QString &path, bool create = false);
    void close();

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    QString errorText() const { return m_error; }

private:
    int m_fd = -1;
    QString m_error;
};
