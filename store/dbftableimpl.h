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

// A position in the current order: the record, its bytes and, in a tag order, the cursor.
struct DbfPosition {
    quint32 recno = 0; // 0: none
    QByteArray rec;
    MdxIndex::Cursor cursor;
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
    int rangeCompare(const DbfPosition &p) const;
    bool acceptable(DbfPosition &p);
    DbStatus load(DbfPosition &p);
    void readAhead(const DbfPosition &p);
    DbStatus startAt(DbfPosition &p, bool atEnd);
    DbStatus step(DbfPosition &p, bool forward);
    DbStatus seekVisible(DbfPosition &p, bool forward, bool &found);
    DbStatus positionOn(DbfPosition &p, quint32 recno, const char *rec);
    DbStatus reseekCurrent();
    DbStatus settleNear(quint32 recno, const char *rec);
    void becomeCurrent(DbfPosition &p);
    void clearCurrent();
    DbStatus ensureBrowse();
    DbStatus move(bool forward);

    // Editing (dbftableedit.cpp)
    DbStatus postInsert();
    bool visibleAppended(quint32 recno);
    DbStatus postEdit();

    // Pack and check (dbftablepack.cpp, dbftablecheck.cpp)
    fileio::BackgroundRemoval oldIndexRemoval; // of the index that a pack replaced
    DbStatus writePacked(const DbfFile &source, int fd, const QString &path, MdxKeySorter &keys);
    DbStatus packSteps(
        const QString &newTable, const QString &newIndex, const QString &folder, int &reached);
    DbStatus releaseOldIndex(int &reached);
    DbStatus writeReplacement(
        DbfFile &fresh, const QString &newTable, const QString &newIndex, int &reached);
    DbStatus swapIn(DbfFile &fresh, const QString &newTable, const QString &newIndex,
        const QString &folder, int &reached);
    void recoverFromPack(bool indexReleased);
    void checkTag(const DbfTagRuntime &t, QStringList &faults);

    // Messages
    DbStatus notOpen() const;
};
