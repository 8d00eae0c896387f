#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// One run of a program as the tests start it: its exit status (-1 when it did not finish
// within the time allowed, a minute unless said otherwise: it is then killed, and err
// says so; -2 when it crashed) and what it wrote, as UTF-8.
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
