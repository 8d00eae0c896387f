#include "dbftableimpl.h"

#include <cstring>

namespace
{

// Compares a stored key with a bound of the key length, byte by byte as unsigned values.
int compareKey(const QByteArray &key, const QByteArray &bound)
{
    const int n = int(std::min(key.size(), bound.size()));
    const int c = std::memcmp(key.constData(), bound.constData(), size_t(n));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

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

int DbfTable::Impl::rangeCompare(const DbfPosition &p) const
{
    if (physical() || !ranged)
        return 0;
    if (compareKey(p.cursor.key(), low) < 0)
        return -1;
    return compareKey(p.cursor.key(), high) > 0 ? 1 : 0;
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
    constexpr int kAhead = 128;
    mdx->peekRecnos(p.cursor, ranged ? high : QByteArray(), kAhead, ahead);
    file.readAhead(ahead);
}

DbStatus DbfTable::Impl::startAt(DbfPosition &p, bool atEnd)
{
    if (physical()) {
        p.recno = atEnd ? file.count() : (file.count() ? 1 : 0);
        return {};
    }
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
    p.recno = st && p.cursor.isValid() ? p.cursor.recno() : 0;
    return st;
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
    DbStatus st = forward ? mdx->next(p.cursor) : mdx->prior(p.cursor);
    p.recno = st && p.cursor.isValid() ? p.cursor.recno() : 0;
    return st;
}

DbStatus DbfTable::Impl::seekVisible(DbfPosition &p, bool forward, bool &found)
{
    found = false;
    // A sound tag holds each record once; a damaged one must not walk us in circles.
    quint64 budget = 2 * quint64(file.count()) + 1024;
    while (p.recno) {
        if (budget-- == 0)
            return { DbStatus::Corrupt,
                QStringLiteral("The index \"%1\" leads in a circle; reindex the table.")
                    .arg(mdxPath) };
        const int r = rangeCompare(p);
        if (forward ? r > 0 : r < 0)
            return {};
        // Entries that name no record of the table are skipped like deleted records.
        if (r == 0 && p.recno <= file.count()) {
            if (forward && !physical() && !file.holds(p.recno))
                readAhead(p);
            if (DbStatus st = load(p); !st)
                return st;
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
    const DbfTagRuntime &t = tags[size_t(order)];
    t.expr.evaluate(p.rec.constData(), keyA.data());
    DbStatus st = mdx->seek(t.mdxTag, keyA, recno, p.cursor);
    p.recno = st && p.cursor.isValid() ? p.cursor.recno() : 0;
    return st;
}

DbStatus DbfTable::Impl::reseekCurrent()
{
    if (physical() || !cursorStale || !cur.recno)
        return {};
    const DbfTagRuntime &t = tags[size_t(order)];
    t.expr.evaluate(cur.rec.constData(), keyA.data());
    cursorStale = false;
    return mdx->seek(t.mdxTag, keyA, cur.recno, cur.cursor);
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
            QStringLiteral("Table \"%1\" has no order \"%2\".")
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
        return {
            DbStatus::InvalidArgument,
            QStringLiteral("A range needs an order; table \"%1\" is in physical order.").arg(path())
        };
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
    if (DbStatus st = d->ensureBrowse(); !st)
        return st;
    bool found = false;
    DbStatus st = d->startAt(d->scan, false);
    if (st)
        st = d->seekVisible(d->scan, true, found);
    if (!found) {
        d->clearCurrent();
        return st;
    }
    d->becomeCurrent(d->scan);
    d->bof = true;
    return {};
}

DbStatus DbfTable::last()
{
    if (DbStatus st = d->ensureBrowse(); !st)
        return st;
    bool found = false;
    DbStatus st = d->startAt(d->scan, true);
    if (st)
        st = d->seekVisible(d->scan, false, found);
    if (!found) {
        d->clearCurrent();
        return st;
    }
    d->becomeCurrent(d->scan);
    d->eof = true;
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
    // The cursor moves over to the scan instead of being copied, so that its key buffer
    // stays unshared and a step costs no allocation; it is found again by its key only
    // when no record follows.
    scan.recno = cur.recno;
    std::swap(scan.cursor, cur.cursor);
    bool found = false;
    DbStatus st = step(scan, forward);
    if (st)
        st = seekVisible(scan, forward, found);
    if (found) {
        becomeCurrent(scan);
        return st;
    }
    cursorStale = true;
    (forward ? eof : bof) = true;
    (forward ? bof : eof) = false;
    return st;
}

DbStatus DbfTable::next()
{
    return d->move(true);
}

DbStatus DbfTable::prior()
{
    return d->move(false);
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
    if (DbStatus st = d->ensureBrowse(); !st)
        return st;
    const DbStatus none(DbStatus::NoRecord,
        QStringLiteral("Record %1 of table \"%2\" is not visible.").arg(recno).arg(path()));
    if (recno < 1 || recno > d->file.count())
        return none;
    if (DbStatus st = d->positionOn(d->scan, recno, nullptr); !st)
        return st;
    if (d->scan.recno != recno || d->rangeCompare(d->scan) != 0 || !d->acceptable(d->scan))
        return none;
    d->becomeCurrent(d->scan);
    return {};
}
