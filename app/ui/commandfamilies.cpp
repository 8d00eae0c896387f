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
                &window, caption, archiveNames(program), window.state().settings.ArchiveName);
        };
    m_archive = std::make_unique<ArchiveCommands>(state, window, std::move(environment));
    m_archive->setViewSteps([this] { ShowArchive(); },
        [&window] {
            // Narrower by a pixel and wider again, so that the layout rules run with the
            // column widths of the archive just opened; the window system may merge the
            // two sizes, so the rules are run directly as well.
            const int width = window.width();
            window.resize(width - 1, window.height());
            window.resize(width, window.height());
            window.FormResize();
        });
    m_browsing = std::make_unique<BrowseViews>(state, window.views(), window, commands);
    window.setGridModel(m_browsing->model());
    QObject::connect(m_browsing.get(), &BrowseViews::titleClicked, &window,
        [&window] { window.Splitter2Moved(); });
    const auto stopViewerSync = [&window] { window.StopViewerSync(); };
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
        commands.action(Command::miViewerClick)
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
    look.applyViewLook = [&window] { window.ApplyViewLook(&window); };
    m_program = std::make_unique<ProgramCommands>(state, commands, program, std::move(look));
    m_search = std::make_unique<SearchCommands>(
        state, *m_browsing, window, commands, [this] { return m_editing->finishEditing(); });
    m_tags = std::make_unique<TagCommands>(state, *m_browsing, window);
    // The window system's bell stands in for a tone of a given pitch.
    beep::install([](int, int) { QApplication::beep(); });
    state.Dbf1->setErrorReporter(
        [](const QString &message) { ShowDialog(DialogKind::Error, message); });
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

    c.attach(Command::miArchivClick, [&a] { a.miArchivClick(); });
    c.attach(Command::miArchivNeuClick, [&a] { a.miArchivNeuClick(); });
    c.attach(Command::miAechivDelClick, [&a] { a.miAechivDelClick(); });
    c.attach(Command::Einstellungen1Click, [&p] { p.Einstellungen1Click(); });
    c.attach(Command::miHelpClick, [&p] { p.miHelpClick(); });
    c.attach(Command::Info1Click, [&p] { p.Info1Click(); });

    // Walks of the whole table and rebuilt folders end an edit first, as leaving its view
    // does: the walk must not meet a record still being typed, nor add its records to a
    // table that takes them for records typed into the grid.
    const auto afterEdit = [&e](std::function<void()> command) {
        return [&e, command] {
            if (e.finishEditing())
                command();
        };
    };

    c.attach(Command::miIndex1Click, [&b, failing] { failing(b.miIndex1Click()); });
    c.attach(Command::ReorganisationClick, afterEdit([&b, failing] { failing(b.Reorganise()); }));
    c.attach(Command::miAllexpClick, [&b] { b.miAllexpClick(); });
    c.attach(Command::miAllcolClick, [&b, failing] { failing(b.miAllcolClick()); });
    c.attach(Command::miClearsearchClick, [&b] { b.ClearSearch(); });

    c.attach(Command::miOrdnerupdate1Click, afterEdit([&u] { u.miOrdnerupdate1Click(); }));
    c.attach(Command::miAllUpdClick, afterEdit([&u] { u.miAllUpdClick(); }));

    c.attach(Command::Mutieren1Click, [&e] { e.Mutieren1Click(); });
    c.attach(Command::miTextClick, [&e] { e.miTextClick(); });
    c.attach(Command::miDelClick, [&e] { e.miDelClick(); });
    c.attach(Command::miOkClick, [&e] { e.miOkClick(); });
    c.attach(Command::miTextSichClick, [&e] { e.miTextSichClick(); });
    c.attach(Command::miInsFileClick, [&e] { e.miInsFileClick(); });
    c.attach(Command::miDelAllClick, [&e] { e.miDelAllClick(); });
    c.attach(Command::miheuteClick, [&e] { e.miheuteClick(); });
    c.attach(Command::Action2Execute, [&e] { e.Action2Execute(); });
    c.setPopupPreparation(Popup::TextPane, [&e] { e.PopupMenu3Popup(); });

    ShellCommands &s = *m_shell;
    c.attach(Command::DBGrid1DblClick, [&s] { s.DBGrid1DblClick(); });
    c.attach(Command::ffnenmit1Click, [&s] { s.ffnenmit1Click(); });
    c.attach(Command::Explore1Click, [&s] { s.Explore1Click(); });
    c.attach(Command::popCopyPathClick, [&s] { s.popCopyPathClick(); });
    c.attach(Command::popfilenameClick, [&s] { s.popfilenameClick(); });
    c.attach(Command::popBemerkungClick, [&s] { s.popBemerkungClick(); });
    c.attach(Command::popGanzeTextClick, [&s] { s.popGanzeTextClick(); });
    c.attach(Command::popOpenlinkClick, [&s] { s.popOpenlinkClick(); });
    c.attach(Command::miViewerClick, [&s] { s.miViewerClick(); });

    PrintCommands &print = *m_print;
    c.attach(Command::Druckereinrichten1Click, [&print] { print.Druckereinrichten1Click(); });
    c.attach(Command::miFiledruckClick, [&print] { print.miFiledruckClick(); });

    FolderFileCommands &f = *m_folderFile;
    c.attach(Command::miDirNewClick, [&f] { f.miDirNewClick(); });
    c.attach(Command::miDirMoveClick, [&f] { f.miDirMoveClick(); });
    c.attach(Command::popDelDirClick, [&f] { f.popDelDirClick(); });
    c.attach(Command::miMoveClick, [&f] { f.miMoveClick(); });
    c.attach(Command::miKopierenClick, [&f] { f.miKopierenClick(); });

    SearchCommands &search = *m_search;
    c.attach(Command::unten1Click, [&search] { search.unten1Click(); });
    c.attach(Command::oben1Click, [&search] { search.oben1Click(); });

    TagCommands &t = *m_tags;
    c.attach(Command::miKataddClick, [&t] { t.miKataddClick(); });
    c.attach(Command::mikatdelClick, [&t] { t.mikatdelClick(); });
    c.attach(Command::miKatReplaceClick, [&t] { t.miKatReplaceClick(); });
    c.attach(Command::miFilterClick, [&t] { t.miFilterClick(); });
    c.attach(Command::miKategorienClick, [&t] { t.miKategorienClick(); });
}

void CommandFamilies::LoadProgramSettings()
{
    m_archive->LoadProgramSettings();
    // The help file is chosen once for the run, whichever archive is open.
    if (!m_window.state().startAbandoned)
        m_program->chooseHelpFile(helpLanguageCode(QLocale::system()));
}

void CommandFamilies::CreateMoveFileWindow()
{
    m_folderFile->CreateMoveFileWindow();
}

void CommandFamilies::ShowArchive()
{
    m_folderFile->forgetMoveTarget();
    BrowseViews::throwIfFailed(m_browsing->ShowArchive());
}

void CommandFamilies::FormCloseQuery()
{
    m_program->closeHelpWindows();
}

void CommandFamilies::SaveArchiveSettings()
{
    m_archive->SaveArchiveSettings();
}

void CommandFamilies::SaveProgramSettings()
{
    m_archive->SaveProgramSettings();
}

void CommandFamilies::StopViewerSync()
{
    m_shell->StopViewerSync();
}
