#include "folderupdate.h"

#include "descript.h"
#include "diskentries.h"
#include "sizetext.h"

#include "platform/codepage.h"
#include "platform/dirlist.h"
#include "platform/diskpath.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

// Detaches the views and clears the follow flag for a walk; undoes both however the walk
// ends.
class WalkGuard
{
public:
    explicit WalkGuard(CatalogTable &t) : m_table(t) { m_table.detachViews(); }
    ~WalkGuard() { m_table.attachViews(); }

private:
    CatalogTable &m_table;
};

// What the merge needs of one record of the folder, read in one walk of the range so
// that matching and comparing never move the table.
struct FolderRecord {
    quint32 recno = 0;
    QByteArray record; // flag byte and fields, as stored
};

QByteArray fieldOf(const QByteArray &record, CatalogTable::Field field, bool trimmed = true)
{
    const DbfField &f = CatalogTable::layout()[field];
    int len = f.width;
    const char *p = record.constData() + f.offset;
    while (trimmed && len > 0 && p[len - 1] == ' ')
        --len;
    return QByteArray(p, len);
}

DbStatus recordsInRange(DbfTable &t, std::vector<FolderRecord> &out)
{
    out.clear();
    DbStatus st = t.first();
    for (; st && !t.eof(); st = t.next())
        out.push_back({quint32(t.recNo()), t.recordBytes()});
    return st;
}

QByteArray dateBytes(const QDate &d)
{
    const int year = d.year(), month = d.month(), day = d.day();
    if (!d.isValid() || year < 1 || year > 9999)
        return QByteArray(8, ' ');
    const char buf[8] = {char('0' + year / 1000), char('0' + year / 100 % 10),
                         char('0' + year / 10 % 10), char('0' + year % 10),
                         char('0' + month / 10), char('0' + month % 10),
                         char('0' + day / 10), char('0' + day % 10)};
    return QByteArray(buf, 8);
}

DbStatus writeRecord(DbfTable &t, quint32 recno, const std::function<void()> &change)
{
    DbStatus st = t.goTo(recno);
    if (st)
        st = t.edit();
    if (!st)
        return st;
    change();
    st = t.post();
    if (!st)
        t.cancel();
    return st;
}

// Step one: every catalogued entry gets its record, or its record the entry's date and
// size. Matching goes through a map of the folder's names, so a folder of many files is
// merged in one pass; the record found is the first in the order in force.
DbStatus mergeEntries(CatalogTable &table, const QByteArray &dir,
                      const std::vector<DiskEntry> &entries, std::vector<FolderRecord> &records,
                      QSet<QByteArray> &onDisk, FolderUpdateStats &stats)
{
    DbfTable &t = table.table();
    QHash<QByteArray, int> byName;
    byName.reserve(int(records.size()));
    for (int i = 0; i < int(records.size()); ++i)
        byName.insert(codepage::upper(fieldOf(records[size_t(i)].record, CatalogTable::NAME)), i);
    // insert() keeps the last; the first in order must win.
    for (int i = int(records.size()) - 1; i >= 0; --i)
        byName[codepage::upper(fieldOf(records[size_t(i)].record, CatalogTable::NAME))] = i;

    for (const DiskEntry &e : entries) {
        const QByteArray size = SizeText(e.size).toLatin1();
        const QByteArray name = codepage::fromUnicode(e.name);
        const QByteArray key = codepage::upper(name);
        onDisk.insert(key);
        const auto found = byName.constFind(key);
        if (found == byName.constEnd()) {
            DbStatus st = t.append();
            if (st) {
                t.setFieldBytes(CatalogTable::DIR, dir);
                t.setFieldBytes(CatalogTable::NAME, name);
                t.setFieldDate(CatalogTable::DATE, e.day());
                t.setFieldBytes(CatalogTable::SIZE, size);
                st = t.post();
            }
            if (!st)
                return st;
            byName.insert(key, int(records.size()));
            records.push_back({quint32(t.recNo()), t.recordBytes()});
            ++stats.appended;
            continue;
        }
        const QByteArray &rec = records[size_t(*found)].record;
        // A record that would be written with the values it holds is left alone.
        if (fieldOf(rec, CatalogTable::DATE, false) == dateBytes(e.day())
            && fieldOf(rec, CatalogTable::SIZE) == size)
            continue;
        const DbStatus st = writeRecord(t, records[size_t(*found)].recno, [&] {
            t.setFieldDate(CatalogTable::DATE, e.day());
            t.setFieldBytes(CatalogTable::SIZE, size);
        });
        if (!st)
            return st;
        ++stats.refreshed;
    }
    return DbStatus::ok();
}

// Step two: every record of the folder exactly once; gone files lose their record,
// present ones take their description.
DbStatus sweepFolder(CatalogTable &table, const PathResolver &resolver, const QString &dir,
                     const DescriptionLookup &notes, const std::vector<FolderRecord> &records,
                     const QSet<QByteArray> &onDisk, FolderUpdateStats &stats)
{
    DbfTable &t = table.table();
    for (const FolderRecord &r : records) {
        const QByteArray name = fieldOf(r.record, CatalogTable::NAME);
        // Names the listing did not offer (not catalogued by today's rules) are looked up.
        const bool present = !name.isEmpty()
            && (onDisk.contains(codepage::upper(name))
                || resolver.exists(dir + codepage::toUnicode(name)));
        if (present) {
            QString note;
            if (!notes.isEmpty() && notes.find(codepage::toUnicode(name), &note)
                && codepage::toUnicode(fieldOf(r.record, CatalogTable::NOTE)) != note) {
                const DbStatus st = writeRecord(t, r.recno, [&] { t.setFieldText(CatalogTable::NOTE, note); });
                if (!st)
                    return st;
                ++stats.notesSet;
            }
            continue;
        }
        if (!t.goTo(r.recno))
            continue; // gone from the range already
        const DbStatus st = t.deleteRecord();
        if (!st)
            return st;
        ++table.DeletedCount;
        ++stats.deleted;
    }
    return DbStatus::ok();
}

} // namespace

DbStatus UpdateFolder(CatalogTable &table, const PathResolver &resolver,
                      const QString &folderPath, bool descriptions, FolderUpdateStats *stats)
{
    FolderUpdateStats local;
    FolderUpdateStats &s = stats ? *stats : local;
    const QByteArray dir = CatalogTable::folderKey(folderPath);
    if (dir.size() > CatalogTable::DirWidth)
        return {DbStatus::InvalidArgument,
                QStringLiteral("Folder  '%1'  has a path too long for the catalogue !").arg(folderPath)};
    const QString dirText = codepage::toUnicode(dir);

    WalkGuard guard(table);
    table.switchTagFilterOff();
    DbStatus st = table.SetFolderRange(folderPath);
    if (!st)
        return st;

    DescriptionList list;
    if (descriptions) {
        st = ReadFolderDescriptions(descriptionFilePath(resolver, dirText), list);
        if (!st && st.code() != DbStatus::NotFound)
            return st;
    }
    resolver.forget();
    std::vector<DiskEntry> entries;
    st = listCataloguedEntries(resolver.resolve(dirText), entries);
    if (!st && st.code() != DbStatus::NotFound)
        return st;

    std::vector<FolderRecord> records;
    QSet<QByteArray> onDisk;
    st = recordsInRange(table.table(), records);
    if (st)
        st = mergeEntries(table, dir, entries, records, onDisk, s);
    if (st)
        st = sweepFolder(table, resolver, dirText, DescriptionLookup(list), records, onDisk, s);
    const DbStatus first = table.table().first();
    return st ? first : st;
}

namespace {

// The upper-cased names of the non-folder entries of the folders that the orphan sweep
// meets, each folder listed once. Only the last few folders are kept: a table walked in
// physical order meets its folders mostly one after the other.
class FolderNames
{
public:
    explicit FolderNames(const PathResolver &resolver) : m_resolver(resolver) { }

    bool contains(const QByteArray &dir, const QByteArray &upperName)
    {
        auto it = m_names.constFind(dir);
        if (it == m_names.constEnd()) {
            if (m_names.size() >= 64)
                m_names.clear();
            it = m_names.insert(dir, list(dir));
        }
        return it->contains(upperName);
    }

private:
    QSet<QByteArray> list(const QByteArray &dir) const
    {
        QSet<QByteArray> names;
        std::vector<dirlist::Entry> entries;
        const QString folder = m_resolver.resolve(codepage::toUnicode(dir));
        if (folder.isEmpty() || !dirlist::readFolder(folder, entries))
            return names;
        for (const dirlist::Entry &e : entries) {
            bool ok = false;
            const QByteArray name = diskpath::catalogueName(e.name, &ok);
            if (ok && e.type != dirlist::EntryType::Folder)
                names.insert(codepage::upper(name));
        }
        return names;
    }

    const PathResolver &m_resolver;
    QHash<QByteArray, QSet<QByteArray>> m_names;
};

} // namespace

DbStatus SweepOrphans(CatalogTable &table, const PathResolver &resolver, int *deleted)
{
    WalkGuard guard(table);
    table.switchTagFilterOff();
    DbfTable &t = table.table();
    DbStatus st = table.setPhysicalOrder();
    int count = 0;
    resolver.forget();
    FolderNames names(resolver);
    for (st = st ? t.first() : st; st && !t.eof();) {
        const QByteArray dir = t.fieldBytes(CatalogTable::DIR);
        const QByteArray name = t.fieldBytes(CatalogTable::NAME);
        if (!name.isEmpty() && names.contains(dir, codepage::upper(name))) {
            st = t.next();
            continue;
        }
        const qint64 before = t.recNo();
        st = t.deleteRecord();
        if (!st)
            break;
        ++table.DeletedCount;
        ++count;
        // Delete moves on to the next record, or back to the previous one at the end.
        if (t.recNo() <= before)
            break;
    }
    if (deleted)
        *deleted = count;
    const DbStatus restored = table.restoreOrder();
    return st ? restored : st;
}
