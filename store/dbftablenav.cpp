#include "dbftableimpl.h"

#include <cstring>

#include <QCoreApplication>

namespace
{

QByteArray padded(const QByteArray &key, int length)
{
    QByteArray out = key.left(length);
    out.append(QByteArray(length - out.size(), ' '));
    return out;
}

} // namespace

const char *DbfTable::Impl::currentRecord() const
{
    if (state == State::Edit || state == State::Insert)
        return editBuf.constData();
    return cur.recno ? cur.rec.constData() : nullptr;
}

// Keys and bounds have the order's key length; they compare as unsigned bytes.
int DbfTable::Impl::rangeCompare(const DbfPosition &p) const
{
    if (physical() || !ranged)
        return 0;
    const char *key = inMemory() ? memory.key(p.slot) : p.cursor.key().constData();
    const size_t length = size_t(low.size());
    if (std::memcmp(key, low.constData(), length) < 0)
        return -1;
    return std::memcmp(key, high.constData(), length) > 0 ? 1 : 0;
}

bool DbfTable::Impl::acceptable(DbfPosition &p)
{
    if (p.rec.isEmpty() || p.rec[0] == dbf::kDeleted)
        return false;
    if (!filter)
        return true;
    // The filter reads the table's current record, so the candidate stands in for it.
    std::swap(cur, p);
    const bool ok = filter(*q);
    std::swap(cur, p);
    return ok;
}

DbStatus DbfTable::Impl::load(DbfPosition &p)
{
    return file.read(p.recno, p.rec.data());
}

// Before a forward walk in a tag order reads from the file, the records of the next
// entries (within the range) are read in one request where they lie close together.
void DbfTable::Impl::readAhead(const DbfPosition &p)
{
    constexpr quint32 kAhead = 128;
    if (inMemory()) {
        const auto from = memory.recnos.begin() + p.slot;
        ahead.assign(from, from + std::min<size_t>(kAhead, memory.recnos.size() - p.slot));
    } else {
        mdx->peekRecnos(p.cursor, ranged ? high : QByteArray(), int(kAhead), ahead);
    }
    file.readAhead(ahead);
}

DbStatus DbfTable::Impl::startAt(DbfPosition &p, bool atEnd)
{
    if (physical()) {
        p.recno = atEnd ? file.count() : (file.count() ? 1 : 0);
        return {};
    }
    if (inMemory())
        return memoryStart(p, atEnd);
    const int tag = tags[size_t(order)].mdxTag;
    DbStatus st;
    if (!ranged) {
        st = atEnd ? mdx->last(tag, p.cursor) : mdx->first(tag, p.cursor);
    } else if (!atEnd) {
        st = mdx->seek(tag, low, 0, p.cursor);
    } else {
        st = mdx->seek(tag, high, 0xFFFFFFFFu, p.cursor);
        if (st)
            st = p.cursor.isValid() ? mdx->prior(p.cursor) : mdx->last(tag, p.cursor);
    }
    return takeEntry(p, st);
}

DbStatus DbfTable::Impl::step(DbfPosition &p, bool forward)
{
    if (physical()) {
        if (forward)
            p.recno = p.recno < file.count() ? p.recno + 1 : 0;
        else
            p.recno = p.recno > 1 ? p.recno - 1 : 0;
        return {};
    }
    if (inMemory()) {
        memoryStep(p, forward);
        return {};
    }
    return takeEntry(p, forward ? mdx->next(p.cursor) : mdx->prior(p.cursor));
}

DbStatus DbfTable::Impl::seekVisible(DbfPosition &p, bool forward, bool &found, quint32 *tally)
{
    found = false;
    while (p.recno) {
        const int r = rangeCompare(p);
        if (forward ? r > 0 : r < 0)
            return {};
        if (r == 0) {
            if (forward && !physical() && !file.holds(p.recno))
                readAhead(p);
            if (DbStatus st = load(p); !st)
                return st;
            if (DbStatus st = checkKey(p); !st)
                return st;
            if (tally)
                ++*tally;
            if (acceptable(p)) {
                found = true;
                return {};
            }
        }
        if (DbStatus st = step(p, forward); !st)
            return st;
    }
    return {};
}

DbStatus DbfTable::Impl::positionOn(DbfPosition &p, quint32 recno, const char *rec)
{
    p.recno = recno;
    if (rec)
        std::memcpy(p.rec.data(), rec, size_t(p.rec.size()));
    else if (DbStatus st = load(p); !st)
        return st;
    if (physical())
        return {};
    if (inMemory()) {
        DbStatus st = memoryPosition(p, recno);
        p.recno = st && p.slot < memory.recnos.size() ? memory.recnos[p.slot] : 0;
        return st;
    }
    const DbfTagRuntime &t = tags[size_t(order)];
    t.expr.evaluate(p.rec.constData(), keyA.data());
    return takeEntry(p, mdx->seek(t.mdxTag, keyA, recno, p.cursor));
}

DbStatus DbfTable::Impl::reseekCurrent()
{
    if (physical() || !cursorStale || !cur.recno)
        return {};
    cursorStale = false;
    if (inMemory())
        return memoryPosition(cur, cur.recno);
    const DbfTagRuntime &t = tags[size_t(order)];
    t.expr.evaluate(cur.rec.constData(), keyA.data());
    DbStatus st = mdx->seek(t.mdxTag, keyA, cur.recno, cur.cursor);
    return st ? ownEntry(cur.cursor, cur.recno) : st;
}

void DbfTable::Impl::becomeCurrent(DbfPosition &p)
{
    std::swap(cur, p);
    cursorStale = false;
    bof = eof = false;
}

void DbfTable::Impl::clearCurrent()
{
    cur.recno = 0;
    bof = eof = true;
}

DbStatus DbfTable::Impl::settleNear(quint32 recno, const char *rec)
{
    if (DbStatus st = positionOn(scan, recno, rec); !st)
        return st;
    const bool exact = scan.recno == recno;
    if (exact && rangeCompare(scan) == 0 && acceptable(scan)) {
        becomeCurrent(scan);
        return {};
    }
    // The old current position is no longer needed: it keeps a copy for the way back.
    cur.recno = scan.recno;
    cur.cursor = scan.cursor;
    cur.slot = scan.slot;
    bool found = false;
    if (exact || physical()) {
        scan.recno = recno;
        if (DbStatus st = step(scan, true); !st)
            return st;
    }
    if (DbStatus st = seekVisible(scan, true, found); !st || found) {
        if (found)
            becomeCurrent(scan);
        return st;
    }
    scan.recno = cur.recno;
    scan.cursor = cur.cursor;
    scan.slot = cur.slot;
    DbStatus st;
    if (physical()) {
        scan.recno = recno;
        st = step(scan, false);
    } else if (scan.recno) {
        st = step(scan, false);
    } else {
        st = startAt(scan, true);
    }
    if (st)
        st = seekVisible(scan, false, found);
    if (found)
        becomeCurrent(scan);
    else
        clearCurrent();
    return st;
}

DbStatus DbfTable::Impl::ensureBrowse()
{
    if (state == State::Edit || state == State::Insert)
        if (DbStatus st = q->post(); !st)
            return st;
    return state == State::Closed ? notOpen() : applyPending();
}

DbStatus DbfTable::setOrder(const QByteArray &tagName)
{
    if (DbStatus st = d->ensureBrowse(); !st)
        return st;
    int found = -1;
    const QByteArray upper = tagName.toUpper();
    for (size_t i = 0; i < d->tags.size(); ++i)
        if (d->tags[i].name == upper)
            found = int(i);
    if (!tagName.isEmpty() && found < 0)
        return { DbStatus::InvalidArgument,
            QCoreApplication::translate("Store", "Table \"%1\" has no order \"%2\".")
                .arg(path(), QString::fromLatin1(tagName)) };
    d->order = found;
    d->ranged = false;
    return first();
}

QByteArray DbfTable::order() const
{
    return d->order < 0 ? QByteArray() : d->tags[size_t(d->order)].name;
}

DbStatus DbfTable::setRange(const QByteArray &low, const QByteArray &high)
{
    if (DbStatus st = d->ensureBrowse(); !st)
        return st;
    if (d->physical())
        return { DbStatus::InvalidArgument,
            QCoreApplication::translate(
                "Store", "A range needs an order; table \"%1\" is in physical order.")
                .arg(path()) };
    const int length = d->tags[size_t(d->order)].expr.length();
    d->low = padded(low, length);
    d->high = padded(high, length);
    d->ranged = true;
    return first();
}

DbStatus DbfTable::cancelRange()
{
    if (DbStatus st = d->ensureBrowse(); !st)
        return st;
    d->ranged = false;
    d->walk.active = false; // what it counted was the range's
    if (!d->cur.recno)
        return first();
    d->bof = d->eof = false;
    return {};
}

bool DbfTable::hasRange() const
{
    return d->ranged;
}

void DbfTable::setFilter(std::function<bool(const DbfTable &)> filter)
{
    d->filter = std::move(filter);
}

bool DbfTable::hasFilter() const
{
    return bool(d->filter);
}

DbStatus DbfTable::first()
{
    return d->trusting([this] { return d->toEnd(false); });
}

DbStatus DbfTable::last()
{
    return d->trusting([this] { return d->toEnd(true); });
}

DbStatus DbfTable::Impl::toEnd(bool atEnd)
{
    if (DbStatus st = ensureBrowse(); !st)
        return st;
    walk = DbfWalkTally();
    walk.active = !physical();
    walk.ranged = ranged;
    walk.forward = !atEnd;
    walk.records = file.count();
    bool found = false;
    DbStatus st = startAt(scan, atEnd);
    if (st)
        st = seekVisible(scan, !atEnd, found, walk.active ? &walk.entries : nullptr);
    if (!found) {
        clearCurrent();
        return st ? endOfWalk() : st;
    }
    becomeCurrent(scan);
    walk.last = cur.recno;
    (atEnd ? eof : bof) = true;
    return {};
}

DbStatus DbfTable::Impl::move(bool forward)
{
    if (DbStatus st = ensureBrowse(); !st)
        return st;
    if (!cur.recno) {
        bof = eof = true;
        return {};
    }
    if (DbStatus st = reseekCurrent(); !st)
        return st;
    walk.active = walk.active && walk.forward == forward && walk.last == cur.recno
        && walk.records == file.count();
    // The cursor moves over to the scan instead of being copied, so that its key buffer
    // stays unshared and a step costs no allocation; it is found again by its key only
    // when no record follows.
    scan.recno = cur.recno;
    scan.slot = cur.slot;
    std::swap(scan.cursor, cur.cursor);
    bool found = false;
    DbStatus st = step(scan, forward);
    if (st)
        st = seekVisible(scan, forward, found, walk.active ? &walk.entries : nullptr);
    if (found) {
        becomeCurrent(scan);
        walk.last = cur.recno;
        return st;
    }
    cursorStale = true;
    (forward ? eof : bof) = true;
    (forward ? bof : eof) = false;
    return st ? endOfWalk() : st;
}

DbStatus DbfTable::next()
{
    return d->moveTrusting(true);
}

DbStatus DbfTable::prior()
{
    return d->moveTrusting(false);
}

bool DbfTable::bof() const
{
    return d->bof;
}

bool DbfTable::eof() const
{
    return d->eof;
}

qint64 DbfTable::recNo() const
{
    if (d->state == State::Insert || !d->cur.recno)
        return -1;
    return d->cur.recno;
}

DbStatus DbfTable::goTo(quint32 recno)
{
    return d->trusting([this, recno] { return d->goTo(recno); });
}

DbStatus DbfTable::Impl::goTo(quint32 recno)
{
    if (DbStatus st = ensureBrowse(); !st)
        return st;
    const DbStatus none(DbStatus::NoRecord,
        QCoreApplication::translate("Store", "Record %1 of table \"%2\" is not visible.")
            .arg(recno)
            .arg(file.path()));
    if (recno < 1 || recno > file.count())
        return none;
    if (DbStatus st = positionOn(scan, recno, nullptr); !st)
        return st;
    if (fromIndex())
        if (DbStatus st = ownEntry(scan.cursor, recno); !st)
            return st;
    if (scan.recno != recno || rangeCompare(scan) != 0 || !acceptable(scan))
        return none;
    becomeCurrent(scan);
    return {};
}
