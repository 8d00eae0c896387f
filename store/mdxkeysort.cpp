#include "mdxpage.h"
#include "mdxsort.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

// The sort of keys held in memory, for the runs of an index build and for batches of
// appended keys.

using namespace mdx;

namespace
{

// Sorting entry numbers by (key, recno) through the keys themselves makes every comparison
// two visits to scattered keys, mostly over long equal prefixes (the folder part). Instead
// the entries are sorted by eight key bytes at a time, held beside the entry number, and
// only runs that tie on those bytes go on to the next eight.

// Eight key bytes from depth on as a number that orders as the bytes do (zero past the end).
quint64 chunkAt(const char *key, int len, int depth)
{
    quint64 v = 0;
    std::memcpy(&v, key + depth, size_t(std::min(8, len - depth)));
    return qFromBigEndian(v);
}

bool sameEight(const char *a, const char *b)
{
    quint64 x = 0, y = 0;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    return x == y;
}

// Where the keys and record numbers of the entries are: a key list, or rows at a stride.
struct ListAccess {
    const MdxKeyList &list;
    int length() const { return list.keyLength; }
    const char *key(quint32 e) const
    {
        return list.keys.constData() + qsizetype(e) * list.keyLength;
    }
    quint32 recno(quint32 e) const { return list.recnos[e]; }
};
struct RowAccess {
    const mdx::RowKeys &rows;
    int length() const { return rows.keyLength; }
    const char *key(quint32 e) const
    {
        return rows.base + qsizetype(e) * rows.stride + rows.keyOffset;
    }
    quint32 recno(quint32 e) const
    {
        return get32(rows.base + qsizetype(e) * rows.stride + rows.recnoOffset);
    }
};

// How many leading bytes, in whole chunks, all keys of the run share with its first key.
template <typename Access>
int sharedPrefix(const SortItem *begin, const SortItem *end, const Access &a, int depth)
{
    const int len = a.length();
    const char *first = a.key(begin->entry);
    int shared = len / 8 * 8;
    for (const SortItem *it = begin + 1; it != end && shared > depth; ++it) {
        const char *key = a.key(it->entry);
        int d = depth;
        while (d < shared && sameEight(first + d, key + d))
            d += 8;
        shared = d;
    }
    return std::max(shared, depth);
}

template <typename Access>
void refine(SortItem *items, size_t from, size_t to, const Access &a, int depth)
{
    const int len = a.length();
    SortItem *begin = items + from;
    SortItem *end = items + to;
    depth = sharedPrefix(begin, end, a, depth);
    for (; depth < len; depth += 8) {
        bool differ = false;
        for (SortItem *it = begin; it != end; ++it) {
            it->chunk = chunkAt(a.key(it->entry), len, depth);
            differ = differ || it->chunk != begin->chunk;
        }
        if (differ)
            break;
    }
    if (depth >= len) { // equal keys: record-number order
        std::sort(begin, end, [&](const SortItem &x, const SortItem &y) {
            return a.recno(x.entry) < a.recno(y.entry);
        });
        return;
    }
    std::sort(begin, end, [](const SortItem &x, const SortItem &y) { return x.chunk < y.chunk; });
    for (size_t i = from; i < to;) {
        size_t j = i + 1;
        while (j < to && items[j].chunk == items[i].chunk)
            ++j;
        if (j - i > 1)
            refine(items, i, j, a, depth + 8);
        i = j;
    }
}

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
    refine(items.data(), 0, count, ListAccess { list }, 0);
    for (size_t k = 0; k < count; ++k)
        order[k] = items[k].entry;
    return order;
}

void mdx::sortRows(
    quint32 *begin, quint32 *end, const RowKeys &rows, std::vector<SortItem> &scratch)
{
    const size_t count = size_t(end - begin);
    if (count < 2)
        return;
    scratch.resize(count);
    for (size_t k = 0; k < count; ++k)
        scratch[k].entry = begin[k];
    refine(scratch.data(), 0, count, RowAccess { rows }, 0);
    for (size_t k = 0; k < count; ++k)
        begin[k] = scratch[k].entry;
}
