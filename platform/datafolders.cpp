#include "datafolders.h"

#include <QDir>
#include <QFileInfo>

#ifndef TABULON_DATA_FROM_BIN
#define TABULON_DATA_FROM_BIN "../share/tabulon"
#endif

namespace datafolders
{

QStringList shipped(const QString &executablePath)
{
    const QDir beside = QFileInfo(executablePath).absoluteDir();
    QStringList folders { beside.absolutePath() + QLatin1Char('/') };
    const QString installed
        = QDir::cleanPath(beside.absoluteFilePath(QStringLiteral(TABULON_DATA_FROM_BIN)))
        + QLatin1Char('/');
    if (QFileInfo(installed).isDir() && !folders.contains(installed))
        folders << installed;
    return folders;
}

} // namespace datafolders
