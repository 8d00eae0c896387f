#include "store/catalogtable.h"
#include "support/processrun.h"
#include "support/testutil.h"

#include <QProcess>
#include <QtTest>

namespace
{

ProcessRun cli(const QStringList &args)
{
    return runCli(args);
}

const char kRows[] = "Fotos\\2019\\\tbild2.jpg\t20190502\tStrand\tBA\t1.1 M\n"
                     "Fotos\\2019\\\tBild1.jpg\t20190501\t\u00c9t\u00e9 \u20ac\t\t900 K\n"
                     "Fotosammlung\\\tx.txt\t\tohne Datum\tZ\t1 K\n"
                     "\troot.txt\t20200101\t\t\t0 K\n";

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString table() const { return m_dir.filePath(QStringLiteral("T.dbf")); }

private slots:
    void init()
    {
        QFile::remove(table());
        QFile::remove(m_dir.filePath(QStringLiteral("T.mdx")));
        QVERIFY(testutil::writeFile(m_dir.filePath(QStringLiteral("rows.tsv")), kRows));
        QCOMPARE(cli({ QStringLiteral("create"), table() }).exitCode, 0);
        QCOMPARE(
            cli({ QStringLiteral("import"), table(), m_dir.filePath(QStringLiteral("rows.tsv")) })
                .exitCode,
            0);
    }

    void dumpInOrdersAndFolders()
    {
        ProcessRun r = cli({ QStringLiteral("dump"), table() });
        QCOMPARE(r.exitCode, 0);
        QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[1],
            QStringLiteral("FOTOS\\2019\\\tBild1.jpg\t20190501\t\u00c9t\u00e9 \u20ac\t\t900 K"));

        r = cli({ QStringLiteral("dump"), table(), QStringLiteral("--folder"),
            QStringLiteral("fotos\\2019") });
        lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].contains(QStringLiteral("Bild1.jpg")));
        QVERIFY(lines[1].contains(QStringLiteral("bild2.jpg")));

        r = cli(
            { QStringLiteral("dump"), table(), QStringLiteral("--order"), QStringLiteral("3") });
        lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].contains(QStringLiteral("root.txt")));
        QVERIFY(lines[1].contains(QStringLiteral("x.txt"))); // "A" sorts before the backslash
        QVERIFY(lines[2].contains(QStringLiteral("Bild1.jpg"))); // no tags before BA
    }

    void checkDeletePack()
    {
        QCOMPARE(cli({ QStringLiteral("check"), table() }).exitCode, 0);
        QCOMPARE(cli({ QStringLiteral("delete"), table(), QStringLiteral("2") }).exitCode, 0);
        QCOMPARE(cli({ QStringLiteral("dump"), table() }).out.count(QLatin1Char('\n')), 3);
        QCOMPARE(cli({ QStringLiteral("check"), table() }).exitCode, 0);
        QCOMPARE(cli({ QStringLiteral("pack"), table() }).exitCode, 0);
        QCOMPARE(testutil::readFile(table()).size(), 225 + 3 * 265 + 1);
        QCOMPARE(cli({ QStringLiteral("reindex"), table() }).exitCode, 0);
        QCOMPARE(cli({ QStringLiteral("check"), table() }).exitCode, 0);
    }

    void errorsAreOneLineAndNonZero_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("missing table") << QStringList { "dump", "/nonexistent/X.dbf" } << 2;
        QTest::newRow("bad order") << QStringList { "dump", "@T", "--order", "7" } << 1;
        QTest::newRow("no such record") << QStringList { "delete", "@T", "99" } << 1;
        QTest::newRow("create over existing") << QStringList { "create", "@T" } << 2;
        QTest::newRow("bad import row") << QStringList { "import", "@T", "@bad" } << 2;
        QTest::newRow("not a table") << QStringList { "check", "@bad" } << 2;
        QTest::newRow("unknown command") << QStringList { "frobnicate", "@T" } << 1;
        QTest::newRow("unknown option") << QStringList { "update", "@T", "--bogus" } << 1;
        QTest::newRow("table missing from the line") << QStringList { "search" } << 1;
        QTest::newRow("no search text") << QStringList { "search", "@T" } << 1;
        QTest::newRow("bad format") << QStringList { "export", "@T", "--format", "xml" } << 1;
        QTest::newRow("unwritable export")
            << QStringList { "export", "@T", "--format", "csv", "-o", "/nonexistent/x.csv" } << 4;
    }
    void errorsAreOneLineAndNonZero()
    {
        QFETCH(QStringList, args);
        QVERIFY(testutil::writeFile(m_dir.filePath(QStringLiteral("bad.tsv")), "only\ttwo\n"));
        for (QString &a : args) {
            if (a == QLatin1String("@T"))
                a = table();
            else if (a == QLatin1String("@bad"))
                a = m_dir.filePath(QStringLiteral("bad.tsv"));
        }
        QFETCH(int, status);
        const ProcessRun r = cli(args);
        QCOMPARE(r.exitCode, status);
        QVERIFY2(r.err.startsWith(QLatin1String("tabulon-cli: ")), qPrintable(r.err));
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    }

    // A row the table cannot hold as it stands stops the import before anything is
    // written; --replace lets other characters than those of DIR and NAME become "?".
    void importRefusesRowsTheTableCannotHold_data()
    {
        QTest::addColumn<QByteArray>("row"); // the second line, after a sound one
        QTest::addColumn<bool>("replace");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // a part of standard error
        QTest::newRow("DIR without its closing backslash")
            << QByteArray("Neu\tb.txt\t\t\t\t") << false << 2 << "rows.tsv:2: DIR 'NEU'";
        QTest::newRow("DIR with slashes") << QByteArray("Neu/2019/\tb.txt\t\t\t\t") << false << 2
                                          << "rows.tsv:2: DIR 'NEU/2019/'";
        QTest::newRow("DIR from the top")
            << QByteArray("\\Neu\\\tb.txt\t\t\t\t") << false << 2 << "rows.tsv:2: DIR '\\NEU\\'";
        QTest::newRow("NOTE outside Windows-1252")
            << QByteArray("Neu\\\tb.txt\t\tSchnee \xe2\x98\x83\t\t") << false << 2
            << "rows.tsv:2: NOTE";
        QTest::newRow("NOTE replaced on request")
            << QByteArray("Neu\\\tb.txt\t\tSchnee \xe2\x98\x83\t\t") << true << 0
            << "1 rows with characters written as \"?\"";
        QTest::newRow("NAME never replaced")
            << QByteArray("Neu\\\t\xe2\x98\x83.txt\t\t\t\t") << true << 2 << "rows.tsv:2: NAME";
        QTest::newRow("CODE too long")
            << QByteArray("Neu\\\tb.txt\t\t\tABCDEFGHIJK\t") << true << 2 << "longer than 10";
        QTest::newRow("sound rows") << QByteArray("Neu\\\tb.txt\t\t\t\t") << false << 0 << "";
    }
    void importRefusesRowsTheTableCannotHold()
    {
        QFETCH(QByteArray, row);
        QFETCH(bool, replace);
        QFETCH(int, status);
        QFETCH(QString, said);
        const QString rows = m_dir.filePath(QStringLiteral("rows.tsv"));
        QVERIFY(testutil::writeFile(rows, "Neu\\\ta.txt\t20200101\tfirst\t\t\n" + row + "\n"));
        const QByteArray before = testutil::readFile(table());
        QStringList args { QStringLiteral("import"), table(), rows };
        if (replace)
            args << QStringLiteral("--replace");
        const ProcessRun r = cli(args);
        QCOMPARE(r.exitCode, status);
        QVERIFY2(r.err.contains(said), qPrintable(r.err));
        const QString dump = cli({ QStringLiteral("dump"), table() }).out;
        if (status != 0) {
            QCOMPARE(testutil::readFile(table()), before);
            return;
        }
        QCOMPARE(dump.count(QLatin1Char('\n')), 6);
        QVERIFY(dump.contains(QLatin1String("NEU\\\ta.txt\t20200101\tfirst")));
        if (replace)
            QVERIFY(dump.contains(QLatin1String("Schnee ?")));
    }

    // A pipe is read once: the rows are checked and written all the same.
    void importFromAPipe()
    {
        const QString rows = m_dir.filePath(QStringLiteral("rows.tsv"));
        QVERIFY(testutil::writeFile(rows, "Neu\\\ta.txt\t\t\t\t\nNeu\\\tb.txt\t\t\t\t\n"));
        const ProcessRun r = runProcess(QStringLiteral("sh"),
            { QStringLiteral("-c"), QStringLiteral("cat \"$1\" | \"$2\" import \"$3\" /dev/stdin"),
                QStringLiteral("sh"), rows, QStringLiteral(TABULON_CLI), table() });
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(cli({ QStringLiteral("dump"), table() }).out.count(QLatin1Char('\n')), 6);
    }

    void lockedTableIsReported()
    {
        DbfTable held;
        QVERIFY(held.open(table(), CatalogTable::tags()));
        for (const QStringList &args : { QStringList { QStringLiteral("dump"), table() },
                 QStringList { QStringLiteral("update"), table(), QStringLiteral("--all") } }) {
            const ProcessRun r = cli(args);
            QCOMPARE(r.exitCode, 3);
            QVERIFY2(r.err.contains(QLatin1String("locked")), qPrintable(r.err));
        }
    }

    // A table whose fields are not the catalogue's (here DIR and NAME swapped) is refused by
    // every command with a message naming the difference, and left as it is.
    void foreignLayoutIsRefused()
    {
        const QString path = m_dir.filePath(QStringLiteral("F.dbf"));
        QVERIFY(DbfTable::create(path,
            { { "NAME", 'C', 80, 0 }, { "DIR", 'C', 80, 0 }, { "DATE", 'D', 8, 0 },
                { "NOTE", 'C', 80, 0 }, { "CODE", 'C', 10, 0 }, { "SIZE", 'C', 6, 0 } },
            {}));
        const QByteArray before = testutil::readFile(path);
        const QString rows = m_dir.filePath(QStringLiteral("rows.tsv"));
        for (const QStringList &args :
            { QStringList { "dump", path }, { "check", path }, { "import", path, rows },
                { "pack", path }, { "reindex", path }, { "delete", path, "1" } }) {
            const ProcessRun r = cli(args);
            QVERIFY2(r.exitCode > 0, qPrintable(args.join(' ')));
            QVERIFY2(r.err.contains(QLatin1String("field 1 is NAME C 80 where DIR C 80 belongs")),
                qPrintable(r.err));
            QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        }
        QCOMPARE(testutil::readFile(path), before);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("F.mdx"))));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
