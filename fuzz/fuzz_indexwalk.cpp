// Walks a sound table through a damaged index: the table is fixed (the rows of
// make-seeds.sh's catalogue100), the input is its index file. Every order is walked forwards
// and backwards, and folder ranges both ways. Each walk must hand out exactly the records a
// sound index gives, in the same order, unless the table said that it met damage (a notice,
// or a read that failed); nothing may crash or hang. Each order is walked whole before its
// ranges: a range cannot know how many entries it should hold, so an entry missing inside
// it is found by the whole walk (which counts them) or by a search for its record.

#include "store/catalogtable.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <unistd.h>

namespace
{

constexpr int kRows = 100;
const char *const kFolders[] = { "ARCHIV\\", "ARCHIV\\JAHR03\\", "ARCHIV\\JAHR06\\", "FEHLT\\" };

const QString &folder()
{
    static const QString f = [] {
        const QString path = QDir::tempPath() + QStringLiteral("/fuzz_indexwalk_%1").arg(getpid());
        QDir().mkpath(path);
        return path;
    }();
    return f;
}

QString tablePath()
{
    return folder() + QStringLiteral("/t.dbf");
}
QString indexPath()
{
    return folder() + QStringLiteral("/t.mdx");
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString &path, const char *data, qint64 size)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(data, size);
}

// The rows make-seeds.sh imports, appended the way tabulon-cli import appends them, so that
// its index file of 100 rows is a sound index of this table.
void fillTable(DbfTable &t)
{
    for (int i = 0; i < kRows; ++i) {
        if (!t.append())
            std::abort();
        const QString dir = i % 3
            ? QStringLiteral("ARCHIV\\")
            : QStringLiteral("ARCHIV\\JAHR%1\\").arg(i % 7, 2, 10, QChar('0'));
        t.setFieldText(CatalogTable::DIR, dir);
        t.setFieldText(CatalogTable::NAME,
            QStringLiteral("Bild_%1.jpg").arg(i * 37 % 1000, 4, 10, QChar('0')));
        t.setFieldDate(
            CatalogTable::DATE, i % 5 == 0 ? QDate() : QDate(2020, i % 12 + 1, i % 28 + 1));
        t.setFieldText(CatalogTable::NOTE,
            i % 4 == 0 ? QString() : QStringLiteral("Notiz %1").arg(i * 13 % 50));
        t.setFieldText(CatalogTable::CODE, i % 6 == 0 ? QStringLiteral("AB") : QString());
        t.setFieldText(CatalogTable::SIZE, QStringLiteral("%1 K").arg(i + 1));
        if (!t.post())
            std::abort();
    }
}

// One walk: its name (order, range, direction) and the records it handed out.
using Walk = std::vector<quint32>;
using Walks = std::map<std::string, Walk>;

// Runs every walk, calling check(name, records, failed) after each.
template <typename Check> void walkAll(DbfTable &t, Check check)
{
    const quint64 limit = 2 * quint64(t.physicalCount()) + 8;
    for (const char *order : { "1", "2", "3", "4" }) {
        for (int range = -1; range < int(std::size(kFolders)); ++range) {
            for (bool back : { false, true }) {
                Walk seen;
                DbStatus st = t.setOrder(order);
                if (st && range >= 0) {
                    const auto bounds = CatalogTable::folderRange(
                        QString::fromLatin1(kFolders[range]), t.codec());
                    st = t.setRange(bounds.first, bounds.second);
                }
                st = st ? (back ? t.last() : t.first()) : st;
                for (quint64 i = 0; st && !(back ? t.bof() : t.eof()) && i < limit; ++i) {
                    seen.push_back(quint32(t.recNo()));
                    st = back ? t.prior() : t.next();
                }
                const std::string name = std::string(order) + (range < 0 ? "" : kFolders[range])
                    + (back ? " back" : "");
                check(name, seen, !st);
            }
        }
    }
}

struct Sound {
    QByteArray table;
    Walks walks;
};

const Sound &sound()
{
    static const Sound s = [] {
        Sound out;
        QFile::remove(tablePath());
        QFile::remove(indexPath());
        if (!DbfTable::create(tablePath(), CatalogTable::layout(), CatalogTable::tags()))
            std::abort();
        DbfTable t;
        if (!t.open(tablePath(), CatalogTable::tags(), CatalogTable::layout()))
            std::abort();
        fillTable(t);
        walkAll(t, [&](const std::string &name, const Walk &seen, bool failed) {
            if (failed)
                std::abort();
            out.walks[name] = seen;
        });
        if (!t.close())
            std::abort();
        out.table = readAll(tablePath());
        return out;
    }();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Sound &s = sound();
    put(tablePath(), s.table.constData(), s.table.size());
    put(indexPath(), reinterpret_cast<const char *>(data), qint64(size));
    QFile::remove(indexPath() + QStringLiteral(".sort"));

    int notices = 0;
    DbfTable t;
    t.setNoticeHandler([&notices](const QString &) { ++notices; });
    if (!t.open(tablePath(), CatalogTable::tags(), CatalogTable::layout()))
        return 0;
    int before = notices;
    walkAll(t, [&](const std::string &name, const Walk &seen, bool failed) {
        const bool told = failed || notices != before;
        before = notices;
        if (!told && seen != s.walks.at(name)) {
            std::fprintf(stderr, "walk %s handed out %zu records where %zu belong, untold\n",
                name.c_str(), seen.size(), s.walks.at(name).size());
            std::abort();
        }
    });
    t.close();
    return 0;
}
