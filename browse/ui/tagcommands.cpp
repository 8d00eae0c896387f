#include "tagcommands.h"

#include "browse/tagedit.h"
#include "browse/tagfilter.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/replacetagsdialog.h"
#include "browse/ui/taglisteditor.h"
#include "dialogs/shareddialog.h"
#include "dialogs/ui/widgethelpers.h"
#include "scan/textfile.h"
#include "state/bulkwalk.h"
#include "state/settingslook.h"
#include "store/catalogtable.h"
#include "views/ui/progresswindow.h"

#include <QCoreApplication>
#include <QTableView>

TagCommands::TagCommands(AppState &state, BrowseViews &views, StatusPanels &panels)
    : m_state(state)
    , m_views(views)
    , m_panels(panels)
{
    setObjectName(QStringLiteral("TagCommands"));
    // The walks that switch the filter off (folder update, description files, the
    // reorganisation) leave the record count in panel 3.
    if (CatalogTable *t = state.catalog)
        connect(t, &CatalogTable::tagFilterSwitchedOff, this, [this] { m_views.showCount(); });
    connect(&views, &BrowseViews::reorganised, this, [this] { m_tagFilter.clear(); });
}

QWidget *TagCommands::mainWindow() const
{
    return m_views.grid()->window();
}

// The add and delete prompt: the answer is remembered as the next preset (Esc forgets
// it), and so is the tag it names.
QString TagCommands::askTag(const QString &prompt)
{
    QString answer;
    showDialog(DialogKind::TextInput, prompt, m_lastTag, answer);
    m_lastTag = isEscAnswer(answer) ? QString() : answer;
    CatalogTable *t = m_state.openTable();
    const QString tag = tagedit::tagOfAnswer(answer, t ? t->codec() : TextCodec::windows1252());
    if (!tag.isEmpty())
        m_lastTag = tag;
    return tag;
}

DbStatus TagCommands::changeCurrentTags(const std::function<QString(const QString &)> &change)
{
    CatalogTable *t = m_state.openTable();
    if (!t || t->table().recNo() <= 0)
        return DbStatus::ok();
    const QString was = t->text(CatalogTable::CODE);
    const QString now = change(was);
    if (now == was)
        return DbStatus::ok();
    // The grid reads its rows again once the record is written.
    const DetachedViews detached(*t);
    DbStatus st = t->table().edit();
    if (!st)
        return st;
    t->setText(CatalogTable::CODE, now);
    st = t->table().post();
    if (!st)
        t->table().cancel();
    return st;
}

void TagCommands::addTag()
{
    if (!m_state.openTable())
        return;
    const QString tag = askTag(tagedit::addPrompt());
    if (tag.isEmpty())
        return;
    const QString refusal = tagedit::addRefusal(tag, m_state.openTable()->codec());
    if (!refusal.isEmpty())
        showDialog(DialogKind::Error, refusal);
    else
        BrowseViews::throwIfFailed(
            changeCurrentTags([&](const QString &code) { return tagedit::added(code, tag); }));
}

void TagCommands::deleteTag()
{
    if (!m_state.openTable())
        return;
    const QString tag = askTag(tagedit::deletePrompt());
    if (!tag.isEmpty())
        BrowseViews::throwIfFailed(
            changeCurrentTags([&](const QString &code) { return tagedit::removed(code, tag); }));
}

void TagCommands::replaceTags()
{
    CatalogTable *t = m_state.openTable();
    if (!t)
        return;
    const int node = m_views.selectedNodeIndex();
    ReplaceTagsDialog dialog(
        mainWindow(), t->tagFilterOn() ? m_tagFilter : QString(),
        [this](const QString &from, const QString &to, bool allFolders) {
            replaceTags(from, to, allFolders);
        },
        t->codec());
    dialog.exec();
    // The node selected before is selected again; choosing another one runs selectFolder.
    if (node >= 0 && node != m_views.selectedNodeIndex())
        BrowseViews::throwIfFailed(m_views.selectNodeAt(node));
}

// Runs inside the dialog: a failure is shown here, since nothing may escape its event loop.
void TagCommands::replaceTags(const QString &from, const QString &to, bool allFolders)
{
    CatalogTable *t = m_state.openTable();
    if (!t)
        return;
    tagedit::Replacement replacement;
    replacement.from = from;
    replacement.to = to;
    replacement.allFolders = allFolders;
    replacement.folder = m_panels.panelText(2);
    DbStatus st;
    {
        const BulkWalk walk(m_state);
        ProgressWindow progress(mainWindow(),
            QCoreApplication::translate("Progress", "Replacing tags"),
            QCoreApplication::translate("Progress", "records"));
        st = tagedit::replaceTags(*t, replacement, &progress);
    }
    m_views.showCurrentRecord();
    if (st.code() == DbStatus::Cancelled)
        // The records changed by then keep their new tags.
        m_panels.setPanelText(0, QCoreApplication::translate("Progress", "Replace tags cancelled"));
    else if (!st)
        showDialog(DialogKind::Error, st.message());
}

void TagCommands::filterTags()
{
    CatalogTable *t = m_state.openTable();
    if (!t)
        return;
    if (t->tagFilterOn()) {
        BrowseViews::throwIfFailed(switchFilterOff());
        return;
    }
    QString answer;
    showDialog(DialogKind::TextInput, tagfilter::prompt(), m_tagFilter, answer);
    if (isEscAnswer(answer)) {
        m_tagFilter.clear();
        return;
    }
    if (answer.isEmpty())
        return;
    m_tagFilter = tagfilter::fromAnswer(answer, t->codec());
    BrowseViews::throwIfFailed(switchFilterOn());
}

DbStatus TagCommands::switchFilterOn()
{
    CatalogTable &t = *m_state.catalog;
    DbStatus st;
    {
        const WaitCursor wait;
        const DetachedViews detached(t);
        const qint64 current = t.table().recNo();
        t.setTagFilter(tagfilter::recordFilter(t.table(), m_tagFilter));
        // The current record stays when the filter lets it pass.
        if (current <= 0 || !t.table().goTo(quint32(current)))
            st = t.table().first();
    }
    m_panels.setPanelText(3, tagfilter::panelText(m_tagFilter));
    return st;
}

DbStatus TagCommands::switchFilterOff()
{
    CatalogTable &t = *m_state.catalog;
    DbStatus st;
    {
        const DetachedViews detached(t);
        t.switchTagFilterOff();
        st = m_views.selectFolder();
    }
    m_views.showCount();
    return st;
}

void TagCommands::editTagList()
{
    if (!m_state.openTable())
        return;
    const Settings &s = m_state.settings;
    const QString path = tagedit::tagListPath(m_state.rootPath(), s.archiveName);
    QString text;
    const DbStatus read = tagedit::readTagList(path, text);
    // A list that cannot be read is not offered for editing: saving would replace it.
    BrowseViews::throwIfFailed(read);
    QWidget *window = mainWindow();
    TagListEditor editor(window, text, s.tagEditorBounds, toQColor(s.editColor, window->palette()),
        m_state.viewFont);
    editor.exec();
    m_state.settings.tagEditorBounds = editor.bounds();
    if (!editor.saveWanted())
        return;
    bool lossy = false;
    BrowseViews::throwIfFailed(tagedit::writeTagList(path, editor.text(), &lossy));
    if (lossy)
        showDialog(DialogKind::Warning, textfile::lossyWarning(path));
}
