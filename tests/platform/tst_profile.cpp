#include "platform/profile.h"
#include "platform/profilevalue.h"
#include "support/runasuser.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

class TestProfile : public QObject
{
    Q_OBJECT

    QString fileWith(const QByteArray &bytes)
    {
        const QString path = m_dir->filePath(QStringLiteral("t.ini"));
        QFile::remove(path);
        if (!bytes.isNull())
            testutil::writeFile(path, bytes);
        return path;
    }
    // Writes one key to a file holding before, the way a single profile call would.
    QByteArray afterWrite(
        const QByteArray &before, const char *section, const char *key, const QString &value)
    {
        Profile profile(fileWith(before));
        profile.writeText(QLatin1String(section), QLatin1String(key), value);
        const ProfileStatus status = profile.save();
        return status.isOk() ? testutil::readFile(profile.path()) : QByteArray("failed");
    }

    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void writes_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("file created") << QByteArray() << "Local"
                                      << "Vers"
                                      << "6.6" << QByteArray("[Local]\r\nVers=6.6\r\n");
        QTest::newRow("replace in place, names in any case")
            << QByteArray("[local]\r\nVERS = 1\r\nDMS=A\r\n") << "Local"
            << "vers"
            << "6.6" << QByteArray("[local]\r\nVERS=6.6\r\nDMS=A\r\n");
        QTest::newRow("append to section before the next one")
            << QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\n") << "a"
            << "z"
            << "3" << QByteArray("[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n");
        QTest::newRow("append after last non-blank line of the section")
            << QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\n") << "A"
            << "z"
            << "3" << QByteArray("[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\n");
        QTest::newRow("append section at end") << QByteArray("[A]\r\nx=1") << "B"
                                               << "k"
                                               << "v" << QByteArray("[A]\r\nx=1\r\n[B]\r\nk=v\r\n");
        QTest::newRow("any line end read, CR LF written")
            << QByteArray("[A]\nx=1\ry=2\r\n") << "A"
            << "y"
            << "5" << QByteArray("[A]\r\nx=1\r\ny=5\r\n");
        QTest::newRow("garbage and comments kept")
            << QByteArray("junk\r\n[A]\r\n;x=1\r\nno equals\r\n[broken\r\n=7\r\n") << "A"
            << "x"
            << "2" << QByteArray("junk\r\n[A]\r\n;x=1\r\nno equals\r\n[broken\r\n=7\r\nx=2\r\n");
        QTest::newRow("first section of a duplicated name wins")
            << QByteArray("[A]\r\n[B]\r\n[A]\r\nk=1\r\n") << "A"
            << "k"
            << "2" << QByteArray("[A]\r\nk=2\r\n[B]\r\n[A]\r\nk=1\r\n");
        QTest::newRow("line break in a value cannot add a section")
            << QByteArray() << "A"
            << "k"
            << "x\r\n[Local]\nPath=/" << QByteArray("[A]\r\nk=x  [Local] Path=/\r\n");
        QTest::newRow("Windows-1252 bytes") << QByteArray() << "A"
                                            << "k" << QString::fromUtf8("caf\u00e9 \u20ac")
                                            << QByteArray("[A]\r\nk=caf\xe9 \x80\r\n");
    }
    void writes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QCOMPARE(afterWrite(before, section.toLatin1(), key.toLatin1(), value), after);
    }

    void batchedWritesEqualSingleCalls()
    {
        // The same sequence once through one object and once call by call.
        const QList<QStringList> writes = { { "B", "k", "1" }, { "A", "x", "2" }, { "b", "j", "3" },
            { "A", "X", "4" }, { "C", "c", "5" }, { "B", "K", "6" } };
        const QString batched = m_dir->filePath("batched.ini");
        const QString single = m_dir->filePath("single.ini");
        testutil::writeFile(batched, "[A]\r\ny=0\r\n");
        testutil::writeFile(single, "[A]\r\ny=0\r\n");
        Profile batch(batched);
        for (const QStringList &w : writes) {
            batch.writeText(w[0], w[1], w[2]);
            Profile one(single);
            one.writeText(w[0], w[1], w[2]);
            QVERIFY(one.save().isOk());
        }
        QVERIFY(batch.save().isOk());
        QCOMPARE(testutil::readFile(batched), testutil::readFile(single));
        QCOMPARE(testutil::readFile(batched),
            QByteArray("[A]\r\ny=0\r\nx=4\r\n[B]\r\nk=6\r\nj=3\r\n[C]\r\nc=5\r\n"));
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("value");
        QTest::newRow("blanks around dropped") << QByteArray("[s]\r\n  K  =  a b  \r\n") << "a b";
        QTest::newRow("case-insensitive names") << QByteArray("[S]\r\nk=v\r\n") << "v";
        QTest::newRow("accented section name")
            << QByteArray("[\xe9]\r\nk=v\r\n[s]\r\nk=w\r\n") << "w";
        QTest::newRow("missing key") << QByteArray("[s]\r\nx=v\r\n") << "default";
        QTest::newRow("key of another section") << QByteArray("[t]\r\nk=v\r\n[s]\r\n") << "default";
        QTest::newRow("empty value is a value") << QByteArray("[s]\r\nk=\r\n") << "";
        QTest::newRow("first equals sign splits") << QByteArray("[s]\r\nk=a=b\r\n") << "a=b";
        QTest::newRow("key before any section") << QByteArray("k=v\r\n[s]\r\n") << "default";
        QTest::newRow("utf-8 mark before first section")
            << QByteArray("\xEF\xBB\xBF[s]\r\nk=v\r\n") << "v";
        QTest::newRow("binary garbage")
            << QByteArrayLiteral("\0\1\2[s\0]\xff\r\n[s]\r\nk=\0v\r\n") << QString(QChar(0)) + "v";
        QTest::newRow("cut to 2047 characters")
            << QByteArray("[s]\r\nk=" + QByteArray(3000, 'x') + "\r\n") << QString(2047, 'x');
    }
    void reads()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, value);
        Profile profile(fileWith(file));
        QCOMPARE(profile.readText("S", "k", "default"), value);
    }

    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "226" << 226;
        QTest::newRow("negative") << "-2147483640" << -2147483640;
        QTest::newRow("plus sign") << "+5" << 5;
        QTest::newRow("0x hex") << "0x1F" << 31;
        QTest::newRow("0X hex wraps") << "0XFFFFFFFF" << -1;
        QTest::newRow("dollar hex") << "$ff" << 255;
        QTest::newRow("negative dollar") << "-$10" << -16;
        QTest::newRow("0x alone is not a number") << "0x" << 77;
        QTest::newRow("dollar alone") << "$" << 77;
        QTest::newRow("trailing garbage") << "12abc" << 77;
        QTest::newRow("inner blank") << "1 2" << 77;
        QTest::newRow("above 32 bits") << "2147483648" << 77;
        QTest::newRow("lowest") << "-2147483648" << int(-2147483647 - 1);
        QTest::newRow("hex above 32 bits") << "$100000000" << 77;
        QTest::newRow("leading zeros") << "$000000000001" << 1;
        QTest::newRow("empty") << "" << 77;
        QTest::newRow("huge digit run") << QString(100000, '9') << 77;
    }
    void integers()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        Profile profile(fileWith("[s]\r\nk=" + text.toLatin1() + "\r\n"));
        QCOMPARE(profile.readInteger("s", "k", 77), value);
        QCOMPARE(profile.readBool("s", "k", true), value != 0);
    }

    void colours_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("value");
        QTest::addColumn<QString>("written");
        QTest::newRow("name") << "clWhite" << 0x00FFFFFFu << "clWhite";
        QTest::newRow("name in other case") << "CLSKYBLUE" << 0x00F0CAA6u << "clSkyBlue";
        QTest::newRow("system colour by name") << "clBtnFace" << 0xFF00000Fu << "clBtnFace";
        QTest::newRow("dollar form") << "$00DAFAFA" << 0x00DAFAFAu << "$00DAFAFA";
        QTest::newRow("short dollar form") << "$da0000" << 0x00DA0000u << "$00DA0000";
        QTest::newRow("decimal") << "255" << 0x000000FFu << "clRed";
        QTest::newRow("old system colour value") << "-2147483640" << 0x80000008u << "$80000008";
        QTest::newRow("index without a name") << "$FF000019" << 0xFF000019u << "$FF000019";
        QTest::newRow("garbage gives default") << "pale yellow" << 0x12345678u << "$12345678";
    }
    void colours()
    {
        QFETCH(QString, text);
        QFETCH(uint, value);
        QFETCH(QString, written);
        Profile profile(fileWith("[Color]\r\nData=" + text.toLatin1() + "\r\n"));
        const quint32 read = profile.readColor("Color", "Data", 0x12345678u);
        QCOMPARE(read, value);
        QCOMPARE(profilevalue::formatColor(read), written);
    }

    void enormousLineKeepsFile()
    {
        const QByteArray huge(10 * 1024 * 1024, 'z');
        const QByteArray before = "[s]\r\nbig=" + huge + "\r\nk=1\r\n";
        Profile profile(fileWith(before));
        QCOMPARE(profile.readText("s", "big", "").size(), Profile::MaxTextLength);
        QCOMPARE(profile.readInteger("s", "big", 4), 4);
        profile.writeInteger("s", "k", 2);
        QVERIFY(profile.save().isOk());
        QCOMPARE(testutil::readFile(profile.path()), "[s]\r\nbig=" + huge + "\r\nk=2\r\n");
    }

    void unchangedValuesWriteNothing()
    {
        const QString path = fileWith("[s]\nk=1\n");
        Profile profile(path);
        profile.writeInteger("s", "k", 1);
        QVERIFY(!profile.isModified());
        QVERIFY(profile.save().isOk());
        QCOMPARE(testutil::readFile(path), QByteArray("[s]\nk=1\n"));
    }

    void refusedWriteKeepsOldFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("folder missing") << "missing";
        QTest::newRow("read-only folder") << "readonly";
        QTest::newRow("disk full") << "full";
        QTest::newRow("too large to read") << "large";
        QTest::newRow("a folder of that name") << "folder";
        QTest::newRow("unreadable file") << "unreadable";
        QTest::newRow("too many lines") << "lines";
    }
    void refusedWriteKeepsOldFile()
    {
        QFETCH(QString, how);
        const QByteArray before = "[s]\r\nk=1\r\n";
        QString path = fileWith(before);
        if (how == "missing")
            path = m_dir->filePath("no/such/folder/t.ini");
        if (how == "large")
            testutil::writeFile(path, before + QByteArray(Profile::MaxFileSize, ';'));
        if (how == "lines")
            testutil::writeFile(path, before + QByteArray(Profile::MaxLines, '\n'));
        if (how == "folder") {
            path = m_dir->filePath("dir.ini");
            QDir().mkpath(path);
        }
        QVERIFY(giveToUnprivileged(m_dir->path()));
        if (how == "readonly")
            QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray onDisk = testutil::readFile(path);
        if (how == "unreadable")
            QFile::setPermissions(path, QFileDevice::Permissions());
        // Permissions bind only an unprivileged user.
        const bool refused = passesUnprivileged([&] {
            Profile profile(path);
            profile.writeText("s", "k", QString(100000, 'n'));
            ProfileStatus status;
            if (how == "full") {
                // A file size limit makes the write fail the way a full disk does.
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit old;
                ::getrlimit(RLIMIT_FSIZE, &old);
                rlimit small = old;
                small.rlim_cur = 4096;
                ::setrlimit(RLIMIT_FSIZE, &small);
                status = profile.save();
                ::setrlimit(RLIMIT_FSIZE, &old);
            } else {
                status = profile.save();
            }
            QCOMPARE(status.code(), ProfileStatus::WriteRefused);
            QCOMPARE(status.message(), "Unable to write to " + QDir::toNativeSeparators(path));
            QVERIFY(profile.isModified());
        });
        QFile::setPermissions(
            m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (how == "unreadable")
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(refused);
        QCOMPARE(testutil::readFile(path), onDisk);
        // Only t.ini: no temporary file left behind.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void symbolicLinkIsReadButNeverWrittenThrough()
    {
        const QString target = fileWith("[s]\r\nk=1\r\n");
        const QString link = m_dir->filePath("link.ini");
        QVERIFY(QFile::link(target, link));
        Profile profile(link);
        QCOMPARE(profile.readInteger("s", "k", 0), 1);
        profile.writeInteger("s", "k", 2);
        QVERIFY(profile.save().isOk());
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(testutil::readFile(link), QByteArray("[s]\r\nk=2\r\n"));
        QCOMPARE(testutil::readFile(target), QByteArray("[s]\r\nk=1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
