#include "mdxtesthelp.h"
#include "store/dbfio.h"
#include "store/mdxsort.h"
#include "support/testutil.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <numeric>

using namespace mdxtest;

namespace
{

quint32 le32(const QByteArray &b, int off)
{
    const auto *u = reinterpret_cast<const unsigned char *>(b.constData() + off);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}
int le16(const QByteArray &b, int off)
{
    return int(uchar(b[off])) | int(uchar(b[off + 1])) << 8;
}

std::unique_ptr<MdxIndex> openOk(const QString &path)
{
    std::unique_ptr<MdxIndex> idx;
    const DbStatus st = MdxIndex::open(path, idx);
    if (!st)
        qWarning() << st.message();
    return idx;
}

// Every tag walks to `expected`, forwards, backwards and through verify().
void checkAllTags(MdxIndex &idx, const Entries &unsortedAt100)
{
    for (int tag = 0; tag < idx.tagCount(); ++tag) {
        Entries expected;
        const int len = idx.tagSpec(tag).keyLength;
        for (const Entry &e : unsortedAt100)
            expected.emplace_back(key(e.first, len), e.second);
        expected = sorted(expected);
        DbStatus st;
        QCOMPARE(walkForward(idx, tag, &st), expected);
        QVERIFY2(st.isOk(), qPrintable(st.message()));
        QCOMPARE(walkBackward(idx, tag), expected);
        QCOMPARE(verified(idx, tag, st), expected);
        QVERIFY2(st.isOk(), qPrintable(st.message()));
    }
}

} // namespace

class TestMdxIndex : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString file(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void buildRoundTrip_data()
    {
        QTest::addColumn<int>("count");
        for (int n : { 0, 1, 9, 10, 81, 5000 })
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    void buildRoundTrip()
    {
        QFETCH(int, count);
        const Entries entries = sampleEntries(count, 100, unsigned(count));
        const QString path = file("round.mdx");
        QVERIFY(buildWith(path, entries).isOk());
        const QByteArray bytes = testutil::readFile(path);
        QCOMPARE(qint64(bytes.size()), qint64(le32(bytes, 32)) * 512);
        auto idx = openOk(path);
        QVERIFY(idx);
        QCOMPARE(idx->tagCount(), 4);
        checkAllTags(*idx, entries);
    }

    // The build sorts keys a few bytes at a time; keys that agree for a long stretch and
    // differ only near the end (also in the bytes after the last whole group of eight, as
    // with the 98-byte tag), bytes above 0x7F, and equal keys whose records come in no
    // particular order must all end up in (key, record) order.
    void buildOrdersKeysBytewise()
    {
        std::mt19937 rng(5);
        const QByteArray stems[] = { QByteArray(90, 'A'), QByteArray(97, 'A'), QByteArray("B"),
            QByteArray(95, '\xE4'), QByteArray(99, ' ') };
        Entries entries;
        std::vector<quint32> recnos(4000);
        std::iota(recnos.begin(), recnos.end(), 1u);
        std::shuffle(recnos.begin(), recnos.end(), rng);
        for (quint32 recno : recnos) {
            QByteArray k = stems[rng() % 5];
            const char tails[] = { ' ', 'a', '\x7F', '\x80', '\xFF' };
            while (k.size() < 100)
                k.append(tails[rng() % 5]);
            if (rng() % 4 == 0)
                k = QByteArray(100, 'C'); // many equal keys
            entries.emplace_back(k, recno);
        }
        const QString path = file("bytes.mdx");
        QVERIFY(buildWith(path, entries).isOk());
        auto idx = openOk(path);
        QVERIFY(idx);
        checkAllTags(*idx, entries);
    }

    void headerLayout()
    {
        const QString path = file("layout.mdx");
        QVERIFY(buildWith(path, sampleEntries(30, 100, 1)).isOk());
        const QByteArray b = testutil::readFile(path);
        QCOMPARE(int(b[0]), 2);
        QCOMPARE(b.mid(4, 8), QByteArray("CATALOG\0", 8));
        QCOMPARE(le16(b, 20), 2);
        QCOMPARE(le16(b, 22), 1024);
        QCOMPARE(int(b[24]), 1);
        QCOMPARE(int(b[25]), 48);
        QCOMPARE(int(b[26]), 32);
        QCOMPARE(le16(b, 28), 4);
        QCOMPARE(int(b[31]), 0);
        QCOMPARE(le32(b, 36), 0u);
        QCOMPARE(int(b[529]), 1);
        // Names "1" < "2" < "3" < "4": each hangs to the right of the one before.
        const int links[4][3] = { { 0, 2, 0 }, { 0, 3, 1 }, { 0, 4, 2 }, { 0, 0, 3 } };
        const auto defs = catalogueTags();
        for (int i = 0; i < 4; ++i) {
            const int slot = 512 + 32 * (i + 1);
            QCOMPARE(le32(b, slot), quint32(4 + 2 * i));
            QCOMPARE(b.mid(slot + 4, 11), defs[size_t(i)].name.leftJustified(11, '\0'));
            QCOMPARE(int(b[slot + 15]), 0x10);
            QCOMPARE(int(b[slot + 16]), links[i][0]);
            QCOMPARE(int(b[slot + 17]), links[i][1]);
            QCOMPARE(int(b[slot + 18]), links[i][2]);
            QCOMPARE(int(b[slot + 19]), 2);
            QCOMPARE(b[slot + 20], 'C');
            const int h = (4 + 2 * i) * 512;
            QCOMPARE(int(b[h + 8]), 0x10);
            QCOMPARE(le16(b, h + 12), defs[size_t(i)].keyLength);
            QCOMPARE(le16(b, h + 14), 9);
            QCOMPARE(le16(b, h + 18), 104);
            QCOMPARE(b.mid(h + 24, defs[size_t(i)].expression.size() + 1),
                defs[size_t(i)].expression + '\0');
            QCOMPARE(int(b[h + 246]), 1);
        }
    }

    // Interior nodes stay at kmax - 1 keys: some readers take a full one for a leaf.
    // Leaves stay well filled: sorted input fills them, and inserts in the middle hand
    // entries to the next leaf before splitting.
    void interiorFillLimit_data()
    {
        QTest::addColumn<bool>("incremental");
        QTest::addColumn<bool>("shuffled");
        QTest::addColumn<double>("mostLeavesPerFull");
        QTest::newRow("bulk") << false << false << 1.01;
        QTest::newRow("ascending inserts") << true << false << 1.01;
        QTest::newRow("random inserts") << true << true << 1.35;
    }
    void interiorFillLimit()
    {
        QFETCH(bool, incremental);
        QFETCH(bool, shuffled);
        QFETCH(double, mostLeavesPerFull);
        const QString path = file("fill.mdx");
        Entries entries;
        for (int i = 0; i < 3000; ++i)
            entries.emplace_back(key("K" + QByteArray::number(100000 + i)), quint32(i + 1));
        if (shuffled)
            std::shuffle(entries.begin(), entries.end(), std::mt19937(3));
        QVERIFY(buildWith(path, incremental ? Entries {} : entries).isOk());
        if (incremental) {
            auto idx = openOk(path);
            for (const Entry &e : entries)
                QVERIFY(idx->insert(0, e.first.constData(), e.second).isOk());
            QVERIFY(idx->close().isOk());
        }
        const QByteArray b = testutil::readFile(path);
        int leaves = 0;
        for (int page = 12; page + 2 <= b.size() / 512; page += 2) {
            const int off = page * 512;
            const quint32 n = le32(b, off);
            if (n == 0 && le32(b, off + 8) == 0)
                continue; // an empty tag or a freed block
            const bool leaf = le32(b, off + 8 + int(n) * 104) == 0;
            QVERIFY2(leaf ? n <= 9 : n <= 8,
                qPrintable(QStringLiteral("page %1 n %2").arg(page).arg(n)));
            leaves += leaf && n > 0 ? 1 : 0;
        }
        const int tagsFilled = incremental ? 1 : 4;
        const double full = tagsFilled * (3000 / 9 + 1);
        QVERIFY2(leaves <= full * mostLeavesPerFull, qPrintable(QString::number(leaves)));
    }

    void incrementalInserts_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<int>("cacheBlocks");
        for (const char *o :
            { "ascending", "descending", "random", "equal keys", "equal keys shuffled" }) {
            QTest::newRow(o) << QString::fromLatin1(o) << 8192;
            QTest::newRow(qPrintable(QStringLiteral("%1, 4-block cache").arg(QLatin1String(o))))
                << QString::fromLatin1(o) << 4;
        }
    }
    void incrementalInserts()
    {
        QFETCH(QString, order);
        QFETCH(int, cacheBlocks);
        const int count = 2500;
        Entries entries;
        std::mt19937 rng(7);
        for (int i = 0; i < count; ++i) {
            const QByteArray k = order.startsWith(QLatin1String("equal"))
                ? QByteArray("SAME")
                : "K" + QByteArray::number(100000 + i);
            entries.emplace_back(key(k), quint32(i + 1));
        }
        if (order == QLatin1String("descending"))
            std::reverse(entries.begin(), entries.end());
        if (order == QLatin1String("random") || order.endsWith(QLatin1String("shuffled")))
            std::shuffle(entries.begin(), entries.end(), rng);
        const QString path = file("inc.mdx");
        QVERIFY(buildWith(path, {}).isOk());
        {
            auto idx = openOk(path);
            QVERIFY(idx);
            idx->setCacheLimit(cacheBlocks);
            for (const Entry &e : entries)
                for (int tag = 0; tag < 4; ++tag)
                    QVERIFY(idx->insert(tag, key(e.first, idx->tagSpec(tag).keyLength).constData(),
                                   e.second)
                                .isOk());
            checkAllTags(*idx, entries);
            QVERIFY(idx->close().isOk());
        }
        const QByteArray bytes = testutil::readFile(path);
        QCOMPARE(qint64(bytes.size()), qint64(le32(bytes, 32)) * 512);
        QCOMPARE(int(bytes[47]), 0);
        auto again = openOk(path);
        QVERIFY(again);
        checkAllTags(*again, entries);
    }

    // A cache big enough to read windows but far smaller than the index: blocks pushed out
    // dirty are written together with their dirty neighbours, also in the middle of a
    // window read that walks between the inserts start. Every entry must survive that.
    void dirtyEvictionsDuringWindowReads()
    {
        const QString path = file("evict.mdx");
        QVERIFY(buildWith(path, {}).isOk());
        Entries entries;
        std::mt19937 rng(11);
        {
            auto idx = openOk(path);
            QVERIFY(idx);
            idx->setCacheLimit(64);
            for (int i = 0; i < 3000; ++i) {
                const QByteArray k = "D" + QByteArray::number(i / 100) + "\\F"
                    + QByteArray::number(int(rng() % 100000));
                entries.emplace_back(key(k), quint32(i + 1));
                for (int tag = 0; tag < 4; ++tag)
                    QVERIFY(idx->insert(tag, key(k, idx->tagSpec(tag).keyLength).constData(),
                                   quint32(i + 1))
                                .isOk());
                if (i % 97 == 0) {
                    MdxIndex::Cursor c;
                    QVERIFY(idx->seek(int(rng() % 4),
                                   key("D" + QByteArray::number(int(rng() % (i / 100 + 1)))), 0, c)
                                .isOk());
                    for (int step = 0; step < 40 && c.isValid(); ++step)
                        QVERIFY(idx->next(c).isOk());
                }
            }
            checkAllTags(*idx, entries);
            QVERIFY(idx->close().isOk());
        }
        auto again = openOk(path);
        QVERIFY(again);
        checkAllTags(*again, entries);
    }

    void removals_data()
    {
        QTest::addColumn<int>("cacheBlocks");
        QTest::newRow("default cache") << 8192;
        QTest::newRow("4-block cache") << 4;
    }
    void removals()
    {
        QFETCH(int, cacheBlocks);
        Entries entries = sampleEntries(2000, 100, 3);
        const QString path = file("rm.mdx");
        QVERIFY(buildWith(path, entries).isOk());
        auto idx = openOk(path);
        idx->setCacheLimit(cacheBlocks);
        std::mt19937 rng(11);
        std::shuffle(entries.begin(), entries.end(), rng);
        const Entries gone(entries.begin(), entries.begin() + 1500);
        entries.erase(entries.begin(), entries.begin() + 1500);
        for (const Entry &e : gone)
            for (int tag = 0; tag < 4; ++tag)
                QVERIFY(idx->remove(
                               tag, key(e.first, idx->tagSpec(tag).keyLength).constData(), e.second)
                            .isOk());
        checkAllTags(*idx, entries);
        // Removing what is not there is a fault of the caller's bookkeeping, reported.
        QCOMPARE(idx->remove(0, gone.front().first.constData(), gone.front().second).code(),
            DbStatus::Corrupt);
        for (const Entry &e : entries)
            for (int tag = 0; tag < 4; ++tag)
                QVERIFY(idx->remove(
                               tag, key(e.first, idx->tagSpec(tag).keyLength).constData(), e.second)
                            .isOk());
        checkAllTags(*idx, {});
        for (const Entry &e : gone)
            for (int tag = 0; tag < 4; ++tag)
                QVERIFY(idx->insert(
                               tag, key(e.first, idx->tagSpec(tag).keyLength).constData(), e.second)
                            .isOk());
        QVERIFY(idx->close().isOk());
        auto again = openOk(path);
        checkAllTags(*again, gone);
    }

    // An edit removes an entry among many equal keys and puts it back with its record number.
    void editAmongEqualKeys()
    {
        Entries entries;
        for (int i = 1; i <= 600; ++i)
            entries.emplace_back(key(i % 3 ? "DIR\\ BLANK" : "DIR\\ OTHER"), quint32(i));
        const QString path = file("edit.mdx");
        QVERIFY(buildWith(path, entries).isOk());
        auto idx = openOk(path);
        for (quint32 r : { 1u, 300u, 301u, 599u, 600u, 450u }) {
            const QByteArray k = key(r % 3 ? "DIR\\ BLANK" : "DIR\\ OTHER");
            QVERIFY(idx->remove(0, k.constData(), r).isOk());
            QVERIFY(idx->insert(0, k.constData(), r).isOk());
        }
        DbStatus st;
        QCOMPARE(verified(*idx, 0, st), sorted(entries));
        QVERIFY(st.isOk());
    }

    void seekAndRanges_data()
    {
        QTest::addColumn<QByteArray>("seekKey");
        QTest::addColumn<quint32>("recno");
        QTest::addColumn<QByteArray>("expectedKey");
        QTest::addColumn<quint32>("expectedRecno");
        QTest::newRow("short key padded") << QByteArray("B\\") << 0u << QByteArray("B\\") << 4u;
        QTest::newRow("between keys") << QByteArray("B\\A") << 0u << QByteArray("B\\B") << 5u;
        QTest::newRow("recno among equal keys")
            << QByteArray("C\\X") << 8u << QByteArray("C\\X") << 9u;
        QTest::newRow("exact entry") << QByteArray("C\\X") << 7u << QByteArray("C\\X") << 7u;
        QTest::newRow("before everything") << QByteArray("") << 0u << QByteArray("A\\") << 1u;
        QTest::newRow("past the end") << QByteArray("Z") << 0u << QByteArray() << 0u;
        QTest::newRow("key longer than the tag is cut")
            << QByteArray("C\\X").leftJustified(110, ' ') + "ZZ" << 0u << QByteArray("C\\X") << 6u;
    }
    void seekAndRanges()
    {
        QFETCH(QByteArray, seekKey);
        QFETCH(quint32, recno);
        QFETCH(QByteArray, expectedKey);
        QFETCH(quint32, expectedRecno);
        const Entries entries = { { key("A\\"), 1 }, { key("A\\X"), 2 }, { key("A\\Y"), 3 },
            { key("B\\"), 4 }, { key("B\\B"), 5 }, { key("C\\X"), 6 }, { key("C\\X"), 7 },
            { key("C\\X"), 9 }, { key("C\\X"), 12 }, { key("C\\Y"), 10 }, { key("D\\"), 11 } };
        const QString path = file("seek.mdx");
        QVERIFY(buildWith(path, entries).isOk());
        auto idx = openOk(path);
        MdxIndex::Cursor c;
        QVERIFY(idx->seek(0, seekKey, recno, c).isOk());
        QCOMPARE(c.isValid(), !expectedKey.isEmpty());
        if (c.isValid()) {
            QCOMPARE(c.key(), key(expectedKey));
            QCOMPARE(c.recno(), expectedRecno);
        }
    }

    // A folder range of 100 entries costs the same in a large index as in a small one:
    // the walk reads a handful of pages, not the tree.
    void folderRangeInLargeIndex()
    {
        Entries entries;
        for (int i = 0; i < 20000; ++i)
            entries.emplace_back(key("DIR" + QByteArray::number(i / 100 + 1000) + "\\"
                                     + QByteArray::number(i % 100)),
                quint32(i + 1));
        const QString path = file("range.mdx");
        QVERIFY(buildWith(path, entries, { { "1", "DIR", 100 } }).isOk());
        auto idx = openOk(path);
        const QByteArray folder = "DIR1077\\";
        MdxIndex::Cursor c;
        QVERIFY(idx->seek(0, folder, 0, c).isOk());
        int n = 0;
        while (c.isValid() && c.key().startsWith(folder)) {
            ++n;
            QVERIFY(idx->next(c).isOk());
        }
        QCOMPARE(n, 100);
    }

    // A cursor kept across changes finds its place again by (key, recno).
    void cursorAcrossChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("own entry removed, next") << "remove own" << true << QByteArray("K051");
        QTest::newRow("own entry removed, prior") << "remove own" << false << QByteArray("K049");
        QTest::newRow("neighbour inserted, next") << "insert after" << true << QByteArray("K050A");
        QTest::newRow("many inserts with splits, next")
            << "insert many" << true << QByteArray("K051");
        QTest::newRow("many inserts with splits, prior")
            << "insert many" << false << QByteArray("K049");
    }
    void cursorAcrossChanges()
    {
        QFETCH(QString, change);
        QFETCH(bool, forward);
        QFETCH(QByteArray, expected);
        Entries entries;
        for (int i = 0; i < 100; ++i)
            entries.emplace_back(
                key("K" + QByteArray::number(i).rightJustified(3, '0')), quint32(i + 1));
        const QString path = file("stale.mdx");
        QVERIFY(buildWith(path, entries, { { "1", "NAME", 100 } }).isOk());
        auto idx = openOk(path);
        MdxIndex::Cursor c;
        QVERIFY(idx->seek(0, "K050", 0, c).isOk());
        QCOMPARE(c.recno(), 51u);
        if (change == QLatin1String("remove own"))
            QVERIFY(idx->remove(0, key("K050").constData(), 51).isOk());
        else if (change == QLatin1String("insert after"))
            QVERIFY(idx->insert(0, key("K050A").constData(), 500).isOk());
        for (int i = 0; change == QLatin1String("insert many") && i < 600; ++i)
            QVERIFY(idx->insert(0, key(i % 2 ? "A" : "Z").constData(), quint32(1000 + i)).isOk());
        QVERIFY((forward ? idx->next(c) : idx->prior(c)).isOk());
        QVERIFY(c.isValid());
        QCOMPARE(c.key(), key(expected));
    }

    // Keys beyond the sorter's memory go through sorted runs in a scratch file, written on
    // a thread of their own: the index is the one built in memory, byte for byte, and the
    // scratch file goes with the build. A scratch file that cannot be written fails the
    // build and leaves the old index.
    void buildThroughRuns_data()
    {
        QTest::addColumn<qint64>("budget");
        QTest::addColumn<int>("lead"); // the keys' shared beginning: the folder, or none
        QTest::addColumn<bool>("scratchFails");
        QTest::newRow("in memory, by folder") << qint64(32 << 20) << 80 << false;
        QTest::newRow("a few runs") << qint64(1 << 20) << 0 << false;
        QTest::newRow("a few runs, by folder") << qint64(1 << 20) << 80 << false;
        QTest::newRow("many runs") << qint64(64 << 10) << 0 << false;
        QTest::newRow("many runs, by folder") << qint64(64 << 10) << 80 << false;
        QTest::newRow("scratch file cannot be written") << qint64(64 << 10) << 80 << true;
    }
    void buildThroughRuns()
    {
        QFETCH(qint64, budget);
        QFETCH(int, lead);
        QFETCH(bool, scratchFails);
        const Entries entries = sampleEntries(5000, 100, 11);
        const QString inMemory = file("memory.mdx"), inRuns = file("runs.mdx");
        const QString scratch = inRuns + QStringLiteral(".sort");
        QVERIFY(buildWith(inMemory, entries).isOk());
        QVERIFY(buildWith(inRuns, {}).isOk());
        const QByteArray before = testutil::readFile(inRuns);
        std::vector<int> lengths;
        for (const MdxTagSpec &t : catalogueTags())
            lengths.push_back(t.keyLength);
        if (scratchFails)
            dbfio::setFaultHook(
                [&](const QString &path, qint64, qint64) { return path != scratch; });
        // A link that holds the scratch name of a build with runs never leads them elsewhere.
        const QString outside = file("outside");
        QVERIFY(testutil::writeFile(outside, "outside"));
        const bool spills = budget <= (64 << 10);
        QVERIFY(!spills || QFile::link(outside, scratch));
        DbStatus st;
        {
            MdxKeySorter keys(lengths, scratch, lead, budget);
            for (size_t i = 0; i < entries.size() && st; ++i) {
                QByteArray all;
                for (int length : lengths)
                    all += key(entries[i].first, length);
                st = keys.addRecord(all.constData(), entries[i].second);
            }
            if (st)
                st = MdxIndex::build(inRuns, "CATALOG", catalogueTags(), keys);
        }
        dbfio::setFaultHook(nullptr);
        QVERIFY(!QFile::exists(scratch));
        QCOMPARE(testutil::readFile(outside), QByteArray("outside"));
        if (scratchFails) {
            QCOMPARE(st.code(), DbStatus::IoError);
            QCOMPARE(testutil::readFile(inRuns), before);
            return;
        }
        QVERIFY2(st.isOk(), qPrintable(st.message()));
        QVERIFY(testutil::readFile(inRuns) == testutil::readFile(inMemory));
    }

    void buildRefusals_data()
    {
        QTest::addColumn<int>("keyLength");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("key of 101") << 101 << QByteArray("1");
        QTest::newRow("key of 0") << 0 << QByteArray("1");
        QTest::newRow("name of 11") << 10 << QByteArray("ABCDEFGHIJK");
    }
    void buildRefusals()
    {
        QFETCH(int, keyLength);
        QFETCH(QByteArray, name);
        const QString path = file("refused.mdx");
        QFile::remove(path);
        const DbStatus st = MdxIndex::build(path, "T", { { name, "X", keyLength } },
            [](int, MdxKeyList &) { return DbStatus::ok(); });
        QCOMPARE(st.code(), DbStatus::InvalidArgument);
        QVERIFY(!QFile::exists(path));
    }

    // A build that fails half way, while earlier tags are still being sorted, leaves the
    // previous index untouched: a failing key source, or keys that do not fit their tag.
    void failedBuildKeepsOldFile_data()
    {
        QTest::addColumn<bool>("badKeys");
        QTest::newRow("key source fails") << false;
        QTest::newRow("keys of the wrong length") << true;
    }
    void failedBuildKeepsOldFile()
    {
        QFETCH(bool, badKeys);
        const QString path = file("keep.mdx");
        QVERIFY(buildWith(path, sampleEntries(50, 100, 5)).isOk());
        const QByteArray before = testutil::readFile(path);
        const DbStatus st
            = MdxIndex::build(path, "T", catalogueTags(), [&](int tag, MdxKeyList &list) {
                  if (tag == 2 && !badKeys)
                      return DbStatus(DbStatus::IoError, QStringLiteral("table read failed"));
                  for (quint32 r = 1; r <= 5000; ++r)
                      list.add(
                          key(QByteArray::number(r * 7919 % 5000), list.keyLength).constData(), r);
                  if (tag == 2)
                      list.keys.chop(1);
                  return DbStatus::ok();
              });
        QCOMPARE(st.code(), badKeys ? DbStatus::InvalidArgument : DbStatus::IoError);
        QCOMPARE(testutil::readFile(path), before);
    }

    // Changes that never reached a flush leave the file marked, so it is rebuilt rather
    // than trusted.
    void unflushedChangeIsRefused()
    {
        const QString path = file("busy.mdx");
        QVERIFY(buildWith(path, sampleEntries(100, 100, 9)).isOk());
        auto idx = openOk(path);
        QVERIFY(idx->insert(0, key("NEW").constData(), 999).isOk());
        QVERIFY(QFile::copy(path, file("crashed.mdx")));
        std::unique_ptr<MdxIndex> crashed;
        QCOMPARE(MdxIndex::open(file("crashed.mdx"), crashed).code(), DbStatus::BadIndex);
        QVERIFY(idx->flush().isOk());
        QVERIFY(openOk(path));
        idx.reset(); // the destructor writes back as well
        auto again = openOk(path);
        MdxIndex::Cursor c;
        QVERIFY(again->seek(0, "NEW", 0, c).isOk());
        QCOMPARE(c.recno(), 999u);
    }

    void tagLookup()
    {
        const QString path = file("tags.mdx");
        QVERIFY(buildWith(path, {}, { { "byname", "NAME", 10 }, { "2", "DIR", 80 } }).isOk());
        auto idx = openOk(path);
        QCOMPARE(idx->findTag("BYNAME"), 0);
        QCOMPARE(idx->findTag("ByName"), 0);
        QCOMPARE(idx->findTag("2"), 1);
        QCOMPARE(idx->findTag("3"), -1);
        QCOMPARE(idx->tagSpec(1).expression, QByteArray("DIR"));
        QCOMPARE(idx->tagSpec(1).keyLength, 80);
        MdxIndex::Cursor c;
        QCOMPARE(idx->first(5, c).code(), DbStatus::InvalidArgument);
        QVERIFY(idx->first(0, c).isOk());
        QVERIFY(!c.isValid());
    }
};

QTEST_GUILESS_MAIN(TestMdxIndex)
#include "tst_mdxindex.moc"
