#include "settingsdialogvalues.h"

namespace
{

constexpr qint32 windowTextColor = -2147483640; // clWindowText
constexpr int largestMargin = 6553; // millimetres whose tenths still fit 16 bits

bool wholeNumber(const QString &text, int *value)
{
    bool ok = false;
    *value = text.trimmed().toInt(&ok, 10);
    return ok;
}

quint16 *marginOf(MarginSettings &m, MarginField field)
{
    switch (field) {
    case MarginField::Top:
        return &m.top;
    case MarginField::Left:
        return &m.left;
    case MarginField::Bottom:
        return &m.bottom;
    case MarginField::Right:
        break;
    }
    return &m.right;
}

} // namespace

SettingsDialogValues dialogValues(const Settings &s, quint32 toolbarColor)
{
    SettingsDialogValues v;
    v.toolbarColor = toolbarColor;
    v.viewColor = s.viewColor;
    v.editColor = s.editColor;
    v.viewFont = s.viewFont;
    v.printFontName = s.printFontName;
    MarginSettings margins = s.printMargins;
    for (int i = 0; i < 4; ++i)
        v.margins[size_t(i)] = marginText(*marginOf(margins, MarginField(i)));
    v.viewerPath = s.viewerPath;
    v.viewerExtensions = s.viewerExtensions;
    v.fileManagerPath = s.fileManagerPath;
    v.viewerParams = s.viewerParams;
    v.viewerDelay = QString::number(s.viewerDelay);
    v.gridLines = s.gridLines;
    v.folderListCollapsed = s.folderListCollapsed;
    v.deleteEmptyFolders = s.deleteEmptyFolders;
    v.searchInText = s.searchInText;
    v.startArchiveMode = s.startArchiveMode;
    v.folderInfoMode = s.folderInfoMode;
    return v;
}

void assignDialogValues(const SettingsDialogValues &v, Settings *s)
{
    s->viewColor = v.viewColor;
    s->editColor = v.editColor;
    s->viewFont = v.viewFont;
    s->printFontName = v.printFontName;
    for (int i = 0; i < 4; ++i)
        *marginOf(s->printMargins, MarginField(i))
            = marginTenths(v.margins[size_t(i)], MarginField(i));
    s->gridLines = quint8(v.gridLines);
    s->folderListCollapsed = quint8(v.folderListCollapsed);
    s->deleteEmptyFolders = quint8(v.deleteEmptyFolders);
    s->searchInText = quint8(v.searchInText);
    s->startArchiveMode = v.startArchiveMode;
    s->folderInfoMode = quint8(v.folderInfoMode);
    // The viewer's path may carry meaningful blanks; the other texts are trimmed.
    s->viewerPath = v.viewerPath;
    s->viewerExtensions = v.viewerExtensions.trimmed();
    s->fileManagerPath = v.fileManagerPath.trimmed();
    s->viewerParams = v.viewerParams.trimmed();
    s->viewerDelay = viewerDelayOf(v.viewerDelay);
}

QString marginText(quint16 tenths)
{
    return QString::number(tenths / 10);
}

QString repairedMargin(const QString &text, MarginField field)
{
    int mm = 0;
    if (!wholeNumber(text, &mm))
        return field == MarginField::Right ? QStringLiteral("10") : QStringLiteral("20");
    return QString::number(qBound(0, mm, largestMargin));
}

quint16 marginTenths(const QString &text, MarginField field)
{
    return quint16(repairedMargin(text, field).toInt() * 10);
}

qint32 viewerDelayOf(const QString &text)
{
    int delay = 0;
    return wholeNumber(text, &delay) ? delay : 300;
}

FontSettings standardFont(StandardFont which, const FontSettings &current)
{
    FontSettings font = current;
    font.charSet = 0;
    font.color = windowTextColor;
    switch (which) {
    case StandardFont::Verdana:
        font.name = QStringLiteral("Verdana");
        font.size = 9;
        break;
    case StandardFont::WindowFont:
        font.name = QStringLiteral("MS Sans Serif");
        font.size = 8;
        font.style = 0;
        break;
    case StandardFont::CourierNew:
        font.name = QStringLiteral("Courier New");
        font.size = 9;
        break;
    }
    return font;
}
