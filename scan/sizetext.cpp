#include "sizetext.h"

namespace
{

constexpr quint64 kKilo = 1000;
constexpr quint64 kMega = 1000 * kKilo;
constexpr quint64 kGiga = 1000 * kMega;

int put(char *out, const char *text)
{
    int n = 0;
    while (text[n]) {
        out[n] = text[n];
        ++n;
    }
    return n;
}

// Decimal digits of v (v < 10^6 in every band).
int putNumber(char *out, quint64 v)
{
    char digits[20];
    int n = 0;
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    for (int i = 0; i < n; ++i)
        out[i] = digits[n - 1 - i];
    return n;
}

int whole(char *out, quint64 n, quint64 unit, const char *suffix)
{
    const int len = putNumber(out, (n + unit / 2) / unit);
    return len + put(out + len, suffix);
}

// One decimal, halves up; 0 when it rounds to 100.0 and no longer fits.
int tenths(char *out, quint64 n, quint64 unit, const char *suffix)
{
    const quint64 t = (n + unit / 20) / (unit / 10);
    if (t >= 1000)
        return 0;
    int len = putNumber(out, t / 10);
    out[len++] = '.';
    out[len++] = char('0' + t % 10);
    return len + put(out + len, suffix);
}

int orElse(char *out, int len, const char *fallback)
{
    return len ? len : put(out, fallback);
}

} // namespace

int sizeTextInto(quint64 n, char *out)
{
    if (n >= 100 * kGiga)
        return put(out, "> 99 G");
    if (n >= kGiga)
        return orElse(out, tenths(out, n, kGiga, " G"), "> 99 G");
    if (n >= 100 * kMega)
        return whole(out, n, kMega, " M");
    if (n >= kMega)
        return orElse(out, tenths(out, n, kMega, " M"), "100 M");
    if (n >= 100 * kKilo)
        return whole(out, n, kKilo, " K");
    if (n >= kKilo)
        return orElse(out, tenths(out, n, kKilo, " K"), "100 K");
    return whole(out, n, 1, " B");
}

QString sizeText(quint64 n)
{
    char buf[kSizeTextCapacity];
    return QString::fromLatin1(buf, sizeTextInto(n, buf));
}
