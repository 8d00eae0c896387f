#include "platform/diskpath.h"
#include "print/listingrender.h"
#include "print/listingsource.h"
#include "store/catalogtable.h"
#include "support/catalogrecords.h"
#include "support/scriptedprogress.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// Records that do not fit the columns: long names with and without blanks, wide and
// narrow letters, the widest tags, long notes, long texts with words wider than a line.
ListingDocument hardDocument()
{
    const QString words = QStringLiteral("Holiday in the mountains with the whole family and "
                                         "friends, summer 2019, second week (1).jpg");
    ListingDocument doc;
    doc.title = QStringLiteral("/home/user/Archive/") + QString(12, 'W') + QStringLiteral("/")
        + QString(20, QChar(0x2014)) + QStringLiteral("/Fotos/2019/Sommer in den Bergen");
    doc.date = QStringLiteral("07.12.26");
    const QString names[] = { words.left(76), QString(80, 'W'), QString(80, 'i'),
        QString(40, QChar(0x2014)) + QString(40, 'M'), QStringLiteral("short.jpg") };
    const QString notes[] = { QString(80, 'W'), QString(), words.left(80),
        QStringLiteral("Strand-und-Meer-") + QString(64, 'm'), QStringLiteral("a note") };
    const QStringList text = { words + words + words, QString(300, 'W'), QString(),
        QStringLiteral("- ") + QString(90, '-'), QString(200, ' ') + QStringLiteral("x") };
    for (int i = 0; i < 40; ++i) {
        ListingEntry e;
        e.name = names[i % 5];
        e.tags = i % 2 ? QString(10, 'W') : QStringLiteral("AB");
        e.date = i % 3 ? QStringLiteral("01.05.19") : QString();
        e.size = i % 2 ? QStringLiteral("> 99 G") : QStringLiteral("999.9 K");
        e.note = notes[i % 5];
        if (i % 4 == 1)
            e.textLines = text;
        doc.entries.push_back(e);
    }
    return doc;
}

int visibleCharacters(const QString &text)
{
    int n = 0;
    for (const QChar c : text)
        n += c != QLatin1Char(' ') && c != QLatin1Char('\r') && c != QLatin1Char('\n');
    return n;
}

} // namespace

// The printed listing laid out with the real font on real paper sizes: whatever the
// records hold, no two texts of a page overlap, none leaves the page, and nothing of them
// is lost.
class TestListingFit : public QObject
{
    Q_OBJECT
private slots:
    void nothingOverlapsNorLeavesThePage_data()
    {
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QList<int>>("margins");
        const QList<int> defaults { 200, 200, 200, 100 };
        const QList<int> none { 0, 0, 0, 0 };
        const std::pair<const char *, QPageSize::PageSizeId> papers[] = { { "A4", QPageSize::A4 },
            { "A5", QPageSize::A5 }, { "Letter", QPageSize::Letter }, { "A6", QPageSize::A6 } };
        for (const auto &[name, id] : papers)
            for (const bool landscape : { false, true }) {
                const QString row = QLatin1String(name) + (landscape ? " landscape" : "");
                QTest::newRow(qPrintable(row)) << id << landscape << defaults;
                QTest::newRow(qPrintable(row + ", no margins")) << id << landscape << none;
            }
    }
    void nothingOverlapsNorLeavesThePage()
    {
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(bool, landscape);
        QFETCH(QList<int>, margins);
        QBuffer sink;
        QPdfWriter pdf(&sink);
        pdf.setPageSize(QPageSize(paper));
        pdf.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        const ListingMargins m { margins[0], margins[1], margins[2], margins[3] };
        const ListingDocument doc = hardDocument();
        const listingrender::Listing listing = listingrender::layOut(pdf, doc, "Arial", m);
        QVERIFY2(listing.status, qPrintable(listing.status.message()));
        const auto width = listingrender::widthOn(listing.font, pdf);
        const ListingGeometry page = listingrender::geometryOf(pdf, m);

        int drawn = 0;
        for (const ListingPage &p : listing.pages) {
            QList<QRect> boxes; // x right, y down, in tenths of a millimetre
            for (const DrawOp &op : p.ops) {
                const QRect box = op.kind == DrawOp::Rule
                    ? QRect(op.x, -op.y - op.width / 2, op.x2 - op.x, op.width)
                    : QRect(op.x, -op.y, width(QString(op.text).remove(QRegularExpression(" +$"))),
                        listinglayout::kCellHeight);
                QVERIFY2(QRect(0, 0, page.width, page.height).contains(box),
                    qPrintable(QStringLiteral("page %1: %2 at %3,%4 leaves the page")
                                   .arg(p.number)
                                   .arg(op.text)
                                   .arg(op.x)
                                   .arg(op.y)));
                for (const QRect &other : boxes)
                    QVERIFY2(!box.intersects(other),
                        qPrintable(QStringLiteral("page %1: %2 at %3,%4 overlaps")
                                       .arg(p.number)
                                       .arg(op.text)
                                       .arg(op.x)
                                       .arg(op.y)));
                boxes << box;
                // The header alone stands at the top margin.
                if (op.y != -m.top)
                    drawn += visibleCharacters(op.text);
            }
        }
        int held = 0;
        for (const ListingEntry &e : doc.entries)
            held += visibleCharacters(
                e.name + e.tags + e.date + e.size + e.note + e.textLines.join(QString()));
        QCOMPARE(drawn, held);
    }

    // Ordinary records keep the columns where they stand, on A4 as on Letter.
    void ordinaryRecordsKeepTheColumns_data()
    {
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::newRow("A4") << QPageSize::A4;
        QTest::newRow("Letter") << QPageSize::Letter;
    }
    void ordinaryRecordsKeepTheColumns()
    {
        QFETCH(QPageSize::PageSizeId, paper);
        QBuffer sink;
        QPdfWriter pdf(&sink);
        pdf.setPageSize(QPageSize(paper));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        ListingDocument doc { "/data/Fotos", "07.12.26",
            { { "IMG_0001 Strand am Abend.jpg", "ABCD", "31.12.99", "> 99 G", "Urlaub an der See",
                {} } } };
        const listingrender::Listing listing
            = listingrender::layOut(pdf, doc, "Arial", ListingMargins());
        QList<int> xs;
        for (const DrawOp &op : listing.pages[0].ops)
            if (op.y == -310)
                xs << op.x;
        QCOMPARE(xs.mid(0, 3), (QList<int> { 200, 1250, 1600 }));
    }

    // A print stopped between two pages: the device is told to drop the job before it is
    // ended, and no page is drawn after the stop.
    void drawStoppedBetweenPages_data()
    {
        QTest::addColumn<qint64>("stopFrom"); // pages drawn when the stop is asked for
        QTest::newRow("after the first page") << qint64(1);
        QTest::newRow("never") << qint64(-1);
    }
    void drawStoppedBetweenPages()
    {
        QFETCH(qint64, stopFrom);
        QBuffer sink;
        QPdfWriter pdf(&sink);
        const listingrender::Listing listing
            = listingrender::layOut(pdf, hardDocument(), "Arial", ListingMargins());
        const int pages = int(listing.pages.size());
        QVERIFY(pages >= 3);
        ScriptedProgress progress(stopFrom);
        int aborts = 0;
        const listingrender::Result r
            = listingrender::draw(pdf, listing, &progress, [&aborts] { ++aborts; });
        QCOMPARE(r.status.code(), stopFrom < 0 ? DbStatus::Ok : DbStatus::Cancelled);
        QCOMPARE(r.pages, stopFrom < 0 ? pages : int(stopFrom));
        QCOMPARE(aborts, stopFrom < 0 ? 0 : 1);
        QVERIFY(progress.orderly());
        QCOMPARE(progress.steps.back().second, qint64(pages));
    }

    // The records of a listing read with a progress: stopped, the walk ends with the
    // table at its first record in view and what was read so far.
    void collectStoppedBetweenRecords_data()
    {
        QTest::addColumn<qint64>("stopFrom");
        QTest::addColumn<int>("read");
        QTest::newRow("stopped") << qint64(300) << 512;
        QTest::newRow("never") << qint64(-1) << 600;
    }
    void collectStoppedBetweenRecords()
    {
        QFETCH(qint64, stopFrom);
        QFETCH(int, read);
        QTemporaryDir dir;
        CatalogTable t;
        QVERIFY(t.open(dir.path(), QStringLiteral("Arch")));
        QList<testutil::CatalogRecord> records;
        for (int i = 0; i < 600; ++i)
            records.append({ "F\\", QStringLiteral("n%1.txt").arg(i, 3, 10, QLatin1Char('0')) });
        QVERIFY(testutil::addRecords(t, records));
        QVERIFY(t.setFolderRange(QStringLiteral("F\\")));
        ScriptedProgress progress(stopFrom);
        std::vector<ListingEntry> entries;
        const DbStatus st = listingsource::collect(
            t.table(), PathResolver(dir.path()), entries, nullptr, &progress, 600);
        QCOMPARE(st.code(), stopFrom < 0 ? DbStatus::Ok : DbStatus::Cancelled);
        QCOMPARE(int(entries.size()), read);
        QCOMPARE(t.text(CatalogTable::NAME), QStringLiteral("n000.txt"));
        QVERIFY(progress.orderly());
    }
};

int main(int argc, char **argv)
{
    // Fonts need the graphical application object; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestListingFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_listingfit.moc"
