#include "platform/codepage.h"
#include "scan/diskentries.h"
#include "support/runasuser.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(SkipReason)

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
        QTest::addColumn<SkipReason>("reason");
        const SkipReason none = SkipReason::None, byRule = SkipReason::ByRule;
        QTest::newRow("plain") << "photo.jpg" << none;
        QTest::newRow("hidden elsewhere") << "x.tmp" << none;
        QTest::newRow("two dots") << "archive.tar.gz" << none;
        QTest::newRow("trailing dot") << "a." << none;
        QTest::newRow("ION in other case") << "x.ION" << none;
        QTest::newRow("quotes") << "say \"hi\", it's.txt" << none;
        QTest::newRow("no dot") << "README" << byRule;
        QTest::newRow("dot-name") << ".htaccess" << byRule;
        QTest::newRow("info file") << "photo.jpg.!" << byRule;
        QTest::newRow("folder info file") << "!Tabulon.!" << byRule;
        QTest::newRow("Descript.ion") << "Descript.ion" << byRule;
        QTest::newRow(".ion inside") << "notes.ion.txt" << byRule;
        QTest::newRow("no dot, with a newline") << "READ\nME" << byRule;
        QTest::newRow("backslash") << "a\\b.txt" << SkipReason::Backslash;
        QTest::newRow("newline") << "a\nb.txt" << SkipReason::ControlCharacter;
        QTest::newRow("tab") << "tab\there.txt" << SkipReason::ControlCharacter;
        QTest::newRow("escape") << "a\x1b[31m.txt" << SkipReason::ControlCharacter;
        QTest::newRow("not Windows-1252") << "\u0394.txt" << SkipReason::OutsideCodePage;
        QTest::newRow("80 characters") << QString(76, QLatin1Char('n')) + ".txt" << none;
        QTest::newRow("81 characters")
            << QString(77, QLatin1Char('n')) + ".txt" << SkipReason::NameTooLong;
        QTest::newRow("80 characters, 160 bytes on disk")
            << QString(76, QChar(0xe9)) + ".txt" << none;
        QTest::newRow("leading blank") << " a.txt" << none;
        QTest::newRow("trailing blank") << "a.txt " << SkipReason::TrailingBlank;
    }
    // The listing decides from the bytes on disk; what it leaves out for a reason it reports.
    void namingRules()
    {
        QFETCH(QString, name);
        QFETCH(SkipReason, reason);
        QVERIFY(testutil::writeFile(path(name), "x"));
        std::vector<DiskEntry> entries;
        std::vector<SkippedEntry> skipped;
        QVERIFY(listCataloguedEntries(m_root, entries, &skipped));
        QCOMPARE(int(entries.size()), reason == SkipReason::None ? 1 : 0);
        QCOMPARE(int(skipped.size()), isReported(reason) ? 1 : 0);
        if (!skipped.empty()) {
            QCOMPARE(skipped[0].reason, reason);
            QCOMPARE(skipped[0].rawName, QFile::encodeName(name));
            QCOMPARE(skipped[0].folder, m_root);
            QVERIFY(!skipped[0].isFolder);
        }
    }

    // Folders are judged by the same rule, less the rules of file names.
    void folderNames_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<SkipReason>("file");
        QTest::addColumn<SkipReason>("folder");
        QTest::newRow("no extension")
            << QByteArray("Photos") << SkipReason::ByRule << SkipReason::None;
        QTest::newRow("dot-name") << QByteArray(".git") << SkipReason::ByRule << SkipReason::ByRule;
        QTest::newRow("long") << QByteArray(90, 'f') + ".d" << SkipReason::NameTooLong
                              << SkipReason::None;
        QTest::newRow("not UTF-8")
            << QByteArray("caf\xe9.d") << SkipReason::NotUtf8 << SkipReason::NotUtf8;
        QTest::newRow("cut UTF-8")
            << QByteArray("caf\xc3.d") << SkipReason::NotUtf8 << SkipReason::NotUtf8;
        QTest::newRow("overlong UTF-8")
            << QByteArray("a\xc0\xae.d") << SkipReason::NotUtf8 << SkipReason::NotUtf8;
        QTest::newRow("UTF-8 of a replacement character")
            << QByteArray("\xef\xbf\xbd.d") << SkipReason::OutsideCodePage
            << SkipReason::OutsideCodePage;
        QTest::newRow("UTF-8 of a Latin letter")
            << QByteArray("caf\xc3\xa9.d") << SkipReason::None << SkipReason::None;
        QTest::newRow("delete character")
            << QByteArray("a\x7f.d") << SkipReason::None << SkipReason::None;
    }
    void folderNames()
    {
        QFETCH(QByteArray, raw);
        QFETCH(SkipReason, file);
        QFETCH(SkipReason, folder);
        QByteArray ansi;
        QCOMPARE(judgeName(raw.constData(), int(raw.size()), EntryKind::File, ansi), file);
        QCOMPARE(judgeName(raw.constData(), int(raw.size()), EntryKind::Folder, ansi), folder);
        if (folder == SkipReason::None)
            QCOMPARE(codepage::toUnicode(ansi), QString::fromUtf8(raw));
    }

    // A file name judged by each kind of catalogue: default, files without an extension
    // (e), Unicode (u), both. The exclusions of info files and Descript.ion stay in all.
    void fileNamesByChoices_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QList<int>>("reasons"); // default, e, u, e+u
        const int none = int(SkipReason::None), rule = int(SkipReason::ByRule);
        const int outside = int(SkipReason::OutsideCodePage);
        QTest::newRow("README") << QByteArray("README") << QList<int> { rule, none, rule, none };
        QTest::newRow(".bashrc") << QByteArray(".bashrc") << QList<int> { rule, none, rule, none };
        QTest::newRow("notes.txt")
            << QByteArray("notes.txt") << QList<int> { none, none, none, none };
        QTest::newRow("info file")
            << QByteArray("a.txt.!") << QList<int> { rule, rule, rule, rule };
        QTest::newRow("Descript.ion")
            << QByteArray("Descript.ion") << QList<int> { rule, rule, rule, rule };
        QTest::newRow("cyrillic") << QString::fromUtf8("Привет.txt").toUtf8()
                                  << QList<int> { outside, outside, none, none };
        QTest::newRow("emoji without extension")
            << QString::fromUtf8("😀").toUtf8() << QList<int> { rule, outside, rule, none };
        QTest::newRow("80 bytes of cyrillic") << QString(38, QChar(0x0416)).toUtf8() + ".txt"
                                              << QList<int> { outside, outside, none, none };
        QTest::newRow("82 bytes of cyrillic")
            << QString(39, QChar(0x0416)).toUtf8() + ".txt"
            << QList<int> { outside, outside, int(SkipReason::NameTooLongInBytes),
                   int(SkipReason::NameTooLongInBytes) };
        QTest::newRow("not UTF-8")
            << QByteArray("caf\xe9.d")
            << QList<int> { int(SkipReason::NotUtf8), int(SkipReason::NotUtf8),
                   int(SkipReason::NotUtf8), int(SkipReason::NotUtf8) };
    }
    void fileNamesByChoices()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QList<int>, reasons);
        for (int i = 0; i < 4; ++i) {
            TableChoices choices;
            choices.extensionless = (i & 1) != 0;
            choices.unicode = (i & 2) != 0;
            QByteArray stored;
            const SkipReason reason
                = judgeName(raw.constData(), int(raw.size()), EntryKind::File, stored, choices);
            QVERIFY2(int(reason) == reasons[i], qPrintable(QString::number(i)));
            if (reason == SkipReason::None && choices.unicode)
                QCOMPARE(stored, raw);
        }
        // Hidden folders stay out whatever the choices.
        TableChoices all { true, true };
        QByteArray stored;
        QCOMPARE(judgeName(".git", 4, EntryKind::Folder, stored, all), SkipReason::ByRule);
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
        QCOMPARE(
            ::mkfifo(QFile::encodeName(path(QStringLiteral("bad\n.lnk"))).constData(), 0644), 0);
        QVERIFY(QFile::link(path(QStringLiteral("sub.dir")), path(QStringLiteral("bad\n.dir"))));
        QCOMPARE(listedNames(m_root),
            (QStringList { QStringLiteral("link.jpg"), QStringLiteral("photo.jpg"),
                QStringLiteral("x.tmp") }));
        // Links to folders are left out by rule, whatever their names; the rest is reported.
        std::vector<DiskEntry> entries;
        std::vector<SkippedEntry> skipped;
        QVERIFY(listCataloguedEntries(m_root, entries, &skipped));
        QStringList reported;
        for (const SkippedEntry &e : skipped)
            reported << QString::fromUtf8(e.rawName) + QLatin1Char('=') + skipReasonText(e.reason);
        reported.sort();
        QCOMPARE(reported,
            (QStringList { "bad\n.lnk=" + skipReasonText(SkipReason::ControlCharacter),
                "dangling.jpg=" + skipReasonText(SkipReason::DanglingLink),
                "pipe.fifo=" + skipReasonText(SkipReason::SpecialFile) }));
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
