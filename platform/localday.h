#pragma once

#include <QDate>
#include <QtGlobal>

// The local calendar day of a last-write time, for walks that ask it of every file of a
// folder. Going through QDateTime costs a time-zone lookup (and a status call on the
// zone file) per file; this asks the C library once per distinct day and remembers the
// span of seconds that the last answer covers.
class LocalDays
{
public:
    // Takes the time zone as it is now; a zone changed later is seen by the next object.
    LocalDays();

    // The local day of a moment (seconds since 1970-01-01 UTC). Invalid when the system
    // cannot convert it.
    QDate dayOf(qint64 secondsSinceEpoch);

private:
    // [m_from, m_to) holds the seconds known to fall on m_day.
    qint64 m_from = 0;
    qint64 m_to = 0;
    QDate m_day;
};
