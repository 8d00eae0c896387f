#include "dbftesthelp.h"
#include "store/dbfio.h"
#include "support/scriptedprogress.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace dbftest;

class TestDbfPack : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_pristineDbf, m_pristineMdx;
    QStringList m_live; // names of the live records in physical order

    QString mdxPath() const { return m_dir.filePath(QStringLiteral("cat.mdx")); }

    void restorePristine()
    {
        QVERIFY(writeBytes(m_path, m_pristineDbf));
        QVERIFY(writeBytes(mdxPath(), m_pristineMdx));
        QFile::remove(m_path + ".pack");
        QFile::remove(mdxPath() + ".pack");
    }

    // Opens the table as the next run of the program would and checks that it holds
    // exactly the live records, whole, with a sound index.
    void verifyWhole(const QString &when)
    {
        DbfTable t;
        const DbStatus st = t.open(m_path, catalogueTags());
        QVERIFY2(st.isOk(), qPrintable(when + ": " + st.message()));
        QVERIFY2(t.physicalCount() == quint32(m_live.size())
                || t.physicalCount() == quint32(m_live.size() + m_live.size() / 9),
            qPrintable(when));
        QCOMPARE(walk(t), m_live);
        QStringList faults;
        const DbStatus checked = t.check(faults);
        QVERIFY2(checked.isOk(), qPrintable(when + ": " + faults.join('\n')));
        DBF_VERIFY_OK(t.setOrder("1"));
        QStringList sorted = m_live; // by folder F<n % 7>, then name
        std::stable_sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
            return a.mid(1).toInt() % 7 < b.mid(1).toInt() % 7;
        });
        QCOMPARE(walk(t), sorted);
    }

private slots:
    void initTestCase()
    {
        // 1000 records, every tenth deleted: the copy takes more than one write run.
        m_path = m_dir.filePath(QStringLiteral("cat.dbf"));
        DBF_VERIFY_OK(DbfTable::create(m_path, catalogueFields(), catalogueTags()));
        DbfTable t;
        DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
        for (int i = 0; i < 1000; ++i)
            DBF_VERIFY_OK(add(t,
                { QStringLiteral("F%1\\").arg(i % 7),
                    QStringLiteral("n%1").arg(i, 4, 10, QLatin1Char('0')),
                    QDate(2020, 1, 1).addDays(i), {}, {} }));
        for (quint32 r = 1; r <= 1000; ++r) {
            DBF_VERIFY_OK(t.goTo(r));
            if (r % 10 == 5)
                DBF_VERIFY_OK(t.deleteRecord());
            else
                m_live << t.fieldText(Name);
        }
        DBF_VERIFY_OK(t.close());
        m_pristineDbf = bytesOf(m_path);
        m_pristineMdx = bytesOf(mdxPath());
    }

    void packRenumbersLiveRecords()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("small.dbf"));
        DBF_VERIFY_OK(DbfTable::create(path, catalogueFields(), catalogueTags()));
        DbfTable t;
        DBF_VERIFY_OK(t.open(path, catalogueTags()));
        for (const char *n : { "one", "two", "three" })
            DBF_VERIFY_OK(add(t, { "D\\", n, {}, {}, {} }));
        DBF_VERIFY_OK(t.goTo(2));
        DBF_VERIFY_OK(t.deleteRecord());
        DBF_VERIFY_OK(t.setOrder("2"));
        DBF_VERIFY_OK(t.pack());
        QCOMPARE(t.order(), QByteArray("2"));
        QCOMPARE(t.physicalCount(), 2u);
        DBF_VERIFY_OK(t.goTo(2));
        QCOMPARE(t.fieldText(Name), QStringLiteral("three"));
        DBF_VERIFY_OK(add(t, { "D\\", "four", {}, {}, {} }));
        QCOMPARE(t.recNo(), 3);
        DBF_VERIFY_OK(t.close());
        const QByteArray b = bytesOf(path);
        QCOMPARE(b.size(), 225 + 3 * 265 + 1);
        QCOMPARE(le32(b, 4), 3u);
        QCOMPARE(int(b[28]), 1);
        QCOMPARE(b.mid(225 + 265 + 81, 5), QByteArray("three"));
        // Nothing is left behind, nor still being removed, once the table is closed.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList { "small.dbf", "small.mdx" }));
    }

    void packedTableStaysLockedAndWorksWithoutIndex_data()
    {
        QTest::addColumn<bool>("withTags");
        QTest::newRow("catalogue tags") << true;
        QTest::newRow("no index") << false;
    }
    void packedTableStaysLockedAndWorksWithoutIndex()
    {
        QFETCH(bool, withTags);
        const std::vector<DbfTagDef> tags = withTags ? catalogueTags() : std::vector<DbfTagDef>();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("l.dbf"));
        DBF_VERIFY_OK(DbfTable::create(path, catalogueFields(), tags));
        QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("l.mdx"))), withTags);
        DbfTable t;
        DBF_VERIFY_OK(t.open(path, tags));
        for (const char *n : { "a", "b", "c", "d" })
            DBF_VERIFY_OK(add(t, { "D\\", n, {}, {}, {} }));
        DBF_VERIFY_OK(t.goTo(1));
        DBF_VERIFY_OK(t.deleteRecord());
        DBF_VERIFY_OK(t.pack());
        QCOMPARE(walk(t), (QStringList { "b", "c", "d" }));
        const pid_t child = fork();
        if (child == 0) {
            DbfTable other;
            _exit(other.open(path, tags).code() == DbStatus::Locked ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        DBF_VERIFY_OK(t.close());
        QCOMPARE(int(bytesOf(path)[28]), withTags ? 1 : 0);
        DBF_VERIFY_OK(t.open(path, tags));
        QCOMPARE(walk(t), (QStringList { "b", "c", "d" }));
    }

    void packEmptiesTable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("e.dbf"));
        DBF_VERIFY_OK(DbfTable::create(path, catalogueFields(), catalogueTags()));
        DbfTable t;
        DBF_VERIFY_OK(t.open(path, catalogueTags()));
        DBF_VERIFY_OK(add(t, { "D\\", "x", {}, {}, {} }));
        DBF_VERIFY_OK(t.deleteRecord());
        DBF_VERIFY_OK(t.pack());
        QVERIFY(t.isEmpty());
        DBF_VERIFY_OK(t.close());
        QCOMPARE(bytesOf(path).size(), 226);
    }

    // Stopped while the records are copied (before the first, or after the first run of
    // them), pack leaves the table and its index as they were: the old index is put back,
    // not built again, nothing is left beside them, and the next pack runs to its end.
    void cancelledWhileCopying_data()
    {
        QTest::addColumn<qint64>("stopFrom"); // records copied when the stop is asked for
        QTest::newRow("before the first record") << qint64(0);
        QTest::newRow("after the first run") << qint64(1);
    }
    void cancelledWhileCopying()
    {
        QFETCH(qint64, stopFrom);
        restorePristine();
        {
            DbfTable t;
            DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
            DBF_VERIFY_OK(t.setOrder("3"));
            ScriptedProgress progress(stopFrom);
            const DbStatus st = t.pack(&progress);
            QCOMPARE(st.code(), DbStatus::Cancelled);
            QVERIFY(progress.orderly());
            QCOMPARE(progress.steps.back().second, qint64(1000));
            QVERIFY(t.isOpen());
            QCOMPARE(t.order(), QByteArray("3"));
            QCOMPARE(t.physicalCount(), 1000u);
            QCOMPARE(int(bytesOf(m_path)[28]), 1); // the index is sound as it stands
            QCOMPARE(bytesOf(mdxPath()), m_pristineMdx);
            QCOMPARE(QDir(m_dir.path()).entryList({ "cat.*" }, QDir::Files | QDir::Hidden),
                (QStringList { "cat.dbf", "cat.mdx" }));
            DBF_VERIFY_OK(t.setOrder(""));
            QCOMPARE(walk(t), m_live);
            QStringList faults;
            QVERIFY2(t.check(faults).isOk(), qPrintable(faults.join('\n')));
            DBF_VERIFY_OK(t.pack());
            QCOMPARE(t.physicalCount(), quint32(m_live.size()));
        }
        verifyWhole(QStringLiteral("packed after a cancelled pack"));
    }

    // A kill at every write and between every step of pack leaves a table that opens
    // whole: either the old file or the new one.
    void killedAtEveryPoint()
    {
        int events = 0;
        {
            restorePristine();
            DbfTable t;
            DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
            dbfio::setFaultHook([&](const QString &, qint64, qint64) { return ++events, true; });
            DBF_VERIFY_OK(t.pack());
            dbfio::setFaultHook(nullptr);
        }
        QVERIFY(events >= 8);
        qInfo("pack passes %d points where it can be stopped", events);
        for (int k = 1; k <= events; ++k) {
            restorePristine();
            const pid_t child = fork();
            if (child == 0) {
                DbfTable t;
                if (!t.open(m_path, catalogueTags()))
                    _exit(2);
                int n = 0;
                dbfio::setFaultHook([&](const QString &, qint64, qint64) {
                    if (++n == k)
                        _exit(0);
                    return true;
                });
                t.pack();
                _exit(3);
            }
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), 0);
            verifyWhole(QStringLiteral("killed at event %1").arg(k));
        }
    }

    // A failure at any point leaves the open table usable and sound, and so does the
    // next open.
    void failedAtEveryPoint()
    {
        for (int k = 1; k < 40; ++k) {
            restorePristine();
            bool failed = false;
            {
                DbfTable t;
                DBF_VERIFY_OK(t.open(m_path, catalogueTags()));
                DBF_VERIFY_OK(t.setOrder("3"));
                int n = 0;
                dbfio::setFaultHook([&](const QString &, qint64, qint64) { return ++n != k; });
                const DbStatus st = t.pack();
                dbfio::setFaultHook(nullptr);
                failed = !st;
                if (failed) {
                    QCOMPARE(st.code(), DbStatus::IoError);
                    QVERIFY(!st.message().isEmpty());
                }
                QVERIFY(t.isOpen());
                QCOMPARE(t.order(), QByteArray("3"));
                DBF_VERIFY_OK(t.setOrder(""));
                QCOMPARE(walk(t), m_live);
                QStringList faults;
                const DbStatus checked = t.check(faults);
                QVERIFY2(checked.isOk(), qPrintable(QString::number(k) + faults.join('\n')));
            }
            verifyWhole(QStringLiteral("failed at event %1").arg(k));
            if (!failed)
                break;
        }
    }
};

QTEST_GUILESS_MAIN(TestDbfPack)
#include "tst_dbfpack.moc"
