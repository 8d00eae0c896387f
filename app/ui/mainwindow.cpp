#include "mainwindow.h"

#include "app/ui/commandactions.h"
#include "app/ui/commandfamilies.h"
#include "browse/ui/griddelegate.h"
#include "dialogs/ui/errorbox.h"
#include "snapsplitter.h"
#include "state/settingslook.h"
#include "store/catalogtable.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

struct GridColumn {
    const char *title;
    Qt::Alignment alignment;
};

const GridColumn gridColumns[MainWindow::GridColumnCount] = {
    { QT_TRANSLATE_NOOP("MainWindow", "File"), Qt::AlignLeft | Qt::AlignVCenter },
    { QT_TRANSLATE_NOOP("MainWindow", "Note"), Qt::AlignLeft | Qt::AlignVCenter },
    { QT_TRANSLATE_NOOP("MainWindow", "Tags"), Qt::AlignLeft | Qt::AlignVCenter },
    { QT_TRANSLATE_NOOP("MainWindow", "Date"), Qt::AlignLeft | Qt::AlignVCenter },
    { QT_TRANSLATE_NOOP("MainWindow", "Size"), Qt::AlignRight | Qt::AlignVCenter },
};

} // namespace

MainWindow::MainWindow(ArchiveEnvironment environment, QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Tabulon"));
    // The View menu decides about the toolbars; the dock area's own menu would bypass it.
    setContextMenuPolicy(Qt::NoContextMenu);
    // The window owns the catalogue table for the whole run; archives open and close it.
    m_table = std::make_unique<CatalogTable>();
    m_state.catalog = m_table.get();
    setMinimumWidth(622);
    // First-run size, centred; the settings move it where the user left it.
    resize(800, 600);
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    createControls();
    createCommands();
    setToolbarsShown(
        m_state.settings.layout.showTopToolbar, m_state.settings.layout.showBottomToolbar);
    m_families = std::make_unique<CommandFamilies>(*this, std::move(environment));
}

MainWindow::~MainWindow()
{
    // The families first: they watch the views, which must not repaint from a table that
    // is going away either.
    m_families.reset();
    m_grid->setModel(nullptr);
    m_state.catalog = nullptr;
}

MainViews MainWindow::views() const
{
    return { m_tree, m_grid, m_textPane };
}

bool MainWindow::guarded(const std::function<void()> &fn)
{
    return runGuarded(this, fn);
}

void MainWindow::createControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_treeSplitter = new SnapSplitter(Qt::Horizontal, central);
    m_treeSplitter->setObjectName(QStringLiteral("Splitter2"));
    createTree();

    m_rightPanel = new QWidget(m_treeSplitter);
    m_rightPanel->setObjectName(QStringLiteral("Panel1"));
    m_rightPanel->setMinimumWidth(1);
    auto *panelLayout = new QVBoxLayout(m_rightPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_gridSplitter = new SnapSplitter(Qt::Vertical, m_rightPanel);
    m_gridSplitter->setObjectName(QStringLiteral("Splitter1"));
    panelLayout->addWidget(m_gridSplitter);
    createGrid();

    m_textPane = new QPlainTextEdit(m_gridSplitter);
    m_textPane->setObjectName(QStringLiteral("Memo1"));
    m_textPane->setReadOnly(true);
    m_textPane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_textPane->setFocusPolicy(Qt::ClickFocus);
    m_textPane->setMinimumHeight(1);

    m_treeSplitter->setStretchFactor(0, 0);
    m_treeSplitter->setStretchFactor(1, 1);
    setTreeWidth(m_state.settings.layout.treeWidth);
    m_gridSplitter->setStretchFactor(0, 0);
    m_gridSplitter->setStretchFactor(1, 1);
    setGridHeight(m_state.settings.layout.gridHeight);
    connect(m_treeSplitter, &QSplitter::splitterMoved, this,
        [this] { guarded([this] { fitNoteColumn(); }); });

    column->addWidget(m_treeSplitter, 1);
    m_functionKeyBar = new QFrame(this);
    column->addWidget(m_functionKeyBar);
    setCentralWidget(central);
    createStatusBar();
    createTimers();
}

void MainWindow::createTree()
{
    m_tree = new QTreeWidget(m_treeSplitter);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setIndentation(19);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    // Nodes arrive sorted by the user's locale without regard to case; the widget's own
    // sort would reorder them by code points.
    m_tree->setSortingEnabled(false);
    m_tree->setDragEnabled(true);
    m_tree->setMinimumWidth(1);
}

void MainWindow::createGrid()
{
    m_grid = new QTableView(m_gridSplitter);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setMinimumHeight(1);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setShowGrid(false);
    m_grid->setWordWrap(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->horizontalHeader()->setFont(font());
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_grid->setItemDelegate(new GridDelegate(m_grid));
    m_grid->installEventFilter(this);

    auto *placeholder = new QStandardItemModel(0, GridColumnCount, this);
    for (int c = 0; c < GridColumnCount; ++c) {
        placeholder->setHeaderData(c, Qt::Horizontal, gridColumnTitle(c));
        placeholder->setHeaderData(
            c, Qt::Horizontal, int(gridColumnAlignment(c)), Qt::TextAlignmentRole);
    }
    m_placeholderModel = placeholder;
    setGridModel(placeholder);
}

void MainWindow::createStatusBar()
{
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setCursor(Qt::PointingHandCursor);
    // Panel 3 takes the rest of the bar, up to the window's edge.
    m_statusBar->setSizeGripEnabled(false);
    m_statusBar->installEventFilter(this);
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(m_statusBar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(1);
        label->installEventFilter(this);
        m_statusBar->addWidget(label, i == 3 ? 1 : 0);
        m_panels[i] = label;
    }
    setStatusBar(m_statusBar);
}

void MainWindow::createTimers()
{
    m_dragScrollTimer = new QTimer(this);
    m_dragScrollTimer->setObjectName(QStringLiteral("Timer1"));
    m_dragScrollTimer->setInterval(50);
    m_viewerWatch = new QTimer(this);
    m_viewerWatch->setObjectName(QStringLiteral("Timer2"));
    m_viewerWatch->setInterval(1000);
    connect(
        m_viewerWatch, &QTimer::timeout, this, [this] { guarded([this] { checkViewerFocus(); }); });
}

void MainWindow::createCommands()
{
    m_commands = new CommandActions(
        *this, m_state, [this](const CommandActions::Handler &h) { guarded(h); });
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    m_commands->buildMainMenu(bar);

    m_topBar = new QToolBar(this);
    m_topBar->setObjectName(QStringLiteral("ToolBar2"));
    m_topBar->setMovable(false);
    m_topBar->setFloatable(false);
    m_topBar->setFixedHeight(29);
    m_topBar->setIconSize(QSize(16, 16));
    m_topBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_topBar->layout()->setSpacing(8);
    m_commands->fillTopToolbar(m_topBar);
    addToolBar(Qt::TopToolBarArea, m_topBar);
    createFunctionKeyBar();

    m_commands->buildPopup(Popup::Tree, m_tree);
    m_commands->buildPopup(Popup::Grid, m_grid);
    m_commands->buildPopup(Popup::TextPane, m_textPane);
    m_commands->attach(Command::Exit, [this] { exitProgram(); });
    m_commands->attach(Command::ShowTopToolbar, [this] { toggleTopToolbar(); });
    m_commands->attach(Command::ShowBottomToolbar, [this] { toggleBottomToolbar(); });
    m_commands->attach(Command::RaiseMoveWindow, [this] { raiseMoveFileWindow(); });
}

void MainWindow::createFunctionKeyBar()
{
    m_functionKeyBar->setObjectName(QStringLiteral("ToolBar1"));
    m_functionKeyBar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_functionKeyBar->setLineWidth(2);
    m_functionKeyBar->setFixedHeight(36);
    m_functionKeyBar->setAutoFillBackground(true);
    m_functionKeyBar->installEventFilter(this);
    setToolbarColor(toQColor(m_state.settings.toolbarColor, m_functionKeyBar->palette()));
    auto *row = new QHBoxLayout(m_functionKeyBar);
    // Frame (2 + 2) and margins (2 + 3) take the 9 pixels the layout rules leave over.
    row->setContentsMargins(2, 4, 3, 4);
    row->setSpacing(0);
    m_functionKeys = m_commands->createFunctionKeyButtons(m_functionKeyBar);
    for (size_t i = 0; i < m_functionKeys.size(); ++i) {
        // F1-F4, gap, F5-F8, gap, F9-F12.
        if (i == 4 || i == 8) {
            QWidget *&gap = m_gaps[i == 4 ? 0 : 1];
            gap = new QWidget(m_functionKeyBar);
            gap->setObjectName(
                i == 4 ? QStringLiteral("ToolButton50") : QStringLiteral("ToolButton51"));
            row->addWidget(gap);
        }
        m_functionKeys[i]->setAutoRaise(false);
        m_functionKeys[i]->setFixedHeight(24);
        row->addWidget(m_functionKeys[i]);
    }
    row->addStretch(1);
}

void MainWindow::setGridModel(QAbstractItemModel *model)
{
    m_grid->setModel(model ? model : m_placeholderModel);
    for (int c = 0; c < GridColumnCount; ++c)
        m_grid->setColumnWidth(c, shownColumnWidth(c));
    applyNoteWidth();
}

QString MainWindow::gridColumnTitle(int column)
{
    return tr(gridColumns[column].title);
}

Qt::Alignment MainWindow::gridColumnAlignment(int column)
{
    return gridColumns[column].alignment;
}

void MainWindow::setPanelText(int panel, const QString &text)
{
    m_panels[panel]->setText(text);
}

QString MainWindow::panelText(int panel) const
{
    return m_panels[panel]->text();
}

void MainWindow::setArchiveCaption(const QString &archiveName)
{
    setWindowTitle(mainWindowCaption(archiveName));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The layout rules follow the controls' own sizes, which settle only after the
    // window's resize has been laid out.
    if (event->type() == QEvent::Resize) {
        if (watched == m_functionKeyBar)
            updateFunctionKeyBar();
        else if (watched == m_statusBar)
            updateStatusPanels();
        else if (watched == m_grid)
            applyNoteWidth();
        return QMainWindow::eventFilter(watched, event);
    }
    // A click on the status bar (a panel or the bar between them) switches the archive.
    const bool onStatusBar = watched == m_statusBar
        || std::find(std::begin(m_panels), std::end(m_panels), watched) != std::end(m_panels);
    if (onStatusBar && event->type() == QEvent::MouseButtonRelease) {
        auto *w = static_cast<QWidget *>(watched);
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton && w->rect().contains(me->position().toPoint())) {
            m_commands->runCommand(Command::SwitchArchive);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
