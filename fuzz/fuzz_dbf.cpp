// Feeds arbitrary table files (and, on request, an index beside them) to the table engine:
// open with the catalogue's tags, walk every order both ways, edit, delete, check, pack.
// Nothing may crash or hang, whatever the bytes.

#include "store/dbftable.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstring>
#include <unistd.h>

namespace
{

const std::vector<DbfTagDef> &tags()
{
    static const std::vector<DbfTagDef> t { { "1", "DIR+UPPER(SUBSTR(NAME,1,20))" },
        { "2", "DIR+DTOS(DATE)+UPPER(SUBSTR(NAME,1,10))" },
        { "3", "DIR+CODE+UPPER(SUBSTR(NAME,1,10))" }, { "4", "DIR+UPPER(SUBSTR(NOTE,1,20))" } };
    return t;
}

const QString &folder()
{
    static const QString f = [] {
        const QString path = QDir::tempPath() + QStringLiteral("/fuzz_dbf_%1").arg(getpid());
        QDir().mkpath(path);
        return path;
    }();
    return f;
}

void put(const QString &path, const uint8_t *data, size_t size)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char *>(data), qint64(size));
}

void walk(DbfTable &t)
{
    const quint64 limit = 2 * quint64(t.physicalCount()) + 8;
    t.first();
    for (quint64 i = 0; i < limit && !t.eof(); ++i) {
        t.fieldText(0);
        t.fieldDate(2);
        t.recordBytes();
        if (!t.next())
            break;
    }
    t.last();
    for (quint64 i = 0; i < limit && !t.bof(); ++i)
        if (!t.prior())
            break;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString table = folder() + QStringLiteral("/t.dbf");
    const QString index = folder() + QStringLiteral("/t.mdx");
    QFile::remove(table);
    QFile::remove(index);
    QFile::remove(table + QStringLiteral(".pack"));
    QFile::remove(index + QStringLiteral(".pack"));
    // With the first byte odd, the next two bytes give the length of the table part and
    // the rest is the index.
    if (size >= 3 && (data[0] & 1)) {
        const size_t split = std::min<size_t>(size - 3, size_t(data[1]) | size_t(data[2]) << 8);
        put(table, data + 3, split);
        put(index, data + 3 + split, size - 3 - split);
    } else {
        put(table, data, size);
    }

    DbfTable t;
    if (!t.open(table, tags()))
        return 0;
    walk(t);
    for (const char *order : { "1", "2", "3", "4" }) {
        if (!t.setOrder(order))
            continue;
        walk(t);
        t.setRange("A", "Z\xff");
        walk(t);
    }
    t.setOrder("2");
    t.first();
    if (t.edit()) {
        t.setFieldText(1, QStringLiteral("renamed.txt"));
        t.setFieldText(0, QStringLiteral("OTHER\\"));
        t.post();
    }
    t.first();
    t.deleteRecord();
    t.append();
    t.setFieldText(0, QStringLiteral("NEW\\"));
    t.post();
    QStringList faults;
    t.check(faults);
    if (data[0] & 2)
        t.pack();
    t.goTo(1);
    t.close();
    return 0;
}
