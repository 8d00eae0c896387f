#include "browse/catalogmodel.h"
#include "browse/filedelete.h"
#include "browse/textpane.h"
#include "platform/diskpath.h"
#include "store/catalogtable.h"
#include "support/catalogrecords.h"
#include "support/testutil.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The parts of record and text editing that need no window: the grid model's cells in
// record edit mode, deleting a file with its info file and record, and the text files of
// the text pane.
class TestEditCore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void cellsEditableOnlyInRecordEditMode();
    void typedValueGoesToTheRecordsBuffer();
    void deleteRemovesFileInfoFileAndRecord();
    void deleteRefusedLeavesEverything_data();
    void deleteRefusedLeavesEverything();
    void textFileLines_data();
    void textFileLines();
    void writeTextFile();

private:
    QString root() const { return m_dir->path() + QLatin1Char('/'); }
    void add(const QString &name);

    std::unique_ptr<QTemporaryDir> m_dir;
    CatalogTable m_table;
};

void TestEditCore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_table.open(root(), QStringLiteral("Arch")));
    m_table.deletedCount = 0;
    for (const char *name : { "a.txt", "b.txt", "c.txt" })
        add(QLatin1String(name));
    QVERIFY(m_table.setFolderRange(QStringLiteral("D\\")));
}

void TestEditCore::cleanup()
{
    m_table.close();
    m_dir.reset();
}

void TestEditCore::add(const QString &name)
{
    QVERIFY(testutil::addRecords(m_table, { { QStringLiteral("D\\"), name } }));
    QVERIFY(testutil::writeFile(root() + "D/" + name, "x"));
}

void TestEditCore::cellsEditableOnlyInRecordEditMode()
{
    CatalogModel model(&m_table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.reload();
    const QModelIndex note = model.index(0, CatalogModel::NoteColumn);
    QVERIFY(!(note.flags() & Qt::ItemIsEditable));
    QVERIFY(!model.setData(note, QStringLiteral("x")));
    model.setEditable(true);
    for (int column = 0; column < CatalogModel::ColumnCount; ++column)
        QCOMPARE(bool(model.index(0, column).flags() & Qt::ItemIsEditable),
            column <= CatalogModel::TagsColumn);
    QVERIFY(!model.setData(model.index(0, CatalogModel::SizeColumn), QStringLiteral("1 K")));
    QCOMPARE(m_table.table().state(), DbfTable::State::Browse);
}

void TestEditCore::typedValueGoesToTheRecordsBuffer()
{
    CatalogModel model(&m_table);
    model.reload();
    model.setEditable(true);
    // Closing an editor unchanged starts no edit.
    QVERIFY(model.setData(model.index(1, CatalogModel::NoteColumn), QString()));
    QCOMPARE(m_table.table().state(), DbfTable::State::Browse);
    QVERIFY(!model.showsTypedValues());

    QVERIFY(model.setData(model.index(1, CatalogModel::TagsColumn), QStringLiteral("b a")));
    QCOMPARE(m_table.table().state(), DbfTable::State::Edit);
    QCOMPARE(m_table.text(CatalogTable::NAME), QStringLiteral("b.txt"));
    QCOMPARE(model.index(1, CatalogModel::TagsColumn).data().toString(), QStringLiteral("b a"));
    QVERIFY(model.showsTypedValues());
    // Another row: the first edit is written (by the table's move) before the next starts.
    QVERIFY(model.setData(model.index(2, CatalogModel::NoteColumn), QStringLiteral("third")));
    QCOMPARE(m_table.text(CatalogTable::NAME), QStringLiteral("c.txt"));
    QVERIFY(m_table.table().post());
    model.reload();
    QVERIFY(!model.showsTypedValues());
    QCOMPARE(model.index(1, CatalogModel::TagsColumn).data().toString(), QStringLiteral("b a"));
    QCOMPARE(model.index(2, CatalogModel::NoteColumn).data().toString(), QStringLiteral("third"));
}

void TestEditCore::deleteRemovesFileInfoFileAndRecord()
{
    QVERIFY(testutil::writeFile(root() + "D/b.txt.!", "text\r\n"));
    QVERIFY(m_table.table().goTo(2));
    const PathResolver resolver(root());
    const FileDeletion done = deleteCurrentFile(m_table, resolver);
    QVERIFY(done.fileDeleted);
    QVERIFY(done.infoFile);
    QVERIFY(done.record);
    QVERIFY(!QFile::exists(root() + "D/b.txt") && !QFile::exists(root() + "D/b.txt.!"));
    QCOMPARE(m_table.deletedCount, 1);
    QCOMPARE(m_table.text(CatalogTable::NAME), QStringLiteral("c.txt"));
    QVERIFY(QFile::exists(root() + "D/a.txt") && QFile::exists(root() + "D/c.txt"));
}

void TestEditCore::deleteRefusedLeavesEverything_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("file gone") << "gone";
    QTest::newRow("folder of that name") << "folder";
}

void TestEditCore::deleteRefusedLeavesEverything()
{
    QFETCH(QString, obstacle);
    QVERIFY(QFile::remove(root() + "D/b.txt"));
    if (obstacle == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(root() + "D/b.txt"));
    QVERIFY(testutil::writeFile(root() + "D/b.txt.!", "text\r\n"));
    QVERIFY(m_table.table().goTo(2));
    const FileDeletion done = deleteCurrentFile(m_table, PathResolver(root()));
    QVERIFY(!done.fileDeleted);
    QCOMPARE(m_table.deletedCount, 0);
    QCOMPARE(m_table.text(CatalogTable::NAME), QStringLiteral("b.txt"));
    QVERIFY(QFile::exists(root() + "D/b.txt.!"));
    QCOMPARE(QFileInfo::exists(root() + "D/b.txt"), obstacle == QLatin1String("folder"));
}

void TestEditCore::textFileLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("mixed line ends")
        << QByteArray("a\r\nb\rc\nd") << QStringLiteral("a\nb\nc\nd\n");
    QTest::newRow("empty lines kept") << QByteArray("a\r\n\r\nb\r\n") << QStringLiteral("a\n\nb\n");
    QTest::newRow("Windows-1252") << QByteArray("\x80 5\r\n") << QStringLiteral("\u20ac 5\n");
}

void TestEditCore::textFileLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QVERIFY(testutil::writeFile(root() + "in.txt", bytes));
    QString read;
    QVERIFY(textpane::readTextFile(root() + "in.txt", read));
    QCOMPARE(read, text);
}

void TestEditCore::writeTextFile()
{
    QString read;
    QCOMPARE(textpane::readTextFile(root() + "none.txt", read).code(), DbStatus::NotFound);
    QCOMPARE(textpane::readTextFile(root() + "D", read).code(), DbStatus::IoError);

    bool lossy = true;
    QVERIFY(textpane::writeTextFile(root() + "out.txt", QStringLiteral("one\ntwo\n"), &lossy));
    QVERIFY(!lossy);
    QCOMPARE(testutil::readFile(root() + "out.txt"), QByteArray("one\r\ntwo\r\n"));
    // An empty pane still makes a file: "Save text as" is asked for one.
    QVERIFY(textpane::writeTextFile(root() + "out.txt", QString(), &lossy));
    QVERIFY(QFile::exists(root() + "out.txt"));
    QCOMPARE(testutil::readFile(root() + "out.txt"), QByteArray());
    QVERIFY(textpane::writeTextFile(root() + "out.txt", QStringLiteral("\u0142\u20ac"), &lossy));
    QVERIFY(lossy);
    QCOMPARE(testutil::readFile(root() + "out.txt"), QByteArray("?\x80\r\n"));
    QCOMPARE(textpane::writeTextFile(root() + "missing/out.txt", QStringLiteral("x")).code(),
        DbStatus::IoError);
}

QTEST_GUILESS_MAIN(TestEditCore)
#include "tst_editcore.moc"
