#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QObject;

// The shell's verbs on this system. "open" hands a document, folder or address to the
// desktop's default application (xdg-open); "run" starts a program the user chose to run;
// "explore" shows a folder in the desktop's file manager. Every path reaches the started
// program as exactly one argument, and never as one of its options. Nothing here waits
// for the started application: the desktop's answer arrives later, on this thread's event
// loop.
namespace desktopshell
{

// How long after an "open" request a failure reported by the desktop's opener still
// counts as the request failing. The opener of some desktops runs as long as the
// application it started; a failure after this is that application's own business.
constexpr int kFailureWindowMs = 5000;

// True when path names a program that can be started: an existing file (a relative path
// counts from the current folder), or a bare name found on the search path (PATH).
bool programExists(const QString &path);

// True when target is to be started as a program rather than opened as a document: a bare
// name found on the search path, or an executable file whose content is a program (a
// binary or a script). Data files that merely carry the execute permission, as every file
// on many removable media does, are documents.
bool isProgram(const QString &target);

// The "open" verb: the desktop's default application for the target, which is never
// started as a program itself (isProgram tells the caller when to ask first). A target in
// double quotes is taken without them; backslashes in a local path become "/"; a path
// beginning with "-" is passed as "./-..." and a text beginning with "-" that holds a ":"
// (an address cannot) is refused. onFailure (may be empty) runs on this thread when the
// request fails: at once when nothing could be handed over (an empty or refused target),
// or later, from the event loop, when the opener cannot be started or reports within
// kFailureWindowMs that it could not open the target. A later report is dropped once
// context (the caller's object) is gone.
void open(const QString &target, QObject *context, std::function<void()> onFailure);

// The "explore" verb: the desktop's file manager on the folder. False when nothing could
// be started.
bool explore(const QString &folder);

// Starts a program detached, each argument passed as it is (no shell reads them). The
// program is taken as open takes a target (quotes dropped, backslashes as "/"). False when
// it could not be started.
bool run(const QString &program, const QStringList &arguments);

// The clipboard's form of a text whose lines end in CR LF: this system's line ends (LF).
QString clipboardText(const QString &text);

// The program that opens documents with the desktop's default application; tests put a
// stand-in of that name first on the search path.
QString openerName();

} // namespace desktopshell
