#include "app/ui/mainwindow.h"
#include "browse/catalogmodel.h"
#include "browse/ui/browseviews.h"
#include "dialogs/shareddialog.h"
#include "store/catalogtable.h"
#include "support/catalogrecords.h"
#include "support/gui/mainwindowfixture.h"
#include "support/testutil.h"
#include "views/ui/foldertreeview.h"

#include <QtTest>

#include <QAction>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTreeWidget>

namespace
{

using Rec = testutil::CatalogRecord;

} // namespace

class TestBrowse : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startShowsFirstFolderAndPanels();
    void foldersShowExactlyTheirRecords_data();
    void foldersShowExactlyTheirRecords();
    void treeOrderAndAbsoluteIndexes();
    void emptyTreeShowsRootFolderFiles();
    void countPanel();
    void typeAheadKeys_data();
    void typeAheadKeys();
    void titleClicksAndSwitchIndex();
    void textPaneFollowsCurrentRecord();
    void gridAndTableInStep();
    void treeKeysAndExpansion();
    void collapsedAtStartWhenSet();
    void reorganisation();
    void rebuildFailureLeavesTreeUsable();
    void ensureFolderAndRebuild();
    void descriptionModeUpdatesSelectedFolder();
    void selectionWithoutFocusOnSilver();

private:
    void makeFolders(const QStringList &relative);
    void openArchive(const QList<Rec> &records);
    void start();
    QString currentName() const;
    QColor titleColor(int column) const;
    void selectByClick(const QString &folderPath);
    void setCurrent(const QString &name);

    BrowseViews *m_views = nullptr;
};

void TestBrowse::init()
{
    setUpWindow();
    m_views = &m_form->families().browsing();
    QVERIFY(m_views);
}

void TestBrowse::cleanup()
{
    tearDownWindow();
}

void TestBrowse::makeFolders(const QStringList &relative)
{
    for (const QString &r : relative)
        QVERIFY(QDir().mkpath(root() + r));
}

void TestBrowse::openArchive(const QList<Rec> &records)
{
    openCatalogue();
    QList<Rec> dated = records;
    for (Rec &r : dated)
        r.date = QDate(2021, 12, 31);
    QVERIFY(testutil::addRecords(*table(), dated));
}

// As at start-up: the archive is open and followed, then the window is shown.
void TestBrowse::start()
{
    m_form->state().followCurrentRecord = true;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QTRY_VERIFY(tree()->hasFocus() || tree()->topLevelItemCount() == 0);
}

QString TestBrowse::currentName() const
{
    const QModelIndex index = grid()->currentIndex();
    return index.isValid() ? grid()->model()->index(index.row(), 0).data().toString() : QString();
}

QColor TestBrowse::titleColor(int column) const
{
    const QVariant v = grid()->model()->headerData(column, Qt::Horizontal, Qt::ForegroundRole);
    return v.isValid() ? v.value<QBrush>().color() : QColor();
}

void TestBrowse::selectByClick(const QString &folderPath)
{
    QTreeWidget *tree = this->tree();
    QTreeWidgetItem *item = findNode(tree, folderPath);
    QVERIFY2(item, qPrintable(folderPath));
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    QCOMPARE(tree->currentItem(), item);
}

void TestBrowse::setCurrent(const QString &name)
{
    const QStringList names = gridNames();
    QVERIFY2(names.contains(name), qPrintable(name));
    QTableView *grid = this->grid();
    const QModelIndex index = grid->model()->index(int(names.indexOf(name)), 0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    QCOMPARE(m_form->state().catalog->text(CatalogTable::NAME), name);
}

void TestBrowse::startShowsFirstFolderAndPanels()
{
    makeFolders({ "Zeta", "alpha/inner" });
    openArchive({ { "ALPHA\\", "a.txt" }, { "ZETA\\", "z.txt" }, { "", "root.txt" } });
    start();
    QTreeWidget *tree = this->tree();
    QCOMPARE(m_views->selectedNodeIndex(), 0);
    QCOMPARE(m_views->selectedFolderPath(), QStringLiteral("alpha\\"));
    QCOMPARE(m_form->panelText(2), QStringLiteral("alpha\\"));
    QCOMPARE(gridNames(), QStringList { "a.txt" });
    QCOMPARE(m_form->panelText(0), QStringLiteral("7. December 2026"));
    QCOMPARE(m_form->panelText(1), shortenLeft(root()));
    QCOMPARE(m_form->panelText(3), QStringLiteral("3"));
    QVERIFY(tree->updatesEnabled());
    QVERIFY(tree->isExpanded(tree->model()->index(0, 0)));
    QCOMPARE(titleColor(CatalogModel::FileColumn), QColor(Qt::red));
    QVERIFY(!titleColor(CatalogModel::SizeColumn).isValid());
}

void TestBrowse::foldersShowExactlyTheirRecords_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("Bilder\\Fotos") << "Bilder\\Fotos\\" << QStringList { "f1.jpg", "f2.jpg" };
    QTest::newRow("below it") << "Bilder\\Fotos\\Alt\\" << QStringList { "alt.jpg" };
    QTest::newRow("longer sibling") << "Bilder\\Fotosammlung\\" << QStringList { "s.jpg" };
    QTest::newRow("PHOTOS") << "PHOTOS\\" << QStringList { "p.jpg" };
    QTest::newRow("PHOTOSAMMLUNG") << "PHOTOSAMMLUNG\\" << QStringList { "ps.jpg" };
    QTest::newRow("no records") << "Bilder\\" << QStringList {};
}

void TestBrowse::foldersShowExactlyTheirRecords()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, names);
    makeFolders({ "Bilder/Fotos/Alt", "Bilder/Fotosammlung", "PHOTOS", "PHOTOSAMMLUNG", "Zzz" });
    openArchive({ { "BILDER\\FOTOS\\", "f2.jpg" }, { "BILDER\\FOTOS\\ALT\\", "alt.jpg" },
        { "BILDER\\FOTOSAMMLUNG\\", "s.jpg" }, { "PHOTOS\\", "p.jpg" },
        { "PHOTOSAMMLUNG\\", "ps.jpg" }, { "BILDER\\FOTOS\\", "f1.jpg" }, { "", "root.txt" } });
    start();
    QVERIFY(m_views->selectFolderPath(QStringLiteral("Zzz\\")));
    QSignalSpy selected(m_views, &BrowseViews::folderSelected);
    selectByClick(folder);
    QCOMPARE(m_form->panelText(2), folder);
    QCOMPARE(gridNames(), names);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).toString(), folder);
    QCOMPARE(m_form->state().catalog->table().recNo() > 0, !names.isEmpty());
}

void TestBrowse::treeOrderAndAbsoluteIndexes()
{
    makeFolders({ "b", "A/x/deep", "c", ".git/objects" });
    openArchive({});
    start();
    QTreeWidget *tree = this->tree();
    QStringList paths;
    for (int i = 0; i < m_views->nodeCount(); ++i)
        paths << folderPathOfNode(nodeAt(tree, i));
    QCOMPARE(paths, (QStringList { "A\\", "A\\x\\", "A\\x\\deep\\", "b\\", "c\\" }));
    QVERIFY(!nodeAt(tree, 5));
    QVERIFY(!nodeAt(tree, -1));
    QVERIFY(m_views->selectNodeAt(2));
    QCOMPARE(m_views->selectedNodeIndex(), 2);
    QCOMPARE(m_form->panelText(2), QStringLiteral("A\\x\\deep\\"));
    // An index beyond the tree changes nothing.
    QCOMPARE(m_views->selectNodeAt(9).code(), DbStatus::InvalidArgument);
    QCOMPARE(m_views->selectedNodeIndex(), 2);
    QVERIFY(m_views->selectFolderPath(QStringLiteral("a\\X\\")));
    QCOMPARE(m_views->selectedNodeIndex(), 1);
    QCOMPARE(m_views->selectFolderPath(QStringLiteral("nowhere\\")).code(), DbStatus::NotFound);
    // A node removed from the tree (an emptied folder deleted) shifts the indexes.
    delete nodeAt(tree, 1);
    QCOMPARE(m_views->nodeCount(), 3);
    QVERIFY(m_views->selectNodeAt(1));
    QCOMPARE(m_form->panelText(2), QStringLiteral("b\\"));
}

void TestBrowse::emptyTreeShowsRootFolderFiles()
{
    openArchive({ { "GONE\\", "stale.txt" }, { "", "root1.txt" }, { "", "root2.txt" } });
    start();
    QCOMPARE(m_views->nodeCount(), 0);
    QCOMPARE(m_views->selectedNodeIndex(), -1);
    QCOMPARE(m_form->panelText(2), QString());
    QCOMPARE(gridNames(), (QStringList { "root1.txt", "root2.txt" }));
    // Keys and commands of the tree have nothing to act on.
    tree()->setFocus();
    QTest::keyClick(tree(), Qt::Key_Escape);
    QTest::keyClick(tree(), Qt::Key_Return);
    m_form->commands().runCommand(Command::CollapseAll);
    m_form->commands().runCommand(Command::ExpandAll);
    QCOMPARE(gridNames(), (QStringList { "root1.txt", "root2.txt" }));
}

void TestBrowse::countPanel()
{
    QList<Rec> recs;
    for (int i = 0; i < 1000; ++i)
        recs.append({ QStringLiteral("F\\"),
            QStringLiteral("file%1.txt").arg(i, 4, 10, QLatin1Char('0')) });
    makeFolders({ "F" });
    openArchive(recs);
    start();
    QCOMPARE(m_form->panelText(3), QStringLiteral("1'000"));
    CatalogTable *t = m_form->state().catalog;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(t->table().deleteRecord());
        ++t->deletedCount;
    }
    m_views->showCount();
    QCOMPARE(m_form->panelText(3), QStringLiteral("997 (3)"));
}

void TestBrowse::typeAheadKeys_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QChar>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("wraps to the top") << "Birne" << QChar('b') << "Banane";
    QTest::newRow("next after the first") << "Apfel" << QChar('b') << "Banane";
    QTest::newRow("no match: the last") << "Apfel" << QChar('x') << "Birne";
}

void TestBrowse::typeAheadKeys()
{
    QFETCH(QString, current);
    QFETCH(QChar, key);
    QFETCH(QString, expected);
    makeFolders({ "Obst", "Obstkorb" });
    openArchive({ { "OBST\\", "Birne" }, { "OBSTKORB\\", "Beere" }, { "OBST\\", "Banane" },
        { "OBST\\", "Apfel" } });
    start();
    QCOMPARE(gridNames(), (QStringList { "Apfel", "Banane", "Birne" }));
    setCurrent(current);
    QTest::keyClick(grid(), key.toLatin1());
    QCOMPARE(currentName(), expected);
    QCOMPARE(m_form->state().catalog->text(CatalogTable::NAME), expected);
    QCOMPARE(gridNames(), (QStringList { "Apfel", "Banane", "Birne" }));
}

void TestBrowse::titleClicksAndSwitchIndex()
{
    makeFolders({ "Obst" });
    openArchive({ { "OBST\\", "Birne" }, { "OBST\\", "Banane" }, { "OBST\\", "Apfel" } });
    start();
    CatalogTable *t = m_form->state().catalog;
    QTableView *grid = this->grid();
    QHeaderView *header = grid->horizontalHeader();
    setCurrent(QStringLiteral("Banane"));
    const auto clickTitle = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    const QList<QPair<int, QByteArray>> clicks
        = { { CatalogModel::DateColumn, "2" }, { CatalogModel::TagsColumn, "3" },
              { CatalogModel::NoteColumn, "4" }, { CatalogModel::FileColumn, "1" } };
    for (const auto &click : clicks) {
        clickTitle(click.first);
        QCOMPARE(t->orderName(), click.second);
        for (int c = CatalogModel::FileColumn; c <= CatalogModel::DateColumn; ++c)
            QCOMPARE(titleColor(c), c == click.first ? QColor(Qt::red) : QColor(Qt::black));
        QVERIFY(!titleColor(CatalogModel::SizeColumn).isValid());
        QCOMPARE(currentName(), QStringLiteral("Banane"));
        QCOMPARE(gridNames().size(), 3);
    }
    // The Size title switches nothing; the Note column takes the rest again.
    grid->setColumnWidth(CatalogModel::NoteColumn, 10);
    clickTitle(CatalogModel::SizeColumn);
    QCOMPARE(t->orderName(), QByteArray("1"));
    int rest = grid->width() - 20;
    for (int c : { 0, 2, 3, 4 })
        rest -= grid->columnWidth(c);
    QCOMPARE(grid->columnWidth(CatalogModel::NoteColumn), qMax(rest, header->minimumSectionSize()));

    // Alt+F3 cycles File, Note, Tags, Date, File.
    const QList<QPair<QByteArray, int>> cycle
        = { { "4", CatalogModel::NoteColumn }, { "3", CatalogModel::TagsColumn },
              { "2", CatalogModel::DateColumn }, { "1", CatalogModel::FileColumn } };
    for (const auto &step : cycle) {
        QTest::keyClick(grid, Qt::Key_F3, Qt::AltModifier);
        QCOMPARE(t->orderName(), step.first);
        QCOMPARE(titleColor(step.second), QColor(Qt::red));
        QCOMPARE(currentName(), QStringLiteral("Banane"));
    }
}

void TestBrowse::textPaneFollowsCurrentRecord()
{
    makeFolders({ "Docs/Sub", "Other" });
    QVERIFY(testutil::writeFile(root() + "Docs/Sub/a.txt.!", "Hallo\r\nWelt\r\n"));
    QVERIFY(testutil::writeFile(root() + "Docs/Sub/b.txt.!", ""));
    QVERIFY(testutil::writeFile(root() + "Other/O.TXT.!", "anders"));
    openArchive({ { "DOCS\\SUB\\", "a.txt" }, { "DOCS\\SUB\\", "b.txt" },
        { "DOCS\\SUB\\", "c.txt" }, { "OTHER\\", "o.txt" } });
    start();
    QVERIFY(m_views->selectFolderPath(QStringLiteral("docs\\sub\\")));
    QPlainTextEdit *memo = this->textPane();
    QCOMPARE(memo->toPlainText(), QStringLiteral("Hallo\nWelt"));
    QSignalSpy shown(m_views, &BrowseViews::currentRecordShown);
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_Down);
    QCOMPARE(m_form->state().catalog->text(CatalogTable::NAME), QStringLiteral("b.txt"));
    QCOMPARE(memo->toPlainText(), QString()); // empty info file
    QTest::keyClick(grid(), Qt::Key_Up);
    QCOMPARE(memo->toPlainText(), QStringLiteral("Hallo\nWelt"));
    QCOMPARE(shown.count(), 2);
    // During a walk nothing is loaded.
    m_form->state().followCurrentRecord = false;
    setCurrent(QStringLiteral("c.txt"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("Hallo\nWelt"));
    m_form->state().followCurrentRecord = true;
    m_views->loadCurrentText();
    QCOMPARE(memo->toPlainText(), QString()); // no info file
    QVERIFY(m_views->textPaneStatus());
    // A record of another folder than the one shown, as a search walk meets them: its info
    // file is found all the same, in whatever letter case.
    CatalogTable *t = table();
    QVERIFY(t->setFolderRange(QStringLiteral("OTHER\\")));
    QVERIFY(t->table().first());
    m_views->loadCurrentText();
    QCOMPARE(memo->toPlainText(), QStringLiteral("anders"));
}

void TestBrowse::gridAndTableInStep()
{
    makeFolders({ "F" });
    openArchive({ { "F\\", "1.txt" }, { "F\\", "2.txt" }, { "F\\", "3.txt" } });
    start();
    CatalogTable *t = m_form->state().catalog;
    setCurrent(QStringLiteral("3.txt"));
    QCOMPARE(t->table().recNo(), qint64(3));
    // The table moved by someone else: the grid follows.
    QVERIFY(t->table().first());
    m_views->showCurrentRecord();
    QCOMPARE(currentName(), QStringLiteral("1.txt"));
    // A walk with the views detached repaints once, at its end, on the record it left.
    t->detachViews();
    QVERIFY(t->table().last());
    QCOMPARE(currentName(), QStringLiteral("1.txt"));
    t->attachViews();
    QCOMPARE(currentName(), QStringLiteral("3.txt"));

    // Enter opens the current file, Esc forgets the search.
    int opened = 0;
    m_form->commands().attach(Command::OpenFile, [&opened] { ++opened; });
    m_form->setPanelText(0, QStringLiteral("searched"));
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_Return);
    QCOMPARE(opened, 1);
    QTest::keyClick(grid(), Qt::Key_Escape);
    QCOMPARE(m_form->panelText(0), QStringLiteral("7. December 2026"));
    QCOMPARE(currentName(), QStringLiteral("3.txt"));
}

void TestBrowse::treeKeysAndExpansion()
{
    makeFolders({ "A/A1", "B/B1" });
    openArchive({});
    start();
    QTreeWidget *tree = this->tree();
    QVERIFY(m_views->selectNodeAt(3)); // B\B1
    QAction *clear = m_form->commands().action(Command::ClearSearch);
    clear->setEnabled(true);
    m_form->setPanelText(0, QStringLiteral("searched"));
    QSignalSpy cleared(m_views, &BrowseViews::searchCleared);
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Escape);
    QCOMPARE(m_views->selectedNodeIndex(), 0);
    QCOMPARE(m_form->panelText(2), QStringLiteral("A\\"));
    QCOMPARE(m_form->panelText(0), QStringLiteral("7. December 2026"));
    QVERIFY(!clear->isEnabled());
    QCOMPARE(cleared.count(), 1);

    QTreeWidgetItem *a = tree->currentItem();
    QVERIFY(a->isExpanded());
    QTest::keyClick(tree, Qt::Key_Return);
    QVERIFY(!a->isExpanded());
    QTest::keyClick(tree, Qt::Key_Enter);
    QVERIFY(a->isExpanded());

    QVERIFY(m_views->selectNodeAt(3)); // B\B1, deep in the tree
    m_form->commands().runCommand(Command::CollapseAll);
    QVERIFY(!nodeAt(tree, 0)->isExpanded() && !findNode(tree, "B\\")->isExpanded());
    QCOMPARE(m_views->selectedNodeIndex(), 0);
    QCOMPARE(m_form->panelText(2), QStringLiteral("A\\"));
    m_form->commands().runCommand(Command::ExpandAll);
    QVERIFY(nodeAt(tree, 0)->isExpanded() && findNode(tree, "B\\")->isExpanded());
}

void TestBrowse::collapsedAtStartWhenSet()
{
    makeFolders({ "A/A1", "B/B1" });
    openArchive({});
    m_form->state().settings.folderListCollapsed = 1;
    start();
    QTreeWidget *tree = this->tree();
    QVERIFY(!findNode(tree, "A\\")->isExpanded() && !findNode(tree, "B\\")->isExpanded());
    QCOMPARE(m_views->selectedNodeIndex(), 0);
}

void TestBrowse::reorganisation()
{
    makeFolders({ "Keep", "Empty/Deeper" });
    QVERIFY(testutil::writeFile(root() + "Keep/c.txt", "c"));
    openArchive({ { "KEEP\\", "a.txt" }, { "KEEP\\", "b.txt" }, { "KEEP\\", "c.txt" },
        { "KEEP\\", "d.txt" } });
    start();
    QCOMPARE(m_views->nodeCount(), 3);
    m_form->state().settings.deleteEmptyFolders = 1;
    QVERIFY(m_views->selectFolderPath(QStringLiteral("Keep\\")));
    CatalogTable *t = m_form->state().catalog;
    for (int i = 0; i < 2; ++i) {
        QVERIFY(t->table().deleteRecord());
        ++t->deletedCount;
    }
    t->setTagFilter([](const DbfTable &) { return true; });
    m_views->showCount();
    QCOMPARE(m_form->panelText(3), QStringLiteral("2 (2)"));
    QSignalSpy reorganised(m_views, &BrowseViews::reorganised);
    QSignalSpy filterOff(t, &CatalogTable::tagFilterSwitchedOff);
    grid()->setFocus();

    m_form->commands().runCommand(Command::Reorganize);
    QCOMPARE(m_form->panelText(3), QStringLiteral("2"));
    QCOMPARE(t->table().physicalCount(), quint32(2));
    QCOMPARE(t->deletedCount, 0);
    QVERIFY(!t->tagFilterOn());
    QCOMPARE(filterOff.count(), 1);
    QCOMPARE(reorganised.count(), 1);
    QVERIFY(!QDir(root() + "Empty").exists());
    QCOMPARE(m_views->nodeCount(), 1);
    QCOMPARE(m_views->selectedNodeIndex(), 0);
    QCOMPARE(gridNames(), (QStringList { "c.txt", "d.txt" }));
    QTRY_VERIFY(tree()->hasFocus());
    QVERIFY(m_form->state().followCurrentRecord);
    QVERIFY(!t->isDetached());
    QVERIFY(!QApplication::overrideCursor());
}

void TestBrowse::rebuildFailureLeavesTreeUsable()
{
    makeFolders({ "A" });
    openArchive({ { "", "root.txt" } });
    start();
    QCOMPARE(m_views->nodeCount(), 1);
    m_form->state().settings.rootPath = root() + "vanished/";
    const DbStatus st = m_views->showArchive();
    QVERIFY(!st);
    QCOMPARE(m_views->nodeCount(), 0);
    QVERIFY(tree()->updatesEnabled());
    QVERIFY(!QApplication::overrideCursor());
    // Everything after the walk still ran.
    QCOMPARE(m_form->panelText(3), QStringLiteral("1"));
    QCOMPARE(gridNames(), QStringList { "root.txt" });
}

void TestBrowse::ensureFolderAndRebuild()
{
    makeFolders({ "Old" });
    openArchive({});
    start();
    QSignalSpy rebuilt(m_views, &BrowseViews::treeRebuilt);
    QVERIFY(m_views->ensureFolderAndRebuild(QStringLiteral("NEW\\SUB\\")));
    QVERIFY(QDir(root() + "NEW/SUB").exists());
    QTreeWidgetItem *sub = findNode(tree(), QStringLiteral("new\\sub\\"));
    QVERIFY(sub);
    QVERIFY(sub->parent()->isExpanded());
    QCOMPARE(rebuilt.count(), 1);
    QCOMPARE(m_views->selectedNodeIndex(), -1); // the caller selects
    QCOMPARE(m_views->ensureFolderAndRebuild(QStringLiteral("..\\outside\\")).code(),
        DbStatus::InvalidArgument);
    QVERIFY(!QDir(m_dir->path() + "/../outside").exists());
}

void TestBrowse::descriptionModeUpdatesSelectedFolder()
{
    makeFolders({ "Disk" });
    QVERIFY(testutil::writeFile(root() + "Disk/one.txt", "1"));
    QVERIFY(testutil::writeFile(root() + "Disk/two.txt", "22"));
    openArchive({});
    m_form->state().settings.folderInfoMode = 1;
    start();
    QCOMPARE(gridNames(), (QStringList { "one.txt", "two.txt" }));
    QCOMPARE(m_form->panelText(3), QStringLiteral("2"));
}

void TestBrowse::selectionWithoutFocusOnSilver()
{
    makeFolders({ "F" });
    openArchive({ { "F\\", "1.txt" } });
    start();
    const QColor silver(0xC0, 0xC0, 0xC0);
    QTreeWidget *tree = this->tree();
    QTableView *grid = this->grid();
    QTRY_VERIFY(tree->hasFocus());
    QVERIFY(tree->palette().color(QPalette::Active, QPalette::Highlight) != silver);
    QCOMPARE(grid->palette().color(QPalette::Active, QPalette::Highlight), silver);
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    QCOMPARE(tree->palette().color(QPalette::Active, QPalette::Highlight), silver);
    QCOMPARE(tree->palette().color(QPalette::Inactive, QPalette::Highlight), silver);
    QVERIFY(grid->palette().color(QPalette::Active, QPalette::Highlight) != silver);
}

QTEST_MAIN(TestBrowse)
#include "tst_browse.moc"
