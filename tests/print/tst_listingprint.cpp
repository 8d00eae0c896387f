#include "dialogs/regional.h"
#include "platform/diskpath.h"
#include "print/listinglayout.h"
#include "print/listingrender.h"
#include "print/listingsource.h"
#include "store/catalogtable.h"
#include "support/testutil.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// Every character 20 units wide: positions become plain arithmetic.
int fixedWidth(const QString &text)
{
    return 20 * int(text.size());
}

ListingEntry entry(const QString &name, const QStringList &text = {},
    const QString &size = QStringLiteral("1.1 K"))
{
    return { name, QStringLiteral("AB"), QStringLiteral("01.05.19"), size,
        QStringLiteral("note of ") + name, text };
}

// A printable area 2000 x 2000 with the default margins.
std::vector<ListingPage> layOut(
    const std::vector<ListingEntry> &entries, ListingMargins margins = {}, int height = 2000)
{
    ListingDocument doc { QStringLiteral("/data/Fotos"), QStringLiteral("07.12.26"), entries };
    return listinglayout::layOut(doc, { 2000, height, margins }, fixedWidth);
}

// The y of the first line of each entry (its name, at the left margin), page by page.
QList<QList<int>> entryTops(const std::vector<ListingPage> &pages, int left = 200)
{
    QList<QList<int>> tops;
    for (const ListingPage &page : pages) {
        QList<int> onPage;
        for (const DrawOp &op : page.ops)
            if (op.kind == DrawOp::Text && op.x == left && op.text.startsWith(QLatin1String("f")))
                onPage << op.y;
        tops << onPage;
    }
    return tops;
}

const DrawOp *find(const ListingPage &page, const QString &text)
{
    for (const DrawOp &op : page.ops)
        if (op.kind == DrawOp::Text && op.text == text)
            return &op;
    return nullptr;
}

std::vector<ListingEntry> entries(int n)
{
    std::vector<ListingEntry> list;
    for (int i = 0; i < n; ++i)
        list.push_back(entry(QStringLiteral("f%1").arg(i)));
    return list;
}

int pdfPages(const QByteArray &pdf)
{
    return int(pdf.count("/Type /Page\n"));
}

} // namespace

// The folder listing: its layout in tenths of a millimetre, computed without a printer,
// the records it is made of, and a real PDF drawn offscreen.
class TestListingPrint : public QObject
{
    Q_OBJECT
private slots:
    void headerAndFirstEntry()
    {
        const auto pages = layOut({ entry(QStringLiteral("f.jpg")) });
        QCOMPARE(int(pages.size()), 1);
        const ListingPage &p = pages[0];
        QCOMPARE(p.number, 1);
        const DrawOp *title = find(p, QStringLiteral("/data/Fotos"));
        QVERIFY(title);
        QCOMPARE(QPoint(title->x, title->y), QPoint(200, -200));
        const DrawOp *date = find(p, QStringLiteral("07.12.26 - 1"));
        QVERIFY(date);
        QCOMPARE(date->y, -200);
        QCOMPARE(date->x + fixedWidth(date->text), 1900);
        const DrawOp &rule = p.ops[2];
        QCOMPARE(rule.kind, DrawOp::Rule);
        QCOMPARE(QList<int>({ rule.x, rule.y, rule.x2, rule.width }),
            QList<int>({ 200, -250, 1900, 2 }));
        // The first entry 110 below the top margin; its columns; the note 40 lower.
        QCOMPARE(find(p, QStringLiteral("f.jpg"))->y, -310);
        QCOMPARE(find(p, QStringLiteral("AB"))->x, 1250);
        QCOMPARE(find(p, QStringLiteral("01.05.19"))->x, 1600);
        const DrawOp *note = find(p, QStringLiteral("note of f.jpg"));
        QCOMPARE(QPoint(note->x, note->y), QPoint(300, -350));
    }

    void sizeEndsAtTheRightMargin_data()
    {
        QTest::addColumn<QString>("size");
        QTest::newRow("short") << "0 K";
        QTest::newRow("long") << "> 99 G";
        QTest::newRow("empty") << "";
    }
    void sizeEndsAtTheRightMargin()
    {
        QFETCH(QString, size);
        const auto pages = layOut({ entry(QStringLiteral("f"), {}, size) });
        const std::vector<DrawOp> &ops = pages[0].ops;
        // Name, tags, date, size: the size follows the date.
        const auto date = std::find_if(ops.begin(), ops.end(),
            [](const DrawOp &op) { return op.text == QLatin1String("01.05.19"); });
        QVERIFY(date + 1 < ops.end());
        QCOMPARE((date + 1)->text, size);
        QCOMPARE((date + 1)->x + fixedWidth(size), 1900);
    }

    // 120 units an entry from -310: the entry at -1870 lies below the bottom margin (-1800).
    void pageBreaks_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("top");
        QTest::addColumn<QList<int>>("perPage");
        QTest::newRow("one page") << 13 << 200 << QList<int> { 13 };
        QTest::newRow("next entry below the bottom margin") << 14 << 200 << QList<int> { 13, 1 };
        QTest::newRow("three pages") << 30 << 200 << QList<int> { 13, 13, 4 };
        QTest::newRow("entry exactly at the bottom margin stays")
            << 2 << 1690 << QList<int> { 1, 1 };
    }
    void pageBreaks()
    {
        QFETCH(int, count);
        QFETCH(int, top);
        QFETCH(QList<int>, perPage);
        ListingMargins margins;
        margins.top = top;
        const auto pages = layOut(entries(count), margins);
        const QList<QList<int>> tops = entryTops(pages);
        QCOMPARE(int(tops.size()), int(perPage.size()));
        for (int i = 0; i < tops.size(); ++i) {
            QCOMPARE(int(tops[i].size()), perPage[i]);
            QCOMPARE(tops[i].first(), -top - 110);
            QCOMPARE(pages[size_t(i)].number, i + 1);
            QVERIFY(find(pages[size_t(i)], QStringLiteral("07.12.26 - %1").arg(i + 1)));
            for (int y : tops[i])
                QVERIFY(y >= -1800);
        }
    }

    void longTextLines()
    {
        const auto pages = layOut({ entry(QStringLiteral("f1"), { "one", "two", "three" }),
            entry(QStringLiteral("f2")) });
        const ListingPage &p = pages[0];
        QCOMPARE(find(p, QStringLiteral("one"))->y, -430);
        QCOMPARE(find(p, QStringLiteral("one"))->x, 300);
        QCOMPARE(find(p, QStringLiteral("two"))->y, -470);
        QCOMPARE(find(p, QStringLiteral("three"))->y, -510);
        // 40 more after the long text.
        QCOMPARE(find(p, QStringLiteral("f2"))->y, -590);
        // An info file of one empty line is a long text too: an empty line and the gap.
        const auto empty
            = layOut({ entry(QStringLiteral("f1"), { "" }), entry(QStringLiteral("f2")) });
        QCOMPARE(find(empty[0], QStringLiteral("f2"))->y, -510);
    }

    void longTextContinuesOnTheNextPage()
    {
        QStringList text;
        for (int i = 0; i < 40; ++i)
            text << QStringLiteral("line %1").arg(i);
        const auto pages = layOut({ entry(QStringLiteral("f1"), text) });
        QCOMPARE(int(pages.size()), 2);
        // 0 at -430 ... 34 at -1790; 35 would start at -1830: a new page with its header.
        QCOMPARE(find(pages[0], QStringLiteral("line 34"))->y, -1790);
        QCOMPARE(find(pages[1], QStringLiteral("line 35"))->y, -310);
        QVERIFY(find(pages[1], QStringLiteral("/data/Fotos")));
    }

    void wordWrap_data()
    {
        QTest::addColumn<QStringList>("text");
        QTest::addColumn<QStringList>("lines");
        // 10 characters fit.
        QTest::newRow("after the last blank that fits")
            << QStringList { "one two three" } << QStringList { "one two ", "three" };
        QTest::newRow("hyphen stays on the first line")
            << QStringList { "twenty-seven" } << QStringList { "twenty-", "seven" };
        QTest::newRow("blanks closing a line take no room")
            << QStringList { "ninechars     x" } << QStringList { "ninechars     ", "x" };
        QTest::newRow("last word of a line wraps too")
            << QStringList { "aaaa bbbbbbb", "c" } << QStringList { "aaaa ", "bbbbbbb", "c" };
        QTest::newRow("word wider than the line is broken")
            << QStringList { "abcdefghijklmnopqrstuvwxy" }
            << QStringList { "abcdefghij", "klmnopqrst", "uvwxy" };
        QTest::newRow("empty lines kept")
            << QStringList { "a", "", "b" } << QStringList { "a", "", "b" };
        QTest::newRow("line breaks not printed") << QStringList { "x\r" } << QStringList { "x" };
    }
    void wordWrap()
    {
        QFETCH(QStringList, text);
        QFETCH(QStringList, lines);
        QCOMPARE(listinglayout::wrapLines(text, 200, fixedWidth), lines);
    }

    void longUnbrokenTextWrapsQuickly()
    {
        int measured = 0;
        const auto counting = [&measured](const QString &t) {
            measured += int(t.size());
            return fixedWidth(t);
        };
        const QStringList lines
            = listinglayout::wrapLines({ QString(200000, QLatin1Char('x')) }, 1600, counting);
        QCOMPARE(lines.size(), 2500);
        QVERIFY2(measured < 50'000'000, qPrintable(QString::number(measured)));
    }

    void emptyViewPrintsNoPage() { QVERIFY(layOut({}).empty()); }

    // The records in view as the table gives them: order, range and filter, long texts
    // from the info files.
    void recordsInView()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + QLatin1Char('/');
        CatalogTable table;
        QVERIFY(table.open(root, QStringLiteral("Archiv")));
        DbfTable &t = table.table();
        const struct {
            const char *dir, *name, *code;
        } rows[] = { { "FOTOS\\", "b.jpg", "A" }, { "FOTOS\\", "a.jpg", "B" },
            { "FOTOS\\", "c.jpg", "AB" }, { "FOTOSAMMLUNG\\", "d.jpg", "A" } };
        for (const auto &r : rows) {
            QVERIFY(t.append());
            t.setFieldText(CatalogTable::DIR, QLatin1String(r.dir));
            t.setFieldText(CatalogTable::NAME, QLatin1String(r.name));
            t.setFieldText(CatalogTable::CODE, QLatin1String(r.code));
            t.setFieldDate(CatalogTable::DATE, QDate(2019, 5, 1));
            QVERIFY(t.post());
        }
        QVERIFY(testutil::writeFile(root + QStringLiteral("Fotos/c.jpg.!"), "first\r\nsecond\r\n"));
        QVERIFY(QDir().mkpath(root + QStringLiteral("Fotos/b.jpg.!"))); // unreadable
        QVERIFY(table.SetFolderRange(QStringLiteral("Fotos\\")));
        table.setTagFilter([](const DbfTable &r) {
            return r.fieldText(CatalogTable::CODE).contains(QLatin1Char('A'));
        });

        regional::install(regional::Rules(regional::DateOrder::DayMonth));
        std::vector<ListingEntry> listed;
        DbStatus textFailure;
        QVERIFY(listingsource::collect(t, PathResolver(root), listed, &textFailure));
        QCOMPARE(int(listed.size()), 2);
        QCOMPARE(listed[0].name, QStringLiteral("b.jpg"));
        QVERIFY(listed[0].textLines.isEmpty());
        QCOMPARE(listed[1].name, QStringLiteral("c.jpg"));
        QCOMPARE(listed[1].textLines, (QStringList { "first", "second" }));
        QCOMPARE(listed[1].date, QStringLiteral("01.05.19"));
        QCOMPARE(listed[1].tags, QStringLiteral("AB"));
        QCOMPARE(textFailure.code(), DbStatus::IoError);
        QVERIFY(textFailure.message().contains(QLatin1String("b.jpg.!")));
        // The table is back at the first record in view.
        QCOMPARE(t.fieldText(CatalogTable::NAME), QStringLiteral("b.jpg"));

        QCOMPARE(listingsource::title(root, QStringLiteral("Fotos\\2019\\")),
            root + QStringLiteral("Fotos/2019"));
        QCOMPARE(
            listingsource::title(QStringLiteral("/data/"), QString()), QStringLiteral("/data"));
    }

    // Drawn into a PDF offscreen, with no printer: as many pages as the layout has.
    void pdfWithoutPrinter()
    {
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        const ListingGeometry g = listingrender::geometryOf(pdf, {});
        QCOMPARE(g.width, 2100);
        QCOMPARE(g.height, 2970);
        ListingDocument doc { QStringLiteral("/data/Fotos"), QStringLiteral("07.12.26"),
            entries(35) };
        doc.entries[3].textLines = QStringList { QString(300, QLatin1Char('w')) };
        const listingrender::Result r = listingrender::print(pdf, doc, QStringLiteral("Arial"), {});
        QVERIFY(r.status);
        // 120 units an entry from -310 down to -2770: 21 entries a page, and the long text.
        QCOMPARE(r.pages, 2);
        buffer.close();
        QCOMPARE(pdfPages(buffer.data()), 2);
        QVERIFY(buffer.data().startsWith("%PDF"));

        // The font's cell is 4 mm whatever the family.
        const QFont font = listingrender::listingFont(QStringLiteral("Arial"), pdf);
        const QFontMetricsF m(font, &pdf);
        QVERIFY(qAbs((m.ascent() + m.descent()) / (pdf.logicalDpiY() / 254.0) - 40) < 1.5);
    }

    void deviceThatCannotBeginIsAFailure()
    {
        QPdfWriter pdf(QStringLiteral("/nonexistent-folder/listing.pdf"));
        const listingrender::Result r = listingrender::print(pdf,
            { QStringLiteral("t"), QStringLiteral("d"), entries(1) }, QStringLiteral("Arial"), {});
        QCOMPARE(r.status.code(), DbStatus::IoError);
        QCOMPARE(r.pages, 0);
    }
};

int main(int argc, char **argv)
{
    // Fonts need the graphical application object; offscreen, no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestListingPrint test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_listingprint.moc"
