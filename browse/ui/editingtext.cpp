#include "editingcommands.h"

#include "browse/catalogmodel.h"
#include "browse/filedelete.h"
#include "browse/textpane.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/caretline.h"
#include "dialogs/regional.h"
#include "dialogs/shareddialog.h"
#include "dialogs/ui/errorbox.h"
#include "dialogs/ui/widgethelpers.h"
#include "platform/diskpath.h"
#include "scan/foldernotes.h"
#include "scan/infofile.h"
#include "scan/textfile.h"
#include "state/settingslook.h"
#include "store/catalogtable.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTableView>

namespace
{

const char kDeleteQuestion[] = QT_TRANSLATE_NOOP("EditingCommands", "Delete file  '%1'  ?");
const char kExistsQuestion[]
    = QT_TRANSLATE_NOOP("EditingCommands", "File  '%1'  exists !\rOverwrite ?");
const char kNotExists[] = QT_TRANSLATE_NOOP("EditingCommands", "File  '%1'  not exists !");
const char kUnreadText[] = QT_TRANSLATE_NOOP(
    "EditingCommands", "%1\rThe text is not edited, so that it cannot be saved over.");
const char kTextKept[] = QT_TRANSLATE_NOOP("EditingCommands",
    "%1\rThe text stays in the text pane: press F6 to save it again, "
    "\"Save text as\" to keep it elsewhere, or F7 to drop it.");
const char kNotesAtRisk[] = QT_TRANSLATE_NOOP("EditingCommands",
    "%1\rThe notes stay in the catalogue, but the next update of "
    "the folder reads the old Descript.ion back over them.");
const char kNotUpdated[] = QT_TRANSLATE_NOOP("EditingCommands",
    "%1\rThe folder was not updated, so that the old Descript.ion "
    "cannot replace the notes just confirmed.");
const char kUpdateFailed[]
    = QT_TRANSLATE_NOOP("EditingCommands", "The catalogue could not be updated !");

void showError(const QString &message)
{
    showDialog(DialogKind::Error, message);
}

QString chooseFile(bool save, const QString &folder)
{
    QFileDialog dialog(QApplication::activeWindow(), QString(), folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The program asks about overwriting itself.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setNameFilter(QCoreApplication::translate("EditingCommands", "Text-Files (*.txt)"));
    } else {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QCoreApplication::translate("EditingCommands", "Text-files (*.txt)"));
    }
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

void EditingCommands::setFileChoosers(FileChooser saveAs, FileChooser open)
{
    m_saveAs = std::move(saveAs);
    m_open = std::move(open);
}

QString EditingCommands::textFolder() const
{
    const QString folder = m_state.settings.textFolder;
    // The program folder is the process's current folder once an archive is open.
    return folder.isEmpty() ? QDir::currentPath() + QLatin1Char('/') : folder;
}

void EditingCommands::rememberTextFolder(const QString &file)
{
    m_state.settings.textFolder = QFileInfo(file).absolutePath() + QLatin1Char('/');
}

// --- Text edit mode ---------------------------------------------------------------------

void EditingCommands::enterTextEdit()
{
    if (!viewHasRecord())
        return;
    if (!m_views.textPaneStatus()) {
        showError(QCoreApplication::translate("EditingCommands", kUnreadText)
                      .arg(m_views.textPaneStatus().message()));
        return;
    }
    AppState &state = m_state;
    if (state.mode == UiMode::RecordEdit)
        gridLeft();
    CatalogTable *t = table();
    const PathResolver resolver(rootPath());
    m_textPath
        = infofile::infoFilePath(resolver, t->text(CatalogTable::DIR), t->text(CatalogTable::NAME));
    state.mode = UiMode::TextEdit;
    {
        const QScopedValueRollback<bool> busy(m_busy, true);
        m_textPane->setFocus();
    }
    applyMenus();
    m_textPane->setReadOnly(false);
    setBaseColour(m_textPane, toQColor(state.settings.editColor, m_textPane->palette()));
}

// Writes the pane to the session's info file (an empty pane deletes it) and ends the
// mode. A failed write keeps the mode and the text, and says so.
bool EditingCommands::saveText(bool moveFocus)
{
    bool lossy = false;
    const DbStatus st = infofile::writeInfoText(m_textPath, m_textPane->toPlainText(), &lossy);
    if (!st) {
        showError(QCoreApplication::translate("EditingCommands", kTextKept).arg(st.message()));
        return false;
    }
    const QString written = m_textPath;
    endTextEdit(moveFocus);
    if (lossy)
        showDialog(DialogKind::Warning, textfile::lossyWarning(written));
    return true;
}

void EditingCommands::endTextEdit(bool moveFocus)
{
    AppState &state = m_state;
    state.mode = UiMode::Browse;
    m_textPath.clear();
    applyMenus();
    m_textPane->setReadOnly(true);
    setBaseColour(m_textPane, toQColor(state.settings.viewColor, m_textPane->palette()));
    if (moveFocus) {
        const QScopedValueRollback<bool> busy(m_busy, true);
        m_grid->setFocus();
    }
    // The pane shows what the current record's info file holds now.
    m_views.loadCurrentText();
}

void EditingCommands::abortTextEdit()
{
    endTextEdit(true);
}

void EditingCommands::textPaneLeft()
{
    saveText(false);
}

void EditingCommands::saveTextAs()
{
    if (m_state.mode != UiMode::TextEdit)
        return;
    const QString path = m_saveAs ? m_saveAs(textFolder()) : chooseFile(true, textFolder());
    if (path.isEmpty())
        return;
    rememberTextFolder(path);
    if (QFileInfo::exists(path)
        && showDialog(DialogKind::WarningQuestion,
               QCoreApplication::translate("EditingCommands", kExistsQuestion).arg(path))
            != QLatin1String("1"))
        return;
    bool lossy = false;
    const DbStatus st = textpane::writeTextFile(path, m_textPane->toPlainText(), &lossy);
    if (!st)
        showError(st.message());
    else if (lossy)
        showDialog(DialogKind::Warning, textfile::lossyWarning(path));
}

void EditingCommands::insertFile()
{
    if (m_state.mode != UiMode::TextEdit)
        return;
    const QString path = m_open ? m_open(textFolder()) : chooseFile(false, textFolder());
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        showError(QCoreApplication::translate("EditingCommands", kNotExists).arg(path));
        return;
    }
    rememberTextFolder(path);
    QString text;
    const DbStatus st = textpane::readTextFile(path, text);
    if (!st) {
        showError(st.message());
        return;
    }
    m_textPane->textCursor().insertText(text);
}

void EditingCommands::deleteAllText()
{
    if (m_state.mode == UiMode::TextEdit)
        m_textPane->clear();
}

void EditingCommands::insertDate()
{
    if (m_state.mode == UiMode::TextEdit)
        m_textPane->textCursor().insertText(
            regional::formatDate(regional::today()) + QLatin1Char(' '));
}

// Ctrl+Y: the caret's line goes, with one line end.
void EditingCommands::deleteTextLine()
{
    if (m_state.mode != UiMode::TextEdit)
        return;
    deleteCaretLine(m_textPane);
}

void EditingCommands::prepareTextMenu()
{
    m_commands.setCommandEnabled(Command::OpenLink, m_textPane->textCursor().hasSelection());
}

// --- Browse mode ------------------------------------------------------------------------

DbStatus EditingCommands::writeDescriptions(bool beforeUpdate)
{
    CatalogTable *t = table();
    const QString folder = m_panels.panelText(2);
    if (!t || !t->isOpen() || (folder.isEmpty() && m_views.nodeCount() > 0))
        return DbStatus::ok();
    const PathResolver resolver(rootPath());
    const DbStatus st = writeFolderDescriptions(*t, resolver, folder);
    m_views.showCount();
    if (!st)
        showError(QCoreApplication::translate(
            "EditingCommands", beforeUpdate ? kNotUpdated : kNotesAtRisk)
                      .arg(st.message()));
    return st;
}

void EditingCommands::updateFolderOk()
{
    const DbStatus st = m_hooks.updateFolder();
    if (!st)
        showError(st.message().isEmpty()
                ? QCoreApplication::translate("EditingCommands", kUpdateFailed)
                : st.message());
}

void EditingCommands::deleteFile()
{
    if (!viewHasRecord())
        return;
    m_grid->setFocus();
    CatalogTable *t = table();
    const QString name = t->text(CatalogTable::NAME);
    if (showDialog(DialogKind::Confirmation,
            QCoreApplication::translate("EditingCommands", kDeleteQuestion).arg(name))
        != QLatin1String("1"))
        return;
    const PathResolver resolver(rootPath());
    FileDeletion done;
    DbStatus descriptions;
    {
        const DetachedViews detached(*t);
        done = deleteCurrentFile(*t, resolver);
        if (done.fileDeleted && done.record && descriptionMode()) {
            const qint64 current = t->table().recNo();
            resolver.forget();
            descriptions = writeFolderDescriptions(*t, resolver, m_panels.panelText(2));
            if (current > 0)
                t->table().goTo(quint32(current));
        }
    }
    m_views.showCount();
    for (const DbStatus &st : { done.infoFile, done.record, descriptions })
        if (!st)
            showError(st.message());
}
