#include "mdximpl.h"

#include "dbfio.h"
#include "platform/fileio.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>

#include <cerrno>

using namespace mdx;

namespace
{

// Byte 47 of the file header, reserved in the published layout: set while changes are
// on their way to the file and cleared once they are all written. A process that dies in
// between leaves it set, and the next open refuses the file so that it gets rebuilt.
constexpr int kBusyOffset = 47;
constexpr int kTagEntryLength = 32;

QByteArray cString(const char *p, int max)
{
    int n = 0;
    while (n < max && p[n] != 0)
        ++n;
    return QByteArray(p, n);
}

} // namespace

namespace mdx
{
void putDate(char *p)
{
    const QDate today = QDate::currentDate();
    p[0] = char((today.year() - 1900) & 0xFF);
    p[1] = char(today.month());
    p[2] = char(today.day());
}
} // namespace mdx

MdxIndex::MdxIndex()
    : d(std::make_unique<Impl>())
{
}

MdxIndex::~MdxIndex()
{
    if (d->file.isOpen())
        d->writeBack();
}

DbStatus MdxIndex::Impl::bad(const QString &reason) const
{
    return DbStatus(DbStatus::BadIndex,
        QCoreApplication::translate("Store", "Index file  '%1'  cannot be used: %2.")
            .arg(displayName, reason));
}

DbStatus MdxIndex::Impl::notOpen() const
{
    return DbStatus(DbStatus::InvalidArgument,
        QCoreApplication::translate("Store", "Index file  '%1'  is not open.").arg(displayName));
}

DbStatus MdxIndex::Impl::badTag(int tag) const
{
    return DbStatus(DbStatus::InvalidArgument,
        QCoreApplication::translate("Store", "Index file  '%1'  has no tag number %2.")
            .arg(displayName)
            .arg(tag));
}

DbStatus MdxIndex::Impl::cursorTag(int tag, const MdxTagState *&out) const
{
    if (!file.isOpen())
        return notOpen();
    if (tag < 0 || tag >= int(tags.size()))
        return badTag(tag);
    out = &tags[size_t(tag)];
    return {};
}

DbStatus MdxIndex::open(const QString &path, std::unique_ptr<MdxIndex> &out)
{
    std::unique_ptr<MdxIndex> idx(new MdxIndex);
    Impl &d = *idx->d;
    d.path = path;
    d.displayName = QFileInfo(path).fileName();
    int err = 0;
    const int fd = fileio::openForWriting(path, false, &err);
    if (fd < 0 && err == ENOENT)
        return DbStatus(DbStatus::NotFound,
            QCoreApplication::translate("Store", "Index file  '%1'  does not exist.")
                .arg(d.displayName));
    // An index under a link or a special file is not used; a rebuild replaces it.
    if (fd < 0)
        return DbStatus(err == fileio::IsLink || err == fileio::NotRegular ? DbStatus::BadIndex
                                                                           : DbStatus::IoError,
            QCoreApplication::translate("Store", "Index file  '%1'  cannot be opened: %2.")
                .arg(d.displayName, fileio::errorText(err)));
    if (!d.file.open(
            fd, QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        fileio::closeFile(fd);
        return DbStatus(DbStatus::IoError,
            QCoreApplication::translate("Store", "Index file  '%1'  cannot be opened: %2.")
                .arg(d.displayName, d.file.errorString()));
    }
    d.cache.attach(d.file.handle(), path);
    DbStatus st = d.readHeader();
    if (!st) {
        d.file.close();
        return st;
    }
    out = std::move(idx);
    return {};
}

DbStatus MdxIndex::Impl::readHeader()
{
    const qint64 size = dbfio::fileSize(file.handle());
    char head[kHeaderPages * kPageSize];
    qint64 got = 0;
    DbStatus read = dbfio::readAt(file.handle(), head, sizeof head, 0, path, &got);
    if (!read)
        return read;
    if (size < qint64(sizeof head) || got != qint64(sizeof head))
        return bad(QCoreApplication::translate("Store", "the file is shorter than its header"));
    const auto byte = [&](int off) { return int(static_cast<unsigned char>(head[off])); };
    if (byte(0) != 2)
        return bad(
            QCoreApplication::translate("Store", "version byte %1 is not that of a dBase IV index")
                .arg(byte(0)));
    if (get16(head + 20) != kBlockPages || get16(head + 22) != kBlockSize)
        return bad(
            QCoreApplication::translate("Store", "block size %1 pages / %2 bytes is not supported")
                .arg(get16(head + 20))
                .arg(get16(head + 22)));
    if (byte(26) != kTagEntryLength)
        return bad(QCoreApplication::translate("Store", "tag entries of %1 bytes are not supported")
                       .arg(byte(26)));
    const int tagCount = get16(head + 28);
    if (tagCount > kMaxTags)
        return bad(QCoreApplication::translate("Store", "%1 tags are more than a tag table holds")
                       .arg(tagCount));
    pagesInFile = get32(head + 32);
    if (pagesInFile < quint32(kHeaderPages) || pagesInFile % kBlockPages != 0
        || qint64(pagesInFile) * kPageSize > size)
        return bad(QCoreApplication::translate(
            "Store", "its page count %1 does not match its length of %2 bytes")
                       .arg(pagesInFile)
                       .arg(size));
    cache.setEnd(pagesInFile);
    if (byte(kBusyOffset) != 0)
        return bad(QCoreApplication::translate(
            "Store", "it was not closed properly after its last change"));
    tags.resize(size_t(tagCount));
    for (int i = 0; i < tagCount; ++i) {
        const char *e = head + kPageSize + kTagEntryLength * (i + 1);
        MdxTagState &t = tags[size_t(i)];
        t.headerPage = get32(e);
        if (e[14] != 0)
            return bad(QCoreApplication::translate("Store", "tag %1 has a name without an end")
                           .arg(i + 1));
        t.def.name = cString(e + 4, 11);
        DbStatus st = readTag(i, t);
        if (!st)
            return st;
    }
    return {};
}

DbStatus MdxIndex::Impl::readTag(int slot, MdxTagState &t)
{
    const QString which = QCoreApplication::translate("Store", "tag %1 (\"%2\")")
                              .arg(slot + 1)
                              .arg(QString::fromLatin1(t.def.name));
    if (!validBlock(t.headerPage))
        return bad(QCoreApplication::translate("Store", "the header of %1 lies outside the file")
                       .arg(which));
    BlockRef ref;
    DbStatus st = cache.fetch(t.headerPage, ref);
    if (!st)
        return st;
    const char *h = ref.data();
    const int format = static_cast<unsigned char>(h[8]);
    if (format & 0x48)
        return bad(QCoreApplication::translate(
            "Store", "%1 is descending or unique, which is not supported")
                       .arg(which));
    if (h[9] != 'C')
        return bad(
            QCoreApplication::translate("Store", "%1 does not have character keys").arg(which));
    if (h[245] != 0)
        return bad(
            QCoreApplication::translate("Store", "%1 has a FOR condition, which is not supported")
                .arg(which));
    const int keyLength = get16(h + 12);
    const int item = get16(h + 18);
    if (keyLength < 1 || keyLength > kMaxKeyLength || item != itemLengthFor(keyLength))
        return bad(QCoreApplication::translate("Store", "%1 has key length %2 and item length %3")
                       .arg(which)
                       .arg(keyLength)
                       .arg(item));
    t.geo.keyLength = keyLength;
    t.geo.itemLength = item;
    t.geo.kmax = kmaxFor(item);
    t.root = get32(h);
    if (!validBlock(t.root))
        return bad(QCoreApplication::translate("Store", "the root of %1 lies outside the file")
                       .arg(which));
    t.pagesUsed = get32(h + 4);
    t.def.expression = cString(h + 24, 221);
    if (t.def.expression.size() > 220 || t.def.expression.isEmpty())
        return bad(
            QCoreApplication::translate("Store", "the expression of %1 has no end").arg(which));
    t.def.keyLength = keyLength;
    t.hasKeys = h[246] != 0;
    t.firstLeaf = get32(h + 248);
    t.lastLeaf = get32(h + 252);
    return {};
}

DbStatus MdxIndex::close()
{
    if (!d->file.isOpen())
        return {};
    DbStatus st = d->writeBack();
    d->cache.clear();
    d->file.close();
    return st;
}

DbStatus MdxIndex::flush()
{
    return d->file.isOpen() ? d->writeBack() : d->notOpen();
}

// Marks the file busy before the first page of a change can reach the disk.
DbStatus MdxIndex::Impl::beginChange(MdxTagState &t)
{
    if (!busyOnDisk) {
        const char one = 1;
        DbStatus st = dbfio::writeAt(file.handle(), &one, 1, kBusyOffset, path);
        if (!st)
            return st;
        busyOnDisk = true;
    }
    if (!t.leavesKnown) {
        DbStatus st = findLeaves(t);
        if (!st)
            return st;
    }
    t.dirty = true;
    return {};
}

DbStatus MdxIndex::Impl::writeBack()
{
    if (!busyOnDisk)
        return {};
    for (MdxTagState &t : tags) {
        if (!t.dirty)
            continue;
        BlockRef ref;
        DbStatus st = cache.fetch(t.headerPage, ref);
        if (!st)
            return st;
        char *h = ref.writable();
        put32(h, t.root);
        put32(h + 4, t.pagesUsed);
        h[20] = char(static_cast<unsigned char>(h[20]) + 1); // change counter for other readers
        h[246] = t.hasKeys ? 1 : 0;
        put32(h + 248, t.firstLeaf);
        put32(h + 252, t.lastLeaf);
        t.dirty = false;
    }
    DbStatus st = cache.flush();
    if (!st)
        return st;
    const qint64 length = qint64(pagesInFile) * kPageSize;
    if (dbfio::fileSize(file.handle()) != length) {
        st = dbfio::truncate(file.handle(), length, path);
        if (!st)
            return st;
    }
    if (damaged)
        return bad(QCoreApplication::translate(
            "Store", "a change failed half way, so it must be rebuilt"));
    char fields[16];
    put32(fields, pagesInFile);
    put32(fields + 4, 0); // freed blocks are not chained (see mdxformat.md)
    put32(fields + 8, 0);
    putDate(fields + 12);
    fields[15] = 0; // the busy mark
    st = dbfio::writeAt(file.handle(), fields, sizeof fields, 32, path);
    if (!st)
        return st;
    busyOnDisk = false;
    // The sync that usually follows then finds the disk busy with the file already.
    dbfio::startWriteback(file.handle(), 0, length);
    return {};
}

int MdxIndex::tagCount() const
{
    return int(d->tags.size());
}

int MdxIndex::findTag(const QByteArray &name) const
{
    const QByteArray wanted = name.toUpper();
    for (size_t i = 0; i < d->tags.size(); ++i)
        if (d->tags[i].def.name.toUpper() == wanted)
            return int(i);
    return -1;
}

MdxTagSpec MdxIndex::tagSpec(int tag) const
{
    if (tag < 0 || tag >= tagCount())
        return {};
    return d->tags[size_t(tag)].def;
}

void MdxIndex::setCacheLimit(int pages)
{
    d->cache.setLimit(pages);
}
