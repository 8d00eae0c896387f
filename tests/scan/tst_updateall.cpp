#include "platform/diskpath.h"
#include "scan/foldernotes.h"
#include "scan/foldertree.h"
#include "scan/updateall.h"
#include "support/scriptedprogress.h"
#include "support/testutil.h"

#include <QDir>
#include <QtTest>

#include <sys/stat.h>

namespace
{

// Every record of the table, in physical order.
QStringList dump(CatalogTable &t)
{
    QStringList out;
    t.setPhysicalOrder();
    for (DbStatus st = t.table().first(); st && !t.table().eof(); st = t.table().next())
        out << QString::fromLatin1(t.table().recordBytes());
    t.restoreOrder();
    return out;
}

// NAME=NOTE of one folder's records.
QStringList records(CatalogTable &t, const QString &dir)
{
    QStringList out;
    const QString before = t.currentFolder();
    if (t.setFolderRange(dir))
        for (DbStatus st = t.table().first(); st && !t.table().eof(); st = t.table().next())
            out << t.text(CatalogTable::NAME) + QLatin1Char('=') + t.text(CatalogTable::NOTE);
    t.setFolderRange(before);
    return out;
}

} // namespace

// Update all without any view: the whole catalogue against the disk, in one call.
class TestUpdateAll : public QObject
{
    Q_OBJECT
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_root;
    QScopedPointer<CatalogTable> m_table;

    void file(const QString &rel, const QByteArray &bytes = "x")
    {
        QVERIFY(testutil::writeFile(m_root + rel, bytes));
    }
    UpdateAllReport run(
        bool descriptions, Progress *progress = nullptr, FolderTree *shown = nullptr)
    {
        FolderTree tree;
        return updateAll(
            *m_table, shown ? *shown : tree, { m_root, descriptions, false }, progress);
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path() + QLatin1Char('/');
        m_table.reset(new CatalogTable);
        QVERIFY(m_table->open(m_root, QStringLiteral("Core")));
    }

    // The same catalogue as merging every folder of the tree in turn and sweeping the
    // rest, from an empty catalogue and again after the disk changed.
    void sameAsEveryFolderInTurn_data()
    {
        QTest::addColumn<bool>("descriptions");
        QTest::newRow("plain") << false;
        QTest::newRow("Descript.ion") << true;
    }
    void sameAsEveryFolderInTurn()
    {
        QFETCH(bool, descriptions);
        for (const char *f :
            { "A/a.txt", "A/Deep/d.txt", "B/b.txt", "Gone/g.txt", ".Hidden/h.txt" })
            file(QString::fromLatin1(f));
        // Rewritten from the records by the first round: the line of the file still to
        // come is gone by the time the file is there.
        file(QStringLiteral("B/Descript.ion"), "b.txt beta\r\nnew.txt fresh\r\n");
        CatalogTable each;
        QVERIFY(each.open(m_root, QStringLiteral("Each")));
        for (CatalogTable *t : { m_table.data(), &each }) {
            QVERIFY(t->table().append()); // a record of a folder the tree does not show
            t->setText(CatalogTable::DIR, QStringLiteral(".HIDDEN\\"));
            t->setText(CatalogTable::NAME, QStringLiteral("h.txt"));
            QVERIFY(t->table().post());
        }
        const auto everyFolder = [&] {
            FolderTree tree;
            QVERIFY(tree.rebuild(m_root));
            const PathResolver resolver(m_root);
            for (const FolderNode *node : tree.nodesInOrder()) {
                const QString folder = folderPathOfNode(node);
                QVERIFY(updateFolder(each, resolver, folder, descriptions));
                if (descriptions)
                    QVERIFY(writeFolderDescriptions(each, resolver, folder));
            }
            QVERIFY(sweepOrphans(each, resolver));
        };
        for (int round = 0; round < 2; ++round) {
            const UpdateAllReport report = run(descriptions);
            QVERIFY2(report.failures.isEmpty(), qPrintable(report.failures.message()));
            everyFolder();
            QCOMPARE(dump(*m_table), dump(each));
            QCOMPARE(m_table->deletedCount, each.deletedCount);
            QCOMPARE(report.foldersUpdated, 4);
            // The table is left on the tree's first folder, with the views attached.
            QCOMPARE(m_table->currentFolder(), QStringLiteral("A\\"));
            QCOMPARE(m_table->text(CatalogTable::NAME), QStringLiteral("a.txt"));
            QVERIFY(!m_table->isDetached());
            if (round == 0) {
                QVERIFY(QDir(m_root).rename(QStringLiteral("Gone"), QStringLiteral("Renamed")));
                file(QStringLiteral("B/new.txt"));
                file(QStringLiteral("A/Deep/d.txt"), "longer");
            }
        }
        QCOMPARE(records(*m_table, QStringLiteral("B\\")),
            descriptions ? QStringList({ "b.txt=beta", "new.txt=" })
                         : QStringList({ "b.txt=", "new.txt=" }));
    }

    // Stopped between two folders: the folders before the stop are merged, the others and
    // the orphan sweep are not, the tree is whole and the first folder shown; the next
    // update all does the rest.
    void cancelBetweenFoldersThenComplete_data()
    {
        QTest::addColumn<bool>("descriptions");
        QTest::addColumn<int>("stopFrom"); // folders done when the stop is asked for
        QTest::newRow("before the first") << false << 0;
        QTest::newRow("after two") << false << 2;
        QTest::newRow("after two, Descript.ion") << true << 2;
        QTest::newRow("before the last") << false << 4;
    }
    void cancelBetweenFoldersThenComplete()
    {
        QFETCH(bool, descriptions);
        QFETCH(int, stopFrom);
        // In tree order: A, A\Deep, B, C, D.
        for (const char *f : { "A/a.txt", "A/Deep/d.txt", "B/b.txt", "C/c.txt", "D/d.txt" })
            file(QString::fromLatin1(f));
        QVERIFY(m_table->table().append()); // the record of a file that has gone
        m_table->setText(CatalogTable::DIR, QStringLiteral("B\\"));
        m_table->setText(CatalogTable::NAME, QStringLiteral("gone.txt"));
        QVERIFY(m_table->table().post());
        ScriptedProgress progress(stopFrom);
        FolderTree tree;
        UpdateAllReport report = run(descriptions, &progress, &tree);
        QVERIFY(report.cancelled);
        QVERIFY(report.failures.isEmpty());
        QVERIFY(progress.orderly());
        QCOMPARE(report.foldersDone, stopFrom);
        QCOMPARE(report.foldersUpdated, stopFrom);
        QVERIFY(report.foldersFound >= stopFrom);
        QCOMPARE(int(tree.nodesInOrder().size()), 5);
        const QStringList folders { "A\\", "A\\DEEP\\", "B\\", "C\\", "D\\" };
        const QStringList merged { "a.txt=", "d.txt=", "b.txt=", "c.txt=", "d.txt=" };
        for (int i = 0; i < folders.size(); ++i) {
            const QStringList untouched
                = folders[i] == QLatin1String("B\\") ? QStringList { "gone.txt=" } : QStringList();
            QCOMPARE(records(*m_table, folders[i]),
                i < stopFrom ? QStringList { merged[i] } : untouched);
        }
        QCOMPARE(m_table->deletedCount, stopFrom > 2 ? 1 : 0); // no sweep of the rest
        QCOMPARE(m_table->currentFolder(), QStringLiteral("A\\"));
        QVERIFY(!m_table->isDetached());

        report = run(descriptions);
        QVERIFY(!report.cancelled);
        QCOMPARE(report.foldersDone, 5);
        QCOMPARE(report.foldersFound, 5);
        for (const QString &dir : folders)
            QCOMPARE(records(*m_table, dir).size(), 1);
        QCOMPARE(records(*m_table, QStringLiteral("B\\")), QStringList { "b.txt=" });
        QCOMPARE(m_table->deletedCount, 1);
    }

    // A folder that fails is reported and the walk goes on: the first failure is told,
    // with the number of the others. A folder too deep for DIR is no failure but skipped.
    void failuresAreCollected()
    {
        file(QStringLiteral("A/a.txt"));
        file(QStringLiteral("B/b.txt"));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("B/Descript.ion")));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("D/Descript.ion")));
        file(QString(40, QLatin1Char('x')) + QLatin1Char('/') + QString(45, QLatin1Char('y'))
            + QStringLiteral("/far.txt"));
        file(QStringLiteral("C/c.txt"));
        const UpdateAllReport report = run(true);
        QCOMPARE(report.failures.count(), 2);
        QVERIFY(report.failures.first().message().contains(QLatin1String("Descript.ion")));
        QVERIFY(report.failures.message().endsWith(
            QLatin1String("\r1 more folders could not be updated.")));
        // A, B\Descript.ion\, C, D\Descript.ion\ and the 40 x's
        QCOMPARE(report.foldersUpdated, 5);
        QCOMPARE(report.folders.skipped.count(), 1);
        QCOMPARE(report.folders.skipped.kept()[0].reason, SkipReason::PathTooLong);
        QCOMPARE(records(*m_table, QStringLiteral("C\\")), QStringList { "c.txt=" });
    }

    // Every file and folder of the tree that the catalogue cannot hold is collected with
    // its reason; what is left out by rule is not, nor what lies below a skipped folder.
    void skippedEntriesAreCollected_data()
    {
        QTest::addColumn<bool>("descriptions");
        QTest::newRow("read ahead") << false;
        QTest::newRow("Descript.ion, each folder in turn") << true;
    }
    void skippedEntriesAreCollected()
    {
        QFETCH(bool, descriptions);
        for (const QString &f : { QStringLiteral("A/a.txt"), QStringLiteral("A/bad\nname.txt"),
                 QStringLiteral("A/\u0394.txt"), QStringLiteral("A/Sub\\x/in\n.txt"),
                 QStringLiteral("A/.hidden\n.txt"), QStringLiteral("A/READ\tME"),
                 QStringLiteral("A/.git/x\n.txt"), QStringLiteral("\u0394root/in.txt"),
                 QStringLiteral("top\n.txt"), QStringLiteral("Deep/Below/l\n.txt") })
            file(f);
        QCOMPARE(
            ::mkfifo(QFile::encodeName(m_root + QStringLiteral("A/p.fifo")).constData(), 0644), 0);
        QVERIFY(QFile::link(m_root + QStringLiteral("A"), m_root + QStringLiteral("A/up.lnk")));
        QString deep = QString(60, QLatin1Char('d'));
        file(deep + QStringLiteral("/") + QString(30, QLatin1Char('e'))
            + QStringLiteral("/f/g.txt"));
        const UpdateAllReport report = run(descriptions);
        QVERIFY2(report.failures.isEmpty(), qPrintable(report.failures.message()));
        QStringList found;
        for (const SkippedEntry &e : report.folders.skipped.kept())
            found << (e.folder + QLatin1Char('/') + QString::fromUtf8(e.rawName)).mid(m_root.size())
                    + (e.isFolder ? QStringLiteral("/ ") : QStringLiteral(" "))
                    + QString::number(int(e.reason));
        found.sort();
        const auto line = [](const QString &path, SkipReason r) {
            return path + QLatin1Char(' ') + QString::number(int(r));
        };
        QCOMPARE(found,
            (QStringList { line("A/Sub\\x/", SkipReason::Backslash),
                line("A/bad\nname.txt", SkipReason::ControlCharacter),
                line("A/p.fifo", SkipReason::SpecialFile),
                line(QStringLiteral("A/\u0394.txt"), SkipReason::OutsideCodePage),
                line("Deep/Below/l\n.txt", SkipReason::ControlCharacter),
                line(deep + "/" + QString(30, QLatin1Char('e')) + "/", SkipReason::PathTooLong),
                line(QStringLiteral("\u0394root/"), SkipReason::OutsideCodePage) }));
        QCOMPARE(report.folders.skipped.count(), 7);
        QCOMPARE(records(*m_table, QStringLiteral("A\\")), QStringList { "a.txt=" });
    }

    // Names that differ only in case, files and folders alike: one is catalogued, the
    // others are reported with the name kept (a folder with nothing below it); no record
    // takes another file's date, and a second run keeps and reports the same.
    void caseTwinsAcrossTheTree_data()
    {
        QTest::addColumn<bool>("descriptions");
        QTest::newRow("read ahead") << false;
        QTest::newRow("Descript.ion, each folder in turn") << true;
    }
    void caseTwinsAcrossTheTree()
    {
        QFETCH(bool, descriptions);
        file(QStringLiteral("D/Index.html"), "a");
        file(QStringLiteral("D/index.html"), "bb");
        for (const char *f :
            { "D/Sub/a.txt", "D/SUB/b.txt", "D/sub/c.txt", "E/alpha/y.txt", "E/Alpha/x.txt" })
            file(QString::fromLatin1(f));
        for (int round = 0; round < 2; ++round) {
            const UpdateAllReport report = run(descriptions);
            QVERIFY2(report.failures.isEmpty(), qPrintable(report.failures.message()));
            QStringList found;
            for (const SkippedEntry &e : report.folders.skipped.kept()) {
                QCOMPARE(e.reason, SkipReason::CaseTwin);
                found << QString(e.message()).replace(m_root, QStringLiteral("~/"));
            }
            found.sort();
            QCOMPARE(found,
                (QStringList {
                    "File  '~/D/index.html'  cannot be catalogued: its name differs only in "
                    "case from 'Index.html'",
                    "Folder  '~/D/Sub'  cannot be catalogued: its name differs only in case "
                    "from 'SUB'",
                    "Folder  '~/D/sub'  cannot be catalogued: its name differs only in case "
                    "from 'SUB'",
                    "Folder  '~/E/alpha'  cannot be catalogued: its name differs only in case "
                    "from 'Alpha'" }));
            QCOMPARE(report.folders.refreshed, 0);
            QCOMPARE(report.folders.appended, round == 0 ? 3 : 0);
            QCOMPARE(records(*m_table, QStringLiteral("D\\")), QStringList { "Index.html=" });
            QCOMPARE(records(*m_table, QStringLiteral("D\\SUB\\")), QStringList { "b.txt=" });
            QCOMPARE(records(*m_table, QStringLiteral("E\\ALPHA\\")), QStringList { "x.txt=" });
        }
        QCOMPARE(dump(*m_table).size(), 3);
    }

    // Folders that go or change their letter case while the walk is under way.
    void diskChangingDuringTheWalk()
    {
        for (const char *f : { "A/a.txt", "B/b.txt", "C/c.txt", "D/d.txt" })
            file(QString::fromLatin1(f));
        QVERIFY(run(false).failures.isEmpty());
        m_table->deletedCount = 0;
        // Before the first folder, A, the others change.
        struct DiskChange : Progress {
            std::function<void()> change;
            QList<qint64> done;
            qint64 found = 0;
            bool step(qint64 d, qint64 total) override
            {
                if (done.isEmpty())
                    change();
                done << d;
                found = total;
                return true;
            }
        } progress;
        progress.change = [&] {
            QVERIFY(QDir(m_root + QStringLiteral("B")).removeRecursively());
            QVERIFY(QDir(m_root).rename(QStringLiteral("C"), QStringLiteral("c")));
            file(QStringLiteral("c/n.txt"));
        };
        // With descriptions each folder is read when its turn comes.
        const UpdateAllReport report = run(true, &progress);
        QVERIFY2(report.failures.isEmpty(), qPrintable(report.failures.message()));
        QCOMPARE(progress.done, (QList<qint64> { 0, 1, 2, 3 }));
        QCOMPARE(progress.found, 4);
        QCOMPARE(records(*m_table, QStringLiteral("B\\")), QStringList());
        QCOMPARE(records(*m_table, QStringLiteral("C\\")), (QStringList { "c.txt=", "n.txt=" }));
        QCOMPARE(m_table->deletedCount, 1);
        QCOMPARE(report.folders.deleted, 1);
    }

    // Without sub-folders the tree is empty: the root folder's own files (the catalogue's
    // table among them) get no record, and the records of folders gone from the disk still
    // go. Without the root folder itself nothing is known to be gone.
    void emptyTreeAndMissingRoot()
    {
        file(QStringLiteral("top.txt"));
        file(QStringLiteral("Old/o.txt"));
        file(QStringLiteral("Keep/k.txt"));
        QVERIFY(run(false).failures.isEmpty());
        FolderTree tree;
        const UpdateAllReport missing
            = updateAll(*m_table, tree, { m_root + QStringLiteral("gone/"), false, false });
        QCOMPARE(missing.failures.first().code(), DbStatus::NotFound);
        QCOMPARE(m_table->deletedCount, 0);
        QCOMPARE(records(*m_table, QStringLiteral("KEEP\\")), QStringList { "k.txt=" });
        QVERIFY(QDir(m_root + QStringLiteral("Old")).removeRecursively());
        QVERIFY(QDir(m_root + QStringLiteral("Keep")).removeRecursively());
        QVERIFY(updateAll(*m_table, tree, { m_root, false, false }).failures.isEmpty());
        QVERIFY(tree.isEmpty());
        QCOMPARE(records(*m_table, QStringLiteral("OLD\\")), QStringList());
        QCOMPARE(records(*m_table, QString()), QStringList());
        QCOMPARE(m_table->currentFolder(), QString());
    }
};

QTEST_GUILESS_MAIN(TestUpdateAll)
#include "tst_updateall.moc"
