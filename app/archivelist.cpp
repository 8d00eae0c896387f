#include "archivelist.h"

#include "settings.h"

#include <QCollator>
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
        // A name that begins with "." would list as nothing, which no one can choose.
        const QString name = entry.left(entry.indexOf(QLatin1Char('.')));
        if (!name.isEmpty())
            names << name;
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(),
        [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    return names;
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
