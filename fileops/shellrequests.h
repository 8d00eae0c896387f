#pragma once

#include <QString>

#include <functional>

// The texts that the shell commands hand to the desktop and the clipboard, built from the
// current record, the current folder and the settings. Absolute paths are this system's
// (the root folder is native); the catalogue's folder paths carry backslashes, which
// become the system's separator where they join an absolute path.
namespace shellrequests
{

// RootPath + folder path + NAME: the current file as "Path/file to clipboard" copies it.
// The root ends in a separator and the folder path in a backslash (or is empty), so no
// separator is doubled or missing.
QString pathAndFile(const QString &rootPath, const QString &folderPath, const QString &name);

// The text pane's text as "Text to clipboard" copies it: every line break as CR LF.
QString wholeText(const QString &paneText);

// A selection of the text pane made a link: the file and the parameters.
struct Link {
    QString file;
    QString parameters;
};

// The selection loses the blanks and control characters at both ends; then, with a blank
// in it, the file is the part before the first blank and the parameters the part after
// it (each trimmed the same way); without, the whole selection is the file. Line breaks of a
// selection that spans lines count as control characters.
Link splitLink(const QString &selection);

// The command that starts the configured file manager: the first "..\" (any letter case)
// replaced by the program folder, then the first "%usb%" (any letter case) by the drive
// of the executable, and the whole enclosed in double quotes when it holds a blank.
QString fileManagerCommand(
    const QString &fileManagerPath, const QString &programFolder, const QString &usbDrive);

// How a folder is explored: by the shell's own file manager (useShell), or by starting
// the file manager command with the quoted folder as its parameter text.
struct ExploreRequest {
    bool useShell = true;
    QString file; // the folder, or the file manager command
    QString parameters;
};

// programExists is asked about the file manager command after the replacements (without
// its quotes), so that "..\" and "%usb%" settings work wherever the program runs.
ExploreRequest exploreRequest(const QString &fileManagerPath, const QString &folder,
    const QString &programFolder, const QString &usbDrive,
    const std::function<bool(const QString &)> &programExists);

// True when the viewer shows the file: the lower-cased extension of the name, with its
// dot, occurs anywhere in the extensions text (".jp" matches ".jpg .png"). A name without
// an extension, or ending in a bare dot, never matches.
bool viewerShows(const QString &name, const QString &viewerExtensions);

// The viewer's parameter text: the file's path followed directly by ViewerParams (a
// blank, if wanted, belongs at the start of ViewerParams). A path that holds a blank or a
// double quote is quoted, so that it reaches the viewer as one argument.
QString viewerParameters(const QString &filePath, const QString &viewerParams);

} // namespace shellrequests
