#include "support/hostiletree.h"
#include "support/processrun.h"

#include <QtTest>

#include <memory>

// tabulon-cli over a tree of links, pipes, a socket, a script and names the catalogue cannot
// hold: every run ends (a hang is cut off and fails), the update names each entry it left
// out with its reason and ends with status 5, and nothing is written outside the root or
// catalogued twice.

namespace
{

// A run over this small tree takes well under a second, also under the sanitizers.
constexpr int kRunMs = 20000;
constexpr int kSkippedStatus = 5;

struct Skip {
    QString path; // below the root, as the tool prints it
    QString reason; // a part of the reason's text
    bool isFolder;
};

// Everything of the hostile tree that the update must report.
QList<Skip> expectedSkips()
{
    return {
        { "bad\\nfolder", "control character", true },
        { "Docs/dangling.txt", "leads nowhere", false },
        { "Docs/pipe.fifo", "no regular file", false },
        { "Docs/sock.sock", "no regular file", false },
        { "Odd/new\\nline.txt", "control character", false },
        { "Odd/tab\\there.txt", "control character", false },
        { "Odd/back\\\\slash.txt", "backslash", false },
        { "Odd/latin\\xE9.txt", "not valid UTF-8", false },
        { QStringLiteral("Odd/\u0394elta.txt"), "outside Windows-1252", false },
        { "Odd/" + QString(77, QLatin1Char('n')) + ".txt", "longer than 80", false },
        { "Odd/blank.txt ", "ends in a blank", false },
        { QStringLiteral("Odd/\u0394ir"), "outside Windows-1252", true },
    };
}

// What dump lists after update --all: DIR and NAME of every record.
const QStringList kCatalogued = {
    "DOCS\\\ta.txt",
    "DOCS\\\tit's.txt",
    "DOCS\\\tplain.txt",
    "DOCS\\\trun.sh",
    "DOCS\\\tsay \"hi\".txt",
    "DOCS\\\tto-outside.txt",
    "DOCS\\\tto-plain.txt",
    "LINKED\\\tl.txt",
    "ODD\\\tok.txt",
    "PIPES\\\tp.txt",
};

} // namespace

class TestCliHostile : public QObject
{
    Q_OBJECT
    std::unique_ptr<HostileTree> m_tree;

    QString table() const { return m_tree->root() + QStringLiteral("T.dbf"); }
    ProcessRun cli(const QStringList &args) const
    {
        return runCli(QStringList { args.first(), table() } + args.mid(1),
            QProcessEnvironment::systemEnvironment(), kRunMs);
    }
    // Nothing outside the root, and no file the script would have left.
    QStringList outsideTheRoot() const
    {
        return HostileTree::snapshot(m_tree->base(), { QStringLiteral("root") });
    }
    // The root's entries but the catalogue's own files.
    QStringList insideTheRoot() const
    {
        return HostileTree::snapshot(
            m_tree->root(), { QStringLiteral("T.dbf"), QStringLiteral("T.mdx") });
    }
    QStringList dumped() const
    {
        const ProcessRun r = cli({ QStringLiteral("dump") });
        QStringList rows;
        for (const QString &line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            rows << line.section(QLatin1Char('\t'), 0, 1);
        rows.sort();
        return rows;
    }
    void verifyListed(const ProcessRun &r, const QList<Skip> &skips) const
    {
        for (const Skip &s : skips) {
            const QString line = QStringLiteral("tabulon-cli: skipped: %1  '%2%3'  cannot be "
                                                "catalogued: ")
                                     .arg(s.isFolder ? "Folder" : "File", m_tree->root(), s.path);
            const qsizetype at = r.err.indexOf(line);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("not listed: ") + line + "\n" + r.err));
            const QString reason = r.err.mid(at + line.size()).section(QLatin1Char('\n'), 0, 0);
            QVERIFY2(reason.contains(s.reason), qPrintable(reason));
        }
        QCOMPARE(int(r.err.count(QStringLiteral("tabulon-cli: skipped: "))), int(skips.size()));
    }

private slots:
    void init()
    {
        m_tree = std::make_unique<HostileTree>();
        QVERIFY2(m_tree->make(), qPrintable(m_tree->error()));
        QCOMPARE(cli({ QStringLiteral("create") }).exitCode, 0);
    }
    void cleanup() { m_tree.reset(); }

    void updateNamesEverySkippedEntry_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("folder"); // empty: every folder
        QTest::addColumn<int>("appended");
        QTest::addColumn<int>("status");
        QTest::newRow("all") << QStringList { "--all" } << QString() << 10 << kSkippedStatus;
        QTest::newRow("odd names")
            << QStringList { "--folder", "Odd" } << "Odd" << 1 << kSkippedStatus;
        QTest::newRow("links and special files")
            << QStringList { "--folder", "Docs" } << "Docs" << 7 << kSkippedStatus;
        QTest::newRow("links to folders only")
            << QStringList { "--folder", "Links" } << "Links" << 0 << 0;
    }
    void updateNamesEverySkippedEntry()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, folder);
        QFETCH(int, appended);
        QFETCH(int, status);
        QList<Skip> skips;
        for (const Skip &s : expectedSkips())
            if (folder.isEmpty() || (!s.isFolder && s.path.startsWith(folder + QLatin1Char('/'))))
                skips << s;
        const QStringList outside = outsideTheRoot();
        const QStringList inside = insideTheRoot();

        const ProcessRun r = cli(QStringList { QStringLiteral("update"), "--quiet" } + args);
        QCOMPARE(r.exitCode, status);
        QCOMPARE(r.out,
            QStringLiteral("%1 appended, 0 refreshed, 0 deleted, %2 skipped\n")
                .arg(appended)
                .arg(skips.size()));
        verifyListed(r, skips);
        QCOMPARE(outsideTheRoot(), outside);
        QCOMPARE(insideTheRoot(), inside);
    }

    // Updates again find nothing new, the records stay one per file, and the reading
    // commands work on the catalogue as on any other.
    void catalogueStaysWholeAndSound()
    {
        const QStringList outside = outsideTheRoot();
        QCOMPARE(
            cli({ QStringLiteral("update"), QStringLiteral("--all") }).exitCode, kSkippedStatus);
        const ProcessRun again = cli({ QStringLiteral("update"), QStringLiteral("--all") });
        QCOMPARE(again.exitCode, kSkippedStatus);
        QCOMPARE(again.out, QStringLiteral("0 appended, 0 refreshed, 0 deleted, 12 skipped\n"));
        QCOMPARE(dumped(), kCatalogued);

        ProcessRun r = cli({ QStringLiteral("search"), QStringLiteral("\"hi\"") });
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.count(QLatin1Char('\n')), 1);
        QVERIFY2(r.out.contains(QStringLiteral("say \"hi\".txt")), qPrintable(r.out));
        r = cli({ QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("csv") });
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.count(QStringLiteral("\r\n")), int(kCatalogued.size()) + 1);
        QCOMPARE(cli({ QStringLiteral("check") }).exitCode, 0);
        QCOMPARE(outsideTheRoot(), outside);
    }

    // The runs that read long texts and Descript.ion files meet a pipe among them and a
    // Descript.ion that leads out of the root: they end, and write nothing outside it.
    void readersEndOnPipesAndWriteNothingOutside()
    {
        const QStringList outside = outsideTheRoot();
        ProcessRun r = cli({ QStringLiteral("update"), QStringLiteral("--all"),
            QStringLiteral("--descriptions"), QStringLiteral("--quiet") });
        QVERIFY2(r.exitCode == kSkippedStatus || r.exitCode == 2 || r.exitCode == 4,
            qPrintable(QString::number(r.exitCode) + QLatin1Char(' ') + r.err));
        if (r.exitCode != kSkippedStatus)
            QVERIFY2(r.err.contains(QStringLiteral("Descript.ion")), qPrintable(r.err));
        QCOMPARE(outsideTheRoot(), outside);
        QCOMPARE(dumped(), kCatalogued);

        r = cli({ QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("jsonl"),
            QStringLiteral("--with-text") });
        // The text that is a pipe is left out and named: the export is done, with a skip.
        QCOMPARE(r.exitCode, kSkippedStatus);
        QVERIFY2(r.err.contains(QStringLiteral("text not exported")), qPrintable(r.err));
        QCOMPARE(r.out.count(QLatin1Char('\n')), int(kCatalogued.size()));
        r = cli({ QStringLiteral("search"), QStringLiteral("long"), QStringLiteral("--in-text") });
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QStringLiteral("\tplain.txt\t")), qPrintable(r.out));
        r = cli({ QStringLiteral("update"), QStringLiteral("--folder"), QStringLiteral("Pipes"),
            QStringLiteral("--descriptions") });
        QVERIFY2(r.exitCode >= 0, qPrintable(r.err));
        QCOMPARE(outsideTheRoot(), outside);
        QVERIFY(!QFileInfo::exists(m_tree->scriptMarker()));
    }
};

QTEST_GUILESS_MAIN(TestCliHostile)
#include "tst_clihostile.moc"
