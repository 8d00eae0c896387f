// The program's window over a large catalogue, as the user starts it and walks its folders.
//
//   bench_window [--records N] [--folders F] [--dir PATH] [--table PATH] [--steps S]
//                [--rounds R]
//
// Builds a root folder of F folders (default 50,000: F/100 top-level folders of 99
// subfolders each) and beside them the catalogue Bench.dbf of N records (default
// 5,000,000), the same number in each folder, appended in random folder order as years of
// folder updates leave them; the index is built once by the first open. --dir PATH keeps
// root and catalogue in PATH and reuses them, since the build takes a while.
// --table PATH measures a catalogue that is there already instead (a Unicode one, say): its
// root is the table's folder, the archive its base name. No record is changed (an index
// found stale is rebuilt, as the program does).
//
// Each round (default 3) is a process of its own, started as the program starts: settings
// naming the archive, MainWindow::startUp(), the window shown (offscreen). It prints
//   window: from the process's start until the window is shown with the folder tree and
//           the first folder's grid painted, target <= 0.5 s;
//   folder step: Down in the tree, until the next folder's rows are read and painted, over
//           S steps (default 200): median, 95th percentile and slowest, target <= 20 ms;
//   memory: the process's resident memory after the steps and its peak, target <= 80 MB.
// The best of the rounds is reported, with the spread.
#include "app/ui/mainwindow.h"
#include "dialogs/shareddialog.h"
#include "store/catalogtable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "bench_window: %s\n", qPrintable(what));
    std::exit(1);
}

void check(const DbStatus &st, const char *what)
{
    if (!st)
        fail(QStringLiteral("%1: %2").arg(QLatin1String(what), st.message()));
}

struct Options {
    int records = 5000000, folders = 50000, steps = 200, rounds = 3;
    QString dir, table;
    bool child = false;
};

Options parse(const QStringList &args)
{
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == QLatin1String("--child"))
            o.child = true;
        else if (args[i] == QLatin1String("--records") && hasValue)
            o.records = args[++i].toInt();
        else if (args[i] == QLatin1String("--folders") && hasValue)
            o.folders = args[++i].toInt();
        else if (args[i] == QLatin1String("--steps") && hasValue)
            o.steps = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--rounds") && hasValue)
            o.rounds = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--dir") && hasValue)
            o.dir = args[++i];
        else if (args[i] == QLatin1String("--table") && hasValue)
            o.table = QFileInfo(args[++i]).absoluteFilePath();
        else
            fail(QStringLiteral("unknown argument %1").arg(args[i]));
    }
    if (o.folders < 100 || o.records < o.folders)
        fail(QStringLiteral("need at least 100 folders and a record per folder"));
    return o;
}

// "F0003\G0041\" and the disk path "F0003/G0041"; the top-level folders are G0000.
QByteArray folderDir(int i)
{
    const QByteArray top = "F" + QByteArray::number(i / 100).rightJustified(4, '0') + "\\";
    return i % 100 == 0 ? top
                        : top + "G" + QByteArray::number(i % 100).rightJustified(4, '0') + "\\";
}

void buildFolders(const QString &root, int folders)
{
    for (int i = 0; i < folders; ++i) {
        const QString path = root + QLatin1Char('/')
            + QString::fromLatin1(folderDir(i)).replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!QDir().mkpath(path))
            fail(QStringLiteral("cannot create %1").arg(path));
    }
}

// The records without an index, which the first open then builds in one go.
void buildTable(const QString &path, int records, int folders)
{
    QFile::remove(path);
    QString mdx = path;
    mdx.replace(QLatin1String(".dbf"), QLatin1String(".mdx"));
    QFile::remove(mdx);
    check(DbfTable::create(path, CatalogTable::layout(), CatalogTable::tags()), "create");
    QFile::remove(mdx);
    DbfTable table;
    check(table.open(path, {}), "open");
    QRandomGenerator rng(7);
    std::vector<int> left(size_t(folders), records / folders);
    for (int i = 0; i < records % folders; ++i)
        ++left[size_t(i)];
    std::vector<int> open(static_cast<size_t>(folders));
    for (int i = 0; i < folders; ++i)
        open[size_t(i)] = i;
    while (!open.empty()) {
        // A random folder, a short run of its records.
        const size_t pick = rng.bounded(quint32(open.size()));
        const int folder = open[pick];
        for (int run = 0; run < 8 && left[size_t(folder)] > 0; ++run) {
            check(table.append(), "append");
            table.setFieldBytes(CatalogTable::DIR, folderDir(folder));
            table.setFieldBytes(CatalogTable::NAME,
                "IMG_" + QByteArray::number(left[size_t(folder)]).rightJustified(5, '0') + ".jpg");
            table.setFieldBytes(CatalogTable::DATE, "20240131");
            table.setFieldBytes(CatalogTable::SIZE, "1.1 M");
            check(table.post(), "post");
            --left[size_t(folder)];
        }
        if (left[size_t(folder)] == 0) {
            open[pick] = open.back();
            open.pop_back();
        }
    }
    check(table.close(), "close");
    // The index, built once here rather than in the first measured start.
    check(table.open(path, CatalogTable::tags()), "index");
    check(table.close(), "close");
}

// The made root and catalogue in base, reused when a build there was complete.
QString makeCatalogue(const QString &base, int records, int folders)
{
    const QString root = base + QStringLiteral("/window%1x%2").arg(records).arg(folders);
    const QString done = root + QStringLiteral("/.complete");
    if (QFile::exists(done))
        return root + QStringLiteral("/Bench.dbf");
    QDir(root).removeRecursively();
    QElapsedTimer t;
    t.start();
    buildFolders(root, folders);
    buildTable(root + QStringLiteral("/Bench.dbf"), records, folders);
    std::printf("built %d records in %d folders in %.0f s\n", records, folders, t.elapsed() / 1e3);
    QFile marker(done);
    if (!marker.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot write %1").arg(done));
    return root + QStringLiteral("/Bench.dbf");
}

// Any message ends the benchmark: the start must go through unasked.
class NoDialogs : public DialogPort
{
public:
    DialogOutcome showModal(const DialogRequest &request) override
    {
        fail(QStringLiteral("unexpected message: %1").arg(request.message));
    }
    void showWait(const DialogRequest &) override { }
    void closeWait() override { }
    void setWaitProgress(int) override { }
};

double kbOf(const QByteArray &status, const char *key)
{
    const int at = int(status.indexOf(key));
    if (at < 0)
        return 0;
    return status.mid(at + int(qstrlen(key))).trimmed().split(' ').first().toDouble();
}

// One start of the program on the table, in this process; prints one line of figures.
int runChild(const Options &o, const QElapsedTimer &sinceStart)
{
    QApplication &app = *qApp;
    (void)app;
    NoDialogs dialogs;
    installDialogPort(&dialogs);
    const QFileInfo table(o.table);
    QTemporaryDir settings;
    const QString name = table.completeBaseName();
    const auto write = [&](const QString &file, const QString &text) {
        QFile f(settings.filePath(file));
        if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0)
            fail(QStringLiteral("cannot write %1").arg(f.fileName()));
    };
    write(QStringLiteral("Tabulon.ini"),
        QStringLiteral("[Local]\r\nVers=6.6\r\nDMS=%1\r\n[MainWin]\r\nstate=0\r\n").arg(name));
    write(name + QStringLiteral(".ini"),
        QStringLiteral("[Local]\r\nPath=%1/\r\n").arg(table.absolutePath()));
    ArchiveEnvironment env;
    env.program = { settings.filePath(QStringLiteral("tabulon")),
        settings.path() + QLatin1Char('/'), false };
    env.askRoot
        = [](const QString &, const QString &, QString *, CatalogueChoices *) { return false; };
    env.chooseArchive = [](const QString &) { return QString(); };

    auto form = std::make_unique<MainWindow>(env);
    form->resize(1000, 700);
    if (!form->startUp())
        fail(QStringLiteral("the program did not start on %1").arg(o.table));
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        fail(QStringLiteral("the window is not shown"));
    QApplication::processEvents();
    const double window = sinceStart.nsecsElapsed() / 1e9;

    QTreeWidget *tree = form->views().tree;
    tree->setFocus();
    std::vector<double> steps;
    for (int i = 0; i < o.steps; ++i) {
        QElapsedTimer t;
        t.start();
        QTest::keyClick(tree, Qt::Key_Down);
        QApplication::processEvents();
        steps.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(steps.begin(), steps.end());
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    const QByteArray s = status.readAll();
    std::printf("%.4f %.3f %.3f %.3f %.1f %.1f %u %d\n", window, steps[steps.size() / 2],
        steps[steps.size() * 95 / 100], steps.back(), kbOf(s, "VmRSS:") / 1024,
        kbOf(s, "VmHWM:") / 1024, form->state().catalog->table().physicalCount(),
        tree->topLevelItemCount());
    installDialogPort(nullptr);
    return 0;
}

struct Round {
    double window = 0, median = 0, p95 = 0, slowest = 0, rss = 0, peak = 0;
    quint32 records = 0;
    int topNodes = 0;
};

Round runRound(const Options &o)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--child"), QStringLiteral("--table"), o.table, QStringLiteral("--steps"),
            QString::number(o.steps) });
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        fail(QStringLiteral("a round failed"));
    const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
    if (f.size() != 8)
        fail(QStringLiteral("a round printed no figures"));
    return { f[0].toDouble(), f[1].toDouble(), f[2].toDouble(), f[3].toDouble(), f[4].toDouble(),
        f[5].toDouble(), f[6].toUInt(), f[7].toInt() };
}

void measure(const Options &o)
{
    std::vector<Round> rounds;
    for (int i = 0; i < o.rounds; ++i)
        rounds.push_back(runRound(o));
    const auto best = [&](double Round::*field) {
        double lo = 1e18, hi = 0;
        for (const Round &r : rounds) {
            lo = std::min(lo, r.*field);
            hi = std::max(hi, r.*field);
        }
        return std::make_pair(lo, hi);
    };
    std::printf("%s: %u records, %d top-level folders, best of %d rounds (worst in brackets)\n",
        qPrintable(o.table), rounds.front().records, rounds.front().topNodes, o.rounds);
    const auto [window, windowWorst] = best(&Round::window);
    std::printf("  window shown: %.3f s (%.3f); target <= 0.5 s\n", window, windowWorst);
    const auto [median, medianWorst] = best(&Round::median);
    const auto [p95, p95Worst] = best(&Round::p95);
    const auto [slowest, slowestWorst] = best(&Round::slowest);
    std::printf("  folder step over %d steps: median %.2f ms (%.2f), 95%% %.2f ms (%.2f), slowest "
                "%.2f ms (%.2f); target <= 20 ms\n",
        o.steps, median, medianWorst, p95, p95Worst, slowest, slowestWorst);
    const auto [rss, rssWorst] = best(&Round::rss);
    const auto [peak, peakWorst] = best(&Round::peak);
    std::printf("  resident memory: %.1f MB (%.1f), peak %.1f MB (%.1f); target <= 80 MB\n", rss,
        rssWorst, peak, peakWorst);
}

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Options o = parse(app.arguments());
    if (o.child)
        return runChild(o, sinceStart);
    std::unique_ptr<QTemporaryDir> temp;
    if (o.table.isEmpty()) {
        QString base = o.dir;
        if (base.isEmpty()) {
            temp = std::make_unique<QTemporaryDir>(
                QDir::tempPath() + QStringLiteral("/bench_window-XXXXXX"));
            base = temp->path();
        }
        QDir().mkpath(base);
        o.table = makeCatalogue(base, o.records, o.folders);
    }
    if (!QFile::exists(o.table))
        fail(QStringLiteral("no table %1").arg(o.table));
    measure(o);
    return 0;
}
