#include "regional.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace regional
{

namespace
{

    const QStringList englishMonths
        = { QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
              QStringLiteral("April"), QStringLiteral("May"), QStringLiteral("June"),
              QStringLiteral("July"), QStringLiteral("August"), QStringLiteral("September"),
              QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December") };

    QString twoDigits(int n)
    {
        return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    }

    std::optional<Rules> &slot()
    {
        static std::optional<Rules> rules;
        return rules;
    }

} // namespace

DateOrder orderOfPattern(const QString &shortDatePattern)
{
    const QString upper = shortDatePattern.toUpper();
    // 1-based positions with 0 for a missing letter, so that a pattern without "D" but
    // with "M" counts as day first, exactly as the rule is stated.
    const int posD = upper.indexOf(QLatin1Char('D')) + 1;
    const int posM = upper.indexOf(QLatin1Char('M')) + 1;
    return posD < posM ? DateOrder::DayMonth : DateOrder::MonthDay;
}

Rules::Rules(DateOrder order, const QStringList &monthNames, Today today)
    : m_order(order)
    , m_monthNames(monthNames.size() >= 12 ? monthNames : englishMonths)
    , m_today(std::move(today))
{
}

Rules Rules::fromSystem()
{
    // The month names are copied now: the locale object would follow a later change of
    // the user's settings, and the rules must not.
    const QLocale system = QLocale::system();
    QStringList months;
    for (int m = 1; m <= 12; ++m)
        months << system.monthName(m, QLocale::LongFormat);
    return Rules(orderOfPattern(system.dateFormat(QLocale::ShortFormat)), months);
}

QDate Rules::today() const
{
    return m_today ? m_today() : QDate::currentDate();
}

QString Rules::shortDatePattern() const
{
    return m_order == DateOrder::DayMonth ? QStringLiteral("dd.mm.yy") : QStringLiteral("mm.dd.yy");
}

QString Rules::formatDate(const QDate &date) const
{
    if (!date.isValid())
        return QString();
    const QString day = twoDigits(date.day());
    const QString month = twoDigits(date.month());
    const QString year = twoDigits(((date.year() % 100) + 100) % 100);
    if (m_order == DateOrder::DayMonth)
        return day + QLatin1Char('.') + month + QLatin1Char('.') + year;
    return month + QLatin1Char('.') + day + QLatin1Char('.') + year;
}

int Rules::expandYear(int yy) const
{
    const int first = today().year() - 70;
    int year = first - ((first % 100) + 100) % 100 + yy;
    if (year < first)
        year += 100;
    return year;
}

QDate Rules::parseDate(const QString &text) const
{
    static const QRegularExpression shape(
        QStringLiteral("^(\\d{1,2})[./-](\\d{1,2})(?:[./-](\\d{1,4}))?$"));
    const QRegularExpressionMatch match = shape.match(text.trimmed());
    if (!match.hasMatch())
        return QDate();
    int day = match.captured(1).toInt();
    int month = match.captured(2).toInt();
    if (m_order == DateOrder::MonthDay)
        std::swap(day, month);
    const QString yearText = match.captured(3);
    int year = today().year();
    if (!yearText.isEmpty()) {
        year = yearText.toInt();
        if (yearText.size() <= 2)
            year = expandYear(year);
    }
    // QDate rejects 31 February, month 13 and year 0 by itself.
    return QDate(year, month, day);
}

QString Rules::longDate(const QDate &date) const
{
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1. %2 %3")
        .arg(date.day())
        .arg(m_monthNames.at(date.month() - 1))
        .arg(date.year());
}

QString Rules::formatInteger(qint64 value) const
{
    // Work on the unsigned magnitude so that the smallest qint64 has a positive form too.
    const bool negative = value < 0;
    quint64 magnitude = negative ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
    QString digits = QString::number(magnitude);
    for (int i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char('\''));
    return negative ? QLatin1Char('-') + digits : digits;
}

QString Rules::formatDecimal(double value, int decimals) const
{
    decimals = qBound(0, decimals, 15);
    if (!std::isfinite(value))
        return QString::number(value);
    // Rounding once, on the scaled value, gives "halves away from zero" where the plain
    // 'f' conversion would round the binary value (1.05 -> "1.0").
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    return QString::number(rounded, 'f', decimals);
}

void init()
{
    if (!slot())
        slot() = Rules::fromSystem();
}

void install(const Rules &rules)
{
    slot() = rules;
}

const Rules &rules()
{
    init();
    return *slot();
}

QString formatDate(const QDate &date)
{
    return rules().formatDate(date);
}

QDate parseDate(const QString &text)
{
    return rules().parseDate(text);
}

QString longDate(const QDate &date)
{
    return rules().longDate(date);
}

QString formatInteger(qint64 value)
{
    return rules().formatInteger(value);
}

QString formatDecimal(double value, int decimals)
{
    return rules().formatDecimal(value, decimals);
}

QDate today()
{
    return rules().today();
}

} // namespace regional
