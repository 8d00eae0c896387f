#include "filesondisk.h"

#include "platform/fileio.h"

#include <QFileInfo>

namespace
{

// A catalogue of many folders is walked in any order; beyond this many, the folders
// resolved so far are forgotten rather than kept without bound.
constexpr int kMaxFolders = 1 << 16;

bool isSingleName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

} // namespace

FilesOnDisk::FilesOnDisk(const QString &root, const TextCodec &codec)
    : m_resolver(root)
    , m_codec(codec)
{
}

const FilesOnDisk::Folder &FilesOnDisk::folder(const QByteArray &dir)
{
    const auto known = m_folders.constFind(dir);
    if (known != m_folders.constEnd())
        return *known;
    if (m_folders.size() >= kMaxFolders)
        m_folders.clear();
    Folder f;
    f.path = m_resolver.resolve(diskpath::diskName(dir, m_codec));
    f.found = !f.path.isEmpty() && QFileInfo(f.path).isDir();
    return *m_folders.insert(dir, f);
}

FilesOnDisk::File FilesOnDisk::find(std::string_view dir, std::string_view name)
{
    File file;
    const QByteArray dirBytes(dir.data(), qsizetype(dir.size()));
    const Folder &f = folder(dirBytes);
    if (!f.found)
        return file;
    const QString diskName
        = diskpath::diskName(QByteArray(name.data(), qsizetype(name.size())), m_codec);
    if (!isSingleName(diskName))
        return file;
    // The name as stored is the common case; the folder is listed only when it is not.
    QString path = f.path;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    path += diskName;
    fileio::FileFacts facts = fileio::fileFacts(path);
    if (!facts.found) {
        const QString matched
            = m_resolver.resolve(diskpath::diskName(dirBytes, m_codec) + diskName);
        if (matched == path || matched.isEmpty())
            return file;
        path = matched;
        facts = fileio::fileFacts(path);
    }
    if (!facts.found)
        return file;
    file.found = true;
    file.path = path;
    file.size = facts.size;
    file.modifiedSecs = facts.modifiedSecs;
    return file;
}
