#include "desktopshell.h"

#include "commandline.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace desktopshell
{

namespace
{

    // "http://...", "mailto:..." - a scheme of two or more letters, so that a Windows drive
    // ("c:") is not one.
    bool isAddress(const QString &target)
    {
        static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
        return scheme.match(target).hasMatch();
    }

    QString localPath(const QString &target)
    {
        QString path = commandline::unquoted(target);
        if (!isAddress(path))
            path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return path;
    }

    // What the opener gets for a target: one argument that it cannot read as an option.
    // False for a text that begins with "-" yet holds a ":": no address does, and as a
    // path it would be meant for something else.
    bool openerArgument(const QString &target, QString *argument)
    {
        const QString path = localPath(target);
        if (path.trimmed().isEmpty())
            return false;
        if (path.startsWith(QLatin1Char('-')) && path.contains(QLatin1Char(':')))
            return false;
        *argument = commandline::pathArgument(path);
        return true;
    }

    bool isBareName(const QString &path)
    {
        return !path.isEmpty() && !path.contains(QLatin1Char('/'));
    }

    // A binary or a script: the first bytes tell, whatever the name says.
    bool startsLikeProgram(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray head = file.read(4);
        return head.startsWith("#!")
            || head
            == QByteArray("\x7f"
                          "ELF");
    }

} // namespace

bool programExists(const QString &path)
{
    const QString p = localPath(path);
    if (p.isEmpty())
        return false;
    if (QFileInfo(p).isFile())
        return true;
    return isBareName(p) && !QStandardPaths::findExecutable(p).isEmpty();
}

bool isProgram(const QString &target)
{
    const QString p = localPath(target);
    if (p.isEmpty() || isAddress(p))
        return false;
    const QFileInfo info(p);
    if (isBareName(p) && !info.exists())
        return !QStandardPaths::findExecutable(p).isEmpty();
    return info.isFile() && info.isExecutable() && startsLikeProgram(p);
}

void open(const QString &target, QObject *context, std::function<void()> onFailure)
{
    QString argument;
    if (!openerArgument(target, &argument)) {
        if (onFailure)
            onFailure();
        return;
    }
    auto *opener = new QProcess;
    opener->setProgram(openerName());
    opener->setArguments({ argument });
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer since;
    since.start();
    // The process object goes when the opener ends, whatever became of the caller.
    QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
    QObject::connect(opener, &QProcess::errorOccurred, opener, [opener](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            opener->deleteLater();
    });
    if (context && onFailure) {
        QObject::connect(opener, &QProcess::finished, context,
            [onFailure, since](int code, QProcess::ExitStatus status) {
                if ((status != QProcess::NormalExit || code != 0)
                    && since.elapsed() < kFailureWindowMs)
                    onFailure();
            });
        QObject::connect(
            opener, &QProcess::errorOccurred, context, [onFailure](QProcess::ProcessError e) {
                if (e == QProcess::FailedToStart)
                    onFailure();
            });
    }
    opener->start();
}

bool explore(const QString &folder)
{
    QString argument;
    return openerArgument(folder, &argument) && QProcess::startDetached(openerName(), { argument });
}

bool run(const QString &program, const QStringList &arguments)
{
    const QString path = localPath(program);
    return !path.isEmpty() && QProcess::startDetached(path, arguments);
}

QString clipboardText(const QString &text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

QString openerName()
{
    return QStringLiteral("xdg-open");
}

} // namespace desktopshell
