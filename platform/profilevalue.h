#pragma once

#include <QString>

// Text forms of the typed values in profile files: integers and colours. Booleans are
// integers ("1"/"0" written, non-zero read as true).
namespace profilevalue
{

// Reads an integer the way the profile files have always been read: a text longer than
// two characters that starts with "0x" or "0X" is hexadecimal; otherwise an optional
// sign followed by decimal digits, or by "$" and hexadecimal digits. Hexadecimal values
// cover 32 bits and wrap to signed ("$FFFFFFFF" is -1); a decimal value outside the
// signed 32-bit range, an empty text, or any stray character makes the text "not a
// number": the function then returns false and leaves *value alone.
bool parseInteger(const QString &text, qint32 *value);

// Decimal, with a leading "-" when negative.
QString formatInteger(qint32 value);

// Colours are 32-bit values: the low three bytes are blue, green and red from high to
// low; a value with the top bit set is a system colour whose index is the low byte.
bool isSystemColor(quint32 color);
int systemColorIndex(quint32 color);

// The colour's name when it has one ("clWhite", "clBtnFace"), otherwise "$" and eight
// upper-case hexadecimal digits.
QString formatColor(quint32 color);

// A colour name (letter case ignored), a decimal number or "$" and hexadecimal digits.
// Returns false, leaving *color alone, for anything else.
bool parseColor(const QString &text, quint32 *color);

} // namespace profilevalue
