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
    m_byBlock.clear();
    m_head = m_tail = nullptr;
    m_count = 0;
}

CachedBlock *BlockCache::lookup(quint32 page) const
{
    const size_t slot = page / kBlockPages;
    return slot < m_byBlock.size() ? m_byBlock[slot] : nullptr;
}

void BlockCache::setSlot(quint32 page, CachedBlock *b)
{
    const size_t slot = page / kBlockPages;
    if (slot >= m_byBlock.size())
        m_byBlock.resize(std::max(slot + 1, m_byBlock.size() * 2), nullptr);
    m_byBlock[slot] = b;
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
        if (lookup(victim->page) == victim)
            setSlot(victim->page, nullptr);
    } else {
        m_blocks.push_back(std::make_unique<CachedBlock>());
        victim = m_blocks.back().get();
        victim->data = std::make_unique<char[]>(kBlockSize);
        ++m_count;
    }
    victim->page = page;
    victim->dirty = false;
    setSlot(page, victim);
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
        out = BlockRef(this, b);
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
        setSlot(page, nullptr);
        unlink(b);
        b->prev = m_tail;
        (m_tail ? m_tail->next : m_head) = b;
        m_tail = b;
        return ioError(m_name, QStringLiteral("reading"), offset);
    }
    out = BlockRef(this, b);
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
    out = BlockRef(this, b);
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
