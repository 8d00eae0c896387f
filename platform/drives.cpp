#include "drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStringList>

namespace drives
{

bool isWindowsForm(const QString &path)
{
    return path.size() >= 2 && path.at(1) == QLatin1Char(':');
}

bool isAbsolute(const QString &path)
{
    return isWindowsForm(path) || path.startsWith(QLatin1Char('/'));
}

QString driveOf(const QString &absolutePath)
{
    if (isWindowsForm(absolutePath))
        return absolutePath.left(2).toUpper() + QLatin1Char('\\');
    QString path = absolutePath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    int depth = 0;
    if (parts.size() >= 3 && parts.at(0) == QLatin1String("media"))
        depth = 3;
    else if (parts.size() >= 4 && parts.at(0) == QLatin1String("run")
        && parts.at(1) == QLatin1String("media"))
        depth = 4;
    else if (parts.size() >= 2 && parts.at(0) == QLatin1String("mnt"))
        depth = 2;
    QString drive = QStringLiteral("/");
    for (int i = 0; i < depth; ++i)
        drive += parts.at(i) + QLatin1Char('/');
    return drive;
}

bool driveExists(const QString &drive)
{
    if (isWindowsForm(drive))
        return false;
    if (drive == QLatin1String("/"))
        return true;
    return QFileInfo(drive).isDir() && isMountPoint(drive);
}

bool isMountPoint(const QString &folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty())
        return false;
    const QStorageInfo storage(canonical);
    return storage.isValid() && QDir::cleanPath(storage.rootPath()) == canonical;
}

} // namespace drives
