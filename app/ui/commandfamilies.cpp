#include "commandfamilies.h"

#include "app/archivelist.h"
#include "app/helpfile.h"
#include "app/ui/archivechooser.h"
#include "app/ui/commandactions.h"
#include "app/ui/icons.h"
#include "app/ui/mainwindow.h"
#include "app/ui/programcommands.h"
#include "browse/catalogmodel.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/editingcommands.h"
#include "browse/ui/searchcommands.h"
#include "browse/ui/tagcommands.h"
#include "dialogs/shareddialog.h"
#include "fileops/ui/folderfilecommands.h"
#include "fileops/ui/shellcommands.h"
#include "platform/beep.h"
#include "print/ui/printcommands.h"
#include "scan/ui/folderupdatecommands.h"
#include "store/catalogtable.h"

#include <QApplication>

CommandFamilies::CommandFamilies(MainWindow &window, ArchiveEnvironment environment)
    : m_window(window)
{
    AppState &state = window.state();
    CommandActions &commands = window.commands();
    const ProgramFolder program = environment.program;
    if (!environment.chooseArchive)
        environment.chooseArchive = [&window, program](const QString &caption) {
            return ArchiveChooser::choose(
                &window, caption, archiveNames(program), window.state().settings.archiveName);
        };
    m_archive = std::make_unique<ArchiveCommands>(state, window, std::move(environment));
    m_archive->setViewSteps([this] { showArchive(); },
        [&window] {
            // Narrower by a pixel and wider again, so that the layout rules run with the
            // column widths of the archive just opened; the window system may merge the
            // two sizes, so the rules are run directly as well.
            const int width = window.width();
            window.resize(width - 1, window.height());
            window.resize(width, window.height());
            window.fitControls();
        });
    m_browsing = std::make_unique<BrowseViews>(state, window.views(), window, commands);
    window.setGridModel(m_browsing->model());
    QObject::connect(m_browsing.get(), &BrowseViews::titleClicked, &window,
        [&window] { window.fitNoteColumn(); });
    const auto stopViewerSync = [&window] { window.stopViewerSync(); };
    m_folderUpdate
        = std::make_unique<FolderUpdateCommands>(state, *m_browsing, window, stopViewerSync);
    EditingCommands::Hooks hooks;
    hooks.stopViewerSync = stopViewerSync;
    hooks.updateFolder = [this] { return m_folderUpdate->updateCurrentFolder(); };
    m_editing
        = std::make_unique<EditingCommands>(state, *m_browsing, window, commands, std::move(hooks));
    m_archive->setEditEnding([this] { return m_editing->endEditForClosing(); });
    ShellCommands::Hooks shellHooks;
    shellHooks.stopViewerSync = stopViewerSync;
    shellHooks.startViewerWatch = [&window] { window.startViewerWatch(); };
    shellHooks.showViewerImage = [&commands](bool on) {
        commands.action(Command::SyncViewer)
            ->setIcon(tabulonIcon(on ? Icon::ViewerOn : Icon::Viewer));
    };
    m_shell = std::make_unique<ShellCommands>(state, *m_browsing, window, commands,
        m_archive->program().executablePath, std::move(shellHooks));
    m_print = std::make_unique<PrintCommands>(state, *m_browsing, window, &window);
    FolderFileCommands::Hooks fileHooks;
    fileHooks.finishEditing = [this] { return m_editing->finishEditing(); };
    fileHooks.moveWindowCreated = [&window](QWidget *w) { window.setMoveFileWindow(w); };
    m_folderFile = std::make_unique<FolderFileCommands>(
        state, *m_browsing, &window, window.dragScrollTimer(), std::move(fileHooks));
    LookWindow look;
    look.window = &window;
    look.toolbarColor = [&window] { return window.toolbarColor(); };
    look.setToolbarColor = [&window](const QColor &color) { window.setToolbarColor(color); };
    look.applyViewLook = [&window] { window.applyViewLook(&window); };
    m_program = std::make_unique<ProgramCommands>(state, commands, program, std::move(look));
    m_search = std::make_unique<SearchCommands>(
        state, *m_browsing, window, commands, [this] { return m_editing->finishEditing(); });
    m_tags = std::make_unique<TagCommands>(state, *m_browsing, window);
    // The window system's bell stands in for a tone of a given pitch.
    beep::install([](int, int) { QApplication::beep(); });
    state.catalog->setErrorReporter(
        [](const QString &message) { showDialog(DialogKind::Error, message); });
    connectViews();
    attachCommands();
}

CommandFamilies::~CommandFamilies() = default;

// The families beside browsing see the views through their port only; what the views
// report reaches them here.
void CommandFamilies::connectViews()
{
    const BrowseViews *views = m_browsing.get();
    FolderFileCommands *files = m_folderFile.get();
    QObject::connect(
        views, &BrowseViews::gridColumnEntered, files, &FolderFileCommands::onGridColumnEntered);
    QObject::connect(
        views, &BrowseViews::folderSelected, files, &FolderFileCommands::onFolderSelected);
    QObject::connect(views, &BrowseViews::currentRecordShown, m_shell.get(),
        &ShellCommands::onCurrentRecordShown);
}

void CommandFamilies::attachCommands()
{
    CommandActions &c = m_window.commands();
    BrowseViews &b = *m_browsing;
    FolderUpdateCommands &u = *m_folderUpdate;
    EditingCommands &e = *m_editing;
    ArchiveCommands &a = *m_archive;
    ProgramCommands &p = *m_program;
    const auto failing = [](const DbStatus &st) { BrowseViews::throwIfFailed(st); };

    c.attach(Command::SwitchArchive, [&a] { a.switchArchive(); });
    c.attach(Command::NewArchive, [&a] { a.newArchive(); });
    c.attach(Command::DeleteArchive, [&a] { a.deleteArchive(); });
    c.attach(Command::Settings, [&p] { p.editSettings(); });
    c.attach(Command::Help, [&p] { p.showHelp(); });
    c.attach(Command::Info, [&p] { p.showInfo(); });

    // Walks of the whole table and rebuilt folders end an edit first, as leaving its view
    // does: the walk must not meet a record still being typed, nor add its records to a
    // table that takes them for records typed into the grid.
    const auto afterEdit = [&e](std::function<void()> command) {
        return [&e, command] {
            if (e.finishEditing())
                command();
        };
    };

    c.attach(Command::SwitchIndex, [&b, failing] { failing(b.switchIndex()); });
    c.attach(Command::Reorganize, afterEdit([&b, failing] { failing(b.reorganize()); }));
    c.attach(Command::ExpandAll, [&b] { b.expandAll(); });
    c.attach(Command::CollapseAll, [&b, failing] { failing(b.collapseAll()); });
    c.attach(Command::ClearSearch, [&b] { b.clearSearch(); });

    c.attach(Command::UpdateFolder, afterEdit([&u] { u.updateFolder(); }));
    c.attach(Command::UpdateAll, afterEdit([&u] { u.updateAll(); }));

    c.attach(Command::EditRecord, [&e] { e.editRecord(); });
    c.attach(Command::EditText, [&e] { e.editText(); });
    c.attach(Command::DeleteOrAbort, [&e] { e.deleteOrAbort(); });
    c.attach(Command::UpdateOrOk, [&e] { e.updateOrOk(); });
    c.attach(Command::SaveTextAs, [&e] { e.saveTextAs(); });
    c.attach(Command::InsertFile, [&e] { e.insertFile(); });
    c.attach(Command::DeleteAllText, [&e] { e.deleteAllText(); });
    c.attach(Command::InsertDate, [&e] { e.insertDate(); });
    c.attach(Command::DeleteTextLine, [&e] { e.deleteTextLine(); });
    c.setPopupPreparation(Popup::TextPane, [&e] { e.prepareTextMenu(); });

    ShellCommands &s = *m_shell;
    c.attach(Command::OpenFile, [&s] { s.openFile(); });
    c.attach(Command::OpenWith, [&s] { s.openWith(); });
    c.attach(Command::ExploreFolder, [&s] { s.exploreFolder(); });
    c.attach(Command::CopyPath, [&s] { s.copyPath(); });
    c.attach(Command::CopyFileName, [&s] { s.copyFileName(); });
    c.attach(Command::CopyNote, [&s] { s.copyNote(); });
    c.attach(Command::CopyText, [&s] { s.copyText(); });
    c.attach(Command::OpenLink, [&s] { s.openLink(); });
    c.attach(Command::SyncViewer, [&s] { s.toggleViewerSync(); });

    PrintCommands &print = *m_print;
    c.attach(Command::PrinterSetup, [&print] { print.setUpPrinter(); });
    c.attach(Command::PrintFolder, [&print] { print.printFolder(); });

    FolderFileCommands &f = *m_folderFile;
    c.attach(Command::NewFolder, [&f] { f.newFolder(); });
    c.attach(Command::RenameFolder, [&f] { f.renameFolder(); });
    c.attach(Command::DeleteFolder, [&f] { f.deleteFolder(); });
    c.attach(Command::MoveFile, [&f] { f.moveFile(); });
    c.attach(Command::CopyFile, [&f] { f.copyFile(); });

    SearchCommands &search = *m_search;
    c.attach(Command::SearchDown, [&search] { search.searchDown(); });
    c.attach(Command::SearchUp, [&search] { search.searchUp(); });

    TagCommands &t = *m_tags;
    c.attach(Command::AddTag, [&t] { t.addTag(); });
    c.attach(Command::DeleteTag, [&t] { t.deleteTag(); });
    c.attach(Command::ReplaceTags, [&t] { t.replaceTags(); });
    c.attach(Command::FilterTags, [&t] { t.filterTags(); });
    c.attach(Command::EditTagList, [&t] { t.editTagList(); });
}

void CommandFamilies::loadProgramSettings()
{
    m_archive->loadProgramSettings();
    // The help file is chosen once for the run, whichever archive is open.
    if (!m_window.state().startAbandoned)
        m_program->chooseHelpFile(helpLanguageCode(QLocale::system()));
}

void CommandFamilies::createMoveFileWindow()
{
    m_folderFile->createMoveFileWindow();
}

void CommandFamilies::showArchive()
{
    m_folderFile->forgetMoveTarget();
    BrowseViews::throwIfFailed(m_browsing->showArchive());
}

void CommandFamilies::closeHelpWindows()
{
    m_program->closeHelpWindows();
}

void CommandFamilies::saveArchiveSettings()
{
    m_archive->saveArchiveSettings();
}

void CommandFamilies::saveProgramSettings()
{
    m_archive->saveProgramSettings();
}

void CommandFamilies::stopViewerSync()
{
    m_shell->stopViewerSync();
}
