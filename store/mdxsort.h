#pragma once

#include "mdxindex.h"

#include <QFile>

#include <functional>
#include <future>
#include <vector>

// The entries of every tag of an index being built, taken in any order and handed back in
// (key, recno) order, in bounded memory. Entries are held in memory up to half the budget;
// when that is full, every tag's entries are sorted and written as one run per tag to a
// scratch file, on a thread of its own while the next half fills, and the runs are merged
// when the entries are read back. An index whose entries fit the budget never touches the
// disk here. The scratch file (mdxformat.md, "Build") is removed when the sorter goes; one
// left by a process that stopped is removed at the next open.
//
// The keys of one record often begin alike in every tag (the catalogue's all begin with
// DIR). Given that shared lead, the sorter keeps each lead once, in a dictionary, sorts the
// records by lead once for all tags, and each tag only within a lead.
class MdxKeySorter
{
public:
    // Held in memory at most (keys and record numbers of all tags), besides a few buffers.
    static constexpr qint64 kDefaultBudget = 32 * 1024 * 1024;

    // sharedLead: how many leading bytes the keys of one record share in every tag, as
    // addRecord() gives them (0: none).
    MdxKeySorter(const std::vector<int> &keyLengths, const QString &scratchPath, int sharedLead = 0,
        qint64 budget = kDefaultBudget);
    ~MdxKeySorter(); // waits for the runs being written
    MdxKeySorter(const MdxKeySorter &) = delete;
    MdxKeySorter &operator=(const MdxKeySorter &) = delete;

    int tagCount() const { return int(m_lengths.size()); }
    int keyLength(int tag) const { return m_lengths[size_t(tag)]; }
    quint64 count(int tag) const { return m_counts[size_t(tag)]; }

    // The entries of every tag of one record, keys one after another in tag order.
    // IoError when a run cannot be written.
    DbStatus addRecord(const char *keys, quint32 recno);
    // Takes over a whole list (emptied) for one tag. Only without a shared lead.
    DbStatus addList(int tag, MdxKeyList &list);

    // After the last add: the runs are all written. Needed before read().
    DbStatus finish();
    // Calls visit for every entry of the tag, in (key, recno) order. Once per tag, in any
    // order of tags; different tags may be read on different threads at once. A failure
    // of visit stops the walk and is returned.
    DbStatus read(int tag, const std::function<DbStatus(const char *key, quint32 recno)> &visit);

private:
    // The entries held in memory, in one of two forms.
    struct Held {
        // Without a shared lead: one list per tag.
        std::vector<MdxKeyList> lists;
        // With one: a row per record (number of its lead, record number, each tag's key
        // without the lead), the leads one after another by number, and a hash of them.
        QByteArray rows;
        quint32 rowCount = 0;
        QByteArray leads;
        quint32 leadCount = 0;
        std::vector<quint32> buckets; // lead number + 1, 0 for a free bucket
        // Filled by group(): the rows by lead in lead order, and where each lead's end.
        std::vector<quint32> order;
        std::vector<quint32> groupEnds;
        qint64 bytes() const;
        void clear();
    };
    struct Run {
        qint64 offset = 0;
        qint64 bytes = 0;
    };
    using Visit = std::function<DbStatus(const char *key, quint32 recno)>;

    DbStatus add(int tag, const char *key, quint32 recno);
    quint32 leadNumber(Held &h, const char *lead);
    void group(Held &h) const;
    DbStatus sorted(const Held &h, int tag, const Visit &visit) const;
    DbStatus spill();
    DbStatus writeRuns(Held &h);
    DbStatus writeRun(int tag, const Held &h);
    DbStatus openScratch();
    DbStatus merge(int tag, const Visit &visit) const;
    bool empty(const Held &h, int tag) const;

    std::vector<int> m_lengths;
    std::vector<quint64> m_counts;
    std::vector<std::vector<Run>> m_runs; // per tag
    int m_lead = 0;
    int m_rowLength = 0; // with a shared lead
    Held m_held; // entries not yet in a run
    Held m_spilling; // entries being written as runs
    std::future<DbStatus> m_job; // writing m_spilling
    QString m_scratchPath;
    QFile m_scratch;
    qint64 m_half = kDefaultBudget / 2;
    qint64 m_end = 0; // of the runs written
    qint64 m_perRecord = 0; // bytes held per record of every tag, without a shared lead
};

namespace mdx
{
// The entry numbers of list in (key, recno) order.
std::vector<quint32> sortedEntries(const MdxKeyList &list);

// Sorting entry numbers by (key, recno) through the keys themselves makes every comparison
// two visits to scattered keys, mostly over long equal prefixes (the folder part). Instead
// the entries are sorted by eight key bytes at a time, held beside the entry number, and
// only runs that tie on those bytes go on to the next eight.
struct SortItem {
    quint64 chunk;
    quint32 entry;
};
// Rows of a fixed length: row e's key at base + e * stride + keyOffset, its record number
// (4 bytes, little-endian) at base + e * stride + recnoOffset.
struct RowKeys {
    const char *base = nullptr;
    qsizetype stride = 0;
    int keyOffset = 0;
    int keyLength = 0;
    int recnoOffset = 0;
};
// Sorts the row numbers in [begin, end) by (key, recno); scratch is reused between calls.
void sortRows(quint32 *begin, quint32 *end, const RowKeys &rows, std::vector<SortItem> &scratch);
// Runs work on a thread of its own where the machine has a processor to spare (else when
// the result is asked for).
std::future<DbStatus> runAside(const std::function<DbStatus()> &work);
} // namespace mdx
