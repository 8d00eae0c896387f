#include "fileops/filecopy.h"
#include "fileops/filemove.h"
#include "fileops/folderrename.h"
#include "platform/diskpath.h"
#include "store/catalogtable.h"
#include "support/catalogrecords.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QtTest>

#include <QDirIterator>

// Folder renames and file moves below the root, with the records following: what is
// refused, and what fails half-way, leaves disk and catalogue exactly as they were.
// (The successful moves are exercised through the window in tests/gui.)
class TestFileOps : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    CatalogTable m_table;

    QString root() const { return m_dir.path() + QLatin1Char('/'); }
    void file(const QString &rel) { QVERIFY(testutil::writeFile(root() + rel, "x")); }
    void make(const QString &rel); // a folder when rel ends with "/", else a file
    QStringList disk() const;
    QStringList records();

private slots:
    void init();
    void cleanup();

    void refusedFolderRename_data();
    void refusedFolderRename();
    void refusedFileMove_data();
    void refusedFileMove();
    void failedRecordWriteUndoesEverything_data();
    void failedRecordWriteUndoesEverything();
    void recordsHiddenByTagFilterFollowToo();
    void copyNeverOntoItself_data();
    void copyNeverOntoItself();
    void strayTextInDestination_data();
    void strayTextInDestination();
};

void TestFileOps::init()
{
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
    // A\B holds a file and a sub-folder; A\BX only shares the start of its name.
    for (const char *f : { "A/B/x.txt", "A/B/S/y.txt", "A/BX/z.txt", "D/a.txt", "D/a.txt.!" })
        file(QLatin1String(f));
    make("C/");
    QVERIFY(m_table.open(root(), QStringLiteral("Archiv")));
    QVERIFY(testutil::addRecords(m_table,
        { { "A\\B\\", "x.txt" }, { "A\\B\\S\\", "y.txt" }, { "A\\BX\\", "z.txt" },
            { "D\\", "a.txt" } }));
    QVERIFY(m_table.setFolderRange(QStringLiteral("A\\B\\")));
}

void TestFileOps::cleanup()
{
    m_table.close();
}

void TestFileOps::make(const QString &rel)
{
    if (rel.endsWith('/'))
        QVERIFY(QDir().mkpath(root() + rel));
    else if (!rel.isEmpty())
        file(rel);
}

QStringList TestFileOps::disk() const
{
    QStringList out;
    QDirIterator it(root(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
        QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next().mid(root().size());
    out.removeIf([](const QString &p) { return p.startsWith("Archiv."); });
    out.sort();
    return out;
}

// DIR|NAME of every record, sorted.
QStringList TestFileOps::records()
{
    QStringList out;
    DbfTable &t = m_table.table();
    t.cancelRange();
    for (DbStatus st = t.first(); st && !t.eof(); st = t.next())
        out << m_table.text(CatalogTable::DIR) + '|' + m_table.text(CatalogTable::NAME);
    out.sort();
    return out;
}

void TestFileOps::refusedFolderRename_data()
{
    QTest::addColumn<QString>("oldPath");
    QTest::addColumn<QString>("newPath");
    QTest::addColumn<QString>("prepare");
    // Linux moves a folder onto an empty folder without a word: it must not happen here.
    QTest::newRow("onto an empty folder") << "A\\B\\"
                                          << "C\\B"
                                          << "C/B/";
    QTest::newRow("onto a folder in other letter case") << "A\\B\\"
                                                        << "C\\B"
                                                        << "C/b/";
    QTest::newRow("onto a file") << "A\\B\\"
                                 << "D\\a.txt"
                                 << "";
    QTest::newRow("into its own sub-folder") << "A\\B\\"
                                             << "A\\B\\S\\B"
                                             << "";
    QTest::newRow("missing parent") << "A\\B\\"
                                    << "Nope\\B"
                                    << "";
    QTest::newRow("hidden name") << "A\\B\\"
                                 << ".B"
                                 << "";
    QTest::newRow("out of the root") << "A\\B\\"
                                     << "..\\B"
                                     << "";
    QTest::newRow("missing folder") << "Gone\\"
                                    << "C\\Gone"
                                    << "";
    // The folder itself fits into DIR, its sub-folder S would not.
    QTest::newRow("sub-folder's DIR too long") << "A\\B\\"
                                               << "C\\" + QString(77, 'L') << "";
}

void TestFileOps::refusedFolderRename()
{
    QFETCH(QString, oldPath);
    QFETCH(QString, newPath);
    QFETCH(QString, prepare);
    make(prepare);
    const QStringList before = disk();
    const QStringList recordsBefore = records();
    const FolderRename r = renameFolder(m_table, root(), oldPath, newPath);
    QCOMPARE(r.status.message(), QString("Folder  '%1'  could not be renamed !").arg(oldPath));
    QVERIFY(!r.diskChanged);
    QCOMPARE(disk(), before);
    QCOMPARE(records(), recordsBefore);
}

void TestFileOps::refusedFileMove_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("prepare");
    QTest::addColumn<QString>("message");
    const QString refused = "File  'a.txt'  could not be moved !";
    QTest::newRow("file there in other case") << "a.txt"
                                              << "C\\"
                                              << "C/A.TXT" << refused;
    QTest::newRow("info file there") << "a.txt"
                                     << "C\\"
                                     << "C/a.txt.!" << refused;
    QTest::newRow("folder there under the name") << "a.txt"
                                                 << "C\\"
                                                 << "C/a.txt/" << refused;
    QTest::newRow("missing destination") << "a.txt"
                                         << "Nope\\"
                                         << "" << refused;
    QTest::newRow("hidden destination") << "a.txt"
                                        << ".h\\"
                                        << ".h/" << refused;
    QTest::newRow("destination too long for DIR")
        << "a.txt" << QString(81, 'L') + "\\" << QString(81, 'L') + "/" << refused;
    QTest::newRow("no such record") << "y.txt"
                                    << "C\\"
                                    << "D/y.txt"
                                    << "File  'y.txt'  could not be moved !";
    QTest::newRow("same folder") << "a.txt"
                                 << "d"
                                 << ""
                                 << "Destination and source are the same ...";
}

void TestFileOps::refusedFileMove()
{
    QFETCH(QString, name);
    QFETCH(QString, destination);
    QFETCH(QString, prepare);
    QFETCH(QString, message);
    make(prepare);
    const QStringList before = disk();
    const QStringList recordsBefore = records();
    const FileMove r = moveFileRecord(m_table, root(), { 4, "d\\", name, destination });
    QVERIFY(!r.moved && !r.diskChanged);
    QCOMPARE(r.status.message(), message);
    QCOMPARE(disk(), before);
    QCOMPARE(records(), recordsBefore);
}

void TestFileOps::failedRecordWriteUndoesEverything_data()
{
    QTest::addColumn<bool>("folder"); // a folder rename, else a file move
    QTest::addColumn<QString>("message");
    // The folder's second record fails: the first goes back, then the folder.
    QTest::newRow("folder rename") << true << "Folder  'A\\B\\'  could not be renamed !\rdisk full";
    QTest::newRow("file move") << false << "File  'a.txt'  could not be moved !\rdisk full";
}

void TestFileOps::failedRecordWriteUndoesEverything()
{
    QFETCH(bool, folder);
    QFETCH(QString, message);
    int posts = 0;
    m_table.table().setHooks({ {}, {}, [&] {
                                  return ++posts == (folder ? 2 : 1)
                                      ? DbStatus(DbStatus::IoError, "disk full")
                                      : DbStatus::ok();
                              } });
    const QStringList before = disk();
    const QStringList recordsBefore = records();
    const DbStatus st = folder
        ? renameFolder(m_table, root(), "A\\B\\", "C\\B\\").status
        : moveFileRecord(m_table, root(), { 4, "D\\", "a.txt", "C\\" }).status;
    QCOMPARE(st.message(), message);
    QCOMPARE(disk(), before);
    QCOMPARE(records(), recordsBefore);
}

void TestFileOps::recordsHiddenByTagFilterFollowToo()
{
    m_table.setTagFilter([](const DbfTable &) { return false; });
    const FolderRename r = renameFolder(m_table, root(), "A\\B\\", "C\\B\\");
    QVERIFY(r.status && r.diskChanged);
    QCOMPARE(r.recordsMoved, 2);
    QVERIFY(records().contains("C\\B\\S\\|y.txt"));
}

void TestFileOps::copyNeverOntoItself_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("its own folder") << "D";
    QTest::newRow("its folder through a link") << "L";
}

void TestFileOps::copyNeverOntoItself()
{
    QFETCH(QString, folder);
    QVERIFY(testutil::writeFile(root() + "D/a.txt", "content"));
    QVERIFY(QFile::link(root() + "D", root() + "L"));
    // No question is asked (none is scripted): the file is not offered for overwriting.
    const DbStatus st = copyCatalogueFile(PathResolver(root()), "D\\", "a.txt", root() + folder);
    QVERIFY(st.message().startsWith("File  'a.txt'  could not be copied !"));
    QCOMPARE(testutil::readFile(root() + "D/a.txt"), QByteArray("content"));
}

// C holds a long text under the name of the file that arrives: it belongs to no file there
// and must never become the arriving file's text. A\B\x.txt has no text, D\a.txt has one.
void TestFileOps::strayTextInDestination_data()
{
    QTest::addColumn<bool>("copy"); // else a move
    QTest::addColumn<QString>("file"); // DIR|NAME
    QTest::addColumn<QString>("stray"); // below the root
    QTest::addColumn<QString>("answer"); // to "Also copy the Info-file ?"; empty: not asked
    QTest::addColumn<QString>("textAfter"); // of the stray's place; empty: refused
    const QString x = "A\\B\\|x.txt";
    const QString a = "D\\|a.txt";
    QTest::newRow("move without a text") << false << x << "C/x.txt.!"
                                         << ""
                                         << "";
    QTest::newRow("move, text in other letter case") << false << x << "C/X.TXT.!"
                                                     << ""
                                                     << "";
    QTest::newRow("copy without a text") << true << x << "C/x.txt.!"
                                         << ""
                                         << "";
    QTest::newRow("copy, text in other letter case") << true << x << "C/X.txt.!"
                                                     << ""
                                                     << "";
    QTest::newRow("copy, own text declined") << true << a << "C/a.txt.!"
                                             << "2"
                                             << "";
    QTest::newRow("copy, own text replaces it") << true << a << "C/a.txt.!"
                                                << "1"
                                                << "own";
}

void TestFileOps::strayTextInDestination()
{
    QFETCH(bool, copy);
    QFETCH(QString, file);
    QFETCH(QString, stray);
    QFETCH(QString, answer);
    QFETCH(QString, textAfter);
    const QString dir = file.section('|', 0, 0);
    const QString name = file.section('|', 1);
    QVERIFY(testutil::writeFile(root() + "D/a.txt.!", "own"));
    QVERIFY(testutil::writeFile(root() + stray, "stray"));
    const QStringList before = disk();
    const QStringList recordsBefore = records();
    ScriptedDialogs dialogs;
    if (!answer.isEmpty())
        dialogs.expect(DialogKind::Confirmation, answer, "Also copy the Info-file ?");
    const DbStatus st = copy ? copyCatalogueFile(PathResolver(root()), dir, name, root() + "C")
                             : moveFileRecord(m_table, root(), { 0, dir, name, "C\\" }).status;
    QVERIFY(dialogs.done());
    QCOMPARE(records(), recordsBefore);
    if (!textAfter.isEmpty()) {
        QVERIFY(st.isOk());
        QCOMPARE(testutil::readFile(root() + stray), textAfter.toLatin1());
        QVERIFY(QFileInfo::exists(root() + "C/" + name));
        return;
    }
    const QString refused
        = copy ? "File  '%1'  could not be copied !" : "File  '%1'  could not be moved !";
    QVERIFY2(st.message().startsWith(refused.arg(name)), qPrintable(st.message()));
    QCOMPARE(disk(), before);
    QCOMPARE(testutil::readFile(root() + stray), QByteArray("stray"));
}

QTEST_GUILESS_MAIN(TestFileOps)
#include "tst_fileops.moc"
