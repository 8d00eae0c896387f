#pragma once

#include "dbftable.h"
#include "dbstatus.h"
#include "platform/filelock.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <functional>
#include <vector>

class Progress;

// The byte layer of a dBase III table file: header, field descriptors, fixed-length
// records, end byte. Layout and every decision about foreign files: dbfformat.md.

namespace dbf
{

constexpr int kHeaderSize = 32;
constexpr int kDescriptorSize = 32;
constexpr char kTerminator = 0x0D;
constexpr char kEndByte = 0x1A;
constexpr char kLive = ' ';
constexpr char kDeleted = '*';
constexpr int kMaxFields = 255;
// Header byte 30: the catalogue's choices (TableChoices); the other bits are written 0.
constexpr quint8 kChoiceBits = 0x03;

// What the first bytes of a table file say.
struct Layout {
    std::vector<DbfField> fields;
    int headerLength = 0;
    int recordLength = 0;
    quint32 storedCount = 0;
    quint8 productionFlag = 0;
    quint8 languageDriver = 0; // byte 29, kept as found
    quint8 choices = 0; // byte 30, see TableChoices
};

// Checks names, types and widths of a field list for a new table and sets the offsets.
DbStatus prepareFields(std::vector<DbfField> &fields, const QString &path);

// WrongLayout, naming the first difference, unless the table's fields are exactly the
// required ones: the same names, types and widths in the same order.
DbStatus checkFields(
    const std::vector<DbfField> &found, const std::vector<DbfField> &required, const QString &path);

// Decodes the header area. data holds the first bytes of the file (as many as there are,
// up to the header length); fileSize is the length of the whole file.
DbStatus decodeLayout(const QByteArray &data, qint64 fileSize, const QString &path, Layout &out);

// The 32 header bytes for a table with these lengths, count and flag, dated date.
QByteArray encodeHeader(const Layout &layout, quint32 count, const QDate &date);
// Header, descriptors and terminator: everything before the first record.
QByteArray encodeHeaderArea(const Layout &layout, quint32 count, const QDate &date);

// Date fields: eight ASCII digits, or blanks for none.
QDate decodeDate(const char *data, int width);
void encodeDate(const QDate &date, char *data, int width);

// Character fields without trailing padding (blanks, and the zero bytes some tools use).
int trimmedLength(const char *data, int width);

} // namespace dbf

// An open table file, held exclusively. Appended records are collected in a small buffer
// and written in runs; the header count is written at flush() and close(), and the file
// always ends with the end byte after the records written so far, so a crash loses at most
// the unwritten run (the count is repaired from the length at the next open).
class DbfFile
{
public:
    DbfFile();
    ~DbfFile(); // flushes; call close() to see errors

    // Writes an empty table: header (count 0, production flag 0, byte 30 choices),
    // descriptors, terminator and end byte. Fails when path exists.
    static DbStatus create(
        const QString &path, const std::vector<DbfField> &fields, quint8 choices = 0);

    // Opens and locks. With required fields, a table with other fields is refused
    // (WrongLayout) before anything is written. When the header count disagrees with the
    // file length the count from the length is taken and the header rewritten.
    DbStatus open(const QString &path, const std::vector<DbfField> &required = {});
    // Takes over a file that the caller has built and locked (pack's replacement).
    DbStatus adopt(FileLock lock, const QString &path, const std::vector<DbfField> &required = {});
    DbStatus close();
    DbStatus flush(bool sync = false);
    bool isOpen() const { return m_lock.isOpen(); }

    const QString &path() const { return m_path; }
    int fd() const { return m_lock.fd(); } // -1 when closed
    const std::vector<DbfField> &fields() const { return m_layout.fields; }
    int recordLength() const { return m_layout.recordLength; }
    int headerLength() const { return m_layout.headerLength; }
    quint32 count() const { return m_count; }
    bool productionFlag() const { return m_layout.productionFlag != 0; }
    bool countWasRepaired() const { return m_repaired; }
    // The end byte was not found after the last record at open; the first write puts it back.
    bool endWasMissing() const { return m_endMissing; }
    const dbf::Layout &layout() const { return m_layout; }

    // Hands the locked file to the caller without writing anything (pack, after it renamed
    // the file it built).
    FileLock releaseLock();

    // Writes byte 28 at once (with the date and the count of records written so far);
    // with sync the change is on disk before the call returns.
    DbStatus setProductionFlag(bool on, bool sync);
    // Byte 30 (kChoiceBits of it), written and synced at once.
    quint8 choices() const { return m_layout.choices; }
    DbStatus setChoices(quint8 choices);

    // rec is recordLength() bytes, deletion flag first. recno counts from 1.
    DbStatus read(quint32 recno, char *rec) const;
    // Whether read(recno) is served from memory, without a request to the system.
    bool holds(quint32 recno) const;
    // Reads the records a walk is about to visit: in one request for the stretch of the
    // file from the lowest to the highest of them, when that stretch is short enough to
    // be worth it (a folder's records, written together, lie together); otherwise each
    // record on its own (a folder's records imported in no order lie all over the file),
    // which costs a request per record but reads nothing that is not wanted. Failures are
    // left to read() to report.
    void readAhead(const std::vector<quint32> &recnos) const;
    DbStatus write(quint32 recno, const char *rec);
    DbStatus writeFlag(quint32 recno, char flag);
    DbStatus append(const char *rec);

    // Reads every record in physical order through a large buffer. progress, when given,
    // is told the records read before each buffer; when it asks to stop, the scan returns
    // cancelledStatus() there.
    DbStatus scan(const std::function<DbStatus(quint32 recno, const char *rec)> &visit,
        Progress *progress = nullptr) const;

    // Header faults for the checker: one line each.
    void checkHeader(QStringList &faults) const;

private:
    DbStatus writePending();
    DbStatus writeHeader();
    DbStatus repairEnd();
    qint64 recordOffset(quint32 recno) const
    {
        return qint64(m_layout.headerLength) + qint64(recno - 1) * m_layout.recordLength;
    }

    FileLock m_lock;
    QString m_path;
    dbf::Layout m_layout;
    quint32 m_count = 0; // records including the unwritten ones
    quint32 m_written = 0; // records on disk
    QByteArray m_pending; // appended records not yet written
    bool m_headerDirty = false;
    bool m_repaired = false;
    bool m_endMissing = false;

    // A few windows of records, reused least recently used first: at aligned places when
    // read() misses, or over exactly the stretch that readAhead() was given. Walking a key
    // range visits one folder's records in key order, which jumps back and forth over a
    // stretch of the file; either kind serves such a stretch from one or two reads,
    // whatever order the records are asked for in.
    struct Window {
        QByteArray bytes;
        quint32 first = 0; // 0: empty
        quint32 count = 0;
        quint64 used = 0;
    };
    static constexpr int kWindows = 8;
    Window *windowFor(quint32 recno) const;
    Window *leastRecent() const;
    DbStatus fill(Window *w, quint32 first, quint32 want) const;
    void patchWindows(quint32 recno, int offset, const char *data, int size);
    void dropWindows();

    mutable Window m_windows[kWindows];
    mutable quint64 m_windowClock = 0;
    mutable int m_lastWindow = 0; // the one read() served last
    // Records that readAhead() read one by one, in ascending order, and their bytes.
    mutable std::vector<quint32> m_pickedRecnos;
    mutable QByteArray m_picked;
    qsizetype pickedAt(quint32 recno) const; // offset in m_picked, -1 when not there
    void readEach(const std::vector<quint32> &recnos) const;
};
