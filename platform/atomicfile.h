#pragma once

#include <QByteArray>
#include <QString>

namespace atomicfile
{

// Replaces the file at path with bytes so that a reader sees either the old or the new
// content, never a mixture: the bytes go to a temporary file in the same folder, are
// flushed to the disk, and the temporary file is then renamed over path. Nothing is
// written through a symbolic link: a link at path is itself replaced by the new file,
// and the file it pointed to stays as it was. An existing file keeps its permission bits;
// a new one gets the usual ones of the user's umask, with ownerExecutable also the
// owner's execute bit.
//
// Returns false when any step fails (folder not writable, disk full, rename refused) or
// path names something else than a file or a link (a FIFO, a device, a folder) or a file
// that may not be written; the file at path is then untouched and no temporary file is
// left behind. *error, when given, receives the reason.
bool write(const QString &path, const QByteArray &bytes, QString *error = nullptr,
    bool ownerExecutable = false);

} // namespace atomicfile
