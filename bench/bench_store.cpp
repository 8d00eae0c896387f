// Catalogue store against sqlite3 on the same work, measured in one run.
//
//   bench_store [--records N] [--folders F] [--rounds R] [--dir PATH]
//
// The rows come in random folder order (every row's folder drawn at random), as an import
// written by another program may; tabulon-cli and sqlite3 import the same rows from the
// same file. Prints one line per figure with the ratio that the targets are stated in:
//   import of N rows by tabulon-cli (four tags kept) / sqlite3 with four equivalent
//     indexes, target <= 1.0; peak resident memory of tabulon-cli, target < 64 MB
//   pack with 10% deleted, by tabulon-cli / sqlite3 VACUUM, target <= 1.0; memory < 64 MB
//   (import and pack R times each, every ratio printed with their spread)
//   open: N records / 1,000 records, target <= 2
//   seek one folder of 100 records and walk it: in N records / sqlite3 in N records,
//     target <= 1.0; in N records / in N/10 records, target <= 1.5 (also for tables in
//     folder order, as update all builds them)
//   peak resident memory of a process that opens the table and walks it: target < 64 MB
#include "store/catalogtable.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace
{

struct Row {
    QByteArray dir, name, date, note, code, size;
};

// Deterministic rows: F folders of N / F rows, names random within each folder; then, with
// shuffle, all rows in random order.
std::vector<Row> makeRows(int records, int folders, bool shuffle)
{
    std::vector<Row> rows;
    rows.reserve(size_t(records));
    QRandomGenerator rng(42);
    const int perFolder = std::max(1, records / folders);
    for (int i = 0; i < records; ++i) {
        const int folder = i / perFolder;
        Row r;
        r.dir = QStringLiteral("ARCHIV%1\\JAHR%2\\")
                    .arg(folder / 100, 3, 10, QLatin1Char('0'))
                    .arg(folder % 100, 2, 10, QLatin1Char('0'))
                    .toLatin1();
        r.name = QStringLiteral("Bild_%1.jpg")
                     .arg(rng.bounded(1000000), 7, 10, QLatin1Char('0'))
                     .toLatin1();
        r.date = QStringLiteral("20%1%2%3")
                     .arg(rng.bounded(10, 26))
                     .arg(rng.bounded(1, 13), 2, 10, QLatin1Char('0'))
                     .arg(rng.bounded(1, 29), 2, 10, QLatin1Char('0'))
                     .toLatin1();
        r.note = (rng.bounded(3) == 0)
            ? QByteArray()
            : QStringLiteral("Urlaub am Meer, Tag %1").arg(rng.bounded(500)).toLatin1();
        r.code = (rng.bounded(4) == 0) ? QByteArray("AB") : QByteArray();
        r.size = QByteArray::number(rng.bounded(1, 999)) + " K";
        rows.push_back(std::move(r));
    }
    if (shuffle)
        for (size_t i = rows.size(); i > 1; --i)
            std::swap(rows[i - 1], rows[size_t(rng.bounded(quint32(i)))]);
    return rows;
}

void writeTsv(const QString &path, const std::vector<Row> &rows)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    QByteArray out;
    for (const Row &r : rows) {
        out += r.dir + '\t' + r.name + '\t' + r.date + '\t' + r.note + '\t' + r.code + '\t' + r.size
            + '\n';
        if (out.size() > (1 << 20)) {
            f.write(out);
            out.clear();
        }
    }
    f.write(out);
}

double seconds(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e9;
}

// Writes what earlier steps left in the system's cache to the disk before a step that
// writes is timed, so that no step pays for the write-back of the one before.
void settleDisk()
{
    ::sync();
}

void check(const DbStatus &st, const char *what)
{
    if (!st) {
        std::fprintf(stderr, "%s: %s\n", what, st.message().toLocal8Bit().constData());
        std::exit(1);
    }
}

struct ChildRun {
    double seconds = 0;
    double peakMb = 0; // the child's own peak resident memory
};

// Spawns argv and waits for it; false when it cannot run or fails.
bool spawnAndWait(char **argv, const char *errFile, rusage &usage)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    int status = 0;
    const bool ran = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) == 0
        && ::wait4(pid, &status, 0, &usage) == pid;
    posix_spawn_file_actions_destroy(&actions);
    return ran && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// bench_store --measure OUT ERR PROGRAM ARGS...: runs the program and writes its peak
// resident memory (kB) to OUT. A process started from this large one would inherit its
// memory figure, so a small fresh process starts it instead.
int measureChild(char **argv)
{
    rusage usage {};
    if (!spawnAndWait(argv + 4, argv[3], usage))
        return 1;
    FILE *out = std::fopen(argv[2], "w");
    if (!out)
        return 1;
    std::fprintf(out, "%ld\n", usage.ru_maxrss);
    return std::fclose(out) == 0 ? 0 : 1;
}

// Runs a program to its end; its error output goes to errFile, which is shown if it fails.
ChildRun runChild(const QStringList &args, const QString &errFile)
{
    const QString outFile = errFile + QStringLiteral(".peak");
    QStringList all { QCoreApplication::applicationFilePath(), QStringLiteral("--measure"), outFile,
        errFile };
    all += args;
    std::vector<QByteArray> bytes;
    for (const QString &a : all)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    rusage usage {};
    QElapsedTimer t;
    t.start();
    const QByteArray helperErr = QFile::encodeName(errFile + QStringLiteral(".helper"));
    const bool ok = spawnAndWait(argv.data(), helperErr.constData(), usage);
    ChildRun run { seconds(t), 0 };
    QFile peak(outFile);
    if (!ok || !peak.open(QIODevice::ReadOnly)) {
        QFile err(errFile);
        err.open(QIODevice::ReadOnly);
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(args.join(QLatin1Char(' '))),
            err.readAll().constData());
        std::exit(1);
    }
    run.peakMb = peak.readAll().trimmed().toDouble() / 1024.0;
    return run;
}

QString mdxOf(const QString &dbf)
{
    return QString(dbf).replace(QLatin1String(".dbf"), QLatin1String(".mdx"));
}

ChildRun importCli(const QString &dbf, const QString &tsv, const QString &tmp)
{
    QFile::remove(dbf);
    QFile::remove(mdxOf(dbf));
    settleDisk();
    const QString err = tmp + QStringLiteral("/cli.err");
    QElapsedTimer t;
    t.start();
    runChild({ QStringLiteral(TABULON_CLI), QStringLiteral("create"), dbf }, err);
    ChildRun run
        = runChild({ QStringLiteral(TABULON_CLI), QStringLiteral("import"), dbf, tsv }, err);
    run.seconds = seconds(t);
    return run;
}

void sql(sqlite3 *db, const char *statement)
{
    char *err = nullptr;
    if (sqlite3_exec(db, statement, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite3: %s\n", err);
        std::exit(1);
    }
}

// The same rows into sqlite3, read from the same file, in one transaction.
double importSqlite(const QString &path, const QString &tsv, sqlite3 **out)
{
    QFile::remove(path);
    settleDisk();
    QElapsedTimer t;
    t.start();
    sqlite3 *db = nullptr;
    sqlite3_open(path.toLocal8Bit().constData(), &db);
    sql(db, "CREATE TABLE cat(dir TEXT, name TEXT, date TEXT, note TEXT, code TEXT, size TEXT)");
    sql(db, "CREATE INDEX i1 ON cat(dir, upper(substr(name,1,20)))");
    sql(db, "CREATE INDEX i2 ON cat(dir, date, upper(substr(name,1,10)))");
    sql(db, "CREATE INDEX i3 ON cat(dir, code, upper(substr(name,1,10)))");
    sql(db, "CREATE INDEX i4 ON cat(dir, upper(substr(note,1,20)))");
    sql(db, "BEGIN");
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO cat VALUES(?,?,?,?,?,?)", -1, &ins, nullptr);
    QFile in(tsv);
    in.open(QIODevice::ReadOnly);
    QByteArray line;
    while (!(line = in.readLine()).isEmpty()) {
        line.chop(1);
        int from = 0;
        for (int i = 0; i < 6; ++i) {
            int to = int(line.indexOf('\t', from));
            if (to < 0)
                to = int(line.size());
            sqlite3_bind_text(ins, i + 1, line.constData() + from, to - from, SQLITE_TRANSIENT);
            from = to + 1;
        }
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sql(db, "COMMIT");
    *out = db;
    return seconds(t);
}

// Marks every tenth record deleted, as the records of files gone from the disk would be.
void deleteTenth(const QString &path)
{
    DbfTable table;
    check(table.open(path, CatalogTable::tags()), "open");
    check(table.setOrder(QByteArray()), "order");
    for (quint32 r = 1; r <= table.physicalCount(); r += 10) {
        check(table.goTo(r), "goto");
        check(table.deleteRecord(), "delete");
    }
    check(table.close(), "close");
}

bool copyOver(const QString &from, const QString &to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

ChildRun packCli(const QString &dbf, const QString &copy, const QString &tmp)
{
    if (!copyOver(dbf, copy) || !copyOver(mdxOf(dbf), mdxOf(copy)))
        std::exit(1);
    settleDisk();
    return runChild({ QStringLiteral(TABULON_CLI), QStringLiteral("pack"), copy },
        tmp + QStringLiteral("/cli.err"));
}

double packSqlite(const QString &path, const QString &copy)
{
    if (!copyOver(path, copy))
        std::exit(1);
    sqlite3 *db = nullptr;
    sqlite3_open(copy.toLocal8Bit().constData(), &db);
    settleDisk();
    QElapsedTimer t;
    t.start();
    sql(db, "VACUUM");
    sqlite3_close(db);
    return seconds(t);
}

// Median time of opening and closing the table.
double openTime(const QString &path)
{
    std::vector<double> times;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer t;
        t.start();
        DbfTable table;
        check(table.open(path, CatalogTable::tags()), "open");
        check(table.setOrder("1"), "order");
        table.close();
        times.push_back(seconds(t));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Average time of selecting the range of a random row's folder and walking its records.
double seekTime(const QString &path, const std::vector<Row> &rows, int *walked)
{
    DbfTable table;
    check(table.open(path, CatalogTable::tags()), "open");
    check(table.setOrder("1"), "order");
    QRandomGenerator rng(7);
    const int rounds = 2000;
    int count = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i) {
        const QByteArray &dir = rows[rng.bounded(int(rows.size()))].dir;
        QByteArray high = dir.leftJustified(80, ' ');
        high.append('\xFF');
        check(table.setRange(dir, high), "range");
        for (DbStatus st = table.first(); st && !table.eof(); st = table.next()) {
            table.fieldBytes(CatalogTable::NAME);
            ++count;
        }
    }
    const double s = seconds(t) / rounds;
    *walked = count / rounds;
    return s;
}

// The same selection and walk in sqlite3, through the first index.
double seekTimeSqlite(sqlite3 *db, const std::vector<Row> &rows)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db,
            "SELECT name FROM cat WHERE dir = ?1 ORDER BY dir, upper(substr(name,1,20))", -1, &st,
            nullptr)
        != SQLITE_OK) {
        std::fprintf(stderr, "sqlite3: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    QRandomGenerator rng(7);
    const int rounds = 2000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i) {
        const QByteArray &dir = rows[rng.bounded(int(rows.size()))].dir;
        sqlite3_bind_text(st, 1, dir.constData(), int(dir.size()), SQLITE_STATIC);
        while (sqlite3_step(st) == SQLITE_ROW)
            sqlite3_column_text(st, 0);
        sqlite3_reset(st);
    }
    const double s = seconds(t) / rounds;
    sqlite3_finalize(st);
    return s;
}

int walkChild(const QString &path)
{
    DbfTable table;
    check(table.open(path, CatalogTable::tags()), "open");
    qint64 n = 0;
    for (const QByteArray &order : { QByteArray("1"), QByteArray() }) {
        check(table.setOrder(order), "order");
        for (DbStatus st = table.first(); st && !table.eof(); st = table.next())
            n += table.fieldBytes(CatalogTable::NAME).size() > 0;
    }
    return n > 0 ? 0 : 1;
}

void printSpread(const char *what, const std::vector<double> &ratios)
{
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    std::printf("  %s ratio over %zu rounds: %.2f to %.2f\n", what, ratios.size(), *low, *high);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 4 && std::strcmp(argv[1], "--measure") == 0)
        return measureChild(argv);
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--walk"))
        return walkChild(args[2]);
    int records = 1000000, folders = 10000, rounds = 3;
    QString dir;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--records"))
            records = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--folders"))
            folders = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--rounds"))
            rounds = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--dir"))
            dir = args[i + 1];
    }
    QTemporaryDir tmpDir(dir.isEmpty() ? QDir::tempPath() + QStringLiteral("/bench_store-XXXXXX")
                                       : dir + QStringLiteral("/bench_store-XXXXXX"));
    const QString tmp = tmpDir.path();
    const auto at = [&](const char *name) { return tmpDir.filePath(QLatin1String(name)); };

    std::printf("records %d in %d folders, in random folder order\n", records, folders);
    writeTsv(at("sorted.tsv"), makeRows(records, folders, false));
    const std::vector<Row> rows = makeRows(records, folders, true);
    writeTsv(at("big.tsv"), rows);
    const int midFolders = std::max(1, folders / 10);
    writeTsv(at("midsorted.tsv"), makeRows(records / 10, midFolders, false));
    const std::vector<Row> midRows = makeRows(records / 10, midFolders, true);
    writeTsv(at("mid.tsv"), midRows);
    writeTsv(at("small.tsv"), makeRows(1000, std::max(1, 1000 * folders / records), true));

    sqlite3 *db = nullptr;
    std::vector<double> ratios;
    for (int r = 0; r < rounds; ++r) {
        if (db)
            sqlite3_close(db);
        const double sqlImport = importSqlite(at("big.sqlite"), at("big.tsv"), &db);
        const ChildRun ours = importCli(at("big.dbf"), at("big.tsv"), tmp);
        ratios.push_back(ours.seconds / sqlImport);
        std::printf("import: tabulon-cli %.2f s (peak %.0f MB), sqlite3 %.2f s, ratio %.2f "
                    "(target <= 1.0, < 64 MB)\n",
            ours.seconds, ours.peakMb, sqlImport, ratios.back());
    }
    printSpread("import", ratios);
    const ChildRun sorted = importCli(at("sorted.dbf"), at("sorted.tsv"), tmp);
    std::printf("  for comparison, the same rows sorted by folder: tabulon-cli %.2f s (peak %.0f "
                "MB)\n",
        sorted.seconds, sorted.peakMb);

    importCli(at("small.dbf"), at("small.tsv"), tmp);
    const double openBig = openTime(at("big.dbf")), openSmall = openTime(at("small.dbf"));
    std::printf("open: %d records %.2f ms, 1,000 records %.2f ms, ratio %.2f (target <= 2)\n",
        records, openBig * 1e3, openSmall * 1e3, openBig / openSmall);

    // Best of five passes over 2,000 folders each, the tables taking turns, so that a slow
    // spell of the machine weighs on every figure alike. The tables as imported in random
    // folder order, and as update all builds them, folder by folder.
    importCli(at("mid.dbf"), at("mid.tsv"), tmp);
    importCli(at("midsorted.dbf"), at("midsorted.tsv"), tmp);
    // sqlite3 with the rows in folder order too, for the same comparison there.
    sqlite3 *sortedDb = nullptr;
    importSqlite(at("sorted.sqlite"), at("sorted.tsv"), &sortedDb);
    const char *tables[] = { "big.dbf", "mid.dbf", "sorted.dbf", "midsorted.dbf" };
    // The four tables, then sqlite3 in random and in folder order.
    double best[6] = { 1e9, 1e9, 1e9, 1e9, 1e9, 1e9 };
    int walked[4] = {};
    for (int pass = 0; pass < 5; ++pass) {
        for (int i = 0; i < 4; ++i)
            best[i]
                = std::min(best[i], seekTime(at(tables[i]), i % 2 ? midRows : rows, &walked[i]));
        best[4] = std::min(best[4], seekTimeSqlite(db, rows));
        best[5] = std::min(best[5], seekTimeSqlite(sortedDb, rows));
    }
    sqlite3_close(sortedDb);
    std::printf("seek+walk one folder of %d records, best of 5 passes:\n", walked[0]);
    std::printf("  random folder order: in %d records %.1f us, sqlite3 %.1f us, ratio %.2f (target "
                "<= 1.0)\n",
        records, best[0] * 1e6, best[4] * 1e6, best[0] / best[4]);
    std::printf("    in %d records %.1f us (%d records a folder), ratio %.2f (target <= 1.5)\n",
        records / 10, best[1] * 1e6, walked[1], best[0] / best[1]);
    std::printf("  folder order: in %d records %.1f us, sqlite3 %.1f us, ratio %.2f (target <= "
                "1.0)\n",
        records, best[2] * 1e6, best[5] * 1e6, best[2] / best[5]);
    std::printf("    in %d records %.1f us, ratio %.2f (target <= 1.5)\n", records / 10,
        best[3] * 1e6, best[2] / best[3]);

    const ChildRun walk = runChild(
        { QCoreApplication::applicationFilePath(), QStringLiteral("--walk"), at("big.dbf") },
        at("walk.err"));
    std::printf(
        "walk of two orders in a fresh process: peak %.0f MB (target < 64 MB)\n", walk.peakMb);

    sql(db, "DELETE FROM cat WHERE rowid % 10 = 1");
    sqlite3_close(db);
    deleteTenth(at("big.dbf"));
    ratios.clear();
    for (int r = 0; r < rounds; ++r) {
        const double sqlPack = packSqlite(at("big.sqlite"), at("pack.sqlite"));
        const ChildRun ours = packCli(at("big.dbf"), at("pack.dbf"), tmp);
        ratios.push_back(ours.seconds / sqlPack);
        std::printf("pack 10%% deleted: tabulon-cli %.2f s (peak %.0f MB), sqlite3 VACUUM %.2f s, "
                    "ratio %.2f (target <= 1.0)\n",
            ours.seconds, ours.peakMb, sqlPack, ratios.back());
    }
    printSpread("pack", ratios);
    return 0;
}
