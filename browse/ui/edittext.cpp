#include "editpart.h"

#include "app/settingslook.h"
#include "app/ui/tform1.h"
#include "browse/catalogmodel.h"
#include "browse/filedelete.h"
#include "browse/textpane.h"
#include "browse/ui/browseviews.h"
#include "dialogs/regional.h"
#include "dialogs/ui/widgethelpers.h"
#include "dialogs/velmark.h"
#include "platform/diskpath.h"
#include "scan/foldernotes.h"
#include "scan/infofile.h"
#include "scan/ui/updatepart.h"
#include "store/catalogtable.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTextBlock>

namespace
{

const char kDeleteQuestion[] = "Delete file  '%1'  ?";
const char kExistsQuestion[] = "File  '%1'  exists !\rOverwrite ?";
const char kNotExists[] = "File  '%1'  not exists !";
const char kUnreadText[] = "%1\rThe text is not edited, so that it cannot be saved over.";
const char kTextKept[] = "%1\rThe text stays in the text pane: press F6 to save it again, "
                         "\"Save text as\" to keep it elsewhere, or F7 to drop it.";
const char kLossy[] = "Some characters of the text cannot be written in  '%1'  and were "
                      "saved as \"?\" !";
const char kNotesAtRisk[] = "%1\rThe notes stay in the catalogue, but the next update of "
                            "the folder reads the old Descript.ion back over them.";
const char kNotUpdated[] = "%1\rThe folder was not updated, so that the old Descript.ion "
                           "cannot replace the notes just confirmed.";
const char kUpdateFailed[] = "The catalogue could not be updated !";

void showError(const QString &message)
{
    ShowDialog(DialogKind::Error, message);
}

QString chooseFile(bool save, const QString &folder)
{
    QFileDialog dialog(QApplication::activeWindow(), QString(), folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The program asks about overwriting itself.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setNameFilter(QStringLiteral("Text-Files (*.txt)"));
    } else {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QStringLiteral("Text-files (*.txt)"));
    }
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

void EditPart::setFileChoosers(FileChooser saveAs, FileChooser open)
{
    m_saveAs = std::move(saveAs);
    m_open = std::move(open);
}

QString EditPart::textFolder() const
{
    const QString folder = m_form.state().settings.TextFolder;
    // The program folder is the process's current folder once an archive is open.
    return folder.isEmpty() ? QDir::currentPath() + QLatin1Char('/') : folder;
}

void EditPart::rememberTextFolder(const QString &file)
{
    m_form.state().settings.TextFolder = QFileInfo(file).absolutePath() + QLatin1Char('/');
}

// --- Text edit mode ---------------------------------------------------------------------

void EditPart::enterTextEdit()
{
    if (!viewHasRecord())
        return;
    BrowseViews *v = views();
    if (v && !v->textPaneStatus()) {
        showError(QString::fromLatin1(kUnreadText).arg(v->textPaneStatus().message()));
        return;
    }
    AppState &state = m_form.state();
    if (state.mode == UiMode::RecordEdit)
        DBGrid1Exit();
    CatalogTable *t = table();
    const PathResolver resolver(rootPath());
    m_textPath
        = infofile::infoFilePath(resolver, t->text(CatalogTable::DIR), t->text(CatalogTable::NAME));
    state.mode = UiMode::TextEdit;
    {
        const QScopedValueRollback<bool> busy(m_busy, true);
        m_form.Memo1->setFocus();
    }
    applyMenus();
    m_form.Memo1->setReadOnly(false);
    setBaseColour(m_form.Memo1, toQColor(state.settings.EditColor, m_form.Memo1->palette()));
}

// Writes the pane to the session's info file (an empty pane deletes it) and ends the
// mode. A failed write keeps the mode and the text, and says so.
bool EditPart::saveText(bool moveFocus)
{
    bool lossy = false;
    const DbStatus st = infofile::writeInfoText(m_textPath, m_form.Memo1->toPlainText(), &lossy);
    if (!st) {
        showError(QString::fromLatin1(kTextKept).arg(st.message()));
        return false;
    }
    const QString written = m_textPath;
    EndTextEdit(moveFocus);
    if (lossy)
        ShowDialog(DialogKind::Warning, QString::fromLatin1(kLossy).arg(written));
    return true;
}

void EditPart::EndTextEdit(bool moveFocus)
{
    AppState &state = m_form.state();
    state.mode = UiMode::Browse;
    m_textPath.clear();
    applyMenus();
    m_form.Memo1->setReadOnly(true);
    setBaseColour(m_form.Memo1, toQColor(state.settings.ViewColor, m_form.Memo1->palette()));
    if (moveFocus) {
        const QScopedValueRollback<bool> busy(m_busy, true);
        m_form.DBGrid1->setFocus();
    }
    // The pane shows what the current record's info file holds now.
    if (BrowseViews *v = views())
        v->DataSource1DataChange();
}

void EditPart::abortTextEdit()
{
    EndTextEdit(true);
}

void EditPart::DBMemo1Exit()
{
    saveText(false);
}

void EditPart::miTextSichClick()
{
    if (m_form.state().mode != UiMode::TextEdit)
        return;
    const QString path = m_saveAs ? m_saveAs(textFolder()) : chooseFile(true, textFolder());
    if (path.isEmpty())
        return;
    rememberTextFolder(path);
    if (QFileInfo::exists(path)
        && ShowDialog(DialogKind::WarningQuestion, QString::fromLatin1(kExistsQuestion).arg(path))
            != QLatin1String("1"))
        return;
    bool lossy = false;
    const DbStatus st = textpane::writeTextFile(path, m_form.Memo1->toPlainText(), &lossy);
    if (!st)
        showError(st.message());
    else if (lossy)
        ShowDialog(DialogKind::Warning, QString::fromLatin1(kLossy).arg(path));
}

void EditPart::miInsFileClick()
{
    if (m_form.state().mode != UiMode::TextEdit)
        return;
    const QString path = m_open ? m_open(textFolder()) : chooseFile(false, textFolder());
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        showError(QString::fromLatin1(kNotExists).arg(path));
        return;
    }
    rememberTextFolder(path);
    QString text;
    const DbStatus st = textpane::readTextFile(path, text);
    if (!st) {
        showError(st.message());
        return;
    }
    m_form.Memo1->textCursor().insertText(text);
}

void EditPart::miDelAllClick()
{
    if (m_form.state().mode == UiMode::TextEdit)
        m_form.Memo1->clear();
}

void EditPart::miheuteClick()
{
    if (m_form.state().mode == UiMode::TextEdit)
        m_form.Memo1->textCursor().insertText(
            regional::formatDate(regional::today()) + QLatin1Char(' '));
}

// Ctrl+Y: the caret's line goes, with one line end.
void EditPart::Action2Execute()
{
    if (m_form.state().mode != UiMode::TextEdit)
        return;
    QTextCursor cursor = m_form.Memo1->textCursor();
    const QTextBlock block = cursor.block();
    int from = block.position();
    int to = block.position() + block.length() - 1;
    if (block.next().isValid())
        ++to;
    else if (block.previous().isValid())
        --from;
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_form.Memo1->setTextCursor(cursor);
}

void EditPart::PopupMenu3Popup()
{
    if (QAction *link = TForm1::popupItem(m_form.PopupMenu3, QStringLiteral("popOpenlinkClick")))
        link->setEnabled(m_form.Memo1->textCursor().hasSelection());
}

// --- Browse mode ------------------------------------------------------------------------

DbStatus EditPart::writeDescriptions(bool beforeUpdate)
{
    CatalogTable *t = table();
    BrowseViews *v = views();
    const QString folder = m_form.panelText(2);
    if (!t || !t->isOpen() || (folder.isEmpty() && v && v->nodeCount() > 0))
        return DbStatus::ok();
    const PathResolver resolver(rootPath());
    const DbStatus st = WriteFolderDescriptions(*t, resolver, folder);
    if (v)
        v->ShowCount();
    if (!st)
        showError(QString::fromLatin1(beforeUpdate ? kNotUpdated : kNotesAtRisk).arg(st.message()));
    return st;
}

void EditPart::updateFolderOk()
{
    const DbStatus st = updateCurrentFolder(m_form);
    if (!st)
        showError(st.message().isEmpty() ? QString::fromLatin1(kUpdateFailed) : st.message());
}

void EditPart::deleteFile()
{
    if (!viewHasRecord())
        return;
    m_form.DBGrid1->setFocus();
    CatalogTable *t = table();
    const QString name = t->text(CatalogTable::NAME);
    if (ShowDialog(DialogKind::Confirmation, QString::fromLatin1(kDeleteQuestion).arg(name))
        != QLatin1String("1"))
        return;
    const PathResolver resolver(rootPath());
    FileDeletion done;
    DbStatus descriptions;
    t->detachViews();
    done = deleteCurrentFile(*t, resolver);
    if (done.fileDeleted && done.record && descriptionMode()) {
        const qint64 current = t->table().recNo();
        resolver.forget();
        descriptions = WriteFolderDescriptions(*t, resolver, m_form.panelText(2));
        if (current > 0)
            t->table().goTo(quint32(current));
    }
    t->attachViews();
    if (BrowseViews *v = views())
        v->ShowCount();
    for (const DbStatus &st : { done.infoFile, done.record, descriptions })
        if (!st)
            showError(st.message());
}
