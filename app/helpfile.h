#pragma once

#include "platform/programfolder.h"

#include <QLocale>
#include <QString>
#include <QStringList>

// The help: an HTML user guide beside the executable, in the user's language when there
// is one. A folder offers "Tabulon.html" to users whose language has a marker file named
// after its code ("Tabulon.DE" for German) and "Tabulon-en.html" to everyone else. File
// names are matched without regard to letter case, the exact spelling first.

// The code of the locale's language as the marker file's extension: its first two
// letters, upper-cased ("DE", "EN").
QString helpLanguageCode(const QLocale &locale);

// The help file that one folder offers for a language code, or empty: with the marker
// file, "Tabulon.html" (even when only "Tabulon-en.html" exists, which then gives no help
// at all); without it, "Tabulon-en.html".
QString chooseHelpFile(const QString &folder, const QString &languageCode);

// The folders to look for the help in: the program folder, where the user may put a help
// file of their own, then the folders of the shipped files.
QStringList helpFolders(const ProgramFolder &program);

// Across folders: the first folder holding any of the three files (the marker or either
// help file) decides, by the rule above.
QString chooseHelpFile(const QStringList &folders, const QString &languageCode);
