#include "folderfilecommands.h"

#include "dialogs/shareddialog.h"
#include "dialogs/ui/errorbox.h"
#include "fileops/filecopy.h"
#include "fileops/filemove.h"
#include "fileops/folderrename.h"
#include "fileops/ui/movefilewindow.h"
#include "platform/diskpath.h"
#include "scan/foldernotes.h"
#include "store/catalogtable.h"
#include "views/ui/foldertreeview.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

const char kCopyCaption[] = QT_TRANSLATE_NOOP("FolderFileCommands", "Search folder");
const char kCopyHeadline[] = QT_TRANSLATE_NOOP("FolderFileCommands", "File  '%1'  copy to ?");
const char kNotMoved[]
    = QT_TRANSLATE_NOOP("FolderFileCommands", "File  '%1'  could not be moved !");

void showError(const QString &message)
{
    showDialog(DialogKind::Error, message);
}

// The folder-browse dialog: the headline above a folder view that starts at the given
// folder (the desktop when none) and accepts only folders.
QString browseForFolder(const QString &caption, const QString &headline, const QString &start)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(caption);
    auto *column = new QVBoxLayout(&dialog);
    column->addWidget(new QLabel(headline, &dialog));
    QString from = start;
    if (from.isEmpty() || !QFileInfo(from).isDir())
        from = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!QFileInfo(from).isDir())
        from = QDir::homePath();
    auto *folders = new QFileDialog(&dialog, QString(), from);
    folders->setWindowFlags(Qt::Widget);
    folders->setOption(QFileDialog::DontUseNativeDialog);
    folders->setOption(QFileDialog::ShowDirsOnly);
    folders->setFileMode(QFileDialog::Directory);
    column->addWidget(folders);
    QObject::connect(folders, &QFileDialog::accepted, &dialog, &QDialog::accept);
    QObject::connect(folders, &QFileDialog::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted || folders->selectedFiles().isEmpty())
        return QString();
    return folders->selectedFiles().constFirst();
}

} // namespace

MoveFileWindow *FolderFileCommands::createMoveFileWindow()
{
    if (m_window)
        return m_window;
    m_window = new MoveFileWindow(m_mainWindow);
    QWidget *w = m_window;
    connect(m_window, &MoveFileWindow::okPressed, this,
        [this, w] { runGuarded(w, [this] { moveToDestination(); }); });
    connect(m_window, &MoveFileWindow::cancelPressed, this,
        [this, w] { runGuarded(w, [this] { cancelMove(); }); });
    connect(m_window, &MoveFileWindow::mainWindowWanted, this, [this] { backToMainWindow(); });
    if (m_hooks.moveWindowCreated)
        m_hooks.moveWindowCreated(m_window);
    return m_window;
}

MoveFileWindow *FolderFileCommands::moveFileWindow() const
{
    return m_window;
}

void FolderFileCommands::forgetMoveTarget()
{
    m_moveTarget.clear();
}

bool FolderFileCommands::viewHasRecord() const
{
    const CatalogTable &t = table();
    return t.isOpen() && m_views.shownRecordCount() > 0 && t.table().recNo() > 0;
}

// The archive a remembered folder belongs to.
QString FolderFileCommands::archiveKey() const
{
    return rootPath() + QLatin1Char('|') + m_state.settings.archiveName;
}

void FolderFileCommands::moveFile()
{
    if (!viewHasRecord() || !finishEditing())
        return;
    MoveFileWindow *window = createMoveFileWindow();
    const QString current = m_views.selectedFolderPath();
    if (m_moveTarget.isEmpty() || m_moveTargetArchive != archiveKey()) {
        m_moveTarget = current;
        m_moveTargetArchive = archiveKey();
    }
    window->centreOverOwner();
    const CatalogTable &t = table();
    m_moveName = t.text(CatalogTable::NAME);
    m_moveRecno = quint32(t.table().recNo());
    m_moveSource = current;
    m_moveArchive = archiveKey();
    window->setFileName(m_moveName);
    window->setCodec(t.codec());
    window->setDestination(current);
    // The folder moved to last is shown, and so becomes the destination. The current
    // folder is not selected again: the grid stays on the file being moved.
    const bool elsewhere = table().folderKey(m_moveTarget) != table().folderKey(current);
    if (elsewhere && m_views.nodeCount() > 0 && m_views.selectFolderPath(m_moveTarget))
        m_views.tree()->scrollToItem(m_views.tree()->currentItem());
    window->show();
    window->raise();
    window->activateWindow();
}

void FolderFileCommands::moveToDestination()
{
    if (!m_window)
        return;
    if (m_moveArchive != archiveKey()) {
        // Another archive was opened meanwhile: the file asked for is not in it.
        m_window->hide();
        return;
    }
    // An edit begun while the window was open ends before its file moves away or the
    // source folder is shown again; a text that cannot be saved keeps the window open.
    if (!finishEditing())
        return;
    const QString destination = typedfolder::folderPath(m_window->destination());
    if (destination.isEmpty())
        return;
    if (!PathResolver(rootPath()).exists(destination))
        m_views.ensureFolderAndRebuild(destination); // a failure fails the move below
    const bool found = bool(m_views.selectFolderPath(destination));
    if (found) {
        m_views.tree()->scrollToItem(m_views.tree()->currentItem());
        m_moveTarget = destination;
        m_moveTargetArchive = archiveKey();
    }
    if (table().folderKey(m_moveSource) == table().folderKey(destination)) {
        showError(sameFolderMessage());
        return;
    }
    moveFileTo(found ? destination : QString());
    m_window->hide();
}

// The window's move, to a folder the tree shows (none: the move fails); the source
// folder is shown again afterwards, and a failure said.
void FolderFileCommands::moveFileTo(const QString &destination)
{
    FileMove result;
    result.status = { DbStatus::IoError,
        QCoreApplication::translate("FolderFileCommands", kNotMoved).arg(m_moveName) };
    {
        const DetachedViews detached(table());
        if (!destination.isEmpty())
            result = moveFileRecord(
                table(), rootPath(), { m_moveRecno, m_moveSource, m_moveName, destination });
        if ((result.moved || result.diskChanged) && m_state.descriptionMode())
            writeDescriptions({ destination, m_moveSource });
        selectAfterRebuild(m_moveSource, QString());
    }
    if (!result.status)
        showError(result.status.message());
}

void FolderFileCommands::cancelMove()
{
    if (m_moveArchive == archiveKey()) {
        // Showing the source folder again moves to another record: the edit ends first.
        if (!finishEditing())
            return;
        selectAfterRebuild(m_moveSource, QString());
    }
    if (m_window)
        m_window->hide();
}

void FolderFileCommands::backToMainWindow()
{
    if (!m_mainWindow)
        return;
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

// A file dropped on a folder of the tree moves there; on its own folder nothing happens.
void FolderFileCommands::dropFile(QTreeWidgetItem *target, quint32 recno)
{
    QString dir;
    QString name;
    if (!m_views.shownFile(recno, &dir, &name) || !table().isOpen())
        return;
    const QString folder = folderPathOfNode(target);
    if (table().folderKey(dir) == table().folderKey(folder) || !finishEditing())
        return;
    FileMove result;
    {
        const DetachedViews detached(table());
        result = moveFileRecord(table(), rootPath(), { recno, dir, name, folder });
        if ((result.moved || result.diskChanged) && m_state.descriptionMode())
            writeDescriptions({ dir, folder });
        ViewsPort::throwIfFailed(m_views.selectFolder());
    }
    if (!result.status)
        showError(result.status.message());
}

// Descript.ion of each folder rewritten from its records' notes; the first failure said.
void FolderFileCommands::writeDescriptions(const QStringList &folderPaths)
{
    const PathResolver resolver(rootPath());
    DbStatus first;
    for (const QString &folder : folderPaths) {
        const DbStatus st = writeFolderDescriptions(table(), resolver, folder);
        if (first && !st)
            first = st;
    }
    m_views.showCount();
    if (!first)
        showError(first.message());
}

void FolderFileCommands::copyFile()
{
    if (!viewHasRecord() || !finishEditing())
        return;
    const CatalogTable &t = table();
    const QString dir = t.text(CatalogTable::DIR);
    const QString name = t.text(CatalogTable::NAME);
    const QString caption = QCoreApplication::translate("FolderFileCommands", kCopyCaption);
    const QString headline
        = QCoreApplication::translate("FolderFileCommands", kCopyHeadline).arg(name);
    const QString start = m_state.settings.copyFolder;
    const QString folder = m_chooseFolder ? m_chooseFolder(caption, headline, start)
                                          : browseForFolder(caption, headline, start);
    if (folder.isEmpty())
        return;
    m_state.settings.copyFolder = folder;
    const DbStatus st = copyCatalogueFile(PathResolver(rootPath()), dir, name, folder);
    if (!st)
        showError(st.message());
}
