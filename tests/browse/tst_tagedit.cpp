#include "browse/tagedit.h"
#include "browse/tagfilter.h"
#include "store/catalogtable.h"
#include "support/testutil.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestTagEdit : public QObject
{
    Q_OBJECT
private slots:
    void filterOfAnswer_data();
    void filterOfAnswer();
    void filterAccepts_data();
    void filterAccepts();
    void tagOfAnswer_data();
    void tagOfAnswer();
    void codeChanges_data();
    void codeChanges();
    void replaceOverTheTable_data();
    void replaceOverTheTable();
    void tagListFile();
};

void TestTagEdit::filterOfAnswer_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("filter");
    QTest::newRow("minus not first: AND") << "b a -b"
                                          << "BA";
    QTest::newRow("NOT") << "-ab"
                         << "-AB";
    QTest::newRow("cut before repeats are dropped") << "AABBCCDDEEFF"
                                                    << "ABCDE";
    QTest::newRow("twelve distinct letters") << "abcdefghijkl"
                                             << "ABCDEFGHIJ";
    QTest::newRow("minus alone") << "-"
                                 << "-";
    QTest::newRow("code page's upper case") << "äx"
                                            << "ÄX";
}

void TestTagEdit::filterOfAnswer()
{
    QFETCH(QString, answer);
    QFETCH(QString, filter);
    QCOMPARE(tagfilter::fromAnswer(answer), filter);
    QCOMPARE(tagfilter::panelText(filter), QStringLiteral("Tags:  ") + filter);
}

void TestTagEdit::filterAccepts_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("empty filter") << "" << QByteArray("          ") << true;
    QTest::newRow("AND, all there") << "BA" << QByteArray("CAB       ") << true;
    QTest::newRow("AND, one missing") << "BA" << QByteArray("B         ") << false;
    QTest::newRow("NOT hides A") << "-AB" << QByteArray("XA        ") << false;
    QTest::newRow("NOT hides B") << "-AB" << QByteArray("B         ") << false;
    QTest::newRow("NOT passes others") << "-AB" << QByteArray("XY        ") << true;
    QTest::newRow("NOT hides a minus tag") << "-AB" << QByteArray("-         ") << false;
    QTest::newRow("with case, as stored") << "A" << QByteArray("a         ") << false;
    QTest::newRow("AND of a character no tag can be")
        << QString(QChar(0x263A)) << QByteArray("A         ") << false;
    QTest::newRow("NOT of such a character")
        << "-" + QString(QChar(0x263A)) << QByteArray("A         ") << true;
}

void TestTagEdit::filterAccepts()
{
    QFETCH(QString, filter);
    QFETCH(QByteArray, code);
    QFETCH(bool, accepted);
    QCOMPARE(tagfilter::Test(filter).accepts(code.constData(), int(code.size())), accepted);
}

void TestTagEdit::tagOfAnswer_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("tag");
    QTest::newRow("letter") << "b"
                            << "B";
    QTest::newRow("first character only") << "xyz"
                                          << "X";
    QTest::newRow("minus first") << "-A"
                                 << "-";
    QTest::newRow("minus alone") << "-" << QString();
    QTest::newRow("empty") << "" << QString();
    QTest::newRow("Esc") << QString(QChar(27)) << QString();
}

void TestTagEdit::tagOfAnswer()
{
    QFETCH(QString, answer);
    QFETCH(QString, tag);
    QCOMPARE(tagedit::tagOfAnswer(answer), tag);
}

void TestTagEdit::codeChanges_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("expected");
    QTest::newRow("add in front") << "XY"
                                  << ""
                                  << "B"
                                  << "BXY";
    QTest::newRow("add what is there") << "BXY"
                                       << ""
                                       << "B"
                                       << "BXY";
    QTest::newRow("add to ten: the oldest goes") << "ABCDEFGHIJ"
                                                 << ""
                                                 << "Z"
                                                 << "ZABCDEFGHI";
    QTest::newRow("remove every one") << "XAX"
                                      << "X"
                                      << ""
                                      << "A";
    QTest::newRow("replace, to there already") << "AB"
                                               << "A"
                                               << "B"
                                               << "AB";
    QTest::newRow("replace") << "AC"
                             << "A"
                             << "B"
                             << "BC";
    QTest::newRow("replace every one") << "AXA"
                                       << "A"
                                       << "B"
                                       << "BXB";
    QTest::newRow("neither") << "AC"
                             << ""
                             << ""
                             << "AC";
}

void TestTagEdit::codeChanges()
{
    QFETCH(QString, code);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, expected);
    QCOMPARE(tagedit::replaced(code, from, to), expected);
    if (from.isEmpty())
        QCOMPARE(tagedit::added(code, to), expected);
    if (to.isEmpty())
        QCOMPARE(tagedit::removed(code, from), expected);
}

void TestTagEdit::replaceOverTheTable_data()
{
    QTest::addColumn<bool>("allFolders");
    QTest::addColumn<bool>("filtered");
    QTest::addColumn<QStringList>("codes");
    // Records: F\a AB, F\b AC, G\c AC, F\d AC (hidden by the filter when on).
    QTest::newRow("selected folder only")
        << false << false << QStringList { "AB", "BC", "AC", "BC" };
    QTest::newRow("all folders") << true << false << QStringList { "AB", "BC", "BC", "BC" };
    QTest::newRow("hidden records are not visited")
        << true << true << QStringList { "AB", "BC", "BC", "AC" };
}

void TestTagEdit::replaceOverTheTable()
{
    QFETCH(bool, allFolders);
    QFETCH(bool, filtered);
    QFETCH(QStringList, codes);
    QTemporaryDir dir;
    CatalogTable t;
    QVERIFY(t.open(dir.path(), QStringLiteral("Arch"), "3"));
    const QStringList dirs = { "F\\", "F\\", "G\\", "F\\" };
    const QStringList names = { "a", "b", "c", "d" };
    const QStringList was = { "AB", "AC", "AC", "AC" };
    for (int i = 0; i < 4; ++i) {
        QVERIFY(t.table().append());
        t.setText(CatalogTable::DIR, dirs[i]);
        t.setText(CatalogTable::NAME, names[i]);
        t.setText(CatalogTable::CODE, was[i]);
        QVERIFY(t.table().post());
    }
    QVERIFY(t.SetFolderRange(QStringLiteral("f\\")));
    if (filtered)
        t.setTagFilter(
            [](const DbfTable &table) { return table.fieldBytes(CatalogTable::NAME) != "d"; });
    QVERIFY(t.table().next());
    const qint64 current = t.table().recNo();

    QVERIFY(tagedit::ReplaceTags(t, { "A", "B", allFolders, QStringLiteral("f\\") }));
    QCOMPARE(t.orderName(), QByteArray("3"));
    QCOMPARE(t.table().order(), QByteArray("3"));
    QVERIFY(t.table().hasRange());
    QCOMPARE(t.table().recNo(), current);
    QVERIFY(!t.isDetached());
    t.switchTagFilterOff();
    QVERIFY(t.table().setOrder(QByteArray()));
    QStringList now;
    for (DbStatus st = t.table().first(); st && !t.table().eof(); st = t.table().next())
        now << t.text(CatalogTable::CODE);
    QCOMPARE(now, codes);
}

void TestTagEdit::tagListFile()
{
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    QCOMPARE(tagedit::tagListPath(root, QStringLiteral("Arch")), root + "Arch.txt");
    QString text = QStringLiteral("stale");
    QVERIFY(tagedit::readTagList(root + "Arch.txt", text));
    QCOMPARE(text, QString());

    // Another letter case on disk is the same file; CR, LF and CR LF all end a line.
    QVERIFY(testutil::writeFile(root + "ARCH.TXT", "A = Auto\rB = Boot\n\xE4 = \xC4rger\r\n"));
    const QString path = tagedit::tagListPath(root, QStringLiteral("Arch"));
    QCOMPARE(path, root + "ARCH.TXT");
    QVERIFY(tagedit::readTagList(path, text));
    QCOMPARE(text, QStringLiteral("A = Auto\nB = Boot\nä = Ärger"));

    bool lossy = true;
    QVERIFY(tagedit::writeTagList(path, QStringLiteral("X = Xylo\nY\n"), &lossy));
    QVERIFY(!lossy);
    QCOMPARE(testutil::readFile(path), QByteArray("X = Xylo\r\nY\r\n"));
    QVERIFY(tagedit::writeTagList(path, QString(), &lossy));
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(testutil::readFile(path), QByteArray());

    // A list that cannot be read is an error, not an empty list to save over it.
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(root + "Arch.txt"));
    const DbStatus st = tagedit::readTagList(root + "Arch.txt", text);
    QVERIFY(!st);
    QVERIFY(st.message().contains(QLatin1String("Arch.txt")));
}

QTEST_GUILESS_MAIN(TestTagEdit)
#include "tst_tagedit.moc"
