#include "codepage.h"

#include <array>

namespace codepage
{

namespace
{

    // Unicode code points of the bytes 0x80-0x9F; the undefined ones map to themselves.
    constexpr std::array<char16_t, 32> kHigh = {
        0x20AC,
        0x0081,
        0x201A,
        0x0192,
        0x201E,
        0x2026,
        0x2020,
        0x2021,
        0x02C6,
        0x2030,
        0x0160,
        0x2039,
        0x0152,
        0x008D,
        0x017D,
        0x008F,
        0x0090,
        0x2018,
        0x2019,
        0x201C,
        0x201D,
        0x2022,
        0x2013,
        0x2014,
        0x02DC,
        0x2122,
        0x0161,
        0x203A,
        0x0153,
        0x009D,
        0x017E,
        0x0178,
    };

    struct UpperTable {
        std::array<unsigned char, 256> map {};
        UpperTable()
        {
            for (int i = 0; i < 256; ++i)
                map[i] = static_cast<unsigned char>(i);
            for (int c = 'a'; c <= 'z'; ++c)
                map[c] = static_cast<unsigned char>(c - 32);
            for (int c = 0xE0; c <= 0xFE; ++c)
                if (c != 0xF7)
                    map[c] = static_cast<unsigned char>(c - 32);
            map[0x9A] = 0x8A;
            map[0x9C] = 0x8C;
            map[0x9E] = 0x8E;
            map[0xFF] = 0x9F;
        }
    };

    const UpperTable &upperTable()
    {
        static const UpperTable table;
        return table;
    }

    // Returns the byte for a code point, or -1 when Windows-1252 has none.
    int encodeOne(char16_t u)
    {
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
            return u;
        for (int i = 0; i < 32; ++i)
            if (kHigh[i] == u)
                return 0x80 + i;
        return -1;
    }

} // namespace

QString toUnicode(const char *data, int size)
{
    QString out(size, Qt::Uninitialized);
    QChar *dst = out.data();
    for (int i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        dst[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

QString toUnicode(const QByteArray &ansi)
{
    return toUnicode(ansi.constData(), int(ansi.size()));
}

QByteArray fromUnicode(const QString &text, bool *ok)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    bool all = true;
    for (int i = 0; i < text.size(); ++i) {
        const int b = encodeOne(text.at(i).unicode());
        if (b < 0) {
            all = false;
            out[i] = '?';
        } else {
            out[i] = static_cast<char>(b);
        }
    }
    if (ok)
        *ok = all;
    return out;
}

bool isExpressible(const QString &text)
{
    for (QChar c : text)
        if (encodeOne(c.unicode()) < 0)
            return false;
    return true;
}

unsigned char upper(unsigned char c)
{
    return upperTable().map[c];
}

void upperInPlace(char *data, int size)
{
    const auto &map = upperTable().map;
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>(map[static_cast<unsigned char>(data[i])]);
}

QByteArray upper(const QByteArray &ansi)
{
    QByteArray out = ansi;
    upperInPlace(out.data(), int(out.size()));
    return out;
}

QString upperText(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const int b = encodeOne(c.unicode());
        if (b >= 0) {
            const unsigned char u = upper(static_cast<unsigned char>(b));
            c = (u >= 0x80 && u < 0xA0) ? QChar(kHigh[u - 0x80]) : QChar(u);
        }
    }
    return out;
}

bool sameName(const QString &a, const QString &b)
{
    return a.size() == b.size() && upperText(a) == upperText(b);
}

} // namespace codepage
