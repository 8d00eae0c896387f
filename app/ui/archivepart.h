#pragma once

#include "app/archivefiles.h"
#include "platform/programfolder.h"

#include <QObject>
#include <QStringList>

#include <functional>

class TForm1;

// What opening archives needs from outside the main window. The running program takes it
// from the executable (installArchive(TForm1 &)); tests hand in a program folder of their
// own, the command line they want and, where they do not drive the real windows, their
// own answers to the root question and the archive chooser.
struct ArchiveEnvironment {
    ProgramFolder program;
    QStringList arguments; // command-line arguments after the program's name
    RootQuestion askRoot; // unset: the root-folder dialog TForm2
    // Shows the archive list with a caption and returns the chosen name, or an empty
    // text. Unset: the ArchiveChooser window over the main window.
    std::function<QString(const QString &caption)> chooseArchive;
};

// The settings files and the opening and closing of archives, plugged into the main
// window under the handler names LoadProgramSettings, OpenArchive, SaveArchiveSettings,
// SaveProgramSettings and LockFailure.
//
// When start-up (or a later OpenArchive) cannot leave a usable archive open, the program
// ends without saving: the main window's state is marked abandoned and ending, which stops
// every further handler, and a running event loop is told to quit.
class ArchivePart : public QObject
{
    Q_OBJECT
public:
    ArchivePart(TForm1 &form, ArchiveEnvironment environment);

    const ProgramFolder &program() const { return m_env.program; }

    void LoadProgramSettings();
    // Returns only with the catalogue table open, or with the program ending.
    void OpenArchive();
    void SaveArchiveSettings();
    void SaveProgramSettings();
    void LockFailure();
    // The archive list of the program folder with a caption; the chosen name or empty.
    QString ChooseArchive(const QString &caption);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Step { Opened, OtherArchive, Ended };
    Step openOnce();
    bool openTable();
    void applyArchiveValues();
    void endWithoutSaving();

    TForm1 &m_form;
    ArchiveEnvironment m_env;
    // The archive whose table this part opened; its file is written only while it is set,
    // so an archive that never opened is not given a settings file of defaults.
    bool m_archiveOpen = false;
    // The stored grid height while it waits for the first show to be fitted.
    bool m_gridHeightPending = false;
    int m_pendingGridHeight = 0;
};

// The running program: program folder beside the executable (or the per-user folder when
// that cannot be written), archive name from the command line.
ArchivePart *installArchive(TForm1 &form);
ArchivePart *installArchive(TForm1 &form, ArchiveEnvironment environment);
