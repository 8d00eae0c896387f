#include "dbftableimpl.h"

#include <algorithm>
#include <cstring>

#include <QCoreApplication>

QByteArray DbfTable::fieldBytes(int field) const
{
    const char *rec = d->currentRecord();
    if (!rec || field < 0 || field >= int(fields().size()))
        return {};
    const DbfField &f = fields()[size_t(field)];
    const char *data = rec + 1 + f.offset;
    return QByteArray(data, dbf::trimmedLength(data, f.width));
}

QString DbfTable::fieldText(int field) const
{
    return codec().toUnicode(fieldBytes(field));
}

QDate DbfTable::fieldDate(int field) const
{
    const char *rec = d->currentRecord();
    if (!rec || field < 0 || field >= int(fields().size()))
        return {};
    const DbfField &f = fields()[size_t(field)];
    return f.type == 'D' ? dbf::decodeDate(rec + 1 + f.offset, f.width) : QDate();
}

void DbfTable::setFieldBytes(int field, const QByteArray &ansi)
{
    if ((d->state != State::Edit && d->state != State::Insert) || field < 0
        || field >= int(fields().size()))
        return;
    const DbfField &f = fields()[size_t(field)];
    char *data = d->editBuf.data() + 1 + f.offset;
    const int n = int(std::min<qsizetype>(ansi.size(), f.width));
    std::memcpy(data, ansi.constData(), size_t(n));
    std::memset(data + n, ' ', size_t(f.width - n));
}

void DbfTable::setFieldText(int field, const QString &text)
{
    QByteArray bytes = codec().fromUnicode(text);
    if (field >= 0 && field < int(fields().size()))
        bytes.truncate(
            codec().fitLength(bytes.constData(), int(bytes.size()), fields()[size_t(field)].width));
    setFieldBytes(field, bytes);
}

void DbfTable::setFieldDate(int field, const QDate &date)
{
    if ((d->state != State::Edit && d->state != State::Insert) || field < 0
        || field >= int(fields().size()) || fields()[size_t(field)].type != 'D')
        return;
    const DbfField &f = fields()[size_t(field)];
    dbf::encodeDate(date, d->editBuf.data() + 1 + f.offset, f.width);
}

QByteArray DbfTable::recordBytes() const
{
    const char *rec = d->currentRecord();
    return rec ? QByteArray(rec, d->file.recordLength()) : QByteArray();
}

const char *DbfTable::recordData() const
{
    return d->currentRecord();
}

int DbfTable::recordLength() const
{
    return isOpen() ? d->file.recordLength() : 0;
}

bool DbfTable::isDeleted() const
{
    const char *rec = d->currentRecord();
    return rec && rec[0] == dbf::kDeleted;
}

DbStatus DbfTable::append()
{
    // Unlike the other calls that leave an edit, appending needs nothing of the index, so
    // the keys of earlier appends may stay pending.
    if (d->state == State::Edit || d->state == State::Insert) {
        if (DbStatus st = post(); !st)
            return st;
    } else if (d->state == State::Closed) {
        return d->notOpen();
    }
    if (d->unindexed)
        return d->refuseChange();
    if (d->hooks.beforeInsert && !d->hooks.beforeInsert())
        return { DbStatus::Refused,
            QCoreApplication::translate("Store", "A new record was refused.") };
    d->editBuf.fill(' ');
    d->state = State::Insert;
    return {};
}

DbStatus DbfTable::edit()
{
    if (d->state == State::Edit || d->state == State::Insert)
        return {};
    if (d->state == State::Closed)
        return d->notOpen();
    if (!d->cur.recno)
        return { DbStatus::NoRecord,
            QCoreApplication::translate("Store", "There is no record to edit.") };
    if (d->unindexed)
        return d->refuseChange();
    if (DbStatus st = d->applyPending(); !st)
        return st;
    if (d->hooks.beforeEdit)
        d->hooks.beforeEdit();
    std::memcpy(d->editBuf.data(), d->cur.rec.constData(), size_t(d->editBuf.size()));
    d->state = State::Edit;
    return {};
}

void DbfTable::cancel()
{
    if (d->state == State::Edit || d->state == State::Insert)
        d->state = State::Browse;
}

DbStatus DbfTable::post()
{
    if (d->state != State::Edit && d->state != State::Insert)
        return d->state == State::Closed ? d->notOpen() : DbStatus();
    // A hook that moves would post again from inside the post.
    if (d->posting)
        return { DbStatus::InvalidArgument,
            QCoreApplication::translate("Store", "Table \"%1\": a record is being posted.")
                .arg(path()) };
    d->posting = true;
    DbStatus st = d->hooks.beforePost ? d->hooks.beforePost() : DbStatus();
    if (st)
        st = d->state == State::Insert ? d->postInsert() : d->postEdit();
    d->posting = false;
    return st;
}

// Most records are appended in runs (an import, the new files of a folder), so their keys
// are held back and go into the tags in key order in one go, and the new record becomes
// current without being looked up in the index: it is found there again when a move needs
// its place. A record outside the range or the filter needs the index to find the record
// that takes its place, so the keys go in at once then.
//
// A run of appends that grows to a quarter of the table is better served by building the
// index anew from the table once the run ends: keys that come in no particular order (an
// import written by another program) land all over the tags, and inserting them batch by
// batch would visit most of the index for every batch. The keys are then no longer kept
// (the index is stale, and marked as changing on disk since the first append), and the
// next call that needs the index builds it, in bounded memory, whatever the run's length.
DbStatus DbfTable::Impl::postInsert()
{
    // At most this many records' keys wait, so that an import holds a bounded amount.
    constexpr quint32 kMostPending = 4096;
    if (DbStatus st = beginIndexChange(); !st)
        return st;
    if (DbStatus st = file.append(editBuf.constData()); !st)
        return st;
    const quint32 recno = file.count();
    state = State::Browse;
    ++appendRun;
    if (mdx && !tags.empty() && !indexStale) {
        for (size_t i = 0; i < tags.size(); ++i) {
            MdxKeyList &list = pending[i];
            const qsizetype at = list.keys.size();
            if (list.keys.capacity() < at + list.keyLength)
                list.keys.reserve(
                    std::max<qsizetype>(2 * list.keys.capacity(), 64 * list.keyLength));
            list.keys.resize(at + list.keyLength);
            tags[i].expr.evaluate(editBuf.constData(), list.keys.data() + at);
            list.recnos.push_back(recno);
        }
        ++pendingRecords;
    }
    DbStatus result;
    if (pendingRecords >= kMostPending) {
        if (quint64(appendRun) * 4 >= file.count()) {
            dropPending();
            indexStale = true;
        } else {
            result = insertBatch();
        }
    }
    if (result && visibleAppended(recno)) {
        becomeCurrent(scan);
        cursorStale = true; // its place in the order is looked up when a move needs it
        return {};
    }
    if (result)
        result = applyPending();
    cursorStale = true;
    DbStatus st = settleNear(recno, editBuf.constData());
    return result ? st : result;
}

// Whether the record just appended (in editBuf) lies in range and filter; it is then in
// scan, ready to become current.
bool DbfTable::Impl::visibleAppended(quint32 recno)
{
    if (!physical() && ranged) {
        const KeyExpr &expr = tags[size_t(order)].expr;
        const size_t len = size_t(expr.length());
        // The key waits among the pending ones, unless they have just gone in.
        const MdxKeyList &keys = pending[size_t(order)];
        const char *key = keyA.constData();
        if (!keys.recnos.empty() && keys.recnos.back() == recno)
            key = keys.keys.constData() + keys.keys.size() - qsizetype(len);
        else
            expr.evaluate(editBuf.constData(), keyA.data());
        if (std::memcmp(key, low.constData(), len) < 0
            || std::memcmp(key, high.constData(), len) > 0)
            return false;
    }
    scan.recno = recno;
    std::memcpy(scan.rec.data(), editBuf.constData(), size_t(scan.rec.size()));
    return acceptable(scan);
}

DbStatus DbfTable::Impl::postEdit()
{
    const quint32 recno = cur.recno;
    const size_t len = size_t(editBuf.size());
    if (std::memcmp(editBuf.constData(), cur.rec.constData(), len) == 0) {
        state = State::Browse;
        return {};
    }
    // edit() has put the keys of earlier appends in already; a failure leaves the edit open.
    if (DbStatus st = applyPending(); !st)
        return st;
    if (DbStatus st = file.write(recno, editBuf.constData()); !st)
        return st;
    state = State::Browse;
    DbStatus result;
    for (const DbfTagRuntime &t : tags) {
        t.expr.evaluate(cur.rec.constData(), keyA.data());
        t.expr.evaluate(editBuf.constData(), keyB.data());
        if (std::memcmp(keyA.constData(), keyB.constData(), size_t(t.expr.length())) == 0)
            continue;
        result = beginIndexChange();
        if (result)
            result = mdx->remove(t.mdxTag, keyA.constData(), recno);
        if (result)
            result = mdx->insert(t.mdxTag, keyB.constData(), recno);
        cursorStale = true;
        if (!result) {
            indexBroken = true;
            break;
        }
    }
    std::memcpy(cur.rec.data(), editBuf.constData(), len);
    DbStatus st = settleNear(recno, editBuf.constData());
    return result ? st : result;
}

DbStatus DbfTable::deleteRecord()
{
    if (d->state == State::Insert) {
        cancel(); // nothing was written yet
        return {};
    }
    cancel();
    if (d->state == State::Closed)
        return d->notOpen();
    if (!d->cur.recno)
        return { DbStatus::NoRecord,
            QCoreApplication::translate("Store", "There is no record to delete.") };
    if (d->unindexed)
        return d->refuseChange();
    if (DbStatus st = d->applyPending(); !st)
        return st;
    if (DbStatus st = d->file.writeFlag(d->cur.recno, dbf::kDeleted); !st)
        return st;
    d->cur.rec[0] = dbf::kDeleted;
    if (DbStatus st = d->reseekCurrent(); !st)
        return st;
    // The record keeps its place (its keys stay in the tags); its neighbours take over.
    for (bool forward : { true, false }) {
        d->scan.recno = d->cur.recno;
        d->scan.cursor = d->cur.cursor;
        d->scan.slot = d->cur.slot;
        bool found = false;
        DbStatus st = d->step(d->scan, forward);
        if (st)
            st = d->seekVisible(d->scan, forward, found);
        if (!st)
            return st;
        if (found) {
            d->becomeCurrent(d->scan);
            return {};
        }
    }
    d->clearCurrent();
    return {};
}
