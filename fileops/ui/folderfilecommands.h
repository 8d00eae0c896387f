#pragma once

#include "store/dbstatus.h"
#include "views/ui/mainviews.h"
#include "views/ui/viewsport.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>

class CatalogTable;
class MoveFileWindow;
class QTimer;
class QTreeWidgetItem;
class TreeDragDrop;

// Folder operations and file moves in the main window: new folder (F1), rename or move a
// folder (F2, or a tree node dropped on another), delete an empty folder, move a file with
// the move-file window (F10) or by dropping it from the grid on a tree folder, copy a file
// (F11). Every change happens on disk first; the records follow (a folder's records with
// those of all its sub-folders), the tree is built again from the disk, and in
// description mode the folders' Descript.ion files are rewritten. Messages and questions go
// through the shared dialog; the copy's folder dialog is a seam that tests replace.
class FolderFileCommands : public QObject
{
    Q_OBJECT
public:
    struct Hooks {
        // Ends record or text editing as leaving the view does; false when a text could not
        // be saved, and the command then does nothing.
        std::function<bool()> finishEditing;
        // The move-file window has been created (the main window's Shift+Tab goes there).
        std::function<void(QWidget *)> moveWindowCreated;
    };

    // window: the main window, over which the move-file window stays. dragScrollTimer: the
    // 50 ms timer that scrolls the tree while a drag hovers near its edges.
    FolderFileCommands(
        AppState &state, ViewsPort &views, QWidget *window, QTimer *dragScrollTimer, Hooks hooks);
    ~FolderFileCommands() override;

    // The copy's folder dialog: window caption, the headline above its folders and the
    // folder to start at; returns the folder chosen, empty when cancelled.
    using FolderChooser = std::function<QString(
        const QString &caption, const QString &headline, const QString &start)>;
    void setFolderChooser(FolderChooser chooser);

    // Handlers, by the names the main window runs them.
    void newFolder();
    void renameFolder();
    void deleteFolder();
    void moveFile();
    void copyFile();

    // Moves the folder oldPath to newPath with its records (see renameFolder in
    // fileops/folderrename.h); the tree is built again and the new folder selected, or the
    // failure shown.
    void moveFolder(const QString &oldPath, const QString &newPath);

    // The move-file window, created hidden on first need; it lives as long as the family.
    MoveFileWindow *createMoveFileWindow();
    MoveFileWindow *moveFileWindow() const;
    // The move-file window's OK and Cancel.
    void moveToDestination();
    void cancelMove();
    // Forgets the folder last moved to (a new archive display).
    void forgetMoveTarget();

    // Drag and drop on the tree (see TreeDragDrop): what was dropped where. file: the
    // record number of a file dragged from the grid; 0 for a folder dragged in the tree.
    void dropOnTree(const QPoint &viewportPos, quint32 file);
    TreeDragDrop &dragDrop() const { return *m_dragDrop; }

    // What the views report, as the window's composer connects it: a file drag may start
    // from the grid's current record; the destination field follows the folder selected.
    void onGridColumnEntered();
    void onFolderSelected(const QString &folderPath);

private:
    // Folder commands.
    bool selectFolder(const QString &folderPath);
    void selectAfterRebuild(const QString &wanted, const QString &fallback);
    void dropFolder(QTreeWidgetItem *target);
    // File commands.
    bool viewHasRecord() const;
    bool finishEditing();
    QString archiveKey() const;
    void moveFileTo(const QString &destination);
    void dropFile(QTreeWidgetItem *target, quint32 recno);
    void writeDescriptions(const QStringList &folderPaths);
    void backToMainWindow();
    QString rootPath() const;
    CatalogTable &table() const;

    AppState &m_state;
    ViewsPort &m_views;
    QPointer<QWidget> m_mainWindow;
    Hooks m_hooks;
    FolderChooser m_chooseFolder;
    QPointer<MoveFileWindow> m_window;
    TreeDragDrop *m_dragDrop = nullptr;
    // The one move the window was opened for.
    quint32 m_moveRecno = 0;
    QString m_moveName;
    QString m_moveSource;
    QString m_moveArchive;
    // The folder last moved to, and the archive it belongs to (MoveTargetIndex): kept by
    // path, so that a tree built again in between cannot make it point at another folder.
    QString m_moveTarget;
    QString m_moveTargetArchive;
};
