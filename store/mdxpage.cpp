#include "mdxpage.h"

#include "dbfio.h"

#include <algorithm>

#include <QCoreApplication>

namespace mdx
{

DbStatus ioError(const QString &file, const QString &what, qint64 offset)
{
    return DbStatus(DbStatus::IoError,
        QCoreApplication::translate("Store", "Index file  '%1'  : %2 at offset %3 failed.")
            .arg(file, what)
            .arg(offset));
}

BlockRef::BlockRef(BlockCache *cache, CachedBlock *block)
    : m_cache(cache)
    , m_block(block)
{
    ++m_block->pins;
}

BlockRef::BlockRef(BlockRef &&other) noexcept
    : m_cache(other.m_cache)
    , m_block(other.m_block)
{
    other.m_block = nullptr;
}

BlockRef &BlockRef::operator=(BlockRef &&other) noexcept
{
    if (this != &other) {
        release();
        m_cache = other.m_cache;
        m_block = other.m_block;
        other.m_block = nullptr;
    }
    return *this;
}

void BlockRef::release()
{
    if (m_block)
        --m_block->pins;
    m_block = nullptr;
}

char *BlockRef::writable()
{
    m_block->dirty = true;
    return m_block->data.get();
}

void BlockCache::attach(int fd, const QString &path)
{
    clear();
    m_fd = fd;
    m_path = path;
}

void BlockCache::setLimit(int blocks)
{
    m_limit = blocks < 2 ? 2 : blocks;
    // Reading a window into a tiny cache would push out the blocks in use.
    m_window = std::min(kWindowBlocks, m_limit / 8);
}

void BlockCache::clear()
{
    for (Window &w : m_windows)
        w.first = 0;
    m_blocks.clear();
    m_table.clear();
    m_used = 0;
    m_bits = 0;
    m_head = m_tail = nullptr;
    m_count = 0;
}

// Open addressing with linear probing over a power-of-two table at most half full, so
// that the index of the cache grows with the cache, not with the file.
size_t BlockCache::home(quint32 page) const
{
    return size_t((page * 0x9E3779B1u) >> (32 - m_bits));
}

CachedBlock *BlockCache::lookup(quint32 page) const
{
    if (m_table.empty())
        return nullptr;
    const size_t mask = m_table.size() - 1;
    for (size_t i = home(page);; i = (i + 1) & mask) {
        const Slot &s = m_table[i];
        if (!s.block || s.page == page)
            return s.block;
    }
}

void BlockCache::insertSlot(CachedBlock *b)
{
    if ((m_used + 1) * 2 > m_table.size()) {
        std::vector<Slot> old;
        old.swap(m_table);
        m_bits = m_bits < 4 ? 4 : m_bits + 1;
        m_table.assign(size_t(1) << m_bits, Slot());
        m_used = 0;
        for (const Slot &o : old)
            if (o.block)
                insertSlot(o.block);
    }
    const size_t mask = m_table.size() - 1;
    size_t i = home(b->page);
    while (m_table[i].block)
        i = (i + 1) & mask;
    m_table[i] = Slot { b->page, b };
    ++m_used;
}

// Removal by shifting back the entries of the probe run that follows, so that every
// entry stays reachable from its home slot without tombstones.
void BlockCache::eraseSlot(CachedBlock *b)
{
    if (m_table.empty())
        return;
    const size_t mask = m_table.size() - 1;
    size_t i = home(b->page);
    while (m_table[i].block && m_table[i].block != b)
        i = (i + 1) & mask;
    if (!m_table[i].block)
        return;
    for (size_t j = (i + 1) & mask; m_table[j].block; j = (j + 1) & mask) {
        const size_t k = home(m_table[j].page);
        const bool between = i <= j ? (i < k && k <= j) : (i < k || k <= j);
        if (!between) {
            m_table[i] = m_table[j];
            i = j;
        }
    }
    m_table[i] = Slot();
    --m_used;
}

void BlockCache::unlink(CachedBlock *b)
{
    (b->prev ? b->prev->next : m_head) = b->next;
    (b->next ? b->next->prev : m_tail) = b->prev;
    b->prev = b->next = nullptr;
}

void BlockCache::pushFront(CachedBlock *b)
{
    b->prev = nullptr;
    b->next = m_head;
    (m_head ? m_head->prev : m_tail) = b;
    m_head = b;
}

DbStatus BlockCache::writeBlock(CachedBlock *b)
{
    DbStatus st
        = dbfio::writeAt(m_fd, b->data.get(), kBlockSize, qint64(b->page) * kPageSize, m_path);
    if (st) {
        b->dirty = false;
        patchWindows(b->page, b->data.get());
    }
    return st;
}

// A block for page: a recycled unpinned one from the cold end, or a new one.
DbStatus BlockCache::obtain(quint32 page, CachedBlock *&out)
{
    CachedBlock *victim = nullptr;
    if (m_count >= m_limit) {
        for (CachedBlock *b = m_tail; b; b = b->prev) {
            if (b->pins == 0) {
                victim = b;
                break;
            }
        }
    }
    if (victim) {
        if (victim->dirty) {
            DbStatus st = writeNeighbours(victim);
            if (!st)
                return st;
        }
        unlink(victim);
        eraseSlot(victim);
    } else {
        m_blocks.push_back(std::make_unique<CachedBlock>());
        victim = m_blocks.back().get();
        victim->data = std::make_unique<char[]>(kBlockSize);
        ++m_count;
    }
    victim->page = page;
    victim->dirty = false;
    insertSlot(victim);
    pushFront(victim);
    out = victim;
    return {};
}

DbStatus BlockCache::fetch(quint32 page, BlockRef &out, bool walking)
{
    // A walk asks for its leaf again and again: the block used last needs no search.
    if (m_head && m_head->page == page) {
        out.assign(this, m_head);
        return {};
    }
    CachedBlock *b = lookup(page);
    if (b) {
        if (b != m_head) {
            unlink(b);
            pushFront(b);
        }
    } else {
        const char *data = nullptr;
        DbStatus st = readBlock(page, walking, data);
        if (st)
            st = obtain(page, b); // may write dirty blocks, which the windows then take over
        if (!st)
            return st;
        std::memcpy(b->data.get(), data, kBlockSize);
    }
    out.assign(this, b);
    return {};
}

// The copy of page in a read window, or nullptr.
const char *BlockCache::windowed(quint32 page)
{
    for (Window &w : m_windows) {
        if (w.first && page >= w.first && page < w.first + w.blocks * kBlockPages) {
            w.used = ++m_windowClock;
            return w.bytes.get() + size_t(page - w.first) / kBlockPages * kBlockSize;
        }
    }
    return nullptr;
}

// The file's bytes of the block at page: from a window, or read with the window around it
// when walking, or read on their own.
DbStatus BlockCache::readBlock(quint32 page, bool walking, const char *&data)
{
    if (!walking || m_window <= 1) {
        qint64 got = 0;
        DbStatus st
            = dbfio::readAt(m_fd, m_single, kBlockSize, qint64(page) * kPageSize, m_path, &got);
        if (!st)
            return st;
        if (got < kBlockSize)
            return ioError(m_path, QCoreApplication::translate("Store", "reading past the end"),
                qint64(page) * kPageSize);
        data = m_single;
        return {};
    }
    if ((data = windowed(page)))
        return {};
    const quint32 span = quint32(m_window) * kBlockPages;
    const quint32 first = page - (page - kHeaderPages) % span;
    const quint64 end = std::max<quint64>(
        quint64(page) + kBlockPages, std::min<quint64>(quint64(first) + span, m_end));
    Window *w = &m_windows[0];
    for (Window &o : m_windows)
        if (o.used < w->used)
            w = &o;
    w->first = 0;
    if (!w->bytes)
        w->bytes = std::make_unique<char[]>(size_t(kWindowBlocks) * kBlockSize);
    qint64 got = 0;
    DbStatus st = dbfio::readAt(m_fd, w->bytes.get(),
        qint64(end - first) / kBlockPages * kBlockSize, qint64(first) * kPageSize, m_path, &got);
    if (!st)
        return st;
    const quint32 index = (page - first) / kBlockPages;
    if (got < qint64(index + 1) * kBlockSize)
        return ioError(m_path, QCoreApplication::translate("Store", "reading past the end"),
            qint64(page) * kPageSize);
    w->first = first;
    w->blocks = quint32(got / kBlockSize);
    w->used = ++m_windowClock;
    data = w->bytes.get() + size_t(index) * kBlockSize;
    return {};
}

// Keeps the windows equal to the file after a block was written.
void BlockCache::patchWindows(quint32 page, const char *data)
{
    for (Window &w : m_windows)
        if (w.first && page >= w.first && page < w.first + w.blocks * kBlockPages)
            std::memcpy(w.bytes.get() + size_t(page - w.first) / kBlockPages * kBlockSize, data,
                kBlockSize);
}

// Writes a dirty block that is to leave the cache together with the dirty blocks next to
// it in its read window: an import dirties the nodes of an extent together, and one
// write of the run costs far less than a write per block as each one is pushed out.
DbStatus BlockCache::writeNeighbours(CachedBlock *b)
{
    const quint32 span = quint32(kWindowBlocks) * kBlockPages;
    const quint32 first = b->page - (b->page - kHeaderPages) % span;
    quint32 from = b->page;
    while (from > first) {
        const CachedBlock *o = lookup(from - kBlockPages);
        if (!o || !o->dirty)
            break;
        from -= kBlockPages;
    }
    std::vector<CachedBlock *> &run = m_run;
    run.clear();
    for (quint32 page = from; page < first + span; page += kBlockPages) {
        CachedBlock *o = page == b->page ? b : lookup(page);
        if (!o || !o->dirty)
            break;
        run.push_back(o);
    }
    return writeRun(run.cbegin(), run.size());
}

DbStatus BlockCache::create(quint32 page, BlockRef &out)
{
    CachedBlock *b = lookup(page);
    if (b) {
        unlink(b);
        pushFront(b);
    } else {
        DbStatus st = obtain(page, b);
        if (!st)
            return st;
    }
    std::memset(b->data.get(), 0, kBlockSize);
    b->dirty = true;
    out.assign(this, b);
    return {};
}

DbStatus BlockCache::flush()
{
    std::vector<CachedBlock *> dirty;
    for (CachedBlock *b = m_head; b; b = b->next)
        if (b->dirty)
            dirty.push_back(b);
    std::sort(dirty.begin(), dirty.end(),
        [](const CachedBlock *a, const CachedBlock *b) { return a->page < b->page; });
    constexpr size_t kMaxRun = 64;
    for (size_t i = 0; i < dirty.size();) {
        size_t n = 1;
        while (i + n < dirty.size() && n < kMaxRun
            && dirty[i + n]->page == dirty[i + n - 1]->page + kBlockPages)
            ++n;
        DbStatus st = writeRun(dirty.cbegin() + qsizetype(i), n);
        if (!st)
            return st;
        i += n;
    }
    return {};
}

DbStatus BlockCache::writeRun(std::vector<CachedBlock *>::const_iterator from, size_t count)
{
    if (count == 1)
        return writeBlock(*from);
    m_out.resize(count * kBlockSize);
    for (size_t i = 0; i < count; ++i)
        std::memcpy(m_out.data() + i * kBlockSize, from[qsizetype(i)]->data.get(), kBlockSize);
    DbStatus st = dbfio::writeAt(
        m_fd, m_out.data(), qint64(m_out.size()), qint64((*from)->page) * kPageSize, m_path);
    if (!st)
        return st;
    for (size_t i = 0; i < count; ++i) {
        from[qsizetype(i)]->dirty = false;
        patchWindows(from[qsizetype(i)]->page, from[qsizetype(i)]->data.get());
    }
    return {};
}

} // namespace mdx
