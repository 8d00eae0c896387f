#include "tform1.h"

#include "app/settingslook.h"

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
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include "tsplitter.h"

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    guarded([this] { FormResize(); });
}

void TForm1::FormResize()
{
    updateToolBar1Geometry();
    updateStatusPanels();
    applyNoteWidth();
}

void TForm1::updateStatusPanels()
{
    const int quarter = StatusBar1->width() / 4;
    for (int i = 0; i < 3; ++i)
        m_panels[i]->setFixedWidth(quarter);
}

// The twelve function-key buttons and the two spacers fill the bar exactly, so that F1-F4
// sit on the left, F5-F8 in the middle and F9-F12 on the right.
void TForm1::updateToolBar1Geometry()
{
    const int w = ToolBar1->width();
    const int button = (w - 52) / 12;
    if (button <= 0)
        return;
    const int gap50 = (w - 12 * button - 9) / 2;
    const int gap51 = w - gap50 - 12 * button - 9;
    for (QToolButton *b : std::as_const(m_fkeyButtons))
        b->setFixedWidth(button);
    ToolButton50->setFixedWidth(qMax(0, gap50));
    ToolButton51->setFixedWidth(qMax(0, gap51));
}

void TForm1::Splitter2Moved()
{
    applyNoteWidth();
}

// The Note column takes whatever width the other columns leave.
void TForm1::applyNoteWidth()
{
    if (!DBGrid1->model() || DBGrid1->model()->columnCount() < GridColumnCount)
        return;
    int rest = DBGrid1->width() - 20;
    for (int c : { 0, 2, 3, 4 })
        rest -= DBGrid1->columnWidth(c);
    // A squeezed grid keeps a sliver of the column instead of hiding it.
    DBGrid1->setColumnWidth(1, qMax(rest, DBGrid1->horizontalHeader()->minimumSectionSize()));
}

void TForm1::setToolbarColor(const QColor &color)
{
    if (!color.isValid())
        return;
    QPalette pal = ToolBar1->palette();
    pal.setColor(QPalette::Window, color);
    ToolBar1->setPalette(pal);
}

QColor TForm1::toolbarColor() const
{
    return ToolBar1->palette().color(QPalette::Window);
}

void TForm1::setTreeWidth(int width)
{
    const int total = qMax(Splitter2->width(), width + 100);
    Splitter2->setSizes({ width, total - width - Splitter2->handleWidth() });
}

int TForm1::treeWidth() const
{
    return Splitter2->sizes().value(0);
}

void TForm1::setGridHeight(int height)
{
    const int total = qMax(Splitter1->height(), height + 100);
    Splitter1->setSizes({ height, total - height - Splitter1->handleWidth() });
}

int TForm1::gridHeight() const
{
    return Splitter1->sizes().value(0);
}

void TForm1::setToolbarsShown(bool top, bool bottom)
{
    action(QStringLiteral("Showtoptoolbar1Click"))->setChecked(top);
    action(QStringLiteral("Showbottomtoolbar1Click"))->setChecked(bottom);
    ToolBar2->setVisible(top);
    ToolBar1->setVisible(bottom);
    m_state.settings.layout.showTopToolbar = top;
    m_state.settings.layout.showBottomToolbar = bottom;
}

bool TForm1::topToolbarShown() const
{
    return action(QStringLiteral("Showtoptoolbar1Click"))->isChecked();
}

bool TForm1::bottomToolbarShown() const
{
    return action(QStringLiteral("Showbottomtoolbar1Click"))->isChecked();
}

// The item is checkable, so choosing it has already flipped the mark; the bar follows.
void TForm1::Showtoptoolbar1Click()
{
    setToolbarsShown(topToolbarShown(), bottomToolbarShown());
}

void TForm1::Showbottomtoolbar1Click()
{
    setToolbarsShown(topToolbarShown(), bottomToolbarShown());
    FormResize();
}

namespace
{

void setBackground(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, color);
    w->setPalette(pal);
}

bool isReadOnlyView(const QAbstractItemView *view)
{
    return view->editTriggers() == QAbstractItemView::NoEditTriggers;
}

} // namespace

void TForm1::ApplyViewLook(QObject *component)
{
    applyLookTo(component);
    applyMainViews();
}

// Depth first: everything the component owns, then the component itself.
void TForm1::applyLookTo(QObject *object)
{
    for (QObject *child : object->children())
        applyLookTo(child);

    auto *w = qobject_cast<QWidget *>(object);
    if (!w)
        return;
    const Settings &s = m_state.settings;
    auto look = [&](bool readOnly) {
        setBackground(w, toQColor(readOnly ? s.ViewColor : s.EditColor, w->palette()));
        w->setFont(m_state.ViewFont);
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
        if (qobject_cast<QHeaderView *>(w) || w == TreeView1)
            return;
        look(isReadOnlyView(list));
        const bool lines = s.GridLines == 1;
        list->setProperty("gridLines", lines);
        if (auto *tree = qobject_cast<QTreeView *>(w))
            tree->header()->setSectionsClickable(lines);
    }
}

void TForm1::applyGridLines(QTableView *grid)
{
    const int columns = grid->model() ? grid->model()->columnCount() : 0;
    QHeaderView *header = grid->horizontalHeader();
    const int gridLines = m_state.settings.GridLines;
    if (gridLines == 0 && grid->showGrid()) {
        grid->setShowGrid(false);
        header->setSectionResizeMode(QHeaderView::Fixed);
        if (columns > 3 && columns < 6)
            grid->setColumnWidth(3, grid->columnWidth(3) + columns - 1);
    } else if (gridLines == 1 && !grid->showGrid()) {
        grid->setShowGrid(true);
        header->setSectionResizeMode(QHeaderView::Interactive);
        if (columns > 3 && columns < 6)
            grid->setColumnWidth(3, grid->columnWidth(3) - (columns - 1));
    }
}

void TForm1::applyMainViews()
{
    const Settings &s = m_state.settings;
    const QColor view = toQColor(s.ViewColor, palette());
    setBackground(TreeView1, isReadOnlyView(TreeView1) ? view : toQColor(s.EditColor, palette()));
    TreeView1->setFont(m_state.ViewFont);
    // Rows follow the view font; the titles keep the window's own font.
    DBGrid1->verticalHeader()->setDefaultSectionSize(QFontMetrics(m_state.ViewFont).height() + 4);
    setGridColumnColor(3, view);
    setGridColumnColor(4, view);
    setBackground(DBGrid1, view);
}
