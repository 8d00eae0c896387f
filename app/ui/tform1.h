#pragma once

#include "app/appstate.h"

#include <QHash>
#include <QMainWindow>

#include <functional>
#include <memory>

class QAbstractItemModel;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QStatusBar;
class QTableView;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class TSplitter;
class CatalogTable;
struct CommandDef;
struct PopupItemDef;

// The main window. It owns the program-wide state, the views and the timers, wires every
// menu item, toolbar button and key to its named handler, and keeps the controls in
// proportion. The work of the commands lives in the subsystems: each plugs its handlers
// in by name with setHandler() before FormCreate() runs; a handler nobody plugged in
// does nothing.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    using Handler = std::function<void()>;

    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    AppState &state() { return m_state; }
    const AppState &state() const { return m_state; }

    // Installs the work behind a named handler, replacing the previous one. The names
    // are those of the slots below (every command, "PopupMenu3Popup", "Action2Execute",
    // "Timer1Timer", "StopViewerSync"), plus the steps of start and end:
    //   "LoadProgramSettings"  in FormCreate; sets state().startAbandoned to end the
    //                          program without saving
    //   "CreateMoveFileWindow" in FormCreate, after the settings
    //   "ShowArchive"          when the window is first shown
    //   "FormCloseQuery"       when the window is closed, before QuitProgram
    //   "SaveArchiveSettings", "SaveProgramSettings"  in QuitProgram, in this order
    void setHandler(const QString &name, Handler handler);
    bool hasHandler(const QString &name) const;

    // Runs fn; a failure escaping it is shown in the error box and the program goes on.
    // Returns false when fn failed.
    bool guarded(const std::function<void()> &fn);

    // The main-menu item of a handler ("miOkClick") or its object name ("miOk").
    QAction *action(const QString &name) const;
    // The item of a pop-up menu that runs `handler`, or null.
    static QAction *popupItem(QMenu *menu, const QString &handler);

    // Start-up after the handlers are installed: regional rules, ViewFont,
    // FollowCurrentRecord, LoadProgramSettings. False when start-up was abandoned and
    // the program must end without saving.
    bool FormCreate();
    // The move-file window: Shift+Tab brings it to the front while it is shown.
    void setMoveFileWindow(QWidget *window) { m_moveFileWindow = window; }

    // The grid's model. Column widths survive the change of model; the model provides
    // titles and alignments in the order of gridColumnTitle().
    void setGridModel(QAbstractItemModel *model);
    static QString gridColumnTitle(int column);
    static Qt::Alignment gridColumnAlignment(int column);
    static constexpr int GridColumnCount = 5;

    void setPanelText(int panel, const QString &text);
    QString panelText(int panel) const;
    QLabel *statusPanel(int panel) const { return m_panels[panel]; }

    // Shows or hides the toolbars and sets the check marks of the View menu to match.
    void setToolbarsShown(bool top, bool bottom);
    bool topToolbarShown() const;
    bool bottomToolbarShown() const;

    // The function-key toolbar's background (an invalid colour keeps the current one).
    void setToolbarColor(const QColor &color);
    QColor toolbarColor() const;
    // Tree width and grid height as the splitters hold them (MainWin/vsplit, hsplit).
    void setTreeWidth(int width);
    int treeWidth() const;
    void setGridHeight(int height);
    int gridHeight() const;

    // Between the settings and the controls. applyWindowBounds: the main window's
    // position, size and state (program-wide file). applyProgramColumnWidths: the widths
    // of File, Tags, Date and Size. applyArchiveLayout: grid height (kept 5 pixels short
    // of the right panel), tree width, File width, toolbar colour, ViewFont and the
    // toolbar marks, as an archive file gives them. storeWindowLayout: the reverse of all
    // three, for saving; the bounds only while the window is in its normal state.
    void applyWindowBounds();
    void applyProgramColumnWidths();
    void applyArchiveLayout();
    void storeWindowLayout();

    // Background of the grid's Date and Size columns (record edit mode changes it).
    void setGridColumnColor(int column, const QColor &color);
    QColor gridColumnColor(int column) const;

    // Window caption for the open archive: "Tabulon 6.6 - <archive>".
    void setArchiveCaption(const QString &archiveName);

    // Controls, by the names the rest of the program uses.
    QMenuBar *MainMenu1 = nullptr;
    QToolBar *ToolBar2 = nullptr;
    TSplitter *Splitter2 = nullptr;
    QTreeWidget *TreeView1 = nullptr;
    QWidget *Panel1 = nullptr;
    TSplitter *Splitter1 = nullptr;
    QTableView *DBGrid1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QFrame *ToolBar1 = nullptr;
    QWidget *ToolButton50 = nullptr;
    QWidget *ToolButton51 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QMenu *PopupMenu2 = nullptr;
    QMenu *PopupMenu3 = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    QAction *Action1 = nullptr;
    QAction *Action2 = nullptr;

public slots:
    // File
    void miArchivClick();
    void miIndex1Click();
    void miArchivNeuClick();
    void miAechivDelClick();
    void ReorganisationClick();
    void Druckereinrichten1Click();
    void miFiledruckClick();
    void Einstellungen1Click();
    void ExitClick();
    // Folder
    void miDirNewClick();
    void miDirMoveClick();
    void miAllexpClick();
    void miAllcolClick();
    void miOrdnerupdate1Click();
    void popDelDirClick();
    // Search
    void unten1Click();
    void oben1Click();
    void miClearsearchClick();
    void miViewerClick();
    // Edit
    void Mutieren1Click();
    void miTextClick();
    void miDelClick();
    void miOkClick();
    void miTextSichClick();
    void miInsFileClick();
    void miDelAllClick();
    void miheuteClick();
    void miKataddClick();
    void mikatdelClick();
    void miKatReplaceClick();
    // Tools
    void miFilterClick();
    void miMoveClick();
    void miKopierenClick();
    void miAllUpdClick();
    void Explore1Click();
    void miKategorienClick();
    // View, Help
    void Showtoptoolbar1Click();
    void Showbottomtoolbar1Click();
    void miHelpClick();
    void Info1Click();
    // Pop-up menus only
    void popCopyPathClick();
    void DBGrid1DblClick();
    void ffnenmit1Click();
    void popfilenameClick();
    void popBemerkungClick();
    void popGanzeTextClick();
    void popOpenlinkClick();
    void PopupMenu3Popup();
    // Keys, timers, layout
    void Action1Execute();
    void Action2Execute();
    void Timer1Timer();
    void Timer2Timer();
    void StopViewerSync();
    void FormResize();
    void Splitter2Moved();
    void ApplyViewLook(QObject *component);
    void QuitProgram();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createTree();
    void createGrid();
    void createStatusBar();
    void createTimers();
    void createCommands();
    void createToolBar1();
    void createPopupMenus();
    QMenu *createPopup(const char *name, QWidget *owner, const PopupItemDef *items, int count);
    QAction *createAction(const CommandDef &def);
    void run(const char *handler);
    void applyLookTo(QObject *object);
    void applyGridLines(QTableView *grid);
    void applyMainViews();
    void applyNoteWidth();
    void updateToolBar1Geometry();
    void updateStatusPanels();

    AppState m_state;
    std::unique_ptr<CatalogTable> m_table; // open from OpenArchive to the archive's closing
    QHash<QString, Handler> m_handlers;
    QHash<QString, QAction *> m_actions; // by handler name and by object name
    QList<QToolButton *> m_fkeyButtons;
    QLabel *m_panels[4] = {};
    QColor m_columnColors[GridColumnCount];
    QAbstractItemModel *m_placeholderModel = nullptr;
    QWidget *m_moveFileWindow = nullptr;
    bool m_shown = false;
};
