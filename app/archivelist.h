#pragma once

#include "platform/programfolder.h"

#include <QString>
#include <QStringList>

// The archives of a program folder: every entry named "*.ini" (letter case ignored;
// hidden files and folders of such a name included) except the file named exactly
// "Tabulon.ini", each listed by its name up to the first ".". A program-wide file whose
// name differs in letter case ("tabulon.ini") is listed like any other archive.
// Sorted by the user's locale without regard to letter case, as the chooser shows them.
QStringList archiveNames(const ProgramFolder &program);

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
