#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// What the dialog window shows for each kind, and its geometry rules. Kept apart from the
// widgets so that the texts of both languages and the size rules can be checked headless.

enum class DialogIcon { None, Wait, Warning, Error, Information, Question, Input, About };

struct DialogLayout {
    QString caption;
    DialogIcon icon = DialogIcon::None;
    int baseHeight = 0; // the window's height for a message label of at most 32 pixels
    bool buttonPair = false; // Yes and No (or OK and Cancel)
    bool singleButton = false; // a single OK
    bool textField = false; // a text to type
    bool dateField = false; // a date to type, with its calendar
    bool link = false; // a link below the message
    bool progressBar = false; // a progress bar
    QString yesCaption; // "&Yes" / "OK"
    QString noCaption; // "&No" / "Cancel"
    QString okCaption; // "OK"
};

// The layout of a kind in a language (1 = German, anything else the program's language:
// English unless a translation is loaded). Kinds that show nothing give an empty layout
// (baseHeight 0).
DialogLayout dialogLayout(int kind, int language);

// Minimum width of every dialog window, in pixels.
constexpr int dialogMinimumWidth = 146;

// The spacing the program's dialog windows share, in pixels: the border round their
// contents, the left edge of a text beside the 32-pixel picture, and a button's size.
namespace dialoggeometry
{
constexpr int border = 10;
constexpr int labelLeft = 45;
constexpr int buttonWidth = 70;
constexpr int buttonHeight = 24;
} // namespace dialoggeometry

// The base height, grown by the part of the message label's height above 32 pixels.
int dialogHeight(int baseHeight, int labelHeight);

// Top-left corner of a window of `size` centred over `owner` (the main window, or the
// screen when the main window is not visible); the halves are truncated toward zero.
QPoint centredPosition(const QRect &owner, const QSize &size);

// The link the about box shows for its option: an address (file:, http: or https:) as it
// stands. Anything else, the link choices "1" and "2" of the maker's web addresses among
// them, gives none, and the about box then shows no link: the program has no web address.
QString dialogLink(const QString &option);

// Kinds 4 and 5: the option that puts the first focus on No.
bool focusOnNo(int kind, const QString &option);
