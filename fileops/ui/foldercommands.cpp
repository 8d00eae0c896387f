#include "folderfilecommands.h"

#include "dialogs/shareddialog.h"
#include "dialogs/ui/errorbox.h"
#include "fileops/folderrename.h"
#include "fileops/ui/movefilewindow.h"
#include "fileops/ui/treedragdrop.h"
#include "state/bulkwalk.h"
#include "store/catalogtable.h"
#include "views/ui/foldertreeview.h"

#include <QCoreApplication>
#include <QTreeWidget>

namespace
{

const char kNewFolder[] = QT_TRANSLATE_NOOP(
    "FolderFileCommands", "Create new folder ?\r\rrelative to the root folder.");
const char kRenameFolder[] = QT_TRANSLATE_NOOP(
    "FolderFileCommands", "Folder  '%1'  Rename to ?\r\rrelative to the root folder.");
const char kTooLong[]
    = QT_TRANSLATE_NOOP("FolderFileCommands", "It is only up to 80 characters allowed !");

void showError(const QString &message)
{
    showDialog(DialogKind::Error, message);
}

// A typed folder path: nothing when the input was cancelled or empty, or is too long
// (then said).
QString askFolderPath(const QString &prompt, const QString &preset)
{
    const QString answer = showDialog(DialogKind::TextInput, prompt, preset);
    if (isEscAnswer(answer) || answer.isEmpty())
        return QString();
    if (typedfolder::tooLong(answer)) {
        showError(QCoreApplication::translate("FolderFileCommands", kTooLong));
        return QString();
    }
    return typedfolder::folderPath(answer);
}

} // namespace

FolderFileCommands::FolderFileCommands(
    AppState &state, ViewsPort &views, QWidget *window, QTimer *dragScrollTimer, Hooks hooks)
    : m_state(state)
    , m_views(views)
    , m_mainWindow(window)
    , m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("FolderFileCommands"));
    m_dragDrop = new TreeDragDrop(
        views.tree(), views.grid(), dragScrollTimer,
        [this](const QPoint &pos, quint32 file) {
            runGuarded(m_views.tree(), [&] { dropOnTree(pos, file); });
        },
        this);
}

FolderFileCommands::~FolderFileCommands()
{
    delete m_window;
}

void FolderFileCommands::onGridColumnEntered()
{
    const CatalogTable &t = table();
    if (viewHasRecord())
        m_dragDrop->beginFileDrag(quint32(t.table().recNo()));
}

void FolderFileCommands::onFolderSelected(const QString &folderPath)
{
    if (m_window)
        m_window->setDestination(folderPath);
}

void FolderFileCommands::setFolderChooser(FolderChooser chooser)
{
    m_chooseFolder = std::move(chooser);
}

QString FolderFileCommands::rootPath() const
{
    return m_state.rootPath();
}

CatalogTable &FolderFileCommands::table() const
{
    return *m_state.catalog;
}

bool FolderFileCommands::finishEditing()
{
    return !m_hooks.finishEditing || m_hooks.finishEditing();
}

// Selects the folder's node, shows it and gives the tree the focus; false when the tree
// has no such folder.
bool FolderFileCommands::selectFolder(const QString &folderPath)
{
    const DbStatus st = m_views.selectFolderPath(folderPath);
    if (st.code() == DbStatus::NotFound)
        return false;
    if (QTreeWidgetItem *item = m_views.tree()->currentItem())
        m_views.tree()->scrollToItem(item);
    m_views.tree()->setFocus();
    ViewsPort::throwIfFailed(st);
    return true;
}

// After a rebuild: the wanted folder, else the one shown before, else the first.
void FolderFileCommands::selectAfterRebuild(const QString &wanted, const QString &fallback)
{
    if (selectFolder(wanted) || (!fallback.isEmpty() && selectFolder(fallback)))
        return;
    ViewsPort::throwIfFailed(m_views.selectNodeAt(0));
    m_views.tree()->setFocus();
}

void FolderFileCommands::newFolder()
{
    if (!finishEditing())
        return;
    const QString current = m_views.selectedFolderPath();
    const QString path
        = askFolderPath(QCoreApplication::translate("FolderFileCommands", kNewFolder), current);
    if (path.isEmpty())
        return;
    const DbStatus st = m_views.ensureFolderAndRebuild(path);
    selectAfterRebuild(path, current);
    // The tree shows what exists; a folder that could not be made is said.
    if (!st)
        showError(st.message());
}

void FolderFileCommands::renameFolder()
{
    const QString current = m_views.selectedFolderPath();
    if (current.isEmpty() || !finishEditing())
        return;
    const QString path = askFolderPath(
        QCoreApplication::translate("FolderFileCommands", kRenameFolder).arg(current), current);
    if (!path.isEmpty())
        moveFolder(current, path);
}

void FolderFileCommands::moveFolder(const QString &oldPath, const QString &newPath)
{
    FolderRename result;
    {
        // One repaint at the end, of the folder selected then.
        const BulkWalk walk(m_state);
        result = ::renameFolder(table(), rootPath(), oldPath, newPath);
        if (result.diskChanged) {
            m_views.rebuildFolderTree();
            m_views.applyExpansionRule();
            selectAfterRebuild(typedfolder::folderPath(newPath), oldPath);
        }
    }
    m_views.loadCurrentText();
    if (!result.status) {
        showError(result.status.message());
        return;
    }
    if (m_state.descriptionMode())
        writeDescriptions({ m_views.selectedFolderPath() });
}

void FolderFileCommands::deleteFolder()
{
    QTreeWidget *tree = m_views.tree();
    QTreeWidgetItem *item = tree->currentItem();
    if (!item || !finishEditing() || !removeEmptyFolder(rootPath(), folderPathOfNode(item)))
        return;
    // The tree moves its selection to a neighbour, which shows that folder.
    delete item;
    if (tree->topLevelItemCount() == 0)
        ViewsPort::throwIfFailed(m_views.selectFolder());
}

void FolderFileCommands::dropOnTree(const QPoint &viewportPos, quint32 file)
{
    QTreeWidgetItem *target = m_views.tree()->itemAt(viewportPos);
    if (!target)
        return;
    if (file != 0)
        dropFile(target, file);
    else
        dropFolder(target);
}

// The dragged (selected) folder goes below the folder it was dropped on.
void FolderFileCommands::dropFolder(QTreeWidgetItem *target)
{
    const QTreeWidgetItem *dragged = m_views.tree()->currentItem();
    if (!dragged || !finishEditing())
        return;
    moveFolder(folderPathOfNode(dragged), folderPathOfNode(target) + dragged->text(0));
}
