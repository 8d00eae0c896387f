#include "dbftable.h"

#include "dbfio.h"
#include "dbftableimpl.h"
#include "platform/atomicfile.h"
#include "platform/diskpath.h"
#include "platform/filecontent.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <utility>

QString DbfTable::sidePathFor(const QString &tablePath, const QString &extension)
{
    const QFileInfo fi(tablePath);
    const QString name = fi.completeBaseName() + extension;
    if (name.contains(QLatin1Char('\\')))
        return fi.path() + QLatin1Char('/') + name; // not a name the resolver could take whole
    return diskpath::resolve(fi.path(), name);
}

namespace
{

// The index beside the table.
QString indexPathFor(const QString &tablePath)
{
    return DbfTable::sidePathFor(tablePath, QStringLiteral(".mdx"));
}

} // namespace

bool DbfTable::cpgSaysUtf8(const QString &tablePath)
{
    QByteArray bytes;
    if (!filecontent::read(DbfTable::cpgPathFor(tablePath), 256, bytes))
        return false;
    const QByteArray name = bytes.trimmed().toUpper();
    return name == "UTF-8" || name == "UTF8" || name == "65001";
}

namespace
{

QByteArray baseNameFor(const QString &tablePath)
{
    return QFileInfo(tablePath).completeBaseName().toUpper().toLocal8Bit();
}

std::vector<MdxTagSpec> tagDefinitionsOf(const std::vector<DbfTagRuntime> &tags)
{
    std::vector<MdxTagSpec> out;
    for (const DbfTagRuntime &t : tags)
        out.push_back({ t.name, t.expr.text(), t.expr.length() });
    return out;
}

} // namespace

DbfTable::DbfTable()
    : d(std::make_unique<Impl>())
{
    d->q = this;
}

DbfTable::~DbfTable()
{
    close();
}

DbStatus DbfTable::Impl::notOpen() const
{
    return { DbStatus::InvalidArgument,
        QCoreApplication::translate("Store", "The table is not open.") };
}

DbStatus DbfTable::Impl::parseTags(const std::vector<DbfTagDef> &defs)
{
    tags.clear();
    int longest = 0;
    for (const DbfTagDef &def : defs) {
        DbfTagRuntime t;
        t.name = def.name.toUpper();
        t.expr.setCodec(choices.codec());
        if (DbStatus st = t.expr.parse(def.expression, file.fields()); !st)
            return st;
        longest = std::max(longest, t.expr.length());
        tags.push_back(std::move(t));
    }
    keyA.resize(longest);
    keyB.resize(longest);
    pending.assign(tags.size(), MdxKeyList());
    for (size_t i = 0; i < tags.size(); ++i)
        pending[i].keyLength = tags[i].expr.length();
    pendingRecords = 0;
    return {};
}

QString DbfTable::cpgPathFor(const QString &tablePath)
{
    return sidePathFor(tablePath, QStringLiteral(".cpg"));
}

DbStatus DbfTable::writeCpg(const QString &tablePath)
{
    const QString path = cpgPathFor(tablePath);
    QString error;
    if (!atomicfile::write(path, QByteArrayLiteral("UTF-8"), &error))
        return { DbStatus::IoError, QStringLiteral("Cannot write \"%1\": %2").arg(path, error) };
    return {};
}

DbStatus DbfTable::create(const QString &path, const std::vector<DbfField> &fields,
    const std::vector<DbfTagDef> &tags, const TableChoices &choices)
{
    std::vector<DbfField> prepared = fields;
    if (DbStatus st = dbf::prepareFields(prepared, path); !st)
        return st;
    std::vector<DbfTagRuntime> runtime;
    for (const DbfTagDef &def : tags) {
        DbfTagRuntime t;
        t.name = def.name.toUpper();
        if (DbStatus st = t.expr.parse(def.expression, prepared); !st)
            return st;
        runtime.push_back(std::move(t));
    }
    if (DbStatus st = DbfFile::create(path, prepared, choices.flags()); !st)
        return st;
    // Without the code page file other tools would read the texts as 8-bit ones.
    if (choices.unicode)
        if (DbStatus st = writeCpg(path); !st) {
            QFile::remove(path);
            return st;
        }
    if (runtime.empty())
        return {};
    const QString mdxPath = indexPathFor(path);
    DbStatus st = MdxIndex::build(mdxPath, baseNameFor(path), tagDefinitionsOf(runtime),
        [](int, MdxKeyList &) { return DbStatus(); });
    if (st)
        st = dbfio::syncPath(mdxPath);
    if (st) {
        DbfFile file;
        st = file.open(path);
        if (st)
            st = file.setProductionFlag(true, true);
        if (DbStatus closed = file.close(); st && !closed)
            st = closed;
    }
    if (!st) {
        QFile::remove(mdxPath);
        QFile::remove(path);
        if (choices.unicode)
            QFile::remove(cpgPathFor(path));
    }
    return st;
}

DbStatus DbfTable::open(const QString &path, const std::vector<DbfTagDef> &tags,
    const std::vector<DbfField> &requiredFields)
{
    close();
    if (DbStatus st = d->file.open(path, requiredFields); !st)
        return st;
    d->choices = TableChoices::fromFlags(d->file.choices());
    if (!d->choices.unicode)
        d->choices.unicode = cpgSaysUtf8(path);
    d->mdxPath = indexPathFor(path);
    // Left behind by a pack that was stopped before it replaced anything.
    QFile::remove(path + QStringLiteral(".pack"));
    QFile::remove(d->mdxPath + QStringLiteral(".pack"));
    QFile::remove(d->mdxPath + QStringLiteral(".old"));
    QFile::remove(d->mdxPath + QStringLiteral(".sort"));
    DbStatus st = d->openIndex(tags);
    if (!st) {
        d->mdx.reset();
        d->file.close();
        d->tags.clear();
        d->choices = TableChoices();
        return st;
    }
    d->state = State::Browse;
    d->order = -1;
    d->ranged = false;
    d->resetPosition();
    return first();
}

void DbfTable::Impl::resetPosition()
{
    const int len = file.recordLength();
    cur = DbfPosition();
    scan = DbfPosition();
    cur.rec = QByteArray(len, ' ');
    scan.rec = QByteArray(len, ' ');
    editBuf = QByteArray(len, ' ');
    bof = eof = true;
    cursorStale = false;
}

DbStatus DbfTable::Impl::openIndex(const std::vector<DbfTagDef> &required)
{
    tagDefs = required;
    indexChanging = indexBroken = indexStale = unindexed = false;
    memory = DbfMemoryOrder();
    walk = DbfWalkTally();
    appendRun = 0;
    std::unique_ptr<MdxIndex> found;
    const bool present
        = file.productionFlag() && QFile::exists(mdxPath) && MdxIndex::open(mdxPath, found).isOk();
    if (file.productionFlag() && !QFile::exists(mdxPath))
        if (DbStatus st = file.setProductionFlag(false, false); !st)
            return st;
    if (required.empty()) {
        // Without tags of its own the table keeps whatever index it has, if we can read
        // every expression in it; otherwise it is left alone and declared absent.
        if (!present)
            return file.productionFlag() ? file.setProductionFlag(false, false) : DbStatus();
        for (int i = 0; i < found->tagCount(); ++i)
            tagDefs.push_back({ found->tagSpec(i).name, found->tagSpec(i).expression });
        if (!parseTags(tagDefs)) {
            tags.clear();
            tagDefs.clear();
            found->close();
            return file.setProductionFlag(false, false);
        }
    } else if (DbStatus st = parseTags(required); !st) {
        return st;
    }
    mdx = std::move(found);
    if (present && indexMatches())
        return {};
    const DbStatus st = rebuildIndex();
    return st.code() == DbStatus::IoError ? readWithoutIndex(st) : st;
}

bool DbfTable::Impl::indexMatches()
{
    if (!mdx || mdx->tagCount() != int(tags.size()))
        return false;
    for (const DbfTagRuntime &t : tags) {
        const int i = mdx->findTag(t.name);
        if (i < 0)
            return false;
        const MdxTagSpec stored = mdx->tagSpec(i);
        if (KeyExpr::normalized(stored.expression) != KeyExpr::normalized(t.expr.text())
            || stored.keyLength != t.expr.length())
            return false;
    }
    for (DbfTagRuntime &t : tags)
        t.mdxTag = mdx->findTag(t.name);
    return true;
}

std::unique_ptr<MdxKeySorter> DbfTable::Impl::keySorter() const
{
    std::vector<int> lengths;
    std::vector<const KeyExpr *> exprs;
    for (const DbfTagRuntime &t : tags) {
        lengths.push_back(t.expr.length());
        exprs.push_back(&t.expr);
    }
    return std::make_unique<MdxKeySorter>(
        lengths, mdxPath + QStringLiteral(".sort"), KeyExpr::sharedLead(exprs));
}

// The keys of every tag of one record, one after another in tag order, into keys.
void DbfTable::Impl::evaluateKeys(const char *rec, QByteArray &keys) const
{
    int at = 0;
    for (const DbfTagRuntime &t : tags)
        at += t.expr.length();
    keys.resize(at);
    at = 0;
    for (const DbfTagRuntime &t : tags) {
        t.expr.evaluate(rec, keys.data() + at);
        at += t.expr.length();
    }
}

DbStatus DbfTable::Impl::buildIndexFile(
    const QString &path, const DbfFile &source, MdxKeySorter *gathered)
{
    const QByteArray base = baseNameFor(source.path());
    if (gathered)
        return MdxIndex::build(path, base, tagDefinitionsOf(tags), *gathered);
    // One pass over the table gathers the keys of every tag.
    std::unique_ptr<MdxKeySorter> keys = keySorter();
    QByteArray all;
    DbStatus st = source.scan([&](quint32 recno, const char *rec) {
        evaluateKeys(rec, all);
        return keys->addRecord(all.constData(), recno);
    });
    return st ? MdxIndex::build(path, base, tagDefinitionsOf(tags), *keys) : st;
}

DbStatus DbfTable::Impl::rebuildIndex()
{
    dropPending(); // the new index is built from the records themselves
    indexStale = false;
    if (mdx) {
        mdx->close();
        mdx.reset();
    }
    if (tags.empty())
        return {};
    if (file.productionFlag())
        if (DbStatus st = file.setProductionFlag(false, true); !st)
            return st;
    // The records are on the disk before an index that counts them can be declared sound.
    if (DbStatus st = file.flush(true); !st)
        return st;
    if (DbStatus st = buildIndexFile(mdxPath, file); !st)
        return st;
    if (DbStatus st = dbfio::syncPath(mdxPath); !st)
        return st;
    if (DbStatus st = MdxIndex::open(mdxPath, mdx); !st)
        return st;
    if (!indexMatches())
        return { DbStatus::BadIndex,
            QCoreApplication::translate("Store",
                "The rebuilt index \"%1\" does not hold the tags it was built "
                "with.")
                .arg(mdxPath) };
    indexChanging = indexBroken = unindexed = false;
    memory = DbfMemoryOrder();
    cursorStale = true;
    return file.setProductionFlag(true, false);
}

DbStatus DbfTable::Impl::beginIndexChange()
{
    walk.active = false; // the entries it counted are no longer the tag's
    if (!mdx || indexChanging)
        return {};
    if (DbStatus st = file.setProductionFlag(false, true); !st)
        return st;
    indexChanging = true;
    return {};
}

DbStatus DbfTable::Impl::applyPending()
{
    appendRun = 0;
    if (indexStale)
        return rebuildIndex();
    return insertBatch();
}

DbStatus DbfTable::Impl::insertBatch()
{
    if (pendingRecords == 0)
        return {};
    DbStatus st;
    for (size_t i = 0; i < tags.size() && st; ++i)
        st = mdx ? mdx->insertMany(tags[i].mdxTag, pending[i]) : notOpen();
    dropPending();
    cursorStale = true;
    if (!st)
        indexBroken = true;
    return st;
}

void DbfTable::Impl::dropPending()
{
    for (MdxKeyList &list : pending) {
        list.keys.resize(0);
        list.recnos.clear();
    }
    pendingRecords = 0;
}

DbStatus DbfTable::Impl::flushAll(bool sync)
{
    const DbStatus keys = applyPending();
    // The index is written first, so that the disk takes it while the table is synced.
    DbStatus ix = mdx ? mdx->flush() : DbStatus();
    DbStatus st = file.flush(sync);
    if (st && !keys)
        st = keys;
    if (!mdx)
        return st;
    if (ix && indexChanging && !indexBroken && st) {
        ix = dbfio::syncPath(mdxPath);
        if (ix)
            ix = file.setProductionFlag(true, sync);
        if (ix)
            indexChanging = false;
    }
    return st ? ix : st;
}

DbStatus DbfTable::close()
{
    if (d->state == State::Closed)
        return {};
    d->state = State::Browse; // an edit that was not posted is dropped
    DbStatus st = d->flushAll(false);
    if (d->mdx) {
        if (DbStatus ix = d->mdx->close(); st && !ix)
            st = ix;
        d->mdx.reset();
    }
    if (DbStatus fs = d->file.close(); st && !fs)
        st = fs;
    d->oldIndexRemoval.wait();
    d->state = State::Closed;
    d->dropPending();
    d->indexStale = d->unindexed = false;
    d->memory = DbfMemoryOrder();
    d->walk = DbfWalkTally();
    d->pending.clear();
    d->tags.clear();
    d->tagDefs.clear();
    d->order = -1;
    d->ranged = false;
    d->filter = nullptr;
    d->cur = DbfPosition();
    d->bof = d->eof = true;
    d->choices = TableChoices();
    return st;
}

bool DbfTable::isOpen() const
{
    return d->state != State::Closed;
}

QString DbfTable::path() const
{
    return d->file.path();
}

const std::vector<DbfField> &DbfTable::fields() const
{
    return d->file.fields();
}

const TableChoices &DbfTable::choices() const
{
    return d->choices;
}

const TextCodec &DbfTable::codec() const
{
    return d->choices.codec();
}

DbStatus DbfTable::setExtensionless(bool on)
{
    if (!isOpen())
        return d->notOpen();
    if (on == d->choices.extensionless)
        return {};
    if (d->unindexed)
        return d->refuseChange();
    TableChoices wanted = TableChoices::fromFlags(d->file.choices());
    wanted.extensionless = on;
    if (DbStatus st = d->file.setChoices(wanted.flags()); !st)
        return st;
    d->choices.extensionless = on;
    return {};
}

int DbfTable::fieldIndex(const QByteArray &name) const
{
    const QByteArray upper = name.toUpper();
    const auto &fs = d->file.fields();
    for (size_t i = 0; i < fs.size(); ++i)
        if (fs[i].name == upper)
            return int(i);
    return -1;
}

DbStatus DbfTable::flush()
{
    if (!isOpen())
        return d->notOpen();
    return d->flushAll(true);
}

void DbfTable::setHooks(Hooks hooks)
{
    d->hooks = std::move(hooks);
}

quint32 DbfTable::physicalCount() const
{
    return isOpen() ? d->file.count() : 0;
}

DbfTable::State DbfTable::state() const
{
    return d->state;
}

DbStatus DbfTable::reindex()
{
    if (!isOpen())
        return d->notOpen();
    if (DbStatus st = d->ensureBrowse(); !st)
        return st;
    const quint32 keep = d->cur.recno;
    if (DbStatus st = d->rebuildIndex(); !st)
        return st;
    if (keep && goTo(keep))
        return {};
    return first();
}
