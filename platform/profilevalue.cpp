#include "profilevalue.h"

#include <iterator>

namespace profilevalue
{

namespace
{

    struct NamedColor {
        const char *name;
        quint32 value;
    };

    constexpr quint32 SystemColor = 0xFF000000u;

    // Standard colours, then the system colours by index (index 25 has no name).
    constexpr NamedColor namedColors[] = {
        { "clBlack", 0x00000000 },
        { "clMaroon", 0x00000080 },
        { "clGreen", 0x00008000 },
        { "clOlive", 0x00008080 },
        { "clNavy", 0x00800000 },
        { "clPurple", 0x00800080 },
        { "clTeal", 0x00808000 },
        { "clGray", 0x00808080 },
        { "clSilver", 0x00C0C0C0 },
        { "clRed", 0x000000FF },
        { "clLime", 0x0000FF00 },
        { "clYellow", 0x0000FFFF },
        { "clBlue", 0x00FF0000 },
        { "clFuchsia", 0x00FF00FF },
        { "clAqua", 0x00FFFF00 },
        { "clWhite", 0x00FFFFFF },
        { "clMoneyGreen", 0x00C0DCC0 },
        { "clSkyBlue", 0x00F0CAA6 },
        { "clCream", 0x00F0FBFF },
        { "clMedGray", 0x00A4A0A0 },
        { "clNone", 0x1FFFFFFF },
        { "clDefault", 0x20000000 },
        { "clScrollBar", SystemColor | 0 },
        { "clBackground", SystemColor | 1 },
        { "clActiveCaption", SystemColor | 2 },
        { "clInactiveCaption", SystemColor | 3 },
        { "clMenu", SystemColor | 4 },
        { "clWindow", SystemColor | 5 },
        { "clWindowFrame", SystemColor | 6 },
        { "clMenuText", SystemColor | 7 },
        { "clWindowText", SystemColor | 8 },
        { "clCaptionText", SystemColor | 9 },
        { "clActiveBorder", SystemColor | 10 },
        { "clInactiveBorder", SystemColor | 11 },
        { "clAppWorkSpace", SystemColor | 12 },
        { "clHighlight", SystemColor | 13 },
        { "clHighlightText", SystemColor | 14 },
        { "clBtnFace", SystemColor | 15 },
        { "clBtnShadow", SystemColor | 16 },
        { "clGrayText", SystemColor | 17 },
        { "clBtnText", SystemColor | 18 },
        { "clInactiveCaptionText", SystemColor | 19 },
        { "clBtnHighlight", SystemColor | 20 },
        { "cl3DDkShadow", SystemColor | 21 },
        { "cl3DLight", SystemColor | 22 },
        { "clInfoText", SystemColor | 23 },
        { "clInfoBk", SystemColor | 24 },
        { "clHotLight", SystemColor | 26 },
        { "clGradientActiveCaption", SystemColor | 27 },
        { "clGradientInactiveCaption", SystemColor | 28 },
        { "clMenuHighlight", SystemColor | 29 },
        { "clMenuBar", SystemColor | 30 },
    };

    int hexDigit(QChar c)
    {
        const ushort u = c.unicode();
        if (u >= '0' && u <= '9')
            return u - '0';
        if (u >= 'a' && u <= 'f')
            return u - 'a' + 10;
        if (u >= 'A' && u <= 'F')
            return u - 'A' + 10;
        return -1;
    }

    // Hexadecimal digits from pos to the end, at most 32 significant bits.
    bool parseHex(const QString &text, int pos, quint32 *value)
    {
        if (pos >= text.size())
            return false;
        quint64 v = 0;
        for (int i = pos; i < text.size(); ++i) {
            const int d = hexDigit(text.at(i));
            if (d < 0)
                return false;
            v = v * 16 + quint64(d);
            if (v > 0xFFFFFFFFull)
                return false;
        }
        *value = quint32(v);
        return true;
    }

    // Decimal digits from pos to the end; limit is the largest magnitude allowed.
    bool parseDecimal(const QString &text, int pos, quint64 limit, quint64 *value)
    {
        if (pos >= text.size())
            return false;
        quint64 v = 0;
        for (int i = pos; i < text.size(); ++i) {
            const ushort u = text.at(i).unicode();
            if (u < '0' || u > '9')
                return false;
            v = v * 10 + (u - '0');
            if (v > limit)
                return false;
        }
        *value = v;
        return true;
    }

} // namespace

bool parseInteger(const QString &text, qint32 *value)
{
    quint32 bits = 0;
    if (text.size() > 2 && text.at(0) == QLatin1Char('0')
        && (text.at(1) == QLatin1Char('x') || text.at(1) == QLatin1Char('X'))) {
        if (!parseHex(text, 2, &bits))
            return false;
        *value = qint32(bits);
        return true;
    }
    int pos = 0;
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+')))
        pos = 1;
    if (pos < text.size() && text.at(pos) == QLatin1Char('$')) {
        if (!parseHex(text, pos + 1, &bits))
            return false;
    } else {
        quint64 magnitude = 0;
        if (!parseDecimal(text, pos, negative ? 0x80000000ull : 0x7FFFFFFFull, &magnitude))
            return false;
        bits = quint32(magnitude);
    }
    *value = qint32(negative ? 0u - bits : bits);
    return true;
}

QString formatInteger(qint32 value)
{
    return QString::number(value);
}

bool isSystemColor(quint32 color)
{
    return (color & 0x80000000u) != 0;
}

int systemColorIndex(quint32 color)
{
    return int(color & 0xFFu);
}

QString formatColor(quint32 color)
{
    for (const NamedColor &c : namedColors) {
        if (c.value == color)
            return QLatin1String(c.name);
    }
    return QLatin1Char('$') + QStringLiteral("%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

bool parseColor(const QString &text, quint32 *color)
{
    for (const NamedColor &c : namedColors) {
        if (text.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) {
            *color = c.value;
            return true;
        }
    }
    qint32 v = 0;
    if (!parseInteger(text, &v))
        return false;
    *color = quint32(v);
    return true;
}

} // namespace profilevalue
