#include "localday.h"

#include <ctime>

namespace
{

bool localTime(qint64 secs, std::tm &out)
{
    const std::time_t t = std::time_t(secs);
    return qint64(t) == secs && localtime_r(&t, &out) != nullptr;
}

QDate dateOf(const std::tm &tm)
{
    return QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

} // namespace

LocalDays::LocalDays()
{
    // localtime_r, unlike localtime, does not look at the zone settings again.
    tzset();
}

QDate LocalDays::dayOf(qint64 secs)
{
    if (secs >= m_from && secs < m_to)
        return m_day;
    std::tm tm {};
    if (!localTime(secs, tm))
        return {};
    const QDate day = dateOf(tm);
    // The day's span, unless a change of the zone's offset falls inside it: then only
    // this second is known.
    const qint64 sinceMidnight = qint64(tm.tm_hour) * 3600 + tm.tm_min * 60 + tm.tm_sec;
    const qint64 from = secs - sinceMidnight;
    const qint64 to = from + 86400;
    std::tm first {}, last {};
    if (localTime(from, first) && localTime(to - 1, last) && dateOf(first) == day
        && dateOf(last) == day && first.tm_hour == 0 && first.tm_min == 0 && first.tm_sec == 0
        && last.tm_hour == 23 && last.tm_min == 59 && last.tm_sec == 59) {
        m_from = from;
        m_to = to;
    } else {
        m_from = secs;
        m_to = secs + 1;
    }
    m_day = day;
    return day;
}
