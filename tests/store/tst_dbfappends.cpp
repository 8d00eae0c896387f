// Appended records reach the index in runs: their keys wait until something needs the
// index. Every other call must see the table exactly as if each key had gone in at once.
#include "dbftesthelp.h"

#include "store/dbfio.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace dbftest;

namespace {

// What the table should hold, worked out without it: the records with their fields, the
// sort keys of the four catalogue tags, and which records a walk shows.
class Model
{
public:
    struct Record {
        QByteArray dir, name, note, code;
        QDate date;
        bool deleted = false;
    };

    std::vector<Record> records; // record number - 1
    QByteArray order;            // empty: physical
    QByteArray rangeDir;         // empty: no range
    bool filtered = false;       // the filter hides names starting with "x"

    static QByteArray padded(const QByteArray &s, int n) { return s.left(n).leftJustified(n, ' '); }

    QByteArray key(quint32 recno) const
    {
        const Record &r = records[recno - 1];
        const QByteArray dir = padded(r.dir, 80);
        const QByteArray name = r.name.toUpper();
        switch (order.isEmpty() ? 0 : order.toInt()) {
        case 1: return dir + padded(name, 20);
        case 2: return dir + (r.date.isValid() ? r.date.toString(QStringLiteral("yyyyMMdd")).toLatin1()
                                               : QByteArray(8, ' '))
                       + padded(name, 10);
        case 3: return dir + padded(r.code, 10) + padded(name, 10);
        case 4: return dir + padded(r.note.toUpper(), 20);
        default: return {};
        }
    }

    bool visible(quint32 recno) const
    {
        const Record &r = records[recno - 1];
        return !r.deleted && (rangeDir.isEmpty() || r.dir == rangeDir)
            && !(filtered && r.name.startsWith('x'));
    }

    // Every record (deleted ones too) in the order in force.
    std::vector<quint32> sequence() const
    {
        std::vector<quint32> out(records.size());
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = quint32(i + 1);
        if (!order.isEmpty()) {
            std::vector<QByteArray> keys(records.size() + 1);
            for (quint32 r : out)
                keys[r] = key(r);
            std::sort(out.begin(), out.end(), [&](quint32 a, quint32 b) {
                const int c = std::memcmp(keys[a].constData(), keys[b].constData(), size_t(keys[a].size()));
                return c != 0 ? c < 0 : a < b;
            });
        }
        return out;
    }

    std::vector<quint32> visibleSequence() const
    {
        std::vector<quint32> out;
        for (quint32 r : sequence())
            if (visible(r))
                out.push_back(r);
        return out;
    }

    // The record that is current after recno changed or went: itself when visible, else
    // the nearest following visible record, else the nearest preceding one, else none (0).
    quint32 settled(quint32 recno) const
    {
        const std::vector<quint32> seq = sequence();
        const auto at = std::find(seq.begin(), seq.end(), recno) - seq.begin();
        for (auto i = at; i < qsizetype(seq.size()); ++i)
            if (visible(seq[size_t(i)]))
                return seq[size_t(i)];
        for (auto i = at - 1; i >= 0; --i)
            if (visible(seq[size_t(i)]))
                return seq[size_t(i)];
        return 0;
    }

    // The nearest visible record after (or before) recno in the order, 0 when none.
    quint32 neighbour(quint32 recno, bool forward) const
    {
        const std::vector<quint32> seq = sequence();
        const auto at = std::find(seq.begin(), seq.end(), recno) - seq.begin();
        for (auto i = forward ? at + 1 : at - 1; i >= 0 && i < qsizetype(seq.size()); i += forward ? 1 : -1)
            if (visible(seq[size_t(i)]))
                return seq[size_t(i)];
        return 0;
    }
};

qint64 expectedRecNo(quint32 recno)
{
    return recno ? qint64(recno) : -1;
}

} // namespace

class TestDbfAppends : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    QString mdxPath() const { return m_dir.filePath(QStringLiteral("app.mdx")); }

    static DbStatus appendRecord(DbfTable &t, const Model::Record &r)
    {
        DbStatus st = t.append();
        if (!st)
            return st;
        t.setFieldBytes(Dir, r.dir);
        t.setFieldBytes(Name, r.name);
        t.setFieldDate(Date, r.date);
        t.setFieldBytes(Note, r.note);
        t.setFieldBytes(Code, r.code);
        return t.post();
    }

    static void setModelFilter(DbfTable &t, bool on)
    {
        if (on)
            t.setFilter([](const DbfTable &table) { return !table.fieldBytes(Name).startsWith('x'); });
        else
            t.setFilter(nullptr);
    }

    // Each tag, walked whole, against the model; and the table's own check.
    static void verifyTags(DbfTable &t, Model &m, const QString &when)
    {
        const Model saved = m;
        m.rangeDir.clear();
        m.filtered = false;
        setModelFilter(t, false);
        for (const QByteArray &order : {QByteArray("1"), QByteArray("2"), QByteArray("3"), QByteArray("4")}) {
            DBF_VERIFY_OK(t.setOrder(order));
            m.order = order;
            std::vector<quint32> walked;
            for (DbStatus st = t.first(); !t.eof(); st = t.next()) {
                DBF_VERIFY_OK(st);
                walked.push_back(quint32(t.recNo()));
                if (walked.size() > m.records.size())
                    break;
            }
            QVERIFY2(walked == m.visibleSequence(), qPrintable(when + QStringLiteral(", order ") + order));
        }
        QStringList faults;
        const DbStatus st = t.check(faults);
        QVERIFY2(st.isOk(), qPrintable(when + QLatin1Char(':') + faults.join(QLatin1Char('\n'))));
        m = saved;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("app.dbf"));
        QFile::remove(m_path);
        QFile::remove(mdxPath());
        DBF_VERIFY_OK(DbfTable::create(m_path, catalogueFields(), catalogueTags()));
    }

    // Runs of appends mixed at random with every other kind of call, each result compared
    // with a model of the table: the current record after every call, and every tag whole
    // at checkpoints and at the end.
    void appendsAmongEveryOtherCall_data()
    {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed : {1u, 2u, 3u})
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }
    void appendsAmongEveryOtherCall()
    {
        QFETCH(unsigned, seed);
        std::mt19937 rng(seed);
        const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
        const QByteArray dirs[] = {"A\\", "B\\", "C\\"};
        const QDate dates[] = {QDate(), QDate(2020, 1, 1), QDate(2021, 5, 5)};
        const QByteArray notes[] = {"", "alpha", "Beta"};
        const auto randomRecord = [&]() {
            Model::Record r;
            r.dir = dirs[pick(3)];
            r.name = (pick(6) == 0 ? "x" : "n") + QByteArray::number(pick(25)) + ".jpg";
            r.date = dates[pick(3)];
            r.note = notes[pick(3)];
            r.code = pick(3) == 0 ? "K" : "";
            return r;
        };

        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        Model m;
        quint32 current = 0;
        for (int step = 0; step < 500; ++step) {
            const QString when = QStringLiteral("step %1").arg(step);
            const int op = pick(20);
            if (op < 8) {
                // A run of appends; a long one now and then.
                const int run = pick(10) == 0 ? 60 : 1 + pick(6);
                for (int i = 0; i < run; ++i) {
                    const Model::Record r = randomRecord();
                    DBF_VERIFY_OK(appendRecord(t, r));
                    m.records.push_back(r);
                    const quint32 recno = quint32(m.records.size());
                    current = m.settled(recno);
                    QCOMPARE(t.recNo(), expectedRecNo(current));
                    if (current == recno) // callers read the new record right after posting it
                        QCOMPARE(t.fieldBytes(Name), r.name);
                }
            } else if (op < 10) {
                const bool forward = op == 8;
                DBF_VERIFY_OK(forward ? t.next() : t.prior());
                if (current) {
                    const quint32 n = m.neighbour(current, forward);
                    if (n)
                        current = n;
                    QCOMPARE(forward ? t.eof() : t.bof(), n == 0);
                }
                QCOMPARE(t.recNo(), expectedRecNo(current));
            } else if (op == 10) {
                const bool toFirst = pick(2) == 0;
                DBF_VERIFY_OK(toFirst ? t.first() : t.last());
                const std::vector<quint32> seq = m.visibleSequence();
                current = seq.empty() ? 0 : (toFirst ? seq.front() : seq.back());
                QCOMPARE(t.recNo(), expectedRecNo(current));
            } else if (op == 11 && !m.records.empty()) {
                const quint32 recno = quint32(1 + pick(int(m.records.size())));
                const DbStatus st = t.goTo(recno);
                if (m.visible(recno)) {
                    DBF_VERIFY_OK(st);
                    current = recno;
                } else {
                    QCOMPARE(st.code(), DbStatus::NoRecord);
                }
                QCOMPARE(t.recNo(), expectedRecNo(current));
            } else if (op == 12 && current) {
                // An edit that moves the record in the order, perhaps out of the range.
                Model::Record &r = m.records[current - 1];
                DBF_VERIFY_OK(t.edit());
                r.name = "e" + QByteArray::number(step) + ".png";
                t.setFieldBytes(Name, r.name);
                if (pick(2)) {
                    r.dir = dirs[pick(3)];
                    t.setFieldBytes(Dir, r.dir);
                }
                DBF_VERIFY_OK(t.post());
                current = m.settled(current);
                QCOMPARE(t.recNo(), expectedRecNo(current));
            } else if (op == 13 && current) {
                DBF_VERIFY_OK(t.deleteRecord());
                m.records[current - 1].deleted = true;
                current = m.settled(current);
                QCOMPARE(t.recNo(), expectedRecNo(current));
            } else if (op == 14) {
                const QByteArray orders[] = {"", "1", "2", "3", "4"};
                m.order = orders[pick(5)];
                m.rangeDir.clear();
                DBF_VERIFY_OK(t.setOrder(m.order));
                const std::vector<quint32> seq = m.visibleSequence();
                current = seq.empty() ? 0 : seq.front();
                QCOMPARE(t.recNo(), expectedRecNo(current));
            } else if (op == 15 && !m.order.isEmpty()) {
                if (pick(3) == 0) {
                    DBF_VERIFY_OK(t.cancelRange());
                    m.rangeDir.clear();
                    if (!current) {
                        const std::vector<quint32> seq = m.visibleSequence();
                        current = seq.empty() ? 0 : seq.front();
                    }
                } else {
                    m.rangeDir = dirs[pick(3)];
                    const auto range = folderRange(m.rangeDir);
                    DBF_VERIFY_OK(t.setRange(range.first, range.second));
                    const std::vector<quint32> seq = m.visibleSequence();
                    current = seq.empty() ? 0 : seq.front();
                }
                QCOMPARE(t.recNo(), expectedRecNo(current));
            } else if (op == 16) {
                // The filter applies from the next move on.
                m.filtered = !m.filtered;
                setModelFilter(t, m.filtered);
            } else if (op == 17) {
                DBF_VERIFY_OK(t.flush());
                QCOMPARE(t.recNo(), expectedRecNo(current));
            } else if (op == 18) {
                DBF_VERIFY_OK(t.close());
                DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
                m.order.clear();
                m.rangeDir.clear();
                m.filtered = false;
                const std::vector<quint32> seq = m.visibleSequence();
                current = seq.empty() ? 0 : seq.front();
                QCOMPARE(t.recNo(), expectedRecNo(current));
            } else if (op == 19 && pick(4) == 0) {
                verifyTags(t, m, when);
                m.order = "4";
                m.rangeDir.clear();
                m.filtered = false;
                const std::vector<quint32> seq = m.visibleSequence();
                current = seq.empty() ? 0 : seq.front();
                DBF_VERIFY_OK(t.first());
                QCOMPARE(t.recNo(), expectedRecNo(current));
            }
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(when));
        }
        verifyTags(t, m, QStringLiteral("at the end"));
        DBF_VERIFY_OK(t.close());
        // The index written back is the one a rebuild from the records gives.
        DbfTable again;
        DBF_VERIFY_OK(again.open(m_path, catalogueTags()));
        verifyTags(again, m, QStringLiteral("after reopening"));
        DBF_VERIFY_OK(again.reindex());
        verifyTags(again, m, QStringLiteral("after a rebuild"));
    }

    // More appends than are ever held back at once, in a range, then a walk back from
    // the last one: the walk needs every key in place.
    void longRunOfAppendsInRange()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        DBF_VERIFY_OK(t.setOrder("1"));
        const auto range = folderRange("R\\");
        DBF_VERIFY_OK(t.setRange(range.first, range.second));
        const int count = 9000;
        for (int i = 0; i < count; ++i) {
            // Names in an order of their own, so the order differs from physical order.
            const QByteArray name = "f" + QByteArray::number((i * 7919) % count).rightJustified(5, '0');
            DBF_VERIFY_OK(add(t, {"R\\", QString::fromLatin1(name), {}, {}, {}}));
            QCOMPARE(t.recNo(), qint64(i + 1));
        }
        DBF_VERIFY_OK(t.last());
        QCOMPARE(t.fieldBytes(Name), QByteArray("f08999"));
        int seen = 1;
        QByteArray previous = t.fieldBytes(Name);
        while (true) {
            DBF_VERIFY_OK(t.prior());
            if (t.bof())
                break;
            QVERIFY(t.fieldBytes(Name) < previous);
            previous = t.fieldBytes(Name);
            ++seen;
        }
        QCOMPARE(seen, count);
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
    }

    // A record appended outside the range is not current; the record the range shows next
    // to its place is, as before any keys were held back.
    void appendOutsideRangeSettlesInRange()
    {
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        for (const char *n : {"b", "d"})
            DBF_VERIFY_OK(add(t, {"IN\\", QString::fromLatin1(n), {}, {}, {}}));
        DBF_VERIFY_OK(t.setOrder("1"));
        const auto range = folderRange("IN\\");
        DBF_VERIFY_OK(t.setRange(range.first, range.second));
        DBF_VERIFY_OK(add(t, {"IN\\", "c", {}, {}, {}}));
        QCOMPARE(t.fieldText(Name), QStringLiteral("c"));
        DBF_VERIFY_OK(add(t, {"AAA\\", "z", {}, {}, {}})); // before the range: its first record
        QCOMPARE(t.fieldText(Name), QStringLiteral("b"));
        DBF_VERIFY_OK(add(t, {"ZZZ\\", "a", {}, {}, {}})); // after it: its last record
        QCOMPARE(t.fieldText(Name), QStringLiteral("d"));
        DBF_VERIFY_OK(t.prior());
        QCOMPARE(t.fieldText(Name), QStringLiteral("c"));
        DBF_VERIFY_OK(t.cancelRange());
        QCOMPARE(walk(t), (QStringList{"z", "b", "c", "d", "a"}));
    }

    // A write of the index that fails while the held-back keys go in breaks the index as a
    // failing insert always did: the call that needed the keys reports it, check() names
    // it, closing does not mark the index sound, and the next open rebuilds it.
    void failingIndexWriteBreaksIndex()
    {
        {
            DbfTable t;
            DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
            DBF_VERIFY_OK(add(t, {"D\\", "first", {}, {}, {}}));
            DBF_VERIFY_OK(t.flush());
            dbfio::setFaultHook([](const QString &path, qint64, qint64) { return !path.endsWith(QLatin1String(".mdx")); });
            for (int i = 0; i < 20; ++i)
                DBF_VERIFY_OK(add(t, {"D\\", QStringLiteral("n%1").arg(i), {}, {}, {}}));
            const DbStatus st = t.first(); // a move needs the keys in the index
            dbfio::setFaultHook(nullptr);
            QCOMPARE(st.code(), DbStatus::IoError);
            QVERIFY2(st.message().contains(QLatin1String("app.mdx")), qPrintable(st.message()));
            QStringList faults;
            QCOMPARE(t.check(faults).code(), DbStatus::Corrupt);
            QVERIFY2(faults.join('\n').contains(QStringLiteral("an update of the index failed")),
                     qPrintable(faults.join('\n')));
            t.close();
        }
        QCOMPARE(int(bytesOf(m_path)[28]), 0); // the index is not declared sound
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
        DBF_VERIFY_OK(t.setOrder("1"));
        QCOMPARE(walk(t).size(), 21);
    }

    // A process killed while keys wait (and the index file itself was not touched since
    // its last flush) leaves a table whose index the next open rebuilds.
    void killedWithKeysPending()
    {
        const pid_t child = fork();
        if (child == 0) {
            DbfTable t;
            bool ok = t.open(m_path, catalogueTags()).isOk();
            for (int i = 0; ok && i < 300; ++i)
                ok = add(t, {"D\\", QStringLiteral("a%1").arg(i), {}, {}, {}}).isOk();
            ok = ok && t.flush().isOk();
            // Enough records for the file to take some of them, too few to release the keys.
            for (int i = 0; ok && i < 1500; ++i)
                ok = add(t, {"E\\", QStringLiteral("b%1").arg(1500 - i), {}, {}, {}}).isOk();
            if (!ok)
                _exit(1);
            raise(SIGKILL);
            _exit(2);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGKILL);
        QCOMPARE(int(bytesOf(m_path)[28]), 0);
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        QVERIFY(t.physicalCount() > 300);
        QVERIFY(t.physicalCount() <= 1800);
        QStringList faults;
        DBF_VERIFY_OK(t.check(faults));
        for (const QByteArray &order : {QByteArray("1"), QByteArray("4")}) {
            DBF_VERIFY_OK(t.setOrder(order));
            QCOMPARE(quint32(walk(t).size()), t.physicalCount());
        }
    }
};

QTEST_GUILESS_MAIN(TestDbfAppends)
#include "tst_dbfappends.moc"
