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
    v.viewColor = s.ViewColor;
    v.editColor = s.EditColor;
    v.viewFont = s.ViewFont;
    v.printFontName = s.PrintFontName;
    MarginSettings margins = s.PrintMargins;
    for (int i = 0; i < 4; ++i)
        v.margins[size_t(i)] = marginText(*marginOf(margins, MarginField(i)));
    v.viewerPath = s.ViewerPath;
    v.viewerExtensions = s.ViewerExtensions;
    v.fileManagerPath = s.FileManagerPath;
    v.viewerParams = s.ViewerParams;
    v.viewerDelay = QString::number(s.ViewerDelay);
    v.gridLines = s.GridLines;
    v.folderListCollapsed = s.FolderListCollapsed;
    v.deleteEmptyFolders = s.DeleteEmptyFolders;
    v.searchInText = s.SearchInText;
    v.startArchiveMode = s.StartArchiveMode;
    v.folderInfoMode = s.FolderInfoMode;
    return v;
}

void assignDialogValues(const SettingsDialogValues &v, Settings *s)
{
    s->ViewColor = v.viewColor;
    s->EditColor = v.editColor;
    s->ViewFont = v.viewFont;
    s->PrintFontName = v.printFontName;
    for (int i = 0; i < 4; ++i)
        *marginOf(s->PrintMargins, MarginField(i))
            = marginTenths(v.margins[size_t(i)], MarginField(i));
    s->GridLines = quint8(v.gridLines);
    s->FolderListCollapsed = quint8(v.folderListCollapsed);
    s->DeleteEmptyFolders = quint8(v.deleteEmptyFolders);
    s->SearchInText = quint8(v.searchInText);
    s->StartArchiveMode = v.startArchiveMode;
    s->FolderInfoMode = quint8(v.folderInfoMode);
    // The viewer's path may carry meaningful blanks; the other texts are trimmed.
    s->ViewerPath = v.viewerPath;
    s->ViewerExtensions = v.viewerExtensions.trimmed();
    s->FileManagerPath = v.fileManagerPath.trimmed();
    s->ViewerParams = v.viewerParams.trimmed();
    s->ViewerDelay = viewerDelayOf(v.viewerDelay);
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
