// The production index on its own, measured in one run.
//
//   bench_mdx [--records N] [--folders F] [--dir PATH]
//
// Prints, each with the baseline it is stated against:
//   incremental import of N records into four tags / bulk build of the same keys
//   seek one folder and walk its 100 records: N records / 1,000 records (target <= 2)
//   walk of every tag in a fresh process: peak resident memory (target well < 64 MB)
#include "store/mdxindex.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace
{

const std::vector<MdxTagSpec> kTags = {
    { "1", "DIR+UPPER(SUBSTR(NAME,1,20))", 100 },
    { "2", "DIR+DTOS(DATE)+UPPER(SUBSTR(NAME,1,10))", 98 },
    { "3", "DIR+CODE+UPPER(SUBSTR(NAME,1,10))", 100 },
    { "4", "DIR+UPPER(SUBSTR(NOTE,1,20))", 100 },
};

QByteArray pad(const QByteArray &s, int width)
{
    return s.leftJustified(width, ' ', true);
}

// Keys of four catalogue-like tags: folder by folder (as a sorted listing is imported),
// names random within the folder, a third of the notes blank.
std::vector<QByteArray> makeKeys(int records, int folders)
{
    std::vector<QByteArray> keys;
    keys.reserve(size_t(records) * 4);
    QRandomGenerator rng(42);
    const int perFolder = std::max(1, records / folders);
    for (int i = 0; i < records; ++i) {
        const int folder = i / perFolder;
        const QByteArray dir = pad(QStringLiteral("ARCHIV%1\\JAHR%2\\")
                                       .arg(folder / 100, 3, 10, QLatin1Char('0'))
                                       .arg(folder % 100, 2, 10, QLatin1Char('0'))
                                       .toLatin1(),
            80);
        const QByteArray name = QStringLiteral("BILD_%1.JPG")
                                    .arg(rng.bounded(1000000), 7, 10, QLatin1Char('0'))
                                    .toLatin1();
        const QByteArray date = QByteArray::number(20100101 + rng.bounded(150000));
        const QByteArray note = rng.bounded(3) == 0
            ? QByteArray()
            : "URLAUB TAG " + QByteArray::number(rng.bounded(500));
        const QByteArray code = rng.bounded(4) == 0 ? QByteArray("AB") : QByteArray();
        keys.push_back(dir + pad(name, 20));
        keys.push_back(dir + date + pad(name, 10));
        keys.push_back(dir + pad(code, 10) + pad(name, 10));
        keys.push_back(dir + pad(note, 20));
    }
    return keys;
}

void check(const DbStatus &st, const char *what)
{
    if (!st) {
        std::fprintf(stderr, "%s: %s\n", what, st.message().toLocal8Bit().constData());
        std::exit(1);
    }
}

double buildBulk(const QString &path, const std::vector<QByteArray> &keys)
{
    QElapsedTimer t;
    t.start();
    check(MdxIndex::build(path, "BENCH", kTags,
              [&](int tag, MdxKeyList &list) {
                  for (size_t i = size_t(tag); i < keys.size(); i += 4)
                      list.add(keys[i].constData(), quint32(i / 4 + 1));
                  return DbStatus::ok();
              }),
        "build");
    return t.nsecsElapsed() / 1e9;
}

double importIncremental(const QString &path, const std::vector<QByteArray> &keys)
{
    QElapsedTimer t;
    t.start();
    check(MdxIndex::build(path, "BENCH", kTags, [](int, MdxKeyList &) { return DbStatus::ok(); }),
        "create");
    std::unique_ptr<MdxIndex> idx;
    check(MdxIndex::open(path, idx), "open");
    for (size_t i = 0; i < keys.size(); ++i)
        check(idx->insert(int(i % 4), keys[i].constData(), quint32(i / 4 + 1)), "insert");
    check(idx->close(), "close");
    return t.nsecsElapsed() / 1e9;
}

// Seeks the folder of a random record in tag 1 and walks it, many times.
double seekFolder(const QString &path, int records, int folders)
{
    std::unique_ptr<MdxIndex> idx;
    check(MdxIndex::open(path, idx), "open");
    const int perFolder = std::max(1, records / folders);
    QRandomGenerator rng(7);
    QElapsedTimer t;
    t.start();
    const int rounds = 4000;
    for (int r = 0; r < rounds; ++r) {
        const int folder = rng.bounded(records) / perFolder;
        const QByteArray dir = QStringLiteral("ARCHIV%1\\JAHR%2\\")
                                   .arg(folder / 100, 3, 10, QLatin1Char('0'))
                                   .arg(folder % 100, 2, 10, QLatin1Char('0'))
                                   .toLatin1();
        MdxIndex::Cursor c;
        check(idx->seek(0, dir, 0, c), "seek");
        while (c.isValid() && c.key().startsWith(dir))
            check(idx->next(c), "next");
    }
    return t.nsecsElapsed() / 1e9 / rounds;
}

int walkAll(const QString &path)
{
    std::unique_ptr<MdxIndex> idx;
    check(MdxIndex::open(path, idx), "open");
    long long n = 0;
    for (int tag = 0; tag < idx->tagCount(); ++tag) {
        MdxIndex::Cursor c;
        for (check(idx->first(tag, c), "first"); c.isValid(); check(idx->next(c), "next"))
            ++n;
    }
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM"))
            std::printf("walk of %lld entries: %s\n", n, line.simplified().constData());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--walk"))
        return walkAll(args[2]);
    int records = 1000000;
    int folders = 10000;
    QString dirPath;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--records"))
            records = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--folders"))
            folders = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--dir"))
            dirPath = args[i + 1];
    }
    QTemporaryDir tmp(dirPath.isEmpty() ? QDir::tempPath() + QStringLiteral("/bench_mdx")
                                        : dirPath + QStringLiteral("/bench_mdx"));
    const QString big = tmp.filePath(QStringLiteral("big.mdx"));
    const QString small = tmp.filePath(QStringLiteral("small.mdx"));

    const std::vector<QByteArray> keys = makeKeys(records, folders);
    const double bulk = buildBulk(big, keys);
    const double incremental = importIncremental(big, keys);
    std::printf("import %d records, 4 tags: incremental %.2f s, bulk build %.2f s, ratio %.2f\n",
        records, incremental, bulk, incremental / bulk);

    const std::vector<QByteArray> fewKeys = makeKeys(1000, std::max(1, folders * 1000 / records));
    buildBulk(small, fewKeys);
    const double seekBig = seekFolder(big, records, folders);
    const double seekSmall = seekFolder(small, 1000, std::max(1, folders * 1000 / records));
    std::printf("seek+walk one folder: %.1f us (N) vs %.1f us (1,000), ratio %.2f\n", seekBig * 1e6,
        seekSmall * 1e6, seekBig / seekSmall);

    QProcess walker;
    walker.start(app.applicationFilePath(), { QStringLiteral("--walk"), big });
    walker.waitForFinished(-1);
    std::fputs(walker.readAllStandardOutput().constData(), stdout);
    return 0;
}
