#include "helpfile.h"

#include "platform/datafolders.h"
#include "state/settings.h"

#include <QDir>
#include <QFileInfo>

namespace
{

QString localHelp()
{
    return settingsfile::programTitle + QStringLiteral(".html");
}

QString englishHelp()
{
    return settingsfile::programTitle + QStringLiteral("-en.html");
}

QString marker(const QString &languageCode)
{
    return settingsfile::programTitle + QLatin1Char('.') + languageCode;
}

// The file of that name in the folder, in any letter case; empty when there is none.
QString fileIn(const QString &folder, const QString &name)
{
    if (QFileInfo(folder + name).isFile())
        return folder + name;
    // QDir's name filters ignore letter case unless told otherwise.
    const QStringList found
        = QDir(folder).entryList({ name }, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    return found.isEmpty() ? QString() : folder + found.first();
}

QString withSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

QString helpLanguageCode(const QLocale &locale)
{
    return QLocale::languageToCode(locale.language()).left(2).toUpper();
}

QString chooseHelpFile(const QString &folder, const QString &languageCode)
{
    const QString dir = withSeparator(folder);
    const bool local = !languageCode.isEmpty() && !fileIn(dir, marker(languageCode)).isEmpty();
    return fileIn(dir, local ? localHelp() : englishHelp());
}

QStringList helpFolders(const ProgramFolder &program)
{
    QStringList folders { withSeparator(program.folder) };
    for (const QString &folder : datafolders::shipped(program.executablePath))
        if (!folders.contains(folder))
            folders << folder;
    return folders;
}

QString chooseHelpFile(const QStringList &folders, const QString &languageCode)
{
    for (const QString &folder : folders) {
        const QString dir = withSeparator(folder);
        const bool holdsHelp = !fileIn(dir, localHelp()).isEmpty()
            || !fileIn(dir, englishHelp()).isEmpty()
            || (!languageCode.isEmpty() && !fileIn(dir, marker(languageCode)).isEmpty());
        if (holdsHelp)
            return chooseHelpFile(dir, languageCode);
    }
    return QString();
}
