#pragma once

#include <QByteArray>
#include <QString>

// The encoding of a table's texts, and every question about them: a default table holds
// Windows-1252 (see codepage.h), a Unicode one UTF-8. The open table hands out its codec;
// code that turns table bytes into text, or text into table bytes, asks it.
//
// Upper-casing never changes a text's length in bytes, so that a key of fixed width stays
// that wide and a folder's keys stay one contiguous run: Windows-1252 by its table; UTF-8
// maps each code point to its simple upper-case form where that form is as long in UTF-8,
// and leaves it as it is otherwise ('ß', 'ı' and 'ſ' stay; Georgian and Greek letters
// upper-case; emoji stay). Bytes that are not UTF-8 stay as they are.
//
// The encoding is chosen once per table, not per byte: every call branches once on it.
class TextCodec
{
public:
    enum class Encoding { Windows1252, Utf8 };

    static const TextCodec &windows1252();
    static const TextCodec &utf8();
    static const TextCodec &of(Encoding encoding);

    Encoding encoding() const { return m_encoding; }
    bool isUtf8() const { return m_encoding == Encoding::Utf8; }
    // "Windows-1252" or "UTF-8", as the user reads it.
    QString name() const;

    QString toUnicode(const char *data, int size) const;
    QString toUnicode(const QByteArray &bytes) const;
    // A character the encoding cannot write becomes '?' (Windows-1252) or U+FFFD (a lone
    // surrogate in UTF-8) and sets *ok to false.
    QByteArray fromUnicode(const QString &text, bool *ok = nullptr) const;
    bool isExpressible(const QString &text) const;
    // The length of text's stored form in bytes.
    int byteLength(const QString &text) const;
    // The number of leading bytes of data (size bytes) that hold at most max bytes without
    // cutting a character in two.
    int fitLength(const char *data, int size, int max) const;
    // Whether the character (one, or a surrogate pair) is stored in a single byte: what
    // a tag, one byte of the table's tag field, can be.
    bool isSingleByte(const QString &character) const;

    void upperInPlace(char *data, int size) const;
    QByteArray upper(const QByteArray &bytes) const;
    // The bytes of [from, from + length) upper-cased as the characters of the text
    // [begin, end) that holds them: a character cut by either end of the span is
    // upper-cased whole and only its bytes inside the span are written to out (length
    // bytes). For keys that take part of a field.
    void upperSpan(
        const char *begin, const char *end, const char *from, int length, char *out) const;
    QString upperText(const QString &text) const;
    bool sameName(const QString &a, const QString &b) const;

private:
    explicit TextCodec(Encoding encoding)
        : m_encoding(encoding)
    {
    }

    Encoding m_encoding;
};

namespace utf8text
{

// UTF-8 upper-casing of bytes in place, as TextCodec::utf8() does it.
void upperInPlace(char *data, int size);
// The same for a text: code points whose upper-case form is as long in UTF-8 are mapped.
QString upperText(const QString &text);
// Whether data holds well-formed UTF-8 (no overlong forms, no surrogates).
bool isValid(const char *data, int size);

} // namespace utf8text
