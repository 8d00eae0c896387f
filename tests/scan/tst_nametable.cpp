#include "scan/nametable.h"

#include <QtTest>

class TestNameTable : public QObject
{
    Q_OBJECT
private slots:
    void matchesWithoutLetterCase()
    {
        NameTable t;
        bool added = false;
        QCOMPARE(t.insert("Photo.JPG", 9, &added), 0);
        QVERIFY(added);
        QCOMPARE(t.insert("photo.jpg", 9, &added), 0);
        QVERIFY(!added);
        QCOMPARE(t.find(QByteArray("PHOTO.jpg")), 0);
        // Windows-1252 letters: e acute and E acute are one name, sharp s stays apart.
        QCOMPARE(t.insert("\xe9t\xe9.txt", 7), 1);
        QCOMPARE(t.find(QByteArray("\xc9T\xc9.TXT")), 1);
        QCOMPARE(t.find(QByteArray("photo.jp")), -1);
        QCOMPARE(t.find(QByteArray("stra\xdf"
                                   "e.txt")),
            -1);
        QCOMPARE(t.insert("", 0), 2);
        QCOMPARE(t.find(QByteArray()), 2);
        QCOMPARE(t.size(), 3);
    }

    void manyAndLongNamesStayFound()
    {
        NameTable t;
        const QByteArray longName(1000, 'a');
        QCOMPARE(t.insert(longName.constData(), int(longName.size())), 0);
        for (int i = 1; i <= 20000; ++i) {
            const QByteArray n = "file" + QByteArray::number(i) + ".txt";
            QCOMPARE(t.insert(n.constData(), int(n.size())), i);
        }
        for (int i = 1; i <= 20000; i += 97)
            QCOMPARE(t.find("FILE" + QByteArray::number(i) + ".TXT"), i);
        QCOMPARE(t.find(longName.toUpper()), 0);
        QCOMPARE(t.find(QByteArray(999, 'a')), -1);
        t.clear();
        QCOMPARE(t.size(), 0);
        QCOMPARE(t.find(QByteArray("file1.txt")), -1);
        QCOMPARE(t.insert("file1.txt", 9), 0);
    }
};

QTEST_GUILESS_MAIN(TestNameTable)
#include "tst_nametable.moc"
