#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The commands of tabulon-cli with their help texts. The texts serve --help, COMMAND --help
// and the manual page alike.
struct CliCommand {
    const char *name;
    const char *synopsis; // after "tabulon-cli "
    const char *summary; // one line
    const char *details; // what --help says beyond the synopsis: options, output, effects
    // Runs the command on the table path with the arguments after it; returns the exit
    // status (cli::Status).
    int (*run)(const QString &table, const QStringList &args);
    bool needsDrawing = false; // fonts: the graphical application object, offscreen
};

const std::vector<CliCommand> &cliCommands();
const CliCommand *findCommand(const QString &name);

// The commands, defined in their own files.
int cmdCreate(const QString &table, const QStringList &args);
int cmdConvert(const QString &table, const QStringList &args);
int cmdImport(const QString &table, const QStringList &args);
int cmdDump(const QString &table, const QStringList &args);
int cmdCheck(const QString &table, const QStringList &args);
int cmdReindex(const QString &table, const QStringList &args);
int cmdPack(const QString &table, const QStringList &args);
int cmdDelete(const QString &table, const QStringList &args);
int cmdUpdate(const QString &table, const QStringList &args);
int cmdSearch(const QString &table, const QStringList &args);
int cmdExport(const QString &table, const QStringList &args);
int cmdPrint(const QString &table, const QStringList &args);
