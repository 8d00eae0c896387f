#include "platform/localday.h"

#include <QDateTime>
#include <QTimeZone>
#include <QtTest>

#include <cstdlib>
#include <ctime>

// The day of a last-write time must not depend on what the cache saw before: checked in
// zones whose days are 23 or 25 hours long, shift by half an hour, or begin at 01:00.
class TestLocalDay : public QObject
{
    Q_OBJECT
    QByteArray m_savedTz;
    bool m_hadTz = false;

private slots:
    void initTestCase()
    {
        m_hadTz = qEnvironmentVariableIsSet("TZ");
        m_savedTz = qgetenv("TZ");
    }
    void cleanupTestCase()
    {
        if (m_hadTz)
            qputenv("TZ", m_savedTz);
        else
            qunsetenv("TZ");
        tzset();
    }

    void sameDayAsTheZoneRules_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::newRow("Berlin") << QByteArray("Europe/Berlin");
        QTest::newRow("half-hour shift") << QByteArray("Australia/Lord_Howe");
        QTest::newRow("minus 3:30") << QByteArray("America/St_Johns");
        QTest::newRow("day begins at 01:00") << QByteArray("America/Havana");
        QTest::newRow("UTC") << QByteArray("UTC");
    }
    void sameDayAsTheZoneRules()
    {
        QFETCH(QByteArray, zone);
        const QTimeZone tz(zone);
        if (!tz.isValid())
            QSKIP("zone data missing");
        qputenv("TZ", ":" + zone);
        LocalDays days;
        // 2021 and 2022, forwards in odd steps, then backwards, so that the cache is
        // entered from both sides of every change of offset.
        const qint64 from = 1609459200 - 86400, to = 1672531200 + 86400;
        int checked = 0;
        for (qint64 t = from; t < to; t += 1789, ++checked)
            QCOMPARE(days.dayOf(t), QDateTime::fromSecsSinceEpoch(t, tz).date());
        for (qint64 t = to; t > from; t -= 2011)
            QCOMPARE(days.dayOf(t), QDateTime::fromSecsSinceEpoch(t, tz).date());
        QVERIFY(checked > 30000);
    }

    void secondsAroundMidnight()
    {
        qputenv("TZ", ":Europe/Berlin");
        LocalDays days;
        // 2021-03-28 is 23 hours long in Berlin: 22:00 UTC is already the 29th.
        QCOMPARE(days.dayOf(1616968799), QDate(2021, 3, 28));
        QCOMPARE(days.dayOf(1616968800), QDate(2021, 3, 29));
        QCOMPARE(days.dayOf(1616968799), QDate(2021, 3, 28));
        QCOMPARE(days.dayOf(1616886000), QDate(2021, 3, 28)); // 00:00 local, 23:00 UTC before
        QCOMPARE(days.dayOf(1616885999), QDate(2021, 3, 27));
    }
};

QTEST_GUILESS_MAIN(TestLocalDay)
#include "tst_localday.moc"
