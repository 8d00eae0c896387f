#include "state/settingslook.h"

#include <QtTest>

class TestSettingsLook : public QObject
{
    Q_OBJECT
private slots:
    void colours_data()
    {
        QTest::addColumn<uint>("stored");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("pale yellow, blue in the high byte")
            << 0x00DAFAFAu << QColor(0xFA, 0xFA, 0xDA);
        QTest::newRow("dark blue") << 0x00DA0000u << QColor(0, 0, 0xDA);
        QTest::newRow("clWindow") << 0xFF000005u << QColor(1, 2, 3);
        QTest::newRow("old window-text value") << 0x80000008u << QColor(4, 5, 6);
        QTest::newRow("clNone") << 0x1FFFFFFFu << QColor();
    }
    void colours()
    {
        QFETCH(uint, stored);
        QFETCH(QColor, expected);
        QPalette palette;
        palette.setColor(QPalette::Base, QColor(1, 2, 3));
        palette.setColor(QPalette::Text, QColor(4, 5, 6));
        QCOMPARE(toQColor(stored, palette), expected);
        if (expected.isValid() && !(stored & 0x80000000u))
            QCOMPARE(fromQColor(expected), stored);
    }

    void fonts()
    {
        FontSettings stored;
        stored.name = "Courier New";
        stored.size = 12;
        stored.style = 1 | 4;
        const QFont font = toQFont(stored);
        QCOMPARE(font.pointSize(), 12);
        QVERIFY(font.bold() && font.underline() && !font.italic() && !font.strikeOut());
        FontSettings back;
        back.charSet = 2;
        assignQFont(font, &back);
        QCOMPARE(back.name, QStringLiteral("Courier New"));
        QCOMPARE(back.size, 12);
        QCOMPARE(int(back.style), 5);
        QCOMPARE(int(back.charSet), 2);
        stored.size = 1000000;
        QCOMPARE(toQFont(stored).pointSize(), 200);
        stored.size = -3;
        QCOMPARE(toQFont(stored).pointSize(), 1);
    }
};

QTEST_MAIN(TestSettingsLook)
#include "tst_settingslook.moc"
