#include "platform/diskpath.h"
#include "scan/folderscan.h"
#include "scan/foldertree.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cstring>

namespace
{

QStringList treePaths(const FolderTree &tree)
{
    QStringList out;
    for (const FolderNode *n : tree.nodesInOrder())
        out << folderPathOfNode(n);
    return out;
}

// A folder's listing as text, to compare listings field by field.
QStringList described(const std::vector<DiskEntry> &entries, const DbStatus &status)
{
    QStringList out { QString::number(int(status.code())) };
    for (const DiskEntry &e : entries)
        out << QStringLiteral("%1 %2 %3").arg(e.name()).arg(e.size).arg(e.lastWriteSecs);
    return out;
}

} // namespace

// The one pass of update all against the two walks it stands for: the tree's own walk and
// the listing of each folder by its path.
class TestFolderScan : public QObject
{
    Q_OBJECT
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_root;

    void file(const QString &rel, const QByteArray &bytes = "x")
    {
        QVERIFY(testutil::writeFile(m_root + QLatin1Char('/') + rel, bytes));
    }
    void mk(const QString &rel) { QVERIFY(QDir().mkpath(m_root + QLatin1Char('/') + rel)); }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path();
    }

    void sameTreeAndListingsAsTheirOwnWalks_data()
    {
        QTest::addColumn<bool>("readAhead");
        QTest::addColumn<int>("ahead");
        QTest::newRow("read when asked") << false << 0;
        QTest::newRow("read ahead, short queue") << true << 2;
        QTest::newRow("read ahead") << true << 32;
    }
    void sameTreeAndListingsAsTheirOwnWalks()
    {
        QFETCH(bool, readAhead);
        QFETCH(int, ahead);
        for (const char *f : { "b/one.txt", "A/x.jpg", "A/Sub/deep/z.txt", "A/Sub/README",
                 "c/.hidden/h.txt", "c/Descript.ion", "c/n.txt.!", "Photo/p.jpg", "PHOTO/q.jpg",
                 "x/one/1.txt", "x/One/2.txt", "root.txt" })
            file(QString::fromLatin1(f), QByteArray(int(std::strlen(f)), 'x'));
        for (int i = 0; i < 40; ++i)
            file(QStringLiteral("many/f%1/a.txt").arg(i));
        mk(QStringLiteral("empty"));
        QVERIFY(QFile::link(m_root + QStringLiteral("/A"), m_root + QStringLiteral("/linkToA")));
        QVERIFY(
            QFile::link(m_root + QStringLiteral("/A/x.jpg"), m_root + QStringLiteral("/b/l.jpg")));
        QVERIFY(QFile::link(QStringLiteral(".."), m_root + QStringLiteral("/A/Sub/up")));

        FolderTree expected;
        QVERIFY(expected.rebuild(m_root));
        FolderTree tree;
        QStringList paths;
        {
            FolderScan scan(tree, m_root + QLatin1Char('/'), readAhead, ahead);
            QVERIFY(scan.treeStatus());
            const PathResolver resolver(m_root);
            ScannedFolder f;
            while (scan.next(f)) {
                paths << f.folderPath;
                QCOMPARE(f.diskPath, resolver.resolve(f.folderPath));
                std::vector<DiskEntry> own;
                const DbStatus st = listCataloguedEntries(f.diskPath, own);
                QCOMPARE(described(f.entries, f.status), described(own, st));
            }
            QCOMPARE(scan.foldersFound(), paths.size());
        }
        QCOMPARE(paths, treePaths(expected));
        QCOMPARE(treePaths(tree), paths);
    }

    // A walk that gives up half way ends at once, with the tree of what it found.
    void abandonedScanEnds()
    {
        for (int i = 0; i < 100; ++i)
            file(QStringLiteral("f%1/a.txt").arg(i, 3, 10, QLatin1Char('0')));
        FolderTree tree;
        {
            FolderScan scan(tree, m_root, true, 2);
            ScannedFolder f;
            QVERIFY(scan.next(f));
            QCOMPARE(f.folderPath, QStringLiteral("f000\\"));
        }
        QCOMPARE(int(tree.root().children.size()), 100);
    }

    void rootFailuresAndDepth()
    {
        FolderTree tree;
        ScannedFolder f;
        {
            FolderScan missing(tree, m_root + QStringLiteral("/gone"), true);
            QCOMPARE(missing.treeStatus().code(), DbStatus::NotFound);
            QVERIFY(!missing.next(f));
        }
        QVERIFY(tree.isEmpty());
        QString deep;
        for (int i = 0; i < kMaxFolderDepth + 5; ++i)
            deep += QStringLiteral("d/");
        mk(deep);
        FolderScan scan(tree, m_root, false);
        while (scan.next(f))
            QVERIFY2(f.status, qPrintable(f.status.message())); // the deepest too is listed
        QCOMPARE(int(tree.nodesInOrder().size()), kMaxFolderDepth);
    }
};

QTEST_GUILESS_MAIN(TestFolderScan)
#include "tst_folderscan.moc"
