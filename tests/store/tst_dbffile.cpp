#include "dbftesthelp.h"
#include "store/dbffile.h"
#include "store/dbfio.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace dbftest;

namespace
{

void put16(QByteArray &b, int at, int v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

} // namespace

using Damage = std::function<void(QByteArray &)>;
Q_DECLARE_METATYPE(Damage)

class TestDbfFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path() const { return m_dir.filePath(QStringLiteral("t.dbf")); }

    // A catalogue table with two records, and no index: only the file layer is at stake.
    QByteArray sampleTable()
    {
        QFile::remove(path());
        QFile::remove(m_dir.filePath(QStringLiteral("t.mdx")));
        if (!DbfTable::create(path(), catalogueFields(), {}))
            return {};
        DbfTable t;
        if (!t.open(path(), {}) || !add(t, { "A\\", "one", QDate(2020, 1, 2), {}, {} })
            || !add(t, { "A\\", "two", {}, {}, {} }) || !t.close())
            return {};
        return bytesOf(path());
    }

private slots:
    void refusedFiles_data()
    {
        QTest::addColumn<std::function<void(QByteArray &)>>("damage");
        QTest::addColumn<int>("code");
        using D = std::function<void(QByteArray &)>;
        QTest::newRow("text file") << D([](QByteArray &b) {
            b = QByteArray("This is a plain text file, not a table at all.\n").repeated(4);
        }) << int(DbStatus::NotATable);
        QTest::newRow("empty file")
            << D([](QByteArray &b) { b.clear(); }) << int(DbStatus::NotATable);
        QTest::newRow("ten bytes")
            << D([](QByteArray &b) { b.truncate(10); }) << int(DbStatus::NotATable);
        QTest::newRow("memo version")
            << D([](QByteArray &b) { b[0] = char(0x8B); }) << int(DbStatus::NotATable);
        QTest::newRow("truncated header")
            << D([](QByteArray &b) { b.truncate(100); }) << int(DbStatus::Corrupt);
        QTest::newRow("header length beyond file")
            << D([](QByteArray &b) { put16(b, 8, 0xFFFF); }) << int(DbStatus::Corrupt);
        QTest::newRow("header length too small")
            << D([](QByteArray &b) { put16(b, 8, 40); }) << int(DbStatus::Corrupt);
        QTest::newRow("header length zero")
            << D([](QByteArray &b) { put16(b, 8, 0); }) << int(DbStatus::Corrupt);
        QTest::newRow("record length disagrees")
            << D([](QByteArray &b) { put16(b, 10, 264); }) << int(DbStatus::Corrupt);
        QTest::newRow("record length zero")
            << D([](QByteArray &b) { put16(b, 10, 0); }) << int(DbStatus::Corrupt);
        QTest::newRow("no fields")
            << D([](QByteArray &b) { b[32] = 0x0D; }) << int(DbStatus::Corrupt);
        QTest::newRow("field width zero")
            << D([](QByteArray &b) { b[48] = 0; }) << int(DbStatus::Corrupt);
        QTest::newRow("date width five")
            << D([](QByteArray &b) { b[96 + 16] = 5; }) << int(DbStatus::Corrupt);
        QTest::newRow("numeric field")
            << D([](QByteArray &b) { b[32 + 11] = 'N'; }) << int(DbStatus::NotATable);
        QTest::newRow("field without name")
            << D([](QByteArray &b) { b[32] = 0; }) << int(DbStatus::Corrupt);
        QTest::newRow("descriptors cut by header length")
            << D([](QByteArray &b) { put16(b, 8, 32 + 3 * 32); }) << int(DbStatus::Corrupt);
    }
    void refusedFiles()
    {
        QFETCH(std::function<void(QByteArray &)>, damage);
        QFETCH(int, code);
        QByteArray bytes = sampleTable();
        QVERIFY(!bytes.isEmpty());
        damage(bytes);
        QVERIFY(writeBytes(path(), bytes));
        for (const auto &tags : { std::vector<DbfTagDef>(), catalogueTags() }) {
            DbfTable t;
            const DbStatus st = t.open(path(), tags);
            QCOMPARE(int(st.code()), code);
            QVERIFY2(st.message().contains(path()), qPrintable(st.message()));
            QVERIFY(!t.isOpen());
            QCOMPARE(bytesOf(path()), bytes);
        }
    }

    void countRepairedFromLength_data()
    {
        QTest::addColumn<int>("storedCount");
        QTest::addColumn<int>("cut"); // bytes removed from the end
        QTest::addColumn<int>("records");
        QTest::newRow("count larger than file") << 1000 << 0 << 2;
        QTest::newRow("count smaller than file") << 0 << 0 << 2;
        QTest::newRow("last record truncated") << 2 << 100 << 1;
        QTest::newRow("end byte missing") << 2 << 1 << 2;
    }
    void countRepairedFromLength()
    {
        QFETCH(int, storedCount);
        QFETCH(int, cut);
        QFETCH(int, records);
        QByteArray bytes = sampleTable();
        put32(bytes, 4, quint32(storedCount));
        bytes.chop(cut);
        QVERIFY(writeBytes(path(), bytes));
        DbfTable t;
        DBF_VERIFY_OK(t.open(path(), catalogueTags()));
        QCOMPARE(t.physicalCount(), quint32(records));
        QCOMPARE(walk(t), QStringList({ "one", "two" }).mid(0, records));
        const QByteArray after = bytesOf(path());
        QCOMPARE(le32(after, 4), quint32(records));
        // Records are never changed by the repair.
        QCOMPARE(after.mid(225, 265 * records), bytes.mid(225, 265 * records));
    }

    // A table cut short (end byte lost, or part of a record written after the last whole
    // one) is read as it is, and gets its end byte back at the first write after open.
    void endByteRestoredAtFirstWrite_data()
    {
        QTest::addColumn<QByteArray>("tail"); // what follows the last whole record
        QTest::newRow("end byte missing") << QByteArray();
        QTest::newRow("part of a record") << QByteArray(100, 'x');
    }
    void endByteRestoredAtFirstWrite()
    {
        QFETCH(QByteArray, tail);
        QByteArray bytes = sampleTable();
        bytes.chop(1);
        bytes += tail;
        QVERIFY(writeBytes(path(), bytes));
        DbfTable t;
        DBF_VERIFY_OK(t.open(path(), {}));
        QCOMPARE(walk(t), QStringList({ "one", "two" }));
        QCOMPARE(bytesOf(path()), bytes); // reading writes nothing
        DBF_VERIFY_OK(t.goTo(1));
        DBF_VERIFY_OK(t.edit());
        t.setFieldText(Note, QStringLiteral("noted"));
        DBF_VERIFY_OK(t.post());
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
        QCOMPARE(faults, QStringList());
        DBF_VERIFY_OK(t.close());
        const QByteArray after = bytesOf(path());
        QCOMPARE(after.size(), 225 + 2 * 265 + 1);
        QCOMPARE(after.back(), '\x1A');
    }

    void wideCharacterFieldUsesDecimalByte()
    {
        QFile::remove(path());
        const std::vector<DbfField> fields { { "LONGTEXT", 'C', 300, 0 }, { "D", 'D', 8, 0 } };
        DBF_VERIFY_OK(DbfTable::create(path(), fields, {}));
        const QByteArray b = bytesOf(path());
        QCOMPARE(int(quint8(b[32 + 16])), 300 & 0xFF);
        QCOMPARE(int(quint8(b[32 + 17])), 1);
        QCOMPARE(int(quint8(b[64 + 17])), 0);
        QCOMPARE(int(quint8(b[10])) + 256 * int(quint8(b[11])), 309);
        DbfTable t;
        DBF_VERIFY_OK(t.open(path(), {}));
        QCOMPARE(t.fields()[0].width, 300);
        QCOMPARE(t.fields()[1].offset, 300);
        DBF_VERIFY_OK(t.append());
        t.setFieldText(0, QString(310, QLatin1Char('x')));
        DBF_VERIFY_OK(t.post());
        QCOMPARE(t.fieldText(0).size(), 300);
    }

    void badFieldListsAtCreate_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<char>("type");
        QTest::addColumn<int>("width");
        QTest::newRow("empty name") << QByteArray() << 'C' << 10;
        QTest::newRow("name too long") << QByteArray("ELEVENCHARS") << 'C' << 10;
        QTest::newRow("name with blank") << QByteArray("A B") << 'C' << 10;
        QTest::newRow("numeric") << QByteArray("N") << 'N' << 10;
        QTest::newRow("width zero") << QByteArray("A") << 'C' << 0;
        QTest::newRow("date width") << QByteArray("D") << 'D' << 6;
        QTest::newRow("record too long") << QByteArray("A") << 'C' << 65535;
    }
    void badFieldListsAtCreate()
    {
        QFETCH(QByteArray, name);
        QFETCH(char, type);
        QFETCH(int, width);
        QFile::remove(path());
        const std::vector<DbfField> fields { { name, type, width, 0 } };
        QCOMPARE(DbfTable::create(path(), fields, {}).code(), DbStatus::InvalidArgument);
        QVERIFY(!QFile::exists(path()));
    }

    void createRefusesExistingFileAndMissingFolder()
    {
        QVERIFY(!sampleTable().isEmpty());
        const QByteArray before = bytesOf(path());
        QCOMPARE(DbfTable::create(path(), catalogueFields(), {}).code(), DbStatus::IoError);
        QCOMPARE(bytesOf(path()), before);
        const QString nowhere = m_dir.filePath(QStringLiteral("no/such/folder/t.dbf"));
        QCOMPARE(DbfTable::create(nowhere, catalogueFields(), {}).code(), DbStatus::NotFound);
        DbfTable t;
        QCOMPARE(t.open(nowhere, {}).code(), DbStatus::NotFound);
    }

    void fullDiskFailsCleanly()
    {
        QVERIFY(!sampleTable().isEmpty());
        {
            DbfTable t;
            DBF_VERIFY_OK(t.open(path(), catalogueTags()));
            bool full = false;
            dbfio::setFaultHook([&](const QString &, qint64, qint64) { return !full; });
            DBF_VERIFY_OK(add(t, { "B\\", "first", {}, {}, {} }));
            full = true;
            DbStatus st;
            for (int i = 0; i < 1000 && st; ++i)
                st = add(t, { "B\\", QStringLiteral("n%1").arg(i), {}, {}, {} });
            if (st)
                st = t.flush();
            QCOMPARE(st.code(), DbStatus::IoError);
            QVERIFY2(st.message().contains(path()), qPrintable(st.message()));
            QCOMPARE(t.state(), DbfTable::State::Insert); // the refused record is still there
            QVERIFY(!t.close());
            dbfio::setFaultHook(nullptr);
        }
        DbfTable t;
        DBF_VERIFY_OK(t.open(path(), catalogueTags()));
        QVERIFY(t.physicalCount() >= 2);
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
        DBF_VERIFY_OK(t.setOrder("1"));
        QCOMPARE(walk(t).mid(0, 2), (QStringList { "one", "two" }));
    }

    void checkReportsHeaderFaults()
    {
        QByteArray bytes = sampleTable();
        bytes.append("junk");
        QVERIFY(writeBytes(path(), bytes));
        DbfTable t;
        DBF_VERIFY_OK(t.open(path(), {}));
        QStringList faults;
        QCOMPARE(t.check(faults).code(), DbStatus::Corrupt);
        QCOMPARE(faults.size(), 1);
        QVERIFY(faults[0].contains(QStringLiteral("follow the end byte")));
    }
    // Reads are served from cached stretches of the file; whatever order they come in and
    // whatever was written or appended meanwhile, a read must give what the file holds.
    void readsFollowWritesAndAppendsInAnyOrder()
    {
        QFile::remove(path());
        QVERIFY(DbfFile::create(path(), catalogueFields()));
        DbfFile f;
        QVERIFY(f.open(path()));
        const int len = f.recordLength();
        const auto record = [len](quint32 n, char flag) {
            QByteArray r(len, ' ');
            r[0] = flag;
            const QByteArray tag = QByteArray::number(n);
            r.replace(1, int(tag.size()), tag);
            r.replace(len - int(tag.size()), int(tag.size()), tag);
            return r;
        };
        const quint32 total = 2000;
        for (quint32 n = 1; n <= total / 2; ++n)
            QVERIFY(f.append(record(n, ' ').constData()));
        QVERIFY(f.flush());
        QByteArray got(len, '\0');
        QVERIFY(f.read(total / 2, got.data())); // a stretch cut short by the end of the file
        for (quint32 n = total / 2 + 1; n <= total; ++n)
            QVERIFY(f.append(record(n, ' ').constData()));
        QVERIFY(f.flush());
        QVERIFY(f.read(total / 2 + 1, got.data()));
        QCOMPARE(got, record(total / 2 + 1, ' '));
        // Scattered reads over many stretches, some read ahead over stretches of their own
        // that overlap the others and reach into appended records not yet written, with
        // writes to records already cached.
        const quint32 appended = 40;
        for (quint32 n = total + 1; n <= total + appended; ++n)
            QVERIFY(f.append(record(n, ' ').constData()));
        std::vector<QByteArray> expect(total + appended + 1);
        for (quint32 n = 1; n <= total + appended; ++n)
            expect[n] = record(n, ' ');
        quint32 at = 1;
        for (int step = 0; step < 5000; ++step) {
            at = (at * 7919 + 13) % (total + appended) + 1;
            if (step % 5 == 0)
                f.readAhead(
                    { at, at + quint32(step % 97), at > 30 ? at - 30 : 0, total + appended + 9 });
            QVERIFY(f.read(at, got.data()));
            QCOMPARE(got, expect[at]);
            if (step % 7 == 0) {
                expect[at] = record(at + 100000, ' ');
                QVERIFY(f.write(at, expect[at].constData()));
            } else if (step % 11 == 0) {
                expect[at][0] = dbf::kDeleted;
                QVERIFY(f.writeFlag(at, dbf::kDeleted));
            }
            QVERIFY(f.read(at, got.data()));
            QCOMPARE(got, expect[at]);
        }
        QVERIFY(f.close());
        const QByteArray bytes = bytesOf(path());
        for (quint32 n = 1; n <= total + appended; ++n)
            QCOMPARE(bytes.mid(f.headerLength() + qsizetype(n - 1) * len, len), expect[n]);
    }
};

QTEST_GUILESS_MAIN(TestDbfFile)
#include "tst_dbffile.moc"
