#include "textcodec.h"

#include "codepage.h"

#include <array>
#include <cstring>

namespace
{

bool isContinuation(char b)
{
    return (static_cast<unsigned char>(b) & 0xC0) == 0x80;
}

int utf8Length(char32_t cp)
{
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

// The length of the well-formed UTF-8 sequence at p (n bytes there) and its code point;
// 0 when p holds none.
int decodeOne(const unsigned char *p, int n, char32_t &cp)
{
    const unsigned char b = p[0];
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    int length = 0;
    char32_t least = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        cp = b & 0x1F;
        least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        cp = b & 0x0F;
        least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        cp = b & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (length > n)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

void encodeOne(char32_t cp, int length, unsigned char *out)
{
    switch (length) {
    case 2:
        out[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        break;
    case 3:
        out[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        break;
    default:
        out[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
        out[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        out[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        break;
    }
}

// The simple upper-case form of cp when it is as long in UTF-8, else cp itself.
char32_t upperOf(char32_t cp)
{
    const char32_t u = QChar::toUpper(cp);
    return utf8Length(u) == utf8Length(cp) ? u : cp;
}

// ASCII upper-casing, the one step most names need.
const std::array<unsigned char, 128> &asciiUpper()
{
    static const std::array<unsigned char, 128> table = [] {
        std::array<unsigned char, 128> t {};
        for (int i = 0; i < 128; ++i)
            t[size_t(i)] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 32 : i);
        return t;
    }();
    return table;
}

bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

} // namespace

namespace utf8text
{

void upperInPlace(char *data, int size)
{
    const auto &ascii = asciiUpper();
    auto *p = reinterpret_cast<unsigned char *>(data);
    for (int i = 0; i < size;) {
        if (p[i] < 0x80) {
            p[i] = ascii[p[i]];
            ++i;
            continue;
        }
        char32_t cp = 0;
        const int length = decodeOne(p + i, size - i, cp);
        if (length == 0) {
            ++i; // not UTF-8: the byte stays
            continue;
        }
        const char32_t u = upperOf(cp);
        if (u != cp)
            encodeOne(u, length, p + i);
        i += length;
    }
}

QString upperText(const QString &text)
{
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        if (c.unicode() < 0x80) {
            if (c.unicode() >= 'a' && c.unicode() <= 'z')
                out[i] = QChar(c.unicode() - 32);
            continue;
        }
        if (c.isHighSurrogate() && i + 1 < out.size() && out.at(i + 1).isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(c, out.at(i + 1));
            const char32_t u = upperOf(cp);
            if (u != cp) {
                out[i] = QChar(QChar::highSurrogate(u));
                out[i + 1] = QChar(QChar::lowSurrogate(u));
            }
            ++i;
            continue;
        }
        if (c.isSurrogate())
            continue;
        out[i] = QChar(char16_t(upperOf(c.unicode())));
    }
    return out;
}

bool isValid(const char *data, int size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    for (int i = 0; i < size;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        const int length = decodeOne(p + i, size - i, cp);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

} // namespace utf8text

const TextCodec &TextCodec::windows1252()
{
    static const TextCodec codec(Encoding::Windows1252);
    return codec;
}

const TextCodec &TextCodec::utf8()
{
    static const TextCodec codec(Encoding::Utf8);
    return codec;
}

const TextCodec &TextCodec::of(Encoding encoding)
{
    return encoding == Encoding::Utf8 ? utf8() : windows1252();
}

QString TextCodec::name() const
{
    return isUtf8() ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252");
}

QString TextCodec::toUnicode(const char *data, int size) const
{
    return isUtf8() ? QString::fromUtf8(data, size) : codepage::toUnicode(data, size);
}

QString TextCodec::toUnicode(const QByteArray &bytes) const
{
    return toUnicode(bytes.constData(), int(bytes.size()));
}

QByteArray TextCodec::fromUnicode(const QString &text, bool *ok) const
{
    if (!isUtf8())
        return codepage::fromUnicode(text, ok);
    if (ok)
        *ok = !hasLoneSurrogate(text);
    return text.toUtf8();
}

bool TextCodec::isExpressible(const QString &text) const
{
    return isUtf8() ? !hasLoneSurrogate(text) : codepage::isExpressible(text);
}

int TextCodec::byteLength(const QString &text) const
{
    if (!isUtf8())
        return int(text.size());
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size()
            && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            n += 4;
            ++i;
        } else {
            n += utf8Length(u);
        }
    }
    return n;
}

int TextCodec::fitLength(const char *data, int size, int max) const
{
    if (size <= max)
        return size;
    int n = max;
    // The first byte left out continues a character: that character goes out whole.
    if (isUtf8())
        while (n > 0 && isContinuation(data[n]))
            --n;
    return n;
}

bool TextCodec::isSingleByte(const QString &character) const
{
    if (character.size() != 1)
        return false;
    return isUtf8() ? character.at(0).unicode() < 0x80 : codepage::isExpressible(character);
}

void TextCodec::upperInPlace(char *data, int size) const
{
    if (isUtf8())
        utf8text::upperInPlace(data, size);
    else
        codepage::upperInPlace(data, size);
}

QByteArray TextCodec::upper(const QByteArray &bytes) const
{
    QByteArray out = bytes;
    upperInPlace(out.data(), int(out.size()));
    return out;
}

void TextCodec::upperSpan(
    const char *begin, const char *end, const char *from, int length, char *out) const
{
    if (!isUtf8()) {
        std::memcpy(out, from, size_t(length));
        codepage::upperInPlace(out, length);
        return;
    }
    // Widened to whole characters: back to the lead byte of the first, on past the
    // continuation bytes of the last (a UTF-8 character is at most four bytes).
    const char *a = from;
    while (a > begin && from - a < 3 && isContinuation(*a))
        --a;
    const char *b = from + length;
    while (b < end && b - (from + length) < 3 && isContinuation(*b))
        ++b;
    char wide[128 + 8];
    QByteArray heap;
    char *buffer = wide;
    if (b - a > qsizetype(sizeof wide)) {
        heap.resize(b - a);
        buffer = heap.data();
    }
    std::memcpy(buffer, a, size_t(b - a));
    utf8text::upperInPlace(buffer, int(b - a));
    std::memcpy(out, buffer + (from - a), size_t(length));
}

QString TextCodec::upperText(const QString &text) const
{
    return isUtf8() ? utf8text::upperText(text) : codepage::upperText(text);
}

bool TextCodec::sameName(const QString &a, const QString &b) const
{
    return a.size() == b.size() && upperText(a) == upperText(b);
}
