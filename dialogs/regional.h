#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

// The program's own date and number rules. Every date and number that is shown, typed or
// parsed goes through here, so that the grid, the dialogs, the status bar and the printout
// agree, whatever the system's regional settings say:
//   short date "dd.mm.yy" or "mm.dd.yy" (day/month order taken from the system once),
//   decimal separator ".", thousands separator "'", two-digit years in a window of 70.
//
// The rules are decided once, by init() at start-up, and stay fixed for the run: a user
// who changes the regional settings while the program runs does not see dates flip order.
// They are immutable afterwards, so a single program-wide instance is enough; it is held
// in a function-level static rather than by the main window because every layer below the
// main window (size texts, search, status bar, print) needs it and none of them sees the
// main window.
namespace regional
{

enum class DateOrder { DayMonth, MonthDay };

// The day/month order of a system short date pattern: upper-cased, the position of its
// first "D" against its first "M", a missing letter counting as position 0. "dd.MM.yyyy"
// gives DayMonth, "M/d/yy" MonthDay, a pattern with neither letter MonthDay.
DateOrder orderOfPattern(const QString &shortDatePattern);

class Rules
{
public:
    using Today = std::function<QDate()>;

    // today defaults to the system clock; tests pass a fixed day. monthNames are the 12 long
    // month names, January first; fewer than 12 fall back to English.
    explicit Rules(DateOrder order = DateOrder::DayMonth, const QStringList &monthNames = {},
        Today today = {});

    // The rules of the system's locale as it is now.
    static Rules fromSystem();

    DateOrder order() const { return m_order; }
    QDate today() const;

    // "dd.mm.yy" or "mm.dd.yy".
    QString shortDatePattern() const;
    // 31 December 2021 as "31.12.21" (or "12.31.21"); an invalid date as empty text.
    QString formatDate(const QDate &date) const;
    // Reads a typed date in the program's order: day and month of one or two digits, a year
    // of one to four digits or none (this year), separated by ".", "/" or "-"; blanks
    // around the text are ignored. Years of one or two digits fall into the window of 70.
    // Returns an invalid QDate for anything else, including dates that don't exist.
    QDate parseDate(const QString &text) const;
    // The year ending in the two digits yy (0..99) that lies between this year - 70 and
    // this year + 29, both included.
    int expandYear(int yy) const;

    // "d. mmmm yyyy" with the long month name, as the status bar shows today's date.
    QString longDate(const QDate &date) const;

    // 1234567 as "1'234'567"; negative numbers keep their sign in front.
    QString formatInteger(qint64 value) const;
    // value with exactly `decimals` decimals after ".", halves rounded away from zero,
    // no thousands separators: 1.05 with 1 decimal is "1.1".
    QString formatDecimal(double value, int decimals) const;

private:
    DateOrder m_order;
    QStringList m_monthNames;
    Today m_today;
};

// Installs the rules of the system's locale. Called once at start-up; later calls keep the
// rules already in force.
void init();
// Replaces the rules in force; for tests, which need a known order and a fixed today.
void install(const Rules &rules);
// The rules in force. Used before init() (in tests of other parts), the system's rules are
// taken on first use.
const Rules &rules();

// Shorthands for rules().xxx.
QString formatDate(const QDate &date);
QDate parseDate(const QString &text);
QString longDate(const QDate &date);
QString formatInteger(qint64 value);
QString formatDecimal(double value, int decimals);
QDate today();

} // namespace regional
