// tabulon-cli from a script's point of view, timed as whole processes against the tools
// a script would otherwise use, in the same run:
//   update --all into an empty catalogue and again with nothing changed, against
//     find ROOT -type f -printf '%s %T@ %p\n' over the same tree;
//   export --format csv of N records, against sqlite3's ".mode csv" export of the same rows.
//
//   bench_cli [--files F] [--folders D] [--records N] [--rounds R] [--dir PATH]
#include "benchtree.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace
{

using namespace benchtree;

struct Options {
    int files = 100000;
    int folders = 12000;
    int records = 1000000;
    int rounds = 5;
    QString dir;
};

Options parse(const QStringList &args)
{
    Options o;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        const QString &a = args[i];
        const QString &v = args[i + 1];
        if (a == QLatin1String("--files"))
            o.files = v.toInt();
        else if (a == QLatin1String("--folders"))
            o.folders = v.toInt();
        else if (a == QLatin1String("--records"))
            o.records = v.toInt();
        else if (a == QLatin1String("--rounds"))
            o.rounds = std::max(1, v.toInt());
        else if (a == QLatin1String("--dir"))
            o.dir = v;
        else
            benchFail(QStringLiteral("unknown option %1").arg(a));
    }
    return o;
}

QString cliPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/tabulon-cli");
}

// One process, its wall and processor time; standard output to a file or nowhere.
Timing timeProcess(const QString &program, const QStringList &args, const QString &input = {})
{
    QElapsedTimer t;
    t.start();
    const double cpu0 = cpuSeconds(RUSAGE_CHILDREN);
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    if (!input.isEmpty())
        p.setStandardInputFile(input);
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        benchFail(QStringLiteral("%1 %2 failed: %3")
                      .arg(program, args.join(QLatin1Char(' ')),
                          QString::fromLocal8Bit(p.readAllStandardError())));
    return { t.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_CHILDREN) - cpu0 };
}

void printRatio(const char *what, const Timing &ours, const Timing &base, const char *target)
{
    std::printf("  %s: ours %.3f s (cpu %.3f), baseline %.3f s (cpu %.3f), ratio %.2f (cpu %.2f); "
                "target %s\n",
        what, ours.wall, ours.cpu, base.wall, base.cpu, ours.wall / base.wall, ours.cpu / base.cpu,
        target);
}

void benchUpdate(const Options &o, const QString &base)
{
    const QString root = base + QStringLiteral("/tree");
    if (!QDir(root).exists()) {
        std::printf("making a tree of %d files in %d folders...\n", o.files, o.folders);
        makeTree(root, o.files, o.folders);
    }
    const QString table = root + QStringLiteral("/Bench.dbf");
    Timing find, empty, unchanged;
    for (int round = 0; round < o.rounds; ++round) {
        QFile::remove(table);
        QFile::remove(root + QStringLiteral("/Bench.mdx"));
        timeProcess(cliPath(), { QStringLiteral("create"), table });
        find.keepBest(timeFind(root));
        empty.keepBest(timeProcess(cliPath(),
            { QStringLiteral("update"), table, QStringLiteral("--all"),
                QStringLiteral("--quiet") }));
        unchanged.keepBest(timeProcess(cliPath(),
            { QStringLiteral("update"), table, QStringLiteral("--all"),
                QStringLiteral("--quiet") }));
    }
    std::printf(
        "update --all, %d files in %d folders (best of %d):\n", o.files, o.folders, o.rounds);
    printRatio("into an empty catalogue vs find", empty, find, "<= 2");
    printRatio("again unchanged vs find", unchanged, find, "<= 2");
}

// Rows in random folder order, as other programs write them.
void writeRows(const QString &path, int records)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        benchFail(QStringLiteral("cannot write %1").arg(path));
    std::mt19937 random(7);
    const int folders = std::max(1, records / 100);
    std::uniform_int_distribution<int> folder(0, folders - 1);
    QByteArray buf;
    for (int i = 0; i < records; ++i) {
        const int d = folder(random);
        buf += QStringLiteral("ARCHIV\\ORDNER %1\\UNTER %2\\\tDatei_%3.jpg\t2019%4%5\tNotiz, "
                              "\"%3\" am Strand\t%6\t%7 K\n")
                   .arg(d / 37)
                   .arg(d)
                   .arg(i)
                   .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                   .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                   .arg(i % 5 == 0 ? QStringLiteral("AB") : QString())
                   .arg(i % 997)
                   .toUtf8();
        if (buf.size() > (1 << 20)) {
            f.write(buf);
            buf.clear();
        }
    }
    f.write(buf);
}

void benchExport(const Options &o, const QString &base)
{
    const QString table = base + QStringLiteral("/Export.dbf");
    const QString rows = base + QStringLiteral("/rows.tsv");
    const QString db = base + QStringLiteral("/export.sqlite");
    if (!QFile::exists(table)) {
        std::printf("importing %d records...\n", o.records);
        writeRows(rows, o.records);
        timeProcess(cliPath(), { QStringLiteral("create"), table });
        timeProcess(cliPath(), { QStringLiteral("import"), table, rows });
        QFile::remove(db);
        timeProcess(QStringLiteral("sqlite3"),
            { db,
                QStringLiteral("create table t(dir text, name text, date text, note text, "
                               "code text, size text)"),
                QStringLiteral(".mode tabs"),
                QStringLiteral(".import ") + rows + QStringLiteral(" t") });
    }
    const QString out = base + QStringLiteral("/out.csv");
    Timing ours, sqlite;
    for (int round = 0; round < o.rounds; ++round) {
        ours.keepBest(timeProcess(cliPath(),
            { QStringLiteral("export"), table, QStringLiteral("--format"), QStringLiteral("csv"),
                QStringLiteral("-o"), out }));
        sqlite.keepBest(timeProcess(QStringLiteral("sqlite3"),
            { db, QStringLiteral(".headers on"), QStringLiteral(".mode csv"),
                QStringLiteral(".output ") + out, QStringLiteral("select * from t") }));
    }
    std::printf("export --format csv, %d records (best of %d):\n", o.records, o.rounds);
    printRatio("vs sqlite3 .mode csv", ours, sqlite, "<= 2");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const Options o = parse(app.arguments().mid(1));
    QTemporaryDir temporary;
    const QString base = o.dir.isEmpty() ? temporary.path() : o.dir;
    QDir().mkpath(base);
    benchUpdate(o, base);
    benchExport(o, base);
    return 0;
}
