#pragma once

#include "store/dbstatus.h"
#include "store/tablechoices.h"
#include "views/ui/mainviews.h"
#include "views/ui/viewsport.h"

#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <QTableView>
#include <QTreeWidget>

#include <functional>
#include <memory>

class CatalogModel;
class CatalogTable;
class FolderNodeIndex;
class FolderTree;
class PathResolver;
class QTreeWidgetItem;

// The coordinated views of the main window: the folder tree, the grid over the catalogue
// table, the text pane and the status bar. Selecting a folder restricts the table (and so
// the grid) to that folder; the grid's current row and the table's current record are the
// same record both ways; moving to a record loads its info file into the text pane while
// the window's followCurrentRecord flag is set.
//
// It also carries the browsing commands (Expand all, Collaps all, Reorganization, Switch
// index, Clear search). The main window composes one instance; the browsing families are
// handed it, the other families see it as their ViewsPort. Calls that fail report through
// their DbStatus; the command handlers turn failures into the error box.
class BrowseViews : public QObject, public ViewsPort
{
    Q_OBJECT
public:
    BrowseViews(
        AppState &state, const MainViews &views, StatusPanels &panels, CommandPort &commands);
    ~BrowseViews() override;

    CatalogModel *model() const { return m_model; }
    QTreeWidget *tree() const override { return m_tree; }
    QTableView *grid() const override { return m_grid; }
    QPlainTextEdit *textPane() const override { return m_textPane; }

    // --- Folder tree ---------------------------------------------------------------
    // Hourglass, panel 2 emptied, the tree rebuilt from the disk below rootPath and
    // sorted; cursor and repainting restored however it ends. Nothing is selected
    // afterwards (the caller selects) and the expansion rule is not applied. Returns the
    // walk's failure (the tree then holds what could be read).
    DbStatus rebuildFolderTree() override;
    // The same with a tree already built from the disk: panel 2 emptied, the widget filled
    // from tree (no walk of the disk), nothing selected.
    void showFolderTree(const FolderTree &tree) override;
    // Creates every missing folder of the relative path (catalogue form, A\B\), rebuilds
    // the tree and applies the expansion rule; selects nothing. The tree is rebuilt even
    // when a folder could not be created; the first failure is returned.
    DbStatus ensureFolderAndRebuild(const QString &relativePath) override;
    // folderListCollapsed non-zero: every node collapsed; zero: every node expanded.
    void applyExpansionRule() override;
    // Every node with children expanded, as a walk that selected every node leaves them.
    void expandEveryNode() override;

    int nodeCount() const override;
    // Absolute index (display order, collapsed branches included) of the selected node;
    // -1 when nothing is selected.
    int selectedNodeIndex() const override;
    // Selects the node at an absolute index, scrolls it into view and runs selectFolder
    // once, returning its status. With an empty tree the root folder's own records are
    // shown instead (panel 2 empty). InvalidArgument, with nothing changed, when the tree
    // has nodes but none at that index.
    DbStatus selectNodeAt(int index) override;
    // The same for a folder path (A\B\, any letter case); NotFound when no node has it.
    DbStatus selectFolderPath(const QString &folderPath) override;
    // The folder path of the selected node in the tree's letter case; empty when none.
    QString selectedFolderPath() const override;
    // The same for the node at an absolute index, without selecting it; empty when none.
    QString folderPathAt(int index) const;

    // --- Views ---------------------------------------------------------------------
    // The archive as a whole: empty folders removed (deleteEmptyFolders), tree rebuilt,
    // expansion rule, first record, first node selected, tree focused, all four panels.
    // Finishes every step also when the tree walk failed, then returns that failure.
    DbStatus showArchive();
    // Restricts the table to the selected node's folder (the root folder's own files when
    // the tree has no nodes), writes panel 2, tells the move window (folderSelected) and
    // runs the folder update with descriptions when folderInfoMode is non-zero.
    DbStatus selectFolder() override;
    // Panel 3: the table's live record count, with the deleted count when there is one.
    void showCount() override;
    // Forgets the search: "Clear search (Esc)" disabled, searchCleared(), panel 0 today.
    void clearSearch() override;
    // The text-pane load of the current record (does nothing while followCurrentRecord is
    // clear or the text pane is being edited), then currentRecordShown().
    void loadCurrentText() override;
    // After moving the table's current record outside a detach/attach pair: the grid's
    // current row follows, and the text pane loads.
    void showCurrentRecord() override;
    // The status of the last text-pane load: Ok (also for a missing info file, shown as
    // an empty pane) or the failure that left an existing info file unread, whose text
    // must therefore not be saved over; the pane then shows its message.
    const DbStatus &textPaneStatus() const { return m_textStatus; }
    int shownRecordCount() const override;
    bool shownFile(quint32 recno, QString *dir, QString *name) const override;

    // --- Commands ------------------------------------------------------------------
    // "Expand all"; "Collaps all", which then selects the first node (selectFolder's
    // status). Both do nothing on an empty tree.
    void expandAll();
    DbStatus collapseAll();
    // Column title clicked: Note width, then the column's order (the Size title none).
    DbStatus orderByColumn(int column);
    // Marks the title of the order in force (1..4) red and the other three black.
    void markOrderTitle(int order);
    // The reorganisation: tag filter off, records marked deleted removed for good, empty
    // folders removed (deleteEmptyFolders), tree rebuilt, first node selected and focused,
    // count shown, followCurrentRecord set.
    DbStatus reorganize();
    // "Switch index": File -> Note -> Tags -> Date -> File.
    DbStatus switchIndex();

signals:
    // A folder was selected (path in the tree's letter case): the move-file window's
    // destination field follows it.
    void folderSelected(const QString &folderPath);
    // The search was forgotten; the search state empties its text.
    void searchCleared();
    // The text pane shows the current record: viewer sync may show the file.
    void currentRecordShown();
    // The tree was rebuilt: absolute indexes held elsewhere are void.
    void treeRebuilt();
    // The reorganisation ended: the tag filter string is empty.
    void reorganised();
    // The grid's current column changed in browse mode (the file drag starts here).
    void gridColumnEntered(int column);
    // The grid lost the focus (record edit mode ends here).
    void gridExited();
    // A column title was clicked: the Note column takes the width left over again.
    void titleClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectViews();
    void onTreeCurrentChanged(QTreeWidgetItem *current);
    void onGridRowChanged(int row);
    void onModelReset();
    void onFocusChanged(QWidget *old, QWidget *now);
    bool treeKey(int key);
    DbStatus treeEscape();
    bool gridKey(int key, const QString &text);
    void paintSelection(QWidget *view, bool focused);
    DbStatus showRootFolder();
    void showingFolder(const QString &folderPath);
    QString rootPath() const;
    CatalogTable *table() const;
    // The open catalogue's choices (the default without one): which folders the tree shows.
    TableChoices choices() const;

    AppState &m_state;
    StatusPanels &m_panels;
    CommandPort &m_commands;
    QPointer<QTreeWidget> m_tree;
    QPointer<QTableView> m_grid;
    QPointer<QPlainTextEdit> m_textPane;
    CatalogModel *m_model = nullptr;
    FolderNodeIndex *m_nodes = nullptr; // owned by the tree
    std::unique_ptr<PathResolver> m_resolver; // of the selected folder's listings
    std::unique_ptr<PathResolver> m_folder; // rooted at the folder whose records are shown
    QString m_folderDir; // that folder's DIR
    DbStatus m_textStatus;
    bool m_selecting = false; // selection changes made here run selectFolder themselves
    bool m_syncing = false; // the grid is being moved to the table's record
    bool m_followBeforeSwitch = true;
};
