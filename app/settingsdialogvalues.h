#pragma once

#include "state/settings.h"

#include <QString>

#include <array>

// The values the settings dialog edits, as its controls hold them while it is open. The
// dialog is filled from the settings, edits only these copies, and hands them back on OK,
// when assignDialogValues() writes them into the settings in their fixed order; Cancel
// simply drops them.

// The margin fields, in the order of the dialog and of printMargins.
enum class MarginField { Top, Left, Bottom, Right };

// The three standard fonts that a click on the dialog puts into the view-font samples.
enum class StandardFont {
    Verdana, // the font-name panel: "Verdana", 9 points, style unchanged
    WindowFont, // "Standard PS": the main window's own "MS Sans Serif", 8 points, no style
    CourierNew, // "Standard FS": "Courier New", 9 points, style unchanged
};

struct SettingsDialogValues {
    // The colour samples: function-key toolbar, views, editable views.
    quint32 toolbarColor = 0;
    quint32 viewColor = 0;
    quint32 editColor = 0;
    FontSettings viewFont; // of both samples; the font-name panel shows its name
    QString printFontName;
    // The margin fields' texts, whole millimetres when sound.
    std::array<QString, 4> margins;
    QString viewerPath;
    QString viewerExtensions;
    QString viewerParams;
    QString viewerDelay;
    QString fileManagerPath;
    // The lists: the index of the chosen item.
    int gridLines = 0;
    int folderListCollapsed = 0;
    int deleteEmptyFolders = 0;
    int searchInText = 0;
    int startArchiveMode = 0;
    int folderInfoMode = 0;
    // The open catalogue's choice of files without an extension (0 no, 1 yes), kept in
    // its table rather than in the settings; -1 when no catalogue is open (the list is
    // then disabled). The caller writes a change into the table.
    int filesWithoutExtension = -1;
};

// The dialog's values for the settings in force; toolbarColor is what the function-key
// toolbar shows now.
SettingsDialogValues dialogValues(const Settings &settings, quint32 toolbarColor);

// Writes the values into the settings, in this order: view and edit colours, view font,
// print font, margins, the lists, the viewer and file-manager texts, the delay. The
// toolbar colour is the caller's (it goes to the toolbar itself, before everything else).
// Margin fields are repaired first, as on leaving them.
void assignDialogValues(const SettingsDialogValues &values, Settings *settings);

// A margin in tenths of a millimetre as its field shows it: whole millimetres, truncated.
QString marginText(quint16 tenths);
// A margin field's text as it is kept when the field loses the focus: a whole number in
// plain decimal form ("015" becomes "15"), held between 0 and 6553 so that it fits the
// stored tenths; any other text becomes "20" (the right margin "10").
QString repairedMargin(const QString &text, MarginField field);
// The stored tenths of a repaired margin text.
quint16 marginTenths(const QString &text, MarginField field);

// The delay typed, in milliseconds: its whole number, 300 when it is not one.
qint32 viewerDelayOf(const QString &text);

// The colours a click on a sample resets it to.
inline constexpr quint32 standardViewColor = 0x00DAFAFA;
inline constexpr quint32 standardEditColor = 0x00FFFFFF;
inline constexpr quint32 standardToolbarColor = 0x00DA0000;
// The standard print font, set by a click on its panel.
inline const QString standardPrintFont = QString::fromLatin1(listinglayout::kDefaultFont);

// The view font after a click on one of the standard fonts: character set 0 and the
// window-text colour always; the style as the rule of that font says.
FontSettings standardFont(StandardFont which, const FontSettings &current);
