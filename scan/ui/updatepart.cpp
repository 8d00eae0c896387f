#include "updatepart.h"

#include "app/ui/tform1.h"
#include "browse/ui/browseviews.h"
#include "dialogs/ui/widgethelpers.h"
#include "dialogs/velmark.h"
#include "platform/diskpath.h"
#include "scan/foldernotes.h"
#include "scan/foldertree.h"
#include "scan/folderupdate.h"
#include "scan/updateall.h"
#include "store/catalogtable.h"

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

// The grid and text pane stay detached from the table for the whole command, however it
// ends.
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

// Failures are shown once the views are whole again.
void report(const UpdateFailures &failures)
{
    if (failures.isEmpty())
        return;
    QString answer;
    ShowDialog(DialogKind::Error, failures.message(), QString(), answer);
}

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
    UpdateFailures failures;
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
    report(failures);
}

// The walk with the views detached, then the views once: the tree filled from the walk's
// tree with every branch expanded (the walk went through every folder), the first node
// selected, the search cleared. FollowCurrentRecord is set again before the views are
// attached, so that the text pane shows the record they end on.
UpdateFailures updateAllAndShow(TForm1 &form, BrowseViews &views, CatalogTable &t)
{
    const ViewsDetached detached(t);
    UpdateFailures failures;
    {
        const FollowPause pause(form.state());
        FolderTree tree;
        const UpdateAllSettings settings { rootPathOf(form), descriptionMode(form),
            form.state().settings.DeleteEmptyFolders == 1 };
        failures = UpdateAll(t, tree, settings).failures;
        views.showFolderTree(tree);
        views.expandEveryNode();
        views.ShowCount();
    }
    form.TreeView1->setFocus();
    failures.add(views.selectNodeAt(0));
    views.ClearSearch();
    return failures;
}

void miAllUpdClick(TForm1 &form)
{
    BrowseViews *views = BrowseViews::of(form);
    CatalogTable *t = openTable(form);
    if (!views || !t)
        return;
    QString answer;
    ShowDialog(DialogKind::Confirmation, kUpdateAllQuestion, QString(), answer);
    if (answer != QLatin1String("1"))
        return;
    UpdateFailures failures;
    {
        const WaitCursor wait;
        failures = updateAllAndShow(form, *views, *t);
        showResult(views);
    }
    report(failures);
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
        UpdateFailures failures;
        failures.add(updateCurrentFolder(form));
        report(failures);
    });
}
