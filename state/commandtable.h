#pragma once

#include <cstddef>
#include <vector>

// The commands of the main window as data: every menu item, toolbar button, pop-up item and
// window-wide key, with its caption, keys, hint, icon and place. The window layer builds its
// menus and bars from these tables and attaches each command's handler by its enum value;
// nothing here knows a widget.

// The program's pictograms, one per command; the window layer draws them.
enum class Icon {
    None,
    Archive,
    ArchiveNew,
    ArchiveDelete,
    Index,
    Reorganize,
    PrinterSetup,
    Print,
    Settings,
    Exit,
    FolderNew,
    FolderRename,
    ExpandAll,
    CollapseAll,
    FolderUpdate,
    FolderDelete,
    SearchDown,
    SearchUp,
    ClearSearch,
    Viewer, // viewer sync off (image 20)
    ViewerOn, // viewer sync on (image 19)
    Edit,
    EditText,
    DeleteAbort,
    Ok,
    SaveText,
    InsertFile,
    DeleteAll,
    InsertDate,
    TagAdd,
    TagDelete,
    TagReplace,
    Filter,
    MoveFile,
    CopyFile,
    UpdateAll,
    Explore,
    Tags,
    Help,
    Info,
    Open,
    OpenWith,
    PathToClipboard,
    NameToClipboard,
    NoteToClipboard,
    TextToClipboard,
    OpenLink,
    Program,
};

// Every command, named for what it does (the table's handler column keeps the name that issues
// know its handler by). The main-menu commands come first, in menu order.
enum class Command : int {
    // File
    SwitchArchive,
    SwitchIndex,
    NewArchive,
    DeleteArchive,
    Reorganize,
    PrinterSetup,
    PrintFolder,
    Settings,
    Exit,
    // Folder
    NewFolder,
    RenameFolder,
    ExpandAll,
    CollapseAll,
    UpdateFolder,
    DeleteFolder,
    // Search
    SearchDown,
    SearchUp,
    ClearSearch,
    SyncViewer,
    // Edit
    EditRecord,
    EditText,
    DeleteOrAbort,
    UpdateOrOk,
    SaveTextAs,
    InsertFile,
    DeleteAllText,
    InsertDate,
    AddTag,
    DeleteTag,
    ReplaceTags,
    // Tools
    FilterTags,
    MoveFile,
    CopyFile,
    UpdateAll,
    ExploreFolder,
    EditTagList,
    // View
    ShowTopToolbar,
    ShowBottomToolbar,
    // Help
    Help,
    Info,
    // Pop-up menus only
    CopyPath,
    OpenFile,
    OpenWith,
    CopyFileName,
    CopyNote,
    CopyText,
    OpenLink,
    // Keys of the whole window without a menu item
    RaiseMoveWindow,
    DeleteTextLine,
};
constexpr int CommandCount = int(Command::DeleteTextLine) + 1;

enum CommandFlag : unsigned {
    StartsDisabled = 1, // enabled later by the command's own family
    SeparatorAfter = 2, // in its drop-down menu
    Checkable = 4,
};

struct CommandInfo {
    Command command;
    const char *handler; // the name issues know the handler by: "miOkClick"
    const char *menu; // caption of its drop-down menu; null: no main-menu item
    const char *caption; // null for the window-wide keys
    const char *keys; // QKeySequence portable text; empty: none
    const char *hint; // tooltip of its buttons; empty: none
    Icon icon;
    int topBar; // position on the top toolbar, 1 = leftmost; 0: not there
    int functionKey; // position on the function-key toolbar (F1 = 1); 0: not there
    unsigned flags;
};

// The entry of a command; the table holds one for every command, in enum order.
const CommandInfo &commandInfo(Command command);

// The buttons of the top toolbar and of the function-key toolbar (F1 to F12), left to
// right.
std::vector<Command> topBarCommands();
std::vector<Command> functionKeyCommands();

// The pop-up menus of the tree, the grid and the text pane.
enum class Popup { Tree, Grid, TextPane };
constexpr int PopupCount = 3;

struct PopupItem {
    // A separator has no caption.
    const char *caption;
    Command command;
    const char *keys;
    bool startsDisabled;
    // False where the same key already belongs to a main-menu item that runs the same
    // command: the key is shown in the menu but not registered twice.
    bool ownsKey;
};

struct PopupMenuInfo {
    const char *name; // object name: "PopupMenu1"
    const PopupItem *items;
    std::size_t count;
};

const PopupMenuInfo &popupMenuInfo(Popup popup);
