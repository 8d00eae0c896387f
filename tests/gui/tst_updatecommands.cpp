#include "app/ui/mainwindow.h"
#include "browse/ui/browseviews.h"
#include "store/catalogtable.h"
#include "support/gui/mainwindowfixture.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"
#include "views/ui/foldertreeview.h"

#include <QtTest>

#include <QAction>
#include <QTableView>
#include <QTreeWidget>

// The update commands as a user runs them: F8 and F12 pressed in the main window, the
// folder update command from the menu, with the disk changed in between.
class TestUpdateCommands : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void f8MergesRenamesAndVanishedFiles();
    void f8KeepsNoteAndTagsOnCaseOnlyRename();
    void f8InDescriptionModeRewritesDescriptIon();
    void f8ReportsUnreadableDescriptIonAndKeepsIt();
    void f8ReadsDamagedDescriptIon();
    void f8OnRootFilesWithEmptyTree();
    void f8SkipsNamesOutsideTheCodePage();
    void f8DoesNothingInEditModes();
    void folderUpdateKeepsPosition_data();
    void folderUpdateKeepsPosition();
    void folderUpdateWithEmptyTree();
    void updateAllDeclinedChangesNothing();
    void updateAllMergesEverythingAndSweeps();
    void updateAllWritesDescriptionsAndGoesOnAfterFailure();
    void updateAllWithFolderVanishingMidWalk();
    void updateAllWithPathTooLong();

private:
    void start();
    void press(Qt::Key key);
    QStringList recordsOf(const QString &dir);
    void setNoteAndTags(
        const QString &dir, const QString &name, const QString &note, const QString &tags);

    BrowseViews *m_views = nullptr;
};

void TestUpdateCommands::init()
{
    setUpWindow();
    m_views = &m_form->families().browsing();
}

void TestUpdateCommands::cleanup()
{
    tearDownWindow();
}

void TestUpdateCommands::start()
{
    openCatalogue();
    showActive();
}

// As the user presses it: on the tree, which has the focus after every command here.
void TestUpdateCommands::press(Qt::Key key)
{
    tree()->setFocus();
    QTRY_VERIFY(tree()->hasFocus());
    QTest::keyClick(tree(), key);
}

// NAME=NOTE/CODE of a folder's records, straight from the table; the selection is
// restored by the caller's next command.
QStringList TestUpdateCommands::recordsOf(const QString &dir)
{
    QStringList out;
    CatalogTable *t = table();
    t->detachViews();
    const QString before = t->currentFolder();
    if (t->setFolderRange(dir))
        for (DbStatus st = t->table().first(); st && !t->table().eof(); st = t->table().next())
            out << t->text(CatalogTable::NAME) + QLatin1Char('=') + t->text(CatalogTable::NOTE)
                    + QLatin1Char('/') + t->text(CatalogTable::CODE);
    t->setFolderRange(before);
    t->attachViews();
    return out;
}

void TestUpdateCommands::setNoteAndTags(
    const QString &dir, const QString &name, const QString &note, const QString &tags)
{
    CatalogTable *t = table();
    t->detachViews();
    const QString before = t->currentFolder();
    QVERIFY(t->setFolderRange(dir));
    bool found = false;
    for (DbStatus st = t->table().first(); st && !t->table().eof() && !found;
         st = t->table().next())
        found = t->text(CatalogTable::NAME) == name;
    QVERIFY(found);
    QVERIFY(t->table().edit());
    t->setText(CatalogTable::NOTE, note);
    t->setText(CatalogTable::CODE, tags);
    QVERIFY(t->table().post());
    QVERIFY(t->setFolderRange(before));
    t->attachViews();
}

void TestUpdateCommands::f8MergesRenamesAndVanishedFiles()
{
    for (const char *n : { "a.txt", "b1.txt", "b2.txt", "b3.txt", "c.txt", "README", "x.jpg.!" })
        file(QStringLiteral("D/") + QLatin1String(n));
    start();
    press(Qt::Key_F8);
    QCOMPARE(gridNames(), (QStringList { "a.txt", "b1.txt", "b2.txt", "b3.txt", "c.txt" }));
    QCOMPARE(m_form->panelText(3), QStringLiteral("5"));
    QVERIFY(QFile::rename(root() + "D/a.txt", root() + "D/z.txt"));
    for (const char *n : { "b1.txt", "b2.txt", "b3.txt" })
        QVERIFY(QFile::remove(root() + "D/" + QLatin1String(n)));
    press(Qt::Key_F8);
    QCOMPARE(gridNames(), (QStringList { "c.txt", "z.txt" }));
    QCOMPARE(recordsOf("D\\"), (QStringList { "c.txt=/", "z.txt=/" }));
    QCOMPARE(table()->deletedCount, 4);
    QVERIFY(m_form->state().followCurrentRecord);
    QVERIFY(!table()->isDetached());
}

void TestUpdateCommands::f8KeepsNoteAndTagsOnCaseOnlyRename()
{
    file(QStringLiteral("D/Photo.JPG"));
    start();
    press(Qt::Key_F8);
    setNoteAndTags("D\\", "Photo.JPG", "Strand", "AB");
    QVERIFY(QFile::rename(root() + "D/Photo.JPG", root() + "D/photo.jpg"));
    press(Qt::Key_F8);
    QCOMPARE(recordsOf("D\\"), QStringList { "Photo.JPG=Strand/AB" });
    QCOMPARE(table()->deletedCount, 0);
}

void TestUpdateCommands::f8InDescriptionModeRewritesDescriptIon()
{
    file("D/a.txt");
    file("D/my file.txt");
    file("D/new.txt");
    file("D/Descript.ion",
        "a.txt first\r\n\"my file.txt\" with blank\r\nA.TXT second\r\nghost.txt nobody\r\n");
    m_form->state().settings.folderInfoMode = 1;
    start();
    press(Qt::Key_F8);
    // The folder's last record is current afterwards.
    QCOMPARE(table()->text(CatalogTable::NAME), QStringLiteral("new.txt"));
    QCOMPARE(grid()->currentIndex().row(), 2);
    QCOMPARE(recordsOf("D\\"),
        (QStringList { "a.txt=second/", "my file.txt=with blank/", "new.txt=/" }));
    // Rebuilt from the records: the duplicate and the line without a file are gone.
    QCOMPARE(testutil::readFile(root() + "D/Descript.ion"),
        QByteArray("a.txt second\r\n\"my file.txt\" with blank\r\n"));
}

void TestUpdateCommands::f8ReportsUnreadableDescriptIonAndKeepsIt()
{
    file("D/a.txt");
    start();
    press(Qt::Key_F8);
    QVERIFY(QFile::remove(root() + "D/a.txt"));
    file("D/b.txt");
    QVERIFY(QDir().mkpath(root() + "D/Descript.ion")); // exists, cannot be read as a file
    m_form->state().settings.folderInfoMode = 1;
    ScriptedDialogs dialogs;
    dialogs.error("Descript.ion");
    press(Qt::Key_F8);
    QVERIFY(dialogs.done());
    // Nothing merged from a half-known folder, nothing written over the file.
    QCOMPARE(gridNames(), QStringList { "a.txt" });
    QVERIFY(QFileInfo(root() + "D/Descript.ion").isDir());
    QVERIFY(!table()->isDetached());
    QVERIFY(m_form->state().followCurrentRecord);
}

void TestUpdateCommands::f8ReadsDamagedDescriptIon()
{
    file("D/a.txt");
    file("D/b.txt");
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919) % 256));
    garbage.replace('\n', 'x').replace('\r', 'y');
    const QByteArray huge = "b.txt " + QByteArray(200000, 'h') + " a.txt smuggled\r\n";
    // Binary garbage, an enormous line, and a last line without line end.
    file("D/Descript.ion", garbage + "\r\n" + huge + "a.txt last line");
    m_form->state().settings.folderInfoMode = 1;
    start();
    press(Qt::Key_F8);
    const QStringList records = recordsOf("D\\");
    QCOMPARE(records.size(), 2);
    QCOMPARE(records.at(0), QStringLiteral("a.txt=last line/"));
    QCOMPARE(
        records.at(1), QStringLiteral("b.txt=") + QString(80, QLatin1Char('h')) + QLatin1Char('/'));
}

void TestUpdateCommands::f8OnRootFilesWithEmptyTree()
{
    file("root1.txt");
    file("root2.txt");
    start();
    QCOMPARE(m_views->nodeCount(), 0);
    press(Qt::Key_F8);
    QCOMPARE(gridNames(), (QStringList { "Archiv.dbf", "Archiv.mdx", "root1.txt", "root2.txt" }));
    QCOMPARE(table()->text(CatalogTable::DIR), QString());
    // A sub-folder appears: after the folder update its files are shown, not the root's.
    file("Sub/inner.txt");
    m_form->commands().action(Command::UpdateFolder)->trigger();
    QCOMPARE(m_views->nodeCount(), 1);
    QCOMPARE(m_form->panelText(2), QStringLiteral("Sub\\"));
    press(Qt::Key_F8);
    QCOMPARE(gridNames(), QStringList { "inner.txt" });
}

void TestUpdateCommands::f8SkipsNamesOutsideTheCodePage()
{
    file(QStringLiteral("D/caf\u00e9.txt"));
    file(QStringLiteral("D/\u65e5\u672c.txt"));
    file(QStringLiteral("D/\u0416/inner.txt"));
    start();
    {
        // The file is named, the sub-folder is the tree's and left to update all.
        ScriptedDialogs dialogs;
        dialogs.expect(DialogKind::Warning, "1",
            QStringLiteral("1 entry could not be catalogued:\r"
                           "File  '%1D/\u65e5\u672c.txt'  cannot be catalogued: its name holds "
                           "a character outside Windows-1252")
                .arg(root()));
        press(Qt::Key_F8);
        QVERIFY2(dialogs.done(), qPrintable(dialogs.faults().join(QLatin1Char('\n'))));
    }
    QCOMPARE(gridNames(), QStringList { QStringLiteral("caf\u00e9.txt") });
    QCOMPARE(m_views->nodeCount(), 1);
    {
        ScriptedDialogs dialogs;
        dialogs.yes();
        dialogs.expect(
            DialogKind::Warning, "1", QStringLiteral("2 entries could not be catalogued"));
        press(Qt::Key_F12);
        QVERIFY2(dialogs.done(), qPrintable(dialogs.faults().join(QLatin1Char('\n'))));
        QVERIFY(dialogs.messages().last().contains(QStringLiteral("/D/\u0416'  cannot")));
    }
    QFile::remove(root() + QStringLiteral("D/\u65e5\u672c.txt"));
    QVERIFY(QDir(root() + QStringLiteral("D/\u0416")).removeRecursively());
    ScriptedDialogs quiet; // nothing skipped: nothing shown
    press(Qt::Key_F8);
    QVERIFY2(quiet.done(), qPrintable(quiet.faults().join(QLatin1Char('\n'))));
}

void TestUpdateCommands::f8DoesNothingInEditModes()
{
    file("D/a.txt");
    start();
    m_form->state().mode = UiMode::TextEdit;
    press(Qt::Key_F8);
    m_form->state().mode = UiMode::Browse;
    QCOMPARE(gridNames(), QStringList());
}

void TestUpdateCommands::folderUpdateKeepsPosition_data()
{
    QTest::addColumn<QStringList>("removed");
    QTest::addColumn<QString>("selected");
    QTest::newRow("two before it") << QStringList { "B", "C" } << "G\\";
    QTest::newRow("fewer than five left") << QStringList { "B", "C", "D", "E" } << "G\\";
    QTest::newRow("the last ones") << QStringList { "F", "G" } << "E\\";
}

void TestUpdateCommands::folderUpdateKeepsPosition()
{
    QFETCH(QStringList, removed);
    QFETCH(QString, selected);
    for (const char *f : { "A", "B", "C", "D", "E", "F", "G" })
        file(QLatin1String(f) + QStringLiteral("/f.txt"));
    start();
    QVERIFY(m_views->selectNodeAt(4));
    QCOMPARE(m_form->panelText(2), QStringLiteral("E\\"));
    for (const QString &f : removed)
        QVERIFY(QDir(root() + f).removeRecursively());
    grid()->setFocus();
    m_form->commands().action(Command::UpdateFolder)->trigger();
    QCOMPARE(m_form->panelText(2), selected);
    QCOMPARE(m_views->selectedFolderPath(), selected);
    QTRY_VERIFY(tree()->hasFocus());
    // Without description mode the command merges nothing.
    QCOMPARE(gridNames(), QStringList());
}

void TestUpdateCommands::folderUpdateWithEmptyTree()
{
    file("Only/a.txt");
    file("r.txt");
    m_form->state().settings.deleteEmptyFolders = 1;
    start();
    QVERIFY(QFile::remove(root() + "Only/a.txt"));
    m_form->state().settings.folderInfoMode = 1;
    m_form->commands().action(Command::UpdateFolder)->trigger();
    // The emptied folder is removed; the root folder's files are shown, merged as a
    // selected folder's would be in description mode.
    QVERIFY(!QFileInfo::exists(root() + "Only"));
    QCOMPARE(m_views->nodeCount(), 0);
    QCOMPARE(m_form->panelText(2), QString());
    QVERIFY(gridNames().contains("r.txt"));
}

void TestUpdateCommands::updateAllDeclinedChangesNothing()
{
    file("A/a.txt");
    start();
    ScriptedDialogs dialogs;
    dialogs.no("Update all folders ?");
    press(Qt::Key_F12);
    QVERIFY(dialogs.done());
    QCOMPARE(table()->table().physicalCount(), 0u);
}

void TestUpdateCommands::updateAllMergesEverythingAndSweeps()
{
    file("A/a.txt");
    file("A/Deep/d.txt");
    file("B/b.txt");
    file("Gone/g.txt");
    // Records of a folder the tree does not show, as a catalogue carried over from
    // elsewhere may hold them.
    file(".Hidden/h.txt");
    QVERIFY(table()->open(root(), QStringLiteral("Archiv")));
    QVERIFY(table()->table().append());
    table()->setText(CatalogTable::DIR, QStringLiteral(".HIDDEN\\"));
    table()->setText(CatalogTable::NAME, QStringLiteral("h.txt"));
    QVERIFY(table()->table().post());
    QVERIFY(table()->close());
    start();
    {
        ScriptedDialogs dialogs;
        dialogs.yes("Update all folders ?");
        press(Qt::Key_F12);
        QVERIFY(dialogs.done());
    }
    QCOMPARE(table()->table().physicalCount(), 5u);
    // The hidden folder keeps its records while its files exist; a folder renamed
    // outside the program loses them (and the new name gets its own).
    QVERIFY(QDir(root()).rename("Gone", "Renamed"));
    QVERIFY(QFile::remove(root() + "A/a.txt"));
    m_form->state().settings.folderListCollapsed = 1;
    // The views show the end state once: one fill of the tree, one selection, one
    // reading of the grid's rows.
    QSignalSpy rebuilt(m_views, &BrowseViews::treeRebuilt);
    QSignalSpy selected(m_views, &BrowseViews::folderSelected);
    QSignalSpy attached(table(), &CatalogTable::viewsAttached);
    {
        ScriptedDialogs dialogs;
        dialogs.yes();
        press(Qt::Key_F12);
        QVERIFY(dialogs.done());
    }
    QCOMPARE(rebuilt.count(), 1);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(attached.count(), 1);
    QCOMPARE(recordsOf(".HIDDEN\\"), QStringList { "h.txt=/" });
    QCOMPARE(recordsOf("GONE\\"), QStringList());
    QCOMPARE(recordsOf("RENAMED\\"), QStringList { "g.txt=/" });
    QCOMPARE(recordsOf("A\\"), QStringList());
    QCOMPARE(table()->deletedCount, 2);
    // The first node is selected, and the walk left every visited branch expanded.
    QCOMPARE(m_views->selectedNodeIndex(), 0);
    QCOMPARE(m_form->panelText(2), QStringLiteral("A\\"));
    QVERIFY(tree()->currentItem()->isExpanded());
    QVERIFY(tree()->updatesEnabled());
    QCOMPARE(table()->orderName(), QByteArray("1"));
    QVERIFY(!m_form->commands().action(Command::ClearSearch)->isEnabled());
    QCOMPARE(m_form->panelText(3), QStringLiteral("4 (2)"));
}

void TestUpdateCommands::updateAllWritesDescriptionsAndGoesOnAfterFailure()
{
    file("A/a.txt");
    file("A/Descript.ion", "a.txt alpha\r\n");
    file("B/b.txt");
    QVERIFY(QDir().mkpath(root() + "B/Descript.ion"));
    file("C/c.txt");
    file("C/Descript.ion", "c.txt gamma");
    file("C/tab\there.txt");
    m_form->state().settings.folderInfoMode = 1;
    start();
    ScriptedDialogs dialogs;
    dialogs.yes();
    dialogs.error("Descript.ion");
    press(Qt::Key_F12);
    QVERIFY(dialogs.done());
    // The failure and the entry left out in one box.
    QVERIFY(dialogs.messages().last().contains("\r1 entry could not be catalogued:\rFile  '"));
    QCOMPARE(recordsOf("A\\"), QStringList { "a.txt=alpha/" });
    QCOMPARE(recordsOf("B\\"), QStringList());
    QCOMPARE(recordsOf("C\\"), QStringList { "c.txt=gamma/" });
    QCOMPARE(testutil::readFile(root() + "C/Descript.ion"), QByteArray("c.txt gamma\r\n"));
    QVERIFY(QFileInfo(root() + "B/Descript.ion").isDir());
}

void TestUpdateCommands::updateAllWithFolderVanishingMidWalk()
{
    file("A/a.txt");
    file("B/b.txt");
    file("C/c.txt");
    start();
    {
        ScriptedDialogs dialogs;
        dialogs.yes();
        press(Qt::Key_F12);
    }
    // B is removed while the walk is at A, after the tree was built.
    QMetaObject::Connection c
        = connect(m_views, &BrowseViews::folderSelected, this, [this](const QString &f) {
              if (f == QLatin1String("A\\"))
                  QDir(root() + "B").removeRecursively();
          });
    {
        ScriptedDialogs dialogs;
        dialogs.yes();
        press(Qt::Key_F12);
        disconnect(c);
        QVERIFY(dialogs.done());
    }
    // B's listing may have been read ahead before it went: its record then stays until the
    // next update, like a file removed just after the walk.
    const QStringList b = recordsOf("B\\");
    QVERIFY2(b.isEmpty() || b == QStringList { "b.txt=/" }, qPrintable(b.join(',')));
    QCOMPARE(table()->deletedCount, b.isEmpty() ? 1 : 0);
    QCOMPARE(recordsOf("C\\"), QStringList { "c.txt=/" });
    ScriptedDialogs dialogs;
    dialogs.yes();
    press(Qt::Key_F12);
    QVERIFY(dialogs.done());
    QCOMPARE(recordsOf("B\\"), QStringList());
    QCOMPARE(recordsOf("C\\"), QStringList { "c.txt=/" });
    QCOMPARE(table()->deletedCount, 1);
}

void TestUpdateCommands::updateAllWithPathTooLong()
{
    const QString deep
        = QString(40, QLatin1Char('x')) + QLatin1Char('/') + QString(45, QLatin1Char('y'));
    file(deep + "/far.txt");
    file("Near/n.txt");
    start();
    ScriptedDialogs dialogs;
    dialogs.yes();
    dialogs.expect(DialogKind::Warning, "1", "too long");
    press(Qt::Key_F12);
    QVERIFY(dialogs.done());
    QCOMPARE(recordsOf("NEAR\\"), QStringList { "n.txt=/" });
    QCOMPARE(table()->table().physicalCount(), 1u);
}

QTEST_MAIN(TestUpdateCommands)
#include "tst_updatecommands.moc"
