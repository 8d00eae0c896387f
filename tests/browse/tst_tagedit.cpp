#include "browse/tagedit.h"
#include "browse/tagfilter.h"
#include "store/catalogtable.h"
#include "support/catalogrecords.h"
#include "support/scriptedprogress.h"
#include "support/testutil.h"

#include <QTemporaryDir>
#include <QtTest>

// The tag rules without a window: filter strings and their test, the changes of CODE,
// replace tags over a table, the tag list file.
class TestTagEdit : public QObject
{
    Q_OBJECT
private slots:
    void filterOfAnswer_data();
    void filterOfAnswer();
    void filterAccepts_data();
    void filterAccepts();
    void codeChanges_data();
    void codeChanges();
    void tagsThatCannotBeAdded_data();
    void tagsThatCannotBeAdded();
    void replaceOverTheTable_data();
    void replaceOverTheTable();
    void replaceStoppedBetweenRecords_data();
    void replaceStoppedBetweenRecords();
    void tagListFile();
};

void TestTagEdit::filterOfAnswer_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("filter");
    QTest::newRow("minus not first: AND") << "b a -b" << QStringLiteral("BA");
    QTest::newRow("NOT") << "-ab" << QStringLiteral("-AB");
    QTest::newRow("cut before repeats go") << "AABBCCDDEEFF" << QStringLiteral("ABCDE");
    QTest::newRow("twelve letters") << "abcdefghijkl" << QStringLiteral("ABCDEFGHIJ");
}

void TestTagEdit::filterOfAnswer()
{
    QFETCH(QString, answer);
    QFETCH(QString, filter);
    QCOMPARE(tagfilter::fromAnswer(answer), filter);
}

void TestTagEdit::filterAccepts_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("AND, all there") << "BA" << QByteArray("CAB       ") << true;
    QTest::newRow("AND, one missing") << "BA" << QByteArray("B         ") << false;
    QTest::newRow("NOT hides A") << "-AB" << QByteArray("XA        ") << false;
    QTest::newRow("NOT passes others") << "-AB" << QByteArray("XY        ") << true;
    QTest::newRow("NOT hides the minus") << "-AB" << QByteArray("-         ") << false;
    QTest::newRow("with case") << "A" << QByteArray("a         ") << false;
    QTest::newRow("no tag can be it") << QString(QChar(0x263A)) << QByteArray("A  ") << false;
}

void TestTagEdit::filterAccepts()
{
    QFETCH(QString, filter);
    QFETCH(QByteArray, code);
    QFETCH(bool, accepted);
    QCOMPARE(tagfilter::Test(filter).accepts(code.constData(), int(code.size())), accepted);
}

void TestTagEdit::codeChanges_data()
{
    // code, from, to, result; an empty from is an add, an empty to a delete.
    QTest::addColumn<QStringList>("c");
    QTest::newRow("add in front") << QStringList { "XY", "", "B", "BXY" };
    QTest::newRow("add what is there") << QStringList { "BXY", "", "B", "BXY" };
    QTest::newRow("eleventh: oldest goes") << QStringList { "ABCDEFGHIJ", "", "Z", "ZABCDEFGHI" };
    QTest::newRow("delete every one") << QStringList { "XAX", "X", "", "A" };
    QTest::newRow("replace, to there") << QStringList { "AB", "A", "B", "AB" };
    QTest::newRow("replace") << QStringList { "AXA", "A", "B", "BXB" };
}

void TestTagEdit::codeChanges()
{
    QFETCH(QStringList, c);
    QCOMPARE(tagedit::replaced(c[0], c[1], c[2]), c[3]);
    QCOMPARE(tagedit::tagOfAnswer(QStringLiteral("-A")), QStringLiteral("-"));
    QCOMPARE(tagedit::tagOfAnswer(QStringLiteral("-")), QString());
    QCOMPARE(tagedit::tagOfAnswer(QStringLiteral("xy")), QStringLiteral("X"));
}

void TestTagEdit::tagsThatCannotBeAdded_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("refused");
    QTest::newRow("letter") << "b"
                            << "B" << false;
    QTest::newRow("Windows-1252 sign")
        << QStringLiteral("\u20ac") << QStringLiteral("\u20ac") << false;
    QTest::newRow("blank") << " b"
                           << " " << true;
    QTest::newRow("tab") << "\tb"
                         << "\t" << true;
    QTest::newRow("outside the code page")
        << QStringLiteral("\u2603") << QStringLiteral("\u2603") << true;
    // A character of two UTF-16 units stays whole.
    QTest::newRow("beyond the first plane")
        << QStringLiteral("\U0001F600x") << QStringLiteral("\U0001F600") << true;
}

void TestTagEdit::tagsThatCannotBeAdded()
{
    QFETCH(QString, answer);
    QFETCH(QString, tag);
    QFETCH(bool, refused);
    QCOMPARE(tagedit::tagOfAnswer(answer), tag);
    const QString refusal = tagedit::addRefusal(tag);
    QCOMPARE(!refusal.isEmpty(), refused);
    if (refused)
        QVERIFY(refusal.startsWith(QStringLiteral("Tag  '%1'  ").arg(tag)));
}

void TestTagEdit::replaceOverTheTable_data()
{
    QTest::addColumn<bool>("allFolders");
    QTest::addColumn<QStringList>("codes");
    // F\a AB, F\b AC, G\c AC, F\d AC (hidden by the filter); A to B in order "3", whose
    // keys hold the tags.
    QTest::newRow("selected folder") << false << QStringList { "AB", "BC", "AC", "AC" };
    QTest::newRow("all folders") << true << QStringList { "AB", "BC", "BC", "AC" };
}

void TestTagEdit::replaceOverTheTable()
{
    QFETCH(bool, allFolders);
    QFETCH(QStringList, codes);
    QTemporaryDir dir;
    CatalogTable t;
    QVERIFY(t.open(dir.path(), QStringLiteral("Arch"), "3"));
    QVERIFY(testutil::addRecords(t,
        { { "F\\", "a", {}, "AB" }, { "F\\", "b", {}, "AC" }, { "G\\", "c", {}, "AC" },
            { "F\\", "d", {}, "AC" } }));
    QVERIFY(t.setFolderRange(QStringLiteral("f\\")));
    t.setTagFilter([](const DbfTable &r) { return r.fieldBytes(CatalogTable::NAME) != "d"; });
    QVERIFY(t.table().next());
    const qint64 current = t.table().recNo();

    QVERIFY(tagedit::replaceTags(t, { "A", "B", allFolders, QStringLiteral("f\\") }));
    QCOMPARE(t.table().order(), QByteArray("3"));
    QVERIFY(t.table().hasRange() && !t.isDetached());
    QCOMPARE(t.table().recNo(), current);
    t.switchTagFilterOff();
    QVERIFY(t.table().setOrder(QByteArray()));
    QStringList now;
    for (DbStatus st = t.table().first(); st && !t.table().eof(); st = t.table().next())
        now << t.text(CatalogTable::CODE);
    QCOMPARE(now, codes);
}

// Stopped while reading, replace changes nothing; stopped while writing, the records
// written by then (the first in file order) keep their new tags and no other changes.
void TestTagEdit::replaceStoppedBetweenRecords_data()
{
    QTest::addColumn<qint64>("stopFrom"); // records read, then written, when stopped
    QTest::addColumn<int>("changed");
    QTest::newRow("while reading") << qint64(1) << 0;
    QTest::newRow("after the first writes") << qint64(1500 + 256) << 256;
    QTest::newRow("never") << qint64(-1) << 1500;
}

void TestTagEdit::replaceStoppedBetweenRecords()
{
    QFETCH(qint64, stopFrom);
    QFETCH(int, changed);
    QTemporaryDir dir;
    CatalogTable t;
    QVERIFY(t.open(dir.path(), QStringLiteral("Arch"), "3"));
    QList<testutil::CatalogRecord> records;
    for (int i = 0; i < 1500; ++i)
        records.append({ i % 2 ? "F\\" : "G\\", QStringLiteral("n%1").arg(i), {}, "A" });
    QVERIFY(testutil::addRecords(t, records));
    QVERIFY(t.setFolderRange(QStringLiteral("F\\")));
    const qint64 current = t.table().recNo();
    ScriptedProgress progress(stopFrom);
    const DbStatus st
        = tagedit::replaceTags(t, { "A", "B", true, QStringLiteral("F\\") }, &progress);
    QCOMPARE(st.code(), stopFrom < 0 ? DbStatus::Ok : DbStatus::Cancelled);
    QVERIFY(progress.orderly());
    QCOMPARE(t.table().order(), QByteArray("3"));
    QVERIFY(t.table().hasRange() && !t.isDetached());
    QCOMPARE(t.table().recNo(), current);
    QVERIFY(t.table().setOrder(QByteArray()));
    QVERIFY(t.table().cancelRange());
    QString codes;
    for (DbStatus r = t.table().first(); r && !t.table().eof(); r = t.table().next())
        codes += t.text(CatalogTable::CODE);
    QCOMPARE(codes, QString(changed, QLatin1Char('B')) + QString(1500 - changed, QLatin1Char('A')));
}

void TestTagEdit::tagListFile()
{
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    QString text = QStringLiteral("stale");
    QVERIFY(tagedit::readTagList(tagedit::tagListPath(root, QStringLiteral("Arch")), text));
    QCOMPARE(text, QString());
    // Another letter case on disk is the same file; CR, LF and CR LF all end a line.
    QVERIFY(testutil::writeFile(root + "ARCH.TXT", "A = Auto\rB\n\xE4 = \xC4rger\r\n"));
    const QString path = tagedit::tagListPath(root, QStringLiteral("Arch"));
    QVERIFY(tagedit::readTagList(path, text));
    QCOMPARE(text, QStringLiteral("A = Auto\nB\nä = Ärger"));
    QVERIFY(tagedit::writeTagList(path, QStringLiteral("X = Xylo\nY\n")));
    QCOMPARE(testutil::readFile(path), QByteArray("X = Xylo\r\nY\r\n"));
    // A list that cannot be read is an error, not an empty list to save over it.
    QVERIFY(QFile::remove(path) && QDir().mkpath(path));
    QVERIFY(!tagedit::readTagList(path, text));
}

QTEST_GUILESS_MAIN(TestTagEdit)
#include "tst_tagedit.moc"
