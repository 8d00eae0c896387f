#include "browse/recordsearch.h"
#include "dialogs/regional.h"
#include "store/catalogtable.h"
#include "support/testutil.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

struct Rec {
    QString dir;
    QString name;
    QString note = {};
    QString code = {};
    QDate date = {};
    QString size = {};
};

void add(CatalogTable &t, const Rec &r)
{
    QVERIFY(t.table().append());
    t.setText(CatalogTable::DIR, r.dir);
    t.setText(CatalogTable::NAME, r.name);
    t.setText(CatalogTable::NOTE, r.note);
    t.setText(CatalogTable::CODE, r.code);
    t.table().setFieldDate(CatalogTable::DATE, r.date);
    t.setText(CatalogTable::SIZE, r.size);
    QVERIFY(t.table().post());
}

// Makes the record of that name current within the folder's range.
void stand(CatalogTable &t, const QString &dir, const QString &name)
{
    QVERIFY(t.SetFolderRange(dir));
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
        const QByteArray low = CatalogTable::folderKey(t.currentFolder());
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
    d.cancelRange();
    if (start > 0)
        d.goTo(quint32(start));
    t.SetFolderRange(t.currentFolder());
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

    void kinds_data();
    void kinds();
    void matches_data();
    void matches();
    void longTextsAsThePaneShowsThem_data();
    void longTextsAsThePaneShowsThem();
    void nextMatchAcrossFolders_data();
    void nextMatchAcrossFolders();
    void agreesWithWalkThroughTheOrder();
    void folderNodes_data();
    void folderNodes();
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
    add(m_table, { "A\\", "first.txt", "nothing here", "XY", QDate(2021, 12, 31), "1.1 K" });
    add(m_table, { "A\\", "zb", "c notes", "", QDate(2020, 1, 2), "12 B" });
    add(m_table, { "B\\", "kilo.jpg", "abc in another folder", "", QDate(2019, 5, 6), "3 K" });
    add(m_table, { "B\\", "last.jpg", "Abc again", "KQ", QDate(), "" });
    add(m_table, { "C\\", "only.txt", "", "w", QDate(2022, 2, 2), "" });
    add(m_table, { "B\\", "mid.jpg", "", "", QDate(2019, 5, 6), "" });
    QVERIFY(
        testutil::writeFile(m_dir->path() + "/c/ONLY.TXT.!", "line one\r\nzebra\xA0stripes\r\n"));
}

void TestRecordSearch::kinds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("inText");
    QTest::addColumn<int>("kind");
    QTest::newRow("folder") << "FOTOS\\" << true << int(search::Kind::Folder);
    QTest::newRow("backslash alone") << "\\" << false << int(search::Kind::Folder);
    QTest::newRow("tag") << "K" << true << int(search::Kind::Tag);
    QTest::newRow("text") << "KI" << true << int(search::Kind::Text);
    QTest::newRow("record") << "KI" << false << int(search::Kind::Record);
}

void TestRecordSearch::kinds()
{
    QFETCH(QString, text);
    QFETCH(bool, inText);
    QFETCH(int, kind);
    QCOMPARE(int(search::kindOf(text, inText)), kind);
    QCOMPARE(search::textOfAnswer(QStringLiteral("fotos\\ä")), QStringLiteral("FOTOS\\Ä"));
    QCOMPARE(search::textOfAnswer(QString(QChar(27))), QString());
}

// The first match downwards from first.txt, or "" when none.
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
    m_table.SetFolderRange(m_table.currentFolder());
    m_table.table().goTo(quint32(was));
    return name;
}

void TestRecordSearch::matches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    const int record = int(search::Kind::Record);
    QTest::newRow("note in another folder") << "ABC" << record << "kilo.jpg";
    QTest::newRow("end of NAME and start of NOTE") << "B~C" << record << "zb";
    QTest::newRow("date as shown") << "02.01.20" << record << "zb";
    QTest::newRow("size") << "~12 B" << record << "zb";
    QTest::newRow("no field runs into the next") << "ZBC" << record << "";
    QTest::newRow("trailing blanks are no part of a field") << "K " << record << "";
    QTest::newRow("blank date shows nothing") << "AGAIN~~" << record << "last.jpg";
    QTest::newRow("tag, not name") << "K" << int(search::Kind::Tag) << "last.jpg";
    QTest::newRow("tags upper-cased") << "W" << int(search::Kind::Tag) << "only.txt";
    QTest::newRow("not in the code page")
        << QString(QChar(0x263A)) + "X" << int(search::Kind::Text) << "";
}

void TestRecordSearch::matches()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(QString, expected);
    stand(m_table, QStringLiteral("A\\"), QStringLiteral("first.txt"));
    QCOMPARE(found(text, search::Kind(kind), true), expected);
    // The current record is not tested, and the table has not moved.
    QCOMPARE(m_table.text(CatalogTable::NAME), QStringLiteral("first.txt"));
    QCOMPARE(m_table.currentFolder(), QStringLiteral("A\\"));
}

void TestRecordSearch::longTextsAsThePaneShowsThem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("inText");
    QTest::addColumn<int>("found");
    QTest::addColumn<bool>("textHolds");
    QTest::newRow("only in the long text") << "ZEBRA" << true << 5 << true;
    QTest::newRow("texts not searched") << "ZEBRA" << false << 0 << false;
    QTest::newRow("no-break space shown as a blank") << "ZEBRA STR" << true << 5 << true;
    QTest::newRow("across the lines' break") << "ONE\nZEB" << true << 5 << true;
    QTest::newRow("size ends, text begins") << "~~LINE" << true << 5 << false;
    QTest::newRow("no text, still a ~ for it") << "AGAIN~~~" << true << 4 << false;
    QTest::newRow("no ~ after SIZE without texts") << "AGAIN~~~" << false << 0 << false;
}

void TestRecordSearch::longTextsAsThePaneShowsThem()
{
    QFETCH(QString, text);
    QFETCH(bool, inText);
    QFETCH(int, found);
    QFETCH(bool, textHolds);
    stand(m_table, QStringLiteral("A\\"), QStringLiteral("first.txt"));
    const search::Kind kind = inText ? search::Kind::Text : search::Kind::Record;
    RecordMatcher m(m_table.table(), text, kind, m_dir->path());
    SearchHit hit;
    QVERIFY(findNextMatch(m_table, m, true, hit));
    QCOMPARE(int(hit.recno), found);
    if (found)
        QCOMPARE(m.textHolds(hit.record.constData()), textHolds);
}

void TestRecordSearch::nextMatchAcrossFolders_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("down");
    QTest::addColumn<QString>("expected");
    QTest::newRow("down to another folder") << "A\\"
                                            << "zb" << true << "kilo.jpg";
    QTest::newRow("next in the same folder") << "B\\"
                                             << "kilo.jpg" << true << "last.jpg";
    QTest::newRow("up across folders") << "C\\"
                                       << "only.txt" << false << "last.jpg";
    QTest::newRow("nothing after") << "B\\"
                                   << "last.jpg" << true << "";
    QTest::newRow("empty folder down") << "A\\X\\" << QString() << true << "kilo.jpg";
    QTest::newRow("empty folder up") << "A\\X\\" << QString() << false << "";
    QTest::newRow("empty folder after matches, down") << "B\\A\\" << QString() << true << "";
    QTest::newRow("empty folder after matches, up") << "B\\A\\" << QString() << false << "last.jpg";
    QTest::newRow("empty folder past the end, up") << "Z\\" << QString() << false << "last.jpg";
}

void TestRecordSearch::nextMatchAcrossFolders()
{
    QFETCH(QString, dir);
    QFETCH(QString, name);
    QFETCH(bool, down);
    QFETCH(QString, expected);
    if (name.isEmpty())
        QVERIFY(m_table.SetFolderRange(dir));
    else
        stand(m_table, dir, name);
    QCOMPARE(found(QStringLiteral("ABC"), search::Kind::Record, down), expected);
}

// Random catalogues in every order, with and without a filter, from random places: the
// search finds what a walk through the order finds.
void TestRecordSearch::agreesWithWalkThroughTheOrder()
{
    QRandomGenerator rng(42);
    const QStringList dirs = { "A\\", "B\\", "B\\C\\", "D\\" };
    for (int i = 0; i < 200; ++i) {
        // Few distinct names and notes: many equal keys, ordered by record number.
        add(m_table,
            { dirs[int(rng.bounded(4))], QStringLiteral("n%1.txt").arg(rng.bounded(6)),
                QStringLiteral("note %1").arg(rng.bounded(5)),
                QString(QChar('P' + int(rng.bounded(3)))), QDate(2020, 1, 1 + int(rng.bounded(3))),
                QString() });
    }
    QVERIFY(m_table.table().cancelRange());
    for (quint32 recno = 17; recno < 200; recno += 17) {
        QVERIFY(m_table.table().goTo(recno));
        QVERIFY(m_table.table().deleteRecord());
    }
    for (int order = 1; order <= 4; ++order) {
        QVERIFY(m_table.SwitchOrder(order));
        for (bool filtered : { false, true }) {
            if (filtered)
                m_table.setTagFilter(
                    [](const DbfTable &t) { return t.fieldBytes(CatalogTable::CODE) != "Q"; });
            else
                m_table.switchTagFilterOff();
            for (int round = 0; round < 40; ++round) {
                const QString folder
                    = round % 4 == 0 ? QStringLiteral("B\\A\\") : dirs[round % 5 % 4];
                QVERIFY(m_table.SetFolderRange(folder));
                for (int skip = int(rng.bounded(4)); skip > 0 && !m_table.table().eof(); --skip)
                    m_table.table().next();
                const bool down = rng.bounded(2) == 0;
                const QString text = QStringLiteral("N%1").arg(rng.bounded(7));
                RecordMatcher m(m_table.table(), text, search::Kind::Record, m_dir->path());
                SearchHit hit;
                QVERIFY(findNextMatch(m_table, m, down, hit));
                const QString where = QStringLiteral("order %1, %2, from %3 %4 %5")
                                          .arg(order)
                                          .arg(filtered)
                                          .arg(folder)
                                          .arg(m_table.table().recNo())
                                          .arg(down ? "down" : "up");
                QVERIFY2(hit.recno == walkedMatch(m_table, m, down), qPrintable(where));
            }
        }
    }
}

void TestRecordSearch::folderNodes_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("expected");
    // Nodes: Fotos, Fotos2, Bilder, fotos (a sub-folder, say).
    QTest::newRow("next after the selected") << 0 << "FOTOS\\" << true << 3;
    QTest::newRow("Fotos2 is no Fotos") << 1 << "FOTOS2\\" << true << -1;
    QTest::newRow("up to the very first node") << 2 << "FOTOS\\" << false << 0;
    QTest::newRow("nothing selected, down") << -1 << "FOTOS\\" << true << 0;
    QTest::newRow("nothing selected, up") << -1 << "FOTOS\\" << false << -1;
    QTest::newRow("backslash alone") << 0 << "\\" << true << -1;
}

void TestRecordSearch::folderNodes()
{
    QFETCH(int, selected);
    QFETCH(QString, text);
    QFETCH(bool, down);
    QFETCH(int, expected);
    const QStringList nodes = { "Fotos", "Fotos2", "Bilder", "fotos" };
    QCOMPARE(search::findFolderNode(
                 [&](int i) { return nodes[i]; }, int(nodes.size()), selected, text, down),
        expected);
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
    QVERIFY(m_table.SetFolderRange(QStringLiteral("A\\")));
    search::walkToFolderName(m_table.table(), QStringLiteral("FOTOS\\"), true);
    QCOMPARE(m_table.text(CatalogTable::NAME), QStringLiteral("first.txt"));
}

QTEST_GUILESS_MAIN(TestRecordSearch)
#include "tst_recordsearch.moc"
