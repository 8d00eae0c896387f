#include "mdxtesthelp.h"
#include "support/testutil.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <csignal>
#include <sys/resource.h>

using namespace mdxtest;

// One damaged index per fault. Each must be refused with BadIndex (or Corrupt for a
// missing entry), either at open or at the first walk that meets the damage; never a
// crash or an endless loop.
namespace
{

using Damage = std::function<void(QByteArray &)>;

quint32 le32(const QByteArray &b, int off)
{
    const auto *u = reinterpret_cast<const unsigned char *>(b.constData() + off);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}
void put32(QByteArray &b, int off, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[off + i] = char((v >> (8 * i)) & 0xFF);
}

constexpr int kTag1Header = 4 * 512;
int rootOffset(const QByteArray &b)
{
    return int(le32(b, kTag1Header)) * 512;
}
int firstLeafOffset(const QByteArray &b)
{
    return int(le32(b, kTag1Header + 248)) * 512;
}
// The page of the first child of the root, an inner node in the 400-entry fixture.
quint32 rootChild(const QByteArray &b, int i)
{
    return le32(b, rootOffset(b) + 8 + i * 104);
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestMdxCorrupt : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void damagedFile_data()
    {
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<bool>("refusedAtOpen");
        QTest::addColumn<bool>("walkFails");

        QTest::newRow("truncated header")
            << Damage([](QByteArray &b) { b.truncate(1000); }) << true << true;
        QTest::newRow("truncated after the header")
            << Damage([](QByteArray &b) { b.chop(1024); }) << true << true;
        QTest::newRow("wrong version") << Damage([](QByteArray &b) { b[0] = 3; }) << true << true;
        QTest::newRow("wrong block size") << Damage([](QByteArray &b) {
            b[20] = 4;
            b[22] = 0;
            b[23] = 8;
        }) << true << true;
        QTest::newRow("too many tags") << Damage([](QByteArray &b) { b[28] = 48; }) << true << true;
        QTest::newRow("page count odd")
            << Damage([](QByteArray &b) { put32(b, 32, le32(b, 32) - 1); }) << true << true;
        QTest::newRow("tag header outside file")
            << Damage([](QByteArray &b) { put32(b, 544, 100000); }) << true << true;
        QTest::newRow("tag header off a block boundary")
            << Damage([](QByteArray &b) { put32(b, 544, 5); }) << true << true;
        QTest::newRow("tag name without end")
            << Damage([](QByteArray &b) { b[544 + 14] = 'X'; }) << true << true;
        QTest::newRow("root outside file")
            << Damage([](QByteArray &b) { put32(b, kTag1Header, 0x7FFFFFFE); }) << true << true;
        QTest::newRow("key length too big")
            << Damage([](QByteArray &b) { b[kTag1Header + 12] = char(200); }) << true << true;
        QTest::newRow("item length foreign")
            << Damage([](QByteArray &b) { b[kTag1Header + 18] = 108; }) << true << true;
        QTest::newRow("descending tag")
            << Damage([](QByteArray &b) { b[kTag1Header + 8] = 0x18; }) << true << true;
        QTest::newRow("expression without end")
            << Damage([](QByteArray &b) { b.replace(kTag1Header + 24, 221, QByteArray(221, 'X')); })
            << true << true;

        QTest::newRow("child pointer outside file")
            << Damage([](QByteArray &b) { put32(b, rootOffset(b) + 8, 1000000); }) << false << true;
        QTest::newRow("child pointer off a block boundary")
            << Damage([](QByteArray &b) { put32(b, rootOffset(b) + 8, rootChild(b, 0) + 1); })
            << false << true;
        QTest::newRow("child pointer cycle to itself")
            << Damage([](QByteArray &b) { put32(b, rootOffset(b) + 8, le32(b, kTag1Header)); })
            << false << true;
        QTest::newRow("child pointer cycle through a child") << Damage([](QByteArray &b) {
            put32(b, int(rootChild(b, 0)) * 512 + 8, le32(b, kTag1Header));
        }) << false << true;
        QTest::newRow("child pointer to a tag header")
            << Damage([](QByteArray &b) { put32(b, rootOffset(b) + 8, 6); }) << false << true;
        QTest::newRow("node count too big")
            << Damage([](QByteArray &b) { put32(b, rootOffset(b), 200); }) << false << true;
        QTest::newRow("leaf count too big")
            << Damage([](QByteArray &b) { put32(b, firstLeafOffset(b), 10); }) << false << true;
        QTest::newRow("page reached twice")
            << Damage([](QByteArray &b) { put32(b, rootOffset(b) + 8 + 104, rootChild(b, 0)); })
            << false << true;
        QTest::newRow("keys out of order")
            << Damage([](QByteArray &b) { b[firstLeafOffset(b) + 12] = char(0xFF); }) << false
            << true;
        QTest::newRow("record number zero")
            << Damage([](QByteArray &b) { put32(b, firstLeafOffset(b) + 8, 0); }) << false << true;
        QTest::newRow("entry repeated") << Damage([](QByteArray &b) {
            b.replace(firstLeafOffset(b) + 8 + 104, 104, b.mid(firstLeafOffset(b) + 8, 104));
        }) << false << true;
        QTest::newRow("separator below its child") << Damage([](QByteArray &b) {
            b.replace(rootOffset(b) + 12, 100, QByteArray(100, '\0'));
        }) << false << false;
        QTest::newRow("wrong first leaf in tag header")
            << Damage([](QByteArray &b) { put32(b, kTag1Header + 248, rootChild(b, 0)); }) << false
            << false;
    }

    void damagedFile()
    {
        QFETCH(Damage, damage);
        QFETCH(bool, refusedAtOpen);
        QFETCH(bool, walkFails);
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".mdx");
        const Entries entries = sampleEntries(400, 100, 4);
        QVERIFY(buildWith(path, entries).isOk());
        QByteArray bytes = testutil::readFile(path);
        damage(bytes);
        QVERIFY(testutil::writeFile(path, bytes));

        std::unique_ptr<MdxIndex> idx;
        const DbStatus opened = MdxIndex::open(path, idx);
        QCOMPARE(!opened.isOk(), refusedAtOpen);
        if (refusedAtOpen) {
            QCOMPARE(opened.code(), DbStatus::BadIndex);
            QVERIFY(!opened.message().isEmpty());
            return;
        }
        DbStatus st = idx->verify(0, nullptr);
        QCOMPARE(st.code(), DbStatus::BadIndex);
        walkForward(*idx, 0, &st);
        QCOMPARE(st.code(), walkFails ? DbStatus::BadIndex : DbStatus::Ok);

        // Whatever the damage, the other operations answer instead of crashing.
        MdxIndex::Cursor c;
        idx->last(0, c);
        for (int i = 0; i < 1000 && c.isValid(); ++i)
            idx->prior(c);
        idx->seek(0, entries[17].first, entries[17].second, c);
        idx->insert(0, key("NEW").constData(), 401);
        idx->remove(0, entries[3].first.constData(), entries[3].second);
        idx->close();
    }

    // A separator that lies sends a search into the wrong subtree: the search reports the
    // damage instead of landing where its key does not belong, and every search that
    // answers lands on the entry sought.
    void misleadingSeparatorStopsSearch_data()
    {
        QTest::addColumn<char>("fill");
        QTest::newRow("separator above its subtree") << char(0xFF);
        QTest::newRow("separator below its subtree") << char(0x00);
    }
    void misleadingSeparatorStopsSearch()
    {
        QFETCH(char, fill);
        const QString path = m_dir.filePath("separator.mdx");
        const Entries entries = sorted(sampleEntries(400, 100, 4));
        QVERIFY(buildWith(path, entries).isOk());
        QByteArray bytes = testutil::readFile(path);
        bytes.replace(rootOffset(bytes) + 12, 100, QByteArray(100, fill));
        QVERIFY(testutil::writeFile(path, bytes));
        std::unique_ptr<MdxIndex> idx;
        QVERIFY(MdxIndex::open(path, idx).isOk());
        int refused = 0;
        for (const Entry &e : entries) {
            MdxIndex::Cursor c;
            const DbStatus st = idx->seek(0, e.first, e.second, c);
            if (!st) {
                QCOMPARE(st.code(), DbStatus::BadIndex);
                QVERIFY(!c.isValid());
                ++refused;
                continue;
            }
            QVERIFY(c.isValid());
            QCOMPARE(c.key(), e.first);
            QCOMPARE(c.recno(), e.second);
        }
        QVERIFY(refused > 0);
    }

    // The other tags of a file with one damaged tag stay usable.
    void damageStaysInItsTag()
    {
        const QString path = m_dir.filePath("onetag.mdx");
        const Entries entries = sampleEntries(400, 100, 4);
        QVERIFY(buildWith(path, entries).isOk());
        QByteArray bytes = testutil::readFile(path);
        put32(bytes, rootOffset(bytes) + 8, 1000000);
        QVERIFY(testutil::writeFile(path, bytes));
        std::unique_ptr<MdxIndex> idx;
        QVERIFY(MdxIndex::open(path, idx).isOk());
        QCOMPARE(idx->verify(0, nullptr).code(), DbStatus::BadIndex);
        DbStatus st;
        QCOMPARE(verified(*idx, 1, st).size(), entries.size());
        QVERIFY(st.isOk());
    }

    // A full disk, played by a file-size limit: the failing change is reported, the file
    // keeps its busy mark so that the next open rebuilds it, and a failing build leaves
    // the old file as it was.
    void diskFull()
    {
        const QString path = m_dir.filePath("full.mdx");
        const std::vector<MdxTagSpec> oneTag = { { "1", "NAME", 100 } };
        QVERIFY(buildWith(path, sampleEntries(3000, 100, 2), oneTag).isOk());
        const qint64 size = QFileInfo(path).size();
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = rlim_t(size + 16 * 1024);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);

        DbStatus failed;
        {
            std::unique_ptr<MdxIndex> idx;
            QVERIFY(MdxIndex::open(path, idx).isOk());
            idx->setCacheLimit(4);
            const Entries more = sampleEntries(3000, 100, 8);
            for (const Entry &e : more) {
                failed = idx->insert(0, e.first.constData(), e.second + 5000);
                if (!failed)
                    break;
            }
            if (failed)
                failed = idx->close();
        }
        const QByteArray afterFailure = testutil::readFile(path);
        const DbStatus rebuilt = buildWith(path, sampleEntries(20000, 100, 3), oneTag);
        setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(failed.code(), DbStatus::IoError);
        QVERIFY(!failed.message().isEmpty());
        QCOMPARE(rebuilt.code(), DbStatus::IoError);
        QCOMPARE(testutil::readFile(path), afterFailure);
        std::unique_ptr<MdxIndex> idx;
        QCOMPARE(MdxIndex::open(path, idx).code(), DbStatus::BadIndex);
    }

    void missingFile()
    {
        std::unique_ptr<MdxIndex> idx;
        QCOMPARE(MdxIndex::open(m_dir.filePath("none.mdx"), idx).code(), DbStatus::NotFound);
        QVERIFY(!idx);
    }
};

QTEST_GUILESS_MAIN(TestMdxCorrupt)
#include "tst_mdxcorrupt.moc"
