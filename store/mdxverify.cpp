#include "mdximpl.h"

using namespace mdx;

// One walk over one tag. Every fault ends the walk with a message naming the page.
class MdxIndex::Impl::TreeCheck
{
public:
    TreeCheck(const MdxIndex::Impl &d, const MdxTagState &t,
        const std::function<void(const char *, quint32)> &visit)
        : m_d(d)
        , m_t(t)
        , m_g(t.geo)
        , m_visit(visit)
        , m_seen(d.pagesInFile / kBlockPages, false)
    {
        for (const MdxTagState &other : d.tags)
            if (d.validBlock(other.headerPage))
                m_seen[other.headerPage / kBlockPages] = true;
    }

    DbStatus run()
    {
        DbStatus st = node(m_t.root, 0, nullptr);
        if (!st)
            return st;
        if (m_t.firstLeaf != 0 && m_t.firstLeaf != m_firstLeaf)
            return fault(
                QStringLiteral("the header names page %1 as first leaf").arg(m_t.firstLeaf),
                m_t.headerPage);
        if (m_t.lastLeaf != 0 && m_t.lastLeaf != m_lastLeaf)
            return fault(QStringLiteral("the header names page %1 as last leaf").arg(m_t.lastLeaf),
                m_t.headerPage);
        return {};
    }

private:
    DbStatus fault(const QString &what, quint32 page) const
    {
        return m_d.bad(QStringLiteral("tag \"%1\": %2 (page %3)")
                           .arg(QString::fromLatin1(m_t.def.name), what)
                           .arg(page));
    }

    DbStatus node(quint32 page, int depth, const char *upper)
    {
        if (depth >= kMaxDepth)
            return fault(QStringLiteral("the tree is deeper than %1 levels").arg(kMaxDepth), page);
        if (!m_d.validBlock(page))
            return fault(
                QStringLiteral("a pointer leads outside the file or off a block boundary"), page);
        if (m_seen[page / kBlockPages])
            return fault(QStringLiteral("the page is reached twice"), page);
        m_seen[page / kBlockPages] = true;
        BlockRef ref;
        int n = 0;
        DbStatus st = m_d.loadNode(m_t, page, ref, n);
        if (!st)
            return st;
        const char *d = ref.data();
        if (m_g.isLeaf(d, n))
            return leaf(page, d, n, depth, upper);
        if (n > m_g.kmax - 1)
            return fault(QStringLiteral("an inner node holds %1 keys, more than %2")
                             .arg(n)
                             .arg(m_g.kmax - 1),
                page);
        for (int i = 0; i < n; ++i) {
            const char *sep = m_g.key(d, i);
            if (upper && std::memcmp(sep, upper, size_t(m_g.keyLength)) > 0)
                return fault(
                    QStringLiteral("separator %1 exceeds the bound from above").arg(i), page);
            if (i > 0 && std::memcmp(m_g.key(d, i - 1), sep, size_t(m_g.keyLength)) > 0)
                return fault(
                    QStringLiteral("separators %1 and %2 are out of order").arg(i - 1).arg(i),
                    page);
        }
        for (int i = 0; i <= n; ++i) {
            st = node(m_g.pointer(d, i), depth + 1, i < n ? m_g.key(d, i) : upper);
            if (!st)
                return st;
        }
        return {};
    }

    DbStatus leaf(quint32 page, const char *d, int n, int depth, const char *upper)
    {
        if (m_leafDepth < 0)
            m_leafDepth = depth;
        else if (m_leafDepth != depth)
            return fault(QStringLiteral("a leaf lies at depth %1, another at %2")
                             .arg(depth)
                             .arg(m_leafDepth),
                page);
        if (n == 0 && depth > 0)
            return fault(QStringLiteral("a leaf below the root is empty"), page);
        if (m_firstLeaf == 0)
            m_firstLeaf = page;
        m_lastLeaf = page;
        for (int i = 0; i < n; ++i) {
            const char *key = m_g.key(d, i);
            const quint32 recno = m_g.pointer(d, i);
            if (recno == 0)
                return fault(QStringLiteral("entry %1 has record number 0").arg(i), page);
            if (upper && std::memcmp(key, upper, size_t(m_g.keyLength)) > 0)
                return fault(QStringLiteral("entry %1 exceeds its separator").arg(i), page);
            if (m_hasPrev && compareEntry(m_prev, m_prevRecno, key, recno, m_g.keyLength) >= 0)
                return fault(
                    QStringLiteral("entry %1 (record %2) is out of order").arg(i).arg(recno), page);
            std::memcpy(m_prev, key, size_t(m_g.keyLength));
            m_prevRecno = recno;
            m_hasPrev = true;
            if (m_visit)
                m_visit(key, recno);
        }
        return {};
    }

    const MdxIndex::Impl &m_d;
    const MdxTagState &m_t;
    const NodeGeometry &m_g;
    const std::function<void(const char *, quint32)> &m_visit;
    std::vector<bool> m_seen;
    int m_leafDepth = -1;
    quint32 m_firstLeaf = 0;
    quint32 m_lastLeaf = 0;
    char m_prev[kMaxKeyLength] = {};
    quint32 m_prevRecno = 0;
    bool m_hasPrev = false;
};

DbStatus MdxIndex::Impl::verifyTag(
    const MdxTagState &t, const std::function<void(const char *, quint32)> &visit)
{
    return TreeCheck(*this, t, visit).run();
}

DbStatus MdxIndex::verify(int tag, const std::function<void(const char *key, quint32 recno)> &visit)
{
    if (!d->file.isOpen())
        return d->notOpen();
    if (tag < 0 || tag >= tagCount())
        return d->badTag(tag);
    return d->verifyTag(d->tags[size_t(tag)], visit);
}
