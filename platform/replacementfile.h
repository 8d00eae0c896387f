#pragma once

#include <QByteArray>
#include <QString>

// A file written under a temporary name in the folder of its final name and renamed over
// that name once complete: a reader sees the old content or the new, never a mixture, and
// a failed write leaves the old file as it was and no temporary file behind.
//
// Nothing is ever written through a symbolic link. A link at the name is, as the caller
// decides, either itself replaced by the new file (the file it points to stays as it was)
// or refused. A FIFO, socket, device or folder at the name is always refused, and so is a
// regular file that the user may not write (as a read-only file is meant to be kept).
class ReplacementFile
{
public:
    enum class Link {
        Replace, // the file is made anew whole: the link goes, a regular file takes its name
        Refuse, // the file is changed in place by design: writing it elsewhere would mislead
    };

    ReplacementFile(const QString &path, Link link);
    ~ReplacementFile(); // discards what was not committed
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Checks the name and creates the temporary file. The new file gets the permission bits
    // of the regular file it replaces, else those of a new file under the user's umask, and
    // with ownerExecutable also the owner's execute bit. False when the name may not be
    // replaced or the folder takes no new file (errorText() says why).
    bool open(bool ownerExecutable = false);
    // The temporary file's descriptor, for positioned writes; -1 when it is not open.
    int fd() const { return m_fd; }
    // Writes the bytes after those written so far.
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    // Flushes the file to the disk, renames it over the name, and makes the rename durable.
    // False when a step fails; the old file is then as it was.
    bool commit();
    // Gives up the new file; the old one stays.
    void discard();

    QString errorText() const { return m_error; }

private:
    bool failErrno(); // the reason errno gives
    bool fail(const QString &reason);

    QString m_path;
    Link m_link;
    QByteArray m_temporary;
    int m_fd = -1;
    QString m_error;
};
