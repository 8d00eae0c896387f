#include "commandfamilies.h"

#include "app/ui/commandactions.h"
#include "app/ui/mainwindow.h"
#include "browse/catalogmodel.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/editingcommands.h"
#include "browse/ui/searchcommands.h"
#include "browse/ui/tagcommands.h"
#include "dialogs/shareddialog.h"
#include "platform/beep.h"
#include "scan/ui/folderupdatecommands.h"
#include "store/catalogtable.h"

#include <QApplication>

CommandFamilies::CommandFamilies(MainWindow &window, ArchiveEnvironment environment)
    : m_window(window)
{
    AppState &state = window.state();
    CommandActions &commands = window.commands();
    m_archive = std::make_unique<ArchiveCommands>(state, window, std::move(environment));
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
    m_search = std::make_unique<SearchCommands>(
        state, *m_browsing, window, commands, [this] { return m_editing->finishEditing(); });
    m_tags = std::make_unique<TagCommands>(state, *m_browsing, window);
    // The window system's bell stands in for a tone of a given pitch.
    beep::install([](int, int) { QApplication::beep(); });
    state.Dbf1->setErrorReporter(
        [](const QString &message) { ShowDialog(DialogKind::Error, message); });
    attachCommands();
}

CommandFamilies::~CommandFamilies() = default;

void CommandFamilies::attachCommands()
{
    CommandActions &c = m_window.commands();
    BrowseViews &b = *m_browsing;
    FolderUpdateCommands &u = *m_folderUpdate;
    EditingCommands &e = *m_editing;
    const auto failing = [](const DbStatus &st) { BrowseViews::throwIfFailed(st); };

    c.attach(Command::miIndex1Click, [&b, failing] { failing(b.miIndex1Click()); });
    c.attach(Command::ReorganisationClick, [&b, failing] { failing(b.Reorganise()); });
    c.attach(Command::miAllexpClick, [&b] { b.miAllexpClick(); });
    c.attach(Command::miAllcolClick, [&b, failing] { failing(b.miAllcolClick()); });
    c.attach(Command::miClearsearchClick, [&b] { b.ClearSearch(); });

    c.attach(Command::miOrdnerupdate1Click, [&u] { u.miOrdnerupdate1Click(); });
    c.attach(Command::miAllUpdClick, [&u] { u.miAllUpdClick(); });

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

    SearchCommands &s = *m_search;
    c.attach(Command::unten1Click, [&s] { s.unten1Click(); });
    c.attach(Command::oben1Click, [&s] { s.oben1Click(); });

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
}

void CommandFamilies::CreateMoveFileWindow() { }

void CommandFamilies::ShowArchive()
{
    BrowseViews::throwIfFailed(m_browsing->ShowArchive());
}

void CommandFamilies::FormCloseQuery() { }

void CommandFamilies::SaveArchiveSettings()
{
    m_archive->SaveArchiveSettings();
}

void CommandFamilies::SaveProgramSettings()
{
    m_archive->SaveProgramSettings();
}

void CommandFamilies::StopViewerSync() { }
