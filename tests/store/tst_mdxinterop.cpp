#include "mdxtesthelp.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace mdxtest;

// Our index files read back by an independent reader: Debian's DBD-XBase `index_dump`
// prints each entry of a tag as the key bytes, a blank and the record number, in the
// order of its own walk through the tree.
namespace
{

Entries awkwardEntries()
{
    Entries out;
    std::mt19937 rng(5);
    const QByteArray accents[] = { "\xC9T\xC9", "ETE",
        "\xFF"
        "FIN",
        "\x80URO", "A\xE0", "ZZ", "", " " };
    for (int i = 0; i < 400; ++i) {
        const QByteArray dir
            = i % 5 == 0 ? QByteArray() : "D" + QByteArray::number(int(rng() % 4)) + "\\";
        QByteArray name = accents[rng() % 8];
        if (i % 3 != 0)
            name += QByteArray::number(int(rng() % 20));
        out.emplace_back(key(dir.leftJustified(80, ' ') + name), quint32(i + 1));
    }
    return out;
}

Entries dumped(const QString &path, const QByteArray &tag, QString &error)
{
    QProcess p;
    p.start(QStringLiteral("index_dump"), { path, QString::fromLatin1(tag) });
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        error = QString::fromLocal8Bit(p.readAllStandardError());
        return {};
    }
    Entries out;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        if (line.isEmpty())
            continue;
        const int blank = line.lastIndexOf(' ');
        out.emplace_back(line.left(blank), line.mid(blank + 1).toUInt());
    }
    return out;
}

} // namespace

class TestMdxInterop : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    void compareWithReader(MdxIndex &idx, const QString &path)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("index_dump")).isEmpty())
            QSKIP("index_dump (Debian package libdbd-xbase-perl) is not installed");
        for (int tag = 0; tag < idx.tagCount(); ++tag) {
            DbStatus st;
            const Entries ours = verified(idx, tag, st);
            QVERIFY2(st.isOk(), qPrintable(st.message()));
            QString error;
            const Entries theirs = dumped(path, idx.tagSpec(tag).name, error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(theirs.size(), ours.size());
            QCOMPARE(theirs, ours);
        }
    }

private slots:
    void bulkBuild()
    {
        const QString path = m_dir.filePath("bulk.mdx");
        QVERIFY(buildWith(path, awkwardEntries()).isOk());
        std::unique_ptr<MdxIndex> idx;
        QVERIFY(MdxIndex::open(path, idx).isOk());
        compareWithReader(*idx, path);
    }

    void incrementalWithSplitsAndRemovals_data()
    {
        QTest::addColumn<bool>("shuffle");
        QTest::addColumn<int>("removeEvery");
        QTest::newRow("in table order") << false << 0;
        QTest::newRow("shuffled") << true << 0;
        QTest::newRow("shuffled, then every third removed") << true << 3;
    }
    void incrementalWithSplitsAndRemovals()
    {
        QFETCH(bool, shuffle);
        QFETCH(int, removeEvery);
        Entries entries = awkwardEntries();
        if (shuffle)
            std::shuffle(entries.begin(), entries.end(), std::mt19937(9));
        const QString path
            = m_dir.filePath(QStringLiteral("inc%1%2.mdx").arg(shuffle).arg(removeEvery));
        QVERIFY(buildWith(path, {}).isOk());
        std::unique_ptr<MdxIndex> idx;
        QVERIFY(MdxIndex::open(path, idx).isOk());
        idx->setCacheLimit(6);
        for (const Entry &e : entries)
            for (int tag = 0; tag < 4; ++tag)
                QVERIFY(idx->insert(
                               tag, key(e.first, idx->tagSpec(tag).keyLength).constData(), e.second)
                            .isOk());
        for (size_t i = 0; removeEvery && i < entries.size(); i += size_t(removeEvery))
            for (int tag = 0; tag < 4; ++tag)
                QVERIFY(
                    idx->remove(tag, key(entries[i].first, idx->tagSpec(tag).keyLength).constData(),
                           entries[i].second)
                        .isOk());
        QVERIFY(idx->flush().isOk());
        compareWithReader(*idx, path);
    }
};

QTEST_GUILESS_MAIN(TestMdxInterop)
#include "tst_mdxinterop.moc"
