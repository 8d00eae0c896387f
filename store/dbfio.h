#pragma once

#include "dbstatus.h"

#include <QString>

#include <functional>

// Positioned reads and writes of the table files, with the one seam through which tests
// make the disk fail. Every failure names the file and the offset.
namespace dbfio
{

// Called before every write with the file, offset and size; returning false fails the
// write as a full disk would. Also called by pack between its steps (size -1, offset =
// step number) so that a test can stop it there. Called by one thread at a time. Not set
// in the program.
using FaultHook = std::function<bool(const QString &path, qint64 offset, qint64 size)>;
void setFaultHook(FaultHook hook);
bool faultAllows(const QString &path, qint64 offset, qint64 size);

// Reads up to size bytes at offset; *got tells how many arrived (fewer only at the end).
DbStatus readAt(int fd, char *data, qint64 size, qint64 offset, const QString &path, qint64 *got);
DbStatus writeAt(int fd, const char *data, qint64 size, qint64 offset, const QString &path);
// The same without asking the system to write the bytes to the disk early: for scratch
// files removed before long, and for files synced on a thread of their own while other
// work goes on (early write-back would hold up the writer when the disk is busy).
DbStatus writeAtDeferred(int fd, const char *data, qint64 size, qint64 offset, const QString &path);
DbStatus truncate(int fd, qint64 size, const QString &path);
DbStatus sync(int fd, const QString &path);
// Asks the system to start writing the given bytes to the disk without waiting for it, so
// that a later sync finds less to do. Only a hint: nothing happens where it is not offered.
void startWriteback(int fd, qint64 offset, qint64 size);
DbStatus syncPath(const QString &path); // a file or folder given by name
qint64 fileSize(int fd);

QString ioError(const QString &what, const QString &path, int err);

} // namespace dbfio
