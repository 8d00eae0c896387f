#pragma once

#include "store/dbstatus.h"

class TForm1;

// The commands that bring the catalogue up to date with the disk: "Folder update"
// (miOrdnerupdate1Click), "Update all" (miAllUpdClick, F12) and the browse-mode meaning of
// "Update / OK" (miOkClick, F8). Failures are shown with the shared dialog's error kind
// once the views are whole again. Runs before TForm1::FormCreate(), after
// installBrowsing().
void installFolderUpdate(TForm1 &form);

// F8 in browse mode: viewer sync stopped, the folder of status panel 2 merged with the
// disk (the root folder while the tree has no nodes) and, when FolderInfoMode is
// non-zero, its Descript.ion rewritten from the notes; a Descript.ion that could not be
// read is never rewritten. Nothing happens without an open archive or while the tree has
// nodes but none is selected. For the edit-mode part of F8, which runs the same after
// confirming a record.
DbStatus updateCurrentFolder(TForm1 &form);
