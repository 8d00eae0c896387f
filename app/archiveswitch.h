#pragma once

#include "state/settings.h"

#include <QString>

// The three archive commands of the File menu: switch, new and delete. They ask through
// the shared dialog and run the steps of an archive change in their fixed order: an edit of
// the open archive ended, its file written (its table closed), archiveName set, the
// program-wide file written, the other archive opened, then shown.

// The steps an archive change is made of; the main window's archive handling provides
// them, tests record them.
class ArchiveSteps
{
public:
    virtual ~ArchiveSteps() = default;
    // The archive list with a caption: the chosen name, or empty when none was chosen.
    virtual QString chooseArchive(const QString &caption) = 0;
    // Ends an edit of the open archive before its table closes. False when the edit must go
    // on (the user has been told why): the archive then stays open.
    virtual bool endEdit() { return true; }
    virtual void saveArchiveSettings() = 0;
    virtual void saveProgramSettings() = 0;
    // Opens the archive archiveName names. False when no archive could be opened and the
    // program is ending (the opening has said why).
    virtual bool openArchive() = 0;
    // The folder tree and the status bar of the archive just opened.
    virtual void showArchive() = 0;
    // The layout rules run once more, with the column widths the archive brought.
    virtual void relayout() = 0;
};

// "Switch archive": the chosen archive replaces the open one. Choosing nothing, or the
// open archive in any letter case, changes nothing and writes no file. True when another
// archive was opened.
bool switchArchive(Settings &settings, ArchiveSteps &steps);

// "New archive": asks for the name, refuses one no archive may have (archiveNameFault)
// and one whose settings file exists ("Archive  '<name>'  already exists !"), then
// changes to it; opening it asks for its root folder.
// True when the new archive was opened.
bool newArchive(Settings &settings, const ProgramFolder &program, ArchiveSteps &steps);

// "Delete archive": after a Yes to "Delete archive  '<name>' (no files !)", deletes the
// chosen archive's settings file and nothing else; the open archive is refused. A failed
// deletion is not reported. True when a file was deleted.
bool deleteArchive(const Settings &settings, const ProgramFolder &program, ArchiveSteps &steps);
