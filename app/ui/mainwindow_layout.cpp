#include "mainwindow.h"

#include "app/ui/commandactions.h"
#include "browse/ui/griddelegate.h"
#include "state/settingslook.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include "snapsplitter.h"

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    guarded([this] { fitControls(); });
}

void MainWindow::fitControls()
{
    updateFunctionKeyBar();
    updateStatusPanels();
    applyNoteWidth();
}

void MainWindow::updateStatusPanels()
{
    const int quarter = m_statusBar->width() / 4;
    for (int i = 0; i < 3; ++i)
        m_panels[i]->setFixedWidth(quarter);
}

// The twelve function-key buttons and the two spacers fill the bar exactly, so that F1-F4
// sit on the left, F5-F8 in the middle and F9-F12 on the right.
void MainWindow::updateFunctionKeyBar()
{
    const int w = m_functionKeyBar->width();
    const int button = (w - 52) / 12;
    if (button <= 0)
        return;
    const int gap50 = (w - 12 * button - 9) / 2;
    const int gap51 = w - gap50 - 12 * button - 9;
    for (QToolButton *b : std::as_const(m_functionKeys))
        b->setFixedWidth(button);
    m_gaps[0]->setFixedWidth(qMax(0, gap50));
    m_gaps[1]->setFixedWidth(qMax(0, gap51));
}

void MainWindow::fitNoteColumn()
{
    applyNoteWidth();
}

// The Note column takes whatever width the other columns leave.
void MainWindow::applyNoteWidth()
{
    if (!m_grid->model() || m_grid->model()->columnCount() < GridColumnCount)
        return;
    int rest = m_grid->width() - 20;
    for (int c : { 0, 2, 3, 4 })
        rest -= m_grid->columnWidth(c);
    // A squeezed grid keeps a sliver of the column instead of hiding it.
    m_grid->setColumnWidth(1, qMax(rest, m_grid->horizontalHeader()->minimumSectionSize()));
}

void MainWindow::setToolbarColor(const QColor &color)
{
    if (!color.isValid())
        return;
    QPalette pal = m_functionKeyBar->palette();
    pal.setColor(QPalette::Window, color);
    m_functionKeyBar->setPalette(pal);
}

QColor MainWindow::toolbarColor() const
{
    return m_functionKeyBar->palette().color(QPalette::Window);
}

void MainWindow::setTreeWidth(int width)
{
    const int total = qMax(m_treeSplitter->width(), width + 100);
    m_treeSplitter->setSizes({ width, total - width - m_treeSplitter->handleWidth() });
}

int MainWindow::treeWidth() const
{
    return m_treeSplitter->sizes().value(0);
}

void MainWindow::setGridHeight(int height)
{
    const int total = qMax(m_gridSplitter->height(), height + 100);
    m_gridSplitter->setSizes({ height, total - height - m_gridSplitter->handleWidth() });
}

int MainWindow::gridHeight() const
{
    return m_gridSplitter->sizes().value(0);
}

void MainWindow::setToolbarsShown(bool top, bool bottom)
{
    m_commands->action(Command::ShowTopToolbar)->setChecked(top);
    m_commands->action(Command::ShowBottomToolbar)->setChecked(bottom);
    m_topBar->setVisible(top);
    m_functionKeyBar->setVisible(bottom);
    m_state.settings.layout.showTopToolbar = top;
    m_state.settings.layout.showBottomToolbar = bottom;
}

bool MainWindow::topToolbarShown() const
{
    return m_commands->action(Command::ShowTopToolbar)->isChecked();
}

bool MainWindow::bottomToolbarShown() const
{
    return m_commands->action(Command::ShowBottomToolbar)->isChecked();
}

// The item is checkable, so choosing it has already flipped the mark; the bar follows.
void MainWindow::toggleTopToolbar()
{
    setToolbarsShown(topToolbarShown(), bottomToolbarShown());
}

void MainWindow::toggleBottomToolbar()
{
    setToolbarsShown(topToolbarShown(), bottomToolbarShown());
    fitControls();
}

namespace
{

void setBackground(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, color);
    w->setPalette(pal);
}

// The view font's colour for the text of a view (an invalid colour keeps the palette's).
void setTextColour(QWidget *w, const QColor &color)
{
    if (!color.isValid())
        return;
    QPalette pal = w->palette();
    for (auto group : { QPalette::Active, QPalette::Inactive })
        pal.setColor(group, QPalette::Text, color);
    w->setPalette(pal);
}

bool isReadOnlyView(const QAbstractItemView *view)
{
    return view->editTriggers() == QAbstractItemView::NoEditTriggers;
}

} // namespace

void MainWindow::applyViewLook(QObject *component)
{
    applyLookTo(component);
    applyMainViews();
}

// Depth first: everything the component owns, then the component itself.
void MainWindow::applyLookTo(QObject *object)
{
    for (QObject *child : object->children())
        applyLookTo(child);

    auto *w = qobject_cast<QWidget *>(object);
    if (!w)
        return;
    const Settings &s = m_state.settings;
    const QColor fontColour = toQColor(quint32(s.viewFont.color), w->palette());
    auto look = [&](bool readOnly) {
        setBackground(w, toQColor(readOnly ? s.viewColor : s.editColor, w->palette()));
        setTextColour(w, fontColour);
        w->setFont(m_state.viewFont);
    };
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        look(edit->isReadOnly());
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(w)) {
        look(memo->isReadOnly());
    } else if (auto *rich = qobject_cast<QTextEdit *>(w)) {
        look(rich->isReadOnly());
    } else if (qobject_cast<QComboBox *>(w)) {
        look(false);
    } else if (auto *grid = qobject_cast<QTableView *>(w)) {
        look(isReadOnlyView(grid));
        applyGridLines(grid);
    } else if (auto *list = qobject_cast<QAbstractItemView *>(w)) {
        // Headers are parts of their views, and the folder tree gets its look below.
        if (qobject_cast<QHeaderView *>(w) || w == m_tree)
            return;
        look(isReadOnlyView(list));
        const bool lines = s.gridLines == 1;
        list->setProperty("gridLines", lines);
        if (auto *tree = qobject_cast<QTreeView *>(w))
            tree->header()->setSectionsClickable(lines);
    }
}

void MainWindow::applyGridLines(QTableView *grid)
{
    const int columns = grid->model() ? grid->model()->columnCount() : 0;
    const int narrowing = columns > 3 && columns < 6 ? columns - 1 : 0;
    QHeaderView *header = grid->horizontalHeader();
    const int gridLines = m_state.settings.gridLines;
    if (gridLines == 0 && grid->showGrid()) {
        grid->setShowGrid(false);
        header->setSectionResizeMode(QHeaderView::Fixed);
        const int back = grid == m_grid ? m_dateNarrowing : narrowing;
        grid->setColumnWidth(3, grid->columnWidth(3) + back);
        if (grid == m_grid)
            m_dateNarrowing = 0;
    } else if (gridLines == 1 && !grid->showGrid()) {
        grid->setShowGrid(true);
        header->setSectionResizeMode(QHeaderView::Interactive);
        grid->setColumnWidth(3, grid->columnWidth(3) - narrowing);
        if (grid == m_grid)
            m_dateNarrowing = narrowing;
    }
}

// gridColumnWidths hold the Date column without the pixels the grid lines take from it:
// only the column shown is narrower, so that the width stored stays the same start after
// start.
int MainWindow::shownColumnWidth(int column) const
{
    const int stored = m_state.settings.gridColumnWidths[size_t(column)];
    return column == 3 ? qMax(0, stored - m_dateNarrowing) : stored;
}

int MainWindow::storedColumnWidth(int column) const
{
    const int shown = m_grid->columnWidth(column);
    return column == 3 ? shown + m_dateNarrowing : shown;
}

void MainWindow::applyMainViews()
{
    const Settings &s = m_state.settings;
    const QColor view = toQColor(s.viewColor, palette());
    setBackground(m_tree, isReadOnlyView(m_tree) ? view : toQColor(s.editColor, palette()));
    setTextColour(m_tree, toQColor(quint32(s.viewFont.color), palette()));
    m_tree->setFont(m_state.viewFont);
    // Rows follow the view font; the titles keep the window's own font.
    m_grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(m_state.viewFont).height() + 4);
    if (GridDelegate *columns = GridDelegate::of(m_grid)) {
        columns->setColumnColor(3, view);
        columns->setColumnColor(4, view);
    }
    setBackground(m_grid, view);
}

// The settings hold numbers; the controls hold the live layout. These translate in both
// directions so that loading and saving never reach into the widgets themselves.

void MainWindow::applyWindowBounds()
{
    const LayoutSettings &l = m_state.settings.layout;
    move(l.left, l.top);
    resize(l.width, l.height);
    if (l.windowState == 0)
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    else if (l.windowState == 1)
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

void MainWindow::applyProgramColumnWidths()
{
    for (int c : { 0, 2, 3, 4 })
        m_grid->setColumnWidth(c, shownColumnWidth(c));
    applyNoteWidth();
}

void MainWindow::applyArchiveLayout()
{
    const Settings &s = m_state.settings;
    setGridHeight(fitGridHeight(s.layout.gridHeight, m_rightPanel->height()));
    setTreeWidth(s.layout.treeWidth);
    m_grid->setColumnWidth(0, s.gridColumnWidths[0]);
    setToolbarColor(toQColor(s.toolbarColor, palette()));
    m_state.viewFont = toQFont(s.viewFont);
    setToolbarsShown(s.layout.showTopToolbar, s.layout.showBottomToolbar);
    applyNoteWidth();
    if (!isVisible()) {
        // Before the first show the right panel has no height yet to measure the grid
        // against; the limit is applied once the window is laid out.
        m_gridHeightPending = true;
        setGridHeight(s.layout.gridHeight);
    }
    applyViewLook(this);
}

void MainWindow::fitPendingGridHeight()
{
    if (!m_gridHeightPending)
        return;
    m_gridHeightPending = false;
    setGridHeight(fitGridHeight(m_state.settings.layout.gridHeight, m_rightPanel->height()));
}

void MainWindow::storeWindowLayout()
{
    Settings &s = m_state.settings;
    LayoutSettings &l = s.layout;
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));
    l.windowState = normal ? 0 : 1;
    if (normal) {
        l.left = x();
        l.top = y();
        l.width = width();
        l.height = height();
    }
    l.gridHeight = gridHeight();
    l.treeWidth = treeWidth();
    l.showTopToolbar = topToolbarShown();
    l.showBottomToolbar = bottomToolbarShown();
    for (int c : { 0, 2, 3, 4 })
        s.gridColumnWidths[size_t(c)] = storedColumnWidth(c);
    // A stored system colour stays one while the toolbar still shows it.
    if (toQColor(s.toolbarColor, palette()) != toolbarColor())
        s.toolbarColor = fromQColor(toolbarColor());
}
