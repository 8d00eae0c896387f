#include "scan/infofile.h"
#include "support/hostileentry.h"
#include "support/processrun.h"
#include "support/testutil.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

// tabulon-cli over a tree holding links and special files where the catalogue's files
// should be: nothing is written through a link, nothing waits on a FIFO, and a long text of
// any size is searched and exported whole.
class TestCliLinks : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    QString root() const { return m_dir->filePath(QStringLiteral("root/")); }
    QString table() const { return root() + QStringLiteral("T.dbf"); }
    HostileEntry hostile() const { return HostileEntry(m_dir->filePath(QStringLiteral("out"))); }

    // A hang fails the run (exit -1) instead of holding the tests up.
    static ProcessRun cli(const QStringList &args)
    {
        return runCli(args, QProcessEnvironment::systemEnvironment(), 30000);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(testutil::writeFile(root() + QStringLiteral("D/a.txt"), "a"));
        QVERIFY(testutil::writeFile(root() + QStringLiteral("D/b.txt"), "b"));
        QCOMPARE(cli({ QStringLiteral("create"), table() }).exitCode, 0);
        QCOMPARE(cli({ QStringLiteral("update"), table(), QStringLiteral("--all") }).exitCode, 0);
    }

    void indexBehindALink_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("status");
        const QStringList check { "check" }, dump { "dump" }, search { "search", "a.txt" };
        QTest::newRow("check, link outside") << check << int(HostileEntry::LinkOutside) << 0;
        QTest::newRow("dump, link outside") << dump << int(HostileEntry::LinkOutside) << 0;
        QTest::newRow("search, link outside") << search << int(HostileEntry::LinkOutside) << 0;
        QTest::newRow("check, link to a device") << check << int(HostileEntry::LinkToDevice) << 0;
        QTest::newRow("dump, link to a device") << dump << int(HostileEntry::LinkToDevice) << 0;
        QTest::newRow("search, dangling link") << search << int(HostileEntry::DanglingLink) << 0;
        // The index cannot be made anew in a FIFO's place: a reading command reads the table
        // without it and says why, a writing one is refused; neither waits for the FIFO.
        QTest::newRow("dump, FIFO") << dump << int(HostileEntry::Fifo) << 0;
        QTest::newRow("delete, FIFO")
            << QStringList { "delete", "1" } << int(HostileEntry::Fifo) << 4;
    }
    void indexBehindALink()
    {
        QFETCH(QStringList, command);
        QFETCH(int, kind);
        QFETCH(int, status);
        const HostileEntry entry = hostile();
        const QString index = root() + QStringLiteral("T.mdx");
        QVERIFY(QFile::remove(index));
        QVERIFY(entry.make(HostileEntry::Kind(kind), index));
        command.insert(1, table());
        const ProcessRun r = cli(command);
        QCOMPARE(r.exitCode, status);
        QVERIFY(entry.outsideIntact());
        if (kind == HostileEntry::Fifo) {
            QVERIFY2(r.err.contains(QStringLiteral("'T.mdx'")), qPrintable(r.err));
            QVERIFY(HostileEntry::stillThere(HostileEntry::Kind(kind), index));
            QVERIFY(status != 0 || r.out.contains(QStringLiteral("a.txt")));
            return;
        }
        QVERIFY(r.out.contains(QStringLiteral("a.txt")) || command[0] == QLatin1String("check"));
        QVERIFY(QFileInfo(index).isFile() && !QFileInfo(index).isSymLink());
        QCOMPARE(cli({ QStringLiteral("check"), table() }).exitCode, 0);
    }

    void tableBehindALinkIsRefused()
    {
        QVERIFY(QFile::rename(table(), root() + QStringLiteral("real.dbf")));
        QVERIFY(QFile::link(root() + QStringLiteral("real.dbf"), table()));
        const QByteArray before = testutil::readFile(table());
        const ProcessRun r = cli({ QStringLiteral("update"), table(), QStringLiteral("--all") });
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(QStringLiteral("symbolic link")), qPrintable(r.err));
        QCOMPARE(testutil::readFile(table()), before);
    }

    // A FIFO or a device among the texts is no text; Descript.ion behind a link is made
    // anew in the link's place.
    void textsThatAreNoFiles_data()
    {
        QTest::addColumn<QString>("file"); // below the root
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reported"); // on standard error
        const QStringList exportText { "export", "--format", "json", "--with-text" };
        const QStringList searchText { "search", "needle", "--in-text" };
        const QStringList descriptions { "update", "--all", "--descriptions" };
        QTest::newRow("export, FIFO text")
            << "D/a.txt.!" << int(HostileEntry::Fifo) << exportText << 5 << "not a regular file";
        QTest::newRow("export, text linked to a device")
            << "D/a.txt.!" << int(HostileEntry::LinkToDevice) << exportText << 5
            << "not a regular file";
        QTest::newRow("search, FIFO text")
            << "D/a.txt.!" << int(HostileEntry::Fifo) << searchText << 0 << "";
        QTest::newRow("update, FIFO Descript.ion") << "D/Descript.ion" << int(HostileEntry::Fifo)
                                                   << descriptions << 4 << "not a regular file";
        QTest::newRow("update, Descript.ion linked outside")
            << "D/Descript.ion" << int(HostileEntry::LinkOutside) << descriptions << 0 << "";
    }
    void textsThatAreNoFiles()
    {
        QFETCH(QString, file);
        QFETCH(int, kind);
        QFETCH(QStringList, command);
        QFETCH(int, status);
        QFETCH(QString, reported);
        const HostileEntry entry = hostile();
        QVERIFY(entry.make(HostileEntry::Kind(kind), root() + file));
        QVERIFY(testutil::writeFile(root() + QStringLiteral("D/b.txt.!"), "a needle\r\n"));
        command.insert(1, table());
        const ProcessRun r = cli(command);
        QCOMPARE(r.exitCode, status);
        QVERIFY2(r.err.contains(reported), qPrintable(r.err));
        QVERIFY(entry.outsideIntact());
        if (command[0] == QLatin1String("export"))
            QCOMPARE(r.out.count(QStringLiteral("\"text\":\"a needle\"")), 1);
        if (command[0] == QLatin1String("search"))
            QCOMPARE(r.out.count(QLatin1Char('\n')), 1);
        const bool madeAnew = command[0] == QLatin1String("update") && status == 0;
        QCOMPARE(QFileInfo(root() + file).isSymLink(), !madeAnew && kind != HostileEntry::Fifo);
    }

    // Beyond what the program's text pane takes, as a sparse file with the words at its end.
    void largeTextIsSearchedAndExportedWhole()
    {
        const QString text = root() + QStringLiteral("D/a.txt.!");
        QFile big(text);
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(infofile::kMaxInfoFileSize + 4096));
        QVERIFY(big.seek(big.size()) && big.write("the needle at the end\r\n") > 0);
        big.close();
        ProcessRun r = cli({ QStringLiteral("search"), table(), QStringLiteral("needle at"),
            QStringLiteral("--in-text") });
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(QStringLiteral("D\\\ta.txt")), qPrintable(r.out));
        const QString csv = m_dir->filePath(QStringLiteral("out.csv"));
        r = cli({ QStringLiteral("export"), table(), QStringLiteral("--format"),
            QStringLiteral("csv"), QStringLiteral("--with-text"), QStringLiteral("-o"), csv });
        QCOMPARE(r.exitCode, 0);
        QVERIFY(QFileInfo(csv).size() > big.size());
        QFile out(csv);
        QVERIFY(out.open(QIODevice::ReadOnly) && out.seek(out.size() - 100));
        QVERIFY(out.readAll().contains("the needle at the end\"\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliLinks)
#include "tst_clilinks.moc"
