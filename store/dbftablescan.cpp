#include "dbftableimpl.h"

#include <cstring>
#include <utility>

DbStatus DbfTable::scanVisible(
    const std::function<void(quint32 recno, const char *rec)> &visit, Progress *progress)
{
    if (DbStatus st = d->ensureBrowse(); !st)
        return st;
    const int length = d->file.recordLength();
    // The filter reads the table's current record, so each candidate stands in for it
    // while it is asked; the current record is back in place before visit sees anything.
    DbfPosition candidate;
    candidate.rec = QByteArray(length, ' ');
    const auto accepted = [&](quint32 recno, const char *rec) {
        if (!d->filter)
            return true;
        std::memcpy(candidate.rec.data(), rec, size_t(length));
        candidate.recno = recno;
        std::swap(d->cur.rec, candidate.rec);
        std::swap(d->cur.recno, candidate.recno);
        const bool ok = d->filter(*this);
        std::swap(d->cur.rec, candidate.rec);
        std::swap(d->cur.recno, candidate.recno);
        return ok;
    };
    return d->file.scan(
        [&](quint32 recno, const char *rec) -> DbStatus {
            if (rec[0] != dbf::kDeleted && accepted(recno, rec))
                visit(recno, rec);
            return {};
        },
        progress);
}
