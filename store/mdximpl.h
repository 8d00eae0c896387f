#pragma once

// Internals of MdxIndex shared by its source files (open and flush, tree walks,
// updates, verification). Not for use outside the index.

#include "mdxindex.h"
#include "mdxpage.h"
#include "mdxsort.h"

#include <QFile>

using MdxPath = std::vector<std::pair<quint32, int>>;

struct MdxTagState {
    MdxTagSpec def;
    quint32 headerPage = 0;
    quint32 root = 0;
    quint32 firstLeaf = 0;
    quint32 lastLeaf = 0;
    quint32 pagesUsed = 0;
    quint32 extentNext = 0; // blocks set aside for this tag's new nodes: [next, end)
    quint32 extentEnd = 0;
    mdx::NodeGeometry geo;
    bool hasKeys = false;
    bool leavesKnown = false; // firstLeaf/lastLeaf checked against the tree in this session
    bool dirty = false; // the tag header needs rewriting
    mutable int leafDepth = -1; // depth of the leaves as the last search found it
    // The path (root to leaf) of the last insert, kept while nothing but inserts that
    // fitted into that leaf changed the tag: a following insert that falls inside the leaf,
    // or past its end when the leaf is the last one, goes there without a descent.
    MdxPath finger;
    bool fingerRightmost = false; // the finger runs down the right edge of the tree
    bool lastAtEnd = false; // the last insert went after every entry of the tag
};

struct MdxIndex::Impl {
    QString path;
    QString displayName;
    QFile file;
    mdx::BlockCache cache;
    std::vector<MdxTagState> tags;
    quint32 pagesInFile = 0;
    bool busyOnDisk = false; // the file header says a change is in progress
    bool damaged = false; // a change failed half way: the busy mark must stay on disk
    quint64 generation = 1; // counts changes, so that cursors notice a changed tree
    MdxPath work; // reused by insert and remove
    MdxPath ahead; // reused by peekRecnos and checkLanding
    std::vector<quint32> batch; // insertMany: the entries of its list in order
    int createdSinceWrite = 0; // blocks allocated since insertMany last wrote the cache
    std::vector<quint32> freed; // blocks given up in this session, taken again first
    char scratch[2 * mdx::kBlockSize];
    char upKey[mdx::kMaxKeyLength];

    // Failures
    DbStatus bad(const QString &reason) const;
    DbStatus notOpen() const;
    DbStatus badTag(int tag) const;
    // The tag a cursor operation starts on: notOpen or badTag when there is none.
    DbStatus cursorTag(int tag, const MdxTagState *&out) const;
    DbStatus tooDeep(const MdxTagState &t) const;
    bool validBlock(quint32 page) const
    {
        return page >= quint32(mdx::kHeaderPages) && page % mdx::kBlockPages == 0
            && quint64(page) + mdx::kBlockPages <= pagesInFile;
    }

    // Opening and writing back (mdxindex.cpp)
    DbStatus readHeader();
    DbStatus readTag(int slot, MdxTagState &t);
    DbStatus beginChange(MdxTagState &t);
    DbStatus writeBack();

    // Tree walks (mdxtree.cpp)
    DbStatus loadNode(
        const MdxTagState &t, quint32 page, mdx::BlockRef &ref, int &n, bool walking = false) const;
    DbStatus locate(
        const MdxTagState &t, const char *key, quint32 recno, MdxPath &path, bool *rightmost);
    DbStatus chooseChild(const MdxTagState &t, const char *node, int n, const char *key,
        quint32 recno, int depth, int &child);
    DbStatus maxAtLeast(const MdxTagState &t, quint32 page, int depth, const char *key,
        quint32 recno, bool &result);
    DbStatus descendEdge(const MdxTagState &t, quint32 page, MdxPath &path, bool rightEdge);
    DbStatus forward(const MdxTagState &t, MdxPath &path, bool &valid);
    DbStatus backward(const MdxTagState &t, MdxPath &path, bool &valid);
    // Reads the entry the path is on into key and recno. With ascent 1 (-1) the entry must
    // come after (before) the (key, recno) they hold: a step that does not is BadIndex, as
    // is record number 0.
    DbStatus readEntry(
        const MdxTagState &t, const MdxPath &path, QByteArray &key, quint32 &recno, int ascent = 0);
    DbStatus checkLanding(
        const MdxTagState &t, const MdxPath &path, bool valid, const char *key, quint32 recno);
    DbStatus findLeaves(MdxTagState &t);
    DbStatus relocate(const MdxTagState &t, Cursor &c, bool &onEntry);
    // Runs a cursor move and reads the entry it lands on; clears the cursor on failure.
    template <typename Move>
    DbStatus settle(const MdxTagState &t, Cursor &c, Move move, int ascent = 0)
    {
        DbStatus st = move(c.m_path, c.m_valid);
        if (st && c.m_valid)
            st = readEntry(t, c.m_path, c.m_key, c.m_recno, ascent);
        c.m_generation = generation;
        if (!st || !c.m_valid) {
            c.m_valid = false;
            c.m_path.clear();
        }
        return st;
    }

    // Updates (mdxupdate.cpp)
    DbStatus insertEntry(MdxTagState &t, const char *key, quint32 recno);
    DbStatus insertPlace(MdxTagState &t, const char *key, quint32 recno, bool &rightmost);
    DbStatus loadLastLeaf(const MdxTagState &t, mdx::BlockRef &ref, int &n);
    DbStatus appendAtEnd(MdxTagState &t, const MdxKeyList &list, size_t &next);
    DbStatus removeEntry(MdxTagState &t, const char *key, quint32 recno);
    DbStatus splitUpwards(MdxTagState &t, quint32 recno, bool rightmost, bool &split, bool &atEnd);
    DbStatus shiftRight(MdxTagState &t, int level, mdx::BlockRef &left, int total, bool &shifted);
    DbStatus splitImage(MdxTagState &t, mdx::BlockRef &left, bool leaf, int total, bool appending,
        quint32 &rightPage);
    DbStatus dropChild(MdxTagState &t, int level);
    DbStatus collapseRoot(MdxTagState &t);
    DbStatus allocate(MdxTagState &t, mdx::BlockRef &ref);
    DbStatus release(MdxTagState &t, quint32 page);

    // Verification (mdxverify.cpp)
    class TreeCheck;
    DbStatus verifyTag(
        const MdxTagState &t, const std::function<void(const char *, quint32)> &visit);
};

namespace mdx
{
// Today as the three date bytes of the index headers.
void putDate(char *p);

// First entry of a leaf not less than (key, recno).
inline int leafLowerBound(
    const NodeGeometry &g, const char *node, int n, const char *key, quint32 recno)
{
    int lo = 0;
    int hi = n;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (compareEntry(g.key(node, mid), g.pointer(node, mid), key, recno, g.keyLength) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}
} // namespace mdx
