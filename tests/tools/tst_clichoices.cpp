#include "support/processrun.h"
#include "support/testutil.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The catalogue's two choices through tabulon-cli, on a tree of the names a Linux folder
// holds: Unicode texts (UTF-8) and files without an extension. A default catalogue takes
// what it always took; each choice adds its names, and the table says what it is made of.
class TestCliChoices : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    QString root() const { return m_dir->filePath(QStringLiteral("root/")); }
    QString table() const { return root() + QStringLiteral("T.dbf"); }
    static ProcessRun cli(const QStringList &args) { return runCli(args); }

    // DIR + NAME of every record, as dump writes them.
    QStringList catalogued() const
    {
        const ProcessRun r = cli({ QStringLiteral("dump"), table() });
        QStringList out;
        for (const QString &line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            out << line.section(QLatin1Char('\t'), 0, 1);
        out.sort();
        return out;
    }

    static QStringList sorted(QStringList l)
    {
        l.sort();
        return l;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        for (const char *name :
            { "notes.txt", "README", "Makefile", ".bashrc", "Привет.txt", "日本語.txt", "😀.txt",
                "Документы/отчёт.txt", "Документы/LICENSE", ".git/config.txt" })
            QVERIFY(testutil::writeFile(root() + "home/" + QString::fromUtf8(name), "x"));
    }

    void choicesDecideWhatIsCatalogued_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status"); // 5: names skipped for a reported reason
        QTest::addColumn<QStringList>("records");
        // update --all leaves the root folder's own files (the table's) out: the tree is
        // in a folder below it.
        const QStringList plain = { "HOME\\\tnotes.txt" };
        const QStringList bare = { "HOME\\\t.bashrc", "HOME\\\tMakefile", "HOME\\\tREADME" };
        const QStringList unicode = { "HOME\\\tПривет.txt", "HOME\\\t日本語.txt", "HOME\\\t😀.txt",
            "HOME\\ДОКУМЕНТЫ\\\tотчёт.txt" };
        QTest::newRow("default") << QStringList() << 5 << plain;
        QTest::newRow("extensionless") << QStringList { "--extensionless" } << 5 << plain + bare;
        QTest::newRow("unicode") << QStringList { "--unicode" } << 0 << plain + unicode;
        QTest::newRow("both") << QStringList { "--unicode", "--extensionless" } << 0
                              << plain + bare + unicode
                + QStringList { "HOME\\ДОКУМЕНТЫ\\\tLICENSE" };
    }
    void choicesDecideWhatIsCatalogued()
    {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QStringList, records);
        QCOMPARE(cli(QStringList { "create", table() } + options).exitCode, 0);
        const ProcessRun update = cli({ "update", table(), "--all" });
        QVERIFY2(update.exitCode == status, qPrintable(update.err));
        QCOMPARE(catalogued(), sorted(records));
        // A second run finds everything in place: nothing new, nothing gone.
        QCOMPARE(cli({ "update", table(), "--all" }).exitCode, status);
        QCOMPARE(catalogued(), sorted(records));

        const ProcessRun check = cli({ "check", table() });
        QCOMPARE(check.exitCode, 0);
        const bool unicode = options.contains("--unicode");
        QVERIFY2(check.out.contains(unicode ? "encoding: UTF-8" : "encoding: Windows-1252"),
            qPrintable(check.out));
        QVERIFY(check.out.contains(options.contains("--extensionless")
                ? "files without extension: yes"
                : "files without extension: no"));
        QCOMPARE(QFileInfo::exists(root() + "T.cpg"), unicode);
    }

    // A default table is what every table was before the choices: byte 29 and 30 zero,
    // no code page file.
    void defaultTableIsUnchanged()
    {
        QCOMPARE(cli({ "create", table() }).exitCode, 0);
        const QByteArray header = testutil::readFile(table()).left(32);
        QCOMPARE(header.at(29), '\0');
        QCOMPARE(header.at(30), '\0');
        QVERIFY(!QFileInfo::exists(root() + "T.cpg"));
    }

    // The code page file is a file of its own: a link of that name is replaced, and what
    // it led to is never written.
    void codePageFileReplacesALink()
    {
        QVERIFY(testutil::writeFile(m_dir->filePath("elsewhere"), "keep"));
        QVERIFY(QFile::link(m_dir->filePath("elsewhere"), root() + "T.cpg"));
        QCOMPARE(cli({ "create", table(), "--unicode" }).exitCode, 0);
        QCOMPARE(testutil::readFile(m_dir->filePath("elsewhere")), QByteArray("keep"));
        QVERIFY(!QFileInfo(root() + "T.cpg").isSymLink());
        QCOMPARE(testutil::readFile(root() + "T.cpg"), QByteArray("UTF-8"));
    }

    // Another dBase reader, told the encoding the .cpg names, sees the same names.
    void dbfreadReadsTheUnicodeTable()
    {
        const char *python = "/usr/bin/python3";
        if (runProcess(python, { "-c", "import dbfread" }).exitCode != 0)
            QSKIP("/usr/bin/python3 cannot import dbfread");
        QCOMPARE(cli({ "create", table(), "--unicode", "--extensionless" }).exitCode, 0);
        QCOMPARE(cli({ "update", table(), "--all" }).exitCode, 0);
        const QByteArray cpg = testutil::readFile(root() + "T.cpg");
        QCOMPARE(cpg, QByteArray("UTF-8"));
        const QString script = QStringLiteral(
            "import sys, json\n"
            "from dbfread import DBF\n"
            "t = DBF(sys.argv[1], encoding=sys.argv[2], char_decode_errors='strict')\n"
            "print(json.dumps([r['DIR'] + '\\t' + r['NAME'] for r in t], ensure_ascii=True))\n");
        const ProcessRun py
            = runProcess(python, { "-c", script, table(), QString::fromLatin1(cpg) });
        QVERIFY2(py.exitCode == 0, qPrintable(py.err));
        QStringList names;
        for (const QJsonValue &v : QJsonDocument::fromJson(py.out.toUtf8()).array())
            names << v.toString();
        QCOMPARE(sorted(names), catalogued());
        QVERIFY(names.contains(QStringLiteral("HOME\\\t😀.txt")));
    }

    // convert --unicode rewrites a default table: the same records, now in UTF-8, and the
    // names it could not take before are taken by the next update.
    void convertToUnicode()
    {
        const QByteArray rows = "FOTOS\\\tÉté.jpg\t20190501\tStrand €\tBA\t1 K\n"
                                "\tnotes.txt\t\t\t\t1 K\n";
        QVERIFY(testutil::writeFile(m_dir->filePath("rows.tsv"), rows));
        QCOMPARE(cli({ "create", table() }).exitCode, 0);
        QCOMPARE(cli({ "import", table(), m_dir->filePath("rows.tsv") }).exitCode, 0);
        const QString before = cli({ "dump", table() }).out;

        const ProcessRun r = cli({ "convert", table(), "--unicode" });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(cli({ "dump", table() }).out, before);
        QCOMPARE(int(testutil::readFile(table()).at(30)), 2);
        QCOMPARE(testutil::readFile(root() + "T.cpg"), QByteArray("UTF-8"));
        QCOMPARE(cli({ "check", table() }).exitCode, 0);
        QVERIFY(!QFileInfo::exists(root() + ".T.dbf.convert"));

        // Converting again changes nothing.
        const QByteArray converted = testutil::readFile(table());
        QCOMPARE(cli({ "convert", table(), "--unicode" }).exitCode, 0);
        QCOMPARE(testutil::readFile(table()), converted);

        QCOMPARE(cli({ "update", table(), "--all" }).exitCode, 0);
        QVERIFY(catalogued().contains(QStringLiteral("HOME\\\t日本語.txt")));
    }

    // A text whose UTF-8 form does not fit its field stops the conversion: status 2, the
    // record named, and table, index and folder exactly as they were.
    void convertRefusesWhatDoesNotFit_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QString>("named");
        QTest::newRow("name of 80 accented letters")
            << QByteArray("\t" + QString(76, QChar(0xE9)).toUtf8() + ".txt\t\t\t\t\n") << "NAME";
        QTest::newRow("tag that is no ASCII") << QByteArray("\tx.txt\t\t\tÄ\t\n") << "tags";
    }
    void convertRefusesWhatDoesNotFit()
    {
        QFETCH(QByteArray, row);
        QFETCH(QString, named);
        QVERIFY(testutil::writeFile(m_dir->filePath("rows.tsv"), row));
        QCOMPARE(cli({ "create", table() }).exitCode, 0);
        QCOMPARE(cli({ "import", table(), m_dir->filePath("rows.tsv") }).exitCode, 0);
        const QByteArray dbf = testutil::readFile(table());
        const QByteArray mdx = testutil::readFile(root() + "T.mdx");
        const QStringList files = QDir(root()).entryList(QDir::AllEntries | QDir::Hidden);

        const ProcessRun r = cli({ "convert", table(), "--unicode" });
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("record 1") && r.err.contains(named), qPrintable(r.err));
        QCOMPARE(testutil::readFile(table()), dbf);
        QCOMPARE(testutil::readFile(root() + "T.mdx"), mdx);
        QCOMPARE(QDir(root()).entryList(QDir::AllEntries | QDir::Hidden), files);
    }

    // The choice of files without an extension can be switched later; Unicode cannot be
    // undone, and create refuses what it does not know.
    void switchesAndRefusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("extensionless on")
            << QStringList { "convert", "@T", "--extensionless", "yes" } << 0;
        QTest::newRow("extensionless maybe")
            << QStringList { "convert", "@T", "--extensionless", "maybe" } << 1;
        QTest::newRow("convert without a choice") << QStringList { "convert", "@T" } << 1;
        QTest::newRow("create with an unknown choice")
            << QStringList { "create", "@U", "--latin1" } << 1;
    }
    void switchesAndRefusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QCOMPARE(cli({ "create", table() }).exitCode, 0);
        args.replaceInStrings("@T", table());
        args.replaceInStrings("@U", root() + "U.dbf");
        QCOMPARE(cli(args).exitCode, status);
        const bool on = status == 0;
        QCOMPARE(int(testutil::readFile(table()).at(30)), on ? 1 : 0);
        QVERIFY(!QFileInfo::exists(root() + "U.dbf"));
    }
};

QTEST_GUILESS_MAIN(TestCliChoices)
#include "tst_clichoices.moc"
