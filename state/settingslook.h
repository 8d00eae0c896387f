#pragma once

#include "settings.h"

#include <QColor>
#include <QFont>
#include <QPalette>

// The stored colour and font values turned into Qt's, and back, for the views and the
// settings dialog.

// A stored colour: RGB from its low three bytes (red lowest); a system colour (top bit
// set) from the palette role that plays its part; clNone and clDefault give an invalid
// colour, meaning "leave the control's own".
QColor toQColor(quint32 color, const QPalette &palette);
// The stored value of a colour picked by the user (never a system colour).
quint32 fromQColor(const QColor &color);

// The view font: name, size in points (kept between 1 and 200 points, so that a garbled
// size cannot make the views unusable), style bits 1 bold, 2 italic, 4 underline,
// 8 strike-out. The character set has no counterpart here; it is kept as stored.
QFont toQFont(const FontSettings &font);
// Name, size and style of a font the user picked; character set and colour stay.
void assignQFont(const QFont &qfont, FontSettings *font);
