#pragma once

#include "dbstatus.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// A dBase IV production index (.mdx): expression tags over character keys, ascending,
// not unique, equal keys in record-number order. The byte layout is written down in
// mdxformat.md beside this file. The index is derived data: whatever is wrong with the
// file, open() answers BadIndex and the caller rebuilds it with build().
//
// Pages live in a bounded cache and are written back on flush(), close and eviction.
// A process therefore never holds the whole index in memory. From the first change until
// the write-back that completes it, the file carries a mark; a file found with the mark
// (the process stopped, or a write failed half way) is refused by open() as BadIndex.
// Writes go through dbfio, so its fault hook fails them as a full disk would.

struct MdxTagSpec {
    QByteArray name; // "1" .. "4"
    QByteArray expression; // e.g. DIR+UPPER(SUBSTR(NAME,1,20)), stored as given
    int keyLength = 0; // width of the expression's result, 1..100
};

// Keys of one tag for a bulk build: count entries of keyLength bytes, in any order.
struct MdxKeyList {
    int keyLength = 0;
    QByteArray keys; // count * keyLength bytes
    std::vector<quint32> recnos; // one per key
    // Saves the copying of repeated growth when the caller knows the number of keys.
    void reserve(size_t count)
    {
        keys.reserve(qsizetype(count) * keyLength);
        recnos.reserve(count);
    }
    void add(const char *key, quint32 recno)
    {
        keys.append(key, keyLength);
        recnos.push_back(recno);
    }
};

class MdxKeySorter;

class MdxIndex
{
public:
    // A position on one entry of one tag. After an insert or remove, next() and prior()
    // first find the cursor's place again by its (key, recno), which names one entry
    // exactly; when that entry itself was removed they go to its neighbour.
    class Cursor
    {
    public:
        bool isValid() const { return m_valid; }
        int tag() const { return m_tag; }
        const QByteArray &key() const { return m_key; }
        quint32 recno() const { return m_recno; }

    private:
        friend class MdxIndex;
        bool m_valid = false;
        int m_tag = -1;
        QByteArray m_key;
        quint32 m_recno = 0;
        std::vector<std::pair<quint32, int>> m_path; // (page, entry) from the root down
        quint64 m_generation = 0; // of the tree the path belongs to
    };

    ~MdxIndex(); // flushes; errors at this point are lost, so call close() to see them

    // Opens an existing index for reading and writing. Checks the file header, the tag
    // table and every tag header against the file size (no walk of the trees, so the cost
    // does not grow with the table). BadIndex for anything foreign or broken, and for a
    // symbolic link, FIFO or device at path: an index is only used under its own name.
    static DbStatus open(const QString &path, std::unique_ptr<MdxIndex> &out);

    // Writes a complete index at path from the entries gathered in keys (one sorter tag per
    // tag, same key lengths), replacing any file there only once the new one is complete
    // (temporary file, then rename). A symbolic link at path is itself replaced, never
    // written through; a FIFO or device there is refused (IoError). Memory stays within
    // the sorter's budget and a few buffers, whatever the number of keys. InvalidArgument
    // for 0 or more than 47 tags, a name of more than 10 characters, an expression of more
    // than 220, a key length outside 1..100, or keys that do not match their tag (record
    // number 0 included). The old file stays on any failure.
    static DbStatus build(const QString &path, const QByteArray &tableBaseName,
        const std::vector<MdxTagSpec> &tags, MdxKeySorter &keys);
    // The same from whole lists: produceKeys(i, list) fills the keys of tag i, once per
    // tag in tag order; one tag's list is held at a time. An error of produceKeys is
    // passed on.
    static DbStatus build(const QString &path, const QByteArray &tableBaseName,
        const std::vector<MdxTagSpec> &tags,
        const std::function<DbStatus(int, MdxKeyList &)> &produceKeys);

    DbStatus close();
    DbStatus flush();

    int tagCount() const;
    int findTag(const QByteArray &name) const; // -1 when absent (names compared upper-case)
    MdxTagSpec tagSpec(int tag) const;

    // key points to keyLength bytes; recno counts from 1 (InvalidArgument for 0). A failed
    // insert or remove may have changed part of the tree: the index is then to be
    // rebuilt, and flush() and close() answer BadIndex after writing what they can.
    DbStatus insert(int tag, const char *key, quint32 recno);
    DbStatus remove(int tag, const char *key, quint32 recno); // Corrupt when absent
    // Inserts every entry of the list (in any order) as insert() would, taking them in
    // (key, recno) order so that neighbouring keys are placed without a descent from the
    // root each. InvalidArgument when the keys do not match the tag. A failure half way
    // leaves the entries before it inserted and the index to be rebuilt, as with insert().
    DbStatus insertMany(int tag, const MdxKeyList &list);

    // Cursor moves check what they land on, so that a damaged tree is reported (BadIndex,
    // cursor invalid) instead of walked wrongly: an entry for record 0, a step of next()
    // (prior()) to an entry that is not greater (less) than the one it left, a seek that
    // lands on an entry less than the key sought or after one that is not.
    //
    // Positions on the first entry not less than (key, recno); key is padded with blanks to
    // the key length (a longer key is cut). The cursor is invalid when there is none.
    DbStatus seek(int tag, const QByteArray &key, quint32 recno, Cursor &c);
    DbStatus first(int tag, Cursor &c);
    DbStatus last(int tag, Cursor &c);
    DbStatus next(Cursor &c); // invalid cursor past the end
    DbStatus prior(Cursor &c); // invalid cursor before the beginning
    // The record numbers of the entries from the cursor's on, at most max of them and
    // none of a key greater than high (compared over high's length; an empty high bounds
    // nothing), for a caller that reads their records ahead. Fewer or none when the tree
    // changed since the cursor was placed or a page is odd: the walk itself reports that.
    void peekRecnos(const Cursor &c, const QByteArray &high, int max, std::vector<quint32> &out);

    // Walks a whole tag with every structural check (pages inside the file, no page
    // visited twice, equal depth, keys in order, separators bounding their children),
    // calling visit(key, recno) per entry in order. Stops at the first fault.
    DbStatus verify(int tag, const std::function<void(const char *key, quint32 recno)> &visit);

    // For tests and benchmarks: blocks (nodes of 1024 bytes) held in the cache at most;
    // the default is 8192 (8 MB). Blocks in use by the running operation are never evicted.
    void setCacheLimit(int pages);

private:
    MdxIndex();
    struct Impl;
    std::unique_ptr<Impl> d;
};
