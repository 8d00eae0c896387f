#include "programfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace programfolder
{

namespace
{

    QString withSeparator(const QString &folder)
    {
        return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    }

} // namespace

ProgramFolder locate(const QString &executablePath)
{
    ProgramFolder result;
    result.executablePath = QFileInfo(executablePath).absoluteFilePath();
    const QString beside = withSeparator(QFileInfo(result.executablePath).absolutePath());
    if (isWritableFolder(beside)) {
        result.folder = beside;
        return result;
    }
    result.folder = perUserFolder();
    result.perUser = true;
    QDir().mkpath(result.folder);
    return result;
}

QString perUserFolder()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QLatin1String("/.config");
    return withSeparator(base) + QLatin1String("Tabulon/");
}

bool isWritableFolder(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(withSeparator(folder) + QLatin1String(".tabulon-probe-XXXXXX"));
    return probe.open();
}

} // namespace programfolder
