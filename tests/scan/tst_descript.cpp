#include "platform/diskpath.h"
#include "scan/descript.h"
#include "scan/infofile.h"
#include "scan/textfile.h"
#include "support/hostileentry.h"
#include "support/runasuser.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

class TestDescript : public QObject
{
    Q_OBJECT
private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_root;

    QString path(const QString &relative) const { return m_root + QLatin1Char('/') + relative; }
    DescriptionList readBytes(const QByteArray &bytes, DbStatus *status = nullptr)
    {
        testutil::writeFile(path(QStringLiteral("Descript.ion")), bytes);
        DescriptionList list;
        const DbStatus st = readFolderDescriptions(path(QStringLiteral("Descript.ion")), list);
        if (status)
            *status = st;
        return list;
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path();
    }

    void parseLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("unquoted") << QByteArray("photo.jpg Summer 2019") << "photo.jpg"
                                  << "Summer 2019";
        QTest::newRow("quoted") << QByteArray("\"my photo.jpg\" Beach") << "my photo.jpg"
                                << "Beach";
        QTest::newRow("line-break marks")
            << QByteArray("a.jpg Line one\\nLine two\x04\xC2") << "a.jpg"
            << "Line one Line two";
        QTest::newRow("upper-case mark") << QByteArray("a.jpg x\\Ny") << "a.jpg"
                                         << "x y";
        QTest::newRow("no blank") << QByteArray("photo.jpg") << ""
                                  << "";
        QTest::newRow("quotes inside unquoted")
            << QByteArray("photo.jpg My \"best\" shot") << "photo.jpg"
            << "My \"best\" shot";
        QTest::newRow("quote never closed") << QByteArray("\"my photo.jpg\"") << "\"my"
                                            << "photo.jpg\"";
        QTest::newRow("blanks and controls trimmed")
            << QByteArray("a.txt  \t desc \x01\x1f") << "a.txt"
            << "desc";
        QTest::newRow("Windows-1252") << QByteArray("caf\xe9.txt \x80 5") << "caf\u00e9.txt"
                                      << "\u20ac 5";
        QTest::newRow("cut at 250") << (QByteArray("a.txt ") + QByteArray(300, 'x')) << "a.txt"
                                    << QString(250, QLatin1Char('x'));
        QTest::newRow("cut before cleaning")
            << (QByteArray("a.txt ") + QByteArray(249, 'x') + "\\n") << "a.txt"
            << QString(249, QLatin1Char('x')) + QLatin1Char('\\');
    }
    void parseLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, name);
        QFETCH(QString, text);
        const Description d = parseDescriptionLine(line);
        QCOMPARE(d.name, name);
        QCOMPARE(d.text, text);
    }

    void readsAnyLineEndAndLastWins()
    {
        const DescriptionList list
            = readBytes("a.txt one\r\nb.txt two\nnoblank\rA.TXT three\r\n\r\nc.txt last");
        QCOMPARE(int(list.size()), 4);
        QCOMPARE(list[3].name, QStringLiteral("c.txt"));
        QCOMPARE(list[3].text, QStringLiteral("last"));
        const DescriptionLookup lookup(list);
        QString text;
        QVERIFY(lookup.find(QStringLiteral("a.txt"), &text));
        QCOMPARE(text, QStringLiteral("three"));
        QVERIFY(!lookup.find(QStringLiteral("noblank"), &text));
    }

    void crLfAcrossTheReadBuffer()
    {
        // The CR is the last byte of the first 64 KiB block, its LF the first of the next.
        QByteArray first = "a.txt ";
        first += QByteArray(65535 - first.size(), 'x');
        const DescriptionList list = readBytes(first + "\r\nb.txt B\r\n");
        QCOMPARE(int(list.size()), 2);
        QCOMPARE(list[0].text.size(), kMaxDescriptionLength);
        QCOMPARE(list[1].name, QStringLiteral("b.txt"));
    }

    void badInputDoesNoHarm_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("minimum"); // pairs that must still be read
        QByteArray garbage(100000, 0);
        QRandomGenerator rng(42);
        for (char &c : garbage)
            c = char(rng.bounded(256));
        QTest::newRow("binary garbage") << garbage << 0;
        QTest::newRow("garbage then a line") << garbage + "\nz.txt Z\n" << 1;
        QTest::newRow("enormous line")
            << QByteArray("big.txt ") + QByteArray(3000000, 'y') + "\nz.txt Z" << 2;
        QTest::newRow("nul bytes") << QByteArray("a.txt x\0y\r\nz.txt Z", 19) << 2;
        QTest::newRow("empty file") << QByteArray() << 0;
    }
    void badInputDoesNoHarm()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, minimum);
        DbStatus st;
        const DescriptionList list = readBytes(bytes, &st);
        QVERIFY(st);
        QVERIFY(int(list.size()) >= minimum);
        for (const Description &d : list)
            QVERIFY(d.text.size() <= kMaxDescriptionLength);
        if (minimum > 0)
            QCOMPARE(list.back().text, QStringLiteral("Z"));
    }

    void missingAndOversizedFiles()
    {
        DescriptionList list { { QStringLiteral("x"), QStringLiteral("y") } };
        QCOMPARE(
            readFolderDescriptions(path(QStringLiteral("none")), list).code(), DbStatus::NotFound);
        QVERIFY(list.empty());
        QFile big(path(QStringLiteral("Descript.ion")));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(kMaxDescriptionFileSize + 1));
        big.close();
        QCOMPARE(readFolderDescriptions(big.fileName(), list).code(), DbStatus::IoError);
        QVERIFY(list.empty());
    }

    void writesFromTheRecords()
    {
        QVERIFY(QDir().mkpath(path(QStringLiteral("Photos"))));
        const PathResolver resolver(m_root);
        const DescriptionList records = { { QStringLiteral("a.txt"), QStringLiteral("Alpha") },
            { QStringLiteral("b c.txt"), QStringLiteral("Beta") },
            { QStringLiteral("d.txt"), QString() },
            { QStringLiteral("\u00e9.txt"), QStringLiteral("two\r\nlines") } };
        QVERIFY(writeFolderDescriptions(resolver, QStringLiteral("PHOTOS\\"), records));
        QCOMPARE(testutil::readFile(path(QStringLiteral("Photos/Descript.ion"))),
            QByteArray("a.txt Alpha\r\n\"b c.txt\" Beta\r\n\xe9.txt two  lines\r\n"));

        DescriptionList back;
        QVERIFY(readFolderDescriptions(
            descriptionFilePath(resolver, QStringLiteral("PHOTOS\\")), back));
        QCOMPARE(int(back.size()), 3);
        QCOMPARE(back[1].name, QStringLiteral("b c.txt"));
        QCOMPARE(back[2].text, QStringLiteral("two  lines"));

        // Only empty notes: an empty file, not none.
        QVERIFY(writeFolderDescriptions(
            resolver, QStringLiteral("PHOTOS\\"), { { QStringLiteral("d.txt"), {} } }));
        QCOMPARE(QFileInfo(path(QStringLiteral("Photos/Descript.ion"))).size(), 0);
    }

    void existingFileKeepsItsCase()
    {
        QVERIFY(testutil::writeFile(path(QStringLiteral("DESCRIPT.ION")), "old.txt Old\r\n"));
        const PathResolver resolver(m_root);
        QVERIFY(writeFolderDescriptions(
            resolver, QString(), { { QStringLiteral("a.txt"), QStringLiteral("A") } }));
        QCOMPARE(
            testutil::readFile(path(QStringLiteral("DESCRIPT.ION"))), QByteArray("a.txt A\r\n"));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("Descript.ion"))));
    }

    void folderWithoutRecordsLosesItsFiles()
    {
        QVERIFY(testutil::writeFile(path(QStringLiteral("Sub/descript.ion")), "a.txt A\r\n"));
        QVERIFY(testutil::writeFile(path(QStringLiteral("Sub/!Tabulon.!")), "x"));
        QVERIFY(testutil::writeFile(path(QStringLiteral("Sub/keep.txt")), "x"));
        QVERIFY(writeFolderDescriptions(PathResolver(m_root), QStringLiteral("SUB\\"), {}));
        QCOMPARE(QDir(path(QStringLiteral("Sub"))).entryList(QDir::Files),
            QStringList { QStringLiteral("keep.txt") });
        QVERIFY(writeFolderDescriptions(PathResolver(m_root), QStringLiteral("GONE\\"), {}));
    }

    void failedWriteKeepsTheOldFile()
    {
        const QString file = path(QStringLiteral("Descript.ion"));
        QVERIFY(testutil::writeFile(file, "old.txt Old\r\n"));
        QVERIFY(testutil::writeFile(path(QStringLiteral("old.txt.!")), "old text\r\n"));
        // The files may be written, their folder not: no new file can be put in place.
        QVERIFY(giveToUnprivileged(m_root));
        QVERIFY(QFile::setPermissions(m_root, QFile::ReadOwner | QFile::ExeOwner));
        const int result = runUnprivileged([this] {
            const PathResolver resolver(m_root);
            if (writeFolderDescriptions(
                    resolver, QString(), { { QStringLiteral("a.txt"), QStringLiteral("A") } })
                    .code()
                != DbStatus::IoError)
                return 1;
            const QString info
                = infofile::infoFilePath(resolver, QString(), QStringLiteral("old.txt"));
            return infofile::writeInfoText(info, QStringLiteral("new")).code() == DbStatus::IoError
                ? 0
                : 2;
        });
        QVERIFY(
            QFile::setPermissions(m_root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(result, 0);
        QCOMPARE(testutil::readFile(file), QByteArray("old.txt Old\r\n"));
        QCOMPARE(testutil::readFile(path(QStringLiteral("old.txt.!"))), QByteArray("old text\r\n"));
    }

    void unreadableFilesAreReported()
    {
        const QString file = path(QStringLiteral("Descript.ion"));
        QVERIFY(testutil::writeFile(file, "a.txt A\r\n"));
        QVERIFY(testutil::writeFile(path(QStringLiteral("a.txt.!")), "text\r\n"));
        QVERIFY(giveToUnprivileged(m_root));
        QVERIFY(QFile::setPermissions(file, {}));
        QVERIFY(QFile::setPermissions(path(QStringLiteral("a.txt.!")), {}));
        const int result = runUnprivileged([this, file] {
            DescriptionList list;
            if (readFolderDescriptions(file, list).code() != DbStatus::IoError || !list.empty())
                return 1;
            QStringList lines;
            return infofile::readInfoFile(path(QStringLiteral("a.txt.!")), lines).code()
                    == DbStatus::IoError
                ? 0
                : 2;
        });
        QCOMPARE(result, 0);
    }

    void infoFiles()
    {
        QVERIFY(testutil::writeFile(path(QStringLiteral("Photos/photo.jpg")), "x"));
        const PathResolver resolver(m_root);
        const QString info = infofile::infoFilePath(
            resolver, QStringLiteral("PHOTOS\\"), QStringLiteral("photo.jpg"));
        QCOMPARE(info, path(QStringLiteral("Photos/photo.jpg.!")));

        QVERIFY(infofile::writeInfoText(info, QStringLiteral("one\ntwo\n")));
        QCOMPARE(testutil::readFile(info), QByteArray("one\r\ntwo\r\n"));
        QStringList lines;
        QVERIFY(infofile::readInfoFile(info, lines));
        QCOMPARE(lines, (QStringList { QStringLiteral("one"), QStringLiteral("two") }));

        QVERIFY(testutil::writeFile(info, "a\nb\rc\r\n\r\nd\x80"));
        QVERIFY(infofile::readInfoFile(info, lines));
        QCOMPARE(lines, (QStringList { "a", "b", "c", "", QStringLiteral("d\u20ac") }));

        bool lossy = false;
        QVERIFY(infofile::writeInfoFile(info, { QStringLiteral("\u65e5 ok") }, &lossy));
        QVERIFY(lossy);
        QCOMPARE(testutil::readFile(info), QByteArray("? ok\r\n"));

        QVERIFY(infofile::writeInfoText(info, QString()));
        QVERIFY(!QFileInfo::exists(info));
        QVERIFY(infofile::writeInfoFile(info, {})); // nothing to delete is no failure
        QCOMPARE(infofile::readInfoFile(info, lines).code(), DbStatus::NotFound);
        QVERIFY(lines.isEmpty());
    }

    void paneFormOfATextInPieces_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one line without end") << QByteArray("abc");
        QTest::newRow("one line") << QByteArray("abc\r\n");
        QTest::newRow("empty last line") << QByteArray("a\r\n\r\n");
        QTest::newRow("mixed ends") << QByteArray("a\rb\nc\r\nd\n\re");
        QTest::newRow("only line ends") << QByteArray("\r\n\n\r\r");
        QTest::newRow("CR before CR LF") << QByteArray("x\r\r\ny\n");
    }
    void paneFormOfATextInPieces()
    {
        QFETCH(QByteArray, bytes);
        const QByteArray pane = textfile::splitLines(bytes).join('\n');
        QByteArray trimmed = pane;
        while (trimmed.endsWith('\n'))
            trimmed.chop(1);
        // Whatever the pieces, also one that ends between CR and LF.
        for (int piece = 1; piece <= std::max<int>(1, int(bytes.size())); ++piece) {
            textfile::LineEndJoiner joiner;
            QByteArray out;
            for (int at = 0; at < bytes.size(); at += piece)
                joiner.add(
                    bytes.constData() + at, std::min<int>(piece, int(bytes.size()) - at), out);
            QCOMPARE(out, trimmed);
            joiner.finish(out);
            QCOMPARE(out, pane);
        }
    }

    void linksAndSpecialFilesInTheTree_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("descriptionsRead"); // the link's target read
        QTest::addColumn<bool>("descriptionsWritten"); // in place of the link
        QTest::newRow("link to a file outside") << int(HostileEntry::LinkOutside) << true << true;
        QTest::newRow("link to a device") << int(HostileEntry::LinkToDevice) << false << true;
        QTest::newRow("dangling link") << int(HostileEntry::DanglingLink) << false << true;
        QTest::newRow("FIFO") << int(HostileEntry::Fifo) << false << false;
    }
    void linksAndSpecialFilesInTheTree()
    {
        QFETCH(int, kind);
        QFETCH(bool, descriptionsRead);
        QFETCH(bool, descriptionsWritten);
        const HostileEntry entry(path(QStringLiteral(".out")));
        const QString descript = path(QStringLiteral("Descript.ion"));
        const QString info = path(QStringLiteral("a.txt.!"));
        QVERIFY(entry.make(HostileEntry::Kind(kind), descript));
        QVERIFY(entry.make(HostileEntry::Kind(kind), info));

        // What is no file reads as none, without waiting for a writer.
        DescriptionList list;
        DbStatus st = readFolderDescriptions(descript, list);
        QCOMPARE(st.isOk(), descriptionsRead);
        QCOMPARE(list.size(), size_t(descriptionsRead ? 1 : 0));
        if (kind == HostileEntry::Fifo)
            QVERIFY(st.code() == DbStatus::NotFound && st.message().contains("not a regular file"));
        QStringList lines;
        QCOMPARE(infofile::readInfoFile(info, lines).isOk(), descriptionsRead);

        // Descript.ion is made anew: a link goes, what it led to stays as it was.
        st = writeFolderDescriptions(PathResolver(m_root), QString(), { { "a.txt", "A" } });
        QCOMPARE(st.isOk(), descriptionsWritten);
        if (descriptionsWritten)
            QCOMPARE(testutil::readFile(descript), QByteArray("a.txt A\r\n"));
        else
            QVERIFY(HostileEntry::stillThere(HostileEntry::Kind(kind), descript));
        // A long text is the file's own: never written through a link, nor over one.
        st = infofile::writeInfoText(info, QStringLiteral("new"));
        QCOMPARE(st.code(), DbStatus::IoError);
        QVERIFY(st.message().contains(info));
        QVERIFY(HostileEntry::stillThere(HostileEntry::Kind(kind), info));
        QVERIFY(entry.outsideIntact());
    }

    void oversizedInfoFileIsNotLoaded()
    {
        QFile big(path(QStringLiteral("big.txt.!")));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(infofile::kMaxInfoFileSize + 1));
        big.close();
        QStringList lines { QStringLiteral("stale") };
        QCOMPARE(infofile::readInfoFile(big.fileName(), lines).code(), DbStatus::IoError);
        QVERIFY(lines.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDescript)
#include "tst_descript.moc"
