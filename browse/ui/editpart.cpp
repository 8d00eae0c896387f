#include "editpart.h"

#include "app/settingslook.h"
#include "app/ui/tform1.h"
#include "browse/catalogmodel.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/celleditor.h"
#include "dialogs/ui/widgethelpers.h"
#include "dialogs/velmark.h"
#include "platform/diskpath.h"
#include "scan/foldernotes.h"
#include "scan/infofile.h"
#include "store/catalogtable.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTimer>

namespace
{

const char kRecordNotWritten[] = "The record of  '%1'  could not be written: %2";

bool inside(const QWidget *area, const QWidget *w)
{
    return w && (w == area || area->isAncestorOf(w));
}

} // namespace

EditPart::EditPart(TForm1 &form)
    : QObject(&form)
    , m_form(form)
    , m_formObject(&form)
{
    setObjectName(QStringLiteral("EditPart"));
    m_delegate = new CellEditDelegate(form, this);
    for (int column = 0; column <= CatalogModel::TagsColumn; ++column)
        form.DBGrid1->setItemDelegateForColumn(column, m_delegate);
    connect(m_delegate, &CellEditDelegate::nameRefused, this,
        [](const QString &message) { ShowDialog(DialogKind::Error, message); });
    const QStringList mainItems = { QStringLiteral("miKataddClick"),
        QStringLiteral("mikatdelClick"), QStringLiteral("miKatReplaceClick") };
    for (const QString &name : mainItems)
        if (QAction *a = form.action(name))
            m_keys.insert(a, a->shortcut());
    for (QMenu *menu : { form.PopupMenu2, form.PopupMenu3 })
        for (const char *handler : { "popCopyPathClick", "popGanzeTextClick" })
            if (QAction *a = TForm1::popupItem(menu, QLatin1String(handler)))
                m_keys.insert(a, a->shortcut());

    form.Memo1->installEventFilter(this);
    form.installEventFilter(this);
    // Exit from the menu ends the program without closing the window: the text typed is
    // saved on the way out all the same.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (formAlive() && m_form.state().mode == UiMode::TextEdit)
            saveText(false);
    });
    connect(qApp, &QApplication::focusChanged, this,
        [this](QWidget *old, QWidget *now) { onFocusChanged(old, now); });
    if (CatalogModel *m = model()) {
        connect(m, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_resetting = true; });
        // After the views' own handler has put the grid on the table's record.
        connect(m, &QAbstractItemModel::modelReset, this, [this] {
            m_resetting = false;
            if (formAlive() && m_form.state().mode == UiMode::RecordEdit)
                reopenCellEditor();
        });
    }
    QItemSelectionModel *selection = form.DBGrid1->selectionModel();
    connect(
        selection, &QItemSelectionModel::currentColumnChanged, this, [this](const QModelIndex &i) {
            if (!m_resetting && i.isValid() && formAlive()
                && m_form.state().mode == UiMode::RecordEdit)
                m_editColumn = i.column();
        });
    // Moving to another row has written the row left (the views move the table); the
    // rows are read again so that they show what the record rules made of it.
    connect(selection, &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!formAlive() || m_form.state().mode != UiMode::RecordEdit
            || !model()->showsTypedValues())
            return;
        QTimer::singleShot(0, this, [this] {
            CatalogTable *t = formAlive() ? table() : nullptr;
            if (t && t->isOpen() && t->table().state() == DbfTable::State::Browse
                && model()->showsTypedValues())
                refreshRows();
        });
    });
    if (CatalogTable *t = table())
        // A walk moves the table: what the editor holds goes into the record first, to be
        // written by the walk's first move with the record rules in force.
        connect(t, &CatalogTable::viewsDetached, this, [this] {
            if (formAlive() && m_form.state().mode == UiMode::RecordEdit && !m_resetting)
                m_delegate->closeOpenEditor(true);
        });
    applyMenus();
}

EditPart::~EditPart() = default;

EditPart *EditPart::of(const TForm1 &form)
{
    return form.findChild<EditPart *>(QString(), Qt::FindDirectChildrenOnly);
}

CatalogTable *EditPart::table() const
{
    return m_form.state().Dbf1;
}

BrowseViews *EditPart::views() const
{
    return BrowseViews::of(m_form);
}

CatalogModel *EditPart::model() const
{
    BrowseViews *v = views();
    return v ? v->model() : nullptr;
}

QString EditPart::rootPath() const
{
    const QString root = m_form.state().settings.RootPath;
    return root.isEmpty() && table() ? table()->rootPath() : root;
}

bool EditPart::descriptionMode() const
{
    return m_form.state().settings.FolderInfoMode != 0;
}

bool EditPart::viewHasRecord() const
{
    const CatalogTable *t = table();
    const CatalogModel *m = model();
    return t && t->isOpen() && m && m->rowCount() > 0 && t->table().recNo() > 0;
}

void EditPart::setItem(QAction *item, bool enabled, bool withKey)
{
    if (!item)
        return;
    item->setEnabled(enabled);
    const auto it = m_keys.constFind(item);
    if (it != m_keys.constEnd())
        item->setShortcut(withKey ? *it : QKeySequence());
}

// The menu items and their keys as the mode in force wants them.
void EditPart::applyMenus()
{
    const UiMode mode = m_form.state().mode;
    const bool record = mode == UiMode::RecordEdit;
    const bool text = mode == UiMode::TextEdit;
    const bool browse = mode == UiMode::Browse;
    auto item = [this](const char *handler) { return m_form.action(QLatin1String(handler)); };
    auto grid
        = [this](const char *h) { return TForm1::popupItem(m_form.PopupMenu2, QLatin1String(h)); };
    auto pane
        = [this](const char *h) { return TForm1::popupItem(m_form.PopupMenu3, QLatin1String(h)); };

    setItem(grid("miDelClick"), record, true);
    setItem(grid("miOkClick"), record, true);
    setItem(grid("popCopyPathClick"), !record, !record);
    for (const char *h : { "miKataddClick", "mikatdelClick", "miKatReplaceClick" })
        setItem(item(h), browse, browse);
    setItem(item("ReorganisationClick"), !text, true);
    setItem(item("Einstellungen1Click"), !text, true);
    for (const char *h : { "miTextSichClick", "miInsFileClick", "miDelAllClick", "miheuteClick" }) {
        setItem(item(h), text, true);
        setItem(pane(h), text, true);
    }
    setItem(pane("miDelClick"), text, true);
    setItem(pane("miOkClick"), text, true);
    setItem(pane("popGanzeTextClick"), !text, !text);
}

// --- Record edit mode -------------------------------------------------------------------

void EditPart::enterRecordEdit()
{
    if (!viewHasRecord())
        return;
    AppState &state = m_form.state();
    QTableView *grid = m_form.DBGrid1;
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
    m_form.setGridColumnColor(CatalogModel::DateColumn, buttonFace);
    m_form.setGridColumnColor(CatalogModel::SizeColumn, buttonFace);
    applyMenus();
    setBaseColour(grid, toQColor(state.settings.EditColor, grid->palette()));
    m_editColumn = CatalogModel::NoteColumn;
    reopenCellEditor();
}

// The cell editor on the current record, in the column last edited.
void EditPart::reopenCellEditor()
{
    QTableView *grid = m_form.DBGrid1;
    const int row = model()->currentRow();
    if (row < 0)
        return;
    const QModelIndex index = model()->index(row, m_editColumn);
    grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    if (!m_delegate->openEditor())
        grid->edit(index);
}

void EditPart::EndRecordEdit()
{
    AppState &state = m_form.state();
    QTableView *grid = m_form.DBGrid1;
    m_delegate->closeOpenEditor(false);
    state.mode = UiMode::Browse;
    if (CatalogModel *m = model())
        m->setEditable(false);
    if (table())
        table()->setRecordEditMode(false);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    const QColor view = toQColor(state.settings.ViewColor, grid->palette());
    m_form.setGridColumnColor(CatalogModel::DateColumn, view);
    m_form.setGridColumnColor(CatalogModel::SizeColumn, view);
    applyMenus();
    setBaseColour(grid, view);
    const QModelIndex current = grid->currentIndex();
    if (current.isValid())
        grid->selectionModel()->select(
            current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// Writes the record being edited with the record rules in force. On failure the user is
// told; the edit stays open (stayOnFailure) or is dropped, and false is returned.
bool EditPart::postRecord(bool stayOnFailure)
{
    CatalogTable *t = table();
    if (!t || !t->isOpen() || t->table().state() == DbfTable::State::Browse)
        return true;
    const QString name = t->text(CatalogTable::NAME);
    const DbStatus st = t->table().post();
    if (st)
        return true;
    QString message = QString::fromLatin1(kRecordNotWritten).arg(name, st.message());
    if (!stayOnFailure) {
        t->table().cancel();
        message += QStringLiteral("\rThe changes to it are not saved.");
    }
    ShowDialog(DialogKind::Error, message);
    return false;
}

// The rows read again, so that they show what the table holds.
void EditPart::refreshRows()
{
    CatalogTable *t = table();
    if (!t || !t->isOpen())
        return;
    t->detachViews();
    // The rows are read by walking the table, which writes a pending edit; it is written
    // here so that a failure is told.
    if (t->table().state() != DbfTable::State::Browse)
        postRecord(false);
    t->attachViews();
}

// OK: what the editor holds goes into the record, which is written; the mode ends. A
// record that cannot be written keeps the mode, so that nothing typed is lost.
bool EditPart::confirmRecord()
{
    m_delegate->closeOpenEditor(true);
    {
        const QScopedValueRollback<bool> busy(m_busy, true);
        m_form.DBGrid1->setFocus();
    }
    if (!postRecord(true)) {
        reopenCellEditor();
        return false;
    }
    const bool typed = model()->showsTypedValues();
    EndRecordEdit();
    if (typed)
        refreshRows();
    return true;
}

void EditPart::abortRecordEdit()
{
    m_delegate->closeOpenEditor(false);
    CatalogTable *t = table();
    if (t && t->isOpen() && t->table().state() != DbfTable::State::Browse)
        t->table().cancel();
    const bool typed = model()->showsTypedValues();
    EndRecordEdit();
    if (typed)
        refreshRows();
    const QScopedValueRollback<bool> busy(m_busy, true);
    m_form.DBGrid1->setFocus();
}

void EditPart::DBGrid1Exit()
{
    // The editor has handed its text to the record as it lost the focus.
    m_delegate->closeOpenEditor(true);
    postRecord(false);
    const bool typed = model()->showsTypedValues();
    EndRecordEdit();
    if (typed)
        refreshRows();
}

// --- Focus -------------------------------------------------------------------------------

void EditPart::onFocusChanged(QWidget *old, QWidget *now)
{
    // Dialogs, pop-up menus and other windows take the focus for a while; only a move to
    // another control of the window leaves an edit mode.
    if (m_busy || !now || !formAlive() || now->window() != &m_form)
        return;
    const UiMode mode = m_form.state().mode;
    if (mode == UiMode::RecordEdit && inside(m_form.DBGrid1, old) && !inside(m_form.DBGrid1, now))
        m_form.guarded([this] { DBGrid1Exit(); });
    else if (mode == UiMode::TextEdit && inside(m_form.Memo1, old) && !inside(m_form.Memo1, now))
        m_form.guarded([this] { DBMemo1Exit(); });
}

bool EditPart::formAlive() const
{
    return qobject_cast<TForm1 *>(m_formObject) != nullptr;
}

bool EditPart::eventFilter(QObject *watched, QEvent *event)
{
    // Events still arrive while the window is being taken down.
    if (!formAlive())
        return false;
    // Closing the window saves a text being edited; one that cannot be saved keeps the
    // window open, so that the text is not lost with it.
    if (watched == &m_form && event->type() == QEvent::Close
        && m_form.state().mode == UiMode::TextEdit && !m_form.state().ending) {
        if (saveText(false))
            return false;
        event->ignore();
        return true;
    }
    // The text pane would take Ctrl+Y as its redo key; here it deletes the caret's line.
    if (watched == m_form.Memo1 && event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// --- Keys -------------------------------------------------------------------------------

bool EditPart::finishEditing()
{
    switch (m_form.state().mode) {
    case UiMode::RecordEdit:
        DBGrid1Exit();
        return true;
    case UiMode::TextEdit:
        return saveText(false);
    case UiMode::Browse:
        break;
    }
    return true;
}

void EditPart::Mutieren1Click()
{
    if (m_form.state().mode == UiMode::RecordEdit) {
        if (confirmRecord() && descriptionMode())
            writeDescriptions(false);
        return;
    }
    enterRecordEdit();
}

void EditPart::miTextClick()
{
    if (m_form.state().mode == UiMode::TextEdit) {
        saveText(true);
        return;
    }
    enterTextEdit();
}

void EditPart::miDelClick()
{
    switch (m_form.state().mode) {
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

void EditPart::miOkClick()
{
    switch (m_form.state().mode) {
    case UiMode::RecordEdit:
        m_form.StopViewerSync();
        // The update reads Descript.ion back: it must hold the notes just confirmed, and
        // it never runs over a file that kept the old ones.
        if (confirmRecord() && (!descriptionMode() || writeDescriptions(true)))
            updateFolderOk();
        break;
    case UiMode::TextEdit:
        m_form.StopViewerSync();
        saveText(true);
        break;
    case UiMode::Browse:
        updateFolderOk();
        break;
    }
}

void installEditing(TForm1 &form)
{
    EditPart *part = EditPart::of(form);
    if (!part)
        part = new EditPart(form);
    if (CatalogTable *t = form.state().Dbf1)
        t->setErrorReporter([](const QString &message) { ShowDialog(DialogKind::Error, message); });
    const std::pair<const char *, void (EditPart::*)()> handlers[] = {
        { "Mutieren1Click", &EditPart::Mutieren1Click },
        { "miTextClick", &EditPart::miTextClick },
        { "miDelClick", &EditPart::miDelClick },
        { "miOkClick", &EditPart::miOkClick },
        { "miTextSichClick", &EditPart::miTextSichClick },
        { "miInsFileClick", &EditPart::miInsFileClick },
        { "miDelAllClick", &EditPart::miDelAllClick },
        { "miheuteClick", &EditPart::miheuteClick },
        { "Action2Execute", &EditPart::Action2Execute },
        { "PopupMenu3Popup", &EditPart::PopupMenu3Popup },
    };
    for (const auto &[name, fn] : handlers)
        form.setHandler(QLatin1String(name), [part, fn = fn] { (part->*fn)(); });
}
