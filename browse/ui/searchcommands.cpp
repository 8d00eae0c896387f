#include "searchcommands.h"

#include "browse/ui/browseviews.h"
#include "dialogs/regional.h"
#include "dialogs/shareddialog.h"
#include "dialogs/ui/widgethelpers.h"
#include "platform/beep.h"
#include "state/bulkwalk.h"
#include "store/catalogtable.h"
#include "views/ui/progresswindow.h"

#include <QCoreApplication>
#include <QTableView>
#include <QTreeWidget>

namespace
{

// The tone of a search that finds nothing.
void missed()
{
    beep::sound(800, 300);
}

} // namespace

SearchCommands::SearchCommands(AppState &state, BrowseViews &views, StatusPanels &panels,
    CommandPort &commands, std::function<bool()> finishEditing)
    : m_state(state)
    , m_views(views)
    , m_panels(panels)
    , m_commands(commands)
    , m_finishEditing(std::move(finishEditing))
{
    setObjectName(QStringLiteral("SearchCommands"));
    connect(&views, &BrowseViews::searchCleared, this, [this] { m_searchText.clear(); });
}

void SearchCommands::searchDown()
{
    search(true);
}

void SearchCommands::searchUp()
{
    search(false);
}

void SearchCommands::search(bool down)
{
    CatalogTable *t = m_state.openTable();
    if (!t)
        return;
    // Leaving an edit mode writes what was typed, with the record rules in force.
    if (m_state.mode != UiMode::Browse && m_finishEditing && !m_finishEditing())
        return;
    if (m_state.settings.searchInText == 0)
        m_state.followCurrentRecord = false;
    DbStatus st;
    if (t->table().physicalCount() > 0)
        st = searchFor(down);
    // The views show the current record again, the text pane its text.
    m_state.followCurrentRecord = true;
    m_views.showCurrentRecord();
    BrowseViews::throwIfFailed(st);
}

DbStatus SearchCommands::searchFor(bool down)
{
    if (m_searchText.isEmpty()) {
        QString answer;
        showDialog(DialogKind::TextInput, search::prompt(), m_searchText, answer);
        m_searchText = search::textOfAnswer(answer, m_state.catalog->codec());
    }
    if (m_searchText.isEmpty()) {
        m_panels.setPanelText(0, regional::longDate(regional::today()));
        return DbStatus::ok();
    }
    m_commands.setCommandEnabled(Command::ClearSearch, true);
    m_panels.setPanelText(0, m_searchText);
    const WaitCursor wait;
    const search::Kind kind = search::kindOf(m_searchText, m_state.settings.searchInText != 0);
    return kind == search::Kind::Folder ? folderSearch(down) : recordSearch(down, kind);
}

QString SearchCommands::nodeText(int index) const
{
    QString path = m_views.folderPathAt(index);
    path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

DbStatus SearchCommands::folderSearch(bool down)
{
    const TextCodec &codec
        = m_state.openTable() ? m_state.openTable()->codec() : TextCodec::windows1252();
    const int found = search::findFolderNode([this](int i) { return nodeText(i); },
        m_views.nodeCount(), m_views.selectedNodeIndex(), m_searchText, down, codec);
    DbStatus st;
    if (found >= 0)
        st = m_views.selectNodeAt(found);
    else
        missed();
    QTreeWidget *tree = m_views.tree();
    if (QTreeWidgetItem *item = tree->currentItem())
        tree->scrollToItem(item);
    tree->setFocus();
    if (CatalogTable *t = m_state.openTable())
        search::walkToFolderName(t->table(), m_searchText, down);
    return st;
}

DbStatus SearchCommands::recordSearch(bool down, search::Kind kind)
{
    CatalogTable &t = *m_state.catalog;
    m_views.grid()->setFocus();
    RecordMatcher matcher(t.table(), m_searchText, kind, m_state.rootPath());
    // The scan does not move the table, so the views need no detaching for it: after a
    // miss they are as they were, without a repaint.
    SearchHit hit;
    DbStatus st;
    {
        ProgressWindow progress(m_views.grid()->window(), QStringLiteral("Searching"),
            QCoreApplication::translate("Progress", "records"));
        st = findNextMatch(t, matcher, down, hit, &progress);
    }
    // Stopped, the search stays where it was and keeps its text for the next one.
    if (st.code() == DbStatus::Cancelled) {
        m_panels.setPanelText(0, QCoreApplication::translate("Progress", "Search cancelled"));
        return DbStatus::ok();
    }
    if (!st)
        return st;
    if (hit.recno == 0) {
        missed();
        return DbStatus::ok();
    }
    const bool inText = kind == search::Kind::Text && matcher.textHolds(hit.record.constData());
    m_panels.setPanelText(0, search::matchPanelText(m_searchText, inText));
    const BulkWalk walk(m_state);
    return showMatch(hit);
}

// The match's folder selected in the tree (when a node has it) and the table restricted
// to it, with the match current.
DbStatus SearchCommands::showMatch(const SearchHit &hit)
{
    CatalogTable &t = *m_state.catalog;
    DbStatus st = t.table().cancelRange();
    if (st)
        st = t.table().goTo(hit.recno);
    if (!st)
        return st;
    const QString dir = t.text(CatalogTable::DIR);
    if (t.folderKey(m_views.selectedFolderPath()) != t.folderKey(dir)) {
        const DbStatus selected = m_views.selectFolderPath(dir);
        if (!selected && selected.code() != DbStatus::NotFound)
            st = selected;
    } else if (QTreeWidgetItem *item = m_views.tree()->currentItem()) {
        m_views.tree()->scrollToItem(item);
    }
    const DbStatus ranged = t.setFolderRange(dir);
    if (ranged)
        // Gone only when selecting the folder updated it and the file had vanished.
        t.table().goTo(hit.recno);
    return st ? ranged : st;
}
