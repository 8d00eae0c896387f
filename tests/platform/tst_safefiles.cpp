#include "platform/atomicfile.h"
#include "platform/filecontent.h"
#include "platform/fileio.h"
#include "platform/filelock.h"
#include "platform/profile.h"
#include "platform/replacementfile.h"
#include "support/hostileentry.h"
#include "support/runasuser.h"
#include "support/testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

// The opens and replacements of files that the folders supply: never through a link where
// a file is written, never waiting on a FIFO or a device, whatever stands at the name.
class TestSafeFiles : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path() const { return m_dir->filePath(QStringLiteral("tree/name")); }
    HostileEntry hostile() const { return HostileEntry(m_dir->filePath(QStringLiteral("out"))); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void opensRefuseWhatIsNoPlainFile_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("readError"); // openForReading, filecontent::read
        QTest::addColumn<int>("writeError"); // openForWriting, also with create
        QTest::addColumn<int>("lock"); // FileLock::open
        QTest::newRow("link to a file outside")
            << int(HostileEntry::LinkOutside) << 0 << int(fileio::IsLink) << int(FileLock::Refused);
        QTest::newRow("link to a device")
            << int(HostileEntry::LinkToDevice) << int(fileio::NotRegular) << int(fileio::IsLink)
            << int(FileLock::Refused);
        QTest::newRow("dangling link") << int(HostileEntry::DanglingLink) << ENOENT
                                       << int(fileio::IsLink) << int(FileLock::Refused);
        QTest::newRow("FIFO") << int(HostileEntry::Fifo) << int(fileio::NotRegular)
                              << int(fileio::NotRegular) << int(FileLock::Refused);
    }
    void opensRefuseWhatIsNoPlainFile()
    {
        QFETCH(int, kind);
        QFETCH(int, readError);
        QFETCH(int, writeError);
        QFETCH(int, lock);
        const HostileEntry entry = hostile();
        QVERIFY(entry.make(HostileEntry::Kind(kind), path()));

        int err = 0;
        const int fd = fileio::openForReading(path(), &err);
        fileio::closeFile(fd);
        QCOMPARE(fd >= 0 ? 0 : err, readError);
        QByteArray bytes;
        QCOMPARE(filecontent::read(path(), 1024, bytes, &err), readError == 0);
        QCOMPARE(err, readError);
        QCOMPARE(bytes, readError == 0 ? HostileEntry::outsideBytes() : QByteArray());
        QCOMPARE(Profile(path()).loadState() == Profile::LoadState::Loaded, readError == 0);

        for (const bool create : { false, true }) {
            QCOMPARE(fileio::openForWriting(path(), create, &err), -1);
            QCOMPARE(err, create && writeError == fileio::NotRegular ? EEXIST : writeError);
        }
        // Its facts are those of what a link leads to, and read without opening it.
        const fileio::FileFacts facts = fileio::fileFacts(path());
        QCOMPARE(facts.found, readError == 0);
        QCOMPARE(facts.size, readError == 0 ? HostileEntry::outsideBytes().size() : 0);
        FileLock locked;
        QCOMPARE(int(locked.open(path())), lock);
        QVERIFY(HostileEntry::stillThere(HostileEntry::Kind(kind), path()));
        QVERIFY(entry.outsideIntact());
    }

    // A plain file's size and time; a folder or nothing at the name is no file.
    void fileFactsOfPlainEntries()
    {
        QVERIFY(testutil::writeFile(path(), "12345"));
        QFile file(path());
        const QDateTime when(QDate(2019, 5, 1), QTime(10, 0, 7), Qt::UTC);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
        file.close();
        const fileio::FileFacts facts = fileio::fileFacts(path());
        QVERIFY(facts.found);
        QCOMPARE(facts.size, 5);
        QCOMPARE(facts.modifiedSecs, when.toSecsSinceEpoch());
        QVERIFY(!fileio::fileFacts(m_dir->filePath(QStringLiteral("tree"))).found);
        QVERIFY(!fileio::fileFacts(path() + QStringLiteral("/below")).found);
        QVERIFY(!fileio::fileFacts(m_dir->filePath(QStringLiteral("none"))).found);
    }

    void replacingNeverWritesThroughALink_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("replaced"); // with Link::Replace; Link::Refuse refuses all
        QTest::newRow("link to a file outside") << int(HostileEntry::LinkOutside) << true;
        QTest::newRow("link to a device") << int(HostileEntry::LinkToDevice) << true;
        QTest::newRow("dangling link") << int(HostileEntry::DanglingLink) << true;
        QTest::newRow("FIFO") << int(HostileEntry::Fifo) << false;
    }
    void replacingNeverWritesThroughALink()
    {
        QFETCH(int, kind);
        QFETCH(bool, replaced);
        const HostileEntry entry = hostile();
        QVERIFY(entry.make(HostileEntry::Kind(kind), path()));

        ReplacementFile refused(path(), ReplacementFile::Link::Refuse);
        QVERIFY(!refused.open());
        QVERIFY(!refused.errorText().isEmpty());
        QVERIFY(HostileEntry::stillThere(HostileEntry::Kind(kind), path()));

        QString error;
        QCOMPARE(atomicfile::write(path(), "new", &error), replaced);
        QVERIFY(entry.outsideIntact());
        if (replaced) {
            QVERIFY(QFileInfo(path()).isFile() && !QFileInfo(path()).isSymLink());
            QCOMPARE(testutil::readFile(path()), QByteArray("new"));
        } else {
            QCOMPARE(error, QStringLiteral("it is not a regular file"));
            QVERIFY(HostileEntry::stillThere(HostileEntry::Kind(kind), path()));
        }
        // No temporary file is left behind either way.
        QCOMPARE(
            QDir(QFileInfo(path()).path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList { QStringLiteral("name") });
    }

    void replacementKeepsModeAndRefusesReadOnlyFile()
    {
        QVERIFY(testutil::writeFile(path(), "old"));
        QVERIFY(
            QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(atomicfile::write(path(), "new"));
        QCOMPARE(QFile::permissions(path()) & 0x7000,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // A read-only file is kept, as it is meant to be, though its folder may be written.
        QVERIFY(giveToUnprivileged(m_dir->path()));
        QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner));
        QVERIFY(passesUnprivileged([this] { QVERIFY(!atomicfile::write(path(), "newer")); }));
        QCOMPARE(testutil::readFile(path()), QByteArray("new"));
    }

    void piecesMakeTheWholeFile_data()
    {
        QTest::addColumn<int>("piece");
        QTest::addColumn<int>("stopAfter"); // pieces taken before consume says stop; 0: all
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("one piece") << 100 << 0 << QByteArray("abcdefgh");
        QTest::newRow("exact pieces") << 4 << 0 << QByteArray("abcd|efgh");
        QTest::newRow("short last piece") << 3 << 0 << QByteArray("abc|def|gh");
        QTest::newRow("stopped early") << 3 << 2 << QByteArray("abc|def");
    }
    void piecesMakeTheWholeFile()
    {
        QFETCH(int, piece);
        QFETCH(int, stopAfter);
        QFETCH(QByteArray, expected);
        QVERIFY(testutil::writeFile(path(), "abcdefgh"));
        QByteArrayList pieces;
        QByteArray buffer;
        QVERIFY(filecontent::readPieces(path(), piece, buffer, [&](const char *data, qint64 n) {
            pieces << QByteArray(data, int(n));
            return pieces.size() != stopAfter;
        }));
        QCOMPARE(pieces.join('|'), expected);
    }
};

QTEST_GUILESS_MAIN(TestSafeFiles)
#include "tst_safefiles.moc"
