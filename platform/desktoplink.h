#pragma once

#include <QByteArray>
#include <QString>

// The desktop shortcut of the program: an XDG desktop entry "Tabulon.desktop" that starts
// the executable in the program folder.
namespace desktoplink
{

// The user's desktop folder (xdg-user-dirs), empty when there is none.
QString desktopFolder();

// The entry's text: Exec is the executable, Path the program folder, both escaped as the
// desktop entry format requires.
QByteArray entryText(const QString &executablePath, const QString &programFolder);

// Writes desktopFolder + "/Tabulon.desktop", replacing a file of that name, and marks it
// executable (desktops only start marked entries). Returns false on failure; the program
// does not report it.
bool create(
    const QString &executablePath, const QString &programFolder, const QString &desktopFolder);

} // namespace desktoplink
