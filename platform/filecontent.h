#pragma once

#include <QByteArray>
#include <QString>

// Reading small files whole with as few requests to the system as there can be (open,
// status, read, close), for walks that read thousands of them.
namespace filecontent
{

// The bytes of the regular file at path (links followed). False, with bytes empty, when
// it cannot be opened or read, is no regular file, or holds more than maxSize bytes.
bool read(const QString &path, qint64 maxSize, QByteArray &bytes);

} // namespace filecontent
