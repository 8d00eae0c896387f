#include "mdxpage.h"

#include <algorithm>

namespace mdx {

DbStatus ioError(const QString &file, const QString &what, qint64 offset)
{
    return DbStatus(DbStatus::IoError,
                    QStringLiteral("Index file  '%1'  : %2 at offset %3 failed.")
                        .arg(file, what)
                        .arg(offset));
}

BlockRef::BlockRef(BlockCache *cache, CachedBlock *block) : m_cache(cache), m_block(block)
{
    ++m_block->pins;
}

BlockRef::BlockRef(BlockRef &&other) noexcept : m_cache(other.m_cache), m_block(other.m_block)
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

void BlockCache::attach(QFile *file, const QString &displayName)
{
    clear();
    m_file = file;
    m_name = displayName;
}

void BlockCache::clear()
{
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
        CachedBlock *b = m_table[i];
        if (!b || b->page == page)
            return b;
    }
}

void BlockCache::insertSlot(CachedBlock *b)
{
    if ((m_used + 1) * 2 > m_table.size()) {
        std::vector<CachedBlock *> old;
        old.swap(m_table);
        m_bits = m_bits < 4 ? 4 : m_bits + 1;
        m_table.assign(size_t(1) << m_bits, nullptr);
        m_used = 0;
        for (CachedBlock *o : old)
            if (o)
                insertSlot(o);
    }
    const size_t mask = m_table.size() - 1;
    size_t i = home(b->page);
    while (m_table[i])
        i = (i + 1) & mask;
    m_table[i] = b;
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
    while (m_table[i] && m_table[i] != b)
        i = (i + 1) & mask;
    if (!m_table[i])
        return;
    for (size_t j = (i + 1) & mask; m_table[j]; j = (j + 1) & mask) {
        const size_t k = home(m_table[j]->page);
        const bool between = i <= j ? (i < k && k <= j) : (i < k || k <= j);
        if (!between) {
            m_table[i] = m_table[j];
            i = j;
        }
    }
    m_table[i] = nullptr;
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
    const qint64 offset = qint64(b->page) * kPageSize;
    if (!m_file->seek(offset) || m_file->write(b->data.get(), kBlockSize) != kBlockSize)
        return ioError(m_name, QStringLiteral("writing"), offset);
    b->dirty = false;
    return {};
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
            DbStatus st = writeBlock(victim);
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

DbStatus BlockCache::fetch(quint32 page, BlockRef &out)
{
    if (CachedBlock *b = lookup(page)) {
        if (b != m_head) {
            unlink(b);
            pushFront(b);
        }
        out.assign(this, b);
        return {};
    }
    CachedBlock *b = nullptr;
    DbStatus st = obtain(page, b);
    if (!st)
        return st;
    const qint64 offset = qint64(page) * kPageSize;
    if (!m_file->seek(offset) || m_file->read(b->data.get(), kBlockSize) != kBlockSize) {
        // Leave nothing half-read behind under this page number; the block goes to the
        // cold end to be recycled first.
        eraseSlot(b);
        unlink(b);
        b->prev = m_tail;
        (m_tail ? m_tail->next : m_head) = b;
        m_tail = b;
        return ioError(m_name, QStringLiteral("reading"), offset);
    }
    out.assign(this, b);
    return {};
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
    for (CachedBlock *b : dirty) {
        DbStatus st = writeBlock(b);
        if (!st)
            return st;
    }
    return {};
}

} // namespace mdx
