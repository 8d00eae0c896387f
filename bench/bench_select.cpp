// Selecting a folder: the folder range applied and the grid's rows read, in a small and
// in a large catalogue, measured in one run.
//
//   bench_select [--records N] [--dir PATH]
//
// Prints the median time of one selection and the ratios the targets are stated in:
//   a folder of 100 records: N records / 1,000 records, target <= 2
//   a folder of 10,000 records: N records / 20,000 records, target <= 2, and the grid
//   holds exactly that folder's 10,000 rows
#include "browse/catalogmodel.h"
#include "store/catalogtable.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

void check(const DbStatus &st, const char *what)
{
    if (!st) {
        std::fprintf(stderr, "%s: %s\n", what, st.message().toLocal8Bit().constData());
        std::exit(1);
    }
}

struct Folder {
    QByteArray dir;
    int records;
};

// The folders' records interleaved in the file, as years of folder updates leave them.
void build(const QString &root, const std::vector<Folder> &folders)
{
    QDir().mkpath(root);
    const QString path = root + QStringLiteral("/Bench.dbf");
    check(DbfTable::create(path, CatalogTable::layout(), CatalogTable::tags()), "create");
    DbfTable table;
    check(table.open(path, CatalogTable::tags()), "open");
    check(table.setOrder(QByteArray()), "order");
    QRandomGenerator rng(7);
    std::vector<int> left;
    for (const Folder &f : folders)
        left.push_back(f.records);
    size_t alive = folders.size();
    size_t at = 0;
    while (alive > 0) {
        // Round robin over the folders, a short run of records each.
        at = (at + 1) % folders.size();
        for (int run = 0; run < 8 && left[at] > 0; ++run) {
            check(table.append(), "append");
            table.setFieldBytes(CatalogTable::DIR, folders[at].dir);
            table.setFieldBytes(
                CatalogTable::NAME, "IMG_" + QByteArray::number(rng.bounded(10000000)) + ".jpg");
            table.setFieldBytes(CatalogTable::DATE, "20240131");
            table.setFieldBytes(CatalogTable::SIZE, "1.1 M");
            check(table.post(), "post");
            if (--left[at] == 0)
                --alive;
        }
    }
    check(table.close(), "close");
}

std::vector<Folder> folders(int records, bool bigFolder)
{
    std::vector<Folder> out { { "TARGET\\", 100 }, { "OTHER\\", 100 } };
    int rest = records - 200;
    if (bigFolder) {
        out.push_back({ "BIG\\", 10000 });
        rest -= 10000;
    }
    for (int i = 0; rest > 0; ++i) {
        const int n = std::min(rest, 100);
        out.push_back({ "FILL" + QByteArray::number(i) + "\\", n });
        rest -= n;
    }
    return out;
}

// What selecting a folder costs apart from painting: range, rows, the current row.
double medianSelect(CatalogTable &table, CatalogModel &model, const QString &folder,
    const QString &other, int rounds, int *rows)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        check(table.setFolderRange(other), "range");
        model.reload();
        QElapsedTimer t;
        t.start();
        check(table.setFolderRange(folder), "range");
        model.reload();
        volatile int current = model.currentRow();
        (void)current;
        times.push_back(t.nsecsElapsed() / 1e6);
        *rows = model.rowCount();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Catalogue {
    QString root;
    CatalogTable table;
};

void openCatalogue(Catalogue &c, const QString &root, int records, bool bigFolder)
{
    QElapsedTimer t;
    t.start();
    build(root, folders(records, bigFolder));
    std::printf("built %d records in %.1f s\n", records, t.nsecsElapsed() / 1e9);
    c.root = root;
    check(c.table.open(root, QStringLiteral("Bench")), "open");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int records = 1000000;
    QString base;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--records"))
            records = std::max(30000, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--dir"))
            base = args[i + 1];
    }
    QTemporaryDir temp(base.isEmpty() ? QDir::tempPath() + QStringLiteral("/bench_select-XXXXXX")
                                      : base + QStringLiteral("/bench_select-XXXXXX"));
    if (!temp.isValid())
        return 1;

    Catalogue small, large, medium;
    openCatalogue(small, temp.path() + QStringLiteral("/small"), 1000, false);
    openCatalogue(medium, temp.path() + QStringLiteral("/medium"), 20000, true);
    openCatalogue(large, temp.path() + QStringLiteral("/large"), records, true);
    CatalogModel smallModel(&small.table), mediumModel(&medium.table), largeModel(&large.table);

    int rows = 0;
    const QString target = QStringLiteral("Target\\"), other = QStringLiteral("Other\\");
    const double s100 = medianSelect(small.table, smallModel, target, other, 200, &rows);
    const double l100 = medianSelect(large.table, largeModel, target, other, 200, &rows);
    std::printf("folder of 100:    %.3f ms in 1,000 records, %.3f ms in %d records, ratio %.2f "
                "(target <= 2), %d rows\n",
        s100, l100, records, l100 / s100, rows);

    const QString big = QStringLiteral("Big\\");
    int mediumRows = 0;
    const double m10k = medianSelect(medium.table, mediumModel, big, other, 21, &mediumRows);
    const double l10k = medianSelect(large.table, largeModel, big, other, 21, &rows);
    std::printf("folder of 10,000: %.2f ms in 20,000 records, %.2f ms in %d records, ratio %.2f "
                "(target <= 2), %d rows in the grid (target 10000)\n",
        m10k, l10k, records, l10k / m10k, rows);
    return (rows == 10000 && mediumRows == 10000) ? 0 : 1;
}
