#include "mdxsort.h"

#include "dbfio.h"
#include "mdxpage.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>

using namespace mdx;

namespace
{

// Runs are written and read back through buffers of about this size.
constexpr qint64 kRunBuffer = 1024 * 1024;
// The buffers of a merge together, and the least each run gets.
constexpr qint64 kMergeBuffers = 8 * 1024 * 1024;
constexpr qint64 kLeastRunBuffer = 16 * 1024;

// Sorting entry numbers by (key, recno) through the keys themselves makes every comparison
// two visits to scattered keys, mostly over long equal prefixes (the folder part). Instead
// the entries are sorted by eight key bytes at a time, held beside the entry number, and
// only runs that tie on those bytes go on to the next eight.
struct SortItem {
    quint64 chunk;
    quint32 entry;
};

// Eight key bytes from depth on as a number that orders as the bytes do (zero past the end).
quint64 chunkAt(const char *key, int len, int depth)
{
    quint64 v = 0;
    std::memcpy(&v, key + depth, size_t(std::min(8, len - depth)));
    return qFromBigEndian(v);
}

// How many leading bytes two keys share.
int commonPrefix(const char *a, const char *b, int len)
{
    int n = 0;
    for (; n + 8 <= len; n += 8) {
        quint64 x = 0, y = 0;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y)
            break;
    }
    while (n < len && a[n] == b[n])
        ++n;
    return n;
}

// How many leading bytes, in whole chunks, all keys of the run share with its first key.
int sharedPrefix(const SortItem *begin, const SortItem *end, const MdxKeyList &list, int depth)
{
    const int len = list.keyLength;
    const char *keys = list.keys.constData();
    const char *first = keys + size_t(begin->entry) * size_t(len);
    int shared = len / 8 * 8;
    for (const SortItem *it = begin + 1; it != end && shared > depth; ++it) {
        const char *key = keys + size_t(it->entry) * size_t(len);
        int d = depth;
        while (d < shared && std::memcmp(first + d, key + d, 8) == 0)
            d += 8;
        shared = d;
    }
    return std::max(shared, depth);
}

void refine(std::vector<SortItem> &items, size_t from, size_t to, const MdxKeyList &list, int depth)
{
    const int len = list.keyLength;
    const char *keys = list.keys.constData();
    const auto begin = items.begin() + qsizetype(from);
    const auto end = items.begin() + qsizetype(to);
    depth = sharedPrefix(&*begin, &*begin + (to - from), list, depth);
    for (; depth < len; depth += 8) {
        bool differ = false;
        for (auto it = begin; it != end; ++it) {
            it->chunk = chunkAt(keys + size_t(it->entry) * size_t(len), len, depth);
            differ = differ || it->chunk != begin->chunk;
        }
        if (differ)
            break;
    }
    if (depth >= len) { // equal keys: record-number order
        std::sort(begin, end, [&](const SortItem &a, const SortItem &b) {
            return list.recnos[a.entry] < list.recnos[b.entry];
        });
        return;
    }
    std::sort(begin, end, [](const SortItem &a, const SortItem &b) { return a.chunk < b.chunk; });
    for (size_t i = from; i < to;) {
        size_t j = i + 1;
        while (j < to && items[j].chunk == items[i].chunk)
            ++j;
        if (j - i > 1)
            refine(items, i, j, list, depth + 8);
        i = j;
    }
}

// A run in the scratch file is its entries in order, each written as the number of leading
// bytes its key shares with the key before it, the number of bytes that follow, those
// bytes, and the record number (4 bytes): sorted keys share long prefixes (the folder), so
// a run takes a fraction of the bytes its keys hold in memory.
constexpr int kMostEntryBytes = 2 + kMaxKeyLength + 4;

// One run of a merge: a window of its bytes in memory, refilled from the scratch file,
// and its current entry spelled out.
struct RunReader {
    qint64 offset = 0; // of the first byte not yet in the buffer
    qint64 left = 0; // bytes not yet in the buffer
    QByteArray buffer;
    int pos = 0; // of the next entry in the buffer
    char key[kMaxKeyLength];
    quint32 recno = 0;
};

} // namespace

// Entries already in order (records appended in key order) are taken as they are; the
// check stops at the first pair out of order.
std::vector<quint32> mdx::sortedEntries(const MdxKeyList &list)
{
    const size_t count = list.recnos.size();
    const size_t len = size_t(list.keyLength);
    const char *keys = list.keys.constData();
    std::vector<quint32> order(count);
    size_t i = 1;
    while (i < count
        && compareEntry(
               keys + (i - 1) * len, list.recnos[i - 1], keys + i * len, list.recnos[i], int(len))
            <= 0)
        ++i;
    if (i >= count) {
        for (size_t k = 0; k < count; ++k)
            order[k] = quint32(k);
        return order;
    }
    std::vector<SortItem> items(count);
    for (size_t k = 0; k < count; ++k)
        items[k].entry = quint32(k);
    refine(items, 0, count, list, 0);
    for (size_t k = 0; k < count; ++k)
        order[k] = items[k].entry;
    return order;
}

std::future<DbStatus> mdx::runAside(const std::function<DbStatus()> &work)
{
    if (std::thread::hardware_concurrency() > 1) {
        try {
            return std::async(std::launch::async, work);
        } catch (const std::system_error &) {
            // no thread to be had: the work runs when its result is asked for
        }
    }
    return std::async(std::launch::deferred, work);
}

MdxKeySorter::MdxKeySorter(
    const std::vector<int> &keyLengths, const QString &scratchPath, qint64 budget)
    : m_scratchPath(scratchPath)
    , m_half(std::max<qint64>(1, budget / 2))
{
    m_tags.resize(keyLengths.size());
    m_held.resize(keyLengths.size());
    m_spilling.resize(keyLengths.size());
    for (size_t i = 0; i < keyLengths.size(); ++i) {
        m_tags[i].keyLength = m_held[i].keyLength = m_spilling[i].keyLength = keyLengths[i];
        m_perRecord += keyLengths[i] + qint64(sizeof(quint32));
    }
}

MdxKeySorter::~MdxKeySorter()
{
    if (m_job.valid())
        m_job.wait();
    if (m_scratch.isOpen()) {
        m_scratch.close();
        QFile::remove(m_scratchPath);
    }
}

qint64 MdxKeySorter::heldBytes() const
{
    qint64 bytes = 0;
    for (const MdxKeyList &l : m_held)
        bytes += l.keys.size() + qint64(l.recnos.size() * sizeof(quint32));
    return bytes;
}

DbStatus MdxKeySorter::add(int tag, const char *key, quint32 recno)
{
    MdxKeyList &held = m_held[size_t(tag)];
    if (held.recnos.size() % 4096 == 0 && heldBytes() >= m_half)
        if (DbStatus st = spill(); !st)
            return st;
    held.add(key, recno);
    ++m_tags[size_t(tag)].count;
    return {};
}

DbStatus MdxKeySorter::addRecord(const char *keys, quint32 recno)
{
    // Every tag holds as many entries as the others, so one of them tells the total.
    const size_t held = m_held.empty() ? 0 : m_held[0].recnos.size();
    if (qint64(held + 1) * m_perRecord > m_half)
        if (DbStatus st = spill(); !st)
            return st;
    for (size_t i = 0; i < m_tags.size(); ++i) {
        MdxKeyList &list = m_held[i];
        if (list.recnos.capacity() == list.recnos.size())
            list.reserve(std::max<size_t>(1024, size_t(m_half / m_perRecord)));
        list.add(keys, recno);
        keys += m_tags[i].keyLength;
        ++m_tags[i].count;
    }
    return {};
}

DbStatus MdxKeySorter::addList(int tag, MdxKeyList &list)
{
    const int len = m_tags[size_t(tag)].keyLength;
    for (size_t i = 0; i < list.recnos.size(); ++i)
        if (DbStatus st = add(tag, list.keys.constData() + qsizetype(i) * len, list.recnos[i]); !st)
            return st;
    list.keys.clear();
    list.recnos.clear();
    return {};
}

DbStatus MdxKeySorter::openScratch()
{
    if (m_scratch.isOpen())
        return {};
    m_scratch.setFileName(m_scratchPath);
    if (!m_scratch.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered))
        return {
            DbStatus::IoError,
            QStringLiteral("Cannot create \"%1\": %2").arg(m_scratchPath, m_scratch.errorString())
        };
    return {};
}

// The held entries go to runs on a thread of their own; the next ones fill the other half.
DbStatus MdxKeySorter::spill()
{
    if (m_job.valid())
        if (DbStatus st = m_job.get(); !st)
            return st;
    if (DbStatus st = openScratch(); !st)
        return st;
    std::swap(m_held, m_spilling);
    m_job = mdx::runAside([this] { return writeRuns(m_spilling); });
    return {};
}

DbStatus MdxKeySorter::writeRuns(Lists &lists)
{
    for (size_t i = 0; i < lists.size(); ++i)
        if (DbStatus st = writeRun(int(i), lists[i]); !st)
            return st;
    return {};
}

// A tag's entries in list, sorted, as a run at the end of the scratch file; list is emptied.
DbStatus MdxKeySorter::writeRun(int tag, MdxKeyList &list)
{
    if (list.recnos.empty())
        return {};
    const std::vector<quint32> order = sortedEntries(list);
    const int len = list.keyLength;
    Run run { m_end, 0 };
    QByteArray out;
    out.reserve(kRunBuffer + kMostEntryBytes);
    const char *previous = nullptr;
    for (size_t k = 0; k < order.size(); ++k) {
        const char *key = list.keys.constData() + qsizetype(order[k]) * len;
        const int shared = previous ? commonPrefix(previous, key, len) : 0;
        previous = key;
        const qsizetype at = out.size();
        out.resize(at + 2 + (len - shared) + 4);
        char *p = out.data() + at;
        p[0] = char(shared);
        p[1] = char(len - shared);
        std::memcpy(p + 2, key + shared, size_t(len - shared));
        put32(p + 2 + len - shared, list.recnos[order[k]]);
        if (out.size() >= kRunBuffer || k + 1 == order.size()) {
            if (DbStatus st = dbfio::writeAtDeferred(
                    int(m_scratch.handle()), out.constData(), out.size(), m_end, m_scratchPath);
                !st)
                return st;
            m_end += out.size();
            run.bytes += out.size();
            out.resize(0);
        }
    }
    m_tags[size_t(tag)].runs.push_back(run);
    list.keys.resize(0);
    list.recnos.clear();
    return {};
}

DbStatus MdxKeySorter::finish()
{
    if (m_job.valid())
        if (DbStatus st = m_job.get(); !st)
            return st;
    // A tag with runs has the rest of its entries written as one more; a tag without
    // any keeps them in memory.
    for (size_t i = 0; i < m_tags.size(); ++i)
        if (!m_tags[i].runs.empty())
            if (DbStatus st = writeRun(int(i), m_held[i]); !st)
                return st;
    for (size_t i = 0; i < m_tags.size(); ++i) {
        m_spilling[i] = MdxKeyList(); // their memory goes back before the merges need theirs
        if (!m_tags[i].runs.empty())
            m_held[i] = MdxKeyList();
    }
    return {};
}

DbStatus MdxKeySorter::read(
    int tag, const std::function<DbStatus(const char *key, quint32 recno)> &visit)
{
    const Tag &t = m_tags[size_t(tag)];
    if (!t.runs.empty())
        return merge(t, visit);
    MdxKeyList &held = m_held[size_t(tag)];
    const int len = t.keyLength;
    for (quint32 i : sortedEntries(held))
        if (DbStatus st = visit(held.keys.constData() + qsizetype(i) * len, held.recnos[i]); !st)
            return st;
    held = MdxKeyList(); // its memory goes back before the next tag is read
    return {};
}

DbStatus MdxKeySorter::merge(
    const Tag &t, const std::function<DbStatus(const char *, quint32)> &visit)
{
    const int len = t.keyLength;
    const qint64 perRun
        = std::max(kLeastRunBuffer, std::min(kRunBuffer, kMergeBuffers / qint64(t.runs.size())));
    std::vector<RunReader> runs(t.runs.size());
    // Reads the next entry of r; false at the end of the run.
    const auto advance = [&](RunReader &r, bool &more) -> DbStatus {
        more = true;
        if (r.buffer.size() - r.pos < kMostEntryBytes && r.left > 0) {
            r.buffer.remove(0, r.pos);
            r.pos = 0;
            const qint64 want = std::min(r.left, perRun);
            const qsizetype kept = r.buffer.size();
            r.buffer.resize(kept + want);
            qint64 got = 0;
            DbStatus st = dbfio::readAt(int(m_scratch.handle()), r.buffer.data() + kept, want,
                r.offset, m_scratchPath, &got);
            if (st && got != want)
                st = DbStatus(DbStatus::IoError,
                    QStringLiteral("\"%1\" ends at offset %2 inside a run.")
                        .arg(m_scratchPath)
                        .arg(r.offset + got));
            if (!st)
                return st;
            r.offset += want;
            r.left -= want;
        }
        if (r.pos == r.buffer.size()) {
            more = false;
            return {};
        }
        const char *p = r.buffer.constData() + r.pos;
        const int shared = quint8(p[0]);
        const int rest = quint8(p[1]);
        if (shared + rest != len || r.pos + 2 + rest + 4 > r.buffer.size())
            return DbStatus(DbStatus::IoError,
                QStringLiteral("\"%1\" holds a run that does not read back.").arg(m_scratchPath));
        std::memcpy(r.key + shared, p + 2, size_t(rest));
        r.recno = get32(p + 2 + rest);
        r.pos += 2 + rest + 4;
        return {};
    };
    // A heap of the runs by their current entries, the least on top.
    std::vector<RunReader *> heap;
    const auto greater = [&](const RunReader *a, const RunReader *b) {
        return compareEntry(a->key, a->recno, b->key, b->recno, len) > 0;
    };
    for (size_t i = 0; i < runs.size(); ++i) {
        runs[i].offset = t.runs[i].offset;
        runs[i].left = t.runs[i].bytes;
        bool more = false;
        if (DbStatus st = advance(runs[i], more); !st)
            return st;
        if (more)
            heap.push_back(&runs[i]);
    }
    std::make_heap(heap.begin(), heap.end(), greater);
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), greater);
        RunReader &r = *heap.back();
        if (DbStatus st = visit(r.key, r.recno); !st)
            return st;
        bool more = false;
        if (DbStatus st = advance(r, more); !st)
            return st;
        if (more)
            std::push_heap(heap.begin(), heap.end(), greater);
        else
            heap.pop_back();
    }
    return {};
}
