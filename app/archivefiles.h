#pragma once

#include "state/settings.h"

#include <functional>

// The parts of start-up and archive opening that read and write the settings files and
// ask the user through the shared dialog (showDialog). The main window calls them in the
// order of the start-up and archive-change sequences and does the rest itself (applying
// the values to its controls, the archive chooser, the catalogue table).

// loadProgramSettings up to the opening of the archive: on first run creates the
// program-wide file and asks "Create desktop-icon ?" (Yes creates the desktop link), then
// reads the values into settings. A refused first write is returned; start-up should
// then show it (reportWriteFailure) and end.
ProfileStatus loadProgramSettings(
    Settings &settings, const ProgramFolder &program, const QStringList &arguments, QSize screen);

// The desktop entry that starts this executable in the program folder. A failure is not
// reported.
bool createDesktopLink(const ProgramFolder &program);

// What a new archive's catalogue table is made with: texts in UTF-8, files without an
// extension taken too (the window turns them into the table's choices).
struct CatalogueChoices {
    bool unicode = false;
    bool extensionless = false;
};

// Asks for the root folder of a new archive: shown with caption and the field preset to
// initialText. Returns false when the user left the question without an answer;
// otherwise *answer is the non-empty text entered and *choices what a catalogue table
// made for the archive is made with (left as given, the default, when not asked).
using RootQuestion = std::function<bool(const QString &caption, const QString &initialText,
    QString *answer, CatalogueChoices *choices)>;

// "Root folder for:  '<archive>'  ?"
QString rootQuestionCaption(const QString &archiveName);

enum class ArchiveFileResult {
    Read, // settings read, rootPath resolved
    Cancelled, // the root question was cancelled: end the program, saving nothing
    WriteRefused, // the new archive file could not be written (see *status)
    Unreadable, // the archive file exists but cannot be read (see *status)
};

// openArchive up to the reading of the values: when the archive file of
// settings.archiveName does not exist, asks for the root folder and creates the file
// with it; then reads the archive values and resolves rootPath. *newChoices: the
// choices the answer gave for a table not yet in the root folder (a table already there
// keeps its own); the default when nothing was asked.
ArchiveFileResult readOrCreateArchiveFile(Settings &settings, const ProgramFolder &program,
    const RootQuestion &askRoot, ProfileStatus *status, CatalogueChoices *newChoices = nullptr);

// The name check of openArchive, for a name that came from the command line or the
// program-wide file: true when it can be an archive's (archiveNameFault); otherwise shows
// why and returns false (the caller then offers the archive chooser with "another
// archive or ESC", so that a bad start archive never keeps the program from starting).
bool checkArchiveName(const QString &name);

// The drive check of openArchive: true when the drive of rootPath exists; otherwise
// shows "Drive  '<drive>'  not exist !" and returns false (the caller then offers the
// archive chooser with "another archive or ESC").
bool checkRootDrive(const Settings &settings);

// Creates rootPath with every missing folder above it (a failure shows later, when the
// table cannot be opened) and makes the program folder the process's current folder.
void enterArchiveFolders(const Settings &settings, const ProgramFolder &program);

// The lock failure's message: shown as an error; the caller then ends the program without
// saving anything.
QString lockFailureMessage();
void showLockFailure();

// Shows the status's message ("Unable to write to <file>", "Unable to read <file>") as an
// error. Nothing is shown for a successful status.
void reportWriteFailure(const ProfileStatus &status);
