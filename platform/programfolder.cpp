#include "programfolder.h"

#include <QDir>
#include <QFile>
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
    const ProgramFolder result = place(executablePath);
    if (result.perUser)
        QDir().mkpath(result.folder);
    return result;
}

ProgramFolder place(const QString &executablePath)
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
    return result;
}

QString runningExecutable(const char *argv0)
{
    const QString own = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (!own.isEmpty())
        return own;
    return argv0 ? QFileInfo(QFile::decodeName(argv0)).absoluteFilePath() : QString();
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
