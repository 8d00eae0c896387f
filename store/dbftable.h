#pragma once

#include "dbstatus.h"
#include "tablechoices.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class Progress;

// The dBase table engine: a .dbf table (dBase III level, character and date fields) with
// its production index (.mdx) of expression tags. One process holds the table
// exclusively for as long as it is open. File layout: dbfformat.md beside this file.
//
// Navigation follows the usual dataset rules: bof() is true after first() and after a
// prior() that could not move; eof() is true after last() and after a next() that could
// not move; both are true when the range (with the filter) holds no record. Records
// marked deleted are never current. A move that cannot go on leaves the record current.
//
// While a record is being edited or inserted, every move, setOrder, setRange,
// cancelRange, append and pack posts it first; a post that fails stops the call.
//
// Durability: posts reach the operating system at once (edits) or in runs of 64 KB
// (appends); flush() writes the rest, the header and the index, and syncs. A process that
// dies loses at most the appends since the last flush; the next open repairs the count and
// rebuilds the index if it may be incomplete. The keys of appended records go into the
// index in batches, before the next call that reads or changes the index (or at latest
// every 4096 records); a run of appends that grows to a quarter of the table has the
// index built anew from the table instead, when the next call needs it. Callers see no
// difference but the time it takes.

struct DbfField {
    QByteArray name; // upper case, at most 10 characters
    char type = 'C'; // 'C' character, 'D' date
    int width = 0;
    int offset = 0; // of the first byte within the record (after the deletion flag)
};

struct DbfTagDef {
    QByteArray name;
    QByteArray expression;
};

class DbfTable
{
public:
    enum class State { Closed, Browse, Edit, Insert };

    // Record rules that the owner installs. A hook that is not set lets everything pass.
    struct Hooks {
        std::function<bool()> beforeInsert; // false refuses the append (Refused)
        std::function<void()> beforeEdit;
        std::function<DbStatus()> beforePost; // may change fields; a failure stops the post
    };

    DbfTable();
    ~DbfTable(); // closes; an edit that was not posted is dropped

    // Creates the table file and its index with the given tags, empty. Fails when the
    // table file exists. KeyTooLong with "Index result for "%s" too long, >100 characters
    // (%d)." when a tag expression yields more than 100 characters. The choices go into
    // the header; a Unicode table also gets the code page file beside it (cpgPathFor),
    // which other dBase readers take its encoding from.
    static DbStatus create(const QString &path, const std::vector<DbfField> &fields,
        const std::vector<DbfTagDef> &tags, const TableChoices &choices = {});
    // A file beside a table: its base name with the extension (".mdx", ".cpg"), found
    // without regard to case, else with the extension as given.
    static QString sidePathFor(const QString &tablePath, const QString &extension);
    // The code page file of a table.
    static QString cpgPathFor(const QString &tablePath);
    // Whether the code page file beside the table names UTF-8, in any of the spellings
    // other tools write ("UTF-8", "UTF8", "65001").
    static bool cpgSaysUtf8(const QString &tablePath);
    // Writes the code page file of a Unicode table ("UTF-8"), replacing what is there (a
    // link is replaced, never written through).
    static DbStatus writeCpg(const QString &tablePath);

    // Opens exclusively (Locked when another process holds it). With requiredFields, a
    // table whose fields differ from them in name, type, width or order is refused
    // (WrongLayout) and nothing is written. Repairs: the record count from the file
    // length; a missing, foreign or broken index, or a missing tag, is rebuilt; a missing
    // end byte is put back at the first write. The table's own records are never changed
    // by open. The index is the file beside the table with the table's base name and the
    // extension .mdx, found without regard to case. Neither file is ever written through a
    // link: a table that is a symbolic link, FIFO or device is refused (NotATable); an
    // index that is a link is rebuilt in the link's place, one that is a FIFO or device
    // refused (IoError).
    DbStatus open(const QString &path, const std::vector<DbfTagDef> &tags,
        const std::vector<DbfField> &requiredFields = {});
    DbStatus close(); // writes header, end byte and index pages
    bool isOpen() const;
    QString path() const;

    const std::vector<DbfField> &fields() const;
    int fieldIndex(const QByteArray &name) const; // -1 when absent

    // The table's choices as found at open: the header's byte 30, and for a table without
    // our Unicode bit a code page file beside it that says UTF-8 (a table another tool
    // made). The codec turns the table's bytes into text and back.
    const TableChoices &choices() const;
    const TextCodec &codec() const;
    // Writes the choice of files without an extension into the header (synced).
    DbStatus setExtensionless(bool on);

    // Orders: a tag name, or the empty name for physical order. Setting an order drops the
    // range and makes the first record current.
    DbStatus setOrder(const QByteArray &tagName);
    QByteArray order() const;

    // Restricts the current order to keys from low to high, both included (short keys
    // compared as if blank-padded to the key length); makes the first record in range
    // current. Only for tag orders.
    DbStatus setRange(const QByteArray &low, const QByteArray &high);
    DbStatus cancelRange(); // the current record stays current where it still is visible
    bool hasRange() const;

    // A per-record predicate applied while reading, in addition to the range. It sees the
    // candidate as the current record. Setting it does not move; the next move obeys it.
    void setFilter(std::function<bool(const DbfTable &)> filter);
    bool hasFilter() const;

    DbStatus first();
    DbStatus last();
    DbStatus next();
    DbStatus prior();
    bool bof() const;
    bool eof() const;
    bool isEmpty() const { return bof() && eof(); }

    // Every record that a move could make current (not marked deleted, accepted by the
    // filter), in physical order, read through a large buffer without moving: the current
    // record stays current and the range plays no part. visit receives the record number
    // and the record's bytes (deletion flag first), valid for the call only. A pending
    // edit is posted first, as before any move. progress, when given, hears the records
    // read so far of physicalCount() now and then, and may stop the scan (Cancelled).
    DbStatus scanVisible(const std::function<void(quint32 recno, const char *rec)> &visit,
        Progress *progress = nullptr);

    qint64 recNo() const; // physical number of the current record, -1 when none
    DbStatus goTo(quint32 recno); // NoRecord when it is deleted or outside range/filter
    quint32 physicalCount() const; // records in the file, deleted ones included

    // Fields of the current record (the edit buffer while editing). Texts are decoded by
    // the table's codec with trailing blanks removed; a text set is cut to the field's
    // width without cutting a character in two.
    QByteArray fieldBytes(int field) const;
    QString fieldText(int field) const;
    QDate fieldDate(int field) const; // null for blanks or an impossible day
    void setFieldBytes(int field, const QByteArray &ansi); // cut to the width, blank-padded
    void setFieldText(int field, const QString &text);
    void setFieldDate(int field, const QDate &date); // null date writes blanks
    // The setters act only while editing or inserting; a date field given a text or a
    // character field given a date is left alone.
    QByteArray recordBytes() const; // flag byte and fields
    // The same bytes in place, recordLength() of them, without a copy: valid until the next
    // call that moves, edits or closes. Null without a current record.
    const char *recordData() const;
    int recordLength() const;
    bool isDeleted() const;

    State state() const;
    DbStatus append(); // new record buffer (all blanks) to be posted at the end of the file
    DbStatus edit(); // NoRecord without a current record; beforeEdit runs first
    // Writes the buffer and keeps every tag in step. The record stays current if it is
    // still in range and filter, else the nearest following record, else the preceding
    // one. A failing beforePost, or a write that fails, leaves the edit open.
    DbStatus post();
    void cancel();
    // Marks the current record deleted; the next record of range and order becomes
    // current, the previous one when it was the last. An unposted insert is dropped
    // instead; an unposted edit is dropped before the delete.
    DbStatus deleteRecord();

    // Removes the records marked deleted and rebuilds the index. The files are replaced so
    // that an interruption leaves either the old or the new table whole. The order is kept
    // (the range is dropped) and the first record becomes current. progress, when given,
    // hears the records copied of all; it may stop the pack while they are copied, before
    // anything is replaced: the table and its index are then as they were (Cancelled).
    DbStatus pack(Progress *progress = nullptr);
    DbStatus reindex();
    DbStatus flush();

    void setHooks(Hooks hooks);

    // The index is derived data and never trusted where a read can see it is wrong: an
    // entry for record 0 or for a record the table does not have, an entry whose key is not
    // its record's, a record whose entry a seek does not find, a step or seek out of key
    // order. A read that meets such damage (first, last, next, prior, goTo, setOrder,
    // setRange) has the index rebuilt from the table and goes on from the current record.
    // A walk over a whole tag order that reaches its other end having met more or fewer
    // entries than there are records has handed out a wrong set: the index is rebuilt and
    // the move fails (Corrupt), so that the caller repeats the walk instead of trusting it.
    //
    // When the disk refuses a rebuild the table needs (no room, no permission), at open or
    // after damage, the table is read without its index: tag orders and ranges are served
    // from a list of the range's records sorted in memory, every change (append, edit,
    // delete, pack) fails with the disk's error, and the index is rebuilt at the next open
    // or reindex() that finds room.
    //
    // Each such event is told to the handler in a sentence for the user. Unset, nobody is
    // told.
    void setNoticeHandler(std::function<void(const QString &)> handler);
    bool readsWithoutIndex() const;

    // Full check of table and index, for the command-line tool: one line per fault.
    DbStatus check(QStringList &faults);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
