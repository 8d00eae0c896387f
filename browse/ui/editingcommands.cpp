#include "editingcommands.h"

#include "browse/catalogmodel.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/celleditor.h"
#include "browse/ui/griddelegate.h"
#include "dialogs/shareddialog.h"
#include "dialogs/ui/errorbox.h"
#include "dialogs/ui/widgethelpers.h"
#include "platform/diskpath.h"
#include "scan/foldernotes.h"
#include "scan/infofile.h"
#include "state/settingslook.h"
#include "store/catalogtable.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTimer>

namespace
{

const char kRecordNotWritten[]
    = QT_TRANSLATE_NOOP("EditingCommands", "The record of  '%1'  could not be written: %2");

bool inside(const QWidget *area, const QWidget *w)
{
    return w && (w == area || area->isAncestorOf(w));
}

} // namespace

EditingCommands::EditingCommands(
    AppState &state, BrowseViews &views, StatusPanels &panels, CommandPort &commands, Hooks hooks)
    : m_state(state)
    , m_views(views)
    , m_panels(panels)
    , m_commands(commands)
    , m_hooks(std::move(hooks))
    , m_grid(views.grid())
    , m_textPane(views.textPane())
    , m_window(views.grid()->window())
{
    setObjectName(QStringLiteral("EditingCommands"));
    m_delegate = new CellEditDelegate(GridDelegate::of(m_grid), this);
    for (int column = 0; column <= CatalogModel::TagsColumn; ++column)
        m_grid->setItemDelegateForColumn(column, m_delegate);
    connect(m_delegate, &CellEditDelegate::nameRefused, this,
        [](const QString &message) { showDialog(DialogKind::Error, message); });
    m_textPane->installEventFilter(this);
    m_window->installEventFilter(this);
    // Exit from the menu ends the program without closing the window: the text typed is
    // saved on the way out all the same.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (m_grid && m_state.mode == UiMode::TextEdit)
            saveText(false);
    });
    connect(qApp, &QApplication::focusChanged, this,
        [this](QWidget *old, QWidget *now) { onFocusChanged(old, now); });
    if (CatalogModel *m = model()) {
        connect(m, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_resetting = true; });
        // After the views' own handler has put the grid on the table's record.
        connect(m, &QAbstractItemModel::modelReset, this, [this] {
            m_resetting = false;
            if (m_state.mode == UiMode::RecordEdit)
                reopenCellEditor();
        });
    }
    QItemSelectionModel *selection = m_grid->selectionModel();
    connect(
        selection, &QItemSelectionModel::currentColumnChanged, this, [this](const QModelIndex &i) {
            if (!m_resetting && i.isValid() && m_state.mode == UiMode::RecordEdit)
                m_editColumn = i.column();
        });
    // Moving to another row has written the row left (the views move the table); the
    // rows are read again so that they show what the record rules made of it.
    connect(selection, &QItemSelectionModel::currentRowChanged, this, [this] {
        if (m_state.mode != UiMode::RecordEdit || !model()->showsTypedValues())
            return;
        QTimer::singleShot(0, this, [this] {
            CatalogTable *t = table();
            if (t && t->isOpen() && t->table().state() == DbfTable::State::Browse
                && model()->showsTypedValues())
                refreshRows();
        });
    });
    if (CatalogTable *t = table())
        // A walk moves the table: what the editor holds goes into the record first, to be
        // written by the walk's first move with the record rules in force.
        connect(t, &CatalogTable::viewsDetached, this, [this] {
            if (m_state.mode == UiMode::RecordEdit && !m_resetting)
                m_delegate->closeOpenEditor(true);
        });
    applyMenus();
}

EditingCommands::~EditingCommands() = default;

CatalogTable *EditingCommands::table() const
{
    return m_state.catalog;
}

CatalogModel *EditingCommands::model() const
{
    return m_views.model();
}

QString EditingCommands::rootPath() const
{
    return m_state.rootPath();
}

bool EditingCommands::descriptionMode() const
{
    return m_state.descriptionMode();
}

bool EditingCommands::viewHasRecord() const
{
    const CatalogTable *t = table();
    const CatalogModel *m = model();
    return t && t->isOpen() && m && m->rowCount() > 0 && t->table().recNo() > 0;
}

// The menu items and their keys as the mode in force wants them.
void EditingCommands::applyMenus()
{
    m_commands.applyMode(m_state.mode);
}

// Date and Size are set apart from the editable columns while records are edited.
void EditingCommands::setFixedColumnsColour(const QColor &colour)
{
    if (GridDelegate *columns = GridDelegate::of(m_grid)) {
        columns->setColumnColor(CatalogModel::DateColumn, colour);
        columns->setColumnColor(CatalogModel::SizeColumn, colour);
    }
}

// --- Record edit mode -------------------------------------------------------------------

void EditingCommands::enterRecordEdit()
{
    if (!viewHasRecord())
        return;
    AppState &state = m_state;
    QTableView *grid = m_grid;
    if (state.mode == UiMode::TextEdit && !saveText(false))
        return;
    {
        const QScopedValueRollback<bool> busy(m_busy, true);
        grid->setFocus();
    }
    state.mode = UiMode::RecordEdit;
    table()->setRecordEditMode(true);
    model()->setEditable(true);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    const QColor buttonFace = QApplication::palette(grid).color(QPalette::Button);
    setFixedColumnsColour(buttonFace);
    applyMenus();
    setBaseColour(grid, toQColor(state.settings.editColor, grid->palette()));
    m_editColumn = CatalogModel::NoteColumn;
    reopenCellEditor();
}

// The cell editor on the current record, in the column last edited.
void EditingCommands::reopenCellEditor()
{
    QTableView *grid = m_grid;
    const int row = model()->currentRow();
    if (row < 0)
        return;
    const QModelIndex index = model()->index(row, m_editColumn);
    grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    if (!m_delegate->openEditor())
        grid->edit(index);
}

void EditingCommands::endRecordEdit()
{
    AppState &state = m_state;
    QTableView *grid = m_grid;
    m_delegate->closeOpenEditor(false);
    state.mode = UiMode::Browse;
    if (CatalogModel *m = model())
        m->setEditable(false);
    if (table())
        table()->setRecordEditMode(false);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    const QColor view = toQColor(state.settings.viewColor, grid->palette());
    setFixedColumnsColour(view);
    applyMenus();
    setBaseColour(grid, view);
    const QModelIndex current = grid->currentIndex();
    if (current.isValid())
        grid->selectionModel()->select(
            current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// Writes the record being edited with the record rules in force. On failure the user is
// told; the edit stays open (stayOnFailure) or is dropped, and false is returned.
bool EditingCommands::postRecord(bool stayOnFailure)
{
    CatalogTable *t = table();
    if (!t || !t->isOpen() || t->table().state() == DbfTable::State::Browse)
        return true;
    const QString name = t->text(CatalogTable::NAME);
    const DbStatus st = t->table().post();
    if (st)
        return true;
    QString message
        = QCoreApplication::translate("EditingCommands", kRecordNotWritten).arg(name, st.message());
    if (!stayOnFailure) {
        t->table().cancel();
        message += tr("\rThe changes to it are not saved.");
    }
    showDialog(DialogKind::Error, message);
    return false;
}

// The rows read again, so that they show what the table holds.
void EditingCommands::refreshRows()
{
    CatalogTable *t = table();
    if (!t || !t->isOpen())
        return;
    const DetachedViews detached(*t);
    // The rows are read by walking the table, which writes a pending edit; it is written
    // here so that a failure is told.
    if (t->table().state() != DbfTable::State::Browse)
        postRecord(false);
}

// OK: what the editor holds goes into the record, which is written; the mode ends. A
// record that cannot be written keeps the mode, so that nothing typed is lost.
bool EditingCommands::confirmRecord()
{
    m_delegate->closeOpenEditor(true);
    {
        const QScopedValueRollback<bool> busy(m_busy, true);
        m_grid->setFocus();
    }
    if (!postRecord(true)) {
        reopenCellEditor();
        return false;
    }
    const bool typed = model()->showsTypedValues();
    endRecordEdit();
    if (typed)
        refreshRows();
    return true;
}

void EditingCommands::abortRecordEdit()
{
    m_delegate->closeOpenEditor(false);
    CatalogTable *t = table();
    if (t && t->isOpen() && t->table().state() != DbfTable::State::Browse)
        t->table().cancel();
    const bool typed = model()->showsTypedValues();
    endRecordEdit();
    if (typed)
        refreshRows();
    const QScopedValueRollback<bool> busy(m_busy, true);
    m_grid->setFocus();
}

void EditingCommands::gridLeft()
{
    // The editor has handed its text to the record as it lost the focus.
    m_delegate->closeOpenEditor(true);
    postRecord(false);
    const bool typed = model()->showsTypedValues();
    endRecordEdit();
    if (typed)
        refreshRows();
}

// --- Focus -------------------------------------------------------------------------------

void EditingCommands::onFocusChanged(QWidget *old, QWidget *now)
{
    // Dialogs, pop-up menus and other windows take the focus for a while; only a move to
    // another control of the window leaves an edit mode.
    if (m_busy || !now || !m_grid || now->window() != m_window)
        return;
    const UiMode mode = m_state.mode;
    if (mode == UiMode::RecordEdit && inside(m_grid, old) && !inside(m_grid, now))
        runGuarded(m_grid, [this] { gridLeft(); });
    else if (mode == UiMode::TextEdit && inside(m_textPane, old) && !inside(m_textPane, now))
        runGuarded(m_grid, [this] { textPaneLeft(); });
}

bool EditingCommands::eventFilter(QObject *watched, QEvent *event)
{
    // Events still arrive while the window is being taken down.
    if (!m_grid || !m_textPane)
        return false;
    // Closing the window saves a text being edited; one that cannot be saved keeps the
    // window open, so that the text is not lost with it.
    if (watched == m_window && event->type() == QEvent::Close && m_state.mode == UiMode::TextEdit
        && !m_state.ending) {
        if (saveText(false))
            return false;
        event->ignore();
        return true;
    }
    // The text pane would take Ctrl+Y as its redo key; here it deletes the caret's line.
    if (watched == m_textPane && event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// --- Keys -------------------------------------------------------------------------------

bool EditingCommands::finishEditing()
{
    switch (m_state.mode) {
    case UiMode::RecordEdit:
        gridLeft();
        return true;
    case UiMode::TextEdit:
        return saveText(false);
    case UiMode::Browse:
        break;
    }
    return true;
}

bool EditingCommands::endEditForClosing()
{
    switch (m_state.mode) {
    case UiMode::RecordEdit:
        abortRecordEdit();
        return true;
    case UiMode::TextEdit:
        return saveText(true);
    case UiMode::Browse:
        break;
    }
    return true;
}

void EditingCommands::editRecord()
{
    if (m_state.mode == UiMode::RecordEdit) {
        if (confirmRecord() && descriptionMode())
            writeDescriptions(false);
        return;
    }
    enterRecordEdit();
}

void EditingCommands::editText()
{
    if (m_state.mode == UiMode::TextEdit) {
        saveText(true);
        return;
    }
    enterTextEdit();
}

void EditingCommands::deleteOrAbort()
{
    switch (m_state.mode) {
    case UiMode::RecordEdit:
        abortRecordEdit();
        break;
    case UiMode::TextEdit:
        abortTextEdit();
        break;
    case UiMode::Browse:
        deleteFile();
        break;
    }
}

void EditingCommands::updateOrOk()
{
    switch (m_state.mode) {
    case UiMode::RecordEdit:
        m_hooks.stopViewerSync();
        // The update reads Descript.ion back: it must hold the notes just confirmed, and
        // it never runs over a file that kept the old ones.
        if (confirmRecord() && (!descriptionMode() || writeDescriptions(true)))
            updateFolderOk();
        break;
    case UiMode::TextEdit:
        m_hooks.stopViewerSync();
        saveText(true);
        break;
    case UiMode::Browse:
        updateFolderOk();
        break;
    }
}
