#include "sizetext.h"

namespace {

constexpr quint64 kKilo = 1000;
constexpr quint64 kMega = 1000 * kKilo;
constexpr quint64 kGiga = 1000 * kMega;

QString whole(quint64 n, quint64 unit, const char *suffix)
{
    return QString::number((n + unit / 2) / unit) + QLatin1String(suffix);
}

// One decimal, halves up; empty when it rounds to 100.0 and no longer fits.
QString tenths(quint64 n, quint64 unit, const char *suffix)
{
    const quint64 t = (n + unit / 20) / (unit / 10);
    if (t >= 1000)
        return {};
    return QString::number(t / 10) + QLatin1Char('.') + QString::number(t % 10) + QLatin1String(suffix);
}

} // namespace

QString SizeText(quint64 n)
{
    const QString kOverflow = QStringLiteral("> 99 G");
    if (n >= 100 * kGiga)
        return kOverflow;
    if (n >= kGiga) {
        const QString t = tenths(n, kGiga, " G");
        return t.isEmpty() ? kOverflow : t;
    }
    if (n >= 100 * kMega)
        return whole(n, kMega, " M");
    if (n >= kMega) {
        const QString t = tenths(n, kMega, " M");
        return t.isEmpty() ? QStringLiteral("100 M") : t;
    }
    if (n >= 100 * kKilo)
        return whole(n, kKilo, " K");
    if (n >= kKilo) {
        const QString t = tenths(n, kKilo, " K");
        return t.isEmpty() ? QStringLiteral("100 K") : t;
    }
    return QString::number(n) + QLatin1String(" B");
}
