#pragma once

#include "platform/programfolder.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>

// The program's texts in the user's language. The texts in the code are English; a
// translation "tabulon_<code>.qm" (code: the language of the locale in two lower-case
// letters, "de") is looked for where the guide is looked for (helpFolders): in each folder
// itself, then in its "translations" subfolder, where an installation keeps it. The first
// file found is taken; with none the program speaks English. The language is the one that
// chooses the guide, so that the menus and the guide of a German user are both German.
// Dates and numbers do not follow it: they keep the program's own rules (dialogs/regional.h).

// "tabulon_de.qm" for a German locale.
QString translationFileName(const QLocale &locale);

// The folders to look in, in order: each folder of the guide, then its "translations/".
QStringList translationFolders(const ProgramFolder &program);

// The translation for the locale in the first folder that holds one; empty when none does.
QString chooseTranslationFile(const QStringList &folders, const QLocale &locale);

class ProgramTranslation
{
public:
    // Loads the program's translation for the locale from the folders and, with it, Qt's own
    // texts in the same language (the buttons of the standard dialogs) from Qt's
    // translations folder, where the system has them. Needs no application object.
    void load(const QStringList &folders, const QLocale &locale);
    // The program's translation loaded; empty while the program speaks English.
    QString file() const { return m_file; }
    // The text in the language loaded: the source text itself when there is no translation.
    // For texts shown before the application object exists; later ones use tr().
    QString translate(const char *context, const char *sourceText) const;
    // Makes the loaded translations those of the application object, which must exist and
    // must not outlive this.
    void install();

private:
    QTranslator m_program;
    QTranslator m_qt;
    QString m_file;
};
