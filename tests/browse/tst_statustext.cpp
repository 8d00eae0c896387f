#include "browse/statustext.h"
#include "dialogs/regional.h"

#include <QtTest>

class TestStatusText : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { regional::install(regional::Rules(regional::DateOrder::DayMonth)); }

    void recordCount_data()
    {
        QTest::addColumn<qint64>("physical");
        QTest::addColumn<qint64>("deleted");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << qint64(0) << qint64(0) << "0";
        QTest::newRow("thousand") << qint64(1000) << qint64(0) << "1'000";
        QTest::newRow("millions") << qint64(1234567) << qint64(0) << "1'234'567";
        QTest::newRow("three deleted") << qint64(1000) << qint64(3) << "997 (3)";
        QTest::newRow("deleted below a thousand") << qint64(5000) << qint64(999) << "4'001 (999)";
        QTest::newRow("deleted thousands") << qint64(12345) << qint64(1234) << "11'111 (1' 234)";
        QTest::newRow("deleted millions")
            << qint64(2000000) << qint64(1234567) << "765'433 (1'234' 567)";
        QTest::newRow("all deleted") << qint64(4) << qint64(4) << "0 (4)";
        // A stale count larger than the file must not show a negative live count.
        QTest::newRow("count beyond the file") << qint64(2) << qint64(5) << "0 (5)";
    }
    void recordCount()
    {
        QFETCH(qint64, physical);
        QFETCH(qint64, deleted);
        QFETCH(QString, text);
        QCOMPARE(statustext::recordCount(physical, deleted), text);
    }
};

QTEST_GUILESS_MAIN(TestStatusText)
#include "tst_statustext.moc"
