#include "browse/catalogmodel.h"
#include "browse/ui/browseviews.h"
#include "print/ui/printcommands.h"
#include "store/catalogtable.h"
#include "support/gui/mainwindowfixture.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QtTest>

#include <QPlainTextEdit>
#include <QPrinter>
#include <QTableView>

// "Print (folder)" and "Printer setup" on the real window, printing to a PDF file as a
// machine without any printer does.
class TestPrintCommands : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void printsTheFolderAsTheGridShowsIt();
    void printerFailureEndsTheJobAndFreesTheViews();
    void unreadableLongTextIsReported();
    void marginsWithoutRoomAreRefused();

private:
    PrintCommands &printing() const { return m_form->families().printing(); }
    // n files in "fotos", catalogued; the last one current.
    void start(int n);
    // The print dialog answers with a PDF file (or cancels).
    void printTo(const QString &pdf, bool accept = true);
    int pdfPages(const QString &pdf) const
    {
        return int(testutil::readFile(pdf).count("/Type /Page\n"));
    }
    int m_dialogs = 0;
    int m_setups = 0;
};

void TestPrintCommands::init()
{
    setUpWindow();
    m_dialogs = m_setups = 0;
}

void TestPrintCommands::cleanup()
{
    tearDownWindow();
}

void TestPrintCommands::start(int n)
{
    for (int i = 0; i < n; ++i)
        file(QStringLiteral("fotos/f%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
    file(QStringLiteral("fotos/f00.jpg.!"), "first line\r\nsecond\r\n");
    openCatalogue();
    showActive();
    press(Qt::Key_F8);
    QCOMPARE(gridNames().size(), n);
    clickRow(n - 1);
}

void TestPrintCommands::printTo(const QString &pdf, bool accept)
{
    const auto dialog = [this, pdf, accept](QPrinter &printer) {
        ++m_dialogs;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0));
        return accept;
    };
    printing().setPrinterDialogs(dialog, [this](QPrinter &) { return bool(++m_setups); });
}

void TestPrintCommands::printsTheFolderAsTheGridShowsIt()
{
    start(30);
    const QString pdf = root() + QStringLiteral("listing.pdf");
    printTo(pdf);
    press(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(m_dialogs, 1);
    // 21 entries a page, the first one's long text included.
    QCOMPARE(pdfPages(pdf), 2);
    QCOMPARE(printing().printer().docName(), root() + QStringLiteral("fotos"));
    // The views follow the first record again.
    QVERIFY(!table()->isDetached());
    QVERIFY(m_form->state().followCurrentRecord);
    QCOMPARE(grid()->currentIndex().row(), 0);
    QCOMPARE(textPane()->toPlainText(), QStringLiteral("first line\nsecond"));

    // With a tag filter only the records that pass it are printed.
    table()->setTagFilter(
        [](const DbfTable &t) { return t.fieldText(CatalogTable::NAME) < QLatin1String("f05"); });
    views().showCurrentRecord();
    QVERIFY(QFile::remove(pdf));
    m_form->commands().runCommand(Command::PrintFolder);
    QCOMPARE(pdfPages(pdf), 1);

    m_form->commands().runCommand(Command::PrinterSetup);
    QCOMPARE(m_setups, 1);
    // A cancelled print dialog prints nothing.
    QVERIFY(QFile::remove(pdf));
    printTo(pdf, false);
    m_form->commands().runCommand(Command::PrintFolder);
    QVERIFY(!QFile::exists(pdf));
}

void TestPrintCommands::printerFailureEndsTheJobAndFreesTheViews()
{
    start(3);
    printTo(QStringLiteral("/nonexistent-folder/listing.pdf"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, printing().printFolderListing());
    QVERIFY(!table()->isDetached());
    QVERIFY(m_form->state().followCurrentRecord);
    // The next job goes through.
    const QString pdf = root() + QStringLiteral("listing.pdf");
    printTo(pdf);
    printing().printFolderListing();
    QCOMPARE(pdfPages(pdf), 1);
}

void TestPrintCommands::unreadableLongTextIsReported()
{
    QVERIFY(QDir().mkpath(root() + QStringLiteral("fotos/f01.jpg.!")));
    start(2);
    const QString pdf = root() + QStringLiteral("listing.pdf");
    printTo(pdf);
    ScriptedDialogs dialogs;
    dialogs.error(QStringLiteral("f01.jpg.!"));
    m_form->commands().runCommand(Command::PrintFolder);
    QVERIFY(dialogs.done());
    QCOMPARE(pdfPages(pdf), 1);
}

// Margins that leave no line on the paper chosen: a message, and no job is begun.
void TestPrintCommands::marginsWithoutRoomAreRefused()
{
    start(3);
    m_form->state().settings.printMargins.top = 65535;
    const QString pdf = root() + QStringLiteral("listing.pdf");
    printTo(pdf);
    ScriptedDialogs dialogs;
    dialogs.error(QStringLiteral("less than one line"));
    press(Qt::Key_P, Qt::ControlModifier);
    QVERIFY2(dialogs.done(), qPrintable(dialogs.faults().join('\n')));
    QCOMPARE(m_dialogs, 1);
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(printing().printer().printerState(), QPrinter::Idle);
    QVERIFY(!table()->isDetached());
    QCOMPARE(grid()->currentIndex().row(), 0);
}

QTEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
