#include "print/listinglayout.h"

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

// A document of one entry on a printable area width x height.
std::vector<ListingPage> layOutOne(
    const ListingEntry &e, int width, ListingMargins margins = {}, int height = 2000)
{
    ListingDocument doc { QStringLiteral("/data/Fotos"), QStringLiteral("07.12.26"), { e } };
    return listinglayout::layOut(doc, { width, height, margins }, fixedWidth);
}

// The texts of a page as "x,y text", the header left out.
QStringList texts(const ListingPage &page)
{
    QStringList out;
    for (const DrawOp &op : page.ops)
        if (op.kind == DrawOp::Text && op.y < -200)
            out << QStringLiteral("%1,%2 %3").arg(op.x).arg(op.y).arg(op.text);
    return out;
}

std::vector<ListingEntry> entries(int n)
{
    std::vector<ListingEntry> list;
    for (int i = 0; i < n; ++i)
        list.push_back(entry(QStringLiteral("f%1").arg(i)));
    return list;
}

} // namespace

Q_DECLARE_METATYPE(ListingEntry)

// The folder listing's layout in tenths of a millimetre, computed without a printer. The
// records it is made of and the PDF drawn from it are checked through tabulon-cli print
// and the window's command.
class TestListingLayout : public QObject
{
    Q_OBJECT
private slots:
    // The header, the rule, and the first entry 110 below the top margin; the date and the
    // size end at the right margin.
    void headerAndFirstEntry()
    {
        const auto pages = layOut({ entry(QStringLiteral("f.jpg"), {}, QStringLiteral("> 99 G")) });
        QCOMPARE(int(pages.size()), 1);
        QStringList ops;
        for (const DrawOp &op : pages[0].ops)
            ops << (op.kind == DrawOp::Text
                    ? QStringLiteral("%1,%2 %3").arg(op.x).arg(op.y).arg(op.text)
                    : QStringLiteral("rule %1,%2-%3 w%4")
                          .arg(op.x)
                          .arg(op.y)
                          .arg(op.x2)
                          .arg(op.width));
        QCOMPARE(ops,
            (QStringList { "200,-200 /data/Fotos", "1660,-200 07.12.26 - 1",
                "rule 200,-250-1900 w2", "200,-310 f.jpg", "1250,-310 AB", "1600,-310 01.05.19",
                "1780,-310 > 99 G", "300,-350 note of f.jpg" }));
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

    void emptyViewPrintsNoPage() { QVERIFY(layOut({}).empty()); }

    // Where the columns' texts do not fit, they go on below within their column; on a page
    // narrower than the columns need, the columns move left in proportion.
    void entryThatDoesNotFit_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<ListingEntry>("entry");
        QTest::addColumn<QStringList>("ops");
        const QString n51(51, QLatin1Char('n'));
        QTest::newRow("name wider than its column goes on below it")
            << 2000 << ListingEntry { n51 + "nn", "AB", "01.05.19", "1.1 K", "note", {} }
            << QStringList { "200,-310 " + n51, "1250,-310 AB", "1600,-310 01.05.19",
                   "1800,-310 1.1 K", "200,-350 nn", "300,-390 note" };
        QTest::newRow("name breaks after a blank")
            << 2000 << ListingEntry { n51 + " name", "", "", "1 K", "", {} }
            << QStringList { "200,-310 " + n51 + " ", "1250,-310 ", "1600,-310 ", "1840,-310 1 K",
                   "200,-350 name", "300,-390 " };
        QTest::newRow("note wraps within the right margin")
            << 2000 << ListingEntry { "f", "", "", "", QString(80, 'w') + " last", {} }
            << QStringList { "200,-310 f", "1250,-310 ", "1600,-310 ", "1900,-310 ",
                   "300,-350 " + QString(80, 'w') + " ", "300,-390 last" };
        // 920 is where the date must begin to end 20 before the size: the columns at
        // 720/1400 of their places.
        QTest::newRow("narrow page: columns move left in proportion")
            << 1300 << ListingEntry { "f", "AB", "01.05.19", "1.1 K", "n", {} }
            << QStringList { "200,-310 f", "740,-310 AB", "920,-310 01.05.19", "1100,-310 1.1 K",
                   "300,-350 n" };
        QTest::newRow("wide tags take room from the name")
            << 1300 << ListingEntry { "f", "ABCDEFGHIJ", "01.05.19", "1.1 K", "n", {} }
            << QStringList { "200,-310 f", "700,-310 ABCDEFGHIJ", "920,-310 01.05.19",
                   "1100,-310 1.1 K", "300,-350 n" };
        QTest::newRow("tags wider than the name leaves them wrap")
            << 900 << ListingEntry { "f", "ABCDEFGHIJ", "01.05.19", "1 K", "", {} }
            << QStringList { "200,-310 f", "380,-310 ABCDEFGH", "560,-310 01.05.19", "740,-310 1 K",
                   "380,-350 IJ", "300,-390 " };
    }
    void entryThatDoesNotFit()
    {
        QFETCH(int, width);
        QFETCH(ListingEntry, entry);
        QFETCH(QStringList, ops);
        const auto pages = layOutOne(entry, width);
        QCOMPARE(int(pages.size()), 1);
        QCOMPARE(texts(pages[0]), ops);
    }

    void longTitleLosesItsBeginning()
    {
        ListingDocument doc { "/" + QString(100, 'a') + "/Fotos", "07.12.26", entries(1) };
        const auto pages = listinglayout::layOut(doc, { 2000, 2000, {} }, fixedWidth);
        // 1900 - 240 (date and page) - 20 (gap) - 200 leave 1440: "..." and 69 characters.
        QCOMPARE(pages[0].ops[0].text, "..." + QString(63, 'a') + "/Fotos");
        QCOMPARE(pages[0].ops[0].x, 200);
    }

    // With no bottom margin an entry whose lines would run past the foot of the page
    // begins the next one, and a long text line that would begins a page too.
    void nothingRunsPastTheFoot()
    {
        ListingMargins margins;
        margins.bottom = 0;
        // 14 entries from -310, 120 apart: the 15th at -1990 would end at -2070.
        const auto pages = layOut(entries(15), margins);
        QCOMPARE(entryTops(pages),
            (QList<QList<int>> { { -310, -430, -550, -670, -790, -910, -1030, -1150, -1270, -1390,
                                     -1510, -1630, -1750, -1870 },
                { -310 } }));
        QStringList text;
        for (int i = 0; i < 41; ++i)
            text << QStringLiteral("line %1").arg(i);
        const auto textPages = layOut({ entry(QStringLiteral("f1"), text) }, margins);
        QCOMPARE(find(textPages[0], QStringLiteral("line 38"))->y, -1950);
        QCOMPARE(find(textPages[1], QStringLiteral("line 39"))->y, -310);
    }

    void marginsWithoutRoomAreRefused_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<int>>("margins"); // top, left, bottom, right
        QTest::addColumn<QString>("refusal");
        QTest::newRow("defaults") << 2000 << QList<int> { 200, 200, 200, 100 } << QString();
        QTest::newRow("no margins") << 2000 << QList<int> { 0, 0, 0, 0 } << QString();
        QTest::newRow("first line on the bottom margin")
            << 2000 << QList<int> { 1690, 200, 200, 100 } << QString();
        QTest::newRow("first line below the bottom margin")
            << 2000 << QList<int> { 1691, 200, 200, 100 } << "less than one line";
        QTest::newRow("first line ends at the foot")
            << 2000 << QList<int> { 1850, 200, 0, 100 } << QString();
        QTest::newRow("first line past the foot")
            << 2000 << QList<int> { 1851, 200, 0, 100 } << "less than one line";
        QTest::newRow("top 65535") << 2000 << QList<int> { 65535, 0, 0, 0 } << "less than one line";
        QTest::newRow("bottom 65535")
            << 2000 << QList<int> { 0, 0, 65535, 0 } << "less than one line";
        QTest::newRow("left 65535")
            << 2000 << QList<int> { 0, 65535, 0, 0 } << "less than one column";
        QTest::newRow("right 65535")
            << 2000 << QList<int> { 0, 0, 0, 65535 } << "less than one column";
        QTest::newRow("a character for the name and the tags")
            << 660 << QList<int> { 200, 200, 200, 100 } << QString();
        QTest::newRow("less than a character for the name")
            << 659 << QList<int> { 200, 200, 200, 100 } << "less than one column";
    }
    void marginsWithoutRoomAreRefused()
    {
        QFETCH(int, width);
        QFETCH(QList<int>, margins);
        QFETCH(QString, refusal);
        const ListingGeometry geometry { width, 2000,
            { margins[0], margins[1], margins[2], margins[3] } };
        const ListingDocument doc { "/data/Fotos", "07.12.26", entries(30) };
        const QString reason = listinglayout::refusal(doc, geometry, fixedWidth);
        QVERIFY2(
            refusal.isEmpty() ? reason.isEmpty() : reason.contains(refusal), qPrintable(reason));
        QCOMPARE(listinglayout::layOut(doc, geometry, fixedWidth).empty(), !refusal.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestListingLayout)
#include "tst_listinglayout.moc"
