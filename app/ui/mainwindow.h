#pragma once

#include "app/ui/archivecommands.h"
#include "state/appstate.h"
#include "views/ui/mainviews.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class CatalogTable;
class CommandActions;
class CommandFamilies;
class QAbstractItemModel;
class QFrame;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class SnapSplitter;

// The main window "TForm1". It owns the program-wide state, the catalogue table, the views,
// the commands and the timers, and keeps the controls in proportion. The work of the
// commands lives in the command families, which it composes at construction (see
// CommandFamilies); they see the window only through the narrow interfaces it implements.
class MainWindow : public QMainWindow, public StatusPanels, public ArchiveWindow
{
    Q_OBJECT
public:
    // environment: where the settings live and how the archive questions are answered
    // (tests hand in their own).
    explicit MainWindow(ArchiveEnvironment environment = ArchiveEnvironment::ofProgram(),
        QWidget *parent = nullptr);
    ~MainWindow() override;

    AppState &state() { return m_state; }
    const AppState &state() const { return m_state; }
    CommandActions &commands() const { return *m_commands; }
    CommandFamilies &families() const { return *m_families; }
    MainViews views() const;

    // Start-up: regional rules, viewFont, followCurrentRecord, loadProgramSettings and the
    // move-file window. False when start-up was abandoned and the program must end without
    // saving.
    bool startUp();

    // The grid's model. Column widths survive the change of model; the model provides
    // titles and alignments in the order of gridColumnTitle().
    void setGridModel(QAbstractItemModel *model);
    static QString gridColumnTitle(int column);
    static Qt::Alignment gridColumnAlignment(int column);
    static constexpr int GridColumnCount = 5;

    // StatusPanels
    void setPanelText(int panel, const QString &text) override;
    QString panelText(int panel) const override;

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

    // ArchiveWindow: between the settings and the controls. applyWindowBounds: position,
    // size and state (program-wide file). applyProgramColumnWidths: the widths of File,
    // Tags, Date and Size. applyArchiveLayout: grid height (kept 5 pixels short of the
    // right panel, once the window is shown), tree width, File width, toolbar colour,
    // viewFont, the toolbar marks and the view look, as an archive file gives them.
    // storeWindowLayout: the reverse of all three, for saving; the bounds only while the
    // window is in its normal state.
    void applyWindowBounds() override;
    void applyProgramColumnWidths() override;
    void applyArchiveLayout() override;
    void storeWindowLayout() override;
    // Window caption for the open archive: "Tabulon 6.6 - <archive>".
    void setArchiveCaption(const QString &archiveName) override;

    // The move-file window: Shift+Tab brings it to the front while it is shown.
    void setMoveFileWindow(QWidget *window) { m_moveFileWindow = window; }
    // The timer ("Timer1") that scrolls the tree while a drag hovers near its edges.
    QTimer *dragScrollTimer() const { return m_dragScrollTimer; }

    // Handlers of the window itself.
    void exitProgram();
    void toggleTopToolbar();
    void toggleBottomToolbar();
    void raiseMoveFileWindow();
    void checkViewerFocus();
    // Viewer sync switched on: the watch runs until stopViewerSync.
    void startViewerWatch();
    void stopViewerSync();
    void fitControls();
    void fitNoteColumn();
    void applyViewLook(QObject *component);
    void quitProgram();

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
    void createFunctionKeyBar();
    bool guarded(const std::function<void()> &fn);
    void applyLookTo(QObject *object);
    void applyGridLines(QTableView *grid);
    int shownColumnWidth(int column) const;
    int storedColumnWidth(int column) const;
    void applyMainViews();
    void applyNoteWidth();
    void fitPendingGridHeight();
    void updateFunctionKeyBar();
    void updateStatusPanels();

    AppState m_state;
    std::unique_ptr<CatalogTable> m_table; // open from openArchive to the archive's closing

    // The controls, with the object names that tests find them by.
    QToolBar *m_topBar = nullptr; // "ToolBar2"
    SnapSplitter *m_treeSplitter = nullptr; // "Splitter2"
    QTreeWidget *m_tree = nullptr; // "TreeView1"
    QWidget *m_rightPanel = nullptr; // "Panel1"
    SnapSplitter *m_gridSplitter = nullptr; // "Splitter1"
    QTableView *m_grid = nullptr; // "DBGrid1"
    QPlainTextEdit *m_textPane = nullptr; // "Memo1"
    QFrame *m_functionKeyBar = nullptr; // "ToolBar1"
    QWidget *m_gaps[2] = {}; // "ToolButton50", "ToolButton51"
    std::vector<QToolButton *> m_functionKeys;
    QStatusBar *m_statusBar = nullptr; // "StatusBar1"
    QLabel *m_panels[4] = {};
    QTimer *m_dragScrollTimer = nullptr; // "Timer1"
    QTimer *m_viewerWatch = nullptr; // "Timer2"
    QAbstractItemModel *m_placeholderModel = nullptr;
    QPointer<QWidget> m_moveFileWindow;

    CommandActions *m_commands = nullptr;
    std::unique_ptr<CommandFamilies> m_families;
    bool m_shown = false;
    bool m_gridHeightPending = false; // the stored height waits for the window's first show
    int m_dateNarrowing = 0; // the pixels the grid lines take from the shown Date column
};
