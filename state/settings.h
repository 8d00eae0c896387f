#pragma once

#include "platform/profile.h"
#include "platform/programfolder.h"
#include "print/listinglayout.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>

// The program's settings: the values of the program-wide file "Tabulon.ini" and of the
// open archive's file (archive name + ".ini"), both in the program folder, together with
// the layout values that the main window's controls hold while the program runs.
//
// Widths: the values declared quint8 are 8-bit and the margins 16-bit unsigned, as they
// have always been stored; a stored number outside that range is taken modulo 2^8 or
// 2^16 (256 reads as 0, -1 as 255), which is what a copy of the program on Windows makes
// of the same file, and is written back in that form. All other integers are 32-bit.
// Colours are 32-bit values (see platform/profilevalue.h).

namespace settingsfile
{
inline const QString programTitle = QStringLiteral("Tabulon");
inline const QString version = QStringLiteral("6.6");
} // namespace settingsfile

struct FontSettings {
    QString name = QStringLiteral("Verdana");
    quint8 charSet = 0; // 0 = ANSI
    qint32 color = -2147483640; // the system window-text colour
    qint32 size = 9; // points
    quint8 style = 0; // 1 bold, 2 italic, 4 underline, 8 strike-out
};

// The print margins as stored (tenths of a millimetre); the defaults are the listing's.
struct MarginSettings {
    quint16 top = quint16(ListingMargins().top);
    quint16 left = quint16(ListingMargins().left);
    quint16 bottom = quint16(ListingMargins().bottom);
    quint16 right = quint16(ListingMargins().right);
};

// What the controls hold: the main window fills these in before saving and applies them
// after loading.
struct LayoutSettings {
    // The main window's normal bounds.
    qint32 left = 1;
    qint32 top = 1;
    qint32 width = 800;
    qint32 height = 600;
    // Loaded: 0 normal, 1 maximised, any other value leaves the window's state as it is.
    // Saved: 0 when the window is in its normal state, anything else when it is maximised
    // or minimised (then only "state=1" is written and the stored bounds stay).
    qint32 windowState = 0;
    qint32 gridHeight = 400; // MainWin/hsplit; see fitGridHeight()
    qint32 treeWidth = 150; // MainWin/vsplit
    bool showBottomToolbar = true; // "ToolBar1", Param/TB1
    bool showTopToolbar = true; // "ToolBar2", Param/TB2
};

struct Settings {
    QString archiveName; // as typed or chosen, letter case kept
    QString rootPath; // absolute, native, with a trailing separator
    QString helpFilePath;

    // Archive file.
    qint32 deletedCount = 0;
    quint32 viewColor = 0x00DAFAFA;
    quint32 editColor = 0x00FFFFFF;
    quint32 toolbarColor = 0x00DA0000;
    FontSettings viewFont;
    QString printFontName = QString::fromLatin1(listinglayout::kDefaultFont);
    MarginSettings printMargins;
    quint8 gridLines = 0;
    quint8 folderListCollapsed = 0;
    QString textFolder;
    QString copyFolder;
    quint8 deleteEmptyFolders = 0;
    quint8 searchInText = 1;
    QString viewerPath = QStringLiteral("d:\\irfan\\i_view32.exe");
    QString viewerExtensions = QStringLiteral(".jpg .bmp .png .mp4");
    QString indexOrder = QStringLiteral("1");
    quint8 folderInfoMode = 0;
    qint32 viewerDelay = 200;
    QString viewerParams = QStringLiteral("/one /fs");

    // Program-wide file.
    QString fileManagerPath;
    qint32 startArchiveMode = 0; // 0 the last used archive, 1 always the same
    QRect tagEditorBounds { 0, 0, 800, 600 };
    // Columns File, Note, Tags, Date, Size. Note (1) is not stored: it takes what is left.
    // File (0) is stored in both files; the archive's value is read last and wins.
    std::array<qint32, 5> gridColumnWidths { { 226, 150, 90, 65, 50 } };

    LayoutSettings layout;
};

// File names. The program-wide file is exactly "Tabulon.ini". An archive's file is found
// without regard to letter case, as on the system the program comes from: the entry
// spelt exactly as the name when there is one, else the first that differs in case only;
// a new archive's file takes the name as given.
QString programFilePath(const ProgramFolder &program);
QString archiveFilePath(const ProgramFolder &program, const QString &archiveName);

// "Tabulon 6.6 - <archive>".
QString mainWindowCaption(const QString &archiveName);

// --- Program-wide file ---

// First run: when the file does not exist, writes Local/Vers and DMS and the centred
// 800 x 600 main window bounds (left, top, width, height, state), and sets *created.
ProfileStatus createProgramFile(const QString &path, QSize screen, bool *created);

// Reads the program-wide values. arguments are the command-line arguments after the
// program name: exactly one (not empty) names the archive, otherwise Local/DMS does. screen is the
// screen size that the tag list window's default position centres on.
void readProgramSettings(
    Settings &settings, const QString &path, const QStringList &arguments, QSize screen);

// Writes the program-wide values in their fixed order. On failure nothing is written.
ProfileStatus writeProgramSettings(const Settings &settings, const QString &path);

// --- Archive file ---

// The root text entered at first use as it is stored: a trailing separator added, a
// leading backslash of a relative path dropped.
QString normalizeEnteredRoot(const QString &text);

// The "usb" form of a root text: its drive replaced by "%usb%", so that the root moves
// with the drive the program runs from. "E:\Photos" gives "%usb%\Photos" (the backslash
// after the drive stays), "/media/bob/STICK/Photos" gives "%usb%/Photos", and a relative
// text simply gets "%usb%" in front.
QString toUsbRoot(const QString &text);

// Creates the archive file with Local/Path alone.
ProfileStatus createArchiveFile(const QString &path, const QString &storedRoot);

// Reads every archive value, and rootPath from Local/Path through resolveRootPath. A file
// that exists but cannot be read gives Unreadable, and settings are left unchanged: its
// root folder is unknown, and opening the archive without it would catalogue the wrong
// folder.
ProfileStatus readArchiveSettings(
    Settings &settings, const QString &path, const ProgramFolder &program);

// Writes the archive values in their fixed order; Local/Path is never written here. On
// failure nothing is written.
ProfileStatus writeArchiveSettings(const Settings &settings, const QString &path);

// --- Root folder ---

// rootPath for a stored Local/Path value: the first "%usb%" (any letter case) becomes the
// drive the executable runs from; a path that is not absolute is taken relative to the
// program folder. The result is native ("/" separators, no doubled ones) and ends in a
// separator. A Windows-form root ("D:\Photos\") is returned as stored: it has no drive
// on this system, which the drive check then reports.
QString resolveRootPath(const QString &stored, const ProgramFolder &program);

// The drive of rootPath as the missing-drive message shows it, and whether it exists.
QString rootDrive(const QString &rootPath);
bool rootDriveExists(const QString &rootPath);

// The grid may not be taller than the right panel minus 5 pixels.
qint32 fitGridHeight(qint32 gridHeight, qint32 panelHeight);
