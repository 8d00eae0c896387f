#pragma once

#include "store/dbstatus.h"
#include "views/ui/mainviews.h"

#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <QTableView>
#include <QTreeWidget>

#include <functional>

class BrowseViews;
class CatalogModel;
class CatalogTable;
class CellEditDelegate;
class QColor;
class QWidget;

// Record and note editing in the main window: record edit mode (F5, the grid accepts
// input in File, Note and Tags), text edit mode (F6, the text pane accepts the long text
// of the current file, kept in its info file), their endings, deleting files (F7 in
// browse mode) and the text pane's commands. The handlers F5 to F8 dispatch on the
// window's UiMode; F8 in browse mode is the folder update.
//
// Abort (F7) in record edit mode discards what was typed into the current record; the grid losing
// the focus in that mode writes the record with the record rules in force (a change left in the
// buffer would later be written without them). A text edit session belongs to the file it began on,
// so a save after the table has moved elsewhere still writes that file's info file. Another
// window of the program taking the focus ends no edit: the commands that act from there on
// the record or the table end it themselves first.
class EditingCommands : public QObject
{
    Q_OBJECT
public:
    // What the editing commands start in other families.
    struct Hooks {
        std::function<void()> stopViewerSync;
        // The folder update of F8 in browse mode (and after OK in record edit mode).
        std::function<DbStatus()> updateFolder;
    };

    EditingCommands(AppState &state, BrowseViews &views, StatusPanels &panels,
        CommandPort &commands, Hooks hooks);
    ~EditingCommands() override;

    // The file dialogs of "Save text as" and "Insert file": given the start folder, they
    // return the chosen file or an empty text when cancelled. Tests replace them.
    using FileChooser = std::function<QString(const QString &folder)>;
    void setFileChoosers(FileChooser saveAs, FileChooser open);

    // Handlers, by the names the main window runs them.
    void editRecord();
    void editText();
    void deleteOrAbort();
    void updateOrOk();
    void saveTextAs();
    void insertFile();
    void deleteAllText();
    void insertDate();
    void deleteTextLine();
    void prepareTextMenu();

    // For commands that take the user elsewhere (a search, a move): ends an edit mode as
    // leaving its view does (the record written, the text saved). False when a text could
    // not be saved: text edit mode then goes on, and the user has been told.
    bool finishEditing();
    // For commands that close the table (another archive, the program's end): ends an edit
    // mode as closing the table does. A record edit that was never confirmed is dropped, a
    // text being edited is saved. False when the text could not be saved: text edit mode
    // then goes on, the user has been told, and the table must stay open.
    bool endEditForClosing();

    // Ending the modes: back to browse mode with the views and items of browse mode;
    // neither writes nor drops anything.
    void endRecordEdit();
    // moveFocus false when the focus is already on its way elsewhere (the pane was left).
    void endTextEdit(bool moveFocus = true);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Record edit mode.
    void enterRecordEdit();
    bool confirmRecord();
    void abortRecordEdit();
    void gridLeft();
    bool postRecord(bool stayOnFailure);
    void refreshRows();
    void reopenCellEditor();
    // Text edit mode.
    void enterTextEdit();
    bool saveText(bool moveFocus);
    void abortTextEdit();
    void textPaneLeft();
    // Browse mode.
    void deleteFile();
    void updateFolderOk();
    // Shared.
    void applyMenus();
    void setFixedColumnsColour(const QColor &colour);
    void onFocusChanged(QWidget *old, QWidget *now);
    bool viewHasRecord() const;
    bool descriptionMode() const;
    // Descript.ion from the notes (description mode); a failure is shown.
    DbStatus writeDescriptions(bool beforeUpdate);
    QString rootPath() const;
    QString textFolder() const;
    void rememberTextFolder(const QString &file);
    CatalogTable *table() const;
    CatalogModel *model() const;

    AppState &m_state;
    BrowseViews &m_views;
    StatusPanels &m_panels;
    CommandPort &m_commands;
    Hooks m_hooks;
    QPointer<QTableView> m_grid;
    QPointer<QPlainTextEdit> m_textPane;
    QPointer<QWidget> m_window; // the main window: closing it saves a text being edited
    CellEditDelegate *m_delegate = nullptr;
    FileChooser m_saveAs;
    FileChooser m_open;
    QString m_textPath; // the info file the text edit session writes
    int m_editColumn = 1;
    bool m_resetting = false;
    bool m_busy = false; // a mode change of ours moves the focus: not the user leaving
};
