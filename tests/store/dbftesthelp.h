#pragma once

// Helpers shared by the table engine tests: the catalogue's layout and tags, records,
// walks, raw bytes.

#include "store/dbfio.h"
#include "store/dbftable.h"

#include <QFile>
#include <QtTest>

#include <vector>

namespace dbftest
{

enum Field { Dir = 0, Name, Date, Note, Code, Size };

inline std::vector<DbfField> catalogueFields()
{
    return { { "DIR", 'C', 80, 0 }, { "NAME", 'C', 80, 0 }, { "DATE", 'D', 8, 0 },
        { "NOTE", 'C', 80, 0 }, { "CODE", 'C', 10, 0 }, { "SIZE", 'C', 6, 0 } };
}

inline std::vector<DbfTagDef> catalogueTags()
{
    return { { "1", "DIR+UPPER(SUBSTR(NAME,1,20))" },
        { "2", "DIR+DTOS(DATE)+UPPER(SUBSTR(NAME,1,10))" },
        { "3", "DIR+CODE+UPPER(SUBSTR(NAME,1,10))" }, { "4", "DIR+UPPER(SUBSTR(NOTE,1,20))" } };
}

struct Rec {
    QString dir, name;
    QDate date;
    QString note, code;
};

inline DbStatus add(DbfTable &t, const Rec &r)
{
    DbStatus st = t.append();
    if (!st)
        return st;
    t.setFieldText(Dir, r.dir);
    t.setFieldText(Name, r.name);
    t.setFieldDate(Date, r.date);
    t.setFieldText(Note, r.note);
    t.setFieldText(Code, r.code);
    return t.post();
}

// The texts of one field over the whole visible table, in the current order.
inline QStringList walk(DbfTable &t, int field = Name)
{
    QStringList out;
    if (!t.first())
        return { QStringLiteral("<first failed>") };
    for (int guard = 0; !t.eof() && guard < 100000; ++guard) {
        out << t.fieldText(field);
        if (!t.next())
            return out << QStringLiteral("<next failed>");
    }
    return out;
}

inline QStringList walkBack(DbfTable &t, int field = Name)
{
    QStringList out;
    if (!t.last())
        return { QStringLiteral("<last failed>") };
    for (int guard = 0; !t.bof() && guard < 100000; ++guard) {
        out.prepend(t.fieldText(field));
        if (!t.prior())
            return out << QStringLiteral("<prior failed>");
    }
    return out;
}

// Low and high key of one folder in a catalogue order, as the catalogue table builds them.
inline std::pair<QByteArray, QByteArray> folderRange(const QByteArray &dir)
{
    QByteArray high = dir.left(80);
    high.append(QByteArray(80 - high.size(), ' '));
    high.append(char(0xFF));
    return { dir, high };
}

inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline quint32 le32(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8
        | quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}

inline void put32(QByteArray &b, int at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// While it lives, every write to an index file (and its scratch files) fails as on a full
// disk; the table itself can still be written in place.
struct IndexDiskFull {
    IndexDiskFull()
    {
        dbfio::setFaultHook([](const QString &path, qint64, qint64) {
            return !path.contains(QLatin1String(".mdx"));
        });
    }
    ~IndexDiskFull() { dbfio::setFaultHook(nullptr); }
    IndexDiskFull(const IndexDiskFull &) = delete;
    IndexDiskFull &operator=(const IndexDiskFull &) = delete;
};

// Opens a table whose index must be rebuilt (its busy mark is set, as after a change that
// a full disk stopped) while the disk has no room for the index: the table is then read
// without it.
inline DbStatus openWithoutIndex(
    DbfTable &t, const QString &path, const QString &mdxPath, const std::vector<DbfTagDef> &tags)
{
    QFile index(mdxPath);
    if (!index.open(QIODevice::ReadWrite) || !index.seek(47) || index.write("\x01", 1) != 1)
        return { DbStatus::IoError, QStringLiteral("cannot mark %1").arg(mdxPath) };
    index.close();
    const IndexDiskFull full;
    DbStatus st = t.open(path, tags);
    if (st && !t.readsWithoutIndex())
        st = { DbStatus::InvalidArgument, QStringLiteral("%1 was read with its index").arg(path) };
    return st;
}

#define DBF_VERIFY_OK(expr)                                                                        \
    do {                                                                                           \
        const DbStatus st_ = (expr);                                                               \
        QVERIFY2(st_.isOk(), qPrintable(st_.message()));                                           \
    } while (false)

} // namespace dbftest
