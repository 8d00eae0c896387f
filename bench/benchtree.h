#pragma once

// What the benchmarks of the folder walk share: a tree of realistic shape (many small
// folders and a few large ones, nested up to five deep) and find's time over it.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <vector>

#include <sys/resource.h>

namespace benchtree
{

[[noreturn]] inline void benchFail(const QString &what)
{
    std::fprintf(stderr, "benchmark: %s\n", qPrintable(what));
    std::exit(1);
}

// Files per folder: 1 to 500, most folders small and a few large (a Pareto shape), scaled
// so that they add up to files exactly.
inline std::vector<int> folderSizes(int files, int folders, std::mt19937 &random)
{
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<double> raw(static_cast<size_t>(folders));
    for (double &r : raw)
        r = std::min(500.0, 1.0 / std::pow(1.0 - uniform(random), 1.0 / 1.2));
    double sum = 0;
    for (double r : raw)
        sum += r;
    std::vector<int> sizes(static_cast<size_t>(folders));
    int total = 0;
    for (size_t i = 0; i < sizes.size(); ++i) {
        sizes[i] = std::clamp(int(raw[i] * files / sum), 1, 500);
        total += sizes[i];
    }
    // The rounding left over, spread one file at a time.
    for (size_t i = 0; total != files; i = (i + 1) % sizes.size()) {
        const int step = total < files ? 1 : -1;
        if (sizes[i] + step >= 1 && sizes[i] + step <= 500) {
            sizes[i] += step;
            total += step;
        }
    }
    return sizes;
}

// Folder paths below root: a few top-level folders, each level fanning out, up to five
// deep, named as people name folders.
inline std::vector<QString> folderPaths(int folders, std::mt19937 &random)
{
    static const char *const words[] = { "Fotos", "Projekte", "Musik", "Archiv", "Briefe", "Reise",
        "Rechnungen", "Scans", "Entwurf", "Alt", "Neu", "Sammlung" };
    std::vector<QString> paths;
    std::vector<QString> parents { QString() };
    std::uniform_int_distribution<int> depthPick(0, 99);
    while (int(paths.size()) < folders) {
        // Mostly below a recent folder, sometimes higher up: deep and wide branches.
        const QString &parent
            = parents[size_t(depthPick(random) < 70 ? parents.size() - 1
                                                    : size_t(depthPick(random)) % parents.size())];
        if (parent.count(QLatin1Char('/')) >= 5)
            continue;
        const QString name = QStringLiteral("%1 %2")
                                 .arg(QLatin1String(words[paths.size() % std::size(words)]))
                                 .arg(paths.size());
        paths.push_back(parent + QLatin1Char('/') + name);
        parents.push_back(paths.back());
        if (parents.size() > 64)
            parents.erase(parents.begin() + 1);
    }
    return paths;
}

inline void makeTree(const QString &root, int files, int folders)
{
    std::mt19937 random(20261207);
    const std::vector<QString> paths = folderPaths(folders, random);
    const std::vector<int> sizes = folderSizes(files, folders, random);
    static const char *const extensions[] = { "jpg", "pdf", "txt", "mp3", "doc", "png" };
    for (size_t f = 0; f < paths.size(); ++f) {
        const QString dir = root + paths[f];
        if (!QDir().mkpath(dir))
            benchFail(QStringLiteral("cannot create %1").arg(dir));
        for (int i = 0; i < sizes[f]; ++i) {
            QFile file(dir
                + QStringLiteral("/Datei_%1.%2")
                      .arg(i, 4, 10, QLatin1Char('0'))
                      .arg(QLatin1String(extensions[(f + size_t(i)) % std::size(extensions)])));
            if (!file.open(QIODevice::WriteOnly))
                benchFail(QStringLiteral("cannot create %1").arg(file.fileName()));
            file.write(QByteArray(i % 7 * 150, 'x'));
        }
    }
}

// Wall time, and processor time (user + system) of the process or of the child: on a
// machine shared with builds the processor time is the steadier figure.
struct Timing {
    double wall = 1e9, cpu = 1e9;
    void keepBest(const Timing &t)
    {
        wall = std::min(wall, t.wall);
        cpu = std::min(cpu, t.cpu);
    }
};

inline double cpuSeconds(int who)
{
    rusage u {};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

inline Timing timeFind(const QString &root)
{
    QElapsedTimer t;
    t.start();
    const double cpu0 = cpuSeconds(RUSAGE_CHILDREN);
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(QStringLiteral("find"),
        { root, QStringLiteral("-type"), QStringLiteral("f"), QStringLiteral("-printf"),
            QStringLiteral("%s %T@ %p\\n") });
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        benchFail(QStringLiteral("find failed"));
    return { t.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_CHILDREN) - cpu0 };
}

} // namespace benchtree
