#pragma once

#include "store/dbstatus.h"

#include <QString>

class FolderTree;
class QPlainTextEdit;
class QTableView;
class QTreeWidget;

// The main window's coordinated views (folder tree, grid, text pane, status bar) as the
// command families beside browsing see them: the folder update, the folder and file
// operations, the shell commands and printing. BrowseViews implements it; the window's
// composer hands it to the families and connects them to the views' signals. Failures come
// back as DbStatus values for the handler to show.
//
// Folder nodes are counted by absolute index: every node in display order, parents before
// children, collapsed branches included, the first top-level node being 0. Folder paths
// are in catalogue form (A\B\).
class ViewsPort
{
public:
    virtual ~ViewsPort() = default;

    // For handlers: a failure becomes an exception, which the window's guard shows in the
    // error box. Does nothing for a success.
    static void throwIfFailed(const DbStatus &status);

    // The widgets. The main window owns them and outlives every family.
    virtual QTreeWidget *tree() const = 0;
    virtual QTableView *grid() const = 0;
    virtual QPlainTextEdit *textPane() const = 0;

    // --- Folder tree ---------------------------------------------------------------
    // The tree built again from the disk below the root folder, nothing selected; the
    // walk's failure (the tree then holds what could be read).
    virtual DbStatus rebuildFolderTree() = 0;
    // The tree filled from one already walked, nothing selected.
    virtual void showFolderTree(const FolderTree &tree) = 0;
    // Every missing folder of the path created, then the tree rebuilt and the expansion
    // rule applied, also after a failure; the first failure.
    virtual DbStatus ensureFolderAndRebuild(const QString &relativePath) = 0;
    // Every node collapsed or expanded as the settings say; every node expanded.
    virtual void applyExpansionRule() = 0;
    virtual void expandEveryNode() = 0;
    virtual int nodeCount() const = 0;
    // -1 when nothing is selected.
    virtual int selectedNodeIndex() const = 0;
    // Select a node, scroll it into view and show its folder, returning selectFolder()'s
    // status. With an empty tree the root folder's own records are shown. Nothing changes
    // when there is no such node: InvalidArgument for an index, NotFound for a path (any
    // letter case).
    virtual DbStatus selectNodeAt(int index) = 0;
    virtual DbStatus selectFolderPath(const QString &folderPath) = 0;
    // In the tree's letter case; empty when nothing is selected.
    virtual QString selectedFolderPath() const = 0;

    // --- Records -------------------------------------------------------------------
    // The table restricted to the selected folder's records (the root folder's own when
    // the tree has no nodes), the folder written into status panel 2.
    virtual DbStatus selectFolder() = 0;
    // Status panel 3: the record count.
    virtual void showCount() = 0;
    // The search forgotten.
    virtual void clearSearch() = 0;
    // The text pane loads the current record's long text while the window follows the
    // current record and the pane is not being edited.
    virtual void loadCurrentText() = 0;
    // After the table's current record moved outside a detach/attach pair: the grid's
    // current row follows, and the text pane loads.
    virtual void showCurrentRecord() = 0;
    // The number of records the grid shows.
    virtual int shownRecordCount() const = 0;
    // The folder (DIR) and name of a record as the grid shows them; false, leaving both
    // alone, when the grid does not show that record.
    virtual bool shownFile(quint32 recno, QString *dir, QString *name) const = 0;
};
