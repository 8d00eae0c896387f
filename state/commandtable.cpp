#include "commandtable.h"

#include <QtGlobal>

#include <iterator>

namespace
{

using C = Command;

// clang-format off
constexpr CommandInfo table[] = {
    {C::SwitchArchive, "miArchivClick", QT_TRANSLATE_NOOP("Command", "&File"), QT_TRANSLATE_NOOP("Command", "&Switch archiv"), "Alt+F2", QT_TRANSLATE_NOOP("Command", "Alt+F2 = Switch archive"), Icon::Archive, 1, 0, 0},
    {C::SwitchIndex, "miIndex1Click", QT_TRANSLATE_NOOP("Command", "&File"), QT_TRANSLATE_NOOP("Command", "&Switch index"), "Alt+F3", QT_TRANSLATE_NOOP("Command", "Alt+F3 = Switch index"), Icon::Index, 2, 0, SeparatorAfter},
    {C::NewArchive, "miArchivNeuClick", QT_TRANSLATE_NOOP("Command", "&File"), QT_TRANSLATE_NOOP("Command", "&New archive"), "", "", Icon::ArchiveNew, 0, 0, 0},
    {C::DeleteArchive, "miAechivDelClick", QT_TRANSLATE_NOOP("Command", "&File"), QT_TRANSLATE_NOOP("Command", "&Delete archive"), "", "", Icon::ArchiveDelete, 0, 0, SeparatorAfter},
    {C::Reorganize, "ReorganisationClick", QT_TRANSLATE_NOOP("Command", "&File"), QT_TRANSLATE_NOOP("Command", "&Reoganization"), "", "", Icon::Reorganize, 0, 0, SeparatorAfter},
    {C::PrinterSetup, "Druckereinrichten1Click", QT_TRANSLATE_NOOP("Command", "&File"), QT_TRANSLATE_NOOP("Command", "Printer set&up"), "", "", Icon::PrinterSetup, 0, 0, 0},
    {C::PrintFolder, "miFiledruckClick", QT_TRANSLATE_NOOP("Command", "&File"), QT_TRANSLATE_NOOP("Command", "&Print (folder)"), "Ctrl+P", "", Icon::Print, 18, 0, SeparatorAfter},
    {C::Settings, "Einstellungen1Click", QT_TRANSLATE_NOOP("Command", "&File"), QT_TRANSLATE_NOOP("Command", "&Settings"), "Alt+F1", QT_TRANSLATE_NOOP("Command", "Alt+F1 = Settings"), Icon::Settings, 19, 0, SeparatorAfter},
    {C::Exit, "ExitClick", QT_TRANSLATE_NOOP("Command", "&File"), QT_TRANSLATE_NOOP("Command", "&Exit"), "Alt+F4", QT_TRANSLATE_NOOP("Command", "Alt+F4 = Exit"), Icon::Exit, 20, 0, 0},

    {C::NewFolder, "miDirNewClick", QT_TRANSLATE_NOOP("Command", "F&older"), QT_TRANSLATE_NOOP("Command", "&New"), "F1", QT_TRANSLATE_NOOP("Command", "F1 = Create new folder"), Icon::FolderNew, 3, 1, 0},
    {C::RenameFolder, "miDirMoveClick", QT_TRANSLATE_NOOP("Command", "F&older"), QT_TRANSLATE_NOOP("Command", "&Rename"), "F2", QT_TRANSLATE_NOOP("Command", "F2 = Rename (move) folder"), Icon::FolderRename, 4, 2, SeparatorAfter},
    {C::ExpandAll, "miAllexpClick", QT_TRANSLATE_NOOP("Command", "F&older"), QT_TRANSLATE_NOOP("Command", "&Expand all"), "", "", Icon::ExpandAll, 0, 0, 0},
    {C::CollapseAll, "miAllcolClick", QT_TRANSLATE_NOOP("Command", "F&older"), QT_TRANSLATE_NOOP("Command", "&Collaps all"), "", "", Icon::CollapseAll, 0, 0, SeparatorAfter},
    {C::UpdateFolder, "miOrdnerupdate1Click", QT_TRANSLATE_NOOP("Command", "F&older"), QT_TRANSLATE_NOOP("Command", "Folder &update"), "", "", Icon::FolderUpdate, 0, 0, 0},
    {C::DeleteFolder, "popDelDirClick", QT_TRANSLATE_NOOP("Command", "F&older"), QT_TRANSLATE_NOOP("Command", "&Delete folder (empty)"), "", "", Icon::FolderDelete, 0, 0, 0},

    {C::SearchDown, "unten1Click", QT_TRANSLATE_NOOP("Command", "&Search"), QT_TRANSLATE_NOOP("Command", "&Next / down"), "F3", QT_TRANSLATE_NOOP("Command", "F3 = Search down"), Icon::SearchDown, 5, 3, 0},
    {C::SearchUp, "oben1Click", QT_TRANSLATE_NOOP("Command", "&Search"), QT_TRANSLATE_NOOP("Command", "&Prior / up"), "F4", QT_TRANSLATE_NOOP("Command", "F4 = Search up"), Icon::SearchUp, 6, 4, 0},
    {C::ClearSearch, "miClearsearchClick", QT_TRANSLATE_NOOP("Command", "&Search"), QT_TRANSLATE_NOOP("Command", "Clear search (Esc)"), "", "", Icon::ClearSearch, 0, 0, StartsDisabled | SeparatorAfter},
    {C::SyncViewer, "miViewerClick", QT_TRANSLATE_NOOP("Command", "&Search"), QT_TRANSLATE_NOOP("Command", "Sync viewer"), "Ctrl+S", QT_TRANSLATE_NOOP("Command", "Ctrl+S - Sync viewer"), Icon::Viewer, 7, 0, 0},

    {C::EditRecord, "Mutieren1Click", QT_TRANSLATE_NOOP("Command", "&Edit"), QT_TRANSLATE_NOOP("Command", "&Edit"), "F5", QT_TRANSLATE_NOOP("Command", "F5 = Edit"), Icon::Edit, 8, 5, 0},
    {C::EditText, "miTextClick", QT_TRANSLATE_NOOP("Command", "&Edit"), QT_TRANSLATE_NOOP("Command", "Edit &text"), "F6", QT_TRANSLATE_NOOP("Command", "F6 = Edit text"), Icon::EditText, 9, 6, 0},
    {C::DeleteOrAbort, "miDelClick", QT_TRANSLATE_NOOP("Command", "&Edit"), QT_TRANSLATE_NOOP("Command", "&Delete / Abort"), "F7", QT_TRANSLATE_NOOP("Command", "F7 = Delete or Abort"), Icon::DeleteAbort, 10, 7, 0},
    {C::UpdateOrOk, "miOkClick", QT_TRANSLATE_NOOP("Command", "&Edit"), QT_TRANSLATE_NOOP("Command", "&Update / OK"), "F8", QT_TRANSLATE_NOOP("Command", "F8 = Update folder or  OK"), Icon::Ok, 11, 8, SeparatorAfter},
    {C::SaveTextAs, "miTextSichClick", QT_TRANSLATE_NOOP("Command", "&Edit"), QT_TRANSLATE_NOOP("Command", "&Save text as"), "", "", Icon::SaveText, 0, 0, StartsDisabled},
    {C::InsertFile, "miInsFileClick", QT_TRANSLATE_NOOP("Command", "&Edit"), QT_TRANSLATE_NOOP("Command", "&Insert file"), "", "", Icon::InsertFile, 0, 0, StartsDisabled},
    {C::DeleteAllText, "miDelAllClick", QT_TRANSLATE_NOOP("Command", "&Edit"), QT_TRANSLATE_NOOP("Command", "Delete &all"), "", "", Icon::DeleteAll, 0, 0, StartsDisabled},
    {C::InsertDate, "miheuteClick", QT_TRANSLATE_NOOP("Command", "&Edit"), QT_TRANSLATE_NOOP("Command", "I&nsert date"), "Ctrl+D", "", Icon::InsertDate, 0, 0, StartsDisabled | SeparatorAfter},
    {C::AddTag, "miKataddClick", QT_TRANSLATE_NOOP("Command", "&Edit"), QT_TRANSLATE_NOOP("Command", "&Add tag"), "Ins", "", Icon::TagAdd, 0, 0, 0},
    {C::DeleteTag, "mikatdelClick", QT_TRANSLATE_NOOP("Command", "&Edit"), QT_TRANSLATE_NOOP("Command", "Delete &tag"), "Del", "", Icon::TagDelete, 0, 0, SeparatorAfter},
    {C::ReplaceTags, "miKatReplaceClick", QT_TRANSLATE_NOOP("Command", "&Edit"), QT_TRANSLATE_NOOP("Command", "&Replace tags"), "Ctrl+R", "", Icon::TagReplace, 0, 0, 0},

    {C::FilterTags, "miFilterClick", QT_TRANSLATE_NOOP("Command", "Too&ls"), QT_TRANSLATE_NOOP("Command", "&Filter tags"), "F9", QT_TRANSLATE_NOOP("Command", "F9 = Set filter to tags (logical: AND)"), Icon::Filter, 12, 9, 0},
    {C::MoveFile, "miMoveClick", QT_TRANSLATE_NOOP("Command", "Too&ls"), QT_TRANSLATE_NOOP("Command", "&Move file"), "F10", QT_TRANSLATE_NOOP("Command", "F10 = Move file (also Drag & Drop ...)"), Icon::MoveFile, 13, 10, 0},
    {C::CopyFile, "miKopierenClick", QT_TRANSLATE_NOOP("Command", "Too&ls"), QT_TRANSLATE_NOOP("Command", "&Copy file"), "F11", QT_TRANSLATE_NOOP("Command", "F11 = Copy file"), Icon::CopyFile, 14, 11, 0},
    {C::UpdateAll, "miAllUpdClick", QT_TRANSLATE_NOOP("Command", "Too&ls"), QT_TRANSLATE_NOOP("Command", "&Updata all"), "F12", QT_TRANSLATE_NOOP("Command", "F12 = Update all folders"), Icon::UpdateAll, 15, 12, SeparatorAfter},
    {C::ExploreFolder, "Explore1Click", QT_TRANSLATE_NOOP("Command", "Too&ls"), QT_TRANSLATE_NOOP("Command", "Explore folder"), "Ctrl+E", QT_TRANSLATE_NOOP("Command", "Ctrl+E - Explore folder"), Icon::Explore, 16, 0, 0},
    {C::EditTagList, "miKategorienClick", QT_TRANSLATE_NOOP("Command", "Too&ls"), QT_TRANSLATE_NOOP("Command", "&Tags"), "Ctrl+K", "", Icon::Tags, 17, 0, 0},

    {C::ShowTopToolbar, "Showtoptoolbar1Click", QT_TRANSLATE_NOOP("Command", "&View"), QT_TRANSLATE_NOOP("Command", "Show top toolbar"), "", "", Icon::None, 0, 0, Checkable},
    {C::ShowBottomToolbar, "Showbottomtoolbar1Click", QT_TRANSLATE_NOOP("Command", "&View"), QT_TRANSLATE_NOOP("Command", "Show bottom toolbar"), "", "", Icon::None, 0, 0, Checkable},

    {C::Help, "miHelpClick", QT_TRANSLATE_NOOP("Command", "&Help"), QT_TRANSLATE_NOOP("Command", "&Help"), "Ctrl+F1", "", Icon::Help, 0, 0, StartsDisabled},
    {C::Info, "Info1Click", QT_TRANSLATE_NOOP("Command", "&Help"), QT_TRANSLATE_NOOP("Command", "&Info ..."), "", "", Icon::Info, 0, 0, 0},

    {C::CopyPath, "popCopyPathClick", nullptr, QT_TRANSLATE_NOOP("Command", "&Path/file to clipboard"), "", "", Icon::PathToClipboard, 0, 0, 0},
    {C::OpenFile, "DBGrid1DblClick", nullptr, QT_TRANSLATE_NOOP("Command", "&Open"), "", "", Icon::Open, 0, 0, 0},
    {C::OpenWith, "ffnenmit1Click", nullptr, QT_TRANSLATE_NOOP("Command", "Open &with ..."), "", "", Icon::OpenWith, 0, 0, 0},
    {C::CopyFileName, "popfilenameClick", nullptr, QT_TRANSLATE_NOOP("Command", "File name to clipboard"), "", "", Icon::NameToClipboard, 0, 0, 0},
    {C::CopyNote, "popBemerkungClick", nullptr, QT_TRANSLATE_NOOP("Command", "&Note to clipboard"), "", "", Icon::NoteToClipboard, 0, 0, 0},
    {C::CopyText, "popGanzeTextClick", nullptr, QT_TRANSLATE_NOOP("Command", "&Text to clipboard"), "", "", Icon::TextToClipboard, 0, 0, 0},
    {C::OpenLink, "popOpenlinkClick", nullptr, QT_TRANSLATE_NOOP("Command", "Open link"), "", "", Icon::OpenLink, 0, 0, 0},

    // Shift+Tab: the move-file window to the front; Ctrl+Y: the caret's line of the text pane deleted.
    {C::RaiseMoveWindow, "Action1Execute", nullptr, nullptr, "Shift+Backtab", "", Icon::None, 0, 0, 0},
    {C::DeleteTextLine, "Action2Execute", nullptr, nullptr, "Ctrl+Y", "", Icon::None, 0, 0, 0},
};

const PopupItem treeMenu[] = {
    {QT_TRANSLATE_NOOP("Command", "&New"), C::NewFolder, "", false, true},
    {QT_TRANSLATE_NOOP("Command", "&Rename"), C::RenameFolder, "", false, true},
    {nullptr, C::NewFolder, "", false, false},
    {QT_TRANSLATE_NOOP("Command", "&Expand all"), C::ExpandAll, "", false, true},
    {QT_TRANSLATE_NOOP("Command", "&Collaps all"), C::CollapseAll, "", false, true},
    {nullptr, C::NewFolder, "", false, false},
    {QT_TRANSLATE_NOOP("Command", "&Update folder"), C::UpdateFolder, "", false, true},
    {QT_TRANSLATE_NOOP("Command", "&Delete folder (empty)"), C::DeleteFolder, "", false, true},
    {nullptr, C::NewFolder, "", false, false},
    {QT_TRANSLATE_NOOP("Command", "&Path/file to clipboard"), C::CopyPath, "Ctrl+C", false, true},
};

const PopupItem gridMenu[] = {
    {QT_TRANSLATE_NOOP("Command", "&Open"), C::OpenFile, "", false, true},
    {QT_TRANSLATE_NOOP("Command", "Open &with ..."), C::OpenWith, "", false, true},
    {nullptr, C::NewFolder, "", false, false},
    {QT_TRANSLATE_NOOP("Command", "&Edit"), C::EditRecord, "", false, true},
    {QT_TRANSLATE_NOOP("Command", "&Abort"), C::DeleteOrAbort, "", true, true},
    {QT_TRANSLATE_NOOP("Command", "&OK and exit"), C::UpdateOrOk, "", true, true},
    {nullptr, C::NewFolder, "", false, false},
    {QT_TRANSLATE_NOOP("Command", "&Copy file"), C::CopyFile, "", false, true},
    {QT_TRANSLATE_NOOP("Command", "Explore folder"), C::ExploreFolder, "", false, true},
    {nullptr, C::NewFolder, "", false, false},
    {QT_TRANSLATE_NOOP("Command", "&Path/file to clipboard"), C::CopyPath, "Ctrl+C", false, true},
    {QT_TRANSLATE_NOOP("Command", "File name to clipboard"), C::CopyFileName, "Ctrl+F", false, true},
    {QT_TRANSLATE_NOOP("Command", "&Note to clipboard"), C::CopyNote, "Ctrl+N", false, true},
};

const PopupItem textMenu[] = {
    {QT_TRANSLATE_NOOP("Command", "&Edit"), C::EditText, "", false, true},
    {QT_TRANSLATE_NOOP("Command", "&Abort"), C::DeleteOrAbort, "", true, true},
    {QT_TRANSLATE_NOOP("Command", "&OK and exit"), C::UpdateOrOk, "", true, true},
    {nullptr, C::NewFolder, "", false, false},
    {QT_TRANSLATE_NOOP("Command", "&Save text as"), C::SaveTextAs, "", true, true},
    {QT_TRANSLATE_NOOP("Command", "&Insert file"), C::InsertFile, "", true, true},
    {QT_TRANSLATE_NOOP("Command", "&Delete all"), C::DeleteAllText, "", true, true},
    {QT_TRANSLATE_NOOP("Command", "I&nsert date"), C::InsertDate, "Ctrl+D", true, false},
    {nullptr, C::NewFolder, "", false, false},
    {QT_TRANSLATE_NOOP("Command", "&Text to clipboard"), C::CopyText, "Ctrl+C", false, true},
    {QT_TRANSLATE_NOOP("Command", "Open link"), C::OpenLink, "Ctrl+L", true, true},
};
// clang-format on

constexpr bool inEnumOrder()
{
    for (int i = 0; i < CommandCount; ++i)
        if (int(table[i].command) != i)
            return false;
    return true;
}
static_assert(std::size(table) == CommandCount, "one entry per command");
static_assert(inEnumOrder(), "the entries stand in the order of the enum");

const PopupMenuInfo popups[PopupCount] = {
    { "PopupMenu1", treeMenu, std::size(treeMenu) },
    { "PopupMenu2", gridMenu, std::size(gridMenu) },
    { "PopupMenu3", textMenu, std::size(textMenu) },
};

} // namespace

const CommandInfo &commandInfo(Command command)
{
    return table[int(command)];
}

namespace
{

std::vector<Command> onBar(int CommandInfo::*position)
{
    std::vector<Command> bar;
    for (const CommandInfo &info : table)
        if (info.*position > 0) {
            if (int(bar.size()) < info.*position)
                bar.resize(size_t(info.*position), Command::RaiseMoveWindow);
            bar[size_t(info.*position - 1)] = info.command;
        }
    return bar;
}

} // namespace

std::vector<Command> topBarCommands()
{
    return onBar(&CommandInfo::topBar);
}

std::vector<Command> functionKeyCommands()
{
    return onBar(&CommandInfo::functionKey);
}

const PopupMenuInfo &popupMenuInfo(Popup popup)
{
    return popups[int(popup)];
}
