// A damaged index is never trusted by the table: one damage per fault, met by every kind of
// read (walks both ways, folder ranges both ways, positioning on each record). Each read
// must give what a sound index gives, having had the index rebuilt, or fail so that its
// caller repeats it; never a short walk or a repeated record reported as success. And a
// table whose index cannot be rebuilt for want of room is still read, without it.
#include "dbftesthelp.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace dbftest;

namespace
{

constexpr int kRecords = 120;
const QStringList kFolders { "A\\", "B\\", "B\\SUB\\", "C\\" };

constexpr int kTag1Header = 4 * 512;
constexpr int kItem = 104; // the catalogue's keys of 100 bytes with their record numbers

struct Files {
    QByteArray table, index;
};
using Damage = std::function<void(Files &)>;

int firstLeaf(const QByteArray &index)
{
    return int(le32(index, kTag1Header + 248)) * 512;
}
int entry(const QByteArray &index, int i)
{
    return firstLeaf(index) + 8 + i * kItem;
}

// What a read handed out, one line per record (or per failure), and how it ended.
struct Seen {
    QStringList lines;
    DbStatus status;
};

void readWalk(DbfTable &t, const QByteArray &order, bool back, Seen &out)
{
    DbStatus st = t.setOrder(order);
    st = st ? (back ? t.last() : t.first()) : st;
    for (int guard = 0; st && !(back ? t.bof() : t.eof()) && guard < 2 * kRecords; ++guard) {
        out.lines << QString::number(t.recNo());
        st = back ? t.prior() : t.next();
    }
    out.status = st;
}

void readFolders(DbfTable &t, const QByteArray &order, bool back, Seen &out)
{
    DbStatus st = t.setOrder(order);
    for (const QString &folder : kFolders) {
        const auto range = folderRange(folder.toLatin1());
        st = st ? t.setRange(range.first, range.second) : st;
        st = st ? (back ? t.last() : t.first()) : st;
        out.lines << folder;
        for (int guard = 0; st && !(back ? t.bof() : t.eof()) && guard < 2 * kRecords; ++guard) {
            out.lines << QString::number(t.recNo());
            st = back ? t.prior() : t.next();
        }
    }
    out.status = st;
}

void readEachRecord(DbfTable &t, const QByteArray &order, Seen &out)
{
    DbStatus st = t.setOrder(order);
    for (quint32 r = 1; st && r <= t.physicalCount(); ++r) {
        const DbStatus at = t.goTo(r);
        if (at.code() == DbStatus::NoRecord || at.isOk())
            out.lines << QStringLiteral("%1 %2").arg(r).arg(at.isOk());
        else
            st = at;
    }
    out.status = st;
}

Seen readAs(DbfTable &t, const QString &read, const QByteArray &order)
{
    Seen out;
    if (read == QLatin1String("walk") || read == QLatin1String("walk back"))
        readWalk(t, order, read.endsWith(QLatin1String("back")), out);
    else if (read.startsWith(QLatin1String("folders")))
        readFolders(t, order, read.endsWith(QLatin1String("back")), out);
    else
        readEachRecord(t, order, out);
    return out;
}

const QStringList kReads { "walk", "walk back", "folders", "folders back", "each record" };

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestDbfDamage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Files m_sound;
    QStringList m_notices;

    QString tablePath(const QString &name) const { return m_dir.filePath(name + ".dbf"); }
    QString indexPath(const QString &name) const { return m_dir.filePath(name + ".mdx"); }

    void write(const QString &name, const Files &f)
    {
        QVERIFY(writeBytes(tablePath(name), f.table));
        QFile::remove(indexPath(name));
        if (!f.index.isNull())
            QVERIFY(writeBytes(indexPath(name), f.index));
    }
    void listen(DbfTable &t)
    {
        m_notices.clear();
        t.setNoticeHandler([this](const QString &m) { m_notices << m; });
    }
    // The same table with an index built afresh: what every read should give.
    Seen truth(const Files &damaged, const QString &read, const QByteArray &order)
    {
        write(QStringLiteral("truth"), { damaged.table, QByteArray() });
        DbfTable t;
        const DbStatus st = t.open(tablePath(QStringLiteral("truth")), catalogueTags());
        return st ? readAs(t, read, order) : Seen { {}, st };
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString path = tablePath(QStringLiteral("sound"));
        DBF_VERIFY_OK(DbfTable::create(path, catalogueFields(), catalogueTags()));
        DbfTable t;
        DBF_VERIFY_OK(t.open(path, catalogueTags()));
        for (int i = 0; i < kRecords; ++i) {
            const QString name
                = QStringLiteral("f%1.txt").arg(i * 37 % kRecords, 3, 10, QChar('0'));
            DBF_VERIFY_OK(add(t,
                { kFolders[i % kFolders.size()], name, QDate(2020, 1, 1).addDays(i * 7 % 50),
                    QStringLiteral("note %1").arg(i % 9), QStringLiteral("ABC").left(i % 4) }));
        }
        DBF_VERIFY_OK(t.close());
        m_sound = { bytesOf(path), bytesOf(indexPath(QStringLiteral("sound"))) };
        QVERIFY(le32(m_sound.index, firstLeaf(m_sound.index) + 0) >= 4); // a full first leaf
    }

    void damagedIndexIsRebuiltOrReported_data()
    {
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<QString>("read");
        // repaired: the read gives what a sound index gives, the index rebuilt on the way;
        // once: the read fails (Corrupt), and repeated gives what a sound index gives;
        // right: nothing to notice (the read does not use what is damaged).
        QTest::addColumn<QString>("outcome");
        struct Fault {
            const char *name;
            Damage damage;
            QStringList outcomes; // per read, as kReads names them
        };
        const QStringList repaired(kReads.size(), QStringLiteral("repaired"));
        const std::vector<Fault> faults = {
            { "record number zero", [](Files &f) { put32(f.index, entry(f.index, 1), 0); },
                repaired },
            { "record number past the end",
                [](Files &f) { put32(f.index, entry(f.index, 1), kRecords + 1); }, repaired },
            { "record number 0xFFFFFFFF",
                [](Files &f) { put32(f.index, entry(f.index, 1), 0xFFFFFFFFu); }, repaired },
            { "entries out of order",
                [](Files &f) {
                    f.index.replace(
                        entry(f.index, 2) + 4, 100, f.index.mid(entry(f.index, 0) + 4, 100));
                },
                repaired },
            // The copy stands in for the record it replaced: a walk back hands it out early.
            { "entry repeated",
                [](Files &f) {
                    f.index.replace(
                        entry(f.index, 2), kItem, f.index.mid(entry(f.index, 1), kItem));
                },
                { "repaired", "once", "repaired", "once", "repaired" } },
            { "entry dropped from a leaf",
                [](Files &f) {
                    const int leaf = firstLeaf(f.index);
                    const quint32 n = le32(f.index, leaf) - 1;
                    put32(f.index, leaf, n);
                    put32(f.index, entry(f.index, int(n)), 0); // the leaf's trailing pointer
                },
                { "once", "once", "", "", "repaired" } },
            { "separator that misleads a search",
                [](Files &f) {
                    const int root = int(le32(f.index, kTag1Header)) * 512;
                    f.index.replace(root + 12, 100, QByteArray(100, '\xFF'));
                },
                { "right", "right", "right", "right", "repaired" } },
            // Record 5 renamed by another program: its entry is where its old name sorts.
            { "record changed behind the index",
                [](Files &f) {
                    const int header = int(le32(f.table, 8) & 0xFFFF);
                    const int length = int(le32(f.table, 10) & 0xFFFF);
                    f.table.replace(header + 4 * length + 1 + 80, 7, "changed");
                },
                { "once", "repaired", "once", "repaired", "repaired" } },
        };
        for (const Fault &fault : faults)
            for (int i = 0; i < kReads.size(); ++i)
                if (!fault.outcomes[i].isEmpty())
                    QTest::addRow("%s, %s", fault.name, qPrintable(kReads[i]))
                        << fault.damage << kReads[i] << fault.outcomes[i];
    }
    void damagedIndexIsRebuiltOrReported()
    {
        QFETCH(Damage, damage);
        QFETCH(QString, read);
        QFETCH(QString, outcome);
        Files damaged = m_sound;
        damage(damaged);
        const Seen expected = truth(damaged, read, "1");
        DBF_VERIFY_OK(expected.status);
        write(QStringLiteral("t"), damaged);
        DbfTable t;
        listen(t);
        DBF_VERIFY_OK(t.open(tablePath(QStringLiteral("t")), catalogueTags()));
        Seen seen = readAs(t, read, "1");
        if (outcome == QLatin1String("once")) {
            QCOMPARE(seen.status.code(), DbStatus::Corrupt);
            QVERIFY2(seen.status.message().contains(QLatin1String("repeat")),
                qPrintable(seen.status.message()));
            seen = readAs(t, read, "1");
        }
        DBF_VERIFY_OK(seen.status);
        QCOMPARE(seen.lines, expected.lines);
        if (outcome == QLatin1String("right"))
            return;
        QVERIFY2(!m_notices.isEmpty() && m_notices[0].contains(QLatin1String("t.mdx")),
            qPrintable(m_notices.join('\n')));
        QStringList faults;
        QVERIFY2(t.check(faults).isOk(), qPrintable(faults.join('\n')));
        QVERIFY(!t.readsWithoutIndex());
    }

    // An index that must be rebuilt while the disk has no room for it: every read in every
    // order gives what the index would give, every change is refused with the disk's error
    // and leaves the table as it was, and once there is room a reindex mends it all.
    void fullDiskReadsWithoutIndex_data()
    {
        QTest::addColumn<QString>("read");
        for (const QString &read : kReads)
            QTest::newRow(qPrintable(read)) << read;
    }
    void fullDiskReadsWithoutIndex()
    {
        QFETCH(QString, read);
        write(QStringLiteral("t"), m_sound);
        DbfTable t;
        listen(t);
        DBF_VERIFY_OK(openWithoutIndex(
            t, tablePath(QStringLiteral("t")), indexPath(QStringLiteral("t")), catalogueTags()));
        QCOMPARE(m_notices.size(), 1);
        QVERIFY2(
            m_notices[0].contains(QLatin1String("when there is room")), qPrintable(m_notices[0]));
        for (const QByteArray order : { "1", "2", "3", "4" }) {
            const Seen expected = truth(m_sound, read, order);
            const Seen seen = readAs(t, read, order);
            DBF_VERIFY_OK(seen.status);
            QCOMPARE(seen.lines, expected.lines);
        }
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    void fullDiskRefusesChanges_data()
    {
        QTest::addColumn<QString>("change");
        for (const char *change : { "append", "edit", "delete", "pack" })
            QTest::newRow(change) << QString::fromLatin1(change);
    }
    void fullDiskRefusesChanges()
    {
        QFETCH(QString, change);
        write(QStringLiteral("t"), m_sound);
        const QString path = tablePath(QStringLiteral("t"));
        DbfTable t;
        DBF_VERIFY_OK(openWithoutIndex(t, path, indexPath(QStringLiteral("t")), catalogueTags()));
        const QByteArray before = bytesOf(path);
        DBF_VERIFY_OK(t.setOrder("2"));
        DbStatus st;
        if (change == QLatin1String("append"))
            st = t.append();
        else if (change == QLatin1String("edit"))
            st = t.edit();
        else if (change == QLatin1String("delete"))
            st = t.deleteRecord();
        else
            st = t.pack();
        QCOMPARE(st.code(), DbStatus::IoError);
        QVERIFY2(st.message().contains(QLatin1String("No space left")), qPrintable(st.message()));
        QCOMPARE(t.state(), DbfTable::State::Browse);
        DBF_VERIFY_OK(t.close());
        QCOMPARE(bytesOf(path), before);

        // With room again the index is rebuilt and changes go through.
        DBF_VERIFY_OK(t.open(path, catalogueTags()));
        QVERIFY(!t.readsWithoutIndex());
        DBF_VERIFY_OK(add(t, { "A\\", "new.txt", {}, {}, {} }));
        QStringList faults;
        QVERIFY2(t.check(faults).isOk(), qPrintable(faults.join('\n')));
    }

    // Damage met in the middle of a walk while the disk is full: the walk goes on without
    // the index and gives every record once; reindex() mends the index once there is room.
    void damageOnFullDiskReadsOnWithoutIndex()
    {
        Files damaged = m_sound;
        put32(damaged.index, entry(damaged.index, 3), 0);
        const Seen expected = truth(damaged, QStringLiteral("walk"), "1");
        write(QStringLiteral("t"), damaged);
        DbfTable t;
        listen(t);
        DBF_VERIFY_OK(t.open(tablePath(QStringLiteral("t")), catalogueTags()));
        DBF_VERIFY_OK(t.setOrder("1"));
        Seen seen;
        {
            const IndexDiskFull full;
            seen = readAs(t, QStringLiteral("walk"), "1");
        }
        DBF_VERIFY_OK(seen.status);
        QCOMPARE(seen.lines, expected.lines);
        QVERIFY(t.readsWithoutIndex());
        QCOMPARE(m_notices.size(), 2); // the damage, then the rebuild that cannot be
        DBF_VERIFY_OK(t.reindex());
        QVERIFY(!t.readsWithoutIndex());
        QStringList faults;
        QVERIFY2(t.check(faults).isOk(), qPrintable(faults.join('\n')));
        QCOMPARE(readAs(t, QStringLiteral("walk back"), "1").lines,
            truth(damaged, QStringLiteral("walk back"), "1").lines);
    }
};

QTEST_GUILESS_MAIN(TestDbfDamage)
#include "tst_dbfdamage.moc"
