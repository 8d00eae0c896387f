#include "platform/diskpath.h"
#include "scan/diskentries.h"
#include "scan/foldernotes.h"
#include "scan/folderupdate.h"
#include "support/runasuser.h"
#include "support/scriptedprogress.h"
#include "support/testutil.h"

#include <QSignalSpy>
#include <QtTest>

namespace
{

QStringList namesOf(CatalogTable &t, const QString &folder, bool withNotes = false)
{
    QStringList out;
    if (!t.setFolderRange(folder))
        return { QStringLiteral("<range failed>") };
    for (DbStatus st = t.table().first(); st && !t.table().eof(); st = t.table().next())
        out << (withNotes
                ? t.text(CatalogTable::NAME) + QLatin1Char('=') + t.text(CatalogTable::NOTE)
                : t.text(CatalogTable::NAME));
    return out;
}

} // namespace

class TestFolderUpdate : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString m_root;
    CatalogTable *m_table = nullptr;
    PathResolver *m_resolver = nullptr;

    void file(const QString &rel, const QByteArray &bytes = "x")
    {
        QVERIFY(testutil::writeFile(m_root + rel, bytes));
    }
    DbStatus update(
        const QString &folder, bool descriptions = false, FolderUpdateStats *s = nullptr)
    {
        return updateFolder(*m_table, *m_resolver, folder, descriptions, s);
    }

private slots:
    void init()
    {
        m_root = m_tmp.path() + QStringLiteral("/case-") + QString::number(qrand_counter++)
            + QLatin1Char('/');
        QVERIFY(QDir().mkpath(m_root));
        m_table = new CatalogTable;
        QVERIFY(m_table->open(m_root, QStringLiteral("Archiv")));
        m_resolver = new PathResolver(m_root);
    }
    void cleanup()
    {
        delete m_table;
        delete m_resolver;
    }

    void onlyCataloguedEntriesGetRecords()
    {
        for (const char *n : { "README", ".htaccess", "photo.jpg.!", "!Tabulon.!", "Descript.ion",
                 "notes.ion.txt", "photo.jpg", "x.tmp", "y.sys" })
            file(QStringLiteral("Docs/") + QString::fromLatin1(n));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("Docs/sub.dir")));
        FolderUpdateStats s;
        QVERIFY(update(QStringLiteral("Docs\\"), false, &s));
        QCOMPARE(s.skipped.count(), 0); // left out by rule, none of them lost
        QCOMPARE(namesOf(*m_table, QStringLiteral("Docs\\")),
            QStringList({ "photo.jpg", "x.tmp", "y.sys" }));
        QCOMPARE(s.appended, 3);
        // Nothing changed on disk: nothing is written the second time.
        QVERIFY(update(QStringLiteral("Docs\\"), false, &s));
        QCOMPARE(s.appended, 3);
        QCOMPARE(s.refreshed, 0);
        QCOMPARE(m_table->table().physicalCount(), 3u);
    }

    void dateAndSizeFollowTheDisk()
    {
        file(QStringLiteral("D/a.txt"), QByteArray(1050, 'x'));
        QVERIFY(update(QStringLiteral("D\\")));
        QCOMPARE(m_table->text(CatalogTable::SIZE), QStringLiteral("1.1 K"));
        QCOMPARE(m_table->date(), QDate::currentDate());
        QFile f(m_root + QStringLiteral("D/a.txt"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(
            QDateTime(QDate(2021, 4, 3), QTime(10, 0)), QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(QFile::resize(m_root + QStringLiteral("D/a.txt"), 999));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(
            QDateTime(QDate(2021, 4, 3), QTime(10, 0)), QFileDevice::FileModificationTime));
        f.close();
        FolderUpdateStats s;
        QVERIFY(update(QStringLiteral("D\\"), false, &s));
        QCOMPARE(s.refreshed, 1);
        QCOMPARE(m_table->text(CatalogTable::SIZE), QStringLiteral("999 B"));
        QCOMPARE(m_table->date(), QDate(2021, 4, 3));
    }

    void renamedAndVanishedFilesLoseRecords()
    {
        for (const char *n : { "a.txt", "b1.txt", "b2.txt", "b3.txt", "c.txt" })
            file(QStringLiteral("D/") + QString::fromLatin1(n));
        QVERIFY(update(QStringLiteral("D\\")));
        m_table->deletedCount = 0;
        QVERIFY(
            QFile::rename(m_root + QStringLiteral("D/a.txt"), m_root + QStringLiteral("D/z.txt")));
        for (const char *n : { "b1.txt", "b2.txt", "b3.txt" })
            QVERIFY(QFile::remove(m_root + QStringLiteral("D/") + QString::fromLatin1(n)));
        QVERIFY(update(QStringLiteral("D\\")));
        QCOMPARE(namesOf(*m_table, QStringLiteral("D\\")), QStringList({ "c.txt", "z.txt" }));
        QCOMPARE(m_table->deletedCount, 4);
    }

    // A file replaced by a folder of the same name is gone: its record goes, whether the
    // folder update or the sweep of update all meets it.
    void fileReplacedByFolderLosesRecord_data()
    {
        QTest::addColumn<bool>("sweep");
        QTest::newRow("folder update") << false;
        QTest::newRow("sweep of update all") << true;
    }
    void fileReplacedByFolderLosesRecord()
    {
        QFETCH(bool, sweep);
        file(QStringLiteral("D/a.txt"));
        file(QStringLiteral("D/b.txt"));
        QVERIFY(update(QStringLiteral("D\\")));
        m_table->deletedCount = 0;
        QVERIFY(QFile::remove(m_root + QStringLiteral("D/a.txt")));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("D/a.txt")));
        QVERIFY(sweep ? sweepOrphans(*m_table, *m_resolver).isOk()
                      : update(QStringLiteral("D\\")).isOk());
        QCOMPARE(namesOf(*m_table, QStringLiteral("D\\")), QStringList { "b.txt" });
        QCOMPARE(m_table->deletedCount, 1);
    }

    void caseOnlyRenameKeepsNoteAndTags()
    {
        file(QStringLiteral("D/Photo.JPG"));
        QVERIFY(update(QStringLiteral("D\\")));
        QVERIFY(m_table->table().edit());
        m_table->setText(CatalogTable::NOTE, QStringLiteral("Strand"));
        m_table->setText(CatalogTable::CODE, QStringLiteral("AB"));
        QVERIFY(m_table->table().post());
        QVERIFY(QFile::rename(
            m_root + QStringLiteral("D/Photo.JPG"), m_root + QStringLiteral("D/photo.jpg")));
        m_resolver->forget();
        QVERIFY(update(QStringLiteral("D\\")));
        QCOMPARE(
            namesOf(*m_table, QStringLiteral("D\\"), true), QStringList({ "Photo.JPG=Strand" }));
        QCOMPARE(m_table->text(CatalogTable::CODE), QStringLiteral("AB"));
        QCOMPARE(m_table->deletedCount, 0);
    }

    // Names of one folder that differ only in case: one file is catalogued, the others
    // are reported, never merged into its record; each run keeps the same one.
    void caseTwinsKeepOneAndReportTheOthers_data()
    {
        QTest::addColumn<QStringList>("recorded"); // records there before the update
        QTest::addColumn<QStringList>("disk");
        QTest::addColumn<QStringList>("records"); // NAME=SIZE after it
        QTest::addColumn<QStringList>("skipped"); // name>kept
        QTest::newRow("none recorded: first in byte order")
            << QStringList() << QStringList { "index.html", "Index.html", "other.txt" }
            << QStringList { "Index.html=1 B", "other.txt=1 B" }
            << QStringList { "index.html>Index.html" };
        QTest::newRow("the recorded one stays")
            << QStringList { "index.html" } << QStringList { "Index.html", "index.html" }
            << QStringList { "index.html=1 B" } << QStringList { "Index.html>index.html" };
        QTest::newRow("three of a kind")
            << QStringList() << QStringList { "a.TXT", "a.txt", "A.txt" }
            << QStringList { "A.txt=1 B" } << QStringList { "a.TXT>A.txt", "a.txt>A.txt" };
        QTest::newRow("accented capital")
            << QStringList() << QStringList { "\u00e9t\u00e9.txt", "\u00c9t\u00e9.txt" }
            << QStringList { "\u00c9t\u00e9.txt=1 B" }
            << QStringList { "\u00e9t\u00e9.txt>\u00c9t\u00e9.txt" };
        // The record names neither twin exactly: it is the file's after a case-only rename.
        QTest::newRow("record of neither")
            << QStringList { "INDEX.HTML" } << QStringList { "index.html", "Index.html" }
            << QStringList { "INDEX.HTML=1 B" } << QStringList { "index.html>Index.html" };
        // A table that holds both (made elsewhere): each keeps its record, the one
        // catalogued is refreshed by its own file, the other is left as it is.
        QTest::newRow("both recorded")
            << QStringList { "b.txt", "B.txt" } << QStringList { "b.txt", "B.txt" }
            << QStringList { "b.txt=9 B", "B.txt=1 B" } << QStringList { "b.txt>B.txt" };
    }
    void caseTwinsKeepOneAndReportTheOthers()
    {
        QFETCH(QStringList, recorded);
        QFETCH(QStringList, disk);
        QFETCH(QStringList, records);
        QFETCH(QStringList, skipped);
        for (const QString &name : recorded) {
            QVERIFY(m_table->table().append());
            m_table->setText(CatalogTable::DIR, QStringLiteral("D\\"));
            m_table->setText(CatalogTable::NAME, name);
            m_table->setText(CatalogTable::SIZE, QStringLiteral("9 B"));
            QVERIFY(m_table->table().post());
        }
        for (const QString &name : disk)
            file(QStringLiteral("D/") + name);
        for (int run = 0; run < 2; ++run) {
            FolderUpdateStats s;
            QVERIFY(update(QStringLiteral("D\\"), false, &s));
            QStringList reported;
            for (const SkippedEntry &e : s.skipped.kept()) {
                QCOMPARE(e.reason, SkipReason::CaseTwin);
                QCOMPARE(e.folder, m_root + QStringLiteral("D"));
                reported << QString::fromUtf8(e.rawName) + '>' + QString::fromUtf8(e.twinName);
            }
            QCOMPARE(reported, skipped);
            QCOMPARE(s.deleted, 0);
            QCOMPARE(s.refreshed + s.appended, run == 0 ? disk.size() - skipped.size() : 0);
            QStringList now;
            QVERIFY(m_table->setFolderRange(QStringLiteral("D\\")));
            for (DbStatus st = m_table->table().first(); st && !m_table->table().eof();
                 st = m_table->table().next())
                now << m_table->text(CatalogTable::NAME) + '=' + m_table->text(CatalogTable::SIZE);
            QCOMPARE(now, records);
        }
    }

    // A large folder's update stopped between two files: those merged by then keep their
    // records, the records of files gone stay (the sweep is left out) until an update that
    // runs to its end.
    void cancelledInALargeFolderThenCompleted_data()
    {
        QTest::addColumn<qint64>("stopFrom"); // files merged when the stop is asked for
        QTest::addColumn<int>("appended");
        QTest::newRow("in the merge") << qint64(kRecordsPerStep) << kRecordsPerStep;
        QTest::newRow("never") << qint64(-1) << 5000;
    }
    void cancelledInALargeFolderThenCompleted()
    {
        QFETCH(qint64, stopFrom);
        QFETCH(int, appended);
        QVERIFY(m_table->table().append());
        m_table->setText(CatalogTable::DIR, QStringLiteral("BIG\\"));
        m_table->setText(CatalogTable::NAME, QStringLiteral("gone.txt"));
        QVERIFY(m_table->table().post());
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("Big")));
        for (int i = 0; i < 5000; ++i) {
            QFile f(m_root + QStringLiteral("Big/f%1.txt").arg(i));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        ScriptedProgress progress(stopFrom);
        FolderUpdateStats s;
        const DbStatus st = updateFolder(
            *m_table, *m_resolver, QStringLiteral("Big\\"), false, &s, false, nullptr, &progress);
        QCOMPARE(st.code(), stopFrom < 0 ? DbStatus::Ok : DbStatus::Cancelled);
        QVERIFY(progress.orderly());
        QVERIFY(!progress.steps.empty());
        QCOMPARE(progress.steps.front().second, qint64(5000 + 5000));
        QCOMPARE(s.appended, appended);
        QCOMPARE(s.deleted, stopFrom < 0 ? 1 : 0);
        QCOMPARE(int(m_table->table().physicalCount()), appended + 1);
        QVERIFY(!m_table->isDetached());

        s = FolderUpdateStats();
        QVERIFY(update(QStringLiteral("Big\\"), false, &s));
        QCOMPARE(s.appended, 5000 - appended);
        QCOMPARE(s.deleted, stopFrom < 0 ? 0 : 1);
        QCOMPARE(namesOf(*m_table, QStringLiteral("Big\\")).size(), 5000);
    }

    void descriptionsBecomeNotes()
    {
        file(QStringLiteral("D/a.txt"));
        file(QStringLiteral("D/my file.txt"));
        file(QStringLiteral("D/Descript.ion"),
            "a.txt erste\r\n\"my file.txt\" mit Blank\r\nA.TXT zweite\r\nother.txt niemand\r\n");
        QVERIFY(update(QStringLiteral("D\\"), false));
        QCOMPARE(namesOf(*m_table, QStringLiteral("D\\"), true),
            QStringList({ "a.txt=", "my file.txt=" }));
        QVERIFY(update(QStringLiteral("D\\"), true));
        QCOMPARE(namesOf(*m_table, QStringLiteral("D\\"), true),
            QStringList({ "a.txt=zweite", "my file.txt=mit Blank" }));
    }

    void newFileTakesItsNoteInTheSameRun()
    {
        file(QStringLiteral("D/new.txt"));
        file(QStringLiteral("D/descript.ion"), "new.txt fresh");
        FolderUpdateStats s;
        QVERIFY(update(QStringLiteral("D\\"), true, &s));
        QCOMPARE(namesOf(*m_table, QStringLiteral("D\\"), true), QStringList({ "new.txt=fresh" }));
        QCOMPARE(s.notesSet, 1);
    }

    void vanishedFolderLosesAllRecords()
    {
        file(QStringLiteral("Gone/a.txt"));
        file(QStringLiteral("Gone/b.txt"));
        QVERIFY(update(QStringLiteral("Gone\\")));
        QVERIFY(QDir(m_root + QStringLiteral("Gone")).removeRecursively());
        m_resolver->forget();
        QVERIFY(update(QStringLiteral("Gone\\")));
        QCOMPARE(namesOf(*m_table, QStringLiteral("Gone\\")), QStringList());
        QCOMPARE(m_table->deletedCount, 2);
    }

    void unreadableDescriptionStopsBeforeChanges()
    {
        file(QStringLiteral("D/a.txt"));
        QVERIFY(update(QStringLiteral("D\\")));
        QVERIFY(QFile::remove(m_root + QStringLiteral("D/a.txt")));
        QVERIFY(
            QDir().mkpath(m_root + QStringLiteral("D/Descript.ion"))); // a folder: cannot be read
        QSignalSpy attached(m_table, &CatalogTable::viewsAttached);
        const DbStatus st = update(QStringLiteral("D\\"), true);
        QVERIFY(!st);
        QVERIFY(!st.message().isEmpty());
        QCOMPARE(attached.count(), 1);
        QCOMPARE(namesOf(*m_table, QStringLiteral("D\\")), QStringList({ "a.txt" }));
    }

    void rootFilesHaveEmptyDir()
    {
        file(QStringLiteral("root.txt"));
        QVERIFY(update(QString()));
        // The catalogue's own files lie in the root folder too and are files like any other.
        QCOMPARE(
            namesOf(*m_table, QString()), QStringList({ "Archiv.dbf", "Archiv.mdx", "root.txt" }));
        QCOMPARE(m_table->text(CatalogTable::DIR), QString());
    }

    void orphanSweepKeepsHiddenFoldersWithFiles()
    {
        file(QStringLiteral("Keep/a.txt"));
        file(QStringLiteral("Gone/b.txt"));
        file(QStringLiteral(".hidden/c.txt"));
        QVERIFY(update(QStringLiteral("Keep\\")));
        QVERIFY(update(QStringLiteral("Gone\\")));
        QVERIFY(update(QStringLiteral(".hidden\\")));
        QVERIFY(QDir(m_root + QStringLiteral("Gone")).removeRecursively());
        QVERIFY(m_table->setFolderRange(QStringLiteral("Keep\\")));
        int deleted = 0;
        QVERIFY(sweepOrphans(*m_table, *m_resolver, &deleted));
        QCOMPARE(deleted, 1);
        QCOMPARE(m_table->table().order(), QByteArray("1"));
        QCOMPARE(namesOf(*m_table, QStringLiteral(".HIDDEN\\")), QStringList({ "c.txt" }));
        QCOMPARE(namesOf(*m_table, QStringLiteral("Gone\\")), QStringList());
    }

    // After an update of every folder the sweep looks only at records that the update did
    // not merge: folders it did not visit (hidden ones), and records outside the range of
    // the folders it did visit. The outcome is that of a sweep over everything.
    void sweepAfterUpdatingEveryFolder_data()
    {
        QTest::addColumn<bool>("skipMerged");
        QTest::newRow("records the update merged skipped") << true;
        QTest::newRow("every record looked at") << false;
    }
    void sweepAfterUpdatingEveryFolder()
    {
        QFETCH(bool, skipMerged);
        file(QStringLiteral("Keep/a.txt"));
        file(QStringLiteral("Keep/b.txt"));
        file(QStringLiteral(".hidden/c.txt"));
        file(QStringLiteral(".hidden/d.txt"));
        file(QStringLiteral(".gone/e.txt"));
        for (const char *folder : { "Keep\\", ".hidden\\", ".gone\\" })
            QVERIFY(update(QString::fromLatin1(folder)));
        // Records whose DIR differs from the folder key only in case lie outside the range
        // that merging Keep\ walks; the sweep must judge them itself.
        for (const char *name : { "a.txt", "lost.txt" }) {
            DbfTable &t = m_table->table();
            QVERIFY(t.append());
            t.setFieldBytes(CatalogTable::DIR, "keep\\");
            t.setFieldBytes(CatalogTable::NAME, name);
            QVERIFY(t.post());
        }
        QVERIFY(QFile::remove(m_root + QStringLiteral("Keep/b.txt")));
        QVERIFY(QFile::remove(m_root + QStringLiteral(".hidden/d.txt")));
        QVERIFY(QDir(m_root + QStringLiteral(".gone")).removeRecursively());
        m_table->deletedCount = 0;
        FolderWalk walk;
        QVERIFY(updateFolder(*m_table, *m_resolver, QString(), false, nullptr, false, &walk));
        QVERIFY(updateFolder(
            *m_table, *m_resolver, QStringLiteral("Keep\\"), false, nullptr, true, &walk));
        QCOMPARE(m_table->deletedCount, 1); // b.txt, by the folder's own update
        int deleted = 0;
        QVERIFY(sweepOrphans(*m_table, *m_resolver, &deleted, skipMerged ? &walk : nullptr));
        QCOMPARE(deleted, 3); // d.txt, e.txt and the lost file of the lower-case folder
        QCOMPARE(m_table->deletedCount, 4);
        QCOMPARE(namesOf(*m_table, QStringLiteral("Keep\\")), QStringList({ "a.txt" }));
        QCOMPARE(namesOf(*m_table, QStringLiteral(".HIDDEN\\")), QStringList({ "c.txt" }));
        QCOMPARE(namesOf(*m_table, QStringLiteral(".GONE\\")), QStringList());
        QVERIFY(m_table->setPhysicalOrder());
        QStringList all;
        DbfTable &t = m_table->table();
        for (DbStatus st = t.first(); st && !t.eof(); st = t.next())
            all << m_table->text(CatalogTable::DIR) + m_table->text(CatalogTable::NAME);
        all.sort();
        QCOMPARE(all,
            QStringList(
                { ".HIDDEN\\c.txt", "Archiv.dbf", "Archiv.mdx", "KEEP\\a.txt", "keep\\a.txt" }));
    }

    // A listing supplied by the walk gives the table that listing the folder on the spot
    // gives; one supplied for another folder is left alone, and a folder not found where the
    // walk read it is looked for by its catalogue path (renamed in letter case meanwhile).
    void suppliedListingsGiveTheSameTable()
    {
        CatalogTable other; // a second catalogue of the same disk, updated the other way
        QVERIFY(other.open(m_root, QStringLiteral("Other")));
        const QStringList folders { "A\\", "A\\B\\", "C\\", "Gone\\", "D\\" };
        for (const char *f : { "A/x.txt", "A/B/z.txt", "C/c.txt", "D/d.txt", "Gone/g.txt" })
            file(QString::fromLatin1(f));
        for (const QString &folder : folders) {
            QVERIFY(update(folder));
            QVERIFY(updateFolder(other, *m_resolver, folder, false));
        }
        QVERIFY(QDir(m_root + QStringLiteral("Gone")).removeRecursively());
        file(QStringLiteral("A/new.txt"));
        file(QStringLiteral("C/c.txt"), "longer now");
        const QString before = m_resolver->resolve(QStringLiteral("D\\"));
        QVERIFY(QDir(m_root).rename(QStringLiteral("D"), QStringLiteral("d")));
        file(QStringLiteral("d/e.txt"));
        m_resolver->forget();
        FolderWalk walk;
        for (const QString &folder : folders) {
            const QString disk
                = folder == QLatin1String("D\\") ? before : m_resolver->resolve(folder);
            std::vector<DiskEntry> entries;
            const DbStatus st = listCataloguedEntries(disk, entries);
            walk.supply(folder == QLatin1String("A\\B\\") ? QStringLiteral("X\\") : folder, disk,
                std::move(entries), st);
            QVERIFY(updateFolder(*m_table, *m_resolver, folder, false, nullptr, true));
            QVERIFY(updateFolder(other, *m_resolver, folder, false, nullptr, true, &walk));
        }
        QCOMPARE(other.deletedCount, m_table->deletedCount);
        QCOMPARE(namesOf(other, QStringLiteral("D\\")), (QStringList { "d.txt", "e.txt" }));
        const auto dump = [](CatalogTable &t) {
            QStringList out;
            t.setPhysicalOrder();
            for (DbStatus st = t.table().first(); st && !t.table().eof(); st = t.table().next())
                out << QString::fromLatin1(t.table().recordBytes());
            return out;
        };
        QCOMPARE(dump(other), dump(*m_table));
    }

    void orphanSweepKeepsRecordsOfUnreadableFolder()
    {
        file(QStringLiteral("Locked/a.txt"));
        file(QStringLiteral("Gone/b.txt"));
        QVERIFY(update(QStringLiteral("Locked\\")));
        QVERIFY(update(QStringLiteral("Gone\\")));
        QVERIFY(QDir(m_root + QStringLiteral("Gone")).removeRecursively());
        const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
            | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(m_tmp.path(), open));
        QVERIFY(QFile::setPermissions(m_root, open));
        QVERIFY(QFile::setPermissions(m_root + QStringLiteral("Locked"), {}));
        // The child shares the open table; it reports what the sweep did.
        const int result = runUnprivileged([this] {
            int deleted = -1;
            if (!sweepOrphans(*m_table, *m_resolver, &deleted))
                return 1;
            return deleted == 1
                    && namesOf(*m_table, QStringLiteral("Locked\\")) == QStringList({ "a.txt" })
                ? 0
                : 2;
        });
        QVERIFY(QFile::setPermissions(m_root + QStringLiteral("Locked"), open));
        QCOMPARE(result, 0);
    }

    void unreadableFolderKeepsItsRecords()
    {
        file(QStringLiteral("Locked/a.txt"));
        QVERIFY(update(QStringLiteral("Locked\\")));
        const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
            | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(m_tmp.path(), open));
        QVERIFY(QFile::setPermissions(m_root, open));
        QVERIFY(QFile::setPermissions(m_root + QStringLiteral("Locked"), {}));
        const int result = runUnprivileged([this] {
            const DbStatus st = update(QStringLiteral("Locked\\"));
            if (st.code() != DbStatus::IoError || !st.message().contains(QLatin1String("Locked")))
                return 1;
            return namesOf(*m_table, QStringLiteral("Locked\\")) == QStringList({ "a.txt" })
                    && m_table->deletedCount == 0 && !m_table->isDetached()
                ? 0
                : 2;
        });
        QVERIFY(QFile::setPermissions(m_root + QStringLiteral("Locked"), open));
        QCOMPARE(result, 0);
    }

    void descriptionsWrittenFromRecordsInOrderInForce()
    {
        file(QStringLiteral("D/a.txt"));
        file(QStringLiteral("D/b c.txt"));
        file(QStringLiteral("D/d.txt"));
        file(QStringLiteral("D/descript.ion"), "a.txt Zulu\r\n\"b c.txt\" Alpha\r\n");
        QVERIFY(update(QStringLiteral("D\\"), true));
        QVERIFY(m_table->switchOrder(4));
        QVERIFY(m_table->setFolderRange(QStringLiteral("Other\\")));
        // The range of another folder is in force: the folder's own is applied first.
        QVERIFY(writeFolderDescriptions(*m_table, *m_resolver, QStringLiteral("D\\")));
        QCOMPARE(testutil::readFile(m_root + QStringLiteral("D/descript.ion")),
            QByteArray("\"b c.txt\" Alpha\r\na.txt Zulu\r\n"));
        QVERIFY(!QFile::exists(m_root + QStringLiteral("D/Descript.ion")));
        QCOMPARE(m_table->text(CatalogTable::NAME), QStringLiteral("a.txt"));
        // No records left: the file goes, and the folder info file with it.
        file(QStringLiteral("E/!Tabulon.!"));
        file(QStringLiteral("E/Descript.ion"), "x.txt gone\r\n");
        QVERIFY(writeFolderDescriptions(*m_table, *m_resolver, QStringLiteral("E\\")));
        QVERIFY(!QFile::exists(m_root + QStringLiteral("E/Descript.ion")));
        QVERIFY(!QFile::exists(m_root + QStringLiteral("E/!Tabulon.!")));
    }

private:
    int qrand_counter = 0;
};

QTEST_GUILESS_MAIN(TestFolderUpdate)
#include "tst_folderupdate.moc"
