#pragma once

#include <QString>

// Where the settings files live. The program is portable: its settings sit beside the
// executable. An installed copy cannot write there, so it keeps them in the user's
// configuration folder instead, which then also serves as the base of relative roots.
struct ProgramFolder {
    QString executablePath; // full path of the executable
    QString folder; // native path with a trailing "/"
    bool perUser = false; // true when folder is the per-user fallback
};

namespace programfolder
{

// The executable's folder when a file can be created in it, otherwise perUserFolder(),
// created when missing (a failure to create it shows later, as the first settings write
// fails).
ProgramFolder locate(const QString &executablePath);

// The same folder, the per-user one left uncreated: for what is decided before the program
// starts (its language, the --help text), which must not leave folders behind.
ProgramFolder place(const QString &executablePath);

// The running program's own executable, for use before the application object exists (which
// knows it too); argv0 made absolute where the system does not say.
QString runningExecutable(const char *argv0);

// $XDG_CONFIG_HOME/Tabulon/, or ~/.config/Tabulon/ when the variable is unset, empty or
// not an absolute path.
QString perUserFolder();

// True when a file can be created in folder (tried, not guessed from permission bits).
bool isWritableFolder(const QString &folder);

} // namespace programfolder
