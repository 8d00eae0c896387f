#include "app/ui/mainwindow.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/foldertreeview.h"
#include "fileops/ui/folderfilecommands.h"
#include "store/catalogtable.h"
#include "support/gui/mainwindowfixture.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QtTest>

#include <QTreeWidget>

// The folder commands as a user runs them from the tree: new folder (F1), rename or move
// (F2, or a node dropped on a node) with the records of every file below following, and
// delete empty folder.
class TestFolderCommands : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void newFolder_data();
    void newFolder();
    void renameFolder_data();
    void renameFolder();
    void droppedFolder_data();
    void droppedFolder();
    void deleteEmptyFolder_data();
    void deleteEmptyFolder();

private:
    void start();
    QTreeWidgetItem *node(const QString &folderPath) const;
};

void TestFolderCommands::init()
{
    setUpWindow();
}

void TestFolderCommands::cleanup()
{
    tearDownWindow();
}

// Bilder\Fotos with a sub-folder Alt, and Texte; one catalogued file in each.
void TestFolderCommands::start()
{
    file("Bilder/Fotos/f.jpg");
    file("Bilder/Fotos/Alt/o.jpg");
    file("Texte/t.txt");
    openCatalogue();
    DbfTable &t = table()->table();
    for (const QString &entry :
        QStringList { "BILDER\\FOTOS\\|f.jpg", "BILDER\\FOTOS\\ALT\\|o.jpg", "TEXTE\\|t.txt" }) {
        QVERIFY(t.append());
        table()->setText(CatalogTable::DIR, entry.section('|', 0, 0));
        table()->setText(CatalogTable::NAME, entry.section('|', 1));
        table()->setText(CatalogTable::NOTE, "note");
        QVERIFY(t.post());
    }
    showActive();
    QVERIFY(views().selectFolderPath("Bilder\\Fotos\\"));
}

QTreeWidgetItem *TestFolderCommands::node(const QString &folderPath) const
{
    for (QTreeWidgetItemIterator it(tree()); *it; ++it)
        if (FolderPathOfNode(*it) == folderPath)
            return *it;
    return nullptr;
}

void TestFolderCommands::newFolder_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("selected"); // afterwards
    QTest::addColumn<QString>("error"); // the message, or none
    QTest::newRow("three levels, the first existing") << "Texte\\Eins\\zwei/drei"
                                                      << "Texte\\Eins\\zwei\\drei\\"
                                                      << "";
    QTest::newRow("preset unchanged") << "Bilder\\Fotos\\"
                                      << "Bilder\\Fotos\\"
                                      << "";
    QTest::newRow("80 characters")
        << "Texte\\" + QString(74, 'n') << "Texte\\" + QString(74, 'n') + "\\"
        << "";
    QTest::newRow("81 characters") << "Texte\\" + QString(75, 'n') << "Bilder\\Fotos\\"
                                   << "It is only up to 80 characters allowed !";
    QTest::newRow("hidden name") << ".versteckt"
                                 << "Bilder\\Fotos\\"
                                 << "cannot be catalogued";
    QTest::newRow("cancelled") << ScriptedDialogs::esc() << "Bilder\\Fotos\\"
                               << "";
}

void TestFolderCommands::newFolder()
{
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    QFETCH(QString, error);
    start();
    const int nodesBefore = views().nodeCount();
    {
        ScriptedDialogs dialogs;
        dialogs.input(typed, "Create new folder ?\r\rrelative to the root folder.");
        if (!error.isEmpty())
            dialogs.error(error);
        press(Qt::Key_F1);
        QVERIFY(dialogs.done());
        QCOMPARE(dialogs.requests().first().option, QStringLiteral("Bilder\\Fotos\\"));
    }
    QCOMPARE(views().selectedFolderPath(), selected);
    QVERIFY(tree()->hasFocus());
    QCOMPARE(QFileInfo(root() + QString(selected).replace('\\', '/')).isDir(), true);
    if (selected == "Bilder\\Fotos\\")
        QCOMPARE(views().nodeCount(), nodesBefore);
}

void TestFolderCommands::renameFolder_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("onDisk"); // the folder's place afterwards
    QTest::addColumn<QString>("error");
    QTest::newRow("letter case only") << "Bilder\\FOTOS"
                                      << "Bilder\\FOTOS\\"
                                      << "Bilder/FOTOS"
                                      << "";
    QTest::newRow("below another folder") << "Texte/Fotos"
                                          << "Texte\\Fotos\\"
                                          << "Texte/Fotos"
                                          << "";
    QTest::newRow("onto an existing folder") << "Texte"
                                             << "Bilder\\Fotos\\"
                                             << "Bilder/Fotos"
                                             << "Folder  'Bilder\\Fotos\\'  could not be renamed !";
    QTest::newRow("81 characters") << QString(81, 'n') << "Bilder\\Fotos\\"
                                   << "Bilder/Fotos"
                                   << "It is only up to 80 characters allowed !";
}

void TestFolderCommands::renameFolder()
{
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    QFETCH(QString, onDisk);
    QFETCH(QString, error);
    start();
    {
        ScriptedDialogs dialogs;
        dialogs.input(
            typed, "Folder  'Bilder\\Fotos\\'  Rename to ?\r\rrelative to the root folder.");
        if (!error.isEmpty())
            dialogs.error(error);
        press(Qt::Key_F2);
        QVERIFY(dialogs.done());
    }
    QCOMPARE(views().selectedFolderPath(), selected);
    QVERIFY(QDir(root() + onDisk).exists("f.jpg"));
    QCOMPARE(
        QDir(root() + onDisk).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList { "Alt" });
    QCOMPARE(gridNames(), QStringList { "f.jpg" });
    // The sub-folder's records appear when the moved sub-folder is selected.
    QVERIFY(views().selectFolderPath(selected + "Alt\\"));
    QCOMPARE(gridNames(), QStringList { "o.jpg" });
}

void TestFolderCommands::droppedFolder_data()
{
    QTest::addColumn<QString>("dragged");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("error");
    QTest::newRow("onto another top-level folder") << "Bilder\\Fotos\\"
                                                   << "Texte\\"
                                                   << "Texte\\Fotos\\"
                                                   << "";
    QTest::newRow("onto its own sub-folder") << "Bilder\\Fotos\\"
                                             << "Bilder\\Fotos\\Alt\\"
                                             << "Bilder\\Fotos\\"
                                             << "Folder  'Bilder\\Fotos\\'  could not be renamed !";
    QTest::newRow("onto itself") << "Texte\\"
                                 << "Texte\\"
                                 << "Texte\\"
                                 << "Folder  'Texte\\'  could not be renamed !";
    QTest::newRow("onto its own parent") << "Bilder\\Fotos\\"
                                         << "Bilder\\"
                                         << "Bilder\\Fotos\\"
                                         << "";
}

void TestFolderCommands::droppedFolder()
{
    QFETCH(QString, dragged);
    QFETCH(QString, target);
    QFETCH(QString, selected);
    QFETCH(QString, error);
    start();
    QVERIFY(views().selectFolderPath(dragged));
    QTreeWidgetItem *onto = node(target);
    QVERIFY(onto);
    {
        ScriptedDialogs dialogs;
        if (!error.isEmpty())
            dialogs.error(error);
        m_form->families().folderFile().TreeView1DragDrop(tree()->visualItemRect(onto).center(), 0);
        QVERIFY(dialogs.done());
    }
    QCOMPARE(views().selectedFolderPath(), selected);
    if (selected.endsWith("Fotos\\")) {
        QCOMPARE(gridNames(), QStringList { "f.jpg" });
        QVERIFY(views().selectFolderPath(selected + "Alt\\"));
        QCOMPARE(gridNames(), QStringList { "o.jpg" });
    }
}

void TestFolderCommands::deleteEmptyFolder_data()
{
    QTest::addColumn<QString>("content"); // what the folder Leer holds
    QTest::addColumn<bool>("removed");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("only an info file") << "Leer/x.txt.!" << false;
    QTest::newRow("only a description file") << "Leer/Descript.ion" << false;
}

void TestFolderCommands::deleteEmptyFolder()
{
    QFETCH(QString, content);
    QFETCH(bool, removed);
    QVERIFY(QDir().mkpath(root() + "Leer"));
    if (!content.isEmpty())
        file(content);
    start();
    QVERIFY(views().selectFolderPath("Leer\\"));
    const int nodes = views().nodeCount();
    m_form->commands().runCommand(Command::popDelDirClick);
    QCOMPARE(QFileInfo::exists(root() + "Leer"), !removed);
    QCOMPARE(views().nodeCount(), nodes - (removed ? 1 : 0));
    // The folder selected afterwards is the one shown.
    QCOMPARE(table()->currentFolder(), views().selectedFolderPath());
}

QTEST_MAIN(TestFolderCommands)
#include "tst_foldercommands.moc"
