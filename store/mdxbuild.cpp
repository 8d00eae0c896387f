#include "mdximpl.h"

#include <QFileInfo>
#include <QSaveFile>

#include "dbfio.h"

#include <algorithm>
#include <deque>
#include <future>
#include <thread>

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

// A node of the level being built: its page and the entry (index into the key list)
// holding its greatest key.
struct Built {
    quint32 page;
    quint32 maxEntry;
};

// Writes blocks one after the other from a given page on, gathered into large writes;
// the system is asked to start writing each run to the disk at once, so that the sync at
// the end has little left to wait for.
class BlockWriter
{
public:
    BlockWriter(QSaveFile &out, quint32 firstPage)
        : m_out(out)
        , m_next(firstPage)
        , m_written(qint64(firstPage) * kPageSize)
    {
        m_buffer.resize(kRunBlocks * kBlockSize);
    }

    // The next block, zeroed, to fill before put().
    char *block()
    {
        char *b = m_buffer.data() + m_used * kBlockSize;
        std::memset(b, 0, kBlockSize);
        return b;
    }
    bool put(quint32 &page)
    {
        page = m_next;
        m_next += kBlockPages;
        return ++m_used < kRunBlocks || drain();
    }
    // Writes what is gathered; false when the file cannot take it.
    bool drain()
    {
        if (m_used == 0)
            return true;
        const qint64 size = qint64(m_used) * kBlockSize;
        m_used = 0;
        if (m_out.write(m_buffer.data(), size) != size)
            return false;
        dbfio::startWriteback(int(m_out.handle()), m_written, size);
        m_written += size;
        return true;
    }
    quint32 nextPage() const { return m_next; }

private:
    static constexpr int kRunBlocks = 1024; // 1 MB
    QSaveFile &m_out;
    quint32 m_next;
    std::vector<char> m_buffer;
    int m_used = 0;
    qint64 m_written; // file offset of the next run; the header area is written last
};

// Cuts count items into ceil(count / most) groups whose sizes differ by one at most, so
// that no group ends up with a single item beside full ones.
std::vector<int> groupSizes(size_t count, int most)
{
    const size_t groups = (count + size_t(most) - 1) / size_t(most);
    std::vector<int> sizes(groups, int(count / groups));
    for (size_t i = 0; i < count % groups; ++i)
        ++sizes[i];
    return sizes;
}

// Sorting entry numbers by (key, recno) through the keys themselves makes every comparison
// two visits to scattered keys, mostly over long equal prefixes (the folder part). Instead
// the entries are sorted by eight key bytes at a time, held beside the entry number, and
// only runs that tie on those bytes go on to the next eight.
struct SortItem {
    quint64 chunk;
    quint32 entry;
};

// Eight key bytes from depth on as a number that orders as the bytes do (zero past the end).
quint64 chunkAt(const char *key, int len, int depth)
{
    unsigned char b[8] = {};
    std::memcpy(b, key + depth, size_t(std::min(8, len - depth)));
    quint64 v = 0;
    for (unsigned char c : b)
        v = (v << 8) | c;
    return v;
}

// How many leading bytes, in whole chunks, all keys of the run share with its first key.
int sharedPrefix(const SortItem *begin, const SortItem *end, const MdxKeyList &list, int depth)
{
    const int len = list.keyLength;
    const char *keys = list.keys.constData();
    const char *first = keys + size_t(begin->entry) * size_t(len);
    int shared = len / 8 * 8;
    for (const SortItem *it = begin + 1; it != end && shared > depth; ++it) {
        const char *key = keys + size_t(it->entry) * size_t(len);
        int d = depth;
        while (d < shared && std::memcmp(first + d, key + d, 8) == 0)
            d += 8;
        shared = d;
    }
    return std::max(shared, depth);
}

void refine(std::vector<SortItem> &items, size_t from, size_t to, const MdxKeyList &list, int depth)
{
    const int len = list.keyLength;
    const char *keys = list.keys.constData();
    const auto begin = items.begin() + qsizetype(from);
    const auto end = items.begin() + qsizetype(to);
    depth = sharedPrefix(&*begin, &*begin + (to - from), list, depth);
    for (; depth < len; depth += 8) {
        bool differ = false;
        for (auto it = begin; it != end; ++it) {
            it->chunk = chunkAt(keys + size_t(it->entry) * size_t(len), len, depth);
            differ = differ || it->chunk != begin->chunk;
        }
        if (differ)
            break;
    }
    if (depth >= len) { // equal keys: record-number order
        std::sort(begin, end, [&](const SortItem &a, const SortItem &b) {
            return list.recnos[a.entry] < list.recnos[b.entry];
        });
        return;
    }
    std::sort(begin, end, [](const SortItem &a, const SortItem &b) { return a.chunk < b.chunk; });
    for (size_t i = from; i < to;) {
        size_t j = i + 1;
        while (j < to && items[j].chunk == items[i].chunk)
            ++j;
        if (j - i > 1)
            refine(items, i, j, list, depth + 8);
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
    refine(items, 0, count, list, 0);
    for (size_t k = 0; k < count; ++k)
        order[k] = items[k].entry;
    return order;
}

namespace
{

bool writeTree(BlockWriter &w, const MdxKeyList &list, const std::vector<quint32> &order,
    const NodeGeometry &g, BuiltTag &out)
{
    const quint32 firstPage = w.nextPage();
    const size_t count = list.recnos.size();
    const char *keys = list.keys.constData();
    const int len = g.keyLength;
    if (count == 0) {
        w.block();
        if (!w.put(out.root))
            return false;
        out.firstLeaf = out.lastLeaf = out.root;
        out.pages = kBlockPages;
        return true;
    }
    std::vector<Built> level;
    size_t next = 0;
    for (int size : groupSizes(count, g.kmax)) {
        char *b = w.block();
        put32(b, quint32(size));
        for (int i = 0; i < size; ++i, ++next)
            g.setEntry(b, i, list.recnos[order[next]], keys + size_t(order[next]) * len);
        Built node { 0, order[next - 1] };
        if (!w.put(node.page))
            return false;
        level.push_back(node);
    }
    out.firstLeaf = level.front().page;
    out.lastLeaf = level.back().page;
    while (level.size() > 1) {
        std::vector<Built> upper;
        size_t child = 0;
        for (int size : groupSizes(level.size(), g.kmax)) {
            char *b = w.block();
            put32(b, quint32(size - 1));
            for (int i = 0; i < size - 1; ++i, ++child)
                g.setEntry(b, i, level[child].page, keys + size_t(level[child].maxEntry) * len);
            put32(b + 8 + (size - 1) * g.itemLength, level[child].page);
            Built node { 0, level[child].maxEntry };
            ++child;
            if (!w.put(node.page))
                return false;
            upper.push_back(node);
        }
        level.swap(upper);
    }
    out.root = level.front().page;
    out.pages = w.nextPage() - firstPage;
    out.hasKeys = true;
    return true;
}

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
        return invalid(
            QStringLiteral("An index holds 1 to %1 tags, not %2.").arg(kMaxTags).arg(tags.size()));
    for (const MdxTagSpec &s : tags) {
        if (s.name.isEmpty() || s.name.size() > 10 || s.name.contains('\0'))
            return invalid(QStringLiteral("The tag name \"%1\" is not 1 to 10 characters.")
                               .arg(QString::fromLatin1(s.name)));
        if (s.expression.isEmpty() || s.expression.size() > 220 || s.expression.contains('\0'))
            return invalid(
                QStringLiteral("The expression of tag \"%1\" is not 1 to 220 characters.")
                    .arg(QString::fromLatin1(s.name)));
        if (s.keyLength < 1 || s.keyLength > kMaxKeyLength)
            return invalid(QStringLiteral("The key length %1 of tag \"%2\" is not 1 to %3.")
                               .arg(s.keyLength)
                               .arg(QString::fromLatin1(s.name))
                               .arg(kMaxKeyLength));
    }
    return {};
}

} // namespace

DbStatus MdxIndex::build(const QString &path, const QByteArray &tableBaseName,
    const std::vector<MdxTagSpec> &tags,
    const std::function<DbStatus(int, MdxKeyList &)> &produceKeys)
{
    DbStatus st = checkTags(tags);
    if (!st)
        return st;
    const QString name = QFileInfo(path).fileName();
    QSaveFile out(path);
    const auto failed = [&]() {
        return DbStatus(DbStatus::IoError,
            QStringLiteral("Index file  '%1'  cannot be written: %2.")
                .arg(name, out.errorString()));
    };
    const int tagCount = int(tags.size());
    QByteArray head(kHeaderPages * kPageSize + tagCount * kBlockSize, '\0');
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || out.write(head) != head.size())
        return failed();
    BlockWriter writer(out, quint32(kHeaderPages + tagCount * kBlockPages));
    std::vector<BuiltTag> built(tags.size());
    // While one tag's tree is written the next tag's keys are produced and sorted on
    // another thread; at most two tags' keys are held, and a written tag's list is
    // reused for a later one so that its memory is taken from the system once.
    struct Job {
        int tag = 0;
        MdxKeyList list;
        std::future<std::vector<quint32>> order; // joined before list goes
    };
    const bool threads = std::thread::hardware_concurrency() > 1;
    std::deque<std::unique_ptr<Job>> inFlight;
    MdxKeyList spare;
    const auto writeOldest = [&]() {
        std::unique_ptr<Job> job = std::move(inFlight.front());
        inFlight.pop_front();
        const std::vector<quint32> order = job->order.get();
        const NodeGeometry g { job->list.keyLength, itemLengthFor(job->list.keyLength),
            kmaxFor(itemLengthFor(job->list.keyLength)) };
        const bool ok = writeTree(writer, job->list, order, g, built[size_t(job->tag)]);
        spare = std::move(job->list);
        return ok;
    };
    for (int i = 0; i < tagCount; ++i) {
        auto job = std::make_unique<Job>();
        job->tag = i;
        job->list = std::move(spare);
        spare = MdxKeyList();
        job->list.keys.resize(0);
        job->list.recnos.clear();
        job->list.keyLength = tags[size_t(i)].keyLength;
        st = produceKeys(i, job->list);
        if (!st)
            return st;
        const MdxKeyList &list = job->list;
        if (list.keyLength != tags[size_t(i)].keyLength
            || size_t(list.keys.size()) != list.recnos.size() * size_t(list.keyLength)
            || std::find(list.recnos.begin(), list.recnos.end(), 0u) != list.recnos.end())
            return invalid(QStringLiteral("The keys given for tag \"%1\" do not match its key "
                                          "length or include record number 0.")
                               .arg(QString::fromLatin1(tags[size_t(i)].name)));
        job->order = std::async(threads ? std::launch::async : std::launch::deferred, sortedEntries,
            std::cref(job->list));
        inFlight.push_back(std::move(job));
        if (inFlight.size() >= 2 && !writeOldest())
            return failed();
    }
    while (!inFlight.empty())
        if (!writeOldest())
            return failed();
    if (!writer.drain())
        return failed();
    char *h = head.data();
    fillFileHeader(h, tableBaseName, tagCount, writer.nextPage());
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
    if (!out.seek(0) || out.write(head) != head.size() || !out.commit())
        return failed();
    return {};
}
