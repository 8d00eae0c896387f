#include "shellrequests.h"

#include "dialogs/shareddialog.h"
#include "fileops/shellport.h"
#include "platform/commandline.h"
#include "platform/diskpath.h"

#include <QCoreApplication>

namespace shellrequests
{

namespace
{

    // Blanks and control characters, as the ends of a link lose them.
    bool isTrimmed(QChar c)
    {
        return c.unicode() <= 0x20;
    }

    QString trimmed(const QString &text)
    {
        int from = 0;
        int to = int(text.size());
        while (from < to && isTrimmed(text.at(from)))
            ++from;
        while (to > from && isTrimmed(text.at(to - 1)))
            --to;
        return text.mid(from, to - from);
    }

    // Replaces the first occurrence of any of the tokens, letter case ignored.
    void replaceFirst(
        QString &text, std::initializer_list<QLatin1String> tokens, const QString &replacement)
    {
        int at = -1;
        int length = 0;
        for (const QLatin1String &token : tokens) {
            const int i = int(text.indexOf(token, 0, Qt::CaseInsensitive));
            if (i >= 0 && (at < 0 || i < at))
                at = i, length = int(token.size());
        }
        if (at >= 0)
            text.replace(at, length, replacement);
    }

} // namespace

QString pathAndFile(const QString &rootPath, const QString &folderPath, const QString &name)
{
    return rootPath + diskpath::toNative(folderPath) + name;
}

QString wholeText(const QString &paneText)
{
    QString text = paneText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

Link splitLink(const QString &selection)
{
    // A selection across lines carries paragraph separators where the lines break.
    QString s = selection;
    s.replace(QChar(0x2029), QLatin1String("\r\n"));
    s.replace(QChar(0x2028), QLatin1String("\r\n"));
    // Blanks around the whole selection are no separator: a name selected with the
    // blanks beside it still opens.
    s = trimmed(s);
    const int blank = int(s.indexOf(QLatin1Char(' ')));
    if (blank < 0)
        return { trimmed(s), QString() };
    return { trimmed(s.left(blank)), trimmed(s.mid(blank + 1)) };
}

QString fileManagerCommand(
    const QString &fileManagerPath, const QString &programFolder, const QString &usbDrive)
{
    QString command = fileManagerPath;
    // "../" is this system's spelling of the same token.
    replaceFirst(command, { QLatin1String("..\\"), QLatin1String("../") }, programFolder);
    replaceFirst(command, { QLatin1String("%usb%") }, usbDrive);
    if (command.contains(QLatin1Char(' ')))
        command = QLatin1Char('"') + command + QLatin1Char('"');
    return command;
}

ExploreRequest exploreRequest(const QString &fileManagerPath, const QString &folder,
    const QString &programFolder, const QString &usbDrive,
    const std::function<bool(const QString &)> &programExists)
{
    if (fileManagerPath.isEmpty())
        return { true, folder, {} };
    const QString command = fileManagerCommand(fileManagerPath, programFolder, usbDrive);
    if (!programExists(commandline::unquoted(command)))
        return { true, folder, {} };
    return { false, command, { commandline::pathArgument(folder) } };
}

bool viewerShows(const QString &name, const QString &viewerExtensions)
{
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    if (dot < 0 || dot == name.size() - 1)
        return false;
    return viewerExtensions.contains(name.mid(dot).toLower());
}

QStringList viewerArguments(const QString &filePath, const QString &viewerParams)
{
    QStringList arguments = commandline::split(viewerParams);
    const QString path = commandline::pathArgument(filePath);
    const bool glued = !viewerParams.isEmpty() && viewerParams.at(0) != QLatin1Char(' ')
        && viewerParams.at(0) != QLatin1Char('\t');
    if (glued && !arguments.isEmpty())
        arguments.first().prepend(path);
    else
        arguments.prepend(path);
    return arguments;
}

QString runQuestion(const QString &program)
{
    return QCoreApplication::translate("FileOps",
        "Run the program  '%1'  ?\r"
        "Yes runs it, No opens it with its application, Esc leaves it.")
        .arg(program);
}

ProgramChoice askAboutProgram(const QString &program)
{
    // No has the first focus: Enter alone never starts a program.
    const QString answer
        = showDialog(DialogKind::Confirmation, runQuestion(program), QStringLiteral("2"));
    if (answer == QLatin1String("1"))
        return ProgramChoice::Run;
    if (answer == QLatin1String("2"))
        return ProgramChoice::Open;
    return ProgramChoice::Leave;
}

void openTarget(ShellPort &shell, const QString &target, const QStringList &arguments,
    const std::function<void()> &onFailure)
{
    if (!shell.isProgram(target)) {
        shell.open(target, onFailure);
        return;
    }
    switch (askAboutProgram(target)) {
    case ProgramChoice::Run:
        shell.run(target, arguments, onFailure);
        break;
    case ProgramChoice::Open:
        shell.open(target, onFailure);
        break;
    case ProgramChoice::Leave:
        break;
    }
}

} // namespace shellrequests
