#pragma once

#include <QByteArray>
#include <QString>

// The program's 8-bit texts (table fields, info files, Descript.ion, profile files) are
// Windows-1252. These functions are the one boundary between those bytes and Unicode.
namespace codepage
{

// Decodes Windows-1252 bytes. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the C1 control of the same value, so that
// every byte string survives a round trip.
QString toUnicode(const QByteArray &ansi);
QString toUnicode(const char *data, int size);

// Encodes to Windows-1252. A character that the code page cannot express becomes '?'
// and, when ok is given, sets *ok to false.
QByteArray fromUnicode(const QString &text, bool *ok = nullptr);

// True when every character of text can be written in Windows-1252.
bool isExpressible(const QString &text);

// Windows-1252 upper-casing: a-z, the accented letters 0xE0-0xFE except 0xF7 to
// 0xC0-0xDE, 0x9A->0x8A, 0x9C->0x8C, 0x9E->0x8E, 0xFF->0x9F; sharp s and micro stay.
unsigned char upper(unsigned char c);
QByteArray upper(const QByteArray &ansi);
void upperInPlace(char *data, int size);

// Upper-cases a Unicode text the way its Windows-1252 form would be upper-cased
// (characters outside the code page are left unchanged).
QString upperText(const QString &text);

// Compares two names without regard to letter case (both sides upper-cased as above).
bool sameName(const QString &a, const QString &b);

} // namespace codepage
