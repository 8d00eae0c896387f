#include "browse/infotexts.h"
#include "browse/recordsearch.h"
#include "dialogs/regional.h"
#include "store/catalogtable.h"
#include "support/catalogrecords.h"
#include "support/scriptedprogress.h"
#include "support/testutil.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

// Makes the record of that name current within the folder's range.
void stand(CatalogTable &t, const QString &dir, const QString &name)
{
    QVERIFY(t.setFolderRange(dir));
    for (DbStatus st = t.table().first(); st && !t.table().eof(); st = t.table().next())
        if (t.text(CatalogTable::NAME) == name)
            return;
    QFAIL(qPrintable(QStringLiteral("no record %1%2").arg(dir, name)));
}

// The search as a walk through the order would make it: range lifted, one step away from
// the current record (from an empty folder: from the folder's place), every record tested
// until one matches or the table ends. The model the search must agree with.
quint32 walkedMatch(CatalogTable &t, RecordMatcher &m, bool down)
{
    DbfTable &d = t.table();
    const qint64 start = d.recNo();
    bool have = false;
    if (start > 0) {
        d.cancelRange();
        have = bool(down ? d.next() : d.prior()) && !(down ? d.eof() : d.bof());
    } else {
        const QByteArray low = t.folderKey(t.currentFolder());
        d.setRange(low, QByteArray(100, '\xFF'));
        const bool after = !d.isEmpty();
        d.cancelRange();
        if (down)
            have = after;
        else if (after)
            have = bool(d.prior()) && !d.bof();
        else
            have = bool(d.last()) && !d.isEmpty();
    }
    quint32 found = 0;
    while (have && !found) {
        if (m.matches(d.recordData()))
            found = quint32(d.recNo());
        else
            have = bool(down ? d.next() : d.prior()) && !(down ? d.eof() : d.bof());
    }
    t.setFolderRange(t.currentFolder());
    if (start > 0)
        d.goTo(quint32(start));
    return found;
}

} // namespace

class TestRecordSearch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_table.close(); }

    void matches_data();
    void matches();
    void longTexts_data();
    void longTexts();
    void agreesWithWalkThroughTheOrder();
    void stoppedSearchStaysWhereItWas_data();
    void stoppedSearchStaysWhereItWas();
    void folderWalk();

private:
    QString found(const QString &text, search::Kind kind, bool down);

    std::unique_ptr<QTemporaryDir> m_dir;
    CatalogTable m_table;
};

void TestRecordSearch::init()
{
    regional::install(regional::Rules(regional::DateOrder::DayMonth));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_table.open(m_dir->path(), QStringLiteral("Arch")));
    QVERIFY(testutil::addRecords(m_table,
        { { "A\\", "first.txt", "nothing here", "XY", QDate(2021, 12, 31), "1.1 K" },
            { "A\\", "zb", "c notes", "", QDate(2020, 1, 2), "12 B" },
            { "B\\", "kilo.jpg", "abc in another folder", "", QDate(2019, 5, 6), "3 K" },
            { "B\\", "last.jpg", "Abc again", "KQ", QDate(), "" },
            { "C\\", "only.txt", "", "w", QDate(2022, 2, 2), "9 M" },
            { "B\\", "mid.jpg", "", "", QDate(2019, 5, 6), "" } }));
    QVERIFY(
        testutil::writeFile(m_dir->path() + "/c/ONLY.TXT.!", "line one\r\nzebra\xA0stripes\r\n"));
}

// The name of the first match, or "" when none.
QString TestRecordSearch::found(const QString &text, search::Kind kind, bool down)
{
    RecordMatcher m(m_table.table(), text, kind, m_dir->path());
    SearchHit hit;
    if (!findNextMatch(m_table, m, down, hit) || hit.recno == 0)
        return QString();
    const qint64 was = m_table.table().recNo();
    m_table.table().cancelRange();
    m_table.table().goTo(hit.recno);
    const QString name = m_table.text(CatalogTable::NAME);
    m_table.setFolderRange(m_table.currentFolder());
    m_table.table().goTo(quint32(was));
    return name;
}

void TestRecordSearch::matches_data()
{
    // Where the search starts (folder|name, no name: the empty folder), the direction,
    // the search text, its kind and the name found ("" for none).
    QTest::addColumn<QStringList>("from");
    QTest::addColumn<bool>("down");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    const int record = int(search::Kind::Record), tag = int(search::Kind::Tag);
    const QStringList first { "A\\", "first.txt" };
    QTest::newRow("note in another folder") << first << true << "ABC" << record << "kilo.jpg";
    QTest::newRow("end of NAME, start of NOTE") << first << true << "B~C" << record << "zb";
    QTest::newRow("date as shown") << first << true << "02.01.20" << record << "zb";
    QTest::newRow("size") << first << true << "~9 M" << record << "only.txt";
    QTest::newRow("no field runs on") << first << true << "ZBC" << record << "";
    QTest::newRow("blank date empty") << first << true << "AGAIN~~" << record << "last.jpg";
    QTest::newRow("tag, not name") << first << true << "K" << tag << "last.jpg";
    QTest::newRow("tags upper-cased") << first << true << "W" << tag << "only.txt";
    QTest::newRow("beyond the code page")
        << first << true << QString(QChar(0x263A)) + "X" << int(search::Kind::Text) << "";
    QTest::newRow("up across folders")
        << QStringList { "C\\", "only.txt" } << false << "ABC" << record << "last.jpg";
    QTest::newRow("empty folder after matches, down")
        << QStringList { "B\\A\\" } << true << "ABC" << record << "";
    QTest::newRow("empty folder after matches, up")
        << QStringList { "B\\A\\" } << false << "ABC" << record << "last.jpg";
}

void TestRecordSearch::matches()
{
    QFETCH(QStringList, from);
    QFETCH(bool, down);
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(QString, expected);
    if (from.size() > 1)
        stand(m_table, from[0], from[1]);
    else
        QVERIFY(m_table.setFolderRange(from[0]));
    QCOMPARE(found(text, search::Kind(kind), down), expected);
    // The current record is not tested, and the table has not moved.
    QCOMPARE(m_table.text(CatalogTable::NAME), from.value(1));
    QCOMPARE(m_table.currentFolder(), from[0]);
}

// Long texts as the text pane shows them: whether the record is found, and whether the
// match lay in the text by itself.
void TestRecordSearch::longTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found");
    QTest::addColumn<bool>("inText");
    QTest::addColumn<qint64>("filler"); // bytes before the text, so that a piece ends in it
    QTest::newRow("only in the long text") << "ZEBRA" << 5 << true << qint64(0);
    QTest::newRow("no-break space as a blank") << "ZEBRA STR" << 5 << true << qint64(0);
    QTest::newRow("across the lines' break") << "ONE\nZEB" << 5 << true << qint64(0);
    QTest::newRow("size ends, text begins") << "M~LINE" << 5 << false << qint64(0);
    QTest::newRow("no text, still a ~ for it") << "AGAIN~~~" << 4 << false << qint64(0);
    // Texts are read in pieces: a match across the end of one is found all the same.
    QTest::newRow("across the end of a piece") << "ZEBRA" << 5 << true << InfoTexts::kPiece - 12;
    QTest::newRow("a piece ends between CR and LF")
        << "ONE\nZEB" << 5 << true << InfoTexts::kPiece - 9;
}

void TestRecordSearch::longTexts()
{
    QFETCH(QString, text);
    QFETCH(int, found);
    QFETCH(bool, inText);
    QFETCH(qint64, filler);
    const QString info = m_dir->path() + "/c/ONLY.TXT.!";
    QVERIFY(testutil::writeFile(info, QByteArray(filler, 'x') + testutil::readFile(info)));
    stand(m_table, QStringLiteral("A\\"), QStringLiteral("first.txt"));
    for (search::Kind kind : { search::Kind::Text, search::Kind::Record }) {
        RecordMatcher m(m_table.table(), text, kind, m_dir->path());
        SearchHit hit;
        QVERIFY(findNextMatch(m_table, m, true, hit));
        // Without the texts nothing of these is found.
        QCOMPARE(int(hit.recno), kind == search::Kind::Text ? found : 0);
        if (hit.recno)
            QCOMPARE(m.textHolds(hit.record.constData()), inText);
    }
}

// Random catalogues in every order, with and without a filter, from random places: the
// search finds what a walk through the order finds.
void TestRecordSearch::agreesWithWalkThroughTheOrder()
{
    QRandomGenerator rng(42);
    const QStringList dirs = { "A\\", "B\\", "B\\C\\", "D\\" };
    for (int i = 0; i < 200; ++i) {
        // Few distinct names and notes: many equal keys, ordered by record number.
        QVERIFY(testutil::addRecords(m_table,
            { { dirs[int(rng.bounded(4))], QStringLiteral("n%1.txt").arg(rng.bounded(6)),
                QStringLiteral("note %1").arg(rng.bounded(5)),
                QString(QChar('P' + int(rng.bounded(3)))), QDate(2020, 1, 1 + int(rng.bounded(3))),
                QString() } }));
    }
    QVERIFY(m_table.table().cancelRange());
    for (quint32 recno = 17; recno < 200; recno += 17) {
        QVERIFY(m_table.table().goTo(recno));
        QVERIFY(m_table.table().deleteRecord());
    }
    for (int order = 1; order <= 4; ++order) {
        QVERIFY(m_table.switchOrder(order));
        for (bool filtered : { false, true }) {
            if (filtered)
                m_table.setTagFilter(
                    [](const DbfTable &t) { return t.fieldBytes(CatalogTable::CODE) != "Q"; });
            else
                m_table.switchTagFilterOff();
            for (int round = 0; round < 40; ++round) {
                const QString folder
                    = round % 4 == 0 ? QStringLiteral("B\\A\\") : dirs[round % 5 % 4];
                QVERIFY(m_table.setFolderRange(folder));
                for (int skip = int(rng.bounded(4)); skip > 0 && !m_table.table().eof(); --skip)
                    m_table.table().next();
                const bool down = rng.bounded(2) == 0;
                const QString text = QStringLiteral("N%1").arg(rng.bounded(7));
                RecordMatcher m(m_table.table(), text, search::Kind::Record, m_dir->path());
                SearchHit hit;
                QVERIFY(findNextMatch(m_table, m, down, hit));
                const QString where = QStringLiteral("order %1, filter %2, %3, record %4, %5")
                                          .arg(order)
                                          .arg(filtered)
                                          .arg(folder, text)
                                          .arg(m_table.table().recNo());
                QVERIFY2(hit.recno == walkedMatch(m_table, m, down), qPrintable(where));
            }
        }
    }
}

// A search stopped through its progress finds nothing and moves nothing.
void TestRecordSearch::stoppedSearchStaysWhereItWas_data()
{
    QTest::addColumn<qint64>("stopFrom");
    QTest::addColumn<QString>("found");
    QTest::newRow("stopped") << qint64(0) << QString();
    QTest::newRow("run to its end") << qint64(-1) << QStringLiteral("only.txt");
}

void TestRecordSearch::stoppedSearchStaysWhereItWas()
{
    QFETCH(qint64, stopFrom);
    QFETCH(QString, found);
    stand(m_table, QStringLiteral("B\\"), QStringLiteral("last.jpg"));
    const qint64 before = m_table.table().recNo();
    RecordMatcher m(m_table.table(), QStringLiteral("9 M"), search::Kind::Record, m_dir->path());
    SearchHit hit;
    ScriptedProgress progress(stopFrom);
    const DbStatus st = findNextMatch(m_table, m, true, hit, &progress);
    QCOMPARE(st.code(), stopFrom < 0 ? DbStatus::Ok : DbStatus::Cancelled);
    QCOMPARE(progress.steps.size(), size_t(1));
    QCOMPARE(hit.recno == 0, found.isEmpty());
    QCOMPARE(m_table.table().recNo(), before);
    QCOMPARE(m_table.currentFolder(), QStringLiteral("B\\"));
    if (!found.isEmpty()) {
        m_table.table().cancelRange();
        QVERIFY(m_table.table().goTo(hit.recno));
        QCOMPARE(m_table.text(CatalogTable::NAME), found);
    }
}

// In the folder shown the walk stops on a record whose folder path ends with the name,
// and runs to the folder's end when the folder's own path does not.
void TestRecordSearch::folderWalk()
{
    stand(m_table, QStringLiteral("B\\"), QStringLiteral("last.jpg"));
    search::walkToFolderName(m_table.table(), QStringLiteral("B\\"), true);
    QCOMPARE(m_table.text(CatalogTable::NAME), QStringLiteral("last.jpg"));
    search::walkToFolderName(m_table.table(), QStringLiteral("FOTOS\\"), true);
    QCOMPARE(m_table.text(CatalogTable::NAME), QStringLiteral("mid.jpg"));
    // A folder freshly selected stands at its beginning: nothing moves.
    QVERIFY(m_table.setFolderRange(QStringLiteral("A\\")));
    search::walkToFolderName(m_table.table(), QStringLiteral("FOTOS\\"), true);
    QCOMPARE(m_table.text(CatalogTable::NAME), QStringLiteral("first.txt"));
}

QTEST_GUILESS_MAIN(TestRecordSearch)
#include "tst_recordsearch.moc"
