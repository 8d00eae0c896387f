#pragma once

#include <QString>
#include <QStringList>

// Where the files shipped with the program (the help) may lie. A portable copy keeps them
// beside the executable; an installed copy has them in the installation's data folder,
// share/tabulon/ beside the bin/ folder of the executable.
namespace datafolders
{

// The folders to look in, in order, each native with a trailing "/": the executable's
// folder, then the installed data folder when it exists. Duplicates are left out.
QStringList shipped(const QString &executablePath);

} // namespace datafolders
