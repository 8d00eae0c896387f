#include "scan/sizetext.h"

#include <QtTest>

class TestSizeText : public QObject
{
    Q_OBJECT
private slots:
    void bands_data()
    {
        QTest::addColumn<quint64>("size");
        QTest::addColumn<QString>("text");
        const struct {
            quint64 n;
            const char *text;
        } rows[] = {
            { 0, "0 B" },
            { 999, "999 B" },
            { 1000, "1.0 K" },
            { 1049, "1.0 K" },
            { 1050, "1.1 K" },
            { 99949, "99.9 K" },
            { 100000, "100 K" },
            { 999499, "999 K" },
            { 999500, "1000 K" },
            { 1000000, "1.0 M" },
            { 1049999, "1.0 M" },
            { 1050000, "1.1 M" },
            { 99949999, "99.9 M" },
            { 100000000, "100 M" },
            { 999499999, "999 M" },
            { 999500000, "1000 M" },
            { 1000000000, "1.0 G" },
            { 1050000000, "1.1 G" },
            { 99949999999ULL, "99.9 G" },
            { 100000000000ULL, "> 99 G" },
            { ~0ULL, "> 99 G" },
            // Would round to a seven-character 100.0 and lose the unit in the field.
            { 99950, "100 K" },
            { 99999, "100 K" },
            { 99950000, "100 M" },
            { 99999999, "100 M" },
            { 99950000000ULL, "> 99 G" },
            { 99999999999ULL, "> 99 G" },
        };
        for (const auto &r : rows)
            QTest::addRow("%llu", static_cast<unsigned long long>(r.n))
                << r.n << QString::fromLatin1(r.text);
    }
    void bands()
    {
        QFETCH(quint64, size);
        QFETCH(QString, text);
        QCOMPARE(sizeText(size), text);
    }

    // Every text fits the six-character SIZE field with its unit, around every edge.
    void fitsTheField()
    {
        for (quint64 edge :
            { 1000ULL, 100000ULL, 1000000ULL, 100000000ULL, 1000000000ULL, 100000000000ULL })
            for (quint64 n = edge - std::min<quint64>(edge, 60); n < edge + 60; ++n) {
                const QString t = sizeText(n);
                QVERIFY2(t.size() <= 6, qPrintable(t));
                QVERIFY2(t.endsWith(QLatin1Char('B')) || t.endsWith(QLatin1Char('K'))
                        || t.endsWith(QLatin1Char('M')) || t.endsWith(QLatin1Char('G')),
                    qPrintable(t));
            }
    }
};

QTEST_GUILESS_MAIN(TestSizeText)
#include "tst_sizetext.moc"
