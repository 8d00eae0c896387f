// Times the folder-tree walk against `find ROOT -type d` on the same folders, in the same
// run, and prints the ratio. Usage: bench_foldertree [ROOT]; without ROOT a tree of
// 20,000 folders (with a few files each) is made in a temporary folder.
#include "scan/foldertree.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace
{

constexpr int kRounds = 5;

void makeTree(const QString &root)
{
    QDir dir(root);
    for (int a = 0; a < 20; ++a)
        for (int b = 0; b < 20; ++b)
            for (int c = 0; c < 50; ++c) {
                const QString leaf = QStringLiteral("Top %1/sub%2/Leaf-%3").arg(a).arg(b).arg(c);
                dir.mkpath(leaf);
                for (int f = 0; f < 3; ++f) {
                    QFile file(
                        root + QLatin1Char('/') + leaf + QStringLiteral("/file%1.txt").arg(f));
                    file.open(QIODevice::WriteOnly);
                }
            }
}

qint64 timeFind(const QString &root)
{
    QElapsedTimer t;
    t.start();
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    find.start(QStringLiteral("find"), { root, QStringLiteral("-type"), QStringLiteral("d") });
    find.waitForFinished(-1);
    return t.nsecsElapsed();
}

qint64 timeBuild(const QString &root, int *nodes)
{
    QElapsedTimer t;
    t.start();
    FolderTree tree;
    tree.rebuild(root);
    const qint64 ns = t.nsecsElapsed();
    *nodes = int(tree.nodesInOrder().size());
    return ns;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    if (argc <= 1) {
        std::printf("making 20,000 folders in %s ...\n", qPrintable(root));
        makeTree(root);
    }
    timeFind(root); // both walks then start from a warm cache
    int nodes = 0;
    qint64 bestFind = -1;
    qint64 bestBuild = -1;
    for (int i = 0; i < kRounds; ++i) {
        const qint64 f = timeFind(root);
        const qint64 b = timeBuild(root, &nodes);
        bestFind = bestFind < 0 ? f : std::min(bestFind, f);
        bestBuild = bestBuild < 0 ? b : std::min(bestBuild, b);
    }
    std::printf(
        "nodes: %d\nfind -type d: %.1f ms\nbuild + sort: %.1f ms\nratio: %.2f (limit 3.0)\n", nodes,
        bestFind / 1e6, bestBuild / 1e6, double(bestBuild) / double(bestFind));
    return 0;
}
