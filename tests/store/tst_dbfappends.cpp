// Appended records reach the index in runs: their keys wait until something needs the
// index. Every other call must see the table exactly as if each key had gone in at once.
#include "dbftesthelp.h"

#include "store/dbfio.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace dbftest;

namespace
{

// What the table should show, worked out without it: the records, the order in force (the
// catalogue tags' keys built here by hand), the range and the filter (no names with "x").
struct Model {
    struct Record {
        QByteArray dir, name, note;
        QDate date;
        bool deleted = false;
    };
    std::vector<Record> records; // record number - 1
    QByteArray order, rangeDir;
    bool filtered = false;

    QByteArray key(quint32 recno) const
    {
        const Record &r = records[recno - 1];
        const auto pad = [](const QByteArray &s, int n) { return s.left(n).leftJustified(n, ' '); };
        const QByteArray name = r.name.toUpper();
        switch (order.toInt()) {
        case 1:
            return pad(r.dir, 80) + pad(name, 20);
        case 2:
            return pad(r.dir, 80) + (r.date.isValid() ? QByteArray("20210505") : QByteArray(8, ' '))
                + pad(name, 10);
        case 3:
            return pad(r.dir, 80) + QByteArray(10, ' ') + pad(name, 10);
        default:
            return pad(r.dir, 80) + pad(r.note.toUpper(), 20);
        }
    }
    bool visible(quint32 r) const
    {
        const Record &rec = records[r - 1];
        return !rec.deleted && (rangeDir.isEmpty() || rec.dir == rangeDir)
            && !(filtered && rec.name.startsWith('x'));
    }
    std::vector<quint32> sequence() const // every record, in the order in force
    {
        std::vector<quint32> out(records.size());
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = quint32(i + 1);
        if (!order.isEmpty()) {
            std::vector<QByteArray> keys(records.size() + 1);
            for (quint32 r : out)
                keys[r] = key(r);
            std::stable_sort(
                out.begin(), out.end(), [&](quint32 a, quint32 b) { return keys[a] < keys[b]; });
        }
        return out;
    }
    std::vector<quint32> shown() const
    {
        std::vector<quint32> out;
        for (quint32 r : sequence())
            if (visible(r))
                out.push_back(r);
        return out;
    }
    // The nearest visible record from recno on (or after it) in one direction; 0 for none.
    quint32 nearest(quint32 recno, bool forward, bool fromItself) const
    {
        const std::vector<quint32> seq = sequence();
        const qsizetype at = std::find(seq.begin(), seq.end(), recno) - seq.begin();
        const int step = forward ? 1 : -1;
        for (qsizetype i = fromItself ? at : at + step; i >= 0 && i < qsizetype(seq.size());
             i += step)
            if (visible(seq[size_t(i)]))
                return seq[size_t(i)];
        return 0;
    }
    // The record current after recno was posted or deleted: itself, else the following
    // visible one, else the preceding one.
    quint32 settled(quint32 recno) const
    {
        const quint32 next = nearest(recno, true, true);
        return next ? next : nearest(recno, false, false);
    }
    quint32 firstShown() const
    {
        const std::vector<quint32> s = shown();
        return s.empty() ? 0 : s.front();
    }
};

qint64 recNoOf(quint32 recno)
{
    return recno ? qint64(recno) : -1;
}

} // namespace

class TestDbfAppends : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

    static void setFilter(DbfTable &t, bool on)
    {
        t.setFilter(on ? std::function<bool(const DbfTable &)>([](const DbfTable &table) {
            return !table.fieldBytes(Name).startsWith('x');
        })
                       : nullptr);
    }

    // Every tag walked whole against the model, and the table's own check.
    static void verifyTags(DbfTable &t, Model m, const QString &when)
    {
        m.rangeDir.clear();
        m.filtered = false;
        setFilter(t, false);
        for (const QByteArray &order :
            { QByteArray("1"), QByteArray("2"), QByteArray("3"), QByteArray("4") }) {
            m.order = order;
            DBF_VERIFY_OK(t.setOrder(order));
            std::vector<quint32> walked;
            for (DbStatus st = t.first(); st && !t.eof() && walked.size() <= m.records.size();
                 st = t.next())
                walked.push_back(quint32(t.recNo()));
            QVERIFY2(walked == m.shown(), qPrintable(when + QStringLiteral(", order ") + order));
        }
        QStringList faults;
        QVERIFY2(t.check(faults).isOk(),
            qPrintable(when + QLatin1Char(':') + faults.join(QLatin1Char('\n'))));
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("app.dbf"));
        QFile::remove(m_path);
        QFile::remove(m_dir.filePath(QStringLiteral("app.mdx")));
        DBF_VERIFY_OK(DbfTable::create(m_path, catalogueFields(), catalogueTags()));
    }

    // Runs of appends mixed at random with every other kind of call; the current record
    // after every call and every tag at checkpoints are compared with the model.
    void appendsAmongEveryOtherCall_data()
    {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed : { 1u, 2u, 3u })
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }
    void appendsAmongEveryOtherCall()
    {
        QFETCH(unsigned, seed);
        std::mt19937 rng(seed);
        const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
        const QByteArray dirs[] = { "A\\", "B\\", "C\\" };
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        Model m;
        quint32 cur = 0;
        for (int step = 0; step < 500 && !QTest::currentTestFailed(); ++step) {
            const QString when = QStringLiteral("step %1").arg(step);
            const int op = pick(20);
            if (op < 8) { // a run of appends, a long one now and then
                for (int i = 0, run = pick(10) ? 1 + pick(6) : 60; i < run; ++i) {
                    Model::Record r { dirs[pick(3)],
                        (pick(6) ? "n" : "x") + QByteArray::number(pick(25)),
                        QByteArray(pick(2) ? "Beta" : ""), pick(2) ? QDate(2021, 5, 5) : QDate() };
                    DBF_VERIFY_OK(add(t,
                        { QString::fromLatin1(r.dir), QString::fromLatin1(r.name), r.date,
                            QString::fromLatin1(r.note), {} }));
                    m.records.push_back(r);
                    cur = m.settled(quint32(m.records.size()));
                    QCOMPARE(t.recNo(), recNoOf(cur));
                    if (cur == m.records.size()) // read right after posting, as callers do
                        QCOMPARE(t.fieldBytes(Name), r.name);
                }
            } else if (op < 10) {
                DBF_VERIFY_OK(op == 8 ? t.next() : t.prior());
                if (cur) {
                    const quint32 n = m.nearest(cur, op == 8, false);
                    QCOMPARE(op == 8 ? t.eof() : t.bof(), n == 0);
                    cur = n ? n : cur;
                }
            } else if (op == 10) {
                DBF_VERIFY_OK(t.last());
                cur = m.shown().empty() ? 0 : m.shown().back();
            } else if (op == 11 && !m.records.empty()) {
                const quint32 r = quint32(1 + pick(int(m.records.size())));
                QCOMPARE(t.goTo(r).code(), m.visible(r) ? DbStatus::Ok : DbStatus::NoRecord);
                cur = m.visible(r) ? r : cur;
            } else if (op == 12 && cur) { // moves the record in the order, maybe out of range
                DBF_VERIFY_OK(t.edit());
                m.records[cur - 1].name = "e" + QByteArray::number(step);
                t.setFieldBytes(Name, m.records[cur - 1].name);
                if (pick(2))
                    t.setFieldBytes(Dir, m.records[cur - 1].dir = dirs[pick(3)]);
                DBF_VERIFY_OK(t.post());
                cur = m.settled(cur);
            } else if (op == 13 && cur) {
                DBF_VERIFY_OK(t.deleteRecord());
                m.records[cur - 1].deleted = true;
                cur = m.settled(cur);
            } else if (op == 14) {
                const QByteArray orders[] = { "", "1", "2", "3", "4" };
                m.order = orders[pick(5)];
                m.rangeDir.clear();
                DBF_VERIFY_OK(t.setOrder(m.order));
                cur = m.firstShown();
            } else if (op == 15 && !m.order.isEmpty()) {
                if (pick(3) == 0) {
                    DBF_VERIFY_OK(t.cancelRange());
                    m.rangeDir.clear();
                    cur = cur ? cur : m.firstShown();
                } else {
                    m.rangeDir = dirs[pick(3)];
                    const auto range = folderRange(m.rangeDir);
                    DBF_VERIFY_OK(t.setRange(range.first, range.second));
                    cur = m.firstShown();
                }
            } else if (op == 16) { // the filter applies from the next move on
                setFilter(t, m.filtered = !m.filtered);
            } else if (op == 17) {
                DBF_VERIFY_OK(t.flush());
            } else if (op == 18) {
                DBF_VERIFY_OK(t.close());
                DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
                m.order.clear();
                m.rangeDir.clear();
                m.filtered = false;
                cur = m.firstShown();
            } else if (op == 19 && pick(4) == 0) {
                verifyTags(t, m, when);
                m.order = "4";
                m.rangeDir.clear();
                m.filtered = false;
                DBF_VERIFY_OK(t.first());
                cur = m.firstShown();
            }
            QVERIFY2(t.recNo() == recNoOf(cur), qPrintable(when));
        }
        verifyTags(t, m, QStringLiteral("at the end"));
        DBF_VERIFY_OK(t.close());
        DBF_VERIFY_OK(t.open(m_path, catalogueTags())); // the index as written back
        verifyTags(t, m, QStringLiteral("after reopening"));
    }

    // The header counts records in 32 bits: a table of more than 65,535 records keeps its
    // count on disk and across a reopen, and checks clean.
    void recordCountBeyondSixteenBits()
    {
        constexpr quint32 kRecords = 70000;
        {
            DbfTable t;
            DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
            DBF_VERIFY_OK(t.setOrder(QByteArray()));
            for (quint32 i = 1; i <= kRecords; ++i)
                DBF_VERIFY_OK(add(t, { "D\\", QStringLiteral("f%1").arg(i), {}, {}, {} }));
            DBF_VERIFY_OK(t.close());
        }
        QCOMPARE(le32(bytesOf(m_path), 4), kRecords);
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        QCOMPARE(t.physicalCount(), kRecords);
        QStringList faults;
        QVERIFY2(t.check(faults).isOk(), qPrintable(faults.join(QLatin1Char('\n'))));
        DBF_VERIFY_OK(t.setOrder("1"));
        DBF_VERIFY_OK(t.goTo(kRecords));
        QCOMPARE(t.fieldText(Name), QStringLiteral("f70000"));
    }

    // More appends than ever wait at once, in a range, then a walk back from the last one.
    void longRunOfAppendsInRange()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        DBF_VERIFY_OK(t.setOrder("1"));
        const auto range = folderRange("R\\");
        DBF_VERIFY_OK(t.setRange(range.first, range.second));
        for (int i = 0; i < 9000; ++i) // names in an order of their own
            DBF_VERIFY_OK(add(t,
                { "R\\", QStringLiteral("f%1").arg(i * 7919 % 9000, 5, 10, QLatin1Char('0')), {},
                    {}, {} }));
        QStringList back = walkBack(t);
        QCOMPARE(back.size(), 9000);
        QVERIFY(
            std::is_sorted(back.begin(), back.end()) && back.last() == QStringLiteral("f08999"));
    }

    // A write of the index failing while the waiting keys go in breaks the index as a failing
    // insert always did: the call that needed the keys reports it, check() names it, the
    // index is not marked sound, and the next open rebuilds it.
    void failingIndexWriteBreaksIndex()
    {
        {
            DbfTable t;
            DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
            DBF_VERIFY_OK(add(t, { "D\\", "first", {}, {}, {} }));
            DBF_VERIFY_OK(t.flush());
            dbfio::setFaultHook([](const QString &path, qint64, qint64) {
                return !path.endsWith(QLatin1String(".mdx"));
            });
            for (int i = 0; i < 20; ++i)
                DBF_VERIFY_OK(add(t, { "D\\", QStringLiteral("n%1").arg(i), {}, {}, {} }));
            const DbStatus st = t.first();
            dbfio::setFaultHook(nullptr);
            QCOMPARE(st.code(), DbStatus::IoError);
            QVERIFY2(st.message().contains(QLatin1String("app.mdx")), qPrintable(st.message()));
            QStringList faults;
            QCOMPARE(t.check(faults).code(), DbStatus::Corrupt);
            QVERIFY(faults.join('\n').contains(QStringLiteral("an update of the index failed")));
            t.close();
        }
        QCOMPARE(int(bytesOf(m_path)[28]), 0);
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
        DBF_VERIFY_OK(t.setOrder("1"));
        QCOMPARE(walk(t).size(), 21);
    }

    // A run of appends that outgrows a quarter of the table, in no order (an import from
    // another program), has its index built anew when something first needs it; until then
    // the table says on disk that its index is not to be trusted.
    void longRunInNoOrder()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        Model m;
        std::mt19937 rng(4);
        for (int i = 0; i < 6000; ++i) {
            Model::Record r { "F" + QByteArray::number(int(rng() % 300)) + "\\",
                "n" + QByteArray::number(int(rng() % 100000)), QByteArray(rng() % 2 ? "Note" : ""),
                rng() % 2 ? QDate(2021, 5, 5) : QDate() };
            DBF_VERIFY_OK(add(t,
                { QString::fromLatin1(r.dir), QString::fromLatin1(r.name), r.date,
                    QString::fromLatin1(r.note), {} }));
            m.records.push_back(r);
        }
        QCOMPARE(int(bytesOf(m_path)[28]), 0);
        verifyTags(t, m, QStringLiteral("after the run"));
        DBF_VERIFY_OK(t.close());
        QCOMPARE(int(bytesOf(m_path)[28]), 1);
    }

    // Killed while keys wait (the index file untouched since its last flush), or while a
    // long run has left the index to be built anew: the next open rebuilds the index from
    // what reached the table.
    void killedWithKeysPending_data()
    {
        QTest::addColumn<int>("run");
        QTest::newRow("keys wait") << 1500;
        QTest::newRow("index to be built anew") << 6000;
    }
    void killedWithKeysPending()
    {
        QFETCH(int, run);
        const pid_t child = fork();
        if (child == 0) {
            DbfTable t;
            bool ok = t.open(m_path, catalogueTags()).isOk();
            for (int i = 0; ok && i < 300; ++i)
                ok = add(t, { "D\\", QStringLiteral("a%1").arg(i), {}, {}, {} }).isOk();
            ok = ok && t.flush().isOk();
            for (int i = 0; ok && i < run; ++i) // runs reach the file, the keys all wait
                ok = add(t, { "E\\", QStringLiteral("b%1").arg(run - i), {}, {}, {} }).isOk();
            if (ok)
                raise(SIGKILL);
            _exit(1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QCOMPARE(int(bytesOf(m_path)[28]), 0);
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        QVERIFY(t.physicalCount() > 300 && t.physicalCount() <= quint32(300 + run));
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
        DBF_VERIFY_OK(t.setOrder("1"));
        QCOMPARE(quint32(walk(t).size()), t.physicalCount());
    }
};

QTEST_GUILESS_MAIN(TestDbfAppends)
#include "tst_dbfappends.moc"
