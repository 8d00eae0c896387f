#pragma once

#include "store/dbstatus.h"
#include "views/ui/mainviews.h"
#include "views/ui/viewsport.h"

#include <functional>

class CatalogTable;
class SkippedEntries;
class UpdateFailures;

// The commands that bring the catalogue up to date with the disk: "Folder update"
// (updateFolder), "Update all" (updateAll, F12) and the browse-mode meaning of
// "Update / OK" (F8). Failures are shown with the shared dialog's error kind once the views
// are whole again; entries the catalogue cannot hold are listed in the same box, or in a
// warning of their own when nothing failed. A run that skipped nothing shows nothing.
class FolderUpdateCommands
{
public:
    FolderUpdateCommands(AppState &state, ViewsPort &views, StatusPanels &panels,
        std::function<void()> stopViewerSync);

    void updateFolder();
    void updateAll();

    // F8 in browse mode: viewer sync stopped, the folder of status panel 2 merged with the
    // disk (the root folder while the tree has no nodes) and, in description mode, its
    // Descript.ion rewritten from the notes; a Descript.ion that could not be read is never
    // rewritten. Nothing happens without an open archive or while the tree has nodes but
    // none is selected. The editing commands run the same after confirming a record.
    // The folder's entries that the catalogue cannot hold are shown in a warning when the
    // update succeeded; a failure is returned for the caller to show.
    DbStatus updateCurrentFolder();

private:
    UpdateFailures updateAllAndShow(CatalogTable &table, SkippedEntries &skipped);

    AppState &m_state;
    ViewsPort &m_views;
    StatusPanels &m_panels;
    std::function<void()> m_stopViewerSync;
};
