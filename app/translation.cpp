#include "translation.h"

#include "helpfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>

namespace
{

QString languageCode(const QLocale &locale)
{
    return helpLanguageCode(locale).toLower();
}

} // namespace

QString translationFileName(const QLocale &locale)
{
    return QStringLiteral("tabulon_") + languageCode(locale) + QStringLiteral(".qm");
}

QStringList translationFolders(const ProgramFolder &program)
{
    QStringList folders;
    for (const QString &folder : helpFolders(program))
        folders << folder << folder + QStringLiteral("translations/");
    return folders;
}

QString chooseTranslationFile(const QStringList &folders, const QLocale &locale)
{
    const QString name = translationFileName(locale);
    for (const QString &folder : folders)
        if (QFileInfo(folder + name).isFile())
            return folder + name;
    return QString();
}

void ProgramTranslation::load(const QStringList &folders, const QLocale &locale)
{
    const QString file = chooseTranslationFile(folders, locale);
    if (file.isEmpty() || !m_program.load(file))
        return;
    m_file = file;
    // Qt's texts only beside a translation of the program: never a French "Annuler" among
    // English menus. Without them (their package is only recommended) the standard dialogs
    // stay English.
    const bool qtTexts = m_qt.load(QStringLiteral("qtbase_") + languageCode(locale),
        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    Q_UNUSED(qtTexts)
}

QString ProgramTranslation::translate(const char *context, const char *sourceText) const
{
    const QString translated
        = m_file.isEmpty() ? QString() : m_program.translate(context, sourceText);
    return translated.isEmpty() ? QString::fromUtf8(sourceText) : translated;
}

void ProgramTranslation::install()
{
    if (m_file.isEmpty())
        return;
    if (!m_qt.isEmpty())
        QCoreApplication::installTranslator(&m_qt);
    QCoreApplication::installTranslator(&m_program);
}
