#include "folderupdate.h"

#include "descript.h"
#include "diskentries.h"
#include "nametable.h"
#include "sizetext.h"

#include "platform/dirlist.h"
#include "platform/diskpath.h"
#include "store/progress.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <memory>

namespace
{

// The folder's records, read in one walk of the range so that matching and comparing
// never move the table: record numbers, the stored bytes one record after another, and
// for each the number of its upper-cased NAME in the folder's name table.
class FolderRecords
{
public:
    int size() const { return int(m_recnos.size()); }
    quint32 recno(int i) const { return m_recnos[size_t(i)]; }
    int nameOf(int i) const { return m_names[size_t(i)]; }
    const char *field(int i, int field) const
    {
        return m_bytes.constData() + qsizetype(i) * m_length + m_offsets[size_t(field)];
    }
    int width(int field) const { return m_widths[size_t(field)]; }
    int trimmedLength(int i, int f) const
    {
        const char *p = field(i, f);
        int n = width(f);
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0'))
            --n;
        return n;
    }
    QByteArray trimmed(int i, int f) const { return QByteArray(field(i, f), trimmedLength(i, f)); }

    void setLayout(const std::vector<DbfField> &fields, int expectedRecords)
    {
        int length = 1;
        for (const DbfField &f : fields) {
            m_offsets.push_back(1 + f.offset); // after the deletion flag
            m_widths.push_back(f.width);
            length = qMax(length, 1 + f.offset + f.width);
        }
        m_bytes.reserve(qsizetype(expectedRecords) * length);
        m_recnos.reserve(size_t(expectedRecords));
        m_names.reserve(size_t(expectedRecords));
    }
    // Adds the current record of t; false when its bytes do not have the table's length.
    // known is a name the caller has just written into NAME and knownName its number in
    // names: when NAME holds exactly that name, it is not looked up again.
    bool add(
        const DbfTable &t, NameTable &names, const QByteArray *known = nullptr, int knownName = -1)
    {
        const char *rec = t.recordData();
        if (m_length == 0)
            m_length = t.recordLength();
        if (!rec || t.recordLength() != m_length || m_length == 0)
            return false;
        m_recnos.push_back(quint32(t.recNo()));
        m_bytes.append(rec, m_length);
        const int last = size() - 1;
        const int length = trimmedLength(last, CatalogTable::NAME);
        const char *name = field(last, CatalogTable::NAME);
        if (known && known->size() == length
            && std::memcmp(known->constData(), name, size_t(length)) == 0)
            m_names.push_back(knownName);
        else
            m_names.push_back(names.insert(name, length));
        return true;
    }

private:
    std::vector<quint32> m_recnos;
    std::vector<int> m_names;
    std::vector<int> m_offsets, m_widths;
    QByteArray m_bytes;
    int m_length = 0;
};

DbStatus recordsInRange(DbfTable &t, FolderRecords &out, NameTable &names, int expected)
{
    out.setLayout(t.fields(), expected);
    DbStatus st = t.first();
    for (; st && !t.eof(); st = t.next())
        if (!out.add(t, names))
            return { DbStatus::Corrupt,
                QCoreApplication::translate("Scan", "Record %1 cannot be read").arg(t.recNo()) };
    return st;
}

// DATE as the table stores it: yyyymmdd, blanks for no day.
void encodeDay(const QDate &d, char *out)
{
    int year = 0, month = 0, day = 0;
    d.getDate(&year, &month, &day);
    if (!d.isValid() || year < 1 || year > 9999) {
        std::memset(out, ' ', 8);
        return;
    }
    const char buf[8] = { char('0' + year / 1000), char('0' + year / 100 % 10),
        char('0' + year / 10 % 10), char('0' + year % 10), char('0' + month / 10),
        char('0' + month % 10), char('0' + day / 10), char('0' + day % 10) };
    std::memcpy(out, buf, 8);
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

// What the walk knows of each name of the folder: the first record in the order in force
// that carries it, and whether the listing offered a file of that name.
struct NameState {
    int firstRecord = -1;
    int records = 0; // of the folder's records before the merge
    bool onDisk = false;
};

// The record a file merges with: the first of its name in the order in force, unless
// several records carry the name in different letter case and another has it exactly.
int recordOf(const FolderRecords &records, const NameState &state, int name, const QByteArray &ansi)
{
    const int first = state.firstRecord;
    if (first < 0 || state.records < 2 || records.trimmed(first, CatalogTable::NAME) == ansi)
        return first;
    for (int i = 0; i < records.size(); ++i)
        if (records.nameOf(i) == name && records.trimmed(i, CatalogTable::NAME) == ansi)
            return i;
    return first;
}

// A record that would be written with the values it holds is left alone.
bool unchanged(
    const FolderRecords &records, int i, const DiskEntry &e, const char *size, int sizeLength)
{
    char day[8];
    encodeDay(e.day(), day);
    if (records.width(CatalogTable::DATE) != 8
        || std::memcmp(records.field(i, CatalogTable::DATE), day, 8) != 0)
        return false;
    const int n = records.trimmedLength(i, CatalogTable::SIZE);
    return n == sizeLength
        && std::memcmp(records.field(i, CatalogTable::SIZE), size, size_t(n)) == 0;
}

// The steps of one folder update: a file merged or a record swept is one.
class Steps
{
public:
    Steps(Progress *progress, qint64 total)
        : m_progress(progress)
        , m_total(total)
    {
    }
    // The sweep's share is known once the merge has added its records.
    void setTotal(qint64 total) { m_total = total; }
    // False when the update is to stop before this step.
    bool next()
    {
        const qint64 done = m_done++;
        return done % kRecordsPerStep != 0 || done == 0 || proceed(m_progress, done, m_total);
    }

private:
    Progress *m_progress;
    qint64 m_total;
    qint64 m_done = 0;
};

// Each file's number in the folder's name table (which holds the names of its records
// already), marked as offered by the listing; twins tells whether two files share a
// number, their names differing only in case.
std::vector<int> nameNumbers(const std::vector<DiskEntry> &entries, NameTable &names,
    std::vector<NameState> &state, bool &twins)
{
    std::vector<int> numbers;
    numbers.reserve(entries.size());
    for (const DiskEntry &e : entries) {
        const int name = names.insert(e.ansi.constData(), int(e.ansi.size()));
        state.resize(size_t(names.size()));
        twins = twins || state[size_t(name)].onDisk;
        state[size_t(name)].onDisk = true;
        numbers.push_back(name);
    }
    return numbers;
}

// Step one: every catalogued entry gets its record, or its record the entry's date and
// size. Matching goes through the folder's name table, so a folder of many files is
// merged in one pass; the record found is the first of the name in the order in force,
// or the one that carries it exactly (see recordOf).
DbStatus mergeEntries(CatalogTable &table, const QByteArray &dir,
    const std::vector<DiskEntry> &entries, const std::vector<int> &numbers, FolderRecords &records,
    NameTable &names, std::vector<NameState> &state, FolderUpdateStats &stats, Steps &steps)
{
    DbfTable &t = table.table();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!steps.next())
            return cancelledStatus();
        const DiskEntry &e = entries[i];
        char size[kSizeTextCapacity];
        const int sizeLength = sizeTextInto(e.size, size);
        const int name = numbers[i];
        const int found = recordOf(records, state[size_t(name)], name, e.ansi);
        if (found < 0) {
            DbStatus st = t.append();
            if (st) {
                t.setFieldBytes(CatalogTable::DIR, dir);
                t.setFieldBytes(CatalogTable::NAME, e.ansi);
                t.setFieldDate(CatalogTable::DATE, e.day());
                t.setFieldBytes(CatalogTable::SIZE, QByteArray::fromRawData(size, sizeLength));
                st = t.post();
            }
            if (!st)
                return st;
            if (!records.add(t, names, &e.ansi, name))
                return {
                    DbStatus::Corrupt,
                    QCoreApplication::translate("Scan", "Record %1 cannot be read").arg(t.recNo())
                };
            state[size_t(name)].firstRecord = records.size() - 1;
            ++stats.appended;
            continue;
        }
        if (unchanged(records, found, e, size, sizeLength))
            continue;
        const DbStatus st = writeRecord(t, records.recno(found), [&] {
            t.setFieldDate(CatalogTable::DATE, e.day());
            t.setFieldBytes(CatalogTable::SIZE, QByteArray::fromRawData(size, sizeLength));
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
    const DescriptionLookup &notes, const FolderRecords &records,
    const std::vector<NameState> &state, FolderUpdateStats &stats, Steps &steps)
{
    DbfTable &t = table.table();
    const TextCodec &codec = table.codec();
    for (int i = 0; i < records.size(); ++i) {
        if (!steps.next())
            return cancelledStatus();
        const int nameLength = records.trimmedLength(i, CatalogTable::NAME);
        // Names the listing did not offer (not catalogued by today's rules) are looked up.
        // A folder that took the place of the file is no file: the record goes.
        const bool present = nameLength > 0
            && (state[size_t(records.nameOf(i))].onDisk
                || resolver.fileExists(
                    dir + codec.toUnicode(records.trimmed(i, CatalogTable::NAME))));
        if (present) {
            QString note;
            if (!notes.isEmpty()
                && notes.find(codec.toUnicode(records.trimmed(i, CatalogTable::NAME)), &note)
                && codec.toUnicode(records.trimmed(i, CatalogTable::NOTE)) != note) {
                const DbStatus st = writeRecord(
                    t, records.recno(i), [&] { t.setFieldText(CatalogTable::NOTE, note); });
                if (!st)
                    return st;
                ++stats.notesSet;
            }
            continue;
        }
        if (!t.goTo(records.recno(i)))
            continue; // gone from the range already
        const DbStatus st = t.deleteRecord();
        if (!st)
            return st;
        ++table.deletedCount;
        ++stats.deleted;
    }
    return DbStatus::ok();
}

} // namespace

bool folderPathFits(const QString &folderPath, const TextCodec &codec)
{
    return CatalogTable::folderKey(folderPath, codec).size() <= CatalogTable::DirWidth;
}

DbStatus updateFolder(CatalogTable &table, const PathResolver &resolver, const QString &folderPath,
    bool descriptions, FolderUpdateStats *stats, bool listingsCurrent, FolderWalk *walk,
    Progress *progress)
{
    FolderUpdateStats local;
    FolderUpdateStats &s = stats ? *stats : local;
    const TextCodec &codec = table.codec();
    const QByteArray dir = table.folderKey(folderPath);
    if (!folderPathFits(folderPath, codec))
        return { DbStatus::InvalidArgument,
            QCoreApplication::translate(
                "Scan", "Folder  '%1'  has a path too long for the catalogue !")
                .arg(folderPath) };
    const QString dirText = codec.toUnicode(dir);

    const DetachedViews guard(table);
    table.switchTagFilterOff();
    DbStatus st = table.setFolderRange(folderPath);
    if (!st)
        return st;

    DescriptionList list;
    if (descriptions) {
        st = readFolderDescriptions(descriptionFilePath(resolver, dirText), list);
        if (!st && st.code() != DbStatus::NotFound)
            return st;
    }
    if (!listingsCurrent)
        resolver.forget();
    std::vector<DiskEntry> entries;
    std::vector<SkippedEntry> skipped;
    QString folder;
    if (!walk || !walk->takeListing(folderPath, folder, entries, st)) {
        folder = resolver.resolve(dirText);
        st = listCataloguedEntries(folder, entries, &skipped, table.choices());
    } else if (st.code() == DbStatus::NotFound) {
        const QString resolved = resolver.resolve(dirText);
        if (resolved != folder) {
            folder = resolved;
            st = listCataloguedEntries(resolved, entries, &skipped, table.choices());
        }
    }
    if (!st && st.code() != DbStatus::NotFound) {
        s.skipped.add(std::move(skipped));
        return st;
    }

    FolderRecords records;
    NameTable names(codec);
    names.reserve(int(entries.size()) + 16);
    // Mostly one record per file, and as many again for the files that are new.
    st = recordsInRange(table.table(), records, names, int(entries.size()) + 16);
    std::vector<NameState> state(size_t(names.size()));
    for (int i = records.size() - 1; i >= 0; --i) {
        NameState &n = state[size_t(records.nameOf(i))];
        n.firstRecord = i; // the first in order wins
        ++n.records;
    }
    bool twins = false;
    std::vector<int> numbers = nameNumbers(entries, names, state, twins);
    if (twins) {
        QSet<QByteArray> recorded;
        for (int i = 0; i < records.size(); ++i)
            recorded.insert(records.trimmed(i, CatalogTable::NAME));
        keepOneOfCaseTwins(
            entries, numbers, folder,
            [&recorded](const QByteArray &ansi) { return recorded.contains(ansi); }, skipped,
            codec);
    }
    s.skipped.add(std::move(skipped));
    // Stopped in the merge, the sweep is left out: the records of files gone stay until
    // the next update.
    const qint64 files = qint64(entries.size());
    Steps steps(progress, files + std::max<qint64>(files, records.size()));
    if (st)
        st = mergeEntries(table, dir, entries, numbers, records, names, state, s, steps);
    steps.setTotal(files + records.size());
    if (st)
        st = sweepFolder(
            table, resolver, dirText, DescriptionLookup(list, codec), records, state, s, steps);
    if (st && walk)
        for (int i = 0; i < records.size(); ++i)
            walk->add(records.recno(i));
    const DbStatus first = table.table().first();
    return st ? first : st;
}

void FolderWalk::supply(const QString &folderPath, const QString &diskPath,
    std::vector<DiskEntry> entries, const DbStatus &status)
{
    m_supplied = true;
    m_folderPath = folderPath;
    m_diskPath = diskPath;
    m_entries = std::move(entries);
    m_status = status;
}

bool FolderWalk::takeListing(
    const QString &folderPath, QString &diskPath, std::vector<DiskEntry> &out, DbStatus &status)
{
    if (!m_supplied || m_folderPath != folderPath)
        return false;
    m_supplied = false;
    diskPath = m_diskPath;
    out = std::move(m_entries);
    status = m_status;
    m_entries.clear();
    return true;
}

namespace
{

int trimmedLength(const char *p, int n)
{
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0'))
        --n;
    return n;
}

// The upper-cased names of the non-folder entries of the folders that the orphan sweep
// meets, each folder listed once. Only the last few folders are kept: a table walked in
// physical order meets its folders mostly one after the other.
class FolderNames
{
public:
    FolderNames(const PathResolver &resolver, const TextCodec &codec)
        : m_resolver(resolver)
        , m_codec(codec)
    {
    }

    // False when the folder dir (as DIR holds it) is known to have no such file: the
    // folder has gone, or it is there and the name is not. A folder that exists but
    // cannot be read tells nothing, and its records are kept.
    // dir is the whole field, blanks included: most records share it with the one before.
    bool mayExist(const char *dir, int dirWidth, const char *name, int nameLength)
    {
        if (!m_last || m_lastField.size() != dirWidth
            || std::memcmp(m_lastField.constData(), dir, size_t(dirWidth)) != 0) {
            m_lastField = QByteArray(dir, dirWidth);
            m_last = listing(QByteArray(dir, trimmedLength(dir, dirWidth)));
        }
        return m_last->unreadable || m_last->names.find(name, nameLength) >= 0;
    }

private:
    struct Listing {
        explicit Listing(const TextCodec &codec)
            : names(codec)
        {
        }
        NameTable names;
        bool unreadable = false;
    };

    Listing *listing(const QByteArray &dir)
    {
        const auto known = m_byDir.constFind(dir);
        if (known != m_byDir.constEnd())
            return *known;
        if (m_listings.size() >= 64) {
            m_byDir.clear();
            m_listings.clear();
        }
        m_listings.push_back(std::make_unique<Listing>(m_codec));
        Listing *l = m_listings.back().get();
        m_byDir.insert(dir, l);
        read(dir, *l);
        return l;
    }

    void read(const QByteArray &dir, Listing &l) const
    {
        const QString folder = m_resolver.resolve(m_codec.toUnicode(dir));
        if (folder.isEmpty())
            return;
        dirlist::Folder f;
        dirlist::RawListing entries;
        if (!f.open(folder) || !f.readRaw(entries, false)) {
            l.unreadable = f.error() != ENOENT && f.error() != ENOTDIR;
            return;
        }
        l.names.reserve(int(entries.items.size()));
        QByteArray ansi;
        for (const dirlist::RawListing::Item &e : entries.items) {
            // A link counts as what it leads to, as in the folder update's sweep: a link
            // to a folder, or to nothing, is no file.
            if (e.type == dirlist::EntryType::Folder
                || (e.type == dirlist::EntryType::Symlink
                    && f.targetType(entries.name(e)) != dirlist::EntryType::File))
                continue;
            // Plain names are their own catalogue form; only others are converted.
            if (catalogueBytes(entries.name(e), e.length, ansi, m_codec))
                l.names.insert(ansi.constData(), int(ansi.size()));
        }
    }

    const PathResolver &m_resolver;
    const TextCodec &m_codec;
    std::vector<std::unique_ptr<Listing>> m_listings;
    QHash<QByteArray, Listing *> m_byDir;
    QByteArray m_lastField;
    Listing *m_last = nullptr;
};

} // namespace

namespace
{

// Whether the current record's file may still exist (see FolderNames::mayExist); Corrupt
// when the record is too short to hold its fields.
DbStatus orphanCheck(const DbfTable &t, FolderNames &names, bool &keep)
{
    const DbfField &dirField = t.fields()[CatalogTable::DIR];
    const DbfField &nameField = t.fields()[CatalogTable::NAME];
    const QByteArray rec = t.recordBytes();
    if (rec.size() < 1 + qMax(dirField.offset + dirField.width, nameField.offset + nameField.width))
        return { DbStatus::Corrupt,
            QCoreApplication::translate("Scan", "Record %1 cannot be read").arg(t.recNo()) };
    const char *dir = rec.constData() + 1 + dirField.offset;
    const char *name = rec.constData() + 1 + nameField.offset;
    const int nameLength = trimmedLength(name, nameField.width);
    keep = nameLength > 0 && names.mayExist(dir, dirField.width, name, nameLength);
    return {};
}

// Every record of the table in physical order.
DbStatus sweepAll(CatalogTable &table, FolderNames &names, int &count)
{
    DbfTable &t = table.table();
    DbStatus st = t.first();
    while (st && !t.eof()) {
        bool keep = false;
        if (st = orphanCheck(t, names, keep); !st)
            break;
        if (keep) {
            st = t.next();
            continue;
        }
        const qint64 before = t.recNo();
        st = t.deleteRecord();
        if (!st)
            break;
        ++table.deletedCount;
        ++count;
        // Delete moves on to the next record, or back to the previous one at the end.
        if (t.recNo() <= before)
            break;
    }
    return st;
}

// Only the records that the walk did not merge, in physical order.
DbStatus sweepOthers(CatalogTable &table, FolderNames &names, const FolderWalk &updated, int &count)
{
    DbfTable &t = table.table();
    const quint32 total = t.physicalCount();
    for (quint32 recno = 1; recno <= total; ++recno) {
        if (updated.contains(recno))
            continue;
        DbStatus st = t.goTo(recno);
        if (st.code() == DbStatus::NoRecord)
            continue; // deleted already
        bool keep = false;
        if (st)
            st = orphanCheck(t, names, keep);
        if (st && !keep) {
            st = t.deleteRecord();
            if (st) {
                ++table.deletedCount;
                ++count;
            }
        }
        if (!st)
            return st;
    }
    return {};
}

} // namespace

DbStatus sweepOrphans(
    CatalogTable &table, const PathResolver &resolver, int *deleted, const FolderWalk *walk)
{
    const DetachedViews guard(table);
    table.switchTagFilterOff();
    DbStatus st = table.setPhysicalOrder();
    int count = 0;
    resolver.forget();
    FolderNames names(resolver, table.codec());
    if (st)
        st = walk ? sweepOthers(table, names, *walk, count) : sweepAll(table, names, count);
    if (deleted)
        *deleted = count;
    const DbStatus restored = table.restoreOrder();
    return st ? restored : st;
}
