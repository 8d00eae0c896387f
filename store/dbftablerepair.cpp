#include "dbftableimpl.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include <QCoreApplication>

// The index is derived data, so the table never takes its word where a read can see that
// the word is wrong: an entry for a record the table does not have, an entry whose key
// is not its record's, a seek that misses a record's own entry, a walk over a whole tag
// that meets more or fewer entries than there are records. Such an index is rebuilt and
// the read goes on; where the disk refuses the rebuild, the table is read without it.

namespace
{

QString keyText(const TextCodec &codec, const char *key, int length)
{
    return codec.toUnicode(key, length).trimmed();
}

// A message of the engine as a sentence that another can follow.
QString sentence(const QString &message)
{
    return message.endsWith(QLatin1Char('.')) ? message : message + QLatin1Char('.');
}

} // namespace

DbStatus DbfTable::Impl::damaged(const QString &reason) const
{
    return { DbStatus::BadIndex,
        QCoreApplication::translate("Store", "Index file  '%1'  cannot be used: %2.")
            .arg(mdxPath, reason) };
}

DbStatus DbfTable::Impl::takeEntry(DbfPosition &p, const DbStatus &st)
{
    p.recno = 0;
    if (!st || !p.cursor.isValid())
        return st;
    const quint32 recno = p.cursor.recno();
    if (recno > file.count())
        return damaged(
            QCoreApplication::translate("Store", "order %1 holds an entry for record %2 of %3")
                .arg(QString::fromLatin1(tags[size_t(order)].name))
                .arg(recno)
                .arg(file.count()));
    p.recno = recno;
    return {};
}

DbStatus DbfTable::Impl::checkKey(const DbfPosition &p)
{
    if (!fromIndex())
        return {};
    const DbfTagRuntime &t = tags[size_t(order)];
    const char *stored = p.cursor.key().constData();
    if (t.expr.matches(p.rec.constData(), stored))
        return {};
    const int length = t.expr.length();
    t.expr.evaluate(p.rec.constData(), keyB.data());
    return damaged(QCoreApplication::translate(
        "Store", "order %1 files record %2 under \"%3\", but its key is \"%4\"")
                       .arg(QString::fromLatin1(t.name))
                       .arg(p.recno)
                       .arg(keyText(choices.codec(), stored, length),
                           keyText(choices.codec(), keyB.constData(), length)));
}

DbStatus DbfTable::Impl::ownEntry(const MdxIndex::Cursor &c, quint32 recno) const
{
    const DbfTagRuntime &t = tags[size_t(order)];
    if (c.isValid() && c.recno() == recno
        && std::memcmp(c.key().constData(), keyA.constData(), size_t(t.expr.length())) == 0)
        return {};
    return damaged(
        QCoreApplication::translate("Store", "order %1 has no entry for record %2 under its key")
            .arg(QString::fromLatin1(t.name))
            .arg(recno));
}

DbStatus DbfTable::Impl::walkSpoiled(const QString &cause) const
{
    return { DbStatus::Corrupt,
        QCoreApplication::translate("Store",
            "%1 A walk over order %2 of \"%3\" has handed out a wrong set of "
            "records; the index has been rebuilt: repeat the walk.")
            .arg(cause, QString::fromLatin1(tags[size_t(order)].name), file.path()) };
}

// A whole walk that met a wrong number of entries has already handed out its records: it
// cannot go on from here as if nothing was missed, so it fails once the index is mended.
DbStatus DbfTable::Impl::endOfWalk()
{
    const bool whole = walk.active && !walk.ranged;
    walk.active = false;
    if (!whole || (walk.entries == walk.records && walk.records == file.count()))
        return {};
    const DbStatus cause
        = damaged(QCoreApplication::translate("Store", "order %1 holds %2 entries for %3 records")
                      .arg(QString::fromLatin1(tags[size_t(order)].name))
                      .arg(walk.entries)
                      .arg(walk.records));
    if (DbStatus st = repairIndex(cause); !st)
        return st;
    return walkSpoiled(cause.message());
}

// Every entry a walk counted is a record under its own key, in key order and in range, so
// it is one that the mended index holds between the walk's start and the current record:
// the walk has missed none of those exactly when it counted as many as there are.
DbStatus DbfTable::Impl::checkWalked()
{
    const bool forward = walk.forward;
    quint32 entries = 0;
    bool reached = false;
    DbStatus st = startAt(scan, !forward);
    while (st && scan.recno && !reached) {
        const int r = rangeCompare(scan);
        if (forward ? r > 0 : r < 0)
            break;
        entries += r == 0 ? 1 : 0;
        reached = scan.recno == cur.recno;
        if (!reached)
            st = step(scan, forward);
    }
    if (!st || (reached && entries == walk.entries))
        return st;
    walk.active = false;
    return walkSpoiled(
        QCoreApplication::translate("Store", "It met %1 records where %2 lie on its way.")
            .arg(walk.entries)
            .arg(entries));
}

// A step that meets damage has the index mended and steps again from the current record,
// once the records handed out so far are known to be those the mended index gives.
DbStatus DbfTable::Impl::moveTrusting(bool forward)
{
    const DbStatus st = move(forward);
    if (st.code() != DbStatus::BadIndex || !mdx)
        return st;
    const bool walking = walk.active && walk.forward == forward && walk.last == cur.recno
        && walk.records == file.count();
    if (DbStatus repaired = repairIndex(st); !repaired)
        return repaired;
    if (walking)
        if (DbStatus walked = checkWalked(); !walked)
            return walked;
    return move(forward);
}

DbStatus DbfTable::Impl::repairIndex(const DbStatus &cause)
{
    tell(QCoreApplication::translate("Store", "%1 It is rebuilt from the table.")
             .arg(sentence(cause.message())));
    const DbStatus st = rebuildIndex();
    return st.code() == DbStatus::IoError ? readWithoutIndex(st) : st;
}

DbStatus DbfTable::Impl::readWithoutIndex(const DbStatus &cause)
{
    if (mdx) {
        mdx->close();
        mdx.reset();
    }
    unindexed = true;
    unindexedCause = cause;
    memory = DbfMemoryOrder();
    cursorStale = true;
    tell(QCoreApplication::translate("Store",
        "The index \"%1\" must be rebuilt and cannot be: %2 The table is read "
        "without it and cannot change; the index will be rebuilt when there "
        "is room.")
             .arg(mdxPath, sentence(cause.message())));
    return {};
}

DbStatus DbfTable::Impl::refuseChange() const
{
    return { DbStatus::IoError,
        QCoreApplication::translate(
            "Store", "Table \"%1\" cannot change until its index is rebuilt: %2")
            .arg(file.path(), unindexedCause.message()) };
}

void DbfTable::Impl::tell(const QString &message) const
{
    if (notice)
        notice(message);
}

void DbfTable::setNoticeHandler(std::function<void(const QString &)> handler)
{
    d->notice = std::move(handler);
}

bool DbfTable::readsWithoutIndex() const
{
    return d->unindexed;
}

// ---- orders kept in memory ----

DbStatus DbfTable::Impl::buildMemoryOrder()
{
    if (memory.built && memory.order == order)
        return {};
    memory = DbfMemoryOrder(); // the old order's memory goes before the new one is taken
    const KeyExpr &expr = tags[size_t(order)].expr;
    const size_t length = size_t(expr.length());
    QByteArray keys;
    std::vector<quint32> recnos;
    QByteArray key(qsizetype(length), ' ');
    DbStatus st = file.scan([&](quint32 recno, const char *rec) {
        expr.evaluate(rec, key.data());
        keys.append(key);
        recnos.push_back(recno);
        return DbStatus();
    });
    if (!st)
        return st;
    // The scan hands out ascending record numbers, so a stable sort by key alone puts equal
    // keys in record-number order.
    std::vector<quint32> sorted(recnos.size());
    std::iota(sorted.begin(), sorted.end(), quint32(0));
    const char *base = keys.constData();
    std::stable_sort(sorted.begin(), sorted.end(), [&](quint32 a, quint32 b) {
        return std::memcmp(base + a * length, base + b * length, length) < 0;
    });
    memory.order = order;
    memory.keyLength = int(length);
    memory.recnos.reserve(sorted.size());
    memory.keys.reserve(keys.size());
    for (quint32 i : sorted) {
        memory.recnos.push_back(recnos[i]);
        memory.keys.append(base + i * length, qsizetype(length));
    }
    memory.built = true;
    return {};
}

// The first place in the order in memory not less than (key, recno).
quint32 DbfTable::Impl::memoryPlace(const char *key, quint32 recno) const
{
    const size_t length = size_t(memory.keyLength);
    quint32 lo = 0;
    quint32 hi = quint32(memory.recnos.size());
    while (lo < hi) {
        const quint32 mid = lo + (hi - lo) / 2;
        const int c = std::memcmp(memory.key(mid), key, length);
        if (c < 0 || (c == 0 && memory.recnos[mid] < recno))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// As startAt() in a tag: the first entry, the last, or the bounds of the range.
DbStatus DbfTable::Impl::memoryStart(DbfPosition &p, bool atEnd)
{
    p.recno = 0;
    if (DbStatus st = buildMemoryOrder(); !st)
        return st;
    const quint32 n = quint32(memory.recnos.size());
    quint32 at = atEnd ? n : 0;
    if (ranged)
        at = atEnd ? memoryPlace(high.constData(), 0xFFFFFFFFu) : memoryPlace(low.constData(), 0);
    if (atEnd && at == 0)
        return {};
    p.slot = atEnd ? at - 1 : at;
    p.recno = p.slot < n ? memory.recnos[p.slot] : 0;
    return {};
}

// A position whose record is not the one at its place stands just before that place.
void DbfTable::Impl::memoryStep(DbfPosition &p, bool forward) const
{
    const size_t n = memory.recnos.size();
    const bool onPlace = p.slot < n && memory.recnos[p.slot] == p.recno;
    size_t to = p.slot;
    if (forward)
        to += onPlace ? 1 : 0;
    else
        to = to == 0 ? n : to - 1;
    p.recno = to < n ? memory.recnos[to] : 0;
    if (to < n)
        p.slot = quint32(to);
}

DbStatus DbfTable::Impl::memoryPosition(DbfPosition &p, quint32 recno)
{
    if (DbStatus st = buildMemoryOrder(); !st)
        return st;
    tags[size_t(order)].expr.evaluate(p.rec.constData(), keyA.data());
    p.slot = memoryPlace(keyA.constData(), recno);
    return {};
}
