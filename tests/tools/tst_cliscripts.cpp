#include "platform/profile.h"
#include "store/catalogtable.h"
#include "support/processrun.h"
#include "support/testutil.h"

#include <QProcess>
#include <QtTest>

// tabulon-cli as scripts use it: update, search and export end to end on a small tree,
// through the built tool.

namespace
{

ProcessRun cli(const QStringList &args)
{
    return runCli(args);
}

} // namespace

class TestCliScripts : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    QString root() const { return m_dir->path() + QStringLiteral("/root/"); }
    QString table() const { return root() + QStringLiteral("Arch.dbf"); }
    void file(const QString &rel, const QByteArray &bytes = "x")
    {
        QVERIFY(testutil::writeFile(root() + rel, bytes));
    }
    QStringList dumpLines(const QStringList &extra = {})
    {
        const ProcessRun r = cli(QStringList { QStringLiteral("dump"), table() } + extra);
        return r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    void tagFile(const QString &name, const QString &tags)
    {
        DbfTable t;
        QVERIFY(t.open(table(), CatalogTable::tags(), CatalogTable::layout()));
        for (DbStatus st = t.first(); st && !t.eof(); st = t.next())
            if (t.fieldText(CatalogTable::NAME) == name) {
                QVERIFY(t.edit());
                t.setFieldText(CatalogTable::CODE, tags);
                QVERIFY(t.post());
            }
        QVERIFY(t.close());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        file(QStringLiteral("Fotos/2019/strand, \"blau\".jpg"), "12345");
        file(QStringLiteral("Fotos/2019/berg.jpg"));
        file(QStringLiteral("Fotos/2019/berg.jpg.!"), "Lange Zeile\r\n<b>zwei</b> & \xe9t\xe9\r\n");
        file(QStringLiteral("Texte/brief.txt"));
        file(QStringLiteral("top.txt"));
        QCOMPARE(cli({ QStringLiteral("create"), table() }).exitCode, 0);
    }

    // An update adds, a second one changes nothing, a removed file's record goes; the root
    // folder's own files (the table among them) are never catalogued.
    void updateAllThenChanges()
    {
        ProcessRun r = cli({ QStringLiteral("update"), table(), QStringLiteral("--all") });
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("3 appended, 0 refreshed, 0 deleted, 0 skipped\n"));
        QCOMPARE(dumpLines().size(), 3);
        r = cli({ QStringLiteral("update"), table(), QStringLiteral("--quiet") });
        QCOMPARE(r.out, QStringLiteral("0 appended, 0 refreshed, 0 deleted, 0 skipped\n"));
        QVERIFY(QFile::remove(root() + QStringLiteral("Texte/brief.txt")));
        file(QStringLiteral("Texte/neu.txt"));
        r = cli({ QStringLiteral("update"), table(), QStringLiteral("--folder"),
            QStringLiteral("texte") });
        QCOMPARE(r.out, QStringLiteral("1 appended, 0 refreshed, 1 deleted, 0 skipped\n"));
        QCOMPARE(dumpLines({ QStringLiteral("--folder"), QStringLiteral("Texte") }).size(), 1);
    }

    // Names that differ only in case: one is catalogued and stays so, the other is named on
    // standard error and counted as skipped (status 5), never merged into its record.
    void updateReportsCaseTwins_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("skipped");
        QTest::newRow("all") << QStringList { "--all" } << 2;
        QTest::newRow("folder") << QStringList { "--folder", "Texte" } << 1;
    }
    void updateReportsCaseTwins()
    {
        QFETCH(QStringList, args);
        QFETCH(int, skipped);
        file(QStringLiteral("Texte/Index.html"), "1");
        file(QStringLiteral("Texte/index.html"), "22");
        file(QStringLiteral("Texte/Alt/a.txt"));
        file(QStringLiteral("Texte/alt/b.txt"));
        for (int round = 0; round < 2; ++round) {
            const ProcessRun r = cli(QStringList { QStringLiteral("update"), table() } + args);
            QCOMPARE(r.exitCode, 5);
            QVERIFY2(r.out.endsWith(
                         QStringLiteral(" 0 refreshed, 0 deleted, %1 skipped\n").arg(skipped)),
                qPrintable(r.out));
            QVERIFY2(r.err.contains(QStringLiteral("tabulon-cli: skipped: File  '%1Texte/"
                                                   "index.html'  cannot be catalogued: its name "
                                                   "differs only in case from 'Index.html'\n")
                                        .arg(root())),
                qPrintable(r.err));
            QCOMPARE(r.err.count(QStringLiteral("differs only in case from 'Alt'")), skipped - 1);
            const QStringList texte
                = dumpLines({ QStringLiteral("--folder"), QStringLiteral("Texte") });
            QCOMPARE(texte.size(), 2); // brief.txt and the twin kept, with its own size
            const QStringList kept = texte.filter(QStringLiteral("\tIndex.html\t"));
            QVERIFY2(kept.size() == 1 && kept[0].endsWith(QStringLiteral("\t1 B")),
                qPrintable(texte.join('\n')));
        }
    }

    // Deleted records count for the next reorganisation in the settings file of the archive
    // that names the table: the one beside a portable copy of the tool.
    void deletedCountKeptInTheArchiveFile()
    {
        const QString program = m_dir->path() + QStringLiteral("/program/");
        QVERIFY(QDir().mkpath(program));
        QVERIFY(QFile::copy(QStringLiteral(TABULON_CLI), program + QStringLiteral("tabulon-cli")));
        QVERIFY(QFile::setPermissions(program + QStringLiteral("tabulon-cli"),
            QFile::permissions(QStringLiteral(TABULON_CLI))));
        QVERIFY(testutil::writeFile(program + QStringLiteral("arch.ini"),
            "[Local]\r\nPath=" + root().toUtf8() + "\r\nDel=5\r\n"));
        const QString tool = program + QStringLiteral("tabulon-cli");
        QCOMPARE(runProcess(tool, { QStringLiteral("update"), table() }).exitCode, 0);
        QVERIFY(QFile::remove(root() + QStringLiteral("Fotos/2019/berg.jpg")));
        const ProcessRun r = runProcess(tool, { QStringLiteral("update"), table() });
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QLatin1String("1 deleted")), qPrintable(r.out));
        const Profile settings(program + QStringLiteral("arch.ini"));
        QCOMPARE(settings.readInteger(QStringLiteral("Local"), QStringLiteral("Del"), 0), 6);
    }

    void search_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("name, any case") << QStringList { "BERG" } << QStringList { "berg.jpg" };
        QTest::newRow("long text only with --in-text") << QStringList { "zwei" } << QStringList {};
        QTest::newRow("long text")
            << QStringList { "zwei", "--in-text" } << QStringList { "berg.jpg" };
        QTest::newRow("tag") << QStringList { "Q" } << QStringList { "brief.txt" };
        QTest::newRow("tag filter") << QStringList { "jpg", "--tags", "-Q" }
                                    << QStringList { "berg.jpg", "strand, \"blau\".jpg" };
        QTest::newRow("one folder")
            << QStringList { "txt", "--folder", "Texte" } << QStringList { "brief.txt" };
        QTest::newRow("folder of that name")
            << QStringList { "2019\\" } << QStringList { "berg.jpg", "strand, \"blau\".jpg" };
    }
    void search()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, names);
        QCOMPARE(cli({ QStringLiteral("update"), table() }).exitCode, 0);
        tagFile(QStringLiteral("brief.txt"), QStringLiteral("Q"));

        const ProcessRun r = cli(QStringList { QStringLiteral("search"), table() } + args);
        // As grep: 1 when nothing matched.
        QCOMPARE(r.exitCode, names.isEmpty() ? 1 : 0);
        QStringList found;
        for (const QString &line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            found << line.section(QLatin1Char('\t'), 1, 1);
        QCOMPARE(found, names);
    }

    // What export writes, read back by Python's own csv and json modules.
    void exportReadBackByPython_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("reader");
        QTest::newRow("csv") << "csv"
                             << "import csv,sys; rows=list(csv.reader(open(sys.argv[1], "
                                "newline='', encoding='utf-8'))); print(rows[0]); "
                                "[print(r) for r in sorted(rows[1:])]";
        QTest::newRow("json") << "json"
                              << "import json,sys; rows=json.load(open(sys.argv[1], "
                                 "encoding='utf-8')); print(list(rows[0].keys())); "
                                 "[print(list(r.values())) for r in sorted(rows, key=lambda r: "
                                 "list(r.values()))]";
        QTest::newRow("jsonl") << "jsonl"
                               << "import json,sys; rows=[json.loads(l) for l in open(sys.argv[1], "
                                  "encoding='utf-8')]; print(list(rows[0].keys())); "
                                  "[print(list(r.values())) for r in sorted(rows, key=lambda r: "
                                  "list(r.values()))]";
    }
    void exportReadBackByPython()
    {
        QFETCH(QString, format);
        QFETCH(QString, reader);
        QCOMPARE(cli({ QStringLiteral("update"), table() }).exitCode, 0);
        const QString out = m_dir->filePath(QStringLiteral("out.") + format);
        QCOMPARE(cli({ QStringLiteral("export"), table(), QStringLiteral("--format"), format,
                         QStringLiteral("--with-text"), QStringLiteral("-o"), out })
                     .exitCode,
            0);
        const ProcessRun py
            = runProcess(QStringLiteral("python3"), { QStringLiteral("-c"), reader, out });
        QVERIFY2(py.exitCode == 0, qPrintable(py.err));
        const QStringList lines = py.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0],
            QStringLiteral("['folder', 'name', 'date', 'note', 'tags', 'size', 'path', 'text']"));
        QVERIFY2(lines[1].startsWith(QStringLiteral("['FOTOS\\\\2019\\\\', 'berg.jpg', '")),
            qPrintable(lines[1]));
        QVERIFY2(lines[1].endsWith(QStringLiteral("'Lange Zeile\\n<b>zwei</b> & \u00e9t\u00e9']")),
            qPrintable(lines[1]));
        QVERIFY2(lines[2].contains(QStringLiteral("'strand, \"blau\".jpg'")), qPrintable(lines[2]));
    }

    void htmlPageEscapesAndGroupsByFolder()
    {
        QCOMPARE(cli({ QStringLiteral("update"), table() }).exitCode, 0);
        const ProcessRun r = cli({ QStringLiteral("export"), table(), QStringLiteral("--format"),
            QStringLiteral("html"), QStringLiteral("--with-text") });
        QCOMPARE(r.exitCode, 0);
        const QString page = r.out;
        QCOMPARE(page.count(QStringLiteral("<table>")), 2);
        QVERIFY(page.contains(QStringLiteral("&lt;b&gt;zwei&lt;/b&gt; &amp; \u00e9t\u00e9")));
        QVERIFY(page.contains(QStringLiteral("strand, &quot;blau&quot;.jpg")));
        QVERIFY(!page.contains(QStringLiteral("<b>")));
    }
};

QTEST_GUILESS_MAIN(TestCliScripts)
#include "tst_cliscripts.moc"
