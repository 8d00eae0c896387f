#include "platform/codepage.h"

#include <QtTest>

class TestCodepage : public QObject
{
    Q_OBJECT
private slots:
    void roundTripEveryByte()
    {
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        bool ok = false;
        QCOMPARE(codepage::fromUnicode(codepage::toUnicode(all), &ok), all);
        QVERIFY(ok);
    }

    void upperCasing_data()
    {
        QTest::addColumn<int>("in");
        QTest::addColumn<int>("out");
        QTest::newRow("a") << int('a') << int('A');
        QTest::newRow("z") << int('z') << int('Z');
        QTest::newRow("a-grave") << 0xE0 << 0xC0;
        QTest::newRow("thorn") << 0xFE << 0xDE;
        QTest::newRow("division stays") << 0xF7 << 0xF7;
        QTest::newRow("sharp s stays") << 0xDF << 0xDF;
        QTest::newRow("micro stays") << 0xB5 << 0xB5;
        QTest::newRow("s caron") << 0x9A << 0x8A;
        QTest::newRow("oe") << 0x9C << 0x8C;
        QTest::newRow("z caron") << 0x9E << 0x8E;
        QTest::newRow("y diaeresis") << 0xFF << 0x9F;
        QTest::newRow("digit") << int('7') << int('7');
    }
    void upperCasing()
    {
        QFETCH(int, in);
        QFETCH(int, out);
        QCOMPARE(int(codepage::upper(static_cast<unsigned char>(in))), out);
    }

    void inexpressibleText()
    {
        bool ok = true;
        QCOMPARE(codepage::fromUnicode(QStringLiteral("a\u4e2db"), &ok), QByteArray("a?b"));
        QVERIFY(!ok);
        QVERIFY(codepage::isExpressible(QStringLiteral("Caf\u00e9 \u20ac")));
        QVERIFY(!codepage::isExpressible(QStringLiteral("\u0394")));
    }

    void namesCompareWithoutCase()
    {
        QVERIFY(codepage::sameName(
            QStringLiteral("\u00e9t\u00e9.txt"), QStringLiteral("\u00c9T\u00c9.TXT")));
        QVERIFY(!codepage::sameName(QStringLiteral("a.txt"), QStringLiteral("a.txt ")));
        QCOMPARE(codepage::upperText(QStringLiteral("stra\u00dfe \u0153")),
            QStringLiteral("STRA\u00dfE \u0152"));
    }
};

QTEST_GUILESS_MAIN(TestCodepage)
#include "tst_codepage.moc"
