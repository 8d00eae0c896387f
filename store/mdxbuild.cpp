#include "mdximpl.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "dbfio.h"
#include "mdxsort.h"
#include "platform/replacementfile.h"

#include <algorithm>
#include <future>

using namespace mdx;

namespace
{

struct BuiltTag {
    quint32 root = 0;
    quint32 firstLeaf = 0;
    quint32 lastLeaf = 0;
    quint32 pages = 0;
    bool hasKeys = false;
};

// Writes one tag's tree from its entries in (key, recno) order, without holding them:
// the number of entries is known in advance, and with it the shape of every level (nodes
// cut into balanced groups of at most kmax, so that no node ends up with a single entry
// beside full ones). Each level's nodes go to a stretch of pages of their own, leaves
// first, then the levels above them up to the root, each written in large runs.
class TreeWriter
{
public:
    TreeWriter(int fd, const QString &path, const NodeGeometry &g, quint64 count, quint32 first)
        : m_fd(fd)
        , m_path(path)
        , m_g(g)
        , m_count(count)
    {
        quint64 items = count;
        quint32 page = first;
        do {
            Level l;
            l.groups = std::max<quint64>(1, (items + quint64(g.kmax) - 1) / quint64(g.kmax));
            l.size = items / l.groups;
            l.larger = items % l.groups;
            l.firstPage = page;
            l.runBlocks = m_levels.empty() ? 1024 : 64;
            l.run.reserve(size_t(l.runBlocks) * kBlockSize);
            page += quint32(l.groups) * kBlockPages;
            items = l.groups;
            m_levels.push_back(std::move(l));
        } while (items > 1);
        m_pages = page - first;
    }

    quint32 pages() const { return m_pages; }

    // The pages a tree of count entries takes.
    static quint64 pagesFor(quint64 count, int kmax)
    {
        quint64 pages = 0;
        quint64 items = count;
        do {
            items = std::max<quint64>(1, (items + quint64(kmax) - 1) / quint64(kmax));
            pages += items * kBlockPages;
        } while (items > 1);
        return pages;
    }

    DbStatus add(const char *key, quint32 recno)
    {
        Level &leaves = m_levels[0];
        if (leaves.done == leaves.groups)
            return { DbStatus::InvalidArgument,
                QCoreApplication::translate("Store", "More keys than counted for \"%1\".")
                    .arg(m_path) };
        char *node = leaves.node;
        g().setEntry(node, leaves.filled++, recno, key);
        if (quint64(leaves.filled) < leaves.groupSize())
            return {};
        put32(node, quint32(leaves.filled));
        return complete(0, g().key(node, leaves.filled - 1));
    }

    DbStatus finish(BuiltTag &out)
    {
        Level &leaves = m_levels[0];
        if (leaves.done == 0 && leaves.filled == 0)
            if (DbStatus st = complete(0, nullptr); !st) // the empty root leaf
                return st;
        for (Level &l : m_levels)
            if (DbStatus st = drain(l); !st)
                return st;
        out.firstLeaf = leaves.firstPage;
        out.lastLeaf = leaves.firstPage + quint32(leaves.groups - 1) * kBlockPages;
        out.root = m_levels.back().firstPage;
        out.pages = m_pages;
        out.hasKeys = m_count > 0;
        return {};
    }

private:
    struct Level {
        quint64 groups = 0; // nodes of the level
        quint64 size = 0; // entries of each node; the first `larger` nodes have one more
        quint64 larger = 0;
        quint32 firstPage = 0;
        quint64 done = 0; // nodes completed
        int filled = 0; // entries in the node being filled
        char node[kBlockSize] = {};
        std::vector<char> run; // completed nodes not yet written
        int runBlocks = 0;
        quint64 groupSize() const { return size + (done < larger ? 1 : 0); }
    };

    const NodeGeometry &g() const { return m_g; }

    // The node being filled at a level is complete: it goes to the run of its level, and
    // its page and greatest key (which lies in the node or below it) to the level above.
    DbStatus complete(size_t level, const char *maxKey)
    {
        Level &l = m_levels[level];
        const quint32 page = l.firstPage + quint32(l.done) * kBlockPages;
        l.run.insert(l.run.end(), l.node, l.node + kBlockSize);
        ++l.done;
        DbStatus st;
        if (level + 1 < m_levels.size()) {
            Level &up = m_levels[level + 1];
            if (quint64(up.filled) + 1 < up.groupSize()) {
                g().setEntry(up.node, up.filled++, page, maxKey);
            } else {
                // The last child of a node is its trailing pointer.
                put32(up.node + 8 + up.filled * g().itemLength, page);
                put32(up.node, quint32(up.filled));
                st = complete(level + 1, maxKey);
            }
        }
        std::memset(l.node, 0, kBlockSize);
        l.filled = 0;
        if (st && int(l.run.size() / kBlockSize) >= l.runBlocks)
            st = drain(l);
        return st;
    }

    DbStatus drain(Level &l)
    {
        if (l.run.empty())
            return {};
        const quint64 blocks = l.run.size() / kBlockSize;
        const qint64 at = qint64(l.firstPage + quint32(l.done - blocks) * kBlockPages) * kPageSize;
        DbStatus st = dbfio::writeAt(m_fd, l.run.data(), qint64(l.run.size()), at, m_path);
        l.run.clear();
        return st;
    }

    int m_fd;
    QString m_path;
    NodeGeometry m_g;
    quint64 m_count;
    std::vector<Level> m_levels;
    quint32 m_pages = 0;
};

QByteArray upperAscii(const QByteArray &s)
{
    return s.toUpper();
}

// The tag-name tree of the tag table: tag 1 is the root; each further tag hangs below
// the first free link on its way down (lower names left, others right).
void linkTagNames(char *head, const std::vector<MdxTagSpec> &tags)
{
    const auto slot = [&](int i) { return head + kPageSize + 32 * i; };
    for (int i = 2; i <= int(tags.size()); ++i) {
        const QByteArray name = upperAscii(tags[size_t(i - 1)].name);
        int cur = 1;
        for (;;) {
            const QByteArray curName = upperAscii(tags[size_t(cur - 1)].name);
            const bool lower = std::lexicographical_compare(name.begin(), name.end(),
                curName.begin(), curName.end(), [](char a, char b) { return uchar(a) < uchar(b); });
            char *link = slot(cur) + (lower ? 16 : 17);
            if (*link == 0) {
                *link = char(i);
                slot(i)[18] = char(cur);
                break;
            }
            cur = static_cast<unsigned char>(*link);
        }
    }
}

void fillTagHeader(char *h, const MdxTagSpec &tag, const BuiltTag &b)
{
    const NodeGeometry g { tag.keyLength, itemLengthFor(tag.keyLength),
        kmaxFor(itemLengthFor(tag.keyLength)) };
    put32(h, b.root);
    put32(h + 4, b.pages);
    h[8] = 0x10;
    h[9] = 'C';
    put16(h + 12, quint16(g.keyLength));
    put16(h + 14, quint16(g.kmax));
    put16(h + 18, quint16(g.itemLength));
    h[20] = 1;
    std::memcpy(h + 24, tag.expression.constData(), size_t(tag.expression.size()));
    h[246] = b.hasKeys ? 1 : 0;
    put32(h + 248, b.firstLeaf);
    put32(h + 252, b.lastLeaf);
    putDate(h + 257);
}

void fillFileHeader(char *head, const QByteArray &tableBaseName, int tagCount, quint32 pages)
{
    head[0] = 2;
    putDate(head + 1);
    const QByteArray base = upperAscii(tableBaseName).left(8);
    std::memcpy(head + 4, base.constData(), size_t(base.size()));
    put16(head + 20, kBlockPages);
    put16(head + 22, kBlockSize);
    head[24] = 1;
    head[25] = 48;
    head[26] = 32;
    put16(head + 28, quint16(tagCount));
    put32(head + 32, pages);
    putDate(head + 44);
    head[kPageSize + 17] = 1; // slot 0 links to tag 1, the root of the name tree
}

DbStatus invalid(const QString &what)
{
    return DbStatus(DbStatus::InvalidArgument, what);
}

DbStatus checkTags(const std::vector<MdxTagSpec> &tags)
{
    if (tags.empty() || tags.size() > size_t(kMaxTags))
        return invalid(QCoreApplication::translate("Store", "An index holds 1 to %1 tags, not %2.")
                           .arg(kMaxTags)
                           .arg(tags.size()));
    for (const MdxTagSpec &s : tags) {
        if (s.name.isEmpty() || s.name.size() > 10 || s.name.contains('\0'))
            return invalid(QCoreApplication::translate(
                "Store", "The tag name \"%1\" is not 1 to 10 characters.")
                               .arg(QString::fromLatin1(s.name)));
        if (s.expression.isEmpty() || s.expression.size() > 220 || s.expression.contains('\0'))
            return invalid(QCoreApplication::translate(
                "Store", "The expression of tag \"%1\" is not 1 to 220 characters.")
                               .arg(QString::fromLatin1(s.name)));
        if (s.keyLength < 1 || s.keyLength > kMaxKeyLength)
            return invalid(QCoreApplication::translate(
                "Store", "The key length %1 of tag \"%2\" is not 1 to %3.")
                               .arg(s.keyLength)
                               .arg(QString::fromLatin1(s.name))
                               .arg(kMaxKeyLength));
    }
    return {};
}

} // namespace

namespace
{

// Every tag's nodes take a stretch of pages known from its number of keys: where each
// tag's stretch begins, and the pages of the whole file at the end.
DbStatus planPages(const std::vector<MdxTagSpec> &tags, const MdxKeySorter &keys,
    std::vector<quint32> &firstPage, quint64 &pages)
{
    firstPage.resize(tags.size());
    pages = quint64(kHeaderPages + int(tags.size()) * kBlockPages);
    for (size_t i = 0; i < tags.size(); ++i) {
        if (keys.keyLength(int(i)) != tags[i].keyLength)
            return invalid(QCoreApplication::translate("Store",
                "The keys given for tag \"%1\" do not match its key "
                "length.")
                               .arg(QString::fromLatin1(tags[i].name)));
        firstPage[i] = quint32(pages);
        pages
            += TreeWriter::pagesFor(keys.count(int(i)), kmaxFor(itemLengthFor(tags[i].keyLength)));
        if (pages > 0xFFFFFFF0u)
            return invalid(
                QCoreApplication::translate("Store", "The index would hold more than 2 TB."));
    }
    return {};
}

// Writes every tag's tree into its stretch, two tags at a time where the machine has two
// processors.
DbStatus writeTrees(int fd, const QString &path, const std::vector<MdxTagSpec> &tags,
    MdxKeySorter &keys, const std::vector<quint32> &firstPage, std::vector<BuiltTag> &built)
{
    built.assign(tags.size(), BuiltTag());
    const auto writeTag = [&](int i) {
        const MdxTagSpec &tag = tags[size_t(i)];
        const NodeGeometry g { tag.keyLength, itemLengthFor(tag.keyLength),
            kmaxFor(itemLengthFor(tag.keyLength)) };
        TreeWriter tree(fd, path, g, keys.count(i), firstPage[size_t(i)]);
        DbStatus st = keys.read(i, [&](const char *key, quint32 recno) {
            if (recno == 0)
                return invalid(QCoreApplication::translate("Store",
                    "The keys given for tag \"%1\" include record "
                    "number 0.")
                                   .arg(QString::fromLatin1(tag.name)));
            return tree.add(key, recno);
        });
        return st ? tree.finish(built[size_t(i)]) : st;
    };
    const int tagCount = int(tags.size());
    std::future<DbStatus> odd = mdx::runAside([&] {
        for (int i = 1; i < tagCount; i += 2)
            if (DbStatus st = writeTag(i); !st)
                return st;
        return DbStatus();
    });
    DbStatus st;
    for (int i = 0; i < tagCount && st; i += 2)
        st = writeTag(i);
    const DbStatus oddDone = odd.get();
    return st ? oddDone : st;
}

// File header, tag table and tag headers: everything before the first node.
QByteArray headerArea(const QByteArray &tableBaseName, const std::vector<MdxTagSpec> &tags,
    const std::vector<BuiltTag> &built, quint32 pages)
{
    const int tagCount = int(tags.size());
    QByteArray head(kHeaderPages * kPageSize + tagCount * kBlockSize, '\0');
    char *h = head.data();
    fillFileHeader(h, tableBaseName, tagCount, pages);
    for (int i = 0; i < tagCount; ++i) {
        char *slot = h + kPageSize + 32 * (i + 1);
        const quint32 headerPage = quint32(kHeaderPages + i * kBlockPages);
        put32(slot, headerPage);
        const QByteArray tagName = upperAscii(tags[size_t(i)].name);
        std::memcpy(slot + 4, tagName.constData(), size_t(tagName.size()));
        slot[15] = 0x10;
        slot[19] = 2;
        slot[20] = 'C';
        fillTagHeader(h + headerPage * kPageSize, tags[size_t(i)], built[size_t(i)]);
    }
    linkTagNames(h, tags);
    return head;
}

} // namespace

DbStatus MdxIndex::build(const QString &path, const QByteArray &tableBaseName,
    const std::vector<MdxTagSpec> &tags, MdxKeySorter &keys)
{
    DbStatus st = checkTags(tags);
    if (!st)
        return st;
    if (keys.tagCount() != int(tags.size()))
        return invalid(
            QCoreApplication::translate("Store", "Keys were gathered for %1 tags, not %2.")
                .arg(keys.tagCount())
                .arg(tags.size()));
    std::vector<quint32> firstPage;
    quint64 pages = 0;
    if (st = planPages(tags, keys, firstPage, pages); !st)
        return st;
    if (st = keys.finish(); !st)
        return st;
    const QString name = QFileInfo(path).fileName();
    // The index is made anew whole: a link in its place is replaced, never written through.
    ReplacementFile out(path, ReplacementFile::Link::Replace);
    const auto failed = [&]() {
        return DbStatus(DbStatus::IoError,
            QCoreApplication::translate("Store", "Index file  '%1'  cannot be written: %2.")
                .arg(name, out.errorText()));
    };
    if (!out.open())
        return failed();
    const int fd = out.fd();
    std::vector<BuiltTag> built;
    if (st = writeTrees(fd, path, tags, keys, firstPage, built); !st)
        return st;
    const QByteArray head = headerArea(tableBaseName, tags, built, quint32(pages));
    if (st = dbfio::writeAt(fd, head.constData(), head.size(), 0, path); !st)
        return st;
    return out.commit() ? DbStatus() : failed();
}

DbStatus MdxIndex::build(const QString &path, const QByteArray &tableBaseName,
    const std::vector<MdxTagSpec> &tags,
    const std::function<DbStatus(int, MdxKeyList &)> &produceKeys)
{
    if (DbStatus st = checkTags(tags); !st)
        return st;
    std::vector<int> lengths;
    for (const MdxTagSpec &t : tags)
        lengths.push_back(t.keyLength);
    MdxKeySorter keys(lengths, path + QStringLiteral(".sort"));
    for (int i = 0; i < int(tags.size()); ++i) {
        MdxKeyList list;
        list.keyLength = tags[size_t(i)].keyLength;
        if (DbStatus st = produceKeys(i, list); !st)
            return st;
        if (list.keyLength != tags[size_t(i)].keyLength
            || size_t(list.keys.size()) != list.recnos.size() * size_t(list.keyLength))
            return invalid(QCoreApplication::translate("Store",
                "The keys given for tag \"%1\" do not match its key "
                "length.")
                               .arg(QString::fromLatin1(tags[size_t(i)].name)));
        if (DbStatus st = keys.addList(i, list); !st)
            return st;
    }
    return build(path, tableBaseName, tags, keys);
}
