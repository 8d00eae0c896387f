// Update all against `find ROOT -type f -printf '%s %T@\n'` over the same tree, in one run.
//
//   bench_update [--files N] [--folders F] [--dir PATH] [--tree PATH]
//
// Builds a tree of N files in F folders (default 100,000 in 1,000) and a tenth of it,
// then prints for each: find's time, update all into an empty catalogue, update all
// again with nothing changed, each as a ratio to find (target <= 2), and the ratio of
// the two sizes (target between 8 and 12). Every figure, find's included, is the best of
// five rounds (kRounds), and the two sizes take turns round by round, so that one-time
// costs (a first use of memory) and slow spells of a shared machine fall on both sizes
// alike instead of on one size's rounds only.
//
// --tree PATH keeps the trees (and starts each run from an empty catalogue) in PATH, and
// reuses trees built there before, so that a profile of the update is not drowned by
// the creation of the files.
#include "platform/diskpath.h"
#include "scan/foldertree.h"
#include "scan/folderupdate.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>

namespace
{

// A run of 10,000 files takes about 10 ms, where a busy moment weighs a lot.
constexpr int kRounds = 5;

void makeTree(const QString &root, int files, int folders)
{
    const int perFolder = files / folders;
    for (int f = 0; f < folders; ++f) {
        const QString dir = root
            + QStringLiteral("/Serie%1/Teil%2").arg(f / 10, 3, 10, QLatin1Char('0')).arg(f % 10);
        QDir().mkpath(dir);
        for (int i = 0; i < perFolder; ++i) {
            QFile file(dir + QStringLiteral("/Bild_%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
            if (!file.open(QIODevice::WriteOnly)) {
                std::fprintf(stderr, "cannot create %s\n", qPrintable(file.fileName()));
                std::exit(1);
            }
            file.write(QByteArray(i % 7 * 100, 'x'));
        }
    }
}

// Wall time, and processor time (user + system) of the process or of the child: on a
// machine shared with builds the processor time is the steadier figure.
struct Timing {
    double wall = 0, cpu = 0;
};

double cpuSeconds(int who)
{
    rusage u {};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

Timing timeFind(const QString &root)
{
    QElapsedTimer t;
    t.start();
    const double cpu0 = cpuSeconds(RUSAGE_CHILDREN);
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(QStringLiteral("find"),
        { root, QStringLiteral("-type"), QStringLiteral("f"), QStringLiteral("-printf"),
            QStringLiteral("%s %T@\\n") });
    p.waitForFinished(-1);
    return { t.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_CHILDREN) - cpu0 };
}

// The core of the update-all command: every node of the tree, then the orphan sweep.
Timing updateAll(CatalogTable &table, const QString &root)
{
    QElapsedTimer t;
    t.start();
    const double cpu0 = cpuSeconds(RUSAGE_SELF);
    FolderTree tree;
    tree.rebuild(root);
    PathResolver resolver(root);
    FolderWalk walk;
    QStringList folders;
    for (const FolderNode *node : tree.nodesInOrder())
        folders << FolderPathOfNode(node);
    walk.readAhead(resolver, folders);
    for (const QString &folder : folders) {
        const DbStatus st = UpdateFolder(table, resolver, folder, false, nullptr, true, &walk);
        if (!st) {
            std::fprintf(stderr, "update: %s\n", qPrintable(st.message()));
            std::exit(1);
        }
    }
    SweepOrphans(table, resolver, nullptr, &walk);
    table.table().flush();
    return { t.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_SELF) - cpu0 };
}

struct Figures {
    Timing find, empty, again;
};

void makeTreeOnce(const QString &root, int files, int folders)
{
    const QString done = root + QStringLiteral("/.complete");
    if (!QFile::exists(done)) {
        QDir(root).removeRecursively();
        makeTree(root, files, folders);
        QFile marker(done);
        if (!marker.open(QIODevice::WriteOnly))
            std::exit(1);
    }
}

// The catalogue of an earlier round would turn "into empty" into "unchanged".
void removeCatalogue(const QString &root)
{
    QFile::remove(root + QStringLiteral("/Bench.dbf"));
    QFile::remove(root + QStringLiteral("/Bench.mdx"));
}

void keepBest(Timing &best, const Timing &t)
{
    best.wall = std::min(best.wall, t.wall);
    best.cpu = std::min(best.cpu, t.cpu);
}

struct Tree {
    QString root;
    int files = 0, folders = 0;
    Figures best { { 1e9, 1e9 }, { 1e9, 1e9 }, { 1e9, 1e9 } };
};

// One round on one tree: find, then update all into an empty catalogue, then again.
void measureRound(Tree &tree)
{
    keepBest(tree.best.find, timeFind(tree.root));
    removeCatalogue(tree.root);
    CatalogTable table;
    if (!table.open(tree.root, QStringLiteral("Bench"))) {
        std::fprintf(stderr, "cannot open the catalogue\n");
        std::exit(1);
    }
    keepBest(tree.best.empty, updateAll(table, tree.root));
    keepBest(tree.best.again, updateAll(table, tree.root));
    if (table.table().physicalCount() != quint32(tree.files)) {
        std::fprintf(
            stderr, "%d files but %u records\n", tree.files, table.table().physicalCount());
        std::exit(1);
    }
}

void report(const Tree &tree)
{
    const Figures &f = tree.best;
    std::printf("%d files in %d folders:\n", tree.files, tree.folders);
    std::printf("  wall: find %.3f s; update all into empty %.3f s (ratio %.2f); again unchanged "
                "%.3f s (ratio %.2f); target <= 2\n",
        f.find.wall, f.empty.wall, f.empty.wall / f.find.wall, f.again.wall,
        f.again.wall / f.find.wall);
    std::printf("  cpu:  find %.3f s; update all into empty %.3f s (ratio %.2f); again unchanged "
                "%.3f s (ratio %.2f)\n",
        f.find.cpu, f.empty.cpu, f.empty.cpu / f.find.cpu, f.again.cpu, f.again.cpu / f.find.cpu);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int files = 100000, folders = 1000;
    QString dir = QDir::tempPath();
    QString keep;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--files"))
            files = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--folders"))
            folders = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--dir"))
            dir = args[i + 1];
        else if (args[i] == QLatin1String("--tree"))
            keep = args[i + 1];
    }
    QTemporaryDir tmp(dir + QStringLiteral("/bench_update-XXXXXX"));
    const QString base = keep.isEmpty() ? tmp.path() : keep;
    QDir().mkpath(base);
    Tree small { base + QStringLiteral("/tree%1x%2").arg(files / 10).arg(std::max(1, folders / 10)),
        files / 10, std::max(1, folders / 10) };
    Tree large { base + QStringLiteral("/tree%1x%2").arg(files).arg(folders), files, folders };
    for (Tree *tree : { &small, &large })
        makeTreeOnce(tree->root, tree->files, tree->folders);
    // The rounds of the two sizes take turns, so that a slow spell of the machine
    // falls on both and not on one size's rounds only.
    for (int round = 0; round < kRounds; ++round)
        for (Tree *tree : { &small, &large })
            measureRound(*tree);
    removeCatalogue(small.root);
    removeCatalogue(large.root);
    report(small);
    report(large);
    const Figures &big = large.best, &little = small.best;
    std::printf("scaling %d vs %d files: into empty %.1f, unchanged %.1f (target 8..12)\n", files,
        files / 10, big.empty.wall / little.empty.wall, big.again.wall / little.again.wall);
    std::printf("scaling of processor time: into empty %.1f, unchanged %.1f\n",
        big.empty.cpu / little.empty.cpu, big.again.cpu / little.again.cpu);
    return 0;
}
