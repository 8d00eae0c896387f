#pragma once

#include "platform/programfolder.h"

#include <QString>
#include <QStringList>

// The archives of a program folder: every entry named "*.ini" (letter case ignored;
// hidden files and folders of such a name included) except the file named exactly
// "Tabulon.ini", each listed by its name without ".ini" ("my.photos.ini" is the archive
// "my.photos"). An entry whose name no archive may have (archiveNameFault) is left out:
// it could not be opened. A program-wide file whose name differs in letter case
// ("tabulon.ini") is listed like any other archive. Sorted by the user's locale without
// regard to letter case, as the chooser shows them.
QStringList archiveNames(const ProgramFolder &program);

// Why a name cannot be an archive's, as the sentence the refusal shows; empty when it can.
// The name becomes the settings file's, the table's and the index's file name beside
// others, and is kept in the program-wide file, which holds Windows-1252 only: so it is
// refused when empty, holding "/" or "\", beginning with ".", holding a control
// character or a character outside Windows-1252, or too long for a file name.
QString archiveNameFault(const QString &name);
// "Archive  '<name>'  can not be used: <fault> !"
QString archiveNameRefusal(const QString &name, const QString &fault);

// Archive names are compared ignoring the case of the letters a to z only; other
// letters must match exactly.
bool sameArchiveName(const QString &a, const QString &b);

// The name of a new archive as typed: its first character upper-cased when it is one of
// the letters a to z, then its characters 2 to 201; a longer text is cut there. Nothing
// else about the characters is checked.
QString newArchiveName(const QString &typed);

// True when the program folder holds a file (or folder) of the archive's name with
// ".ini", in any letter case. The program-wide file counts, so "Tabulon" is taken.
bool archiveFileExists(const ProgramFolder &program, const QString &name);
