// Catalogue store against sqlite3 on the same work, measured in one run.
//
//   bench_store [--records N] [--folders F] [--dir PATH]
//
// Prints one line per figure with the ratio that the targets are stated in:
//   import (four tags maintained) and pack with 10% deleted: ours / sqlite3, target <= 1.0
//   open: N records / 1,000 records, target <= 2
//   seek one folder and walk its records: N records / 1,000 records, target <= 2 (and,
//     for comparison only, sqlite3's time for the same at both sizes)
//   peak resident memory of a process that opens the table and walks it: target < 64 MB
#include "store/catalogtable.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace
{

struct Row {
    QByteArray dir, name, date, note, code, size;
    QDate day; // date as the program holds it: parsing it is no part of storing it
};

// Deterministic rows: folder by folder, names shuffled within each folder.
std::vector<Row> makeRows(int records, int folders)
{
    std::vector<Row> rows;
    rows.reserve(records);
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
        r.day = QDate::fromString(QString::fromLatin1(r.date), QStringLiteral("yyyyMMdd"));
        r.note = (rng.bounded(3) == 0)
            ? QByteArray()
            : QStringLiteral("Urlaub am Meer, Tag %1").arg(rng.bounded(500)).toLatin1();
        r.code = (rng.bounded(4) == 0) ? QByteArray("AB") : QByteArray();
        r.size = QByteArray::number(rng.bounded(1, 999)) + " K";
        rows.push_back(std::move(r));
    }
    return rows;
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

double importOurs(const QString &path, const std::vector<Row> &rows)
{
    QFile::remove(path);
    QFile::remove(QString(path).replace(QLatin1String(".dbf"), QLatin1String(".mdx")));
    settleDisk();
    QElapsedTimer t;
    t.start();
    check(DbfTable::create(path, CatalogTable::layout(), CatalogTable::tags()), "create");
    DbfTable table;
    check(table.open(path, CatalogTable::tags()), "open");
    check(table.setOrder(QByteArray()), "order");
    for (const Row &r : rows) {
        check(table.append(), "append");
        table.setFieldBytes(CatalogTable::DIR, r.dir);
        table.setFieldBytes(CatalogTable::NAME, r.name);
        table.setFieldDate(CatalogTable::DATE, r.day);
        table.setFieldBytes(CatalogTable::NOTE, r.note);
        table.setFieldBytes(CatalogTable::CODE, r.code);
        table.setFieldBytes(CatalogTable::SIZE, r.size);
        check(table.post(), "post");
    }
    check(table.close(), "close");
    return seconds(t);
}

void sql(sqlite3 *db, const char *statement)
{
    char *err = nullptr;
    if (sqlite3_exec(db, statement, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite3: %s\n", err);
        std::exit(1);
    }
}

double importSqlite(const QString &path, const std::vector<Row> &rows, sqlite3 **out)
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
    for (const Row &r : rows) {
        const QByteArray *cols[] = { &r.dir, &r.name, &r.date, &r.note, &r.code, &r.size };
        for (int i = 0; i < 6; ++i)
            sqlite3_bind_text(
                ins, i + 1, cols[i]->constData(), int(cols[i]->size()), SQLITE_STATIC);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sql(db, "COMMIT");
    *out = db;
    return seconds(t);
}

double packOurs(const QString &path)
{
    DbfTable table;
    check(table.open(path, CatalogTable::tags()), "open");
    check(table.setOrder(QByteArray()), "order");
    for (quint32 r = 1; r <= table.physicalCount(); r += 10) {
        check(table.goTo(r), "goto");
        check(table.deleteRecord(), "delete");
    }
    check(table.flush(), "flush");
    settleDisk();
    QElapsedTimer t;
    t.start();
    check(table.pack(), "pack");
    check(table.close(), "close");
    return seconds(t);
}

double packSqlite(sqlite3 *db)
{
    sql(db, "DELETE FROM cat WHERE rowid % 10 = 1");
    settleDisk();
    QElapsedTimer t;
    t.start();
    sql(db, "VACUUM");
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

// Average time of selecting one folder's range and walking its records.
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

// The same selection and walk in sqlite3, through the first index, for comparison.
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
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            std::printf(
                "%s walked=%lld\n", line.simplified().constData(), static_cast<long long>(n));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--walk"))
        return walkChild(args[2]);
    int records = 1000000, folders = 10000;
    QString dir;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--records"))
            records = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--folders"))
            folders = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--dir"))
            dir = args[i + 1];
    }
    QTemporaryDir tmp(dir.isEmpty() ? QDir::tempPath() + QStringLiteral("/bench_store-XXXXXX")
                                    : dir + QStringLiteral("/bench_store-XXXXXX"));
    const QString big = tmp.filePath(QStringLiteral("big.dbf"));
    const QString small = tmp.filePath(QStringLiteral("small.dbf"));

    std::printf("records %d in %d folders\n", records, folders);
    const std::vector<Row> rows = makeRows(records, folders);
    const std::vector<Row> smallRows = makeRows(1000, std::max(1, 1000 * folders / records));

    sqlite3 *db = nullptr;
    const double sqlImport = importSqlite(tmp.filePath(QStringLiteral("big.sqlite")), rows, &db);
    const double ourImport = importOurs(big, rows);
    std::printf("import: ours %.2f s, sqlite3 %.2f s, ratio %.2f (target <= 1.0)\n", ourImport,
        sqlImport, ourImport / sqlImport);

    importOurs(small, smallRows);
    const double openBig = openTime(big), openSmall = openTime(small);
    std::printf("open: %d records %.2f ms, 1,000 records %.2f ms, ratio %.2f (target <= 2)\n",
        records, openBig * 1e3, openSmall * 1e3, openBig / openSmall);

    int walkedBig = 0, walkedSmall = 0;
    const double seekBig = seekTime(big, rows, &walkedBig);
    const double seekSmall = seekTime(small, smallRows, &walkedSmall);
    std::printf(
        "seek+walk one folder (%d / %d records): %.1f us vs %.1f us, ratio %.2f (target <= 2)\n",
        walkedBig, walkedSmall, seekBig * 1e6, seekSmall * 1e6, seekBig / seekSmall);
    {
        // sqlite3 shows what the same work costs an engine of another make at both sizes.
        sqlite3 *smallDb = nullptr;
        importSqlite(tmp.filePath(QStringLiteral("small.sqlite")), smallRows, &smallDb);
        const double sqlBig = seekTimeSqlite(db, rows),
                     sqlSmall = seekTimeSqlite(smallDb, smallRows);
        sqlite3_close(smallDb);
        std::printf(
            "  sqlite3, the same seek+walk: %.1f us vs %.1f us, ratio %.2f (for comparison)\n",
            sqlBig * 1e6, sqlSmall * 1e6, sqlBig / sqlSmall);
    }

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--walk"), big });
    child.waitForFinished(-1);
    std::printf("walk in a fresh process: %s", child.readAllStandardOutput().constData());
    std::printf("  (target: VmHWM below 64 MB)\n");

    const double sqlPack = packSqlite(db);
    sqlite3_close(db);
    const double ourPack = packOurs(big);
    std::printf(
        "pack 10%% deleted: ours %.2f s, sqlite3 VACUUM %.2f s, ratio %.2f (target <= 1.0)\n",
        ourPack, sqlPack, ourPack / sqlPack);
    return 0;
}
