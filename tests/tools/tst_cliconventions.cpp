#include "support/processrun.h"
#include "support/testutil.h"

#include <QDateTime>
#include <QtTest>

// tabulon-cli as scripts expect a command-line tool to behave: options in both forms, exit
// statuses they can branch on, JSON that JSON readers take, and where each file is on disk.

namespace
{

// Reads the JSON (one array) or JSON Lines file given and prints, one line a record in
// name order: name, path relative to the root ("-" for null), bytes, modified; after them
// the keys of the first record.
const char kJsonReader[] = R"(
import json, os, sys
fmt, name, root = sys.argv[1:4]
with open(name, encoding='utf-8') as f:
    rows = json.load(f) if fmt == 'json' else [json.loads(l) for l in f if l.strip()]
for r in sorted(rows, key=lambda r: r['name']):
    p = r['path']
    print(r['name'], '-' if p is None else os.path.relpath(p, root), r.get('bytes'), r.get('modified'), sep='|')
print(','.join(rows[0].keys()) if rows else '')
)";

} // namespace

class TestCliConventions : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    QString root() const { return m_dir->path() + QStringLiteral("/root/"); }
    QString table() const { return root() + QStringLiteral("T.dbf"); }
    QString out() const { return m_dir->filePath(QStringLiteral("out")); }

    // The cli with "@T" standing for the table.
    ProcessRun cli(QStringList args) const
    {
        for (QString &a : args)
            if (a == QLatin1String("@T"))
                a = table();
        return runCli(args);
    }

    void file(const QString &rel, const QByteArray &bytes, const QDateTime &modified = {})
    {
        QVERIFY(testutil::writeFile(root() + rel, bytes));
        if (!modified.isValid())
            return;
        QFile f(root() + rel);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        const QDateTime may(QDate(2019, 5, 1), QTime(10, 0), Qt::UTC);
        file(QStringLiteral("Fotos/Sommer 2019/Berg.jpg"), "12345", may);
        file(QStringLiteral("Fotos/Sommer 2019/see.jpg"), "x");
        file(QStringLiteral("Fotos/Sommer 2019/Wald.jpg"), "1234567", may.addDays(1));
        file(QStringLiteral("Texte/brief.txt"), "Q");
        QCOMPARE(cli({ "create", "@T" }).exitCode, 0);
        QCOMPARE(cli({ "update", "@T" }).exitCode, 0);
        // After the update: one file gone, one renamed in another letter case, and a record
        // whose name would lead out of its folder.
        QVERIFY(QFile::remove(root() + QStringLiteral("Fotos/Sommer 2019/see.jpg")));
        QVERIFY(QFile::rename(root() + QStringLiteral("Fotos/Sommer 2019/Wald.jpg"),
            root() + QStringLiteral("Fotos/Sommer 2019/WALD.JPG")));
        QVERIFY(testutil::writeFile(
            m_dir->filePath(QStringLiteral("rows.tsv")), "TEXTE\\\t../../secret.txt\t\t\t\t\n"));
        QVERIFY(testutil::writeFile(m_dir->filePath(QStringLiteral("secret.txt")), "outside"));
        QCOMPARE(cli({ "import", "@T", m_dir->filePath(QStringLiteral("rows.tsv")) }).exitCode, 0);
    }

    // "--name value" and "--name=value" mean the same; a switch takes no value.
    void optionsInBothForms_data()
    {
        QTest::addColumn<QStringList>("spaced");
        QTest::addColumn<QStringList>("joined");
        QTest::newRow("export --format") << QStringList { "export", "@T", "--format", "jsonl" }
                                         << QStringList { "export", "@T", "--format=jsonl" };
        QTest::newRow("dump --folder with a blank") << QStringList { "dump", "@T", "--folder",
            "fotos/sommer 2019" } << QStringList { "dump", "@T", "--folder=fotos/sommer 2019" };
        QTest::newRow("dump --order") << QStringList { "dump", "@T", "--order", "2" }
                                      << QStringList { "dump", "@T", "--order=2" };
        QTest::newRow("search --tags, a value beginning with -") << QStringList { "search", "@T",
            "jpg", "--tags", "-Q" } << QStringList { "search", "@T", "jpg", "--tags=-Q" };
    }
    void optionsInBothForms()
    {
        QFETCH(QStringList, spaced);
        QFETCH(QStringList, joined);
        const ProcessRun a = cli(spaced);
        const ProcessRun b = cli(joined);
        QCOMPARE(b.exitCode, a.exitCode);
        QCOMPARE(b.out, a.out);
        QCOMPARE(b.err, a.err);
        QVERIFY2(a.exitCode == 0 && !a.out.isEmpty(), qPrintable(a.err));
    }

    // What a script branches on: the status, and whether standard error says why.
    void exitStatuses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // on standard error; empty: nothing at all
        QTest::newRow("search found") << QStringList { "search", "@T", "berg" } << 0 << "";
        QTest::newRow("search found nothing") << QStringList { "search", "@T", "zzz" } << 1 << "";
        QTest::newRow("search, an option's name as the text")
            << QStringList { "search", "@T", "--", "--in-text" } << 1 << "";
        QTest::newRow("search, wrong line")
            << QStringList { "search", "@T", "a", "b" } << 1 << "one search TEXT only";
        QTest::newRow("switch given a value")
            << QStringList { "export", "@T", "--stat=yes" } << 1 << "--stat takes no value";
        QTest::newRow("unknown option with a value")
            << QStringList { "dump", "@T", "--bogus=1" } << 1 << "unknown option --bogus";
        QTest::newRow("empty format") << QStringList { "export", "@T", "--format=" } << 1
                                      << "--format takes csv, json, jsonl or html";
        QTest::newRow("dump, folder not held") << QStringList { "dump", "@T", "--folder",
            "Fotos/Winter" } << 2 << "folder 'Fotos\\Winter\\' is not in the catalogue";
        QTest::newRow("export, folder not held") << QStringList { "export", "@T", "--format", "csv",
            "--folder", "Bilder" } << 2 << "folder 'Bilder\\' is not in the catalogue";
        QTest::newRow("print, folder not held") << QStringList { "print", "@T", "--folder",
            "Bilder", "--pdf", "@out" } << 2 << "folder 'Bilder\\' is not in the catalogue";
        QTest::newRow("dump, folder holding only folders")
            << QStringList { "dump", "@T", "--folder", "Fotos" } << 0 << "";
        QTest::newRow("export, folder held, all filtered out")
            << QStringList { "export", "@T", "--format", "csv", "--folder", "Texte", "--tags", "Z" }
            << 0 << "";
    }
    void exitStatuses()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, said);
        args.replaceInStrings(QStringLiteral("@out"), out() + QStringLiteral(".pdf"));
        const ProcessRun r = cli(args);
        QCOMPARE(r.exitCode, status);
        if (said.isEmpty())
            QCOMPARE(r.err, QString());
        else
            QVERIFY2(r.err.startsWith(QLatin1String("tabulon-cli: ")) && r.err.contains(said)
                    && r.err.count(QLatin1Char('\n')) == 1,
                qPrintable(r.err));
        if (status == 2)
            QCOMPARE(r.out, QString());
    }

    // The help promises what the tool does: the unit of update's progress, search's status,
    // both option forms, the formats.
    void helpSaysWhatTheToolDoes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        QTest::newRow("update's progress") << QStringList { "update", "--help" } << "folders/s";
        QTest::newRow("search's status")
            << QStringList { "search", "--help" } << "status 1 when nothing matched";
        QTest::newRow("option forms") << QStringList { "--help" } << "--name=VALUE";
        QTest::newRow("formats") << QStringList { "export", "--help" } << "csv|json|jsonl|html";
        QTest::newRow("manual: statuses") << QStringList { "--man" } << "search: nothing matched";
    }
    void helpSaysWhatTheToolDoes()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        const ProcessRun r = cli(args);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(said), qPrintable(r.out));
        QVERIFY(!r.out.contains(QLatin1String("files a second")));
    }

    // Read back by Python's json module: one array, or one object a line. Each record
    // says where its file is: the folders in their own case, a name found in another
    // case, and nothing for a file missing on disk or a name that would leave its folder.
    void jsonReadBackWithPathsAndStat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<QString>("keys");
        const QStringList paths { "../../secret.txt|-|None|None",
            "Berg.jpg|Fotos/Sommer 2019/Berg.jpg|None|None",
            "Wald.jpg|Fotos/Sommer 2019/WALD.JPG|None|None", "brief.txt|Texte/brief.txt|None|None",
            "see.jpg|-|None|None" };
        const QStringList stats { "../../secret.txt|-|None|None",
            "Berg.jpg|Fotos/Sommer 2019/Berg.jpg|5|2019-05-01T10:00:00Z",
            "Wald.jpg|Fotos/Sommer 2019/WALD.JPG|7|2019-05-02T10:00:00Z",
            "brief.txt|Texte/brief.txt|1|", "see.jpg|-|None|None" };
        const QString plain = QStringLiteral("folder,name,date,note,tags,size,path");
        QTest::newRow("json") << "json" << QStringList {} << paths << plain;
        QTest::newRow("jsonl") << "jsonl" << QStringList {} << paths << plain;
        QTest::newRow("json --stat") << "json" << QStringList { "--stat" } << stats
                                     << plain + QStringLiteral(",bytes,modified");
        QTest::newRow("jsonl --stat --with-text")
            << "jsonl" << QStringList { "--stat", "--with-text" } << stats
            << plain + QStringLiteral(",bytes,modified,text");
        QTest::newRow("json, one folder") << "json" << QStringList { "--folder=fotos/SOMMER 2019" }
                                          << paths.mid(1, 2) + paths.mid(4) << plain;
    }
    void jsonReadBackWithPathsAndStat()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, options);
        QFETCH(QStringList, records);
        QFETCH(QString, keys);
        const ProcessRun r
            = cli(QStringList { "export", "@T", "--format", format, "-o", out() } + options);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QString());
        const ProcessRun py
            = runProcess(QStringLiteral("python3"), { "-c", kJsonReader, format, out(), root() });
        QVERIFY2(py.exitCode == 0, qPrintable(py.err));
        QStringList lines = py.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.takeLast(), keys);
        // The time of a file written by the test itself is today's: only its form is known.
        for (QString &line : lines)
            if (line.startsWith(QLatin1String("brief.txt|")) && line.endsWith(QLatin1Char('Z')))
                line = line.section(QLatin1Char('|'), 0, 2) + QLatin1Char('|');
        QCOMPARE(lines, records);
    }

    // The same columns in CSV and on the page, empty where JSON has null.
    void csvAndPageCarryTheSameColumns()
    {
        ProcessRun r
            = cli({ "export", "@T", "--format=csv", "--stat", "--folder", "Fotos/Sommer 2019" });
        QCOMPARE(r.exitCode, 0);
        const QStringList rows = r.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(
            rows.value(0), QStringLiteral("folder,name,date,note,tags,size,path,bytes,modified"));
        QVERIFY2(rows.value(1).endsWith(
                     root() + QStringLiteral("Fotos/Sommer 2019/Berg.jpg,5,2019-05-01T10:00:00Z")),
            qPrintable(rows.value(1)));
        QVERIFY2(
            rows.value(2).contains(QStringLiteral(",see.jpg,")) && rows.value(2).endsWith(",,,"),
            qPrintable(rows.value(2)));
        r = cli({ "export", "@T", "--format=html", "--stat", "--folder", "Fotos/Sommer 2019" });
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(QStringLiteral(
            "<th>File</th><th>Note</th><th>Tags</th><th>Date</th><th>Size</th><th>Path</th>"
            "<th>Bytes</th><th>Modified</th>")));
        QVERIFY(
            r.out.contains(QStringLiteral("Sommer 2019/WALD.JPG</td><td class=\"size\">7</td>")));
    }
};

QTEST_GUILESS_MAIN(TestCliConventions)
#include "tst_cliconventions.moc"
