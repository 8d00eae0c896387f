#pragma once

#include <QByteArray>
#include <QString>

namespace atomicfile
{

// Replaces the file at path with bytes so that a reader sees either the old or the new
// content, never a mixture: the bytes go to a temporary file in the same folder, are
// flushed to the disk, and the temporary file is then renamed over path. A symbolic
// link at path is followed, so the link stays a link. An existing file keeps its
// permission bits; a new one gets the usual ones of the user's umask.
//
// Returns false when any step fails (folder not writable, disk full, rename refused);
// the file at path is then untouched and no temporary file is left behind. *error, when
// given, receives the system's reason.
bool write(const QString &path, const QByteArray &bytes, QString *error = nullptr);

} // namespace atomicfile
