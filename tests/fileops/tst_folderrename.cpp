#include "fileops/folderrename.h"
#include "store/catalogtable.h"
#include "support/testutil.h"

#include <QtTest>

#include <QDirIterator>

// Folders renamed and moved on disk with the records of every file below them; what is
// refused leaves disk and catalogue exactly as they were.
class TestFolderRename : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    CatalogTable m_table;

    QString root() const { return m_dir.path() + QLatin1Char('/'); }
    void file(const QString &rel) { QVERIFY(testutil::writeFile(root() + rel, "x")); }
    void folder(const QString &rel) { QVERIFY(QDir().mkpath(root() + rel)); }
    void records(const QStringList &dirAndNames);
    QStringList dirs();
    QStringList disk() const;

private slots:
    void init();
    void cleanup();

    void typedPaths_data();
    void typedPaths();
    void recordsTravelWithTheFolder_data();
    void recordsTravelWithTheFolder();
    void refusedRenameChangesNothing_data();
    void refusedRenameChangesNothing();
    void recordsHiddenByTagFilterTravelToo();
    void failedRecordWriteUndoesTheRename();
    void emptyFolderRemoval_data();
    void emptyFolderRemoval();
};

void TestFolderRename::init()
{
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
    // A\B holds a file and a sub-folder; A\BX only shares the start of its name.
    file("A/B/x.txt");
    file("A/B/S/y.txt");
    file("A/BX/z.txt");
    file("A/w.txt");
    folder("C");
    QVERIFY(m_table.open(root(), QStringLiteral("Archiv")));
    records({ "A\\B\\|x.txt", "A\\B\\S\\|y.txt", "A\\BX\\|z.txt", "A\\|w.txt" });
    QVERIFY(m_table.SetFolderRange(QStringLiteral("A\\B\\")));
}

void TestFolderRename::cleanup()
{
    m_table.close();
}

void TestFolderRename::records(const QStringList &dirAndNames)
{
    DbfTable &t = m_table.table();
    for (const QString &entry : dirAndNames) {
        QVERIFY(t.append());
        m_table.setText(CatalogTable::DIR, entry.section('|', 0, 0));
        m_table.setText(CatalogTable::NAME, entry.section('|', 1));
        m_table.setText(CatalogTable::NOTE, QStringLiteral("note"));
        QVERIFY(t.post());
    }
}

// DIR|NAME of every record, sorted.
QStringList TestFolderRename::dirs()
{
    QStringList out;
    DbfTable &t = m_table.table();
    const QByteArray order = t.order();
    t.setOrder(QByteArray());
    for (DbStatus st = t.first(); st && !t.eof(); st = t.next())
        out << m_table.text(CatalogTable::DIR) + QLatin1Char('|')
                + m_table.text(CatalogTable::NAME);
    t.setOrder(order);
    out.sort();
    return out;
}

QStringList TestFolderRename::disk() const
{
    QStringList out;
    QDirIterator it(root(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next().mid(root().size());
        if (!path.startsWith(QLatin1String("Archiv.")))
            out << path;
    }
    out.sort();
    return out;
}

void TestFolderRename::typedPaths_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("tooLong");
    QTest::newRow("closing backslash added") << "A\\New"
                                             << "A\\New\\" << false;
    QTest::newRow("slashes and doubled separators") << "A//B/C/"
                                                    << "A\\B\\C\\" << false;
    QTest::newRow("nothing but separators") << "\\/"
                                            << "" << false;
    QTest::newRow("80 characters") << QString(80, 'n') << QString(80, 'n') + "\\" << false;
    QTest::newRow("81 characters") << QString(81, 'n') << QString(81, 'n') + "\\" << true;
}

void TestFolderRename::typedPaths()
{
    QFETCH(QString, typed);
    QFETCH(QString, path);
    QFETCH(bool, tooLong);
    QCOMPARE(typedfolder::folderPath(typed), path);
    QCOMPARE(typedfolder::tooLong(typed), tooLong);
}

void TestFolderRename::recordsTravelWithTheFolder_data()
{
    QTest::addColumn<QString>("newPath");
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<int>("moved");
    QTest::addColumn<QStringList>("after");
    const QStringList untouched = { "A\\BX\\|z.txt", "A\\|w.txt" };
    QTest::newRow("into another top-level folder")
        << "C\\B"
        << "C/B/S/y.txt" << 2
        << (QStringList { "A\\BX\\|z.txt", "A\\|w.txt", "C\\B\\S\\|y.txt", "C\\B\\|x.txt" });
    QTest::newRow("renamed in place, typed with slashes")
        << "A/Neu/"
        << "A/Neu/x.txt" << 2
        << (QStringList { "A\\BX\\|z.txt", "A\\NEU\\S\\|y.txt", "A\\NEU\\|x.txt", "A\\|w.txt" });
    QTest::newRow("letter case only")
        << "a\\b\\"
        << "A/b/S/y.txt" << 0
        << (QStringList { "A\\BX\\|z.txt", "A\\B\\S\\|y.txt", "A\\B\\|x.txt", "A\\|w.txt" });
    QTest::newRow("unchanged") << "A\\B\\"
                               << "A/B/x.txt" << 0
                               << (QStringList { "A\\BX\\|z.txt", "A\\B\\S\\|y.txt", "A\\B\\|x.txt",
                                      "A\\|w.txt" });
}

void TestFolderRename::recordsTravelWithTheFolder()
{
    QFETCH(QString, newPath);
    QFETCH(QString, onDisk);
    QFETCH(int, moved);
    QFETCH(QStringList, after);
    const FolderRename r = RenameFolder(m_table, root(), QStringLiteral("A\\B\\"), newPath);
    QVERIFY2(r.status, qPrintable(r.status.message()));
    QVERIFY(r.diskChanged);
    QCOMPARE(r.recordsMoved, moved);
    // The order in force is back, with the range of the folder that was current.
    QCOMPARE(m_table.table().order(), QByteArray("1"));
    QVERIFY(m_table.table().hasRange());
    QVERIFY(QFileInfo::exists(root() + onDisk));
    QCOMPARE(dirs(), after);
}

void TestFolderRename::refusedRenameChangesNothing_data()
{
    QTest::addColumn<QString>("oldPath");
    QTest::addColumn<QString>("newPath");
    QTest::addColumn<QString>("prepare"); // a folder made first
    QTest::newRow("onto an empty folder") << "A\\B\\"
                                          << "C\\B"
                                          << "C/B";
    QTest::newRow("onto a folder in other letter case") << "A\\B\\"
                                                        << "C\\B"
                                                        << "C/b";
    QTest::newRow("onto a file") << "A\\B\\"
                                 << "A\\w.txt"
                                 << "";
    QTest::newRow("into its own sub-folder") << "A\\B\\"
                                             << "A\\B\\S\\B"
                                             << "";
    QTest::newRow("dropped on itself") << "A\\B\\"
                                       << "A\\B\\B"
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
    QTest::newRow("empty new path") << "A\\B\\"
                                    << "\\"
                                    << "";
    QTest::newRow("missing folder") << "Gone\\"
                                    << "C\\Gone"
                                    << "";
    QTest::newRow("sub-folder's DIR too long") << "A\\B\\"
                                               << "C\\" + QString(77, 'L') << "";
}

void TestFolderRename::refusedRenameChangesNothing()
{
    QFETCH(QString, oldPath);
    QFETCH(QString, newPath);
    QFETCH(QString, prepare);
    if (!prepare.isEmpty())
        folder(prepare);
    const QStringList before = disk();
    const QStringList recordsBefore = dirs();
    const FolderRename r = RenameFolder(m_table, root(), oldPath, newPath);
    QVERIFY(!r.status);
    QCOMPARE(
        r.status.message(), QStringLiteral("Folder  '%1'  could not be renamed !").arg(oldPath));
    QVERIFY(!r.diskChanged);
    QCOMPARE(disk(), before);
    QCOMPARE(dirs(), recordsBefore);
}

void TestFolderRename::recordsHiddenByTagFilterTravelToo()
{
    m_table.setTagFilter([](const DbfTable &) { return false; });
    const FolderRename r = RenameFolder(m_table, root(), "A\\B\\", "C\\B\\");
    QVERIFY(r.status);
    QCOMPARE(r.recordsMoved, 2);
    QVERIFY(!m_table.tagFilterOn());
}

void TestFolderRename::failedRecordWriteUndoesTheRename()
{
    // The second record write fails; the first one is put back, and so is the folder.
    int posts = 0;
    m_table.table().setHooks({ {}, {}, [&posts] {
                                  return ++posts == 2 ? DbStatus(DbStatus::IoError, "disk full")
                                                      : DbStatus::ok();
                              } });
    const QStringList before = disk();
    const QStringList recordsBefore = dirs();
    const FolderRename r = RenameFolder(m_table, root(), "A\\B\\", "C\\B\\");
    QVERIFY(!r.status);
    QVERIFY(r.status.message().startsWith("Folder  'A\\B\\'  could not be renamed !\rdisk full"));
    QVERIFY(!r.diskChanged);
    QCOMPARE(r.recordsMoved, 0);
    QCOMPARE(disk(), before);
    QCOMPARE(dirs(), recordsBefore);
}

void TestFolderRename::emptyFolderRemoval_data()
{
    QTest::addColumn<QString>("content"); // a file or folder inside E, or none
    QTest::addColumn<bool>("removed");
    QTest::newRow("empty, typed in other case") << "" << true;
    QTest::newRow("only an info file") << "E/a.txt.!" << false;
    QTest::newRow("only a description file") << "E/Descript.ion" << false;
    QTest::newRow("only a hidden folder") << "E/.h/" << false;
}

void TestFolderRename::emptyFolderRemoval()
{
    QFETCH(QString, content);
    QFETCH(bool, removed);
    folder("E");
    if (content.endsWith('/'))
        folder(content);
    else if (!content.isEmpty())
        file(content);
    QCOMPARE(removeEmptyFolder(root(), "e\\"), removed);
    QCOMPARE(QFileInfo::exists(root() + "E"), !removed);
    // A link to a folder is never removed in its place.
    QVERIFY(QFile::link(root() + "C", root() + "L"));
    QVERIFY(!removeEmptyFolder(root(), "L\\"));
    QVERIFY(QFileInfo(root() + "C").isDir());
}

QTEST_GUILESS_MAIN(TestFolderRename)
#include "tst_folderrename.moc"
