#include "browseviews.h"

#include "browse/catalogmodel.h"
#include "browse/typeahead.h"
#include "dialogs/ui/errorbox.h"
#include "state/settingslook.h"
#include "store/catalogtable.h"
#include "views/ui/foldertreeview.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTreeWidget>

void BrowseViews::connectViews()
{
    QTreeWidget *tree = m_tree;
    QTableView *grid = m_grid;
    // Every node is one line of the view font: scrolling to a node and painting the
    // selection then need no measuring of the nodes above it.
    tree->setUniformRowHeights(true);
    connect(tree, &QTreeWidget::currentItemChanged, this,
        [this](QTreeWidgetItem *current) { onTreeCurrentChanged(current); });
    QItemSelectionModel *selection = grid->selectionModel();
    connect(selection, &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex &current) { onGridRowChanged(current.row()); });
    connect(selection, &QItemSelectionModel::currentColumnChanged, this,
        [this](const QModelIndex &current) {
            if (!m_syncing && current.isValid() && m_state.mode == UiMode::Browse)
                emit gridColumnEntered(current.column());
        });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { onModelReset(); });
    // The record stays where it is through an order switch: nothing to load again.
    connect(table(), &CatalogTable::orderSwitching, this, [this] {
        m_followBeforeSwitch = m_state.followCurrentRecord;
        m_state.followCurrentRecord = false;
    });
    connect(table(), &CatalogTable::orderSwitched, this, [this](int n) {
        m_state.followCurrentRecord = m_followBeforeSwitch;
        if (n >= 1 && n <= 4)
            markOrderTitle(n);
        clearSearch();
    });
    grid->horizontalHeader()->setSectionsClickable(true);
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        runGuarded(m_grid, [this, column] { throwIfFailed(orderByColumn(column)); });
    });
    connect(qApp, &QApplication::focusChanged, this,
        [this](QWidget *old, QWidget *now) { onFocusChanged(old, now); });
    tree->installEventFilter(this);
    grid->installEventFilter(this);
    paintSelection(tree, tree->hasFocus());
    paintSelection(grid, grid->hasFocus());
}

void BrowseViews::onTreeCurrentChanged(QTreeWidgetItem *current)
{
    if (m_selecting || !current)
        return;
    runGuarded(m_grid, [this] { throwIfFailed(selectFolder()); });
}

// The user moved the grid: the table follows, then the text pane.
void BrowseViews::onGridRowChanged(int row)
{
    if (m_syncing || row < 0)
        return;
    CatalogTable *t = table();
    if (!t || !t->isOpen() || t->isDetached())
        return;
    const quint32 recno = m_model->recnoAt(row);
    if (recno == 0 || !t->table().goTo(recno)) {
        // The record has gone since the rows were read: show where the table is.
        showCurrentRecord();
        return;
    }
    loadCurrentText();
}

void BrowseViews::onModelReset()
{
    showCurrentRecord();
}

void BrowseViews::showCurrentRecord()
{
    QTableView *grid = m_grid;
    const int row = m_model->currentRow();
    {
        // Moving the grid to the table's record must not move the table in turn.
        const QScopedValueRollback<bool> syncing(m_syncing, true);
        if (row < 0) {
            grid->selectionModel()->clear();
        } else {
            const int column = qMax(0, grid->currentIndex().column());
            const QModelIndex index = m_model->index(row, column);
            grid->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            grid->scrollTo(index);
        }
    }
    loadCurrentText();
}

int BrowseViews::shownRecordCount() const
{
    return m_model->rowCount();
}

bool BrowseViews::shownFile(quint32 recno, QString *dir, QString *name) const
{
    const int row = m_model->rowOfRecno(recno);
    if (row < 0)
        return false;
    *dir = m_model->fieldText(row, CatalogTable::DIR);
    *name = m_model->fieldText(row, CatalogTable::NAME);
    return true;
}

void BrowseViews::markOrderTitle(int order)
{
    m_model->setSortedColumn(CatalogModel::columnOfOrder(order));
}

DbStatus BrowseViews::orderByColumn(int column)
{
    emit titleClicked();
    static const int orderOfColumn[] = { 1, 4, 3, 2 };
    CatalogTable *t = table();
    if (column < 0 || column > 3 || !t || !t->isOpen())
        return DbStatus::ok();
    return t->switchOrder(orderOfColumn[column]);
}

bool BrowseViews::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_tree || !m_grid)
        return false;
    if (event->type() == QEvent::FocusOut && watched == m_grid) {
        // A pop-up menu or another application taking the focus is no leaving.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            emit gridExited();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    bool consumed = false;
    runGuarded(m_grid, [&] {
        if (watched == m_tree)
            consumed = treeKey(key->key());
        else if (watched == m_grid
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            consumed = gridKey(key->key(), key->text());
    });
    return consumed;
}

bool BrowseViews::treeKey(int key)
{
    QTreeWidget *tree = m_tree;
    if (key == Qt::Key_Escape) {
        if (tree->topLevelItemCount() > 0)
            throwIfFailed(treeEscape());
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (QTreeWidgetItem *item = tree->currentItem())
            item->setExpanded(!item->isExpanded());
        return true;
    }
    return false;
}

DbStatus BrowseViews::treeEscape()
{
    m_tree->setFocus();
    const DbStatus st = selectNodeAt(0);
    clearSearch();
    return st;
}

bool BrowseViews::gridKey(int key, const QString &text)
{
    // In record edit mode every key belongs to the cell editor.
    if (m_state.mode != UiMode::Browse)
        return false;
    if (key == Qt::Key_Escape) {
        clearSearch();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        m_commands.runCommand(Command::OpenFile);
        return true;
    }
    const bool pair = text.size() == 2 && text.at(0).isHighSurrogate();
    if ((text.size() != 1 && !pair) || (!pair && !text.at(0).isPrint()))
        return false;
    // A character the catalogue cannot hold moves nothing.
    if (text != QLatin1String(" ") && table() && table()->isOpen()
        && table()->codec().isExpressible(text))
        typeAhead(*table(), text);
    // The view's own type-ahead would move the row by its own rules: no character is
    // passed on.
    return true;
}

void BrowseViews::onFocusChanged(QWidget *, QWidget *now)
{
    // Focus moves while the window is being taken down too.
    if (!m_tree || !m_grid)
        return;
    paintSelection(m_tree, now == m_tree);
    paintSelection(m_grid, now && (now == m_grid || m_grid->isAncestorOf(now)));
}

// Without the focus the selection stays visible on silver in the view font's colour;
// with it the system's selection colours apply.
void BrowseViews::paintSelection(QWidget *view, bool focused)
{
    QPalette pal = view->palette();
    const QPalette system = QApplication::palette(view);
    QColor back = system.color(QPalette::Active, QPalette::Highlight);
    QColor fore = system.color(QPalette::Active, QPalette::HighlightedText);
    if (!focused) {
        back = QColor(0xC0, 0xC0, 0xC0);
        fore = toQColor(quint32(m_state.settings.viewFont.color), system);
        if (!fore.isValid())
            fore = system.color(QPalette::Active, QPalette::Text);
    }
    for (auto group : { QPalette::Active, QPalette::Inactive }) {
        pal.setColor(group, QPalette::Highlight, back);
        pal.setColor(group, QPalette::HighlightedText, fore);
    }
    view->setPalette(pal);
}
