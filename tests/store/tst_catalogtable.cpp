#include "store/catalogtable.h"
#include "support/catalogrecords.h"
#include "support/hostileentry.h"
#include "support/testutil.h"

#include <QSignalSpy>
#include <QtTest>

namespace
{

QStringList namesInView(CatalogTable &t)
{
    QStringList names;
    for (DbStatus st = t.table().first(); st && !t.table().eof(); st = t.table().next())
        names << t.text(CatalogTable::NAME);
    return names;
}

} // namespace

class TestCatalogTable : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString root() const { return m_dir.path() + QLatin1Char('/'); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void createsTableWithLayoutAndOrders()
    {
        CatalogTable t;
        QVERIFY(t.open(root(), QStringLiteral("Archiv")));
        QVERIFY(QFileInfo::exists(root() + QStringLiteral("Archiv.dbf")));
        QVERIFY(QFileInfo::exists(root() + QStringLiteral("Archiv.mdx")));
        QCOMPARE(t.orderName(), QByteArray("1"));
        QVERIFY(t.table().isEmpty());
        const QByteArray bytes = testutil::readFile(root() + QStringLiteral("Archiv.dbf"));
        QCOMPARE(bytes.size(), 226);
    }

    void folderRangeAdmitsExactlyOneFolder()
    {
        CatalogTable t;
        QVERIFY(t.open(root(), QStringLiteral("A")));
        QVERIFY(testutil::addRecords(t,
            { { "BILDER\\FOTOS\\", "a.jpg", "", "", {} },
                { "BILDER\\FOTOS\\ALT\\", "b.jpg", "", "", {} },
                { "BILDER\\FOTOSAMMLUNG\\", "c.jpg", "", "", {} },
                { "BILDER\\", "d.jpg", "", "", {} }, { "", "root.txt", "", "", {} },
                { "BILDER\\FOTOS\\", "e.jpg", "", "", {} } }));
        QVERIFY(t.setFolderRange(QStringLiteral("Bilder\\Fotos\\")));
        QCOMPARE(namesInView(t), QStringList({ "a.jpg", "e.jpg" }));
        QCOMPARE(t.currentFolder(), QStringLiteral("Bilder\\Fotos\\"));
        QVERIFY(t.setFolderRange(QString()));
        QCOMPARE(namesInView(t), QStringList({ "root.txt" }));
        QVERIFY(t.setFolderRange(QStringLiteral("LEER\\")));
        QVERIFY(t.table().isEmpty());
        // A folder path longer than DIR shows no record, not those of the ancestor that
        // its first 80 characters name.
        const QByteArray ancestor = QByteArray(38, 'A') + "\\" + QByteArray(40, 'B') + "\\";
        QVERIFY(testutil::addRecords(t,
            { { ancestor.constData(), "a.jpg", "", "", {} },
                { ancestor.constData(), "zzz.jpg", "", "", {} } }));
        QVERIFY(t.setFolderRange(QString::fromLatin1(ancestor)));
        QCOMPARE(namesInView(t).size(), 2);
        QVERIFY(t.setFolderRange(QString::fromLatin1(ancestor) + QStringLiteral("CCCC\\")));
        QVERIFY(t.table().isEmpty());
    }

    // In a Unicode table a folder typed in any case finds its records, and a folder with
    // its sub-folders is one contiguous run of keys: upper-casing keeps byte lengths.
    void unicodeFolderRangesAreContiguous_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("folder"); // the folder's own records, in name order
        QTest::addColumn<QStringList>("subtree"); // with those of every folder below it
        QTest::newRow("cyrillic") << "док\\" << QStringList { "a.txt", "b.txt" }
                                  << QStringList { "a.txt", "b.txt", "c.txt" };
        QTest::newRow("sharp s kept")
            << "straße\\" << QStringList { "s.txt" } << QStringList { "s.txt" };
        QTest::newRow("emoji") << "😀\\" << QStringList { "e.txt" } << QStringList { "e.txt" };
        QTest::newRow("greek below")
            << "ДОК\\ΑΛΦΑ\\" << QStringList { "c.txt" } << QStringList { "c.txt" };
        QTest::newRow("none") << "до\\" << QStringList() << QStringList();
    }
    void unicodeFolderRangesAreContiguous()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, folder);
        QFETCH(QStringList, subtree);
        CatalogTable t;
        TableChoices unicode;
        unicode.unicode = true;
        QVERIFY(t.open(root(), QStringLiteral("U"), "1", unicode));
        QVERIFY(t.codec().isUtf8());
        QVERIFY(testutil::addRecords(t,
            { { "ДОК\\", "b.txt", "", "", {} }, { "ДОКИ\\", "d.txt", "", "", {} },
                { "ДОК\\ΑΛΦΑ\\", "c.txt", "", "", {} }, { "ДОК\\", "a.txt", "", "", {} },
                { "ДОК ЯЯ\\", "f.txt", "", "", {} }, { "STRAßE\\", "s.txt", "", "", {} },
                { "😀\\", "e.txt", "", "", {} }, { "DOK\\", "g.txt", "", "", {} } }));
        QVERIFY(t.setFolderRange(typed));
        QCOMPARE(namesInView(t), folder);
        const auto [low, high] = t.folderRange(typed);
        QCOMPARE(low.size(), t.codec().fromUnicode(typed).size());
        QVERIFY(t.table().setRange(low, low + '\xFF'));
        QStringList names = namesInView(t);
        names.sort();
        QCOMPARE(names, subtree);
    }

    // A table whose fields are not the catalogue's is refused at open with a message that
    // names the difference, and nothing of it changes (no header repair, no index made).
    void foreignLayoutIsRefused_data()
    {
        QTest::addColumn<QByteArrayList>("fields"); // name, type and width each
        QTest::addColumn<QString>("named");
        QTest::newRow("DIR and NAME swapped") << QByteArrayList { "NAME C 80", "DIR C 80",
            "DATE D 8", "NOTE C 80", "CODE C 10", "SIZE C 6" }
                                              << "NAME C 80";
        QTest::newRow("SIZE missing") << QByteArrayList { "DIR C 80", "NAME C 80", "DATE D 8",
            "NOTE C 80", "CODE C 10" } << "SIZE C 6";
        QTest::newRow("DATE as text") << QByteArrayList { "DIR C 80", "NAME C 80", "DATE C 8",
            "NOTE C 80", "CODE C 10", "SIZE C 6" }
                                      << "DATE C 8";
        QTest::newRow("NOTE narrower") << QByteArrayList { "DIR C 80", "NAME C 80", "DATE D 8",
            "NOTE C 60", "CODE C 10", "SIZE C 6" }
                                       << "NOTE C 60";
        QTest::newRow("a field more") << QByteArrayList { "DIR C 80", "NAME C 80", "DATE D 8",
            "NOTE C 80", "CODE C 10", "SIZE C 6", "EXTRA C 5" }
                                      << "EXTRA C 5";
    }
    void foreignLayoutIsRefused()
    {
        QFETCH(QByteArrayList, fields);
        QFETCH(QString, named);
        std::vector<DbfField> layout;
        for (const QByteArray &f : fields) {
            const QByteArrayList parts = f.split(' ');
            layout.push_back({ parts[0], parts[1][0], parts[2].toInt(), 0 });
        }
        const QString path = root() + QStringLiteral("A.dbf");
        QVERIFY(DbfTable::create(path, layout, {}));
        {
            DbfTable raw;
            QVERIFY(raw.open(path, {}));
            QVERIFY(raw.append());
            QVERIFY(raw.post());
            QVERIFY(raw.close());
        }
        QByteArray bytes = testutil::readFile(path);
        bytes[4] = 7; // a count that open would repair
        QVERIFY(testutil::writeFile(path, bytes));
        CatalogTable t;
        const DbStatus st = t.open(root(), QStringLiteral("A"));
        QCOMPARE(st.code(), DbStatus::WrongLayout);
        QVERIFY2(st.message().contains(named), qPrintable(st.message()));
        QVERIFY(!t.isOpen());
        QCOMPARE(testutil::readFile(path), bytes);
        QVERIFY(!QFileInfo::exists(root() + QStringLiteral("A.mdx")));
    }

    // The archive's table and index are found whatever the letter case of their names on
    // disk; no second, empty table is made beside them.
    void tableAndIndexFoundWithoutRegardToCase()
    {
        {
            CatalogTable t;
            QVERIFY(t.open(root(), QStringLiteral("ARCHIVE")));
            QVERIFY(testutil::addRecords(t, { { "", "x.jpg", "", "", {} } }));
            QVERIFY(t.close());
        }
        QVERIFY(QFile::rename(root() + "ARCHIVE.dbf", root() + "ARCHIVE.DBF"));
        QVERIFY(QFile::rename(root() + "ARCHIVE.mdx", root() + "ARCHIVE.MDX"));
        const QByteArray index = testutil::readFile(root() + "ARCHIVE.MDX");
        CatalogTable t;
        QVERIFY(t.open(root(), QStringLiteral("Archive")));
        QCOMPARE(namesInView(t), QStringList { "x.jpg" });
        QVERIFY(t.fileName().endsWith(QLatin1String("/ARCHIVE.DBF")));
        QVERIFY(t.close());
        QCOMPARE(
            QDir(root()).entryList(QDir::Files), (QStringList { "ARCHIVE.DBF", "ARCHIVE.MDX" }));
        QCOMPARE(testutil::readFile(root() + "ARCHIVE.MDX"), index); // used, not rebuilt
    }

    void switchOrderCyclesAndKeepsRecord()
    {
        CatalogTable t;
        QVERIFY(t.open(root(), QStringLiteral("A")));
        QVERIFY(testutil::addRecords(t,
            { { "F\\", "b.txt", "zebra", "Z", QDate(2020, 1, 1) },
                { "F\\", "a.txt", "apfel", "A", QDate(2021, 1, 1) },
                { "F\\", "c.txt", "mitte", "M", QDate(2019, 1, 1) } }));
        QVERIFY(t.setFolderRange(QStringLiteral("F\\")));
        QCOMPARE(namesInView(t), QStringList({ "a.txt", "b.txt", "c.txt" }));
        QVERIFY(t.table().goTo(3)); // c.txt
        QSignalSpy switching(&t, &CatalogTable::orderSwitching);
        QSignalSpy switched(&t, &CatalogTable::orderSwitched);
        QSignalSpy attached(&t, &CatalogTable::viewsAttached);

        const QList<int> cycle = { 4, 3, 2, 1 };
        for (int expected : cycle) {
            QVERIFY(t.switchOrder(0));
            QCOMPARE(t.orderName(), QByteArray::number(expected));
            QCOMPARE(switched.takeLast().at(0).toInt(), expected);
            QCOMPARE(t.table().recNo(), qint64(3));
        }
        QCOMPARE(switching.count(), 4);
        QCOMPARE(attached.count(), 4);
        QVERIFY(t.switchOrder(2));
        QCOMPARE(namesInView(t), QStringList({ "c.txt", "b.txt", "a.txt" }));
        QVERIFY(t.switchOrder(4));
        QCOMPARE(namesInView(t), QStringList({ "a.txt", "c.txt", "b.txt" }));
    }

    void switchOrderOnEmptyFolderShowsIt()
    {
        CatalogTable t;
        QVERIFY(t.open(root(), QStringLiteral("A")));
        QVERIFY(testutil::addRecords(t, { { "F\\", "a.txt", "", "", {} } }));
        QVERIFY(t.setFolderRange(QStringLiteral("LEER\\")));
        QVERIFY(t.switchOrder(3));
        QVERIFY(t.table().isEmpty());
        QCOMPARE(t.currentFolder(), QStringLiteral("LEER\\"));
    }

    void storedOrderIsUsedAtOpen()
    {
        {
            CatalogTable t;
            QVERIFY(t.open(root(), QStringLiteral("A"), "3"));
            QCOMPARE(t.table().order(), QByteArray("3"));
        }
        CatalogTable t;
        QVERIFY(t.open(root(), QStringLiteral("A"), "x"));
        QCOMPARE(t.orderName(), QByteArray("1"));
    }

    void tagsAreCleaned_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("blanks and repeats") << " b a b"
                                            << "BA";
        QTest::newRow("repeats in between") << "a b a c"
                                            << "ABC";
        QTest::newRow("xx y") << "xx y"
                              << "XY";
        QTest::newRow("accents") << QStringLiteral("\u00e9\u00c9x") << QStringLiteral("\u00c9X");
        QTest::newRow("empty") << ""
                               << "";
    }
    void tagsAreCleaned()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(CatalogTable::cleanTags(typed, TextCodec::windows1252()), stored);
    }

    void recordRulesRenameFileAndInfo_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("rename") << "b.txt"
                                << "b.txt";
        QTest::newRow("no dot") << "readme"
                                << "a.txt";
        QTest::newRow("empty") << ""
                               << "a.txt";
        QTest::newRow("path separator") << "x/b.txt"
                                        << "a.txt";
        QTest::newRow("case only") << "A.TXT"
                                   << "A.TXT";
    }
    void recordRulesRenameFileAndInfo()
    {
        QFETCH(QString, newName);
        QFETCH(QString, expected);
        QVERIFY(testutil::writeFile(root() + QStringLiteral("Docs/a.txt"), "data"));
        QVERIFY(testutil::writeFile(root() + QStringLiteral("Docs/a.txt.!"), "long text"));
        CatalogTable t;
        QVERIFY(t.open(root(), QStringLiteral("A")));
        QVERIFY(testutil::addRecords(t, { { "DOCS\\", "a.txt", "note", "", {} } }));
        QVERIFY(t.setFolderRange(QStringLiteral("Docs\\")));
        t.setRecordEditMode(true);
        QVERIFY(t.table().edit());
        QCOMPARE(t.nameBeforeEdit, QStringLiteral("a.txt"));
        t.setText(CatalogTable::NAME, newName);
        t.setText(CatalogTable::CODE, QStringLiteral("b a b"));
        QVERIFY(t.table().post());
        QCOMPARE(t.text(CatalogTable::NAME), expected);
        QCOMPARE(t.text(CatalogTable::CODE), QStringLiteral("BA"));
        QVERIFY(QFileInfo::exists(root() + QStringLiteral("Docs/") + expected));
        QCOMPARE(
            testutil::readFile(root() + QStringLiteral("Docs/") + expected + QStringLiteral(".!")),
            QByteArray("long text"));
        QCOMPARE(QDir(root() + QStringLiteral("Docs")).entryList(QDir::Files).size(), 2);
    }

    void renameNeverReplacesAnotherFile()
    {
        QVERIFY(testutil::writeFile(root() + QStringLiteral("D/a.txt"), "mine"));
        QVERIFY(testutil::writeFile(root() + QStringLiteral("D/b.txt"), "other"));
        CatalogTable t;
        QStringList reported;
        t.setErrorReporter([&](const QString &m) { reported << m; });
        QVERIFY(t.open(root(), QStringLiteral("A")));
        QVERIFY(testutil::addRecords(t, { { "D\\", "a.txt", "note", "", {} } }));
        QVERIFY(t.setFolderRange(QStringLiteral("D\\")));
        t.setRecordEditMode(true);
        QVERIFY(t.table().edit());
        t.setText(CatalogTable::NAME, QStringLiteral("b.txt"));
        QVERIFY(t.table().post());
        QCOMPARE(t.text(CatalogTable::NAME), QStringLiteral("a.txt"));
        QCOMPARE(
            reported, QStringList({ QStringLiteral("File  'a.txt'  could not be renamed !") }));
        QCOMPARE(testutil::readFile(root() + QStringLiteral("D/b.txt")), QByteArray("other"));
        QCOMPARE(testutil::readFile(root() + QStringLiteral("D/a.txt")), QByteArray("mine"));
    }

    void rulesOnlyActInRecordEditMode()
    {
        CatalogTable t;
        QVERIFY(t.open(root(), QStringLiteral("A")));
        t.setRecordEditMode(true);
        QCOMPARE(t.table().append().code(), DbStatus::Refused);
        t.setRecordEditMode(false);
        QVERIFY(testutil::addRecords(t, { { "D\\", "no-dot", "", "b a", {} } }));
        QVERIFY(t.setFolderRange(QStringLiteral("D\\")));
        QCOMPARE(t.text(CatalogTable::NAME), QStringLiteral("no-dot"));
        QCOMPARE(t.text(CatalogTable::CODE), QStringLiteral("b a"));
    }

    // A damaged index met while reading is rebuilt, and the user is told once the running
    // command is over, never from inside the walk.
    void damagedIndexIsToldAfterTheCommand()
    {
        {
            CatalogTable t;
            QVERIFY(t.open(root(), QStringLiteral("Archiv")));
            for (int i = 0; i < 30; ++i)
                QVERIFY(testutil::addRecords(
                    t, { { "A\\", QStringLiteral("f%1.txt").arg(i), "", "", {} } }));
            QVERIFY(t.close());
        }
        const QString index = root() + QStringLiteral("Archiv.mdx");
        QByteArray bytes = testutil::readFile(index);
        const auto page
            = [&](int at) { return int(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8); };
        const int leaf = page(4 * 512 + 248) * 512;
        bytes.replace(leaf + 8 + 104, 4, QByteArray(4, '\0')); // an entry for record 0
        QVERIFY(testutil::writeFile(index, bytes));

        CatalogTable t;
        QStringList told;
        t.setErrorReporter([&told](const QString &m) { told << m; });
        QVERIFY(t.open(root(), QStringLiteral("Archiv")));
        QVERIFY(t.setFolderRange(QStringLiteral("A\\")));
        QCOMPARE(namesInView(t).size(), 30);
        QVERIFY(told.isEmpty());
        QTRY_COMPARE(told.size(), 1);
        QVERIFY2(told[0].contains(QLatin1String("rebuilt")), qPrintable(told[0]));
    }

    void packStepResetsDeletedCount()
    {
        CatalogTable t;
        QVERIFY(t.open(root(), QStringLiteral("A")));
        QVERIFY(testutil::addRecords(t,
            { { "D\\", "1.txt", "", "", {} }, { "D\\", "2.txt", "", "", {} },
                { "D\\", "3.txt", "", "", {} } }));
        QVERIFY(t.setFolderRange(QStringLiteral("D\\")));
        QVERIFY(t.table().goTo(2));
        QVERIFY(t.table().deleteRecord());
        ++t.deletedCount;
        QCOMPARE(t.text(CatalogTable::NAME), QStringLiteral("3.txt"));
        QSignalSpy attached(&t, &CatalogTable::viewsAttached);
        QVERIFY(t.packStep());
        QCOMPARE(attached.count(), 1);
        QCOMPARE(t.deletedCount, 0);
        QCOMPARE(t.table().physicalCount(), 2u);
        QVERIFY(t.setFolderRange(QStringLiteral("D\\")));
        QCOMPARE(namesInView(t), QStringList({ "1.txt", "3.txt" }));
    }

    // The table and its index are never written through a link. The index is made anew
    // whenever it is unfit: a link in its place is replaced; a table behind a link, or a
    // FIFO or device in the place of either, is refused with a message naming the file.
    void tableOrIndexThatIsNoPlainFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("refusal"); // Ok: opened
        QTest::newRow("index: link to a file outside")
            << "A.mdx" << int(HostileEntry::LinkOutside) << int(DbStatus::Ok);
        QTest::newRow("index: link to a device")
            << "A.mdx" << int(HostileEntry::LinkToDevice) << int(DbStatus::Ok);
        QTest::newRow("index: dangling link")
            << "A.mdx" << int(HostileEntry::DanglingLink) << int(DbStatus::Ok);
        // The index cannot be made anew in a FIFO's place: the table is read without it.
        QTest::newRow("index: FIFO") << "A.mdx" << int(HostileEntry::Fifo) << int(DbStatus::Ok);
        QTest::newRow("table: link to a file outside")
            << "A.dbf" << int(HostileEntry::LinkOutside) << int(DbStatus::NotATable);
        QTest::newRow("table: dangling link")
            << "A.dbf" << int(HostileEntry::DanglingLink) << int(DbStatus::NotATable);
        QTest::newRow("table: FIFO")
            << "A.dbf" << int(HostileEntry::Fifo) << int(DbStatus::NotATable);
    }
    void tableOrIndexThatIsNoPlainFile()
    {
        QFETCH(QString, file);
        QFETCH(int, kind);
        QFETCH(int, refusal);
        {
            CatalogTable t;
            QVERIFY(t.open(root(), QStringLiteral("A")));
            QVERIFY(testutil::addRecords(t, { { "D\\", "a.txt", "", "", {} } }));
        }
        const HostileEntry entry(root() + QStringLiteral("out"));
        QVERIFY(QFile::remove(root() + file));
        QVERIFY(entry.make(HostileEntry::Kind(kind), root() + file));
        CatalogTable t;
        const DbStatus st = t.open(root(), QStringLiteral("A"));
        QCOMPARE(int(st.code()), refusal);
        QVERIFY(entry.outsideIntact());
        if (refusal != DbStatus::Ok) {
            QVERIFY2(st.message().contains(file), qPrintable(st.message()));
            QVERIFY(HostileEntry::stillThere(HostileEntry::Kind(kind), root() + file));
            return;
        }
        if (kind == HostileEntry::Fifo) {
            QVERIFY(t.table().readsWithoutIndex());
            QVERIFY(HostileEntry::stillThere(HostileEntry::Kind(kind), root() + file));
        } else {
            QVERIFY(QFileInfo(root() + file).isFile() && !QFileInfo(root() + file).isSymLink());
        }
        QVERIFY(t.setFolderRange(QStringLiteral("D\\")));
        QCOMPARE(namesInView(t), QStringList { "a.txt" });
    }
};

QTEST_GUILESS_MAIN(TestCatalogTable)
#include "tst_catalogtable.moc"
