#include "updatepart.h"

#include "app/ui/tform1.h"
#include "browse/ui/browseviews.h"
#include "dialogs/ui/widgethelpers.h"
#include "dialogs/velmark.h"
#include "platform/diskpath.h"
#include "scan/foldernotes.h"
#include "scan/foldertree.h"
#include "scan/folderupdate.h"
#include "store/catalogtable.h"

#include <QApplication>
#include <QTreeWidget>

namespace
{

const QString kUpdateAllQuestion = QStringLiteral("Update all folders ?");

// Moving through records during a walk neither loads info files nor drives the viewer;
// the flag is set again however the walk ends.
class FollowPause
{
public:
    explicit FollowPause(AppState &state)
        : m_state(state)
    {
        m_state.FollowCurrentRecord = false;
    }
    ~FollowPause() { m_state.FollowCurrentRecord = true; }
    FollowPause(const FollowPause &) = delete;
    FollowPause &operator=(const FollowPause &) = delete;

private:
    AppState &m_state;
};

// The grid and text pane stay detached from the table for the whole walk, and the tree
// unlocked again, however the walk ends.
class ViewsDetached
{
public:
    explicit ViewsDetached(CatalogTable &t)
        : m_table(t)
    {
        m_table.detachViews();
    }
    ~ViewsDetached() { m_table.attachViews(); }
    ViewsDetached(const ViewsDetached &) = delete;
    ViewsDetached &operator=(const ViewsDetached &) = delete;

private:
    CatalogTable &m_table;
};

class TreeLocked
{
public:
    explicit TreeLocked(QWidget *tree)
        : m_tree(tree)
    {
        m_tree->setUpdatesEnabled(false);
    }
    ~TreeLocked() { m_tree->setUpdatesEnabled(true); }
    TreeLocked(const TreeLocked &) = delete;
    TreeLocked &operator=(const TreeLocked &) = delete;

private:
    QWidget *m_tree;
};

// The failures of a command that goes on after one: the first is shown, with the number
// of the others.
class Failures
{
public:
    void add(const DbStatus &st)
    {
        if (st)
            return;
        if (m_count++ == 0)
            m_first = st;
    }
    void report() const
    {
        if (m_count == 0)
            return;
        QString message = m_first.message();
        if (message.isEmpty())
            message = QStringLiteral("The catalogue could not be updated !");
        if (m_count > 1)
            message += QStringLiteral("\r%1 more folders could not be updated.").arg(m_count - 1);
        QString answer;
        ShowDialog(DialogKind::Error, message, QString(), answer);
    }

private:
    DbStatus m_first;
    int m_count = 0;
};

CatalogTable *openTable(TForm1 &form)
{
    CatalogTable *t = form.state().Dbf1;
    return t && t->isOpen() ? t : nullptr;
}

QString rootPathOf(TForm1 &form)
{
    const QString root = form.state().settings.RootPath;
    CatalogTable *t = form.state().Dbf1;
    return root.isEmpty() && t ? t->rootPath() : root;
}

bool descriptionMode(TForm1 &form)
{
    return form.state().settings.FolderInfoMode != 0;
}

// The views after a walk: grid row and text pane on the table's current record, count.
void showResult(BrowseViews *views)
{
    if (!views)
        return;
    views->showCurrentRecord();
    views->ShowCount();
}

void miOrdnerupdate1Click(TForm1 &form)
{
    BrowseViews *views = BrowseViews::of(form);
    CatalogTable *t = openTable(form);
    if (!views || !t)
        return;
    Failures failures;
    {
        const WaitCursor wait;
        if (form.state().settings.DeleteEmptyFolders == 1)
            RemoveEmptyFolders(rootPathOf(form));
        int index = views->selectedNodeIndex();
        failures.add(views->RebuildFolderTree());
        views->applyExpansionRule();
        index = qBound(0, index, qMax(0, views->nodeCount() - 1));
        // With no node the root folder's own files are shown; in description mode they
        // are merged as a selected folder's would be.
        failures.add(views->selectNodeAt(index));
        if (views->nodeCount() == 0 && descriptionMode(form)) {
            PathResolver resolver(rootPathOf(form));
            failures.add(UpdateFolder(*t, resolver, QString(), true));
        }
        form.TreeView1->setFocus();
        showResult(views);
    }
    failures.report();
}

// One folder of update all. In description mode selecting the node has merged the folder
// already; merging it again would find nothing to change.
DbStatus updateNode(
    TForm1 &form, BrowseViews &views, const PathResolver &resolver, int index, FolderWalk &walk)
{
    CatalogTable &t = *form.state().Dbf1;
    DbStatus st = views.selectNodeAt(index);
    const QString folder = views.selectedFolderPath();
    if (!st)
        return st;
    if (!descriptionMode(form))
        return UpdateFolder(t, resolver, folder, false, nullptr, true, &walk);
    // Selecting wrote no file; the folder's listing is taken afresh for the new file.
    resolver.forget();
    return WriteFolderDescriptions(t, resolver, folder);
}

// Every folder of the tree in turn, then the records of every file that no longer exists.
void updateEveryFolder(TForm1 &form, BrowseViews &views, Failures &failures)
{
    CatalogTable &t = *form.state().Dbf1;
    const FollowPause pause(form.state());
    PathResolver resolver(rootPathOf(form));
    const ViewsDetached detached(t);
    // The folders merged here are not listed again by the sweep; those the walk does not
    // reach (hidden ones, say) are. Without descriptions nothing is written to the disk on
    // the way, so the listings can be read a few folders ahead.
    FolderWalk walk;
    const int count = views.nodeCount();
    if (!descriptionMode(form)) {
        QStringList folders;
        for (int i = 0; i < count; ++i)
            folders << views.folderPathAt(i);
        walk.readAhead(resolver, folders);
    }
    for (int i = 0; i < count; ++i)
        failures.add(updateNode(form, views, resolver, i, walk));
    if (count == 0) {
        // The root folder is the one folder the archive shows.
        failures.add(views.selectNodeAt(0));
        const DbStatus st
            = UpdateFolder(t, resolver, QString(), descriptionMode(form), nullptr, false, &walk);
        failures.add(st);
        if (st && descriptionMode(form))
            failures.add(WriteFolderDescriptions(t, resolver, QString()));
    }
    const TreeLocked locked(form.TreeView1);
    failures.add(SweepOrphans(t, resolver, nullptr, &walk));
}

void miAllUpdClick(TForm1 &form)
{
    BrowseViews *views = BrowseViews::of(form);
    if (!views || !openTable(form))
        return;
    QString answer;
    ShowDialog(DialogKind::Confirmation, kUpdateAllQuestion, QString(), answer);
    if (answer != QLatin1String("1"))
        return;
    Failures failures;
    {
        const WaitCursor wait;
        if (form.state().settings.DeleteEmptyFolders == 1)
            RemoveEmptyFolders(rootPathOf(form));
        failures.add(views->RebuildFolderTree());
        updateEveryFolder(form, *views, failures);
        views->ShowCount();
        form.TreeView1->setFocus();
        failures.add(views->selectNodeAt(0));
        views->ClearSearch();
        showResult(views);
    }
    failures.report();
}

} // namespace

DbStatus updateCurrentFolder(TForm1 &form)
{
    CatalogTable *t = openTable(form);
    BrowseViews *views = BrowseViews::of(form);
    if (!t)
        return DbStatus::ok();
    form.StopViewerSync();
    const QString folder = form.panelText(2);
    if (folder.isEmpty() && views && views->nodeCount() > 0)
        return DbStatus::ok();
    DbStatus st;
    {
        const WaitCursor wait;
        const FollowPause pause(form.state());
        PathResolver resolver(rootPathOf(form));
        st = UpdateFolder(*t, resolver, folder, descriptionMode(form));
        if (st && descriptionMode(form))
            st = WriteFolderDescriptions(*t, resolver, folder);
    }
    showResult(views);
    return st;
}

void installFolderUpdate(TForm1 &form)
{
    form.setHandler(
        QStringLiteral("miOrdnerupdate1Click"), [&form] { miOrdnerupdate1Click(form); });
    form.setHandler(QStringLiteral("miAllUpdClick"), [&form] { miAllUpdClick(form); });
    // Only the browse-mode meaning of the key lives here; OK in the edit modes belongs to
    // the editing commands, which install their own handler and call
    // updateCurrentFolder() where they need the update.
    form.setHandler(QStringLiteral("miOkClick"), [&form] {
        if (form.state().mode != UiMode::Browse)
            return;
        Failures failures;
        failures.add(updateCurrentFolder(form));
        failures.report();
    });
}
