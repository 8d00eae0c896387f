#pragma once

#include <QByteArray>
#include <QString>

// The desktop shortcut of the program: an XDG desktop entry "Tabulon.desktop" that starts
// the executable in the program folder.
namespace desktoplink
{

// The user's desktop folder (xdg-user-dirs), empty when there is none.
QString desktopFolder();

// The entry's icon: the program's icon file beside the executable when the copy carries
// one (org.tabulon.Tabulon.svg, else .png: a portable copy, or the build folder), otherwise
// the icon's name in the desktop's icon theme, where an installed copy puts it.
QString iconFor(const QString &executablePath);

// The entry's text: Exec is the executable, Path the program folder, Icon the icon (a
// theme name or a file), each escaped as the desktop entry format requires.
QByteArray entryText(
    const QString &executablePath, const QString &programFolder, const QString &icon);

// Writes desktopFolder + "/Tabulon.desktop" with the icon iconFor() gives, replacing a
// file of that name, and marks it executable (desktops only start marked entries). Returns
// false on failure; the program does not report it.
bool create(
    const QString &executablePath, const QString &programFolder, const QString &desktopFolder);

} // namespace desktoplink
