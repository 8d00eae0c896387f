#pragma once

#include "dbstatus.h"

#include <QString>

#include <cstring>
#include <memory>
#include <vector>

// Building blocks of the index file: little-endian fields, the geometry of a node block,
// and a bounded cache of 1024-byte blocks over the file.
namespace mdx
{

constexpr int kPageSize = 512;
constexpr int kBlockSize = 1024;
constexpr int kBlockPages = 2;
constexpr int kHeaderPages = 4; // file header and tag table
constexpr int kMaxDepth = 32; // deeper than any real tree; beyond it we assume a cycle
constexpr int kMaxKeyLength = 100;
constexpr int kMaxTags = 47;
// Blocks read at once on a miss while walking, in windows aligned from the first page
// after the header; a tag's extents of new blocks have the same size and alignment, so
// that one read brings a whole extent.
constexpr int kWindowBlocks = 8;

inline quint32 get32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint32(u[0]) | (quint32(u[1]) << 8) | (quint32(u[2]) << 16) | (quint32(u[3]) << 24);
}
inline quint16 get16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint16(u[0] | (u[1] << 8));
}
inline void put32(char *p, quint32 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
    p[2] = char((v >> 16) & 0xFF);
    p[3] = char((v >> 24) & 0xFF);
}
inline void put16(char *p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
}

// Item length for a key: the key plus its 4-byte pointer, rounded up to 4 bytes.
inline int itemLengthFor(int keyLength)
{
    return (keyLength + 4 + 3) / 4 * 4;
}
// Entries that fit in a block beside the 8-byte node header and the trailing pointer.
inline int kmaxFor(int itemLength)
{
    return (kBlockSize - 12) / itemLength;
}

// Read-only view of the fixed parts of a node; entry i has its pointer at 8 + i * item,
// and the pointer slot after the last entry is the trailing child (0 in a leaf).
struct NodeGeometry {
    int keyLength = 0;
    int itemLength = 0;
    int kmax = 0;

    static quint32 count(const char *node) { return get32(node); }
    quint32 pointer(const char *node, int i) const { return get32(node + 8 + i * itemLength); }
    const char *key(const char *node, int i) const { return node + 12 + i * itemLength; }
    bool isLeaf(const char *node, int n) const { return pointer(node, n) == 0; }
    // Writes entry i (pointer, key, zero padding).
    void setEntry(char *node, int i, quint32 ptr, const char *keyBytes) const
    {
        char *e = node + 8 + i * itemLength;
        put32(e, ptr);
        std::memcpy(e + 4, keyBytes, size_t(keyLength));
        std::memset(e + 4 + keyLength, 0, size_t(itemLength - 4 - keyLength));
    }
    // Clears everything after the pointer slot n so that readers see a clean tail.
    void clearTail(char *node, int n) const
    {
        const int from = 8 + n * itemLength + 4;
        if (from < kBlockSize)
            std::memset(node + from, 0, size_t(kBlockSize - from));
    }
};

// (key, recno) order: key bytes unsigned, then record number.
inline int compareEntry(const char *a, quint32 ra, const char *b, quint32 rb, int len)
{
    const int c = std::memcmp(a, b, size_t(len));
    if (c != 0)
        return c;
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

struct CachedBlock {
    quint32 page = 0;
    int pins = 0;
    bool dirty = false;
    CachedBlock *prev = nullptr; // towards the most recently used
    CachedBlock *next = nullptr;
    std::unique_ptr<char[]> data;
};

class BlockCache;

// A pinned block: it stays in memory and keeps its address while the handle lives.
class BlockRef
{
public:
    BlockRef() = default;
    BlockRef(BlockCache *cache, CachedBlock *block);
    BlockRef(const BlockRef &) = delete;
    BlockRef &operator=(const BlockRef &) = delete;
    BlockRef(BlockRef &&other) noexcept;
    BlockRef &operator=(BlockRef &&other) noexcept;
    ~BlockRef() { release(); }

    void release();
    void assign(BlockCache *cache, CachedBlock *block)
    {
        release();
        m_cache = cache;
        m_block = block;
        ++m_block->pins;
    }
    bool isNull() const { return m_block == nullptr; }
    quint32 page() const { return m_block->page; }
    const char *data() const { return m_block->data.get(); }
    char *writable(); // marks the block dirty

private:
    BlockCache *m_cache = nullptr;
    CachedBlock *m_block = nullptr;
};

// Least-recently-used cache of blocks with write-back. Pinned blocks are never evicted;
// when every cached block is pinned the cache grows past its limit for the moment.
// A miss while walking from leaf to leaf reads the whole aligned window of blocks around
// the one asked for, in one request: the leaves of one key range lie close together
// (a bulk build writes them in order, splits during an import take blocks near each
// other), so a walk over a range then costs a read or two instead of one per leaf.
// The windows are kept apart from the cache, and a block enters the cache only when it
// is asked for: a walk then does not push out the cached blocks for neighbours it never
// visits. Every write to the file is copied into the windows, so they never hold a
// block older than the file.
class BlockCache
{
public:
    // fd stays owned by the caller; path names the file in messages and fault checks.
    void attach(int fd, const QString &path);
    void setLimit(int blocks);
    int limit() const { return m_limit; }
    // Blocks at and after this page are not read ahead (they may not exist yet).
    void setEnd(quint32 page) { m_end = page; }

    // Reads the block at page (already checked by the caller to lie inside the file);
    // walking asks for the window around it on a miss.
    DbStatus fetch(quint32 page, BlockRef &out, bool walking = false);
    // A new all-zero block at page that has never been written; nothing is read.
    DbStatus create(quint32 page, BlockRef &out);
    DbStatus flush(); // writes every dirty block, runs of adjacent blocks at once
    void clear(); // forgets everything, dirty or not
    int cachedBlocks() const { return m_count; }

private:
    friend class BlockRef;
    DbStatus obtain(quint32 page, CachedBlock *&out);
    DbStatus writeBlock(CachedBlock *b);
    DbStatus writeNeighbours(CachedBlock *b);
    DbStatus writeRun(std::vector<CachedBlock *>::const_iterator from, size_t count);
    DbStatus readBlock(quint32 page, bool walking, const char *&data);
    const char *windowed(quint32 page);
    void patchWindows(quint32 page, const char *data);
    void unlink(CachedBlock *b);
    void pushFront(CachedBlock *b);
    CachedBlock *lookup(quint32 page) const;
    size_t home(quint32 page) const;
    void insertSlot(CachedBlock *b);
    void eraseSlot(CachedBlock *b);

    int m_fd = -1;
    QString m_path;
    int m_limit = 8192;
    int m_window = kWindowBlocks;
    int m_count = 0;
    quint32 m_end = 0;
    std::vector<std::unique_ptr<CachedBlock>> m_blocks; // owners; addresses stay put
    // Hash of the cached blocks by page. The page sits beside the pointer, so that probing
    // reads only the table, not the scattered blocks.
    struct Slot {
        quint32 page = 0;
        CachedBlock *block = nullptr;
    };
    std::vector<Slot> m_table;
    struct Window {
        quint32 first = 0; // page of the first block; 0: empty
        quint32 blocks = 0;
        quint64 used = 0;
        std::unique_ptr<char[]> bytes;
    };
    static constexpr int kWindows = 8;
    Window m_windows[kWindows];
    quint64 m_windowClock = 0;
    char m_single[kBlockSize]; // a block read on its own
    std::vector<char> m_out; // a run of blocks being written
    std::vector<CachedBlock *> m_run; // and the blocks it holds
    size_t m_used = 0;
    int m_bits = 0;
    CachedBlock *m_head = nullptr;
    CachedBlock *m_tail = nullptr;
};

DbStatus ioError(const QString &file, const QString &what, qint64 offset);

} // namespace mdx
