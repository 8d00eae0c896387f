#include "mdximpl.h"

#include <QCoreApplication>

using namespace mdx;

namespace
{

// Leaves skipped in one move before we call the tree broken: our own trees never hold an
// empty leaf below the root, so this only bounds the walk over a damaged file.
constexpr int kMaxEmptyLeaves = 1000;

// First separator not less than key, n when there is none.
int separatorLowerBound(const NodeGeometry &g, const char *node, int n, const char *key)
{
    int lo = 0;
    int hi = n;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (std::memcmp(g.key(node, mid), key, size_t(g.keyLength)) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

} // namespace

DbStatus MdxIndex::Impl::loadNode(
    const MdxTagState &t, quint32 page, BlockRef &ref, int &n, bool walking) const
{
    if (!validBlock(page))
        return bad(
            QCoreApplication::translate("Store", "tag \"%1\" points to page %2, outside the file")
                .arg(QString::fromLatin1(t.def.name))
                .arg(page));
    DbStatus st = const_cast<BlockCache &>(cache).fetch(page, ref, walking);
    if (!st)
        return st;
    const quint32 count = NodeGeometry::count(ref.data());
    if (count > quint32(t.geo.kmax))
        return bad(QCoreApplication::translate(
            "Store", "the node at page %1 claims %2 entries, more than %3 fit")
                       .arg(page)
                       .arg(count)
                       .arg(t.geo.kmax));
    n = int(count);
    return {};
}

DbStatus MdxIndex::Impl::tooDeep(const MdxTagState &t) const
{
    return bad(QCoreApplication::translate(
        "Store", "tag \"%1\" is deeper than %2 levels (a cycle of pages)")
                   .arg(QString::fromLatin1(t.def.name))
                   .arg(kMaxDepth));
}

// Separators are the greatest key of their subtree but carry no record number, so when the
// key equals a run of separators the record numbers decide: we take the first child whose
// greatest entry is not less than (key, recno), found from the children's right edges.
DbStatus MdxIndex::Impl::chooseChild(const MdxTagState &t, const char *node, int n, const char *key,
    quint32 recno, int depth, int &child)
{
    const NodeGeometry &g = t.geo;
    const int lo = separatorLowerBound(g, node, n, key);
    if (lo == n || std::memcmp(g.key(node, lo), key, size_t(g.keyLength)) != 0) {
        child = lo;
        return {};
    }
    int hi = lo;
    while (hi + 1 < n && std::memcmp(g.key(node, hi + 1), key, size_t(g.keyLength)) == 0)
        ++hi;
    bool atLeast = false;
    DbStatus st = maxAtLeast(t, g.pointer(node, hi), depth + 1, key, recno, atLeast);
    if (!st)
        return st;
    if (!atLeast) {
        child = hi + 1; // appending after every equal key: the usual case
        return {};
    }
    int a = lo;
    int b = hi;
    while (a < b) {
        const int mid = (a + b) / 2;
        st = maxAtLeast(t, g.pointer(node, mid), depth + 1, key, recno, atLeast);
        if (!st)
            return st;
        if (atLeast)
            b = mid;
        else
            a = mid + 1;
    }
    child = a;
    return {};
}

// Whether the greatest entry below page is not less than (key, recno).
DbStatus MdxIndex::Impl::maxAtLeast(
    const MdxTagState &t, quint32 page, int depth, const char *key, quint32 recno, bool &result)
{
    for (;; ++depth) {
        if (depth >= kMaxDepth)
            return tooDeep(t);
        BlockRef ref;
        int n = 0;
        DbStatus st = loadNode(t, page, ref, n);
        if (!st)
            return st;
        const char *d = ref.data();
        if (t.geo.isLeaf(d, n)) {
            result = n > 0
                && compareEntry(
                       t.geo.key(d, n - 1), t.geo.pointer(d, n - 1), key, recno, t.geo.keyLength)
                    >= 0;
            return {};
        }
        page = t.geo.pointer(d, n);
    }
}

// Path from the root to the leaf position of the first entry not less than (key, recno).
// The position may be one past the leaf's last entry; forward() then moves on.
DbStatus MdxIndex::Impl::locate(
    const MdxTagState &t, const char *key, quint32 recno, MdxPath &path, bool *rightmost)
{
    path.clear();
    quint32 page = t.root;
    bool right = true;
    for (int depth = 0;; ++depth) {
        if (depth >= kMaxDepth)
            return tooDeep(t);
        // The last inner level and the leaves below it were mostly made at about the same
        // time, so they share an extent: a miss there reads the window that holds them
        // all, where single reads would fetch the same blocks one by one before the walk
        // that follows reads the window anyway. Higher up single blocks serve better.
        BlockRef ref;
        int n = 0;
        DbStatus st = loadNode(t, page, ref, n, depth + 1 >= t.leafDepth);
        if (!st)
            return st;
        const char *d = ref.data();
        if (t.geo.isLeaf(d, n)) {
            path.emplace_back(page, leafLowerBound(t.geo, d, n, key, recno));
            if (rightmost)
                *rightmost = right;
            t.leafDepth = depth;
            return {};
        }
        int child = 0;
        st = chooseChild(t, d, n, key, recno, depth, child);
        if (!st)
            return st;
        right = right && child == n;
        path.emplace_back(page, child);
        page = t.geo.pointer(d, child);
    }
}

// Appends the path from page down its left or right edge to a leaf.
DbStatus MdxIndex::Impl::descendEdge(
    const MdxTagState &t, quint32 page, MdxPath &path, bool rightEdge)
{
    for (;;) {
        if (path.size() >= size_t(kMaxDepth))
            return tooDeep(t);
        // Windows pay off near the leaves, as in locate(); before the depth is known a
        // walk (which comes up from a leaf) reads them, a descent from the root does not.
        const int depth = int(path.size());
        const bool low = t.leafDepth < 0 ? depth > 0 : depth + 1 >= t.leafDepth;
        BlockRef ref;
        int n = 0;
        DbStatus st = loadNode(t, page, ref, n, low);
        if (!st)
            return st;
        const char *d = ref.data();
        if (t.geo.isLeaf(d, n)) {
            path.emplace_back(page, rightEdge ? n - 1 : 0);
            t.leafDepth = depth;
            return {};
        }
        const int child = rightEdge ? n : 0;
        path.emplace_back(page, child);
        page = t.geo.pointer(d, child);
    }
}

// Settles the path on an entry at or after its leaf position; valid is false at the end.
DbStatus MdxIndex::Impl::forward(const MdxTagState &t, MdxPath &path, bool &valid)
{
    valid = false;
    for (int hops = 0; !path.empty(); ++hops) {
        if (hops > kMaxEmptyLeaves)
            return bad(QCoreApplication::translate("Store", "tag \"%1\" has a run of empty leaves")
                           .arg(QString::fromLatin1(t.def.name)));
        BlockRef ref;
        int n = 0;
        DbStatus st = loadNode(t, path.back().first, ref, n, true);
        if (!st)
            return st;
        if (path.back().second < n && path.back().second >= 0) {
            valid = true;
            return {};
        }
        path.pop_back();
        quint32 child = 0;
        while (!path.empty()) {
            st = loadNode(t, path.back().first, ref, n, true);
            if (!st)
                return st;
            int &idx = path.back().second;
            if (idx >= 0 && idx < n) {
                ++idx;
                child = t.geo.pointer(ref.data(), idx);
                break;
            }
            path.pop_back();
        }
        if (path.empty())
            return {};
        st = descendEdge(t, child, path, false);
        if (!st)
            return st;
    }
    return {};
}

// Settles the path on an entry at or before its leaf position; valid is false at the start.
DbStatus MdxIndex::Impl::backward(const MdxTagState &t, MdxPath &path, bool &valid)
{
    valid = false;
    for (int hops = 0; !path.empty(); ++hops) {
        if (hops > kMaxEmptyLeaves)
            return bad(QCoreApplication::translate("Store", "tag \"%1\" has a run of empty leaves")
                           .arg(QString::fromLatin1(t.def.name)));
        BlockRef ref;
        int n = 0;
        DbStatus st = loadNode(t, path.back().first, ref, n, true);
        if (!st)
            return st;
        int &pos = path.back().second;
        if (pos >= n)
            pos = n - 1;
        if (pos >= 0) {
            valid = true;
            return {};
        }
        path.pop_back();
        quint32 child = 0;
        while (!path.empty()) {
            st = loadNode(t, path.back().first, ref, n, true);
            if (!st)
                return st;
            int &idx = path.back().second;
            if (idx > n)
                idx = n + 1;
            if (idx > 0) {
                --idx;
                child = t.geo.pointer(ref.data(), idx);
                break;
            }
            path.pop_back();
        }
        if (path.empty())
            return {};
        st = descendEdge(t, child, path, true);
        if (!st)
            return st;
    }
    return {};
}

// Every cursor takes its entry here, so this is where an entry that cannot be right stops
// a walk: record number 0, or a step that does not move on in (key, record number) order
// (which would visit an entry twice, or walk in circles).
DbStatus MdxIndex::Impl::readEntry(
    const MdxTagState &t, const MdxPath &path, QByteArray &key, quint32 &recno, int ascent)
{
    BlockRef ref;
    int n = 0;
    DbStatus st = loadNode(t, path.back().first, ref, n);
    if (!st)
        return st;
    const int pos = path.back().second;
    const char *node = ref.data();
    if (pos < 0 || pos >= n || !t.geo.isLeaf(node, n))
        return bad(
            QCoreApplication::translate("Store", "a leaf of tag \"%1\" changed under a cursor")
                .arg(QString::fromLatin1(t.def.name)));
    const char *entryKey = t.geo.key(node, pos);
    const quint32 entryRecno = t.geo.pointer(node, pos);
    if (entryRecno == 0)
        return bad(QCoreApplication::translate(
            "Store", "the leaf at page %1 of tag \"%2\" holds an entry for record 0")
                       .arg(path.back().first)
                       .arg(QString::fromLatin1(t.def.name)));
    if (ascent != 0 && key.size() == t.geo.keyLength
        && compareEntry(entryKey, entryRecno, key.constData(), recno, t.geo.keyLength) * ascent
            <= 0)
        return bad(QCoreApplication::translate(
            "Store", "the entries of tag \"%1\" are out of order at page %2")
                       .arg(QString::fromLatin1(t.def.name))
                       .arg(path.back().first));
    if (key.size() != t.geo.keyLength)
        key.resize(t.geo.keyLength);
    std::memcpy(key.data(), entryKey, size_t(t.geo.keyLength));
    recno = entryRecno;
    return {};
}

// A search that lands where its key does not belong was led astray by a separator that
// lies: the entry found must not be less than (key, recno), and the one before it must be.
DbStatus MdxIndex::Impl::checkLanding(
    const MdxTagState &t, const MdxPath &path, bool valid, const char *key, quint32 recno)
{
    const auto misled = [&] {
        return bad(
            QCoreApplication::translate("Store", "a search in tag \"%1\" lands out of key order")
                .arg(QString::fromLatin1(t.def.name)));
    };
    BlockRef ref;
    int n = 0;
    if (valid) {
        DbStatus st = loadNode(t, path.back().first, ref, n);
        if (!st)
            return st;
        const int pos = path.back().second;
        const char *node = ref.data();
        if (compareEntry(
                t.geo.key(node, pos), t.geo.pointer(node, pos), key, recno, t.geo.keyLength)
            < 0)
            return misled();
        if (pos > 0)
            return compareEntry(t.geo.key(node, pos - 1), t.geo.pointer(node, pos - 1), key, recno,
                       t.geo.keyLength)
                    < 0
                ? DbStatus()
                : misled();
        ahead = path;
        ahead.back().second = -1;
    } else {
        ahead.clear();
        if (DbStatus st = descendEdge(t, t.root, ahead, true); !st)
            return st;
    }
    bool before = false;
    if (DbStatus st = backward(t, ahead, before); !st || !before)
        return st;
    DbStatus st = loadNode(t, ahead.back().first, ref, n);
    if (!st)
        return st;
    const int pos = ahead.back().second;
    return compareEntry(t.geo.key(ref.data(), pos), t.geo.pointer(ref.data(), pos), key, recno,
               t.geo.keyLength)
            < 0
        ? DbStatus()
        : misled();
}

// The leftmost and rightmost leaves, as the tag header records them.
DbStatus MdxIndex::Impl::findLeaves(MdxTagState &t)
{
    MdxPath edge;
    DbStatus st = descendEdge(t, t.root, edge, false);
    if (!st)
        return st;
    t.firstLeaf = edge.back().first;
    edge.clear();
    st = descendEdge(t, t.root, edge, true);
    if (!st)
        return st;
    t.lastLeaf = edge.back().first;
    t.leavesKnown = true;
    return {};
}

// ---- public cursor operations ----

DbStatus MdxIndex::seek(int tag, const QByteArray &key, quint32 recno, Cursor &c)
{
    c.m_valid = false;
    const MdxTagState *tagState = nullptr;
    if (DbStatus st = d->cursorTag(tag, tagState); !st)
        return st;
    const MdxTagState &t = *tagState;
    char padded[kMaxKeyLength];
    const int len = std::min<int>(int(key.size()), t.geo.keyLength);
    std::memcpy(padded, key.constData(), size_t(len));
    std::memset(padded + len, ' ', size_t(t.geo.keyLength - len));
    c.m_tag = tag;
    return d->settle(t, c, [&](MdxPath &p, bool &v) {
        DbStatus st = d->locate(t, padded, recno, p, nullptr);
        if (st)
            st = d->forward(t, p, v);
        return st ? d->checkLanding(t, p, v, padded, recno) : st;
    });
}

DbStatus MdxIndex::first(int tag, Cursor &c)
{
    c.m_valid = false;
    const MdxTagState *tagState = nullptr;
    if (DbStatus st = d->cursorTag(tag, tagState); !st)
        return st;
    const MdxTagState &t = *tagState;
    c.m_tag = tag;
    return d->settle(t, c, [&](MdxPath &p, bool &v) {
        p.clear();
        DbStatus st = d->descendEdge(t, t.root, p, false);
        return st ? d->forward(t, p, v) : st;
    });
}

DbStatus MdxIndex::last(int tag, Cursor &c)
{
    c.m_valid = false;
    const MdxTagState *tagState = nullptr;
    if (DbStatus st = d->cursorTag(tag, tagState); !st)
        return st;
    const MdxTagState &t = *tagState;
    c.m_tag = tag;
    return d->settle(t, c, [&](MdxPath &p, bool &v) {
        p.clear();
        DbStatus st = d->descendEdge(t, t.root, p, true);
        return st ? d->backward(t, p, v) : st;
    });
}

void MdxIndex::peekRecnos(
    const Cursor &c, const QByteArray &high, int max, std::vector<quint32> &out)
{
    out.clear();
    if (!d->file.isOpen() || !c.m_valid || c.m_generation != d->generation || c.m_tag < 0
        || c.m_tag >= tagCount() || c.m_path.empty())
        return;
    const MdxTagState &t = d->tags[size_t(c.m_tag)];
    const size_t bound = size_t(std::min<qsizetype>(high.size(), t.geo.keyLength));
    MdxPath &path = d->ahead;
    path = c.m_path;
    while (int(out.size()) < max) {
        bool valid = false;
        if (!d->forward(t, path, valid) || !valid)
            return;
        BlockRef ref;
        int n = 0;
        if (!d->loadNode(t, path.back().first, ref, n, true) || !t.geo.isLeaf(ref.data(), n))
            return;
        // Keys are in order: when the leaf's last one is within the bound, all are.
        const char *node = ref.data();
        const bool whole
            = !bound || std::memcmp(t.geo.key(node, n - 1), high.constData(), bound) <= 0;
        int &pos = path.back().second;
        for (; pos < n && int(out.size()) < max; ++pos) {
            if (!whole && std::memcmp(t.geo.key(node, pos), high.constData(), bound) > 0)
                return;
            out.push_back(t.geo.pointer(node, pos));
        }
    }
}

// Finds a cursor's place again in a tree changed since it was placed: the path then leads
// to the first entry not less than its (key, recno); onEntry tells whether that is still
// the cursor's own entry.
DbStatus MdxIndex::Impl::relocate(const MdxTagState &t, Cursor &c, bool &onEntry)
{
    onEntry = false;
    if (c.m_key.size() != t.geo.keyLength)
        return DbStatus(DbStatus::InvalidArgument,
            QCoreApplication::translate("Store", "The index cursor is not on an entry."));
    DbStatus st = locate(t, c.m_key.constData(), c.m_recno, c.m_path, nullptr);
    if (!st)
        return st;
    BlockRef ref;
    int n = 0;
    st = loadNode(t, c.m_path.back().first, ref, n);
    if (!st)
        return st;
    const int pos = c.m_path.back().second;
    onEntry = pos < n
        && compareEntry(t.geo.key(ref.data(), pos), t.geo.pointer(ref.data(), pos),
               c.m_key.constData(), c.m_recno, t.geo.keyLength)
            == 0;
    return {};
}

DbStatus MdxIndex::next(Cursor &c)
{
    if (!d->file.isOpen())
        return d->notOpen();
    if (!c.m_valid || c.m_tag < 0 || c.m_tag >= tagCount() || c.m_path.empty())
        return DbStatus(DbStatus::InvalidArgument,
            QCoreApplication::translate("Store", "The index cursor is not on an entry."));
    const MdxTagState &t = d->tags[size_t(c.m_tag)];
    bool onEntry = true;
    if (c.m_generation != d->generation) {
        if (DbStatus st = d->relocate(t, c, onEntry); !st) {
            c.m_valid = false;
            return st;
        }
    }
    return d->settle(
        t, c,
        [&](MdxPath &p, bool &v) {
            if (onEntry)
                ++p.back().second;
            return d->forward(t, p, v);
        },
        1);
}

DbStatus MdxIndex::prior(Cursor &c)
{
    if (!d->file.isOpen())
        return d->notOpen();
    if (!c.m_valid || c.m_tag < 0 || c.m_tag >= tagCount() || c.m_path.empty())
        return DbStatus(DbStatus::InvalidArgument,
            QCoreApplication::translate("Store", "The index cursor is not on an entry."));
    const MdxTagState &t = d->tags[size_t(c.m_tag)];
    bool onEntry = true;
    if (c.m_generation != d->generation) {
        if (DbStatus st = d->relocate(t, c, onEntry); !st) {
            c.m_valid = false;
            return st;
        }
    }
    return d->settle(
        t, c,
        [&](MdxPath &p, bool &v) {
            --p.back().second;
            return d->backward(t, p, v);
        },
        -1);
}
