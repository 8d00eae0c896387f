#pragma once

#include "app/ui/archivecommands.h"

#include <memory>

class BrowseViews;
class EditingCommands;
class FolderFileCommands;
class FolderUpdateCommands;
class MainWindow;
class PrintCommands;
class ShellCommands;
class ProgramCommands;
class SearchCommands;
class TagCommands;

// The command families of the main window, composed: each is given the narrow interfaces
// it needs, and every command of the table is attached to its family's handler. The one
// place that knows every family; the main window owns it and runs the steps of its own
// life through it.
class CommandFamilies
{
public:
    CommandFamilies(MainWindow &window, ArchiveEnvironment environment);
    ~CommandFamilies();

    ArchiveCommands &archive() const { return *m_archive; }
    BrowseViews &browsing() const { return *m_browsing; }
    FolderUpdateCommands &folderUpdate() const { return *m_folderUpdate; }
    EditingCommands &editing() const { return *m_editing; }
    ShellCommands &shell() const { return *m_shell; }
    PrintCommands &printing() const { return *m_print; }
    FolderFileCommands &folderFile() const { return *m_folderFile; }
    ProgramCommands &program() const { return *m_program; }
    SearchCommands &search() const { return *m_search; }
    TagCommands &tags() const { return *m_tags; }

    // Start: the program settings read, the archive chosen and opened (the program's state
    // says when start-up was abandoned); then the move-file window created.
    void loadProgramSettings();
    void createMoveFileWindow();
    // The window's first show.
    void showArchive();
    // End: help windows closed, then the archive's settings file and the program's.
    void closeHelpWindows();
    void saveArchiveSettings();
    void saveProgramSettings();
    // Viewer sync ended (the viewer watch found the grid without the focus).
    void stopViewerSync();

private:
    void connectViews();
    void attachCommands();

    MainWindow &m_window;
    std::unique_ptr<ArchiveCommands> m_archive;
    std::unique_ptr<BrowseViews> m_browsing;
    std::unique_ptr<FolderUpdateCommands> m_folderUpdate;
    std::unique_ptr<EditingCommands> m_editing;
    std::unique_ptr<ShellCommands> m_shell;
    std::unique_ptr<PrintCommands> m_print;
    std::unique_ptr<FolderFileCommands> m_folderFile;
    std::unique_ptr<ProgramCommands> m_program;
    std::unique_ptr<SearchCommands> m_search;
    std::unique_ptr<TagCommands> m_tags;
};
