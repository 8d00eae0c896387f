#pragma once

#include <QIcon>

// The program's own pictograms, one per command, drawn in code so that they look alike
// and stay sharp at every size (16 and 24 pixels and their high-density variants).
enum class Icon {
    None,
    Archive, ArchiveNew, ArchiveDelete, Index, Reorganize, PrinterSetup, Print, Settings, Exit,
    FolderNew, FolderRename, ExpandAll, CollapseAll, FolderUpdate, FolderDelete,
    SearchDown, SearchUp, ClearSearch, Viewer,
    Edit, EditText, DeleteAbort, Ok, SaveText, InsertFile, DeleteAll, InsertDate,
    TagAdd, TagDelete, TagReplace,
    Filter, MoveFile, CopyFile, UpdateAll, Explore, Tags,
    Help, Info,
    Open, OpenWith, PathToClipboard, NameToClipboard, NoteToClipboard, TextToClipboard, OpenLink,
    Program,
};

QIcon tabulonIcon(Icon icon);
