// Feeds arbitrary bytes to the index as a file: open, walk every tag both ways, verify,
// seek, and insert and remove on a copy. Any crash, hang or leak is a fault.
#include "store/mdxindex.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace
{

// Walks are bounded: a damaged file may describe a tree whose pages are shared many
// times over, which is finite but needlessly long to walk.
constexpr int kMaxSteps = 5000;

void walk(MdxIndex &idx, int tag)
{
    MdxIndex::Cursor c;
    idx.first(tag, c);
    for (int i = 0; i < kMaxSteps && c.isValid(); ++i)
        idx.next(c);
    idx.last(tag, c);
    for (int i = 0; i < kMaxSteps && c.isValid(); ++i)
        idx.prior(c);
}

void exercise(const QString &path, bool change, int cacheBlocks)
{
    std::unique_ptr<MdxIndex> idx;
    if (!MdxIndex::open(path, idx))
        return;
    idx->setCacheLimit(cacheBlocks);
    for (int tag = 0; tag < idx->tagCount(); ++tag) {
        walk(*idx, tag);
        idx->verify(tag, [](const char *, quint32) {});
        MdxIndex::Cursor c;
        idx->seek(tag, QByteArray("M"), 0, c);
        if (c.isValid())
            idx->next(c);
        if (!change)
            continue;
        const QByteArray key(idx->tagSpec(tag).keyLength, 'M');
        for (quint32 r = 1; r <= 12; ++r)
            idx->insert(tag, key.constData(), r);
        idx->remove(tag, key.constData(), 5);
        walk(*idx, tag);
    }
    idx->close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.mdx"));
    const QString copy = dir.filePath(QStringLiteral("copy.mdx"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    exercise(path, false, 64); // large enough to read windows of blocks
    QFile::remove(copy);
    QFile::copy(path, copy);
    exercise(copy, true, 4); // small enough to evict during every change
    return 0;
}
