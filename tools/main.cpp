// tabulon-cli: the Tabulon catalogue from scripts and timers.
#include "cli.h"
#include "clihelp.h"
#include "commands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <memory>

namespace
{

bool isHelp(const char *arg)
{
    return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0
        || std::strcmp(arg, "help") == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        printHelp(stderr);
        return cli::Usage;
    }
    if (isHelp(argv[1])) {
        printHelp(stdout);
        return cli::Done;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        printVersion(stdout);
        return cli::Done;
    }
    if (std::strcmp(argv[1], "--man") == 0) {
        printManual(stdout);
        return cli::Done;
    }
    const CliCommand *command = findCommand(QString::fromLocal8Bit(argv[1]));
    if (!command)
        return cli::fail(cli::Usage,
            QStringLiteral("unknown command %1 (tabulon-cli --help lists them)")
                .arg(QString::fromLocal8Bit(argv[1])));
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0) {
            printCommandHelp(*command, stdout);
            return cli::Done;
        }

    if (command->needsDrawing) {
        // Fonts need the graphical application object; it runs offscreen, with no display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The platform's own notes (no runtime folder, say) are no errors of the command:
        // errors stay one line of ours.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", msg.toLocal8Bit().constData());
        });
    }
    const std::unique_ptr<QCoreApplication> app(
        command->needsDrawing ? new QGuiApplication(argc, argv) : new QCoreApplication(argc, argv));
    QStringList args = QCoreApplication::arguments().mid(2);
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--")))
        return cli::usageError(
            QLatin1String(command->name), QStringLiteral("the table T.dbf is missing"));
    const QString table = args.takeFirst();
    return command->run(table, args);
}
