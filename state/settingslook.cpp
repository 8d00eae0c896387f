#include "settingslook.h"

#include "platform/profilevalue.h"

namespace
{

constexpr quint32 clNone = 0x1FFFFFFF;
constexpr quint32 clDefault = 0x20000000;

// Windows system colour index -> the palette role that plays its part on this desktop.
QPalette::ColorRole systemRole(int index)
{
    switch (index) {
    case 2:
    case 13:
    case 27:
    case 29:
        return QPalette::Highlight;
    case 9:
    case 14:
        return QPalette::HighlightedText;
    case 5:
        return QPalette::Base;
    case 7:
    case 8:
    case 19:
        return QPalette::Text;
    case 6:
    case 16:
        return QPalette::Mid;
    case 12:
        return QPalette::Dark;
    case 17:
        return QPalette::PlaceholderText;
    case 18:
        return QPalette::ButtonText;
    case 20:
        return QPalette::Light;
    case 21:
        return QPalette::Shadow;
    case 22:
        return QPalette::Midlight;
    case 23:
        return QPalette::ToolTipText;
    case 24:
        return QPalette::ToolTipBase;
    case 26:
        return QPalette::Link;
    case 0:
    case 15:
        return QPalette::Button;
    default:
        return QPalette::Window; // background, menus, borders, inactive captions
    }
}

} // namespace

QColor toQColor(quint32 color, const QPalette &palette)
{
    if (color == clNone || color == clDefault)
        return QColor();
    if (profilevalue::isSystemColor(color))
        return palette.color(QPalette::Active, systemRole(profilevalue::systemColorIndex(color)));
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

quint32 fromQColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16;
}

QFont toQFont(const FontSettings &font)
{
    QFont qfont(font.name);
    qfont.setPointSize(qBound(1, int(font.size), 200));
    qfont.setBold(font.style & 1);
    qfont.setItalic(font.style & 2);
    qfont.setUnderline(font.style & 4);
    qfont.setStrikeOut(font.style & 8);
    return qfont;
}

void assignQFont(const QFont &qfont, FontSettings *font)
{
    font->name = qfont.family();
    if (qfont.pointSize() > 0)
        font->size = qfont.pointSize();
    font->style = quint8((qfont.bold() ? 1 : 0) | (qfont.italic() ? 2 : 0)
        | (qfont.underline() ? 4 : 0) | (qfont.strikeOut() ? 8 : 0));
}
