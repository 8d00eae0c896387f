#include "tform1.h"

#include "errorbox.h"
#include "store/catalogtable.h"
#include "tsplitter.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>

namespace
{

struct GridColumn {
    const char *title;
    Qt::Alignment alignment;
};

const GridColumn gridColumns[TForm1::GridColumnCount] = {
    { "File", Qt::AlignLeft | Qt::AlignVCenter },
    { "Note", Qt::AlignLeft | Qt::AlignVCenter },
    { "Tags", Qt::AlignLeft | Qt::AlignVCenter },
    { "Date", Qt::AlignLeft | Qt::AlignVCenter },
    { "Size", Qt::AlignRight | Qt::AlignVCenter },
};

// Paints the per-column backgrounds the main window keeps (Date and Size are set apart
// from the editable columns while records are edited).
class GridDelegate : public QStyledItemDelegate
{
public:
    GridDelegate(TForm1 *form, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_form(form)
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QColor c = m_form->gridColumnColor(index.column());
        if (c.isValid() && !option->backgroundBrush.style())
            option->backgroundBrush = c;
    }

private:
    TForm1 *m_form;
};

} // namespace

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Tabulon"));
    // The View menu decides about the toolbars; the dock area's own menu would bypass it.
    setContextMenuPolicy(Qt::NoContextMenu);
    // The window owns the catalogue table for the whole run; archives open and close it.
    m_table = std::make_unique<CatalogTable>();
    m_state.Dbf1 = m_table.get();
    setMinimumWidth(622);
    // First-run size, centred; the settings move it where the user left it.
    resize(800, 600);
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    createControls();
    createCommands();
    createPopupMenus();
    setToolbarsShown(
        m_state.settings.layout.showTopToolbar, m_state.settings.layout.showBottomToolbar);
}

TForm1::~TForm1()
{
    // Views first: nothing may repaint from a table that is going away.
    DBGrid1->setModel(nullptr);
    m_state.Dbf1 = nullptr;
}

void TForm1::createControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Splitter2 = new TSplitter(Qt::Horizontal, central);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    createTree();

    Panel1 = new QWidget(Splitter2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setMinimumWidth(1);
    auto *panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new TSplitter(Qt::Vertical, Panel1);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    panelLayout->addWidget(Splitter1);
    createGrid();

    Memo1 = new QPlainTextEdit(Splitter1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFocusPolicy(Qt::ClickFocus);
    Memo1->setMinimumHeight(1);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);

    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);
    setTreeWidth(m_state.settings.layout.treeWidth);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    setGridHeight(m_state.settings.layout.gridHeight);
    connect(Splitter2, &QSplitter::splitterMoved, this,
        [this] { guarded([this] { Splitter2Moved(); }); });

    column->addWidget(Splitter2, 1);
    createToolBar1();
    column->addWidget(ToolBar1);
    setCentralWidget(central);
    createStatusBar();
    createTimers();
}

void TForm1::createTree()
{
    TreeView1 = new QTreeWidget(Splitter2);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setIndentation(19);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    // Nodes arrive sorted by the user's locale without regard to case; the widget's own
    // sort would reorder them by code points.
    TreeView1->setSortingEnabled(false);
    TreeView1->setDragEnabled(true);
    TreeView1->setMinimumWidth(1);
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TForm1::createGrid()
{
    DBGrid1 = new QTableView(Splitter1);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setMinimumHeight(1);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setShowGrid(false);
    DBGrid1->setWordWrap(false);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 4);
    DBGrid1->horizontalHeader()->setHighlightSections(false);
    DBGrid1->horizontalHeader()->setFont(font());
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGrid1->horizontalHeader()->setStretchLastSection(false);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    DBGrid1->setItemDelegate(new GridDelegate(this, DBGrid1));
    DBGrid1->installEventFilter(this);

    auto *placeholder = new QStandardItemModel(0, GridColumnCount, this);
    for (int c = 0; c < GridColumnCount; ++c) {
        placeholder->setHeaderData(c, Qt::Horizontal, gridColumnTitle(c));
        placeholder->setHeaderData(
            c, Qt::Horizontal, int(gridColumnAlignment(c)), Qt::TextAlignmentRole);
    }
    m_placeholderModel = placeholder;
    setGridModel(placeholder);
}

void TForm1::createStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setCursor(Qt::PointingHandCursor);
    StatusBar1->installEventFilter(this);
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(StatusBar1);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(1);
        label->installEventFilter(this);
        StatusBar1->addWidget(label, i == 3 ? 1 : 0);
        m_panels[i] = label;
    }
    setStatusBar(StatusBar1);
    ToolBar1->installEventFilter(this);
}

void TForm1::createTimers()
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, [this] { guarded([this] { Timer2Timer(); }); });
}

void TForm1::setHandler(const QString &name, Handler handler)
{
    m_handlers.insert(name, std::move(handler));
}

bool TForm1::hasHandler(const QString &name) const
{
    return m_handlers.contains(name);
}

void TForm1::run(const char *handler)
{
    if (m_state.ending)
        return;
    const auto it = m_handlers.constFind(QLatin1String(handler));
    if (it != m_handlers.constEnd() && *it)
        (*it)();
}

bool TForm1::guarded(const std::function<void()> &fn)
{
    try {
        fn();
        return true;
    } catch (const std::exception &e) {
        showErrorBox(this, QString::fromUtf8(e.what()));
    } catch (...) {
        showErrorBox(this, QStringLiteral("Unknown failure"));
    }
    return false;
}

QAction *TForm1::action(const QString &name) const
{
    return m_actions.value(name);
}

QAction *TForm1::popupItem(QMenu *menu, const QString &handler)
{
    if (!menu)
        return nullptr;
    for (QAction *a : menu->actions())
        if (a->property("handler").toString() == handler)
            return a;
    return nullptr;
}

void TForm1::setGridModel(QAbstractItemModel *model)
{
    DBGrid1->setModel(model ? model : m_placeholderModel);
    const auto &widths = m_state.settings.GridColumnWidths;
    for (int c = 0; c < GridColumnCount; ++c)
        DBGrid1->setColumnWidth(c, widths[size_t(c)]);
    applyNoteWidth();
}

QString TForm1::gridColumnTitle(int column)
{
    return QLatin1String(gridColumns[column].title);
}

Qt::Alignment TForm1::gridColumnAlignment(int column)
{
    return gridColumns[column].alignment;
}

void TForm1::setGridColumnColor(int column, const QColor &color)
{
    m_columnColors[column] = color;
    DBGrid1->viewport()->update();
}

QColor TForm1::gridColumnColor(int column) const
{
    return column >= 0 && column < GridColumnCount ? m_columnColors[column] : QColor();
}

void TForm1::setPanelText(int panel, const QString &text)
{
    m_panels[panel]->setText(text);
}

QString TForm1::panelText(int panel) const
{
    return m_panels[panel]->text();
}

void TForm1::setArchiveCaption(const QString &archiveName)
{
    setWindowTitle(mainWindowCaption(archiveName));
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // The layout rules follow the controls' own sizes, which settle only after the
    // window's resize has been laid out.
    if (event->type() == QEvent::Resize) {
        if (watched == ToolBar1)
            updateToolBar1Geometry();
        else if (watched == StatusBar1)
            updateStatusPanels();
        else if (watched == DBGrid1)
            applyNoteWidth();
        return QMainWindow::eventFilter(watched, event);
    }
    // A click anywhere on the status bar switches the archive.
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *w = qobject_cast<QWidget *>(watched);
        auto *me = static_cast<QMouseEvent *>(event);
        if (w && me->button() == Qt::LeftButton && w->rect().contains(me->position().toPoint())) {
            guarded([this] { miArchivClick(); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
