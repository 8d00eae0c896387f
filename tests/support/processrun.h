#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// One run of a program as the tests start it: its exit status (-1 when it did not finish
// within the time given, a minute unless said, -2 when it crashed) and what it wrote, as
// UTF-8. A run that does not finish in time is killed.
struct ProcessRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessRun runProcess(const QString &program, const QStringList &args,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
    int timeoutMs = 60000);
// The built tabulon-cli.
ProcessRun runCli(const QStringList &args,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
    int timeoutMs = 60000);
