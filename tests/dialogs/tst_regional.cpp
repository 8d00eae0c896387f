#include "dialogs/regional.h"

#include <QtTest>

using regional::DateOrder;
using regional::Rules;

namespace
{

Rules rulesOn(DateOrder order, const QDate &today)
{
    return Rules(order, {}, [today] { return today; });
}

} // namespace

class TestRegional : public QObject
{
    Q_OBJECT
private slots:
    void orderOfSystemPattern_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("dayFirst");
        QTest::newRow("german") << "dd.MM.yy" << true;
        QTest::newRow("us") << "M/d/yy" << false;
        QTest::newRow("iso is month first") << "yyyy-MM-dd" << false;
        QTest::newRow("lower case letters count") << "d/m/y" << true;
        QTest::newRow("no day letter counts as 0") << "MMM yyyy" << true;
        QTest::newRow("no month letter") << "dd yyyy" << false;
        QTest::newRow("neither letter") << "yyyy" << false;
    }
    void orderOfSystemPattern()
    {
        QFETCH(QString, pattern);
        QFETCH(bool, dayFirst);
        QCOMPARE(regional::orderOfPattern(pattern) == DateOrder::DayMonth, dayFirst);
    }

    void formatDate()
    {
        const QDate newYearsEve(2021, 12, 31);
        const QDate today(2026, 12, 7);
        QCOMPARE(rulesOn(DateOrder::DayMonth, today).formatDate(newYearsEve), "31.12.21");
        QCOMPARE(rulesOn(DateOrder::MonthDay, today).formatDate(newYearsEve), "12.31.21");
        QCOMPARE(rulesOn(DateOrder::DayMonth, today).formatDate(QDate(2005, 3, 4)), "04.03.05");
        QCOMPARE(rulesOn(DateOrder::DayMonth, today).formatDate(QDate()), "");
        QCOMPARE(rulesOn(DateOrder::MonthDay, today).shortDatePattern(), "mm.dd.yy");
    }

    void twoDigitYearWindow_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("yy");
        QTest::addColumn<int>("year");
        const QDate in2026(2026, 6, 1);
        QTest::newRow("2026: 55 is ahead") << in2026 << 55 << 2055;
        QTest::newRow("2026: 56 is behind") << in2026 << 56 << 1956;
        QTest::newRow("2026: 26") << in2026 << 26 << 2026;
        QTest::newRow("2026: 0") << in2026 << 0 << 2000;
        QTest::newRow("2026: 99") << in2026 << 99 << 1999;
        QTest::newRow("2070: 0 is the first year") << QDate(2070, 1, 1) << 0 << 2000;
        QTest::newRow("2070: 99 is the last year") << QDate(2070, 1, 1) << 99 << 2099;
        QTest::newRow("2071: 0 moves ahead") << QDate(2071, 1, 1) << 0 << 2100;
    }
    void twoDigitYearWindow()
    {
        QFETCH(QDate, today);
        QFETCH(int, yy);
        QFETCH(int, year);
        QCOMPARE(rulesOn(DateOrder::DayMonth, today).expandYear(yy), year);
    }

    void parseDate_data()
    {
        QTest::addColumn<bool>("dayFirst");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("canonical") << true << "31.12.21" << QDate(2021, 12, 31);
        QTest::newRow("month first") << false << "12.31.21" << QDate(2021, 12, 31);
        QTest::newRow("day first reads month first text as month 31")
            << true << "12.31.21" << QDate();
        QTest::newRow("short parts") << true << "1.2.3" << QDate(2003, 2, 1);
        QTest::newRow("four-digit year kept") << true << "1.1.1950" << QDate(1950, 1, 1);
        QTest::newRow("window 55") << true << "1.1.55" << QDate(2055, 1, 1);
        QTest::newRow("window 56") << true << "1.1.56" << QDate(1956, 1, 1);
        QTest::newRow("slash and dash") << true << "24/12-2026" << QDate(2026, 12, 24);
        QTest::newRow("blanks around") << true << "  7.12.26 " << QDate(2026, 12, 7);
        QTest::newRow("no year is this year") << true << "24.12" << QDate(2026, 12, 24);
        QTest::newRow("30 February") << true << "30.02.24" << QDate();
        QTest::newRow("leap day") << true << "29.02.24" << QDate(2024, 2, 29);
        QTest::newRow("month 13") << true << "01.13.24" << QDate();
        QTest::newRow("year 0") << true << "01.01.0000" << QDate();
        QTest::newRow("empty") << true << "" << QDate();
        QTest::newRow("letters") << true << "1.Jan.24" << QDate();
        QTest::newRow("trailing rubbish") << true << "1.1.24x" << QDate();
        QTest::newRow("five-digit year") << true << "1.1.20245" << QDate();
        QTest::newRow("three-digit day") << true << "001.1.24" << QDate();
        QTest::newRow("inner blank") << true << "1. 1.24" << QDate();
    }
    void parseDate()
    {
        QFETCH(bool, dayFirst);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        const Rules rules
            = rulesOn(dayFirst ? DateOrder::DayMonth : DateOrder::MonthDay, QDate(2026, 12, 7));
        QCOMPARE(rules.parseDate(text), date);
    }

    void formatAndParseAgree()
    {
        const Rules rules = rulesOn(DateOrder::MonthDay, QDate(2026, 12, 7));
        for (QDate d(1956, 1, 1); d <= QDate(2055, 12, 31); d = d.addDays(97))
            QCOMPARE(rules.parseDate(rules.formatDate(d)), d);
    }

    void formatInteger_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "0";
        QTest::newRow("999") << qint64(999) << "999";
        QTest::newRow("1000") << qint64(1000) << "1'000";
        QTest::newRow("12345") << qint64(12345) << "12'345";
        QTest::newRow("1234567") << qint64(1234567) << "1'234'567";
        QTest::newRow("negative") << qint64(-1234) << "-1'234";
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min()
                                  << "-9'223'372'036'854'775'808";
    }
    void formatInteger()
    {
        QFETCH(qint64, value);
        QFETCH(QString, text);
        QCOMPARE(Rules().formatInteger(value), text);
    }

    void formatDecimal_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.049") << 1.049 << 1 << "1.0";
        QTest::newRow("half rounds up") << 1.05 << 1 << "1.1";
        QTest::newRow("no grouping") << 999.5 << 0 << "1000";
        QTest::newRow("two decimals") << 2.5 << 2 << "2.50";
        QTest::newRow("negative half") << -0.25 << 1 << "-0.3";
    }
    void formatDecimal()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(Rules().formatDecimal(value, decimals), text);
    }

    void longDateUsesTheMonthNames()
    {
        QStringList german = { "Januar", "Februar", "März", "April", "Mai", "Juni", "Juli",
            "August", "September", "Oktober", "November", "Dezember" };
        QCOMPARE(
            Rules(DateOrder::DayMonth, german).longDate(QDate(2026, 12, 7)), "7. Dezember 2026");
        QCOMPARE(Rules().longDate(QDate(2026, 3, 1)), "1. March 2026");
    }

    void installedRulesStayUntilReplaced()
    {
        regional::install(rulesOn(DateOrder::MonthDay, QDate(2026, 12, 7)));
        // A later init() (a second main window, a late caller) must not bring the system's
        // order back in the middle of the run.
        regional::init();
        QCOMPARE(regional::formatDate(QDate(2021, 12, 31)), "12.31.21");
        QCOMPARE(regional::parseDate("12.31.55"), QDate(2055, 12, 31));
        QCOMPARE(regional::today(), QDate(2026, 12, 7));
        QCOMPARE(regional::formatInteger(1000), "1'000");
    }
};

QTEST_GUILESS_MAIN(TestRegional)
#include "tst_regional.moc"
