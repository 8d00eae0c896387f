#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Reading files that the folders supply, with as few requests to the system as there can
// be (status, open, status, read, close), for walks that read thousands of them. Links are
// followed; only regular files are read, and the open never blocks (fileio::openForReading),
// so a FIFO or a device in a folder reads as a refusal, never as a wait.
namespace filecontent
{

// The bytes of the regular file at path. False, with bytes empty, when it cannot be
// opened or read, is no regular file, or holds more than maxSize bytes; *err (when given)
// then tells why as fileio::errorText() words it: ENOENT when nothing is there, EFBIG when
// it is too large.
bool read(const QString &path, qint64 maxSize, QByteArray &bytes, int *err = nullptr);

// Reads the regular file at path from its start in pieces of at most pieceSize bytes and
// hands each to consume, which returns false to stop early. buffer holds the pieces; kept
// by the caller across files, it is allocated once for a whole walk. False when the file
// cannot be opened or a read fails (*err as above); pieces handed over before a failed
// read stay handed over.
bool readPieces(const QString &path, qint64 pieceSize, QByteArray &buffer,
    const std::function<bool(const char *data, qint64 size)> &consume, int *err = nullptr);

} // namespace filecontent
