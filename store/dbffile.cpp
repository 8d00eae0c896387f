#include "dbffile.h"

#include "dbfio.h"
#include "progress.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstring>

using namespace dbf;

namespace
{

// Appends are written in runs of about this many bytes.
constexpr int kPendingBytes = 64 * 1024;
// Reads fetch an aligned window of about this many bytes around the record asked for:
// a folder of a hundred files spans two or three, and little more is read than it holds.
constexpr int kWindowBytes = 16 * 1024;
// and readAhead() reads at most this many in one request.
constexpr quint64 kReadAheadBytes = 64 * 1024;
// Bulk scans read this much at a time.
constexpr int kScanBytes = 256 * 1024;

DbStatus lockStatus(FileLock::Result r, const FileLock &lock, const QString &path)
{
    switch (r) {
    case FileLock::Acquired:
        return {};
    case FileLock::Missing:
        return { DbStatus::NotFound,
            QCoreApplication::translate("Store", "Table \"%1\" does not exist.").arg(path) };
    case FileLock::Held:
        return { DbStatus::Locked,
            QCoreApplication::translate("Store", "Table \"%1\" is in use by another program.")
                .arg(path) };
    case FileLock::Refused:
        return { DbStatus::NotATable,
            QCoreApplication::translate("Store", "Table \"%1\" is not opened: %2.")
                .arg(path, lock.errorText()) };
    case FileLock::Exists:
    case FileLock::Failed:
        break;
    }
    return {
        DbStatus::IoError,
        QCoreApplication::translate("Store", "Cannot open \"%1\": %2").arg(path, lock.errorText())
    };
}

} // namespace

DbfFile::DbfFile() = default;

DbfFile::~DbfFile()
{
    close();
}

DbStatus DbfFile::create(const QString &path, const std::vector<DbfField> &fields, quint8 choices)
{
    Layout layout;
    layout.fields = fields;
    layout.choices = choices & kChoiceBits;
    if (DbStatus st = prepareFields(layout.fields, path); !st)
        return st;
    layout.headerLength = kHeaderSize + kDescriptorSize * int(layout.fields.size()) + 1;
    layout.recordLength = 1;
    for (const DbfField &f : layout.fields)
        layout.recordLength += f.width;
    FileLock lock;
    const FileLock::Result r = lock.open(path, true);
    if (r == FileLock::Exists)
        return { DbStatus::IoError,
            QCoreApplication::translate("Store", "Table \"%1\" already exists.").arg(path) };
    if (r == FileLock::Missing)
        return { DbStatus::NotFound,
            QCoreApplication::translate("Store", "Cannot create \"%1\": the folder does not exist.")
                .arg(path) };
    if (DbStatus st = lockStatus(r, lock, path); !st)
        return st;
    QByteArray bytes = encodeHeaderArea(layout, 0, QDate::currentDate());
    bytes.append(kEndByte);
    DbStatus st = dbfio::writeAt(lock.fd(), bytes.constData(), bytes.size(), 0, path);
    if (!st) {
        lock.close();
        QFile::remove(path); // a partial file would only be refused at the next open
    }
    return st;
}

DbStatus DbfFile::open(const QString &path, const std::vector<DbfField> &required)
{
    close();
    FileLock lock;
    if (DbStatus st = lockStatus(lock.open(path), lock, path); !st)
        return st;
    return adopt(std::move(lock), path, required);
}

DbStatus DbfFile::adopt(FileLock lock, const QString &path, const std::vector<DbfField> &required)
{
    close();
    const qint64 size = dbfio::fileSize(lock.fd());
    QByteArray head(int(std::min<qint64>(std::max<qint64>(size, 0), 65536)), '\0');
    qint64 got = 0;
    if (DbStatus st = dbfio::readAt(lock.fd(), head.data(), head.size(), 0, path, &got); !st)
        return st;
    head.resize(int(got));
    Layout layout;
    if (DbStatus st = decodeLayout(head, size, path, layout); !st)
        return st;
    if (!required.empty())
        if (DbStatus st = checkFields(layout.fields, required, path); !st)
            return st;
    m_lock = std::move(lock);
    m_path = path;
    m_layout = layout;
    const qint64 fromLength = (size - layout.headerLength) / layout.recordLength;
    m_count = m_written = quint32(std::min<qint64>(fromLength, 0xFFFFFFFFLL));
    m_repaired = m_count != layout.storedCount;
    const qint64 end = recordOffset(m_written + 1);
    char last = 0;
    m_endMissing = end >= size || !dbfio::readAt(m_lock.fd(), &last, 1, end, m_path, &got)
        || got != 1 || last != kEndByte;
    dropWindows();
    if (m_repaired) {
        if (DbStatus st = writeHeader(); !st) {
            m_lock.close();
            return st;
        }
    }
    return {};
}

DbStatus DbfFile::close()
{
    if (!isOpen())
        return {};
    DbStatus st = flush();
    m_lock.close();
    m_pending.clear();
    dropWindows();
    return st;
}

FileLock DbfFile::releaseLock()
{
    m_pending.clear();
    dropWindows();
    m_headerDirty = false;
    return std::move(m_lock);
}

DbStatus DbfFile::flush(bool sync)
{
    if (!isOpen())
        return {};
    if (DbStatus st = writePending(); !st)
        return st;
    if (m_headerDirty)
        if (DbStatus st = writeHeader(); !st)
            return st;
    return sync ? dbfio::sync(m_lock.fd(), m_path) : DbStatus();
}

// A table cut short (its end byte lost, or a record written only in part) gets the end
// byte back after its last whole record, and loses the part of a record beyond it.
DbStatus DbfFile::repairEnd()
{
    if (!m_endMissing)
        return {};
    const qint64 end = recordOffset(m_written + 1);
    const char byte = kEndByte;
    if (DbStatus st = dbfio::writeAt(m_lock.fd(), &byte, 1, end, m_path); !st)
        return st;
    if (dbfio::fileSize(m_lock.fd()) > end + 1)
        if (DbStatus st = dbfio::truncate(m_lock.fd(), end + 1, m_path); !st)
            return st;
    m_endMissing = false;
    return {};
}

DbStatus DbfFile::writeHeader()
{
    if (DbStatus st = repairEnd(); !st)
        return st;
    const QByteArray h = encodeHeader(m_layout, m_written, QDate::currentDate());
    DbStatus st = dbfio::writeAt(m_lock.fd(), h.constData(), h.size(), 0, m_path);
    if (st)
        m_headerDirty = false;
    return st;
}

DbStatus DbfFile::writePending()
{
    if (m_pending.isEmpty())
        return {};
    const qint64 at = recordOffset(m_written + 1);
    m_pending.append(kEndByte);
    DbStatus st = dbfio::writeAt(m_lock.fd(), m_pending.constData(), m_pending.size(), at, m_path);
    m_pending.chop(1);
    if (!st) {
        // Keep the file a valid table up to what was written before; the run stays in
        // memory for another try.
        const char end = kEndByte;
        if (dbfio::writeAt(m_lock.fd(), &end, 1, at, m_path))
            dbfio::truncate(m_lock.fd(), at + 1, m_path);
        return st;
    }
    m_written = m_count;
    m_pending.clear();
    m_headerDirty = true;
    m_endMissing = false; // the run covers whatever part of a record followed
    return {};
}

DbStatus DbfFile::setProductionFlag(bool on, bool sync)
{
    const quint8 was = m_layout.productionFlag;
    m_layout.productionFlag = on ? 1 : 0;
    if (DbStatus st = writeHeader(); !st) {
        m_layout.productionFlag = was;
        return st;
    }
    return sync ? dbfio::sync(m_lock.fd(), m_path) : DbStatus();
}

DbStatus DbfFile::setChoices(quint8 choices)
{
    const quint8 was = m_layout.choices;
    m_layout.choices = choices & kChoiceBits;
    if (DbStatus st = writeHeader(); !st) {
        m_layout.choices = was;
        return st;
    }
    return dbfio::sync(m_lock.fd(), m_path);
}

DbStatus DbfFile::read(quint32 recno, char *rec) const
{
    const int len = m_layout.recordLength;
    if (recno < 1 || recno > m_count)
        return { DbStatus::NoRecord,
            QCoreApplication::translate("Store", "Table \"%1\" has no record %2.")
                .arg(m_path)
                .arg(recno) };
    if (recno > m_written) {
        std::memcpy(rec, m_pending.constData() + qint64(recno - m_written - 1) * len, size_t(len));
        return {};
    }
    Window *w = windowFor(recno);
    if (!w) {
        if (const qsizetype at = pickedAt(recno); at >= 0) {
            std::memcpy(rec, m_picked.constData() + at, size_t(len));
            return {};
        }
        const quint32 per = quint32(std::max(1, kWindowBytes / len));
        const quint32 first = (recno - 1) / per * per + 1;
        w = leastRecent();
        if (DbStatus st = fill(w, first, std::min<quint32>(per, m_written - first + 1)); !st)
            return st;
        if (recno >= w->first + w->count)
            return { DbStatus::Corrupt,
                QCoreApplication::translate("Store", "Table \"%1\" ends inside record %2.")
                    .arg(m_path)
                    .arg(recno) };
    }
    std::memcpy(rec, w->bytes.constData() + qint64(recno - w->first) * len, size_t(len));
    return {};
}

bool DbfFile::holds(quint32 recno) const
{
    if (recno > m_written)
        return recno <= m_count;
    return windowFor(recno) != nullptr || pickedAt(recno) >= 0;
}

qsizetype DbfFile::pickedAt(quint32 recno) const
{
    const auto it = std::lower_bound(m_pickedRecnos.begin(), m_pickedRecnos.end(), recno);
    if (it == m_pickedRecnos.end() || *it != recno)
        return -1;
    return (it - m_pickedRecnos.begin()) * m_layout.recordLength;
}

// Reads each of the records (those on disk and not held already) with a request of its own,
// in file order.
void DbfFile::readEach(const std::vector<quint32> &recnos) const
{
    const int len = m_layout.recordLength;
    m_pickedRecnos.clear();
    for (quint32 r : recnos)
        if (r >= 1 && r <= m_written && !windowFor(r))
            m_pickedRecnos.push_back(r);
    std::sort(m_pickedRecnos.begin(), m_pickedRecnos.end());
    m_pickedRecnos.erase(
        std::unique(m_pickedRecnos.begin(), m_pickedRecnos.end()), m_pickedRecnos.end());
    m_picked.resize(qsizetype(m_pickedRecnos.size()) * len);
    for (size_t i = 0; i < m_pickedRecnos.size(); ++i) {
        qint64 got = 0;
        if (!dbfio::readAt(m_lock.fd(), m_picked.data() + qsizetype(i) * len, len,
                recordOffset(m_pickedRecnos[i]), m_path, &got)
            || got != len) {
            m_pickedRecnos.resize(i);
            break;
        }
    }
}

void DbfFile::readAhead(const std::vector<quint32> &recnos) const
{
    quint32 low = 0, high = 0;
    for (quint32 r : recnos) {
        if (r < 1 || r > m_written)
            continue;
        low = low ? std::min(low, r) : r;
        high = std::max(high, r);
    }
    // Beyond this a stretch holds more records that nobody asked for than wanted ones.
    const quint64 limit
        = std::max<quint64>(kWindowBytes, quint64(recnos.size()) * 2 * m_layout.recordLength);
    if (!low)
        return;
    if (quint64(high - low + 1) * m_layout.recordLength
        > std::min<quint64>(limit, kReadAheadBytes)) {
        readEach(recnos);
        return;
    }
    for (Window &w : m_windows)
        if (w.first && low >= w.first && high < w.first + w.count)
            return;
    Window *w = leastRecent();
    if (!fill(w, low, high - low + 1))
        w->first = 0;
}

// Reads want records from first into w; short at the end of the file.
DbStatus DbfFile::fill(Window *w, quint32 first, quint32 want) const
{
    const int len = m_layout.recordLength;
    w->first = 0;
    w->used = ++m_windowClock;
    w->bytes.resize(qint64(want) * len);
    qint64 got = 0;
    DbStatus st = dbfio::readAt(
        m_lock.fd(), w->bytes.data(), w->bytes.size(), recordOffset(first), m_path, &got);
    if (!st)
        return st;
    w->first = first;
    w->count = quint32(got / len);
    return {};
}

// The window holding recno, or nullptr.
DbfFile::Window *DbfFile::windowFor(quint32 recno) const
{
    // A walk asks for records of one window many times in a row.
    Window &last = m_windows[m_lastWindow];
    if (last.first && recno >= last.first && recno < last.first + last.count)
        return &last;
    for (int i = 0; i < kWindows; ++i) {
        Window &w = m_windows[i];
        if (w.first && recno >= w.first && recno < w.first + w.count) {
            w.used = ++m_windowClock;
            m_lastWindow = i;
            return &w;
        }
    }
    return nullptr;
}

DbfFile::Window *DbfFile::leastRecent() const
{
    Window *victim = &m_windows[0];
    for (Window &w : m_windows)
        if (w.used < victim->used)
            victim = &w;
    return victim;
}

// Keeps the cached copies equal to the file after a write to a record on disk.
void DbfFile::patchWindows(quint32 recno, int offset, const char *data, int size)
{
    for (Window &w : m_windows)
        if (w.first && recno >= w.first && recno < w.first + w.count)
            std::memcpy(w.bytes.data() + qint64(recno - w.first) * m_layout.recordLength + offset,
                data, size_t(size));
    if (const qsizetype at = pickedAt(recno); at >= 0)
        std::memcpy(m_picked.data() + at + offset, data, size_t(size));
}

void DbfFile::dropWindows()
{
    for (Window &w : m_windows)
        w = Window();
    m_pickedRecnos.clear();
}

DbStatus DbfFile::write(quint32 recno, const char *rec)
{
    const int len = m_layout.recordLength;
    if (recno < 1 || recno > m_count)
        return { DbStatus::NoRecord,
            QCoreApplication::translate("Store", "Table \"%1\" has no record %2.")
                .arg(m_path)
                .arg(recno) };
    if (recno > m_written) {
        std::memcpy(m_pending.data() + qint64(recno - m_written - 1) * len, rec, size_t(len));
        return {};
    }
    if (DbStatus st = repairEnd(); !st)
        return st;
    if (DbStatus st = dbfio::writeAt(m_lock.fd(), rec, len, recordOffset(recno), m_path); !st)
        return st;
    patchWindows(recno, 0, rec, len);
    m_headerDirty = true;
    return {};
}

DbStatus DbfFile::writeFlag(quint32 recno, char flag)
{
    if (recno < 1 || recno > m_count)
        return { DbStatus::NoRecord,
            QCoreApplication::translate("Store", "Table \"%1\" has no record %2.")
                .arg(m_path)
                .arg(recno) };
    if (recno > m_written) {
        m_pending[qint64(recno - m_written - 1) * m_layout.recordLength] = flag;
        return {};
    }
    if (DbStatus st = repairEnd(); !st)
        return st;
    if (DbStatus st = dbfio::writeAt(m_lock.fd(), &flag, 1, recordOffset(recno), m_path); !st)
        return st;
    patchWindows(recno, 0, &flag, 1);
    m_headerDirty = true;
    return {};
}

DbStatus DbfFile::append(const char *rec)
{
    if (m_count == 0xFFFFFFFFu)
        return { DbStatus::InvalidArgument,
            QCoreApplication::translate("Store", "Table \"%1\" cannot hold more records.")
                .arg(m_path) };
    // A full run is written before the new record joins it, so that a failing disk refuses
    // this append instead of losing it later.
    if (m_pending.size() + m_layout.recordLength > kPendingBytes)
        if (DbStatus st = writePending(); !st)
            return st;
    m_pending.append(rec, m_layout.recordLength);
    ++m_count;
    m_headerDirty = true;
    return {};
}

DbStatus DbfFile::scan(
    const std::function<DbStatus(quint32, const char *)> &visit, Progress *progress) const
{
    const int len = m_layout.recordLength;
    QByteArray buf(std::max(1, kScanBytes / len) * qint64(len), '\0');
    quint32 recno = 1;
    while (recno <= m_written) {
        if (!proceed(progress, recno - 1, m_count))
            return cancelledStatus();
        const quint32 n = std::min<quint32>(quint32(buf.size() / len), m_written - recno + 1);
        qint64 got = 0;
        if (DbStatus st = dbfio::readAt(
                m_lock.fd(), buf.data(), qint64(n) * len, recordOffset(recno), m_path, &got);
            !st)
            return st;
        if (got < qint64(n) * len)
            return { DbStatus::Corrupt,
                QCoreApplication::translate("Store", "Table \"%1\" ends inside record %2.")
                    .arg(m_path)
                    .arg(recno + quint32(got / len)) };
        for (quint32 i = 0; i < n; ++i, ++recno)
            if (DbStatus st = visit(recno, buf.constData() + qint64(i) * len); !st)
                return st;
    }
    // The appends not yet written: one run at most.
    if (recno <= m_count && !proceed(progress, recno - 1, m_count))
        return cancelledStatus();
    for (; recno <= m_count; ++recno)
        if (DbStatus st = visit(recno, m_pending.constData() + qint64(recno - m_written - 1) * len);
            !st)
            return st;
    return {};
}

void DbfFile::checkHeader(QStringList &faults) const
{
    const qint64 size = dbfio::fileSize(m_lock.fd());
    QByteArray head(int(std::min<qint64>(std::max<qint64>(size, 0), 65536)), '\0');
    qint64 got = 0;
    if (!dbfio::readAt(m_lock.fd(), head.data(), head.size(), 0, m_path, &got)) {
        faults << QStringLiteral("%1: the header cannot be read").arg(m_path);
        return;
    }
    head.resize(int(got));
    Layout layout;
    if (DbStatus st = decodeLayout(head, size, m_path, layout); !st) {
        faults << st.message();
        return;
    }
    const qint64 records = (size - layout.headerLength) / layout.recordLength;
    if (records != layout.storedCount)
        faults << QStringLiteral("%1: the header counts %2 records, the file length gives %3")
                      .arg(m_path)
                      .arg(layout.storedCount)
                      .arg(records);
    const qint64 end = layout.headerLength + records * layout.recordLength;
    char last = 0;
    if (end >= size || !dbfio::readAt(m_lock.fd(), &last, 1, end, m_path, &got) || last != kEndByte)
        faults << QStringLiteral("%1: no end byte 0x1A after the last record (offset %2)")
                      .arg(m_path)
                      .arg(end);
    else if (end + 1 != size)
        faults
            << QStringLiteral("%1: %2 bytes follow the end byte").arg(m_path).arg(size - end - 1);
    const int terminator = kHeaderSize + kDescriptorSize * int(layout.fields.size());
    if (terminator < layout.headerLength && head[terminator] != kTerminator)
        faults << QStringLiteral("%1: the field descriptors have no terminator").arg(m_path);
}
