#include "desktopapps.h"

#include "commandline.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QSet>
#include <QTextStream>
#include <QUrl>

#include <algorithm>

namespace desktopapps
{

namespace
{

    // The string escapes of the format: \s \n \t \r \\.
    QString unescape(const QString &value)
    {
        QString out;
        for (int i = 0; i < value.size(); ++i) {
            const QChar c = value.at(i);
            if (c != QLatin1Char('\\') || i + 1 == value.size()) {
                out += c;
                continue;
            }
            const QChar e = value.at(++i);
            switch (e.unicode()) {
            case 's':
                out += QLatin1Char(' ');
                break;
            case 'n':
                out += QLatin1Char('\n');
                break;
            case 't':
                out += QLatin1Char('\t');
                break;
            case 'r':
                out += QLatin1Char('\r');
                break;
            default:
                out += e;
            }
        }
        return out;
    }

    // Exec split into arguments: blanks separate, double quotes group, and inside quotes a
    // backslash takes the next character literally.
    QStringList splitExec(const QString &exec)
    {
        QStringList args;
        QString current;
        bool inArgument = false;
        bool quoted = false;
        for (int i = 0; i < exec.size(); ++i) {
            const QChar c = exec.at(i);
            if (!quoted && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
                if (inArgument)
                    args << current;
                current.clear();
                inArgument = false;
                continue;
            }
            inArgument = true;
            if (c == QLatin1Char('"'))
                quoted = !quoted;
            else if (quoted && c == QLatin1Char('\\') && i + 1 < exec.size())
                current += exec.at(++i);
            else
                current += c;
        }
        if (inArgument)
            args << current;
        return args;
    }

    // One argument with its field codes expanded; *usedFile tells whether it took the file.
    // An argument that was a field code alone and expands to nothing is dropped (empty
    // optional), which *keep reports.
    QString expandArgument(const QString &arg, const QString &path, bool *usedFile, bool *keep)
    {
        QString out;
        bool onlyCodes = true;
        for (int i = 0; i < arg.size(); ++i) {
            const QChar c = arg.at(i);
            if (c != QLatin1Char('%') || i + 1 == arg.size()) {
                out += c;
                onlyCodes = false;
                continue;
            }
            const QChar code = arg.at(++i);
            switch (code.unicode()) {
            case 'f':
            case 'F':
                out += path;
                *usedFile = true;
                onlyCodes = false;
                break;
            case 'u':
            case 'U':
                out += QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
                *usedFile = true;
                onlyCodes = false;
                break;
            case '%':
                out += QLatin1Char('%');
                onlyCodes = false;
                break;
            default: // %i, %c, %k and the deprecated codes give nothing here
                break;
            }
        }
        *keep = !(onlyCodes && out.isEmpty());
        return out;
    }

    QString groupOf(const QString &line)
    {
        return line.mid(1, line.size() - 2);
    }

} // namespace

QStringList applicationFolders()
{
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        home = QDir::homePath() + QStringLiteral("/.local/share");
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    QStringList folders { home + QStringLiteral("/applications") };
    for (const QString &d : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d))
            folders << d + QStringLiteral("/applications");
    return folders;
}

bool readEntry(const QString &path, const QString &id, Application &app)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    app = Application();
    app.id = id;
    bool inEntry = false;
    bool isApplication = false;
    bool hidden = false;
    QString line;
    while (in.readLineInto(&line)) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inEntry = groupOf(line) == QLatin1String("Desktop Entry");
            continue;
        }
        const int eq = int(line.indexOf(QLatin1Char('=')));
        if (!inEntry || eq <= 0 || line.startsWith(QLatin1Char('#')))
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = unescape(line.mid(eq + 1).trimmed());
        if (key == QLatin1String("Type"))
            isApplication = value == QLatin1String("Application");
        else if (key == QLatin1String("Name"))
            app.name = value;
        else if (key == QLatin1String("Exec"))
            app.exec = value;
        else if (key == QLatin1String("MimeType"))
            app.mimeTypes = value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        else if (key == QLatin1String("Hidden"))
            hidden = value == QLatin1String("true");
    }
    if (app.name.isEmpty())
        app.name = id;
    return isApplication && !hidden && !app.exec.isEmpty();
}

std::vector<Application> forFile(const QString &filePath)
{
    const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForFile(filePath);
    if (!type.isValid())
        return {};
    QSet<QString> wanted { type.name() };
    for (const QString &t : type.allAncestors())
        wanted.insert(t);
    // Entries may name a type by an alias.
    const auto canonical = [&db](const QString &name) {
        const QMimeType t = db.mimeTypeForName(name);
        return t.isValid() ? t.name() : name;
    };
    std::vector<Application> found;
    QSet<QString> seen;
    for (const QString &folder : applicationFolders()) {
        QDirIterator it(folder, { QStringLiteral("*.desktop") }, QDir::Files,
            QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = path.mid(folder.size() + 1);
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seen.contains(id))
                continue;
            seen.insert(id);
            Application app;
            if (!readEntry(path, id, app))
                continue;
            const bool handles = std::any_of(app.mimeTypes.begin(), app.mimeTypes.end(),
                [&](const QString &m) { return wanted.contains(canonical(m)); });
            if (handles)
                found.push_back(app);
        }
    }
    std::sort(found.begin(), found.end(), [](const Application &a, const Application &b) {
        const int byName = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.id < b.id;
    });
    return found;
}

QStringList commandFor(const Application &app, const QString &filePath)
{
    QStringList command;
    bool usedFile = false;
    const QString path = commandline::pathArgument(filePath);
    for (const QString &arg : splitExec(app.exec)) {
        bool keep = true;
        const QString expanded = expandArgument(arg, path, &usedFile, &keep);
        if (keep)
            command << expanded;
    }
    if (command.isEmpty())
        return {};
    if (!usedFile)
        command << path;
    return command;
}

bool launch(const Application &app, const QString &filePath)
{
    const QStringList command = commandFor(app, filePath);
    return !command.isEmpty() && QProcess::startDetached(command.first(), command.mid(1));
}

} // namespace desktopapps
