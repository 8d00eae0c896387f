#include "scan/diskentries.h"
#include "support/runasuser.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestDiskEntries : public QObject
{
    Q_OBJECT
private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_root;

    QString path(const QString &relative) const { return m_root + QLatin1Char('/') + relative; }

    QStringList listedNames(const QString &folder)
    {
        std::vector<DiskEntry> entries;
        const DbStatus st = listCataloguedEntries(folder, entries);
        if (!st)
            return { st.message() };
        QStringList names;
        for (const DiskEntry &e : entries)
            names.append(e.name());
        names.sort();
        return names;
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path();
    }

    void namingRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("catalogued");
        QTest::newRow("plain") << "photo.jpg" << true;
        QTest::newRow("hidden elsewhere") << "x.tmp" << true;
        QTest::newRow("two dots") << "archive.tar.gz" << true;
        QTest::newRow("trailing dot") << "a." << true;
        QTest::newRow("ION in other case") << "x.ION" << true;
        QTest::newRow("no dot") << "README" << false;
        QTest::newRow("dot-name") << ".htaccess" << false;
        QTest::newRow("info file") << "photo.jpg.!" << false;
        QTest::newRow("folder info file") << "!Tabulon.!" << false;
        QTest::newRow("Descript.ion") << "Descript.ion" << false;
        QTest::newRow(".ion inside") << "notes.ion.txt" << false;
        QTest::newRow("backslash") << "a\\b.txt" << false;
        QTest::newRow("not Windows-1252") << "\u0394.txt" << false;
        QTest::newRow("80 characters") << QString(76, QLatin1Char('n')) + ".txt" << true;
        QTest::newRow("81 characters") << QString(77, QLatin1Char('n')) + ".txt" << false;
        QTest::newRow("leading blank") << " a.txt" << true;
        QTest::newRow("trailing blank") << "a.txt " << false;
    }
    // The listing decides from the bytes on disk.
    void namingRules()
    {
        QFETCH(QString, name);
        QFETCH(bool, catalogued);
        QVERIFY(testutil::writeFile(path(name), "x"));
        QCOMPARE(listedNames(m_root), catalogued ? QStringList { name } : QStringList {});
    }

    void listingOfNamesBeyondAscii()
    {
        for (const QString &n : { QStringLiteral("caf\u00e9.txt"), QStringLiteral("\u20ac uro.txt"),
                 QStringLiteral("tab\there.txt"), QStringLiteral("\u65e5.txt") })
            QVERIFY(testutil::writeFile(path(n), "x"));
        // A name that is not UTF-8 at all, as another system may leave it.
        const QByteArray raw = QFile::encodeName(m_root) + "/latin\xe9.txt";
        const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        QCOMPARE(listedNames(m_root),
            (QStringList { QStringLiteral("caf\u00e9.txt"), QStringLiteral("\u20ac uro.txt") }));
        std::vector<DiskEntry> entries;
        QVERIFY(listCataloguedEntries(m_root, entries));
        ::unlink(raw.constData()); // QTemporaryDir cannot remove a name that is not UTF-8
        QByteArrayList ansi;
        for (const DiskEntry &e : entries)
            ansi << e.ansi;
        std::sort(ansi.begin(), ansi.end());
        QCOMPARE(ansi, (QByteArrayList { "caf\xe9.txt", "\x80 uro.txt" }));
    }

    void listsRegularFilesOnly()
    {
        for (const char *f :
            { "photo.jpg", "README", ".htaccess", "photo.jpg.!", "Descript.ion", "x.tmp" })
            QVERIFY(testutil::writeFile(path(QString::fromLatin1(f)), "12345"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("sub.dir"))));
        QVERIFY(QFile::link(path(QStringLiteral("photo.jpg")), path(QStringLiteral("link.jpg"))));
        QVERIFY(
            QFile::link(path(QStringLiteral("gone.jpg")), path(QStringLiteral("dangling.jpg"))));
        QVERIFY(QFile::link(path(QStringLiteral("sub.dir")), path(QStringLiteral("folder.lnk"))));
        QCOMPARE(
            ::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.fifo"))).constData(), 0644), 0);
        QCOMPARE(listedNames(m_root),
            (QStringList { QStringLiteral("link.jpg"), QStringLiteral("photo.jpg"),
                QStringLiteral("x.tmp") }));
    }

    void sizeAndTime()
    {
        const QString file = path(QStringLiteral("a.bin"));
        QVERIFY(testutil::writeFile(file, QByteArray(1050, 'x')));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const QDateTime odd(QDate(2019, 7, 4), QTime(23, 59, 59), Qt::LocalTime);
        QVERIFY(f.setFileTime(odd, QFileDevice::FileModificationTime));
        f.close();
        std::vector<DiskEntry> entries;
        QVERIFY(listCataloguedEntries(m_root, entries));
        QCOMPARE(int(entries.size()), 1);
        QCOMPARE(entries[0].size, quint64(1050));
        QCOMPARE(entries[0].lastWrite(), odd.addSecs(-1));
        QCOMPARE(entries[0].day(), QDate(2019, 7, 4));
        QCOMPARE(catalogueTime(-1).toSecsSinceEpoch(), qint64(-2));
        QCOMPARE(catalogueTime(4).toSecsSinceEpoch(), qint64(4));
    }

    void folderFailures()
    {
        std::vector<DiskEntry> entries;
        QCOMPARE(listCataloguedEntries(path(QStringLiteral("gone")), entries).code(),
            DbStatus::NotFound);
        QVERIFY(testutil::writeFile(path(QStringLiteral("locked/a.txt")), "x"));
        QVERIFY(QFile::setPermissions(m_root,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(path(QStringLiteral("locked")), {}));
        const int result = runUnprivileged([this] {
            std::vector<DiskEntry> found;
            return listCataloguedEntries(path(QStringLiteral("locked")), found).code()
                    == DbStatus::IoError
                ? 0
                : 1;
        });
        QVERIFY(QFile::setPermissions(path(QStringLiteral("locked")),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(result, 0);
    }
};

QTEST_GUILESS_MAIN(TestDiskEntries)
#include "tst_diskentries.moc"
