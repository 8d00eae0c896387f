#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What the shell commands ask of the desktop. The window layer implements it over the
// platform's shell verbs, the open-with chooser and the clipboard; tests record the
// requests instead. No request reports anything to the user.
class ShellPort
{
public:
    virtual ~ShellPort() = default;

    // The "open" verb on a file, folder or address: the desktop's default application for
    // it. A program is never started by this; see run(). onFailure (may be empty) runs,
    // now or later, when it could not be done.
    virtual void open(const QString &target, std::function<void()> onFailure) = 0;
    // Starts a program, each argument reaching it as one argument. onFailure (may be empty)
    // runs when the program could not be started.
    virtual void run(
        const QString &program, const QStringList &arguments, std::function<void()> onFailure)
        = 0;
    // True when the target is a program (an executable binary or script, or a bare name on
    // the search path) rather than a document: opening it must ask the user first.
    virtual bool isProgram(const QString &target) const = 0;
    // The open-with chooser for a file.
    virtual void openWith(const QString &file) = 0;
    // The "explore" verb: the desktop's file manager on a folder.
    virtual void explore(const QString &folder) = 0;
    // Places a text on the clipboard; its lines end in CR LF.
    virtual void copyToClipboard(const QString &text) = 0;
    // True when a program can be started from the path (a setting's viewer or file manager).
    virtual bool programExists(const QString &path) const = 0;
};
