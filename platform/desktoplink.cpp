#include "desktoplink.h"

#include "atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace desktoplink
{

namespace
{

    // The string escapes of the format: backslash and control characters.
    QString escapeString(const QString &text)
    {
        QString out;
        for (const QChar c : text) {
            switch (c.unicode()) {
            case '\\':
                out += QLatin1String("\\\\");
                break;
            case '\n':
                out += QLatin1String("\\n");
                break;
            case '\r':
                out += QLatin1String("\\r");
                break;
            case '\t':
                out += QLatin1String("\\t");
                break;
            default:
                out += c;
            }
        }
        return out;
    }

    // One Exec argument: quoted, with the characters that are special inside quotes escaped
    // by a backslash and "%" doubled (field codes); the string escapes apply on top.
    QString execArgument(const QString &argument)
    {
        QString quoted = QStringLiteral("\"");
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
                || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            if (c == QLatin1Char('%'))
                quoted += QLatin1Char('%');
            quoted += c;
        }
        quoted += QLatin1Char('"');
        return escapeString(quoted);
    }

} // namespace

QString desktopFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString iconFor(const QString &executablePath)
{
    const QDir folder = QFileInfo(executablePath).absoluteDir();
    for (const char *name : { "org.tabulon.Tabulon.svg", "org.tabulon.Tabulon.png" }) {
        const QString file = folder.filePath(QLatin1String(name));
        if (QFileInfo(file).isFile())
            return file;
    }
    return QStringLiteral("org.tabulon.Tabulon");
}

QByteArray entryText(
    const QString &executablePath, const QString &programFolder, const QString &icon)
{
    const QString text
        = QStringLiteral("[Desktop Entry]\n"
                         "Type=Application\n"
                         "Name=Tabulon\n"
                         "Exec=%1\n"
                         "Path=%2\n"
                         "Icon=%3\n"
                         "Terminal=false\n")
              .arg(execArgument(executablePath), escapeString(programFolder), escapeString(icon));
    return text.toUtf8();
}

bool create(
    const QString &executablePath, const QString &programFolder, const QString &desktopFolder)
{
    if (desktopFolder.isEmpty() || !QDir(desktopFolder).exists())
        return false;
    const QString path = QDir(desktopFolder).filePath(QStringLiteral("Tabulon.desktop"));
    // Desktops start only entries that may be executed.
    return atomicfile::write(
        path, entryText(executablePath, programFolder, iconFor(executablePath)), nullptr, true);
}

} // namespace desktoplink
