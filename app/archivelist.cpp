#include "archivelist.h"

#include "platform/codepage.h"
#include "state/settings.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

QStringList archiveNames(const ProgramFolder &program)
{
    const QString programFile = settingsfile::programTitle + QStringLiteral(".ini");
    QDir dir(program.folder);
    dir.setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QStringList names;
    for (const QString &entry : dir.entryList()) {
        if (!entry.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive) || entry == programFile)
            continue;
        const QString name = entry.chopped(4);
        if (archiveNameFault(name).isEmpty())
            names << name;
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(),
        [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    return names;
}

QString archiveNameFault(const QString &name)
{
    // The longest name of the archive's files, "<name>.ini" and the like, in a file
    // system that allows 255 bytes a name.
    constexpr qsizetype longestFileName = 255;
    if (name.isEmpty())
        return QCoreApplication::translate("Archives", "the name is empty");
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QCoreApplication::translate("Archives", "a name must not hold \"/\" or \"\\\"");
    if (name.startsWith(QLatin1Char('.')))
        return QCoreApplication::translate("Archives", "a name must not begin with \".\"");
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return QCoreApplication::translate(
                "Archives", "a name must not hold control characters");
    if (!codepage::isExpressible(name))
        return QCoreApplication::translate(
            "Archives", "the settings files can not hold all of its characters");
    if (name.toUtf8().size() + 4 > longestFileName)
        return QCoreApplication::translate("Archives", "the name is too long");
    return QString();
}

QString archiveNameRefusal(const QString &name, const QString &fault)
{
    return QCoreApplication::translate("Archives", "Archive  '%1'  can not be used: %2 !")
        .arg(name, fault);
}

namespace
{

QChar foldAscii(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? QChar(c.unicode() + 32) : c;
}

} // namespace

bool sameArchiveName(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (foldAscii(a.at(i)) != foldAscii(b.at(i)))
            return false;
    return true;
}

QString newArchiveName(const QString &typed)
{
    constexpr qsizetype longest = 201;
    QString name = typed.left(longest);
    if (!name.isEmpty() && name.at(0) >= QLatin1Char('a') && name.at(0) <= QLatin1Char('z'))
        name[0] = QChar(name.at(0).unicode() - 32);
    return name;
}

bool archiveFileExists(const ProgramFolder &program, const QString &name)
{
    const QFileInfo file(archiveFilePath(program, name));
    return file.exists() || file.isSymLink();
}
