#include "fileops/filecopy.h"
#include "fileops/filemove.h"
#include "platform/diskpath.h"
#include "store/catalogtable.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QtTest>

#include <QDirIterator>

// A file moved to another folder with its info file and its record, or copied anywhere;
// whatever is refused or fails leaves disk and catalogue as they were.
class TestFileMove : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    CatalogTable m_table;

    QString root() const { return m_dir.path() + QLatin1Char('/'); }
    void file(const QString &rel, const QByteArray &bytes = "x")
    {
        QVERIFY(testutil::writeFile(root() + rel, bytes));
    }
    QByteArray read(const QString &rel) const { return testutil::readFile(root() + rel); }
    quint32 record(const QString &dir, const QString &name);
    QStringList catalogue();
    QStringList disk() const;
    FileMove move(const QString &name, const QString &destination, quint32 recno = 0);

private slots:
    void init();
    void cleanup();

    void moveTakesInfoFileAndRecord_data();
    void moveTakesInfoFileAndRecord();
    void refusedMoveChangesNothing_data();
    void refusedMoveChangesNothing();
    void failedRecordWriteUndoesTheMove();
    void copy_data();
    void copy();
};

void TestFileMove::init()
{
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
    file("D/a.txt", "file a");
    file("D/a.txt.!", "text of a");
    file("D/b c.txt", "file b");
    QVERIFY(QDir().mkpath(root() + "E"));
    QVERIFY(m_table.open(root(), QStringLiteral("Archiv")));
    record("D\\", "a.txt");
    record("D\\", "b c.txt");
    record("D\\", "gone.txt"); // its file is not there
    QVERIFY(m_table.SetFolderRange(QStringLiteral("D\\")));
}

void TestFileMove::cleanup()
{
    m_table.close();
}

quint32 TestFileMove::record(const QString &dir, const QString &name)
{
    DbfTable &t = m_table.table();
    t.append();
    m_table.setText(CatalogTable::DIR, dir);
    m_table.setText(CatalogTable::NAME, name);
    m_table.setText(CatalogTable::NOTE, QStringLiteral("note of ") + name);
    m_table.setText(CatalogTable::CODE, QStringLiteral("AB"));
    m_table.setText(CatalogTable::SIZE, QStringLiteral("6 B"));
    t.setFieldDate(CatalogTable::DATE, QDate(2024, 5, 17));
    t.post();
    return quint32(t.recNo());
}

// Every record as DIR|NAME|NOTE|CODE|DATE|SIZE, sorted.
QStringList TestFileMove::catalogue()
{
    QStringList out;
    DbfTable &t = m_table.table();
    t.cancelRange();
    for (DbStatus st = t.first(); st && !t.eof(); st = t.next())
        out << QStringList { m_table.text(CatalogTable::DIR), m_table.text(CatalogTable::NAME),
            m_table.text(CatalogTable::NOTE), m_table.text(CatalogTable::CODE),
            m_table.date().toString(Qt::ISODate), m_table.text(CatalogTable::SIZE) }
                   .join('|');
    out.sort();
    return out;
}

QStringList TestFileMove::disk() const
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

FileMove TestFileMove::move(const QString &name, const QString &destination, quint32 recno)
{
    return MoveFileRecord(m_table, root(), { recno, QStringLiteral("d\\"), name, destination });
}

void TestFileMove::moveTakesInfoFileAndRecord_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<quint32>("recno"); // as the request remembers it
    QTest::addColumn<QStringList>("moved"); // on disk, below E
    QTest::newRow("with info file") << "a.txt"
                                    << "E\\" << 1u << QStringList { "a.txt", "a.txt.!" };
    QTest::newRow("lower case, no closing backslash") << "b c.txt"
                                                      << "e" << 2u << QStringList { "b c.txt" };
    QTest::newRow("record number gone stale") << "a.txt"
                                              << "E\\" << 2u << QStringList { "a.txt", "a.txt.!" };
    QTest::newRow("name in other letter case") << "A.TXT"
                                               << "E\\" << 0u << QStringList { "a.txt", "a.txt.!" };
}

void TestFileMove::moveTakesInfoFileAndRecord()
{
    QFETCH(QString, name);
    QFETCH(QString, destination);
    QFETCH(quint32, recno);
    QFETCH(QStringList, moved);
    if (name == "A.TXT") {
        // The record spells the name otherwise than the disk.
        QVERIFY(m_table.table().goTo(1));
        QVERIFY(m_table.table().edit());
        m_table.setText(CatalogTable::NAME, name);
        QVERIFY(m_table.table().post());
    }
    QStringList expected = catalogue();
    for (QString &r : expected)
        if (r.startsWith("D\\|" + name + "|"))
            r.replace(0, 2, "E\\");
    expected.sort();
    const FileMove r = move(name, destination, recno);
    QVERIFY2(r.status, qPrintable(r.status.message()));
    QVERIFY(r.moved);
    QCOMPARE(QDir(root() + "E").entryList(QDir::Files), moved);
    for (const QString &f : moved)
        QVERIFY(!QFileInfo::exists(root() + "D/" + f));
    QCOMPARE(read("E/" + moved.first()), QByteArray(name == "b c.txt" ? "file b" : "file a"));
    QCOMPARE(catalogue(), expected);
}

void TestFileMove::refusedMoveChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("prepare"); // a file (or folder/) made first
    QTest::addColumn<QString>("message");
    const QString refused = "File  'a.txt'  could not be moved !";
    QTest::newRow("file there") << "a.txt"
                                << "E\\"
                                << "E/a.txt" << refused;
    QTest::newRow("file there in other case") << "a.txt"
                                              << "E\\"
                                              << "E/A.TXT" << refused;
    QTest::newRow("info file there") << "a.txt"
                                     << "E\\"
                                     << "E/a.txt.!" << refused;
    QTest::newRow("folder there under the name") << "a.txt"
                                                 << "E\\"
                                                 << "E/a.txt/" << refused;
    QTest::newRow("missing destination") << "a.txt"
                                         << "Nope\\"
                                         << "" << refused;
    QTest::newRow("hidden destination") << "a.txt"
                                        << ".h\\"
                                        << ".h/" << refused;
    QTest::newRow("destination too long for DIR")
        << "a.txt" << QString(81, 'L') + "\\" << QString(81, 'L') + "/" << refused;
    QTest::newRow("file missing") << "gone.txt"
                                  << "E\\"
                                  << ""
                                  << "File  'gone.txt'  could not be moved !";
    QTest::newRow("no such record") << "x.txt"
                                    << "E\\"
                                    << "D/x.txt"
                                    << "File  'x.txt'  could not be moved !";
    QTest::newRow("same folder") << "a.txt"
                                 << "d"
                                 << ""
                                 << "Destination and source are the same ...";
}

void TestFileMove::refusedMoveChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, destination);
    QFETCH(QString, prepare);
    QFETCH(QString, message);
    if (prepare.endsWith('/'))
        QVERIFY(QDir().mkpath(root() + prepare));
    else if (!prepare.isEmpty())
        file(prepare, "other");
    const QStringList before = disk();
    const QStringList records = catalogue();
    const FileMove r = move(name, destination);
    QVERIFY(!r.status);
    QVERIFY(!r.moved && !r.diskChanged);
    QCOMPARE(r.status.message(), message);
    QCOMPARE(disk(), before);
    QCOMPARE(catalogue(), records);
}

void TestFileMove::failedRecordWriteUndoesTheMove()
{
    m_table.table().setHooks({ {}, {}, [] { return DbStatus(DbStatus::IoError, "disk full"); } });
    const QStringList before = disk();
    const QStringList records = catalogue();
    const FileMove r = move("a.txt", "E\\", 1);
    QVERIFY(!r.moved && !r.diskChanged);
    QCOMPARE(r.status.message(), QStringLiteral("File  'a.txt'  could not be moved !\rdisk full"));
    QCOMPARE(disk(), before);
    QCOMPARE(catalogue(), records);
}

void TestFileMove::copy_data()
{
    QTest::addColumn<QString>("folder"); // below the root
    QTest::addColumn<QString>("existing"); // content of a file already there, or none
    QTest::addColumn<QStringList>("answers"); // "overwrite" and "info" questions, in order
    QTest::addColumn<QByteArray>("result"); // the target's content afterwards
    QTest::addColumn<bool>("infoCopied");
    QTest::addColumn<QString>("message"); // of the failure, or none
    QTest::newRow("with info file")
        << "Copy"
        << "" << QStringList { "1" } << QByteArray("file a") << true << "";
    QTest::newRow("without info file")
        << "Copy"
        << "" << QStringList { "2" } << QByteArray("file a") << false << "";
    QTest::newRow("existing file kept on No")
        << "Copy"
        << "old" << QStringList { "2" } << QByteArray("old") << false << "";
    QTest::newRow("existing file replaced on Yes")
        << "Copy"
        << "old" << QStringList { "1", "2" } << QByteArray("file a") << false << "";
    QTest::newRow("onto itself") << "D"
                                 << "" << QStringList {} << QByteArray("file a") << false
                                 << "File  'a.txt'  could not be copied !";
    QTest::newRow("onto itself through a link") << "L"
                                                << "" << QStringList {} << QByteArray("file a")
                                                << false << "File  'a.txt'  could not be copied !";
}

void TestFileMove::copy()
{
    QFETCH(QString, folder);
    QFETCH(QString, existing);
    QFETCH(QStringList, answers);
    QFETCH(QByteArray, result);
    QFETCH(bool, infoCopied);
    QFETCH(QString, message);
    QVERIFY(QFile::link(root() + "D", root() + "L"));
    QVERIFY(QDir().mkpath(root() + "Copy"));
    if (!existing.isEmpty())
        file("Copy/a.txt", existing.toLatin1());
    const QDateTime stamp(QDate(2021, 3, 4), QTime(10, 0));
    QFile source(root() + "D/a.txt");
    QVERIFY(source.open(QIODevice::ReadWrite));
    QVERIFY(source.setFileTime(stamp, QFileDevice::FileModificationTime));
    source.close();
    {
        ScriptedDialogs dialogs;
        if (!existing.isEmpty())
            dialogs.expect(DialogKind::WarningQuestion, answers.takeFirst(),
                "File  'a.txt'  exists !\rOverwrite ?");
        if (!answers.isEmpty())
            dialogs.expect(
                DialogKind::Confirmation, answers.takeFirst(), "Also copy the Info-file ?");
        const PathResolver resolver(root());
        const DbStatus st = copyCatalogueFile(resolver, "D\\", "a.txt", root() + folder);
        QCOMPARE(st.message().section('\r', 0, 0), message);
        QVERIFY(dialogs.done());
    }
    QCOMPARE(read(folder + "/a.txt"), result);
    QCOMPARE(read("D/a.txt"), QByteArray("file a"));
    QCOMPARE(read("D/a.txt.!"), QByteArray("text of a"));
    QCOMPARE(QFileInfo::exists(root() + folder + "/a.txt.!") && folder == "Copy", infoCopied);
    if (result == "file a" && folder == "Copy")
        QCOMPARE(QFileInfo(root() + "Copy/a.txt").lastModified(), stamp);
}

QTEST_GUILESS_MAIN(TestFileMove)
#include "tst_filemove.moc"
