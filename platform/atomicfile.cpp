#include "atomicfile.h"

#include "replacementfile.h"

namespace atomicfile
{

bool write(const QString &path, const QByteArray &bytes, QString *error, bool ownerExecutable)
{
    ReplacementFile file(path, ReplacementFile::Link::Replace);
    const bool ok = file.open(ownerExecutable) && file.write(bytes) && file.commit();
    if (!ok && error)
        *error = file.errorText();
    return ok;
}

} // namespace atomicfile
