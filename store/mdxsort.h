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
class MdxKeySorter
{
public:
    // Held in memory at most (keys and record numbers of all tags), besides a few buffers.
    static constexpr qint64 kDefaultBudget = 32 * 1024 * 1024;

    MdxKeySorter(const std::vector<int> &keyLengths, const QString &scratchPath,
        qint64 budget = kDefaultBudget);
    ~MdxKeySorter(); // waits for the runs being written
    MdxKeySorter(const MdxKeySorter &) = delete;
    MdxKeySorter &operator=(const MdxKeySorter &) = delete;

    int tagCount() const { return int(m_tags.size()); }
    int keyLength(int tag) const { return m_tags[size_t(tag)].keyLength; }
    quint64 count(int tag) const { return m_tags[size_t(tag)].count; }

    // key points to keyLength(tag) bytes. IoError when a run cannot be written.
    DbStatus add(int tag, const char *key, quint32 recno);
    // The entries of every tag of one record, keys one after another in tag order.
    DbStatus addRecord(const char *keys, quint32 recno);
    // Takes over a whole list (emptied) for one tag.
    DbStatus addList(int tag, MdxKeyList &list);

    // After the last add: the runs are all written. Needed before read().
    DbStatus finish();
    // Calls visit for every entry of the tag, in (key, recno) order. Once per tag, in any
    // order of tags; different tags may be read on different threads at once. A failure
    // of visit stops the walk and is returned.
    DbStatus read(int tag, const std::function<DbStatus(const char *key, quint32 recno)> &visit);

private:
    struct Run {
        qint64 offset = 0;
        qint64 bytes = 0;
    };
    struct Tag {
        int keyLength = 0;
        quint64 count = 0;
        std::vector<Run> runs;
    };
    using Lists = std::vector<MdxKeyList>; // one per tag
    DbStatus spill();
    DbStatus writeRuns(Lists &lists);
    DbStatus writeRun(int tag, MdxKeyList &list);
    DbStatus openScratch();
    DbStatus merge(const Tag &t, const std::function<DbStatus(const char *, quint32)> &visit);
    qint64 heldBytes() const;

    std::vector<Tag> m_tags;
    Lists m_held; // entries not yet in a run
    Lists m_spilling; // entries being written as runs
    std::future<DbStatus> m_job; // writing m_spilling
    QString m_scratchPath;
    QFile m_scratch;
    qint64 m_half = kDefaultBudget / 2;
    qint64 m_end = 0; // of the runs written
    qint64 m_perRecord = 0; // bytes held per record of every tag
};

namespace mdx
{
// The entry numbers of list in (key, recno) order.
std::vector<quint32> sortedEntries(const MdxKeyList &list);
// Runs work on a thread of its own where the machine has a processor to spare (else when
// the result is asked for).
std::future<DbStatus> runAside(const std::function<DbStatus()> &work);
} // namespace mdx
