#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// One run of a program as the tests start it: its exit status (-1 when it did not finish
// within a minute, -2 when it crashed) and what it wrote, as UTF-8.
struct ProcessRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessRun runProcess(const QString &program, const QStringList &args,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
// The built tabulon-cli.
ProcessRun runCli(const QStringList &args,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
