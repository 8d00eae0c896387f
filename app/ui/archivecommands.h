#pragma once

#include "app/archivefiles.h"
#include "platform/programfolder.h"

#include <QStringList>

#include <functional>

struct AppState;

// What opening archives needs from outside the main window. The running program takes it
// from the executable (ofProgram()); tests hand in a program folder of their own, the command line
// they want and, where they do not drive the real windows, their own answers to the root question
// and the archive chooser.
struct ArchiveEnvironment {
    // The running program: program folder beside the executable (or the per-user folder
    // when that cannot be written), archive name from the command line, the unattended
    // answers when TABULON_UNATTENDED is set.
    static ArchiveEnvironment ofProgram();

    ProgramFolder program;
    QStringList arguments; // command-line arguments after the program's name
    RootQuestion askRoot; // unset: the root-folder dialog
    // Shows the archive list with a caption and returns the chosen name, or an empty
    // text. Unset: the ArchiveChooser window over the main window (set by the window's
    // command families); without one nothing is ever chosen.
    std::function<QString(const QString &caption)> chooseArchive;
};

// What the archive commands need of the main window: its layout turned into settings
// values and back, and its caption.
class ArchiveWindow
{
public:
    virtual ~ArchiveWindow() = default;
    virtual void applyWindowBounds() = 0;
    virtual void applyProgramColumnWidths() = 0;
    // Also applies the view look of the archive's colours and font.
    virtual void applyArchiveLayout() = 0;
    virtual void storeWindowLayout() = 0;
    virtual void setArchiveCaption(const QString &archiveName) = 0;
};

// The settings files and the opening and closing of archives: loadProgramSettings,
// openArchive, saveArchiveSettings, saveProgramSettings and endOnLockFailure.
//
// An archive that cannot be opened (a name no archive may have, a settings file that cannot
// be read or written, a missing drive, a table that cannot be opened) is reported and the
// archive chooser offered ("another archive or ESC"). When start-up (or a later
// openArchive) cannot leave a usable archive open - Esc in that chooser, the root question
// cancelled, the table locked - the program ends without saving: the main window's state
// is marked abandoned and ending, which stops every further handler, and a running event
// loop is told to quit.
class ArchiveCommands
{
public:
    ArchiveCommands(AppState &state, ArchiveWindow &window, ArchiveEnvironment environment);

    const ProgramFolder &program() const { return m_env.program; }

    void loadProgramSettings();
    // Returns only with the catalogue table open, or with the program ending.
    void openArchive();
    void saveArchiveSettings();
    void saveProgramSettings();
    void endOnLockFailure();
    // The archive list of the program folder with a caption; the chosen name or empty.
    QString chooseArchive(const QString &caption);

    // The archive commands of the File menu (switch, new, delete). A change of archive
    // ends with showArchive and, after a switch, relayout (see setViewSteps).
    void switchArchive();
    void newArchive();
    void deleteArchive();
    // What an archive change needs of the views: the archive just opened shown (tree and
    // status bar), and the window's layout rules run once more.
    void setViewSteps(std::function<void()> showArchive, std::function<void()> relayout);
    // Ends an edit before the table of an archive change closes; false keeps the archive.
    void setEditEnding(std::function<bool()> endEdit) { m_endEdit = std::move(endEdit); }

private:
    class Steps;

    enum class Step { Opened, OtherArchive, Ended };
    Step openOnce();
    Step offerOtherArchive();
    // False when the table could not be opened: the program is ending after a lock, or
    // the failure has been shown.
    bool openTable();
    void endWithoutSaving();

    AppState &m_state;
    ArchiveWindow &m_window;
    ArchiveEnvironment m_env;
    // The archive whose table these commands opened; its file is written only while it is set,
    // so an archive that never opened is not given a settings file of defaults.
    bool m_archiveOpen = false;
    // What the root question chose for a table the next open creates.
    CatalogueChoices m_newChoices;
    std::function<void()> m_showArchive;
    std::function<void()> m_relayout;
    std::function<bool()> m_endEdit;
};
