#include "mdximpl.h"

#include <algorithm>

#include <QCoreApplication>

using namespace mdx;

namespace
{

// Opens a gap at pos in a node image of n entries (with its pointer slot n) and writes
// the entry there.
void spliceIn(const NodeGeometry &g, char *image, int n, int pos, quint32 ptr, const char *key)
{
    char *at = image + 8 + pos * g.itemLength;
    std::memmove(at + g.itemLength, at, size_t((n - pos) * g.itemLength + 4));
    g.setEntry(image, pos, ptr, key);
}

// Entries kept on the left when a node of `total` entries splits. A split at the right
// edge of the tree while appending keeps the left node full: imports of sorted listings
// then leave full nodes behind instead of half-empty ones.
int leftShare(bool leaf, int total, bool appending)
{
    if (leaf)
        return appending ? total - 1 : (total + 1) / 2;
    return appending ? total - 2 : (total - 1) / 2;
}

} // namespace

DbStatus MdxIndex::Impl::allocate(MdxTagState &t, BlockRef &ref)
{
    if (!freed.empty()) {
        DbStatus st = cache.create(freed.back(), ref);
        if (!st)
            return st;
        freed.pop_back();
        t.pagesUsed += kBlockPages;
        return {};
    }
    // The file grows by extents set aside per tag, so that nodes a tag gains close in
    // time (the leaves of one folder during an import) lie close together in the file
    // and a walk over them reads them in few requests. Extents start where the cache's
    // read windows do, so that one read brings a whole extent instead of two halves.
    if (t.extentNext >= t.extentEnd) {
        const quint32 extent = kWindowBlocks * kBlockPages;
        if (pagesInFile > 0xFFFFFFFFu - 2 * extent)
            return DbStatus(DbStatus::IoError,
                QCoreApplication::translate(
                    "Store", "Index file  '%1'  has reached its largest size.")
                    .arg(displayName));
        const quint32 skew = (pagesInFile - quint32(kHeaderPages)) % extent;
        const quint32 start = skew ? pagesInFile + (extent - skew) : pagesInFile;
        t.extentNext = start;
        pagesInFile = start + extent;
        t.extentEnd = pagesInFile;
        cache.setEnd(pagesInFile);
    }
    DbStatus st = cache.create(t.extentNext, ref);
    if (!st)
        return st;
    t.extentNext += kBlockPages;
    t.pagesUsed += kBlockPages;
    ++createdSinceWrite;
    return {};
}

// Freed blocks are zeroed and reused by this session only: the file keeps no list of
// them, so blocks freed and not reused stay unreferenced until the next rebuild.
DbStatus MdxIndex::Impl::release(MdxTagState &t, quint32 page)
{
    BlockRef ref;
    DbStatus st = cache.create(page, ref);
    if (!st)
        return st;
    freed.push_back(page);
    t.pagesUsed = t.pagesUsed >= quint32(kBlockPages) ? t.pagesUsed - kBlockPages : 0;
    return {};
}

DbStatus MdxIndex::insert(int tag, const char *key, quint32 recno)
{
    if (!d->file.isOpen())
        return d->notOpen();
    if (tag < 0 || tag >= tagCount())
        return d->badTag(tag);
    return d->insertEntry(d->tags[size_t(tag)], key, recno);
}

DbStatus MdxIndex::insertMany(int tag, const MdxKeyList &list)
{
    if (!d->file.isOpen())
        return d->notOpen();
    if (tag < 0 || tag >= tagCount())
        return d->badTag(tag);
    MdxTagState &t = d->tags[size_t(tag)];
    const int len = t.geo.keyLength;
    if (list.keyLength != len || list.keys.size() != qsizetype(list.recnos.size()) * len)
        return DbStatus(DbStatus::InvalidArgument,
            QCoreApplication::translate("Store", "The keys given for tag \"%1\" do not match it.")
                .arg(QString::fromLatin1(t.def.name)));
    d->batch = sortedEntries(list);
    const char *keys = list.keys.constData();
    for (size_t i = 0; i < d->batch.size();) {
        // Runs past the end of the tag fill its last leaf directly; the entry that finds
        // it full (or any other) takes the way of a single insert.
        if (i == 0 || t.lastAtEnd)
            if (DbStatus st = d->appendAtEnd(t, list, i); !st)
                return st;
        if (i == d->batch.size())
            break;
        const quint32 entry = d->batch[i++];
        if (DbStatus st = d->insertEntry(t, keys + qsizetype(entry) * len, list.recnos[entry]); !st)
            return st;
    }
    // While the cache has room nothing pushes the new blocks out, and a flush would have
    // them all to write and the disk all to take at once; written every megabyte or so
    // instead, they go to the disk while the work goes on. Once the cache is full, blocks
    // pushed out do the same.
    constexpr int kWriteBehindBlocks = 1024;
    if (d->createdSinceWrite >= kWriteBehindBlocks) {
        d->createdSinceWrite = 0;
        if (d->cache.cachedBlocks() < d->cache.limit())
            if (DbStatus st = d->cache.flush(); !st) {
                d->damaged = true;
                return st;
            }
    }
    return {};
}

// Appends the sorted batch entries from next on at the end of the tag while they come
// after every entry of it: into its last leaf while that has room, then into new leaves
// beside it while their parent has room (as a split at the end would, which keeps the
// full leaf whole). next is left at the first entry not appended.
DbStatus MdxIndex::Impl::appendAtEnd(MdxTagState &t, const MdxKeyList &list, size_t &next)
{
    const NodeGeometry &g = t.geo;
    const char *keys = list.keys.constData();
    const auto keyOf = [&](size_t i) { return keys + qsizetype(batch[i]) * g.keyLength; };
    const auto recnoOf = [&](size_t i) { return list.recnos[batch[i]]; };
    const auto more = [&] { return next < batch.size() && recnoOf(next) != 0; };
    if (!more())
        return {}; // a record number of 0 is refused by the single insert
    DbStatus st = beginChange(t);
    if (!st)
        return st;
    BlockRef ref;
    int n = 0;
    if (!t.finger.empty() && t.fingerRightmost) {
        work = t.finger;
        st = loadNode(t, work.back().first, ref, n);
    } else {
        st = loadLastLeaf(t, ref, n);
    }
    if (!st)
        return st;
    if (!g.isLeaf(ref.data(), n) || (n == 0 && work.size() > 1)
        || (n > 0
            && compareEntry(g.key(ref.data(), n - 1), g.pointer(ref.data(), n - 1), keyOf(next),
                   recnoOf(next), g.keyLength)
                >= 0))
        return {};
    ++generation;
    bool changed = false;
    for (;;) {
        if (n < g.kmax && more()) {
            char *w = ref.writable();
            for (; n < g.kmax && more(); ++next)
                g.setEntry(w, n++, recnoOf(next), keyOf(next));
            put32(w, quint32(n));
            put32(w + 8 + n * g.itemLength, 0);
            g.clearTail(w, n);
            t.hasKeys = true;
            changed = true;
        }
        if (!more() || n < g.kmax || work.size() < 2)
            break;
        // The leaf is full: the parent takes its greatest key as separator and a new leaf
        // as trailing child, when it has room and the leaf is its trailing child.
        std::pair<quint32, int> &up = work[work.size() - 2];
        BlockRef parent;
        int pn = 0;
        st = loadNode(t, up.first, parent, pn);
        if (!st)
            break;
        if (pn >= g.kmax - 1 || up.second != pn || g.isLeaf(parent.data(), pn))
            break;
        BlockRef right;
        st = allocate(t, right);
        if (!st)
            break;
        char *pw = parent.writable();
        g.setEntry(pw, pn, ref.page(), g.key(ref.data(), n - 1));
        put32(pw + 8 + (pn + 1) * g.itemLength, right.page());
        put32(pw, quint32(pn + 1));
        g.clearTail(pw, pn + 1);
        if (ref.page() == t.lastLeaf)
            t.lastLeaf = right.page();
        up.second = pn + 1;
        work.back() = { right.page(), 0 };
        ref = std::move(right);
        n = 0;
        changed = true;
    }
    if (!st) {
        t.finger.clear();
        damaged = damaged || changed;
        return st;
    }
    if (changed) {
        t.lastAtEnd = true;
        t.finger = work;
        t.finger.back().second = n - 1;
        t.fingerRightmost = true;
    }
    return {};
}

DbStatus MdxIndex::remove(int tag, const char *key, quint32 recno)
{
    if (!d->file.isOpen())
        return d->notOpen();
    if (tag < 0 || tag >= tagCount())
        return d->badTag(tag);
    return d->removeEntry(d->tags[size_t(tag)], key, recno);
}

DbStatus MdxIndex::Impl::insertEntry(MdxTagState &t, const char *key, quint32 recno)
{
    if (recno == 0)
        return DbStatus(DbStatus::InvalidArgument,
            QCoreApplication::translate("Store", "Record numbers start at 1."));
    ++generation;
    DbStatus st = beginChange(t);
    if (!st)
        return st;
    bool rightmost = false;
    st = insertPlace(t, key, recno, rightmost);
    if (!st) {
        t.finger.clear();
        return st;
    }
    std::memcpy(upKey, key, size_t(t.geo.keyLength));
    bool split = false;
    bool atEnd = false;
    st = splitUpwards(t, recno, rightmost, split, atEnd);
    if (!st) {
        damaged = true;
        t.finger.clear();
        return st;
    }
    t.hasKeys = true;
    t.lastAtEnd = atEnd;
    // A split changed the nodes above the leaf; the next insert finds its way afresh.
    if (split) {
        t.finger.clear();
    } else {
        t.finger = work;
        t.fingerRightmost = rightmost;
    }
    return st;
}

// The work path down the tag's right edge, with its last leaf loaded into ref.
DbStatus MdxIndex::Impl::loadLastLeaf(const MdxTagState &t, BlockRef &ref, int &n)
{
    work.clear();
    DbStatus st = descendEdge(t, t.root, work, true);
    return st ? loadNode(t, work.back().first, ref, n) : st;
}

// The work path to the place of a new entry, as locate() finds it: from the last insert's
// leaf when the entry falls strictly inside it (or after it when it is the last leaf),
// down the right edge when the entry comes after every entry of the tag, else from the root.
DbStatus MdxIndex::Impl::insertPlace(
    MdxTagState &t, const char *key, quint32 recno, bool &rightmost)
{
    const NodeGeometry &g = t.geo;
    if (!t.finger.empty()) {
        BlockRef ref;
        int n = 0;
        DbStatus st = loadNode(t, t.finger.back().first, ref, n);
        if (!st)
            return st;
        const char *d = ref.data();
        if (n > 0 && g.isLeaf(d, n)) {
            const int last
                = compareEntry(g.key(d, n - 1), g.pointer(d, n - 1), key, recno, g.keyLength);
            if (last < 0 && t.fingerRightmost) {
                work = t.finger;
                work.back().second = n;
                rightmost = true;
                return {};
            }
            if (last > 0
                && compareEntry(g.key(d, 0), g.pointer(d, 0), key, recno, g.keyLength) < 0) {
                work = t.finger;
                work.back().second = leafLowerBound(g, d, n, key, recno);
                rightmost = t.fingerRightmost;
                return {};
            }
        }
    } else if (t.lastAtEnd && t.hasKeys) {
        BlockRef ref;
        int n = 0;
        if (DbStatus st = loadLastLeaf(t, ref, n); !st)
            return st;
        const char *d = ref.data();
        if (n > 0
            && compareEntry(g.key(d, n - 1), g.pointer(d, n - 1), key, recno, g.keyLength) < 0) {
            work.back().second = n;
            rightmost = true;
            return {};
        }
    }
    return locate(t, key, recno, work, &rightmost);
}

// Puts (recno, upKey) into the leaf at the end of the work path and carries splits up:
// a split node keeps its page for the left part, the right part gets a new block, and the
// parent receives the left part's greatest key in front of the entry that led down.
DbStatus MdxIndex::Impl::splitUpwards(
    MdxTagState &t, quint32 recno, bool rightmost, bool &split, bool &atEnd)
{
    const NodeGeometry &g = t.geo;
    quint32 rightPage = 0;
    quint32 newPtr = 0;
    split = false;
    atEnd = false;
    for (int level = int(work.size()) - 1; level >= 0; --level) {
        const bool leaf = level == int(work.size()) - 1;
        const quint32 page = work[size_t(level)].first;
        const int pos = work[size_t(level)].second;
        BlockRef ref;
        int n = 0;
        DbStatus st = loadNode(t, page, ref, n);
        if (!st)
            return st;
        if (pos < 0 || pos > n || g.isLeaf(ref.data(), n) != leaf)
            return bad(
                QCoreApplication::translate("Store", "tag \"%1\" changed shape during an insert")
                    .arg(QString::fromLatin1(t.def.name)));
        if (leaf)
            atEnd = rightmost && pos == n;
        const int total = n + 1;
        // A node with room takes the entry where it is; a full one is put together in
        // scratch first and then shared out.
        const bool fits = total <= (leaf ? g.kmax : g.kmax - 1);
        char *image = scratch;
        if (fits)
            image = ref.writable();
        else
            std::memcpy(scratch, ref.data(), size_t(8 + n * g.itemLength + 4));
        if (leaf) {
            spliceIn(g, image, n, pos, recno, upKey);
        } else {
            spliceIn(g, image, n, pos, newPtr, upKey);
            put32(image + 8 + (pos + 1) * g.itemLength, rightPage);
        }
        if (fits) {
            put32(image, quint32(total));
            g.clearTail(image, total);
            return {};
        }
        split = true;
        if (leaf && level > 0) {
            bool shifted = false;
            st = shiftRight(t, level, ref, total, shifted);
            if (!st || shifted)
                return st;
        }
        st = splitImage(t, ref, leaf, total, rightmost && pos == n, rightPage);
        if (!st)
            return st;
        newPtr = page;
    }
    BlockRef root;
    DbStatus st = allocate(t, root);
    if (!st)
        return st;
    char *w = root.writable();
    put32(w, 1);
    g.setEntry(w, 0, newPtr, upKey);
    put32(w + 8 + g.itemLength, rightPage);
    t.root = root.page();
    return {};
}

// Before splitting a full leaf, its last entry moves to the next leaf under the same
// parent when that one has room; the parent's separator for the leaf becomes the leaf's
// new greatest key. Inserts in the middle of a range then fill leaves instead of leaving
// half-empty ones behind.
DbStatus MdxIndex::Impl::shiftRight(
    MdxTagState &t, int level, BlockRef &left, int total, bool &shifted)
{
    shifted = false;
    const NodeGeometry &g = t.geo;
    const int ci = work[size_t(level - 1)].second;
    BlockRef parent;
    int pn = 0;
    DbStatus st = loadNode(t, work[size_t(level - 1)].first, parent, pn);
    if (!st || ci >= pn)
        return st;
    BlockRef right;
    int rn = 0;
    st = loadNode(t, g.pointer(parent.data(), ci + 1), right, rn);
    if (!st || rn >= g.kmax || !g.isLeaf(right.data(), rn) || right.page() == left.page())
        return st;
    char *rw = right.writable();
    spliceIn(
        g, rw, rn, 0, get32(scratch + 8 + (total - 1) * g.itemLength), g.key(scratch, total - 1));
    put32(rw, quint32(rn + 1));
    g.clearTail(rw, rn + 1);
    char *w = left.writable();
    std::memcpy(w, scratch, size_t(8 + (total - 1) * g.itemLength));
    put32(w, quint32(total - 1));
    put32(w + 8 + (total - 1) * g.itemLength, 0);
    g.clearTail(w, total - 1);
    char *pw = parent.writable();
    std::memcpy(pw + 12 + ci * g.itemLength, g.key(w, total - 2), size_t(g.keyLength));
    shifted = true;
    return {};
}

// Shares the node image in scratch (total entries) between the node's own page (left
// part) and a new block (right part), and leaves the key that goes up in upKey.
DbStatus MdxIndex::Impl::splitImage(
    MdxTagState &t, BlockRef &left, bool leaf, int total, bool appending, quint32 &rightPage)
{
    const NodeGeometry &g = t.geo;
    const int m = leftShare(leaf, total, appending);
    const int firstRight = leaf ? m : m + 1;
    const int rn = total - firstRight;
    BlockRef right;
    DbStatus st = allocate(t, right);
    if (!st)
        return st;
    char *rw = right.writable();
    std::memcpy(rw + 8, scratch + 8 + firstRight * g.itemLength, size_t(rn * g.itemLength + 4));
    put32(rw, quint32(rn));
    g.clearTail(rw, rn);
    char *w = left.writable();
    std::memcpy(w + 8, scratch + 8, size_t(m * g.itemLength + 4));
    if (leaf)
        put32(w + 8 + m * g.itemLength, 0);
    put32(w, quint32(m));
    g.clearTail(w, m);
    std::memcpy(upKey, g.key(scratch, leaf ? m - 1 : m), size_t(g.keyLength));
    if (leaf && left.page() == t.lastLeaf)
        t.lastLeaf = right.page();
    rightPage = right.page();
    return {};
}

DbStatus MdxIndex::Impl::removeEntry(MdxTagState &t, const char *key, quint32 recno)
{
    ++generation;
    t.finger.clear();
    DbStatus st = beginChange(t);
    if (!st)
        return st;
    bool found = false;
    st = locate(t, key, recno, work, nullptr);
    if (st)
        st = forward(t, work, found);
    if (!st)
        return st;
    const NodeGeometry &g = t.geo;
    BlockRef ref;
    int n = 0;
    if (found) {
        st = loadNode(t, work.back().first, ref, n);
        if (!st)
            return st;
        const int pos = work.back().second;
        found = compareEntry(
                    g.key(ref.data(), pos), g.pointer(ref.data(), pos), key, recno, g.keyLength)
            == 0;
    }
    if (!found)
        return DbStatus(DbStatus::Corrupt,
            QCoreApplication::translate(
                "Store", "Index file  '%1'  : tag \"%2\" has no entry for record %3.")
                .arg(displayName, QString::fromLatin1(t.def.name))
                .arg(recno));
    const int pos = work.back().second;
    char *w = ref.writable();
    char *at = w + 8 + pos * g.itemLength;
    std::memmove(at, at + g.itemLength, size_t((n - 1 - pos) * g.itemLength + 4));
    put32(w, quint32(n - 1));
    g.clearTail(w, n - 1);
    ref.release();
    if (n - 1 == 0 && work.size() > 1) {
        st = release(t, work.back().first);
        if (st)
            st = dropChild(t, int(work.size()) - 2);
        if (st)
            st = collapseRoot(t);
        if (st)
            st = findLeaves(t);
        if (!st) {
            damaged = true;
            return st;
        }
    }
    if (work.size() == 1 && n - 1 == 0)
        t.hasKeys = false;
    return {};
}

// Takes the child that the work path follows at `level` out of its node. A node left
// without children goes too, up to the root, which then becomes an empty leaf.
DbStatus MdxIndex::Impl::dropChild(MdxTagState &t, int level)
{
    const NodeGeometry &g = t.geo;
    for (; level >= 0; --level) {
        const quint32 page = work[size_t(level)].first;
        const int ci = work[size_t(level)].second;
        BlockRef ref;
        int n = 0;
        DbStatus st = loadNode(t, page, ref, n);
        if (!st)
            return st;
        if (ci < 0 || ci > n)
            return bad(
                QCoreApplication::translate("Store", "tag \"%1\" changed shape during a removal")
                    .arg(QString::fromLatin1(t.def.name)));
        char *w = ref.writable();
        if (n == 0) {
            if (level == 0) {
                std::memset(w, 0, kBlockSize);
                t.hasKeys = false;
                return {};
            }
            ref.release();
            st = release(t, page);
            if (!st)
                return st;
            continue;
        }
        if (ci < n) {
            char *at = w + 8 + ci * g.itemLength;
            std::memmove(at, at + g.itemLength, size_t((n - ci - 1) * g.itemLength + 4));
        }
        // When the trailing child goes, the child before it takes its place: its pointer
        // already sits in the slot that becomes the trailing one.
        put32(w, quint32(n - 1));
        g.clearTail(w, n - 1);
        return {};
    }
    return {};
}

// A root with a single child hands the root over to that child.
DbStatus MdxIndex::Impl::collapseRoot(MdxTagState &t)
{
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        BlockRef ref;
        int n = 0;
        DbStatus st = loadNode(t, t.root, ref, n);
        if (!st)
            return st;
        if (n != 0 || t.geo.isLeaf(ref.data(), n))
            return {};
        const quint32 child = t.geo.pointer(ref.data(), 0);
        const quint32 old = t.root;
        ref.release();
        st = release(t, old);
        if (!st)
            return st;
        t.root = child;
    }
    return bad(QCoreApplication::translate("Store", "tag \"%1\" is deeper than %2 levels")
                   .arg(QString::fromLatin1(t.def.name))
                   .arg(kMaxDepth));
}
