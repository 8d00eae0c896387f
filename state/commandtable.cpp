#include "commandtable.h"

#include <iterator>

namespace
{

using C = Command;

// clang-format off
constexpr CommandInfo table[] = {
    {C::SwitchArchive, "miArchivClick", "&File", "&Switch archiv", "Alt+F2", "Alt+F2 = Switch archive", Icon::Archive, 1, 0, 0},
    {C::SwitchIndex, "miIndex1Click", "&File", "&Switch index", "Alt+F3", "Alt+F3 = Switch index", Icon::Index, 2, 0, SeparatorAfter},
    {C::NewArchive, "miArchivNeuClick", "&File", "&New archive", "", "", Icon::ArchiveNew, 0, 0, 0},
    {C::DeleteArchive, "miAechivDelClick", "&File", "&Delete archive", "", "", Icon::ArchiveDelete, 0, 0, SeparatorAfter},
    {C::Reorganize, "ReorganisationClick", "&File", "&Reoganization", "", "", Icon::Reorganize, 0, 0, SeparatorAfter},
    {C::PrinterSetup, "Druckereinrichten1Click", "&File", "Printer set&up", "", "", Icon::PrinterSetup, 0, 0, 0},
    {C::PrintFolder, "miFiledruckClick", "&File", "&Print (folder)", "Ctrl+P", "", Icon::Print, 18, 0, SeparatorAfter},
    {C::Settings, "Einstellungen1Click", "&File", "&Settings", "Alt+F1", "Alt+F1 = Settings", Icon::Settings, 19, 0, SeparatorAfter},
    {C::Exit, "ExitClick", "&File", "&Exit", "Alt+F4", "Alt+F4 = Exit", Icon::Exit, 20, 0, 0},

    {C::NewFolder, "miDirNewClick", "F&older", "&New", "F1", "F1 = Create new folder", Icon::FolderNew, 3, 1, 0},
    {C::RenameFolder, "miDirMoveClick", "F&older", "&Rename", "F2", "F2 = Rename (move) folder", Icon::FolderRename, 4, 2, SeparatorAfter},
    {C::ExpandAll, "miAllexpClick", "F&older", "&Expand all", "", "", Icon::ExpandAll, 0, 0, 0},
    {C::CollapseAll, "miAllcolClick", "F&older", "&Collaps all", "", "", Icon::CollapseAll, 0, 0, SeparatorAfter},
    {C::UpdateFolder, "miOrdnerupdate1Click", "F&older", "Folder &update", "", "", Icon::FolderUpdate, 0, 0, 0},
    {C::DeleteFolder, "popDelDirClick", "F&older", "&Delete folder (empty)", "", "", Icon::FolderDelete, 0, 0, 0},

    {C::SearchDown, "unten1Click", "&Search", "&Next / down", "F3", "F3 = Search down", Icon::SearchDown, 5, 3, 0},
    {C::SearchUp, "oben1Click", "&Search", "&Prior / up", "F4", "F4 = Search up", Icon::SearchUp, 6, 4, 0},
    {C::ClearSearch, "miClearsearchClick", "&Search", "Clear search (Esc)", "", "", Icon::ClearSearch, 0, 0, StartsDisabled | SeparatorAfter},
    {C::SyncViewer, "miViewerClick", "&Search", "Sync viewer", "Ctrl+S", "Ctrl+S - Sync viewer", Icon::Viewer, 7, 0, 0},

    {C::EditRecord, "Mutieren1Click", "&Edit", "&Edit", "F5", "F5 = Edit", Icon::Edit, 8, 5, 0},
    {C::EditText, "miTextClick", "&Edit", "Edit &text", "F6", "F6 = Edit text", Icon::EditText, 9, 6, 0},
    {C::DeleteOrAbort, "miDelClick", "&Edit", "&Delete / Abort", "F7", "F7 = Delete or Abort", Icon::DeleteAbort, 10, 7, 0},
    {C::UpdateOrOk, "miOkClick", "&Edit", "&Update / OK", "F8", "F8 = Update folder or  OK", Icon::Ok, 11, 8, SeparatorAfter},
    {C::SaveTextAs, "miTextSichClick", "&Edit", "&Save text as", "", "", Icon::SaveText, 0, 0, StartsDisabled},
    {C::InsertFile, "miInsFileClick", "&Edit", "&Insert file", "", "", Icon::InsertFile, 0, 0, StartsDisabled},
    {C::DeleteAllText, "miDelAllClick", "&Edit", "Delete &all", "", "", Icon::DeleteAll, 0, 0, StartsDisabled},
    {C::InsertDate, "miheuteClick", "&Edit", "I&nsert date", "Ctrl+D", "", Icon::InsertDate, 0, 0, StartsDisabled | SeparatorAfter},
    {C::AddTag, "miKataddClick", "&Edit", "&Add tag", "Ins", "", Icon::TagAdd, 0, 0, 0},
    {C::DeleteTag, "mikatdelClick", "&Edit", "Delete &tag", "Del", "", Icon::TagDelete, 0, 0, SeparatorAfter},
    {C::ReplaceTags, "miKatReplaceClick", "&Edit", "&Replace tags", "Ctrl+R", "", Icon::TagReplace, 0, 0, 0},

    {C::FilterTags, "miFilterClick", "Too&ls", "&Filter tags", "F9", "F9 = Set filter to tags (logical: AND)", Icon::Filter, 12, 9, 0},
    {C::MoveFile, "miMoveClick", "Too&ls", "&Move file", "F10", "F10 = Move file (also Drag & Drop ...)", Icon::MoveFile, 13, 10, 0},
    {C::CopyFile, "miKopierenClick", "Too&ls", "&Copy file", "F11", "F11 = Copy file", Icon::CopyFile, 14, 11, 0},
    {C::UpdateAll, "miAllUpdClick", "Too&ls", "&Updata all", "F12", "F12 = Update all folders", Icon::UpdateAll, 15, 12, SeparatorAfter},
    {C::ExploreFolder, "Explore1Click", "Too&ls", "Explore folder", "Ctrl+E", "Ctrl+E - Explore folder", Icon::Explore, 16, 0, 0},
    {C::EditTagList, "miKategorienClick", "Too&ls", "&Tags", "Ctrl+K", "", Icon::Tags, 17, 0, 0},

    {C::ShowTopToolbar, "Showtoptoolbar1Click", "&View", "Show top toolbar", "", "", Icon::None, 0, 0, Checkable},
    {C::ShowBottomToolbar, "Showbottomtoolbar1Click", "&View", "Show bottom toolbar", "", "", Icon::None, 0, 0, Checkable},

    {C::Help, "miHelpClick", "&Help", "&Help", "Ctrl+F1", "", Icon::Help, 0, 0, StartsDisabled},
    {C::Info, "Info1Click", "&Help", "&Info ...", "", "", Icon::Info, 0, 0, 0},

    {C::CopyPath, "popCopyPathClick", nullptr, "&Path/file to clipboard", "", "", Icon::PathToClipboard, 0, 0, 0},
    {C::OpenFile, "DBGrid1DblClick", nullptr, "&Open", "", "", Icon::Open, 0, 0, 0},
    {C::OpenWith, "ffnenmit1Click", nullptr, "Open &with ...", "", "", Icon::OpenWith, 0, 0, 0},
    {C::CopyFileName, "popfilenameClick", nullptr, "File name to clipboard", "", "", Icon::NameToClipboard, 0, 0, 0},
    {C::CopyNote, "popBemerkungClick", nullptr, "&Note to clipboard", "", "", Icon::NoteToClipboard, 0, 0, 0},
    {C::CopyText, "popGanzeTextClick", nullptr, "&Text to clipboard", "", "", Icon::TextToClipboard, 0, 0, 0},
    {C::OpenLink, "popOpenlinkClick", nullptr, "Open link", "", "", Icon::OpenLink, 0, 0, 0},

    // Shift+Tab: the move-file window to the front; Ctrl+Y: the caret's line of the text pane deleted.
    {C::RaiseMoveWindow, "Action1Execute", nullptr, nullptr, "Shift+Backtab", "", Icon::None, 0, 0, 0},
    {C::DeleteTextLine, "Action2Execute", nullptr, nullptr, "Ctrl+Y", "", Icon::None, 0, 0, 0},
};

const PopupItem treeMenu[] = {
    {"&New", C::NewFolder, "", false, true},
    {"&Rename", C::RenameFolder, "", false, true},
    {nullptr, C::NewFolder, "", false, false},
    {"&Expand all", C::ExpandAll, "", false, true},
    {"&Collaps all", C::CollapseAll, "", false, true},
    {nullptr, C::NewFolder, "", false, false},
    {"&Update folder", C::UpdateFolder, "", false, true},
    {"&Delete folder (empty)", C::DeleteFolder, "", false, true},
    {nullptr, C::NewFolder, "", false, false},
    {"&Path/file to clipboard", C::CopyPath, "Ctrl+C", false, true},
};

const PopupItem gridMenu[] = {
    {"&Open", C::OpenFile, "", false, true},
    {"Open &with ...", C::OpenWith, "", false, true},
    {nullptr, C::NewFolder, "", false, false},
    {"&Edit", C::EditRecord, "", false, true},
    {"&Abort", C::DeleteOrAbort, "", true, true},
    {"&OK and exit", C::UpdateOrOk, "", true, true},
    {nullptr, C::NewFolder, "", false, false},
    {"&Copy file", C::CopyFile, "", false, true},
    {"Explore folder", C::ExploreFolder, "", false, true},
    {nullptr, C::NewFolder, "", false, false},
    {"&Path/file to clipboard", C::CopyPath, "Ctrl+C", false, true},
    {"File name to clipboard", C::CopyFileName, "Ctrl+F", false, true},
    {"&Note to clipboard", C::CopyNote, "Ctrl+N", false, true},
};

const PopupItem textMenu[] = {
    {"&Edit", C::EditText, "", false, true},
    {"&Abort", C::DeleteOrAbort, "", true, true},
    {"&OK and exit", C::UpdateOrOk, "", true, true},
    {nullptr, C::NewFolder, "", false, false},
    {"&Save text as", C::SaveTextAs, "", true, true},
    {"&Insert file", C::InsertFile, "", true, true},
    {"&Delete all", C::DeleteAllText, "", true, true},
    {"I&nsert date", C::InsertDate, "Ctrl+D", true, false},
    {nullptr, C::NewFolder, "", false, false},
    {"&Text to clipboard", C::CopyText, "Ctrl+C", false, true},
    {"Open link", C::OpenLink, "Ctrl+L", true, true},
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
