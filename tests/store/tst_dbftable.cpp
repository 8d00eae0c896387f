#include "dbftesthelp.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <sys/wait.h>
#include <unistd.h>

using namespace dbftest;

// Counts heap allocations, so that a test can tell whether walking costs one per record.
static std::atomic<long> g_allocations { 0 };
#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator cannot be replaced; it reports every allocation to a hook.
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*)(const volatile void *, size_t), void (*)(const volatile void *));
static const bool g_counting = __sanitizer_install_malloc_and_free_hooks(
    [](const volatile void *, size_t) { g_allocations.fetch_add(1, std::memory_order_relaxed); },
    [](const volatile void *) {});
#else
static const bool g_counting = true;
extern "C" void *__libc_malloc(size_t size);
extern "C" void *malloc(size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
#endif

class TestDbfTable : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    void createCatalogue()
    {
        QFile::remove(m_path);
        QFile::remove(mdxPath());
        DBF_VERIFY_OK(DbfTable::create(m_path, catalogueFields(), catalogueTags()));
    }
    QString mdxPath() const { return m_dir.filePath(QStringLiteral("cat.mdx")); }

    // Three folders; names chosen so that every order differs from physical order.
    void fillSample(DbfTable &t)
    {
        const QDate d(2021, 4, 3);
        const std::vector<Rec> recs = {
            { "PHOTOS\\", "zeta.jpg", d.addDays(2), "b note", "X" },
            { "PHOTOS\\2019\\", "inner.jpg", d, "", "" },
            { "PHOTOS\\", "Alpha.jpg", d.addDays(5), "c note", "A" },
            { "PHOTOSAMMLUNG\\", "other.jpg", d, "", "" },
            { "PHOTOS\\", "mid.jpg", d, "a note", "B" },
            { "", "root.txt", d, "", "" },
        };
        for (const Rec &r : recs)
            DBF_VERIFY_OK(add(t, r));
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("cat.dbf"));
        createCatalogue();
    }

    void freshCatalogueIsHeaderAndEndByte()
    {
        const QByteArray b = bytesOf(m_path);
        QCOMPARE(b.size(), 226);
        QCOMPARE(quint8(b[0]), quint8(0x03));
        const QDate today = QDate::currentDate();
        QCOMPARE(int(quint8(b[1])), today.year() - 1900);
        QCOMPARE(int(b[2]), today.month());
        QCOMPARE(int(b[3]), today.day());
        QCOMPARE(le32(b, 4), 0u);
        QCOMPARE(b.mid(8, 4), QByteArray::fromHex("e1000901"));
        QCOMPARE(b.mid(12, 16), QByteArray(16, '\0'));
        QCOMPARE(int(b[28]), 1);
        QCOMPARE(int(b[29]), 0);
        QCOMPARE(b.mid(32, 11), QByteArray("DIR\0\0\0\0\0\0\0\0", 11));
        QCOMPARE(b[32 + 11], 'C');
        QCOMPARE(int(quint8(b[32 + 16])), 80);
        QCOMPARE(b.mid(64, 5), QByteArray("NAME\0", 5));
        QCOMPARE(b[96 + 11], 'D');
        QCOMPARE(int(b[96 + 16]), 8);
        QCOMPARE(b[192 + 11], 'C'); // SIZE
        QCOMPARE(int(b[192 + 16]), 6);
        QCOMPARE(int(quint8(b[224])), 0x0D);
        QCOMPARE(int(quint8(b[225])), 0x1A);
        QVERIFY(QFile::exists(mdxPath()));
    }

    void appendDeleteAtByteLevel()
    {
        {
            DbfTable t;
            DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
            const QString longName = QString(85, QLatin1Char('n'));
            DBF_VERIFY_OK(add(t, { "A\\", longName, QDate(2021, 4, 3), " lead", "AB" }));
            QCOMPARE(t.recNo(), 1);
            QCOMPARE(t.fieldText(Name), QString(80, QLatin1Char('n')));
            DBF_VERIFY_OK(t.close());
        }
        const QByteArray b = bytesOf(m_path);
        QCOMPARE(b.size(), 226 + 265);
        QCOMPARE(le32(b, 4), 1u);
        QCOMPARE(int(quint8(b[225 + 265])), 0x1A);
        const QByteArray rec = b.mid(225, 265);
        QCOMPARE(rec[0], ' ');
        QCOMPARE(rec.mid(1, 80), QByteArray("A\\") + QByteArray(78, ' '));
        QCOMPARE(rec.mid(81, 80), QByteArray(80, 'n'));
        QCOMPARE(rec.mid(161, 8), QByteArray("20210403"));
        QCOMPARE(rec.mid(169, 5), QByteArray(" lead"));
        QCOMPARE(rec.mid(249, 10), QByteArray("AB        "));
        QCOMPARE(rec.mid(259, 6), QByteArray(6, ' '));
        {
            DbfTable t;
            DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
            QCOMPARE(t.fieldText(Note), QStringLiteral(" lead"));
            DBF_VERIFY_OK(t.deleteRecord());
            QVERIFY(t.isEmpty());
            QCOMPARE(t.physicalCount(), 1u);
            DBF_VERIFY_OK(t.close());
        }
        QByteArray after = bytesOf(m_path);
        QCOMPARE(after[225], '*');
        after[225] = ' ';
        QCOMPARE(after.mid(4), b.mid(4)); // only the flag (and the header date) may differ
    }

    void navigationEdges_data()
    {
        QTest::addColumn<int>("records");
        QTest::newRow("empty") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("three") << 3;
    }
    void navigationEdges()
    {
        QFETCH(int, records);
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        for (int i = 0; i < records; ++i)
            DBF_VERIFY_OK(add(t, { "D\\", QStringLiteral("f%1").arg(i), {}, {}, {} }));
        for (const QByteArray &order : { QByteArray(), QByteArray("1") }) {
            DBF_VERIFY_OK(t.setOrder(order));
            QCOMPARE(t.isEmpty(), records == 0);
            QCOMPARE(t.bof(), true);
            QCOMPARE(t.eof(), records == 0);
            QCOMPARE(t.recNo(), records ? 1 : -1);
            DBF_VERIFY_OK(t.prior());
            QVERIFY(t.bof());
            QCOMPARE(t.recNo(), records ? 1 : -1);
            DBF_VERIFY_OK(t.last());
            QCOMPARE(t.eof(), true);
            QCOMPARE(t.bof(), records == 0);
            QCOMPARE(t.recNo(), records ? records : -1);
            DBF_VERIFY_OK(t.next());
            QVERIFY(t.eof());
            QCOMPARE(t.recNo(), records ? records : -1); // the last record stays current
            QCOMPARE(walk(t).size(), records);
            QCOMPARE(walkBack(t).size(), records);
        }
    }

    void ordersAndFolderRanges_data()
    {
        QTest::addColumn<QByteArray>("order");
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QStringList>("names");
        const QStringList byName { "Alpha.jpg", "mid.jpg", "zeta.jpg" };
        QTest::newRow("1 photos") << QByteArray("1") << QByteArray("PHOTOS\\") << byName;
        QTest::newRow("2 photos") << QByteArray("2") << QByteArray("PHOTOS\\")
                                  << QStringList { "mid.jpg", "zeta.jpg", "Alpha.jpg" };
        QTest::newRow("3 photos") << QByteArray("3") << QByteArray("PHOTOS\\")
                                  << QStringList { "Alpha.jpg", "mid.jpg", "zeta.jpg" };
        QTest::newRow("4 photos") << QByteArray("4") << QByteArray("PHOTOS\\")
                                  << QStringList { "mid.jpg", "zeta.jpg", "Alpha.jpg" };
        QTest::newRow("sub folder")
            << QByteArray("1") << QByteArray("PHOTOS\\2019\\") << QStringList { "inner.jpg" };
        QTest::newRow("longer name")
            << QByteArray("4") << QByteArray("PHOTOSAMMLUNG\\") << QStringList { "other.jpg" };
        QTest::newRow("root") << QByteArray("2") << QByteArray("") << QStringList { "root.txt" };
        QTest::newRow("none") << QByteArray("1") << QByteArray("NOWHERE\\") << QStringList {};
    }
    void ordersAndFolderRanges()
    {
        QFETCH(QByteArray, order);
        QFETCH(QByteArray, folder);
        QFETCH(QStringList, names);
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        fillSample(t);
        DBF_VERIFY_OK(t.setOrder(order));
        const auto range = folderRange(folder);
        DBF_VERIFY_OK(t.setRange(range.first, range.second));
        QVERIFY(t.hasRange());
        QCOMPARE(walk(t), names);
        QCOMPARE(walkBack(t), names);
        QCOMPARE(t.isEmpty(), names.isEmpty());
        DBF_VERIFY_OK(t.cancelRange());
        QCOMPARE(walk(t).size(), 6);
    }

    // setRange promises both bounds included: the records whose key equals the high bound
    // (two of them here) are in the walk forward, at last() and in the walk back, in every
    // order, read through the index and without it; the record just above is not.
    void rangeIncludesKeysEqualToHighBound_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("withIndex");
        for (int order = 1; order <= 4; ++order)
            for (bool withIndex : { true, false })
                QTest::addRow("order %d %s", order, withIndex ? "indexed" : "without index")
                    << order << withIndex;
    }
    void rangeIncludesKeysEqualToHighBound()
    {
        QFETCH(int, order);
        QFETCH(bool, withIndex);
        const QDate d(2020, 1, 1);
        // In file order: above, high, below, between, high again, low, another folder.
        const std::vector<Rec> recs = {
            { "F\\", "z.txt", d.addDays(4), "z", "Z" },
            { "F\\", "y.txt", d.addDays(3), "y", "Y" },
            { "E\\", "a.txt", d, "a", "" },
            { "F\\", "m.txt", d.addDays(2), "m", "M" },
            { "F\\", "y.txt", d.addDays(3), "y", "Y" },
            { "F\\", "b.txt", d.addDays(1), "b", "B" },
            { "G\\", "a.txt", d, "a", "" },
        };
        const auto keyOf = [order](const Rec &r) {
            const auto pad = [](const QString &s, int n) {
                return s.toUpper().toLatin1().left(n).leftJustified(n, ' ');
            };
            const QByteArray tail[]
                = { pad(r.name, 20), r.date.toString("yyyyMMdd").toLatin1() + pad(r.name, 10),
                      pad(r.code, 10) + pad(r.name, 10), pad(r.note, 20) };
            return pad(r.dir, 80) + tail[order - 1];
        };
        {
            DbfTable t;
            DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
            for (const Rec &r : recs)
                DBF_VERIFY_OK(add(t, r));
            DBF_VERIFY_OK(t.close());
        }
        DbfTable t;
        if (withIndex)
            DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        else
            DBF_VERIFY_OK(openWithoutIndex(t, m_path, mdxPath(), catalogueTags()));
        DBF_VERIFY_OK(t.setOrder(QByteArray::number(order)));
        DBF_VERIFY_OK(t.setRange(keyOf(recs[5]), keyOf(recs[1])));
        const QList<qint64> inRange { 6, 4, 2, 5 };
        QList<qint64> forward, backward;
        for (DbStatus st = t.first(); st && !t.eof() && forward.size() < 10; st = t.next())
            forward << t.recNo();
        QCOMPARE(forward, inRange);
        DBF_VERIFY_OK(t.last());
        QCOMPARE(t.recNo(), 5);
        for (DbStatus st; st && !t.bof() && backward.size() < 10; st = t.prior())
            backward.prepend(t.recNo());
        QCOMPARE(backward, inRange);
        QCOMPARE(t.goTo(1).code(), DbStatus::NoRecord);
        DBF_VERIFY_OK(t.goTo(5));
    }

    void upperCaseKeysSortAbcBeforeAbd()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        DBF_VERIFY_OK(add(t, { "F\\", "ABD.txt", {}, {}, {} }));
        DBF_VERIFY_OK(add(t, { "F\\", "abc.txt", {}, {}, {} }));
        DBF_VERIFY_OK(add(t, { "F\\", QStringLiteral("\u00e9t\u00e9.txt"), {}, {}, {} }));
        DBF_VERIFY_OK(add(t, { "F\\", "zz.txt", {}, {}, {} }));
        DBF_VERIFY_OK(t.setOrder("1"));
        // Windows-1252 upper-casing maps é to É (0xC9), above every ASCII letter.
        QCOMPARE(walk(t),
            (QStringList { "abc.txt", "ABD.txt", "zz.txt", QStringLiteral("\u00e9t\u00e9.txt") }));
    }

    void physicalOrderRejectsRange()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        QCOMPARE(t.setRange("A", "B").code(), DbStatus::InvalidArgument);
        QCOMPARE(t.setOrder("9").code(), DbStatus::InvalidArgument);
    }

    void postKeepsTagsInStepAndPosition()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        fillSample(t);
        DBF_VERIFY_OK(t.setOrder("1"));
        const auto range = folderRange("PHOTOS\\");
        DBF_VERIFY_OK(t.setRange(range.first, range.second));
        // Rename Alpha to yak: it stays current and moves to the end of the order.
        QCOMPARE(t.fieldText(Name), QStringLiteral("Alpha.jpg"));
        DBF_VERIFY_OK(t.edit());
        t.setFieldText(Name, QStringLiteral("yak.jpg"));
        DBF_VERIFY_OK(t.post());
        QCOMPARE(t.fieldText(Name), QStringLiteral("yak.jpg"));
        QCOMPARE(t.recNo(), 3);
        DBF_VERIFY_OK(t.next());
        QCOMPARE(t.fieldText(Name), QStringLiteral("zeta.jpg"));
        // Moving mid.jpg to another folder takes it out of the range: the nearest
        // following record of the range becomes current.
        DBF_VERIFY_OK(t.first());
        QCOMPARE(t.fieldText(Name), QStringLiteral("mid.jpg"));
        DBF_VERIFY_OK(t.edit());
        t.setFieldText(Dir, QStringLiteral("ELSEWHERE\\"));
        DBF_VERIFY_OK(t.post());
        QCOMPARE(t.fieldText(Name), QStringLiteral("yak.jpg"));
        QCOMPARE(walk(t), (QStringList { "yak.jpg", "zeta.jpg" }));
        // Out of range at the end: the preceding record.
        DBF_VERIFY_OK(t.last());
        DBF_VERIFY_OK(t.edit());
        t.setFieldText(Dir, QStringLiteral("ELSEWHERE\\"));
        DBF_VERIFY_OK(t.post());
        QCOMPARE(t.fieldText(Name), QStringLiteral("yak.jpg"));
        // A change to a field outside every key leaves the tags alone.
        DBF_VERIFY_OK(t.edit());
        t.setFieldText(Size, QStringLiteral("1.1 K"));
        DBF_VERIFY_OK(t.post());
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
        DBF_VERIFY_OK(t.close());
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        DBF_VERIFY_OK(t.setOrder("1"));
        QCOMPARE(walk(t, Dir).count(QStringLiteral("ELSEWHERE\\")), 2);
        DBF_VERIFY_OK(t.check(faults));
    }

    void deleteMovesToNeighbour_data()
    {
        QTest::addColumn<QByteArray>("order");
        QTest::newRow("physical") << QByteArray();
        QTest::newRow("tag") << QByteArray("1");
    }
    void deleteMovesToNeighbour()
    {
        QFETCH(QByteArray, order);
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        for (const char *n : { "a", "b", "c" })
            DBF_VERIFY_OK(add(t, { "D\\", n, {}, {}, {} }));
        DBF_VERIFY_OK(t.setOrder(order));
        DBF_VERIFY_OK(t.next()); // b
        DBF_VERIFY_OK(t.deleteRecord());
        QCOMPARE(t.fieldText(Name), QStringLiteral("c"));
        DBF_VERIFY_OK(t.deleteRecord()); // c was the last: a becomes current
        QCOMPARE(t.fieldText(Name), QStringLiteral("a"));
        DBF_VERIFY_OK(t.deleteRecord());
        QVERIFY(t.isEmpty());
        QCOMPARE(t.recNo(), -1);
        QCOMPARE(t.deleteRecord().code(), DbStatus::NoRecord);
        QCOMPARE(t.physicalCount(), 3u);
        QCOMPARE(t.goTo(2).code(), DbStatus::NoRecord);
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults)); // deleted records keep their keys
    }

    void hooksAndFilter()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        fillSample(t);
        bool refuse = true;
        int edits = 0;
        DbfTable::Hooks hooks;
        hooks.beforeInsert = [&] { return !refuse; };
        hooks.beforeEdit = [&] { ++edits; };
        hooks.beforePost = [&]() -> DbStatus {
            if (t.fieldText(Name).isEmpty())
                return { DbStatus::Refused, QStringLiteral("no name") };
            t.setFieldText(Code, t.fieldText(Code).toUpper());
            return {};
        };
        t.setHooks(hooks);
        QCOMPARE(t.append().code(), DbStatus::Refused);
        QCOMPARE(t.state(), DbfTable::State::Browse);
        refuse = false;
        DBF_VERIFY_OK(t.append());
        QCOMPARE(t.post().code(), DbStatus::Refused);
        QCOMPARE(t.state(), DbfTable::State::Insert);
        t.setFieldText(Name, QStringLiteral("new.txt"));
        t.setFieldText(Code, QStringLiteral("ab"));
        DBF_VERIFY_OK(t.post());
        QCOMPARE(t.fieldText(Code), QStringLiteral("AB"));
        QCOMPARE(t.recNo(), 7);
        DBF_VERIFY_OK(t.edit());
        QCOMPARE(edits, 1);
        t.setFieldText(Name, QStringLiteral("dropped.txt"));
        t.cancel();
        QCOMPARE(t.fieldText(Name), QStringLiteral("new.txt"));

        t.setFilter([](const DbfTable &table) { return table.fieldText(Code) == "A"; });
        QVERIFY(t.hasFilter());
        DBF_VERIFY_OK(t.setOrder("1"));
        QCOMPARE(walk(t), QStringList { "Alpha.jpg" });
        QCOMPARE(t.goTo(1).code(), DbStatus::NoRecord);
        DBF_VERIFY_OK(t.goTo(3));
        t.setFilter(nullptr);
        DBF_VERIFY_OK(t.goTo(1));
        QCOMPARE(t.fieldText(Name), QStringLiteral("zeta.jpg"));
    }

    void hookThatMovesCannotRecurse()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        fillSample(t);
        DbStatus inner;
        DbfTable::Hooks hooks;
        hooks.beforePost = [&] {
            inner = t.next();
            return DbStatus();
        };
        t.setHooks(hooks);
        DBF_VERIFY_OK(t.first());
        DBF_VERIFY_OK(t.edit());
        t.setFieldText(Note, QStringLiteral("x"));
        DBF_VERIFY_OK(t.post());
        QCOMPARE(inner.code(), DbStatus::InvalidArgument);
        QCOMPARE(t.fieldText(Note), QStringLiteral("x"));
    }

    void navigationPostsPendingEdit()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        fillSample(t);
        DBF_VERIFY_OK(t.first());
        DBF_VERIFY_OK(t.edit());
        t.setFieldText(Note, QStringLiteral("posted by next"));
        DBF_VERIFY_OK(t.next());
        DBF_VERIFY_OK(t.goTo(1));
        QCOMPARE(t.fieldText(Note), QStringLiteral("posted by next"));
    }

    void fieldValues_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QDate>("date");
        QTest::newRow("day") << QByteArray("20210403") << QDate(2021, 4, 3);
        QTest::newRow("blank") << QByteArray("        ") << QDate();
        QTest::newRow("month 13") << QByteArray("20211301") << QDate();
        QTest::newRow("30 February") << QByteArray("20210230") << QDate();
        QTest::newRow("letters") << QByteArray("2021ab03") << QDate();
        QTest::newRow("year 0") << QByteArray("00000101") << QDate();
        QTest::newRow("zero bytes") << QByteArray(8, '\0') << QDate();
    }
    void fieldValues()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QDate, date);
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        DBF_VERIFY_OK(t.append());
        t.setFieldBytes(Date, stored);
        DBF_VERIFY_OK(t.post());
        QCOMPARE(t.fieldDate(Date), date);
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
        DBF_VERIFY_OK(t.edit());
        t.setFieldDate(Date, date);
        DBF_VERIFY_OK(t.post());
        QCOMPARE(t.recordBytes().mid(161, 8),
            date.isValid() ? date.toString("yyyyMMdd").toLatin1() : QByteArray(8, ' '));
    }

    void indexRepairAtOpen_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("index deleted") << "delete";
        QTest::newRow("index garbage") << "garbage";
        QTest::newRow("index empty file") << "empty";
        QTest::newRow("flag cleared") << "flag";
        QTest::newRow("tag missing") << "fewer tags";
        QTest::newRow("expression differs") << "other expression";
    }
    void indexRepairAtOpen()
    {
        QFETCH(QString, damage);
        std::vector<DbfTagDef> first = catalogueTags();
        if (damage == "fewer tags")
            first.pop_back();
        if (damage == "other expression")
            first[0].expression = "DIR+SUBSTR(NAME,1,20)";
        QFile::remove(m_path);
        QFile::remove(mdxPath());
        DBF_VERIFY_OK(DbfTable::create(m_path, catalogueFields(), first));
        QStringList before;
        {
            DbfTable t;
            DBF_VERIFY_OK(t.open(m_path, first));
            fillSample(t);
            DBF_VERIFY_OK(t.setOrder("1"));
            before = walk(t);
            DBF_VERIFY_OK(t.first());
            DBF_VERIFY_OK(t.deleteRecord());
            DBF_VERIFY_OK(t.close());
        }
        if (damage == "delete")
            QVERIFY(QFile::remove(mdxPath()));
        if (damage == "garbage")
            QVERIFY(writeBytes(mdxPath(), QByteArray(5000, 'x')));
        if (damage == "empty")
            QVERIFY(writeBytes(mdxPath(), QByteArray()));
        if (damage == "flag") {
            QByteArray b = bytesOf(m_path);
            b[28] = 0;
            QVERIFY(writeBytes(m_path, b));
        }
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        QCOMPARE(int(bytesOf(m_path)[28]), 1);
        before.removeFirst(); // the deleted record
        if (damage != "other expression") {
            DBF_VERIFY_OK(t.setOrder("1"));
            QCOMPARE(walk(t), before);
        }
        for (const char *order : { "1", "2", "3", "4" }) {
            DBF_VERIFY_OK(t.setOrder(order));
            QCOMPARE(walk(t).size(), 5);
        }
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
    }

    void checkFindsDamagedIndex_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("fault");
        QTest::newRow("key changed") << "key"
                                     << "should be";
        QTest::newRow("record outside the table") << "recno"
                                                  << "does not exist";
    }
    void checkFindsDamagedIndex()
    {
        QFETCH(QString, damage);
        QFETCH(QString, fault);
        {
            DbfTable t;
            DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
            for (const char *n : { "alpha", "uniquezz", "omega" })
                DBF_VERIFY_OK(add(t, { "D\\", n, {}, {}, {} }));
            DBF_VERIFY_OK(t.close());
        }
        QByteArray mdx = bytesOf(mdxPath());
        const int at = int(mdx.indexOf("UNIQUEZZ"));
        QVERIFY(at > 84);
        if (damage == "key")
            mdx.replace(at, 8, "UNIQUEAA");
        else
            mdx.replace(at - 84, 4, QByteArray("\x63\0\0\0", 4)); // record 99
        QVERIFY(writeBytes(mdxPath(), mdx));
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags())); // the flag says sound: trusted
        QStringList faults;
        QCOMPARE(t.check(faults).code(), DbStatus::Corrupt);
        QVERIFY2(faults.filter(fault).size() >= 1, qPrintable(faults.join('\n')));
        // A walk that meets the damage has the index rebuilt and goes on.
        DBF_VERIFY_OK(t.setOrder("1"));
        QCOMPARE(walk(t), (QStringList { "alpha", "omega", "uniquezz" }));
        faults.clear();
        DBF_VERIFY_OK(t.check(faults));
    }

    void walkDoesNotAllocatePerRecord()
    {
        QVERIFY(g_counting);
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        for (int i = 0; i < 3000; ++i)
            DBF_VERIFY_OK(add(t,
                { QStringLiteral("F%1\\").arg(i % 3), QStringLiteral("n%1").arg(i), {}, {}, {} }));
        for (const char *order : { "", "1", "4" }) {
            DBF_VERIFY_OK(t.setOrder(order));
            const auto range = folderRange("F1\\");
            if (*order)
                DBF_VERIFY_OK(t.setRange(range.first, range.second));
            for (int round = 0; round < 2; ++round) { // the second walk finds its pages cached
                DBF_VERIFY_OK(t.first());
                const long before = g_allocations.load();
                int records = 0;
                for (; !t.eof(); ++records) {
                    t.recordBytes().size();
                    DBF_VERIFY_OK(t.next());
                }
                const long made = g_allocations.load() - before - records; // recordBytes()
                QCOMPARE(records, *order ? 1000 : 3000);
                QVERIFY(made >= 0); // the counter sees the copies recordBytes() makes
                if (round == 1)
                    QVERIFY2(made < 20, qPrintable(QStringLiteral("%1 allocations").arg(made)));
            }
        }
    }

    // A walk over a folder's range reads the folder's records ahead: in one go where they
    // lie together, one by one where they lie far apart (folders taking turns in the file);
    // edits made during the walk and records appended since must still read back as they are.
    void rangeWalkSeesEditsAndAppends_data()
    {
        QTest::addColumn<bool>("apart");
        QTest::newRow("records together") << false;
        QTest::newRow("records far apart") << true;
    }
    void rangeWalkSeesEditsAndAppends()
    {
        QFETCH(bool, apart);
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        const auto nameOf = [](int i) {
            return QStringLiteral("n%1").arg((i * 37) % 150, 3, 10, QLatin1Char('0'));
        };
        const QString dirs[]
            = { QStringLiteral("A\\"), QStringLiteral("B\\"), QStringLiteral("C\\") };
        for (int n = 0; n < 450; ++n)
            DBF_VERIFY_OK(add(
                t, { dirs[apart ? n % 3 : n / 150], nameOf(apart ? n / 3 : n % 150), {}, {}, {} }));
        DBF_VERIFY_OK(t.flush());
        DBF_VERIFY_OK(t.setOrder("1"));
        const auto range = folderRange("B\\");
        DBF_VERIFY_OK(t.setRange(range.first, range.second));
        QStringList expect;
        int seen = 0;
        DBF_VERIFY_OK(t.first());
        for (; !t.eof(); ++seen) {
            const QString name = t.fieldText(Name);
            QCOMPARE(t.fieldText(Dir), QStringLiteral("B\\"));
            if (seen % 3 == 0) {
                DBF_VERIFY_OK(t.edit());
                t.setFieldText(Note, QStringLiteral("seen ") + name);
                DBF_VERIFY_OK(t.post());
            }
            expect << (seen % 3 == 0 ? QStringLiteral("seen ") + name : QString());
            DBF_VERIFY_OK(t.next());
        }
        QCOMPARE(seen, 150);
        for (int i = 0; i < 5; ++i) {
            DBF_VERIFY_OK(add(t,
                { QStringLiteral("B\\"), QStringLiteral("z%1").arg(i), {}, QStringLiteral("new"),
                    {} }));
            expect << QStringLiteral("new");
        }
        DBF_VERIFY_OK(t.setRange(range.first, range.second));
        QCOMPARE(walk(t, Note), expect);
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    void indexFlagClearedWhileChanging()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        QCOMPARE(int(bytesOf(m_path)[28]), 1); // a session that only reads changes nothing
        DBF_VERIFY_OK(add(t, { "D\\", "a", {}, {}, {} }));
        QCOMPARE(int(bytesOf(m_path)[28]), 0);
        DBF_VERIFY_OK(t.flush());
        QCOMPARE(int(bytesOf(m_path)[28]), 1);
        QCOMPARE(le32(bytesOf(m_path), 4), 1u);
    }

    void exclusiveOpen()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        DbfTable second;
        const DbStatus st = second.open(m_path, catalogueTags());
        QCOMPARE(st.code(), DbStatus::Locked);
        QVERIFY(st.message().contains(m_path));
        const pid_t child = fork();
        if (child == 0) {
            DbfTable other;
            _exit(other.open(m_path, catalogueTags()).code() == DbStatus::Locked ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        DBF_VERIFY_OK(t.close());
        DBF_VERIFY_OK(second.open(m_path, catalogueTags()));
    }

    void crashLosesAtMostTheUnwrittenTail()
    {
        const pid_t child = fork();
        if (child == 0) {
            DbfTable t;
            bool ok = t.open(m_path, catalogueTags()).isOk();
            for (int i = 0; ok && i < 2000; ++i)
                ok = add(t, { "D\\", QStringLiteral("n%1").arg(i), {}, {}, {} }).isOk();
            _exit(ok ? 0 : 1); // no close, no flush: as if killed
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        QVERIFY(t.physicalCount() > 1000); // runs of appends reached the disk
        QVERIFY(t.physicalCount() <= 2000);
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults)); // the index was rebuilt from what is there
        DBF_VERIFY_OK(t.setOrder("1"));
        QCOMPARE(quint32(walk(t).size()), t.physicalCount());
    }

    void keyTooLongAtCreate()
    {
        QFile::remove(m_path);
        const std::vector<DbfTagDef> tags { { "1", "DIR+NAME" } };
        const DbStatus st = DbfTable::create(m_path, catalogueFields(), tags);
        QCOMPARE(st.code(), DbStatus::KeyTooLong);
        QCOMPARE(st.message(),
            QStringLiteral("Index result for \"DIR+NAME\" too long, >100 characters (160)."));
        QVERIFY(!QFile::exists(m_path));
        QCOMPARE(DbfTable::create(m_path, catalogueFields(), catalogueTags()).code(), DbStatus::Ok);
        QVERIFY(!DbfTable::create(m_path, catalogueFields(), catalogueTags()));
    }
};

QTEST_GUILESS_MAIN(TestDbfTable)
#include "tst_dbftable.moc"
