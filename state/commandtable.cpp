#include "commandtable.h"

#include <iterator>

namespace
{

using C = Command;

// clang-format off
constexpr CommandInfo table[] = {
    {C::miArchivClick, "miArchivClick", "&File", "&Switch archiv", "Alt+F2", "Alt+F2 = Switch archive", Icon::Archive, 1, 0, 0},
    {C::miIndex1Click, "miIndex1Click", "&File", "&Switch index", "Alt+F3", "Alt+F3 = Switch index", Icon::Index, 2, 0, SeparatorAfter},
    {C::miArchivNeuClick, "miArchivNeuClick", "&File", "&New archive", "", "", Icon::ArchiveNew, 0, 0, 0},
    {C::miAechivDelClick, "miAechivDelClick", "&File", "&Delete archive", "", "", Icon::ArchiveDelete, 0, 0, SeparatorAfter},
    {C::ReorganisationClick, "ReorganisationClick", "&File", "&Reoganization", "", "", Icon::Reorganize, 0, 0, SeparatorAfter},
    {C::Druckereinrichten1Click, "Druckereinrichten1Click", "&File", "Printer set&up", "", "", Icon::PrinterSetup, 0, 0, 0},
    {C::miFiledruckClick, "miFiledruckClick", "&File", "&Print (folder)", "Ctrl+P", "", Icon::Print, 18, 0, SeparatorAfter},
    {C::Einstellungen1Click, "Einstellungen1Click", "&File", "&Settings", "Alt+F1", "Alt+F1 = Settings", Icon::Settings, 19, 0, SeparatorAfter},
    {C::ExitClick, "ExitClick", "&File", "&Exit", "Alt+F4", "Alt+F4 = Exit", Icon::Exit, 20, 0, 0},

    {C::miDirNewClick, "miDirNewClick", "F&older", "&New", "F1", "F1 = Create new folder", Icon::FolderNew, 3, 1, 0},
    {C::miDirMoveClick, "miDirMoveClick", "F&older", "&Rename", "F2", "F2 = Rename (move) folder", Icon::FolderRename, 4, 2, SeparatorAfter},
    {C::miAllexpClick, "miAllexpClick", "F&older", "&Expand all", "", "", Icon::ExpandAll, 0, 0, 0},
    {C::miAllcolClick, "miAllcolClick", "F&older", "&Collaps all", "", "", Icon::CollapseAll, 0, 0, SeparatorAfter},
    {C::miOrdnerupdate1Click, "miOrdnerupdate1Click", "F&older", "Folder &update", "", "", Icon::FolderUpdate, 0, 0, 0},
    {C::popDelDirClick, "popDelDirClick", "F&older", "&Delete folder (empty)", "", "", Icon::FolderDelete, 0, 0, 0},

    {C::unten1Click, "unten1Click", "&Search", "&Next / down", "F3", "F3 = Search down", Icon::SearchDown, 5, 3, 0},
    {C::oben1Click, "oben1Click", "&Search", "&Prior / up", "F4", "F4 = Search up", Icon::SearchUp, 6, 4, 0},
    {C::miClearsearchClick, "miClearsearchClick", "&Search", "Clear search (Esc)", "", "", Icon::ClearSearch, 0, 0, StartsDisabled | SeparatorAfter},
    {C::miViewerClick, "miViewerClick", "&Search", "Sync viewer", "Ctrl+S", "Ctrl+S - Sync viewer", Icon::Viewer, 7, 0, 0},

    {C::Mutieren1Click, "Mutieren1Click", "&Edit", "&Edit", "F5", "F5 = Edit", Icon::Edit, 8, 5, 0},
    {C::miTextClick, "miTextClick", "&Edit", "Edit &text", "F6", "F6 = Edit text", Icon::EditText, 9, 6, 0},
    {C::miDelClick, "miDelClick", "&Edit", "&Delete / Abort", "F7", "F7 = Delete or Abort", Icon::DeleteAbort, 10, 7, 0},
    {C::miOkClick, "miOkClick", "&Edit", "&Update / OK", "F8", "F8 = Update folder or  OK", Icon::Ok, 11, 8, SeparatorAfter},
    {C::miTextSichClick, "miTextSichClick", "&Edit", "&Save text as", "", "", Icon::SaveText, 0, 0, StartsDisabled},
    {C::miInsFileClick, "miInsFileClick", "&Edit", "&Insert file", "", "", Icon::InsertFile, 0, 0, StartsDisabled},
    {C::miDelAllClick, "miDelAllClick", "&Edit", "Delete &all", "", "", Icon::DeleteAll, 0, 0, StartsDisabled},
    {C::miheuteClick, "miheuteClick", "&Edit", "I&nsert date", "Ctrl+D", "", Icon::InsertDate, 0, 0, StartsDisabled | SeparatorAfter},
    {C::miKataddClick, "miKataddClick", "&Edit", "&Add tag", "Ins", "", Icon::TagAdd, 0, 0, 0},
    {C::mikatdelClick, "mikatdelClick", "&Edit", "Delete &tag", "Del", "", Icon::TagDelete, 0, 0, SeparatorAfter},
    {C::miKatReplaceClick, "miKatReplaceClick", "&Edit", "&Replace tags", "Ctrl+R", "", Icon::TagReplace, 0, 0, 0},

    {C::miFilterClick, "miFilterClick", "Too&ls", "&Filter tags", "F9", "F9 = Set filter to tags (logical: AND)", Icon::Filter, 12, 9, 0},
    {C::miMoveClick, "miMoveClick", "Too&ls", "&Move file", "F10", "F10 = Move file (also Drag & Drop ...)", Icon::MoveFile, 13, 10, 0},
    {C::miKopierenClick, "miKopierenClick", "Too&ls", "&Copy file", "F11", "F11 = Copy file", Icon::CopyFile, 14, 11, 0},
    {C::miAllUpdClick, "miAllUpdClick", "Too&ls", "&Updata all", "F12", "F12 = Update all folders", Icon::UpdateAll, 15, 12, SeparatorAfter},
    {C::Explore1Click, "Explore1Click", "Too&ls", "Explore folder", "Ctrl+E", "Ctrl+E - Explore folder", Icon::Explore, 16, 0, 0},
    {C::miKategorienClick, "miKategorienClick", "Too&ls", "&Tags", "Ctrl+K", "", Icon::Tags, 17, 0, 0},

    {C::Showtoptoolbar1Click, "Showtoptoolbar1Click", "&View", "Show top toolbar", "", "", Icon::None, 0, 0, Checkable},
    {C::Showbottomtoolbar1Click, "Showbottomtoolbar1Click", "&View", "Show bottom toolbar", "", "", Icon::None, 0, 0, Checkable},

    {C::miHelpClick, "miHelpClick", "&Help", "&Help", "Ctrl+F1", "", Icon::Help, 0, 0, StartsDisabled},
    {C::Info1Click, "Info1Click", "&Help", "&Info ...", "", "", Icon::Info, 0, 0, 0},

    {C::popCopyPathClick, "popCopyPathClick", nullptr, "&Path/file to clipboard", "", "", Icon::PathToClipboard, 0, 0, 0},
    {C::DBGrid1DblClick, "DBGrid1DblClick", nullptr, "&Open", "", "", Icon::Open, 0, 0, 0},
    {C::ffnenmit1Click, "ffnenmit1Click", nullptr, "Open &with ...", "", "", Icon::OpenWith, 0, 0, 0},
    {C::popfilenameClick, "popfilenameClick", nullptr, "File name to clipboard", "", "", Icon::NameToClipboard, 0, 0, 0},
    {C::popBemerkungClick, "popBemerkungClick", nullptr, "&Note to clipboard", "", "", Icon::NoteToClipboard, 0, 0, 0},
    {C::popGanzeTextClick, "popGanzeTextClick", nullptr, "&Text to clipboard", "", "", Icon::TextToClipboard, 0, 0, 0},
    {C::popOpenlinkClick, "popOpenlinkClick", nullptr, "Open link", "", "", Icon::OpenLink, 0, 0, 0},

    // Shift+Tab: the move-file window to the front; Ctrl+Y: the caret's line of the text pane deleted.
    {C::Action1Execute, "Action1Execute", nullptr, nullptr, "Shift+Backtab", "", Icon::None, 0, 0, 0},
    {C::Action2Execute, "Action2Execute", nullptr, nullptr, "Ctrl+Y", "", Icon::None, 0, 0, 0},
};

const PopupItem treeMenu[] = {
    {"&New", C::miDirNewClick, "", false, true},
    {"&Rename", C::miDirMoveClick, "", false, true},
    {nullptr, C::miDirNewClick, "", false, false},
    {"&Expand all", C::miAllexpClick, "", false, true},
    {"&Collaps all", C::miAllcolClick, "", false, true},
    {nullptr, C::miDirNewClick, "", false, false},
    {"&Update folder", C::miOrdnerupdate1Click, "", false, true},
    {"&Delete folder (empty)", C::popDelDirClick, "", false, true},
    {nullptr, C::miDirNewClick, "", false, false},
    {"&Path/file to clipboard", C::popCopyPathClick, "Ctrl+C", false, true},
};

const PopupItem gridMenu[] = {
    {"&Open", C::DBGrid1DblClick, "", false, true},
    {"Open &with ...", C::ffnenmit1Click, "", false, true},
    {nullptr, C::miDirNewClick, "", false, false},
    {"&Edit", C::Mutieren1Click, "", false, true},
    {"&Abort", C::miDelClick, "", true, true},
    {"&OK and exit", C::miOkClick, "", true, true},
    {nullptr, C::miDirNewClick, "", false, false},
    {"&Copy file", C::miKopierenClick, "", false, true},
    {"Explore folder", C::Explore1Click, "", false, true},
    {nullptr, C::miDirNewClick, "", false, false},
    {"&Path/file to clipboard", C::popCopyPathClick, "Ctrl+C", false, true},
    {"File name to clipboard", C::popfilenameClick, "Ctrl+F", false, true},
    {"&Note to clipboard", C::popBemerkungClick, "Ctrl+N", false, true},
};

const PopupItem textMenu[] = {
    {"&Edit", C::miTextClick, "", false, true},
    {"&Abort", C::miDelClick, "", true, true},
    {"&OK and exit", C::miOkClick, "", true, true},
    {nullptr, C::miDirNewClick, "", false, false},
    {"&Save text as", C::miTextSichClick, "", true, true},
    {"&Insert file", C::miInsFileClick, "", true, true},
    {"&Delete all", C::miDelAllClick, "", true, true},
    {"I&nsert date", C::miheuteClick, "Ctrl+D", true, false},
    {nullptr, C::miDirNewClick, "", false, false},
    {"&Text to clipboard", C::popGanzeTextClick, "Ctrl+C", false, true},
    {"Open link", C::popOpenlinkClick, "Ctrl+L", true, true},
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
                bar.resize(size_t(info.*position), Command::Action1Execute);
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
