#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class ShellPort;

// The texts that the shell commands hand to the desktop and the clipboard, built from the
// current record, the current folder and the settings. Absolute paths are this system's
// (the root folder is native); the catalogue's folder paths carry backslashes, which
// become the system's separator where they join an absolute path.
namespace shellrequests
{

// rootPath + folder path + NAME: the current file as "Path/file to clipboard" copies it.
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
// the file manager command with the folder as its one argument, whatever its characters.
struct ExploreRequest {
    bool useShell = true;
    QString file; // the folder, or the file manager command
    QStringList arguments; // the folder, when the command is started
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

// The viewer's arguments: the file's path followed directly by viewerParams, as the
// parameter text path + viewerParams would be read, except that the path is always whole.
// viewerParams is split like a command line; a blank at its start makes the path an
// argument of its own, without one the first argument of viewerParams is glued to the path
// ("/d/x.jpg" and "/one /fs" give "/d/x.jpg/one" and "/fs").
QStringList viewerArguments(const QString &filePath, const QString &viewerParams);

// What the user makes of a program that was to be opened.
enum class ProgramChoice { Run, Open, Leave };

// "Run the program  '<program>'  ?": a Yes/No question of the shared dialog with No
// preselected. Yes runs the program, No opens it with its application like a document,
// Esc (or the close box) leaves it alone.
QString runQuestion(const QString &program);
ProgramChoice askAboutProgram(const QString &program);

// Opens a file, folder or address as Open and Open link do. A document goes to the
// desktop's default application; a program (ShellPort::isProgram) is started, with the
// arguments, only when askAboutProgram answers Run, goes to its application on Open, and
// is left alone on Leave. onFailure runs when what was chosen could not be done.
void openTarget(ShellPort &shell, const QString &target, const QStringList &arguments,
    const std::function<void()> &onFailure);

} // namespace shellrequests
