#include "folderupdate.h"

#include "descript.h"
#include "diskentries.h"
#include "sizetext.h"

#include "platform/codepage.h"
#include "platform/diskpath.h"

#include <QFileInfo>
#include <QHash>

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

// The physical numbers of the records in the current range, in the order in force.
DbStatus recordsInRange(DbfTable &t, std::vector<quint32> &recnos)
{
    recnos.clear();
    DbStatus st = t.first();
    for (; st && !t.eof(); st = t.next())
        recnos.push_back(quint32(t.recNo()));
    return st;
}

DbStatus writeRecord(DbfTable &t, const std::function<void()> &change)
{
    DbStatus st = t.edit();
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
                      const std::vector<DiskEntry> &entries, std::vector<quint32> &recnos,
                      FolderUpdateStats &stats)
{
    DbfTable &t = table.table();
    QHash<QString, quint32> byName;
    byName.reserve(int(recnos.size()));
    for (quint32 recno : recnos) {
        if (!t.goTo(recno))
            continue;
        const QString key = codepage::upperText(t.fieldText(CatalogTable::NAME));
        if (!byName.contains(key))
            byName.insert(key, recno);
    }
    for (const DiskEntry &e : entries) {
        const QString size = SizeText(e.size);
        const QString key = codepage::upperText(e.name);
        const auto found = byName.constFind(key);
        if (found == byName.constEnd()) {
            DbStatus st = t.append();
            if (st) {
                t.setFieldBytes(CatalogTable::DIR, dir);
                t.setFieldText(CatalogTable::NAME, e.name);
                t.setFieldDate(CatalogTable::DATE, e.day());
                t.setFieldText(CatalogTable::SIZE, size);
                st = t.post();
            }
            if (!st)
                return st;
            byName.insert(key, quint32(t.recNo()));
            recnos.push_back(quint32(t.recNo()));
            ++stats.appended;
            continue;
        }
        DbStatus st = t.goTo(*found);
        if (!st)
            return st;
        // A record that would be written with the values it holds is left alone.
        if (t.fieldDate(CatalogTable::DATE) == e.day() && t.fieldText(CatalogTable::SIZE) == size)
            continue;
        st = writeRecord(t, [&] {
            t.setFieldDate(CatalogTable::DATE, e.day());
            t.setFieldText(CatalogTable::SIZE, size);
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
                     const DescriptionLookup &notes, const std::vector<quint32> &recnos,
                     FolderUpdateStats &stats)
{
    DbfTable &t = table.table();
    for (quint32 recno : recnos) {
        if (!t.goTo(recno))
            continue; // gone from the range already
        const QString name = t.fieldText(CatalogTable::NAME);
        if (!name.isEmpty() && resolver.exists(dir + name)) {
            QString note;
            if (notes.find(name, &note) && t.fieldText(CatalogTable::NOTE) != note) {
                const DbStatus st = writeRecord(t, [&] { t.setFieldText(CatalogTable::NOTE, note); });
                if (!st)
                    return st;
                ++stats.notesSet;
            }
            continue;
        }
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

    std::vector<quint32> recnos;
    st = recordsInRange(table.table(), recnos);
    if (st)
        st = mergeEntries(table, dir, entries, recnos, s);
    if (st)
        st = sweepFolder(table, resolver, dirText, DescriptionLookup(list), recnos, s);
    const DbStatus first = table.table().first();
    return st ? first : st;
}

DbStatus SweepOrphans(CatalogTable &table, const PathResolver &resolver, int *deleted)
{
    WalkGuard guard(table);
    table.switchTagFilterOff();
    DbfTable &t = table.table();
    DbStatus st = table.setPhysicalOrder();
    int count = 0;
    QByteArray lastDir;
    int foldersSeen = 0;
    resolver.forget();
    for (st = st ? t.first() : st; st && !t.eof();) {
        const QByteArray dir = t.fieldBytes(CatalogTable::DIR);
        if (dir != lastDir) {
            lastDir = dir;
            // Listings are kept per folder; a table in folder order needs only the last few.
            if (++foldersSeen % 64 == 0)
                resolver.forget();
        }
        const QString name = t.fieldText(CatalogTable::NAME);
        if (!name.isEmpty() && resolver.exists(codepage::toUnicode(dir) + name)) {
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
