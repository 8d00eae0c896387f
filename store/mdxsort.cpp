#include "mdxsort.h"

#include "dbfio.h"
#include "mdxpage.h"
#include "platform/fileio.h"

#include <QCoreApplication>
#include <QtGlobal>

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

// A run in the scratch file is its entries in order, each written as the number of leading
// bytes its key shares with the key before it, the number of bytes that follow, those
// bytes, and the record number (4 bytes): sorted keys share long prefixes (the folder), so
// a run takes a fraction of the bytes its keys hold in memory.
constexpr int kMostEntryBytes = 2 + kMaxKeyLength + 4;

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

// Appends one entry of a run to out; previous is the key written before it, or null.
void encodeEntry(QByteArray &out, const char *key, const char *previous, int len, quint32 recno)
{
    const int shared = previous ? commonPrefix(previous, key, len) : 0;
    const qsizetype at = out.size();
    out.resize(at + 2 + (len - shared) + 4);
    char *p = out.data() + at;
    p[0] = char(shared);
    p[1] = char(len - shared);
    std::memcpy(p + 2, key + shared, size_t(len - shared));
    put32(p + 2 + len - shared, recno);
}

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

struct Scratch {
    int fd;
    const QString &path;
};

// Reads the next entry of r, refilling its buffer with at most perRun bytes; more is false
// at the end of the run.
DbStatus readNext(const Scratch &scratch, RunReader &r, int len, qint64 perRun, bool &more)
{
    more = true;
    if (r.buffer.size() - r.pos < kMostEntryBytes && r.left > 0) {
        r.buffer.remove(0, r.pos);
        r.pos = 0;
        const qint64 want = std::min(r.left, perRun);
        const qsizetype kept = r.buffer.size();
        r.buffer.resize(kept + want);
        qint64 got = 0;
        DbStatus st
            = dbfio::readAt(scratch.fd, r.buffer.data() + kept, want, r.offset, scratch.path, &got);
        if (st && got != want)
            st = DbStatus(DbStatus::IoError,
                QCoreApplication::translate("Store", "\"%1\" ends at offset %2 inside a run.")
                    .arg(scratch.path)
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
            QCoreApplication::translate("Store", "\"%1\" holds a run that does not read back.")
                .arg(scratch.path));
    std::memcpy(r.key + shared, p + 2, size_t(rest));
    r.recno = get32(p + 2 + rest);
    r.pos += 2 + rest + 4;
    return {};
}

} // namespace

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

qint64 MdxKeySorter::Held::bytes() const
{
    qint64 n = rows.size() + leads.size() + qint64(buckets.size() * sizeof(quint32));
    for (const MdxKeyList &l : lists)
        n += l.keys.size() + qint64(l.recnos.size() * sizeof(quint32));
    return n;
}

void MdxKeySorter::Held::clear()
{
    for (MdxKeyList &l : lists) {
        l.keys.resize(0);
        l.recnos.clear();
    }
    rows.resize(0);
    rowCount = 0;
    leads.resize(0);
    leadCount = 0;
    std::fill(buckets.begin(), buckets.end(), 0u);
    order.clear();
    groupEnds.clear();
}

MdxKeySorter::MdxKeySorter(
    const std::vector<int> &keyLengths, const QString &scratchPath, int sharedLead, qint64 budget)
    : m_lengths(keyLengths)
    , m_counts(keyLengths.size(), 0)
    , m_runs(keyLengths.size())
    , m_lead(sharedLead)
    , m_scratchPath(scratchPath)
    , m_half(std::max<qint64>(1, budget / 2))
{
    m_rowLength = 8;
    for (int len : keyLengths) {
        m_rowLength += len - m_lead;
        m_perRecord += len + qint64(sizeof(quint32));
    }
    for (Held *h : { &m_held, &m_spilling }) {
        h->lists.resize(keyLengths.size());
        for (size_t i = 0; i < keyLengths.size(); ++i)
            h->lists[i].keyLength = keyLengths[i];
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

DbStatus MdxKeySorter::add(int tag, const char *key, quint32 recno)
{
    if (m_held.lists[size_t(tag)].recnos.size() % 1024 == 0 && m_held.bytes() >= m_half)
        if (DbStatus st = spill(); !st) // the lists change places: none is held across it
            return st;
    m_held.lists[size_t(tag)].add(key, recno);
    ++m_counts[size_t(tag)];
    return {};
}

DbStatus MdxKeySorter::addList(int tag, MdxKeyList &list)
{
    const int len = m_lengths[size_t(tag)];
    for (size_t i = 0; i < list.recnos.size(); ++i)
        if (DbStatus st = add(tag, list.keys.constData() + qsizetype(i) * len, list.recnos[i]); !st)
            return st;
    list.keys.clear();
    list.recnos.clear();
    return {};
}

DbStatus MdxKeySorter::addRecord(const char *keys, quint32 recno)
{
    if (m_lead == 0) {
        for (size_t i = 0; i < m_lengths.size(); ++i) {
            if (DbStatus st = add(int(i), keys, recno); !st)
                return st;
            keys += m_lengths[i];
        }
        return {};
    }
    if (m_held.bytes() + m_rowLength + m_lead + 16 > m_half)
        if (DbStatus st = spill(); !st)
            return st;
    Held &h = m_held;
    if (h.rows.capacity() < h.rows.size() + m_rowLength)
        h.rows.reserve(std::max<qsizetype>(2 * h.rows.capacity(), 64 * m_rowLength));
    const quint32 lead = leadNumber(h, keys);
    const qsizetype at = h.rows.size();
    h.rows.resize(at + m_rowLength);
    char *row = h.rows.data() + at;
    put32(row, lead);
    put32(row + 4, recno);
    row += 8;
    for (size_t i = 0; i < m_lengths.size(); ++i) {
        std::memcpy(row, keys + m_lead, size_t(m_lengths[i] - m_lead));
        row += m_lengths[i] - m_lead;
        keys += m_lengths[i];
        ++m_counts[i];
    }
    ++h.rowCount;
    return {};
}

// The number of a lead in the dictionary, added when new. Open addressing over a table at
// most half full.
quint32 MdxKeySorter::leadNumber(Held &h, const char *lead)
{
    if (h.buckets.size() < 2 * (size_t(h.leadCount) + 1)) {
        std::vector<quint32> grown(std::max<size_t>(1024, 2 * h.buckets.size()), 0u);
        for (quint32 n = 0; n < h.leadCount; ++n) {
            size_t s = qHashBits(h.leads.constData() + qsizetype(n) * m_lead, size_t(m_lead))
                & (grown.size() - 1);
            while (grown[s])
                s = (s + 1) & (grown.size() - 1);
            grown[s] = n + 1;
        }
        h.buckets.swap(grown);
    }
    const size_t mask = h.buckets.size() - 1;
    size_t s = qHashBits(lead, size_t(m_lead)) & mask;
    for (; h.buckets[s]; s = (s + 1) & mask) {
        const quint32 n = h.buckets[s] - 1;
        if (std::memcmp(h.leads.constData() + qsizetype(n) * m_lead, lead, size_t(m_lead)) == 0)
            return n;
    }
    h.leads.append(lead, m_lead);
    h.buckets[s] = ++h.leadCount;
    return h.leadCount - 1;
}

// Puts the rows in lead order: the leads are sorted once, and the rows counted into place.
void MdxKeySorter::group(Held &h) const
{
    std::vector<quint32> byLead(h.leadCount);
    for (quint32 n = 0; n < h.leadCount; ++n)
        byLead[n] = n;
    const char *leads = h.leads.constData();
    std::sort(byLead.begin(), byLead.end(), [&](quint32 a, quint32 b) {
        return std::memcmp(
                   leads + qsizetype(a) * m_lead, leads + qsizetype(b) * m_lead, size_t(m_lead))
            < 0;
    });
    std::vector<quint32> rank(h.leadCount);
    for (quint32 r = 0; r < h.leadCount; ++r)
        rank[byLead[r]] = r;
    std::vector<quint32> start(size_t(h.leadCount) + 1, 0u);
    const char *rows = h.rows.constData();
    for (quint32 i = 0; i < h.rowCount; ++i)
        ++start[rank[get32(rows + qsizetype(i) * m_rowLength)] + 1];
    for (quint32 r = 0; r < h.leadCount; ++r)
        start[r + 1] += start[r];
    h.groupEnds.assign(start.begin() + 1, start.end());
    h.order.resize(h.rowCount);
    for (quint32 i = 0; i < h.rowCount; ++i)
        h.order[start[rank[get32(rows + qsizetype(i) * m_rowLength)]]++] = i;
}

// The entries of one tag of held rows, in order: lead by lead, and within a lead by the
// rest of the key, then the record number.
DbStatus MdxKeySorter::sorted(const Held &h, int tag, const Visit &visit) const
{
    const int len = m_lengths[size_t(tag)];
    int tail = 8;
    for (int i = 0; i < tag; ++i)
        tail += m_lengths[size_t(i)] - m_lead;
    const int rest = len - m_lead;
    const char *rows = h.rows.constData();
    const auto restOf = [&](quint32 row) { return rows + qsizetype(row) * m_rowLength + tail; };
    const auto recnoOf
        = [&](quint32 row) { return get32(rows + qsizetype(row) * m_rowLength + 4); };
    const RowKeys keys { rows, m_rowLength, tail, rest, 4 };
    std::vector<quint32> group;
    std::vector<SortItem> scratch;
    char key[kMaxKeyLength];
    quint32 from = 0;
    for (const quint32 end : h.groupEnds) {
        group.assign(h.order.begin() + from, h.order.begin() + end);
        from = end;
        if (group.empty())
            continue;
        sortRows(group.data(), group.data() + group.size(), keys, scratch);
        std::memcpy(key,
            h.leads.constData()
                + qsizetype(get32(rows + qsizetype(group[0]) * m_rowLength)) * m_lead,
            size_t(m_lead));
        for (quint32 row : group) {
            std::memcpy(key + m_lead, restOf(row), size_t(rest));
            if (DbStatus st = visit(key, recnoOf(row)); !st)
                return st;
        }
    }
    return {};
}

DbStatus MdxKeySorter::openScratch()
{
    if (m_scratch.isOpen())
        return {};
    // The name is ours: whatever holds it (a leftover, or a link that would lead the
    // scratch data elsewhere) goes, and the file is made new.
    QFile::remove(m_scratchPath);
    int err = 0;
    const int fd = fileio::openForWriting(m_scratchPath, true, &err);
    if (fd < 0)
        return { DbStatus::IoError,
            QCoreApplication::translate("Store", "Cannot create \"%1\": %2")
                .arg(m_scratchPath, fileio::errorText(err)) };
    if (!m_scratch.open(
            fd, QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        fileio::closeFile(fd);
        QFile::remove(m_scratchPath);
        return { DbStatus::IoError,
            QCoreApplication::translate("Store", "Cannot create \"%1\": %2")
                .arg(m_scratchPath, m_scratch.errorString()) };
    }
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

DbStatus MdxKeySorter::writeRuns(Held &h)
{
    if (m_lead > 0)
        group(h);
    for (int i = 0; i < tagCount(); ++i)
        if (DbStatus st = writeRun(i, h); !st)
            return st;
    h.clear();
    return {};
}

bool MdxKeySorter::empty(const Held &h, int tag) const
{
    return m_lead > 0 ? h.rowCount == 0 : h.lists[size_t(tag)].recnos.empty();
}

// A tag's held entries, sorted, as a run at the end of the scratch file.
DbStatus MdxKeySorter::writeRun(int tag, const Held &h)
{
    if (empty(h, tag))
        return {};
    const int len = m_lengths[size_t(tag)];
    Run run { m_end, 0 };
    QByteArray out;
    out.reserve(kRunBuffer + kMostEntryBytes);
    char previous[kMaxKeyLength];
    bool first = true;
    const auto flush = [&] {
        DbStatus st = dbfio::writeAtDeferred(
            int(m_scratch.handle()), out.constData(), out.size(), m_end, m_scratchPath);
        m_end += out.size();
        run.bytes += out.size();
        out.resize(0);
        return st;
    };
    const auto put = [&](const char *key, quint32 recno) {
        encodeEntry(out, key, first ? nullptr : previous, len, recno);
        std::memcpy(previous, key, size_t(len));
        first = false;
        return out.size() >= kRunBuffer ? flush() : DbStatus();
    };
    DbStatus st;
    if (m_lead > 0) {
        st = sorted(h, tag, put);
    } else {
        const MdxKeyList &list = h.lists[size_t(tag)];
        for (quint32 i : sortedEntries(list))
            if (st = put(list.keys.constData() + qsizetype(i) * len, list.recnos[i]); !st)
                break;
    }
    if (st && !out.isEmpty())
        st = flush();
    if (st)
        m_runs[size_t(tag)].push_back(run);
    return st;
}

DbStatus MdxKeySorter::finish()
{
    if (m_job.valid())
        if (DbStatus st = m_job.get(); !st)
            return st;
    // Once any run is written, the rest of the entries is written as one more: a tag is
    // read either from memory or from runs alone.
    bool anyRuns = false;
    for (const std::vector<Run> &runs : m_runs)
        anyRuns = anyRuns || !runs.empty();
    if (anyRuns) {
        if (DbStatus st = writeRuns(m_held); !st)
            return st;
        m_held = Held();
    } else if (m_lead > 0) {
        group(m_held);
    }
    m_spilling = Held(); // their memory goes back before the merges need theirs
    return {};
}

DbStatus MdxKeySorter::read(int tag, const Visit &visit)
{
    if (!m_runs[size_t(tag)].empty())
        return merge(tag, visit);
    if (m_lead > 0 || m_held.lists.empty())
        return sorted(m_held, tag, visit);
    MdxKeyList &held = m_held.lists[size_t(tag)];
    const int len = m_lengths[size_t(tag)];
    for (quint32 i : sortedEntries(held))
        if (DbStatus st = visit(held.keys.constData() + qsizetype(i) * len, held.recnos[i]); !st)
            return st;
    held = MdxKeyList(); // its memory goes back before the next tag is read
    return {};
}

DbStatus MdxKeySorter::merge(int tag, const Visit &visit) const
{
    const std::vector<Run> &runList = m_runs[size_t(tag)];
    const int len = m_lengths[size_t(tag)];
    const qint64 perRun
        = std::max(kLeastRunBuffer, std::min(kRunBuffer, kMergeBuffers / qint64(runList.size())));
    std::vector<RunReader> runs(runList.size());
    const Scratch scratch { int(m_scratch.handle()), m_scratchPath };
    // A heap of the runs by their current entries, the least on top.
    std::vector<RunReader *> heap;
    const auto greater = [&](const RunReader *a, const RunReader *b) {
        return compareEntry(a->key, a->recno, b->key, b->recno, len) > 0;
    };
    for (size_t i = 0; i < runs.size(); ++i) {
        runs[i].offset = runList[i].offset;
        runs[i].left = runList[i].bytes;
        bool more = false;
        if (DbStatus st = readNext(scratch, runs[i], len, perRun, more); !st)
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
        if (DbStatus st = readNext(scratch, r, len, perRun, more); !st)
            return st;
        if (more)
            std::push_heap(heap.begin(), heap.end(), greater);
        else
            heap.pop_back();
    }
    return {};
}
