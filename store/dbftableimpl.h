#pragma once

// Internals of DbfTable shared by its source files (opening and repair, navigation,
// editing, pack and check). Not for use outside the table.

#include "dbffile.h"
#include "dbftable.h"
#include "keyexpr.h"
#include "mdxindex.h"
#include "mdxsort.h"
#include "platform/fileio.h"

#include <memory>
#include <vector>

struct DbfTagRuntime {
    QByteArray name;
    KeyExpr expr;
    int mdxTag = -1;
};

// A position in the current order: the record, its bytes and, in a tag order, the cursor
// (or, in an order kept in memory, the place in its list).
struct DbfPosition {
    quint32 recno = 0; // 0: none
    QByteArray rec;
    MdxIndex::Cursor cursor;
    quint32 slot = 0;
};

// A tag order kept in memory while the table is read without its index: every record (as a
// tag holds them, those marked deleted included), sorted by (key, record number), with their
// keys in the same order. Ranges are found in it as in a tag.
struct DbfMemoryOrder {
    bool built = false;
    int order = -1;
    int keyLength = 0;
    std::vector<quint32> recnos;
    QByteArray keys;
    const char *key(quint32 slot) const { return keys.constData() + qsizetype(slot) * keyLength; }
};

// What a walk in a tag order has met so far, from first() on forwards or from last() on
// backwards: the entries of its range that passed every check. A sound tag holds one entry
// per record, so a walk over a whole tag that reaches the other end having met fewer or
// more has passed over damage it could not see; and a walk that meets damage half way can
// go on with the mended index only if it has met all that the mended index holds up to
// the record it stands on.
struct DbfWalkTally {
    bool active = false;
    bool forward = true;
    bool ranged = false;
    quint32 last = 0; // the record the walk stands on
    quint32 records = 0; // the table's records when it began
    quint32 entries = 0;
};

struct DbfTable::Impl {
    DbfTable *q = nullptr;
    DbfFile file;
    std::unique_ptr<MdxIndex> mdx;
    QString mdxPath;
    std::vector<DbfTagRuntime> tags;
    std::vector<DbfTagDef> tagDefs;

    int order = -1; // index into tags, -1 for physical order
    bool ranged = false;
    QByteArray low, high; // padded to the key length of the order
    std::function<bool(const DbfTable &)> filter;
    Hooks hooks;
    State state = State::Closed;
    TableChoices choices;

    DbfPosition cur, scan;
    bool bof = true, eof = true;
    bool cursorStale = false; // the index changed since cur.cursor was taken
    QByteArray editBuf; // the record being edited or inserted
    bool posting = false;
    QByteArray keyA, keyB; // scratch keys of the longest tag
    std::vector<quint32> ahead; // record numbers a forward walk is about to visit

    // Crash protocol of the index: the flag in the table header is cleared (on disk)
    // before the first change to the index and set again after a complete flush.
    bool indexChanging = false;
    bool indexBroken = false; // an update failed half-way: only a rebuild repairs it

    // Reading without the index: it had to be rebuilt and the disk refused (no room, no
    // permission). Tag orders are then served from memory, every change is refused with
    // the cause, and the index stays marked for rebuilding at the next open or reindex.
    bool unindexed = false;
    DbStatus unindexedCause;
    DbfMemoryOrder memory;
    DbfWalkTally walk;
    std::function<void(const QString &)> notice;

    // Keys of the records appended since the index was last brought up to date, one list
    // per tag (in the order of tags). They go into the index in key order in one go
    // (applyPending) before anything reads or changes the index or needs the current
    // record's place in it. Keys are only held while the table header says the index is
    // changing, so a process that dies with keys pending leaves an index that the next
    // open rebuilds.
    std::vector<MdxKeyList> pending;
    quint32 pendingRecords = 0;
    // Records appended in a row since anything else needed the index; once they are a
    // quarter of the table, their keys are no longer kept and the index is stale: the next
    // call that needs it builds it anew (see postInsert).
    quint32 appendRun = 0;
    bool indexStale = false;

    // Opening and repair (dbftable.cpp)
    DbStatus openIndex(const std::vector<DbfTagDef> &required);
    DbStatus parseTags(const std::vector<DbfTagDef> &defs);
    bool indexMatches(); // and maps the tags to the index's when it does
    DbStatus rebuildIndex();
    // With gathered, the keys of every tag were already taken from the records and the
    // table is not read again.
    DbStatus buildIndexFile(
        const QString &path, const DbfFile &source, MdxKeySorter *gathered = nullptr);
    std::unique_ptr<MdxKeySorter> keySorter() const; // for the tags, scratch beside the index
    void evaluateKeys(const char *rec, QByteArray &keys) const;
    DbStatus beginIndexChange();
    DbStatus applyPending(); // brings the index up to date (rebuilds a stale one)
    DbStatus insertBatch(); // the pending keys into the index
    void dropPending();
    DbStatus flushAll(bool sync);
    void resetPosition();

    // Navigation (dbftablenav.cpp)
    const char *currentRecord() const;
    bool physical() const { return order < 0; }
    bool inMemory() const { return unindexed && order >= 0; } // a tag order without index
    bool fromIndex() const { return !unindexed && order >= 0; }
    int rangeCompare(const DbfPosition &p) const;
    bool acceptable(DbfPosition &p);
    DbStatus load(DbfPosition &p);
    void readAhead(const DbfPosition &p);
    DbStatus startAt(DbfPosition &p, bool atEnd);
    DbStatus step(DbfPosition &p, bool forward);
    // tally, when given, counts the entries met on the way.
    DbStatus seekVisible(DbfPosition &p, bool forward, bool &found, quint32 *tally = nullptr);
    DbStatus positionOn(DbfPosition &p, quint32 recno, const char *rec);
    DbStatus reseekCurrent();
    DbStatus settleNear(quint32 recno, const char *rec);
    void becomeCurrent(DbfPosition &p);
    void clearCurrent();
    DbStatus ensureBrowse();
    DbStatus toEnd(bool atEnd);
    DbStatus move(bool forward);
    DbStatus goTo(quint32 recno);

    // A damaged index found while reading; an index read without (dbftablerepair.cpp)
    // The record of a cursor that settled (st ok): p.recno, or BadIndex for an entry that
    // names no record of the table. p.recno is 0 without an entry.
    DbStatus takeEntry(DbfPosition &p, const DbStatus &st);
    DbStatus damaged(const QString &reason) const; // BadIndex naming the index
    // Whether the key the cursor of p carries is that of p's record (in p.rec).
    DbStatus checkKey(const DbfPosition &p);
    // Whether a seek for the key in keyA and recno found that record's entry: every record,
    // deleted or not, has its entry under its own key in every tag.
    DbStatus ownEntry(const MdxIndex::Cursor &c, quint32 recno) const;
    DbStatus endOfWalk();
    DbStatus checkWalked(); // the walk so far against the mended index
    DbStatus walkSpoiled(const QString &cause) const;
    DbStatus moveTrusting(bool forward);
    // Runs a read; when it meets a damaged index, the index is rebuilt (or, when the disk
    // refuses, left for reading without it) and the read runs once more.
    template <typename Read> DbStatus trusting(Read read)
    {
        DbStatus st = read();
        if (st.code() != DbStatus::BadIndex || !mdx)
            return st;
        if (DbStatus repaired = repairIndex(st); !repaired)
            return repaired;
        return read();
    }
    DbStatus repairIndex(const DbStatus &cause);
    DbStatus readWithoutIndex(const DbStatus &cause);
    DbStatus refuseChange() const; // the change a table read without its index cannot make
    void tell(const QString &message) const;
    DbStatus buildMemoryOrder();
    quint32 memoryPlace(const char *key, quint32 recno) const;
    DbStatus memoryStart(DbfPosition &p, bool atEnd);
    void memoryStep(DbfPosition &p, bool forward) const;
    // The place of (p's record's key, recno) in the order in memory, into p.slot.
    DbStatus memoryPosition(DbfPosition &p, quint32 recno);

    // Editing (dbftableedit.cpp)
    DbStatus postInsert();
    bool visibleAppended(quint32 recno);
    DbStatus postEdit();

    // Pack and check (dbftablepack.cpp, dbftablecheck.cpp)
    fileio::BackgroundRemoval oldIndexRemoval; // of the index that a pack replaced
    DbStatus writePacked(
        const DbfFile &source, int fd, const QString &path, MdxKeySorter &keys, Progress *progress);
    DbStatus packSteps(const QString &newTable, const QString &newIndex, const QString &folder,
        int &reached, Progress *progress);
    DbStatus releaseOldIndex(int &reached);
    DbStatus writeReplacement(DbfFile &fresh, const QString &newTable, const QString &newIndex,
        int &reached, Progress *progress);
    DbStatus restoreOldIndex();
    DbStatus swapIn(DbfFile &fresh, const QString &newTable, const QString &newIndex,
        const QString &folder, int &reached);
    void recoverFromPack(bool indexReleased);
    void checkTag(const DbfTagRuntime &t, QStringList &faults);

    // Messages
    DbStatus notOpen() const;
};
