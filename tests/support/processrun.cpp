#include "processrun.h"

#include <QProcess>

ProcessRun runProcess(const QString &program, const QStringList &args,
    const QProcessEnvironment &environment, int timeoutMs)
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(program, args);
    ProcessRun r;
    if (!p.waitForFinished(timeoutMs))
        return r; // QProcess kills what is still running when it goes
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

ProcessRun runCli(const QStringList &args, const QProcessEnvironment &environment, int timeoutMs)
{
    return runProcess(QStringLiteral(TABULON_CLI), args, environment, timeoutMs);
}
