#include "support/processrun.h"
#include "support/testutil.h"

#include <QProcess>
#include <QtTest>

namespace
{

// The locale chooses the default paper: A4 unless a test asks for another.
ProcessRun cli(const QStringList &args, const QString &locale = QStringLiteral("C.UTF-8"))
{
    // No display: the listing is drawn offscreen whatever the environment says.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("LC_ALL"), locale);
    return runCli(args, env);
}

QString mediaBox(const QString &pdf)
{
    static const QRegularExpression box(QStringLiteral("/MediaBox \\[([^\\]]*)\\]"));
    return box.match(QString::fromLatin1(testutil::readFile(pdf))).captured(1);
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
        // Records wider than the columns.
        rows += "Lang\\\t" + QByteArray(80, 'W') + "\t20190501\t" + QByteArray(80, 'W')
            + "\tWWWWWWWWWW\t> 99 G\n";
        rows += "Lang\\\tHoliday in the mountains with the whole family and friends, summer "
                "2019.jpg\t20190502\tStrand\tAB\t1.1 M\n";
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

    // --paper and --landscape choose the sheet; without --paper the locale does.
    void paperAndOrientation_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("mediaBox");
        const QString a4 = QStringLiteral("0 0 595.000000 842.000000");
        const QString letter = QStringLiteral("0 0 612.000000 792.000000");
        QTest::newRow("A5") << QStringList { "--paper", "A5" } << "C.UTF-8"
                            << "0 0 420.000000 595.000000";
        QTest::newRow("Letter, landscape")
            << QStringList { "--paper", "Letter", "--landscape" } << "C.UTF-8"
            << "0 0 792.000000 612.000000";
        QTest::newRow("Legal, any letter case") << QStringList { "--paper", "legal" } << "C.UTF-8"
                                                << "0 0 612.000000 1008.000000";
        QTest::newRow("United States locale") << QStringList() << "en_US.UTF-8" << letter;
        QTest::newRow("Canadian locale") << QStringList() << "fr_CA.UTF-8" << letter;
        QTest::newRow("German locale") << QStringList() << "de_DE.UTF-8" << a4;
        QTest::newRow("A4 asked for in the United States")
            << QStringList { "--paper", "A4" } << "en_US.UTF-8" << a4;
    }
    void paperAndOrientation()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, locale);
        QFETCH(QString, mediaBox);
        const ProcessRun r
            = cli(QStringList { "print", path("T.dbf"), "--folder", "Lang", "--pdf", path("p.pdf") }
                    + options,
                locale);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(::mediaBox(path("p.pdf")), mediaBox);
    }

    // Margins that leave no line or no column: status 1, one line, and no file written
    // (an existing one is left as it was).
    void marginsWithoutRoomAreRefused_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        QTest::newRow("top 65535")
            << QStringList { "--margins", "65535,0,0,0" } << "less than one line";
        QTest::newRow("A5, 70 mm left and right") << QStringList { "--paper", "A5", "--margins",
            "0,700,0,700" } << "less than one column";
    }
    void marginsWithoutRoomAreRefused()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        QFile::remove(path("new.pdf"));
        QVERIFY(testutil::writeFile(path("old.pdf"), "kept"));
        for (const char *pdf : { "new.pdf", "old.pdf" }) {
            const ProcessRun r
                = cli(QStringList { "print", path("T.dbf"), "--folder", "Lang", "--pdf", path(pdf) }
                    + options);
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(
                r.err.startsWith("tabulon-cli: ") && r.err.contains(message), qPrintable(r.err));
            QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        }
        QVERIFY(!QFile::exists(path("new.pdf")));
        QCOMPARE(testutil::readFile(path("old.pdf")), QByteArray("kept"));
    }

    void errorsAreOneLineAndNonZero_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("folder not in the catalogue")
            << QStringList { "print", "@T", "--folder", "Fotos\\2020", "--pdf", "@out" };
        QTest::newRow("no folder") << QStringList { "print", "@T", "--pdf", "@out" };
        QTest::newRow("bad margins") << QStringList { "print", "@T", "--folder", "Fotos", "--pdf",
            "@out", "--margins", "1,2,3" };
        QTest::newRow("unknown paper")
            << QStringList { "print", "@T", "--folder", "Fotos", "--pdf", "@out", "--paper", "B5" };
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
