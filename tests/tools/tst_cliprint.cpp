#include "support/processrun.h"
#include "support/testutil.h"

#include <QProcess>
#include <QtTest>

namespace
{

ProcessRun cli(const QStringList &args)
{
    // No display: the listing is drawn offscreen whatever the environment says.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return runCli(args, env);
}

} // namespace

// tabulon-cli print: a folder's listing as a PDF file, with no printer and no display.
class TestCliPrint : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        QByteArray rows;
        for (int i = 0; i < 40; ++i)
            rows += QStringLiteral("Fotos\\2019\\\tbild%1.jpg\t20190501\tStrand\t%2\t1.1 M\n")
                        .arg(i, 2, 10, QLatin1Char('0'))
                        .arg(i % 2 ? QStringLiteral("BA") : QStringLiteral("A"))
                        .toUtf8();
        rows += "Fotosammlung\\\tx.txt\t\tohne Datum\tZ\t1 K\n";
        QVERIFY(testutil::writeFile(path("rows.tsv"), rows));
        QVERIFY(testutil::writeFile(path("Fotos/2019/bild01.jpg.!"), "long\r\ntext\r\n"));
        QCOMPARE(cli({ "create", path("T.dbf") }).exitCode, 0);
        QCOMPARE(cli({ "import", path("T.dbf"), path("rows.tsv") }).exitCode, 0);
    }

    void listingAsPdf_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("pages");
        QTest::newRow("whole folder, any letter case")
            << QStringList { "--folder", "fotos/2019" } << 40 << 2;
        QTest::newRow("AND filter")
            << QStringList { "--folder", "Fotos\\2019\\", "--tags", "ab" } << 20 << 1;
        QTest::newRow("NOT filter, date order")
            << QStringList { "--folder", "Fotos\\2019", "--tags", "-b", "--order", "2" } << 20 << 1;
        QTest::newRow("wide margins, other font") << QStringList { "--folder", "Fotos\\2019",
            "--margins", "1000,200,1000,100", "--font", "DejaVu Serif" }
                                                  << 40 << 6;
    }
    void listingAsPdf()
    {
        QFETCH(QStringList, options);
        QFETCH(int, entries);
        QFETCH(int, pages);
        QFile::remove(path("out.pdf"));
        const ProcessRun r
            = cli(QStringList { "print", path("T.dbf"), "--pdf", path("out.pdf") } + options);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out.trimmed(),
            QStringLiteral("%1: %2 entries, %3 page(s)")
                .arg(path("out.pdf"))
                .arg(entries)
                .arg(pages));
        const QByteArray pdf = testutil::readFile(path("out.pdf"));
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(pdf.count("/Type /Page\n"), pages);
    }

    void errorsAreOneLineAndNonZero_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("folder not in the catalogue")
            << QStringList { "print", "@T", "--folder", "Fotos\\2020", "--pdf", "@out" };
        QTest::newRow("no folder") << QStringList { "print", "@T", "--pdf", "@out" };
        QTest::newRow("bad margins") << QStringList { "print", "@T", "--folder", "Fotos", "--pdf",
            "@out", "--margins", "1,2,3" };
        QTest::newRow("unwritable pdf") << QStringList { "print", "@T", "--folder", "Fotos\\2019",
            "--pdf", "/nonexistent-folder/x.pdf" };
        QTest::newRow("missing table")
            << QStringList { "print", "/nonexistent/X.dbf", "--folder", "Fotos", "--pdf", "@out" };
    }
    void errorsAreOneLineAndNonZero()
    {
        QFETCH(QStringList, args);
        for (QString &a : args)
            a = a == QLatin1String("@T")     ? path("T.dbf")
                : a == QLatin1String("@out") ? path("e.pdf")
                                             : a;
        const ProcessRun r = cli(args);
        QVERIFY2(r.exitCode > 0, qPrintable(r.err));
        QVERIFY2(r.err.startsWith(QLatin1String("tabulon-cli: ")), qPrintable(r.err));
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QVERIFY(!QFile::exists(path("e.pdf")));
    }
};

QTEST_GUILESS_MAIN(TestCliPrint)
#include "tst_cliprint.moc"
