#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The applications installed for the desktop, as their desktop entries (*.desktop files
// in the "applications" folders of the XDG data folders) describe them: what the
// open-with chooser offers for a file.
namespace desktopapps
{

struct Application {
    QString id; // desktop file id: "org.gnome.eog.desktop", subfolders joined by "-"
    QString name; // Name of the entry
    QString exec; // Exec of the entry, field codes included
    QStringList mimeTypes;
};

// $XDG_DATA_HOME/applications (default ~/.local/share/applications), then the
// "applications" folder of each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share);
// earlier folders win when two hold the same id.
QStringList applicationFolders();

// Reads one desktop entry; false when it is no application or is hidden (Hidden=true),
// has no Exec, or cannot be read.
bool readEntry(const QString &path, const QString &id, Application &app);

// The applications that declare the file's MIME type or one it derives from (a C++ source
// is plain text too), sorted by name without regard to case. The type is taken from the
// file's name and content.
std::vector<Application> forFile(const QString &filePath);

// The program and its arguments that open the file with the application: Exec split as
// the desktop entry format quotes it, %f and %F replaced by the path, %u and %U by its
// file URL, %% by "%", the other field codes dropped; without any file code the path is
// appended. The path is one argument, never an option (commandline::pathArgument). An
// empty list when Exec is unusable.
QStringList commandFor(const Application &app, const QString &filePath);

// Starts the application on the file, detached. False when it could not be started.
bool launch(const Application &app, const QString &filePath);

} // namespace desktopapps
