#include "dbffile.h"

#include "dbfio.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstring>

namespace dbf {

namespace {

quint16 le16(const char *p)
{
    return quint16(quint8(p[0]) | (quint8(p[1]) << 8));
}

quint32 le32(const char *p)
{
    return quint32(quint8(p[0])) | (quint32(quint8(p[1])) << 8)
        | (quint32(quint8(p[2])) << 16) | (quint32(quint8(p[3])) << 24);
}

void put16(char *p, quint32 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
}

void put32(char *p, quint32 v)
{
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

DbStatus fault(DbStatus::Code code, const QString &path, const QString &what)
{
    return {code, QStringLiteral("Table \"%1\" cannot be used: %2.").arg(path, what)};
}

bool validNameChar(char c, bool first)
{
    if ((c >= 'A' && c <= 'Z') || c == '_')
        return true;
    return !first && c >= '0' && c <= '9';
}

// One descriptor at p; fields of unknown type or impossible width refuse the table.
DbStatus decodeDescriptor(const char *p, int index, const QString &path, DbfField &f)
{
    const int nameLen = int(strnlen(p, 11));
    f.name = QByteArray(p, nameLen);
    f.type = p[11];
    f.width = quint8(p[16]);
    if (f.type == 'C')
        f.width += quint8(p[17]) << 8; // the decimal count doubles as the high byte
    if (nameLen == 0)
        return fault(DbStatus::Corrupt, path,
                     QStringLiteral("field %1 has no name (offset %2)")
                         .arg(index + 1)
                         .arg(kHeaderSize + index * kDescriptorSize));
    if (f.type != 'C' && f.type != 'D')
        return fault(DbStatus::NotATable, path,
                     QStringLiteral("field %1 has type '%2', which is not supported")
                         .arg(QString::fromLatin1(f.name), QString::fromLatin1(&f.type, 1)));
    if (f.width == 0 || (f.type == 'D' && f.width != 8))
        return fault(DbStatus::Corrupt, path,
                     QStringLiteral("field %1 has the impossible width %2")
                         .arg(QString::fromLatin1(f.name))
                         .arg(f.width));
    return {};
}

} // namespace

DbStatus prepareFields(std::vector<DbfField> &fields, const QString &path)
{
    auto refuse = [&](const QString &what) {
        return DbStatus(DbStatus::InvalidArgument,
                        QStringLiteral("Table \"%1\" cannot be created: %2.").arg(path, what));
    };
    if (fields.empty() || fields.size() > size_t(kMaxFields))
        return refuse(QStringLiteral("a table needs 1 to %1 fields").arg(kMaxFields));
    int offset = 1;
    for (size_t i = 0; i < fields.size(); ++i) {
        DbfField &f = fields[i];
        f.name = f.name.toUpper();
        if (f.name.isEmpty() || f.name.size() > 10)
            return refuse(QStringLiteral("field name \"%1\" must have 1 to 10 characters")
                              .arg(QString::fromLatin1(f.name)));
        for (int c = 0; c < f.name.size(); ++c)
            if (!validNameChar(f.name[c], c == 0))
                return refuse(QStringLiteral("field name \"%1\" is not a dBase name")
                                  .arg(QString::fromLatin1(f.name)));
        for (size_t j = 0; j < i; ++j)
            if (fields[j].name == f.name)
                return refuse(QStringLiteral("field %1 appears twice")
                                  .arg(QString::fromLatin1(f.name)));
        if (f.type == 'D' && f.width == 0)
            f.width = 8;
        if ((f.type != 'C' && f.type != 'D') || (f.type == 'D' && f.width != 8)
            || f.width < 1 || f.width > 65535)
            return refuse(QStringLiteral("field %1 has an unsupported type or width")
                              .arg(QString::fromLatin1(f.name)));
        f.offset = offset - 1;
        offset += f.width;
        if (offset > 65535)
            return refuse(QStringLiteral("records would be longer than 65535 bytes"));
    }
    return {};
}

DbStatus decodeLayout(const QByteArray &data, qint64 fileSize, const QString &path,
                      Layout &out)
{
    if (fileSize < kHeaderSize || data.size() < kHeaderSize)
        return fault(DbStatus::NotATable, path,
                     QStringLiteral("the file has only %1 bytes, too few for a dBase table")
                         .arg(fileSize));
    const char *p = data.constData();
    if (quint8(p[0]) != 0x03)
        return fault(DbStatus::NotATable, path,
                     QStringLiteral("version byte 0x%1 is not that of a dBase III table")
                         .arg(quint8(p[0]), 2, 16, QLatin1Char('0')));
    out = Layout();
    out.storedCount = le32(p + 4);
    out.headerLength = le16(p + 8);
    out.recordLength = le16(p + 10);
    out.productionFlag = quint8(p[28]);
    if (out.headerLength < kHeaderSize + kDescriptorSize)
        return fault(DbStatus::Corrupt, path,
                     QStringLiteral("header length %1 leaves no room for a field")
                         .arg(out.headerLength));
    if (out.headerLength > fileSize || out.headerLength > data.size())
        return fault(DbStatus::Corrupt, path,
                     QStringLiteral("header length %1 exceeds the file length %2 (truncated "
                                    "header)")
                         .arg(out.headerLength)
                         .arg(fileSize));
    const int maxFields = (out.headerLength - kHeaderSize) / kDescriptorSize;
    int offset = 1;
    for (int i = 0; i < maxFields; ++i) {
        const char *d = p + kHeaderSize + i * kDescriptorSize;
        if (*d == kTerminator)
            break;
        DbfField f;
        if (DbStatus st = decodeDescriptor(d, i, path, f); !st)
            return st;
        f.offset = offset - 1;
        offset += f.width;
        out.fields.push_back(f);
    }
    if (out.fields.empty())
        return fault(DbStatus::Corrupt, path, QStringLiteral("the header declares no fields"));
    if (offset != out.recordLength)
        return fault(DbStatus::Corrupt, path,
                     QStringLiteral("record length %1 in the header disagrees with the fields, "
                                    "which need %2")
                         .arg(out.recordLength)
                         .arg(offset));
    return {};
}

QByteArray encodeHeader(const Layout &layout, quint32 count, const QDate &date)
{
    QByteArray h(kHeaderSize, '\0');
    char *p = h.data();
    p[0] = 0x03;
    p[1] = char((date.year() - 1900) & 0xFF);
    p[2] = char(date.month());
    p[3] = char(date.day());
    put32(p + 4, count);
    put16(p + 8, quint32(layout.headerLength));
    put16(p + 10, quint32(layout.recordLength));
    p[28] = char(layout.productionFlag);
    return h;
}

QByteArray encodeHeaderArea(const Layout &layout, quint32 count, const QDate &date)
{
    QByteArray area = encodeHeader(layout, count, date);
    for (const DbfField &f : layout.fields) {
        char d[kDescriptorSize] = {};
        std::memcpy(d, f.name.constData(), size_t(std::min<int>(int(f.name.size()), 10)));
        d[11] = f.type;
        d[16] = char(f.width & 0xFF);
        d[17] = f.type == 'C' ? char(f.width >> 8) : 0;
        area.append(d, kDescriptorSize);
    }
    area.append(kTerminator);
    area.resize(layout.headerLength, '\0');
    return area;
}

QDate decodeDate(const char *data, int width)
{
    if (width != 8)
        return {};
    int v[3] = {0, 0, 0};
    const int lengths[3] = {4, 2, 2};
    int pos = 0;
    for (int part = 0; part < 3; ++part) {
        for (int i = 0; i < lengths[part]; ++i, ++pos) {
            const char c = data[pos];
            if (c < '0' || c > '9')
                return {}; // blanks (no date) and anything foreign read as no date
            v[part] = v[part] * 10 + (c - '0');
        }
    }
    return QDate(v[0], v[1], v[2]); // invalid for an impossible day, which reads as none
}

void encodeDate(const QDate &date, char *data, int width)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999 || width != 8) {
        std::memset(data, ' ', size_t(width));
        return;
    }
    const int ymd[3] = {date.year(), date.month(), date.day()};
    const int digits[3] = {4, 2, 2};
    int pos = 8;
    for (int part = 2; part >= 0; --part) {
        int v = ymd[part];
        for (int i = 0; i < digits[part]; ++i) {
            data[--pos] = char('0' + v % 10);
            v /= 10;
        }
    }
}

int trimmedLength(const char *data, int width)
{
    while (width > 0 && (data[width - 1] == ' ' || data[width - 1] == '\0'))
        --width;
    return width;
}

} // namespace dbf

using namespace dbf;

namespace {

// Appends are written in runs of about this many bytes.
constexpr int kPendingBytes = 64 * 1024;
// Reads fetch a window of about this many bytes around the record asked for.
constexpr int kWindowBytes = 8 * 1024;
// Bulk scans read this much at a time.
constexpr int kScanBytes = 256 * 1024;

DbStatus lockStatus(FileLock::Result r, const FileLock &lock, const QString &path)
{
    switch (r) {
    case FileLock::Acquired:
        return {};
    case FileLock::Missing:
        return {DbStatus::NotFound, QStringLiteral("Table \"%1\" does not exist.").arg(path)};
    case FileLock::Held:
        return {DbStatus::Locked,
                QStringLiteral("Table \"%1\" is in use by another program.").arg(path)};
    case FileLock::Failed:
        break;
    }
    return {DbStatus::IoError,
            QStringLiteral("Cannot open \"%1\": %2").arg(path, lock.errorText())};
}

} // namespace

DbfFile::DbfFile() = default;

DbfFile::~DbfFile()
{
    close();
}

DbStatus DbfFile::create(const QString &path, const std::vector<DbfField> &fields)
{
    Layout layout;
    layout.fields = fields;
    if (DbStatus st = prepareFields(layout.fields, path); !st)
        return st;
    layout.headerLength = kHeaderSize + kDescriptorSize * int(layout.fields.size()) + 1;
    layout.recordLength = 1;
    for (const DbfField &f : layout.fields)
        layout.recordLength += f.width;
    FileLock lock;
    const FileLock::Result r = lock.open(path, true);
    if (r == FileLock::Missing)
        return {DbStatus::IoError, QStringLiteral("Table \"%1\" already exists.").arg(path)};
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

DbStatus DbfFile::open(const QString &path)
{
    close();
    FileLock lock;
    if (DbStatus st = lockStatus(lock.open(path), lock, path); !st)
        return st;
    return adopt(std::move(lock), path);
}

DbStatus DbfFile::adopt(FileLock lock, const QString &path)
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
    m_lock = std::move(lock);
    m_path = path;
    m_layout = layout;
    const qint64 fromLength = (size - layout.headerLength) / layout.recordLength;
    m_count = m_written = quint32(std::min<qint64>(fromLength, 0xFFFFFFFFLL));
    m_repaired = m_count != layout.storedCount;
    m_windowCount = 0;
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
    m_window.clear();
    m_windowCount = 0;
    return st;
}

FileLock DbfFile::releaseLock()
{
    m_pending.clear();
    m_window.clear();
    m_windowCount = 0;
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

DbStatus DbfFile::writeHeader()
{
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
    DbStatus st = dbfio::writeAt(m_lock.fd(), m_pending.constData(), m_pending.size(), at,
                                 m_path);
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

DbStatus DbfFile::read(quint32 recno, char *rec) const
{
    const int len = m_layout.recordLength;
    if (recno < 1 || recno > m_count)
        return {DbStatus::NoRecord,
                QStringLiteral("Table \"%1\" has no record %2.").arg(m_path).arg(recno)};
    if (recno > m_written) {
        std::memcpy(rec, m_pending.constData() + qint64(recno - m_written - 1) * len,
                    size_t(len));
        return {};
    }
    if (m_windowCount == 0 || recno < m_windowFirst || recno >= m_windowFirst + m_windowCount) {
        const quint32 want = std::min<quint32>(std::max(1, kWindowBytes / len),
                                               m_written - recno + 1);
        m_window.resize(qint64(want) * len);
        qint64 got = 0;
        m_windowCount = 0;
        DbStatus st = dbfio::readAt(m_lock.fd(), m_window.data(), m_window.size(),
                                    recordOffset(recno), m_path, &got);
        if (!st)
            return st;
        if (got < len)
            return {DbStatus::Corrupt,
                    QStringLiteral("Table \"%1\" ends inside record %2.").arg(m_path).arg(recno)};
        m_windowFirst = recno;
        m_windowCount = quint32(got / len);
    }
    std::memcpy(rec, m_window.constData() + qint64(recno - m_windowFirst) * len, size_t(len));
    return {};
}

DbStatus DbfFile::write(quint32 recno, const char *rec)
{
    const int len = m_layout.recordLength;
    if (recno < 1 || recno > m_count)
        return {DbStatus::NoRecord,
                QStringLiteral("Table \"%1\" has no record %2.").arg(m_path).arg(recno)};
    if (recno > m_written) {
        std::memcpy(m_pending.data() + qint64(recno - m_written - 1) * len, rec, size_t(len));
        return {};
    }
    if (DbStatus st = dbfio::writeAt(m_lock.fd(), rec, len, recordOffset(recno), m_path); !st)
        return st;
    if (m_windowCount && recno >= m_windowFirst && recno < m_windowFirst + m_windowCount)
        std::memcpy(m_window.data() + qint64(recno - m_windowFirst) * len, rec, size_t(len));
    m_headerDirty = true;
    return {};
}

DbStatus DbfFile::writeFlag(quint32 recno, char flag)
{
    if (recno < 1 || recno > m_count)
        return {DbStatus::NoRecord,
                QStringLiteral("Table \"%1\" has no record %2.").arg(m_path).arg(recno)};
    if (recno > m_written) {
        m_pending[qint64(recno - m_written - 1) * m_layout.recordLength] = flag;
        return {};
    }
    if (DbStatus st = dbfio::writeAt(m_lock.fd(), &flag, 1, recordOffset(recno), m_path); !st)
        return st;
    if (m_windowCount && recno >= m_windowFirst && recno < m_windowFirst + m_windowCount)
        m_window[qint64(recno - m_windowFirst) * m_layout.recordLength] = flag;
    m_headerDirty = true;
    return {};
}

DbStatus DbfFile::append(const char *rec)
{
    if (m_count == 0xFFFFFFFFu)
        return {DbStatus::InvalidArgument,
                QStringLiteral("Table \"%1\" cannot hold more records.").arg(m_path)};
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

DbStatus DbfFile::scan(const std::function<DbStatus(quint32, const char *)> &visit) const
{
    const int len = m_layout.recordLength;
    QByteArray buf(std::max(1, kScanBytes / len) * qint64(len), '\0');
    quint32 recno = 1;
    while (recno <= m_written) {
        const quint32 n = std::min<quint32>(quint32(buf.size() / len), m_written - recno + 1);
        qint64 got = 0;
        if (DbStatus st = dbfio::readAt(m_lock.fd(), buf.data(), qint64(n) * len,
                                        recordOffset(recno), m_path, &got);
            !st)
            return st;
        if (got < qint64(n) * len)
            return {DbStatus::Corrupt, QStringLiteral("Table \"%1\" ends inside record %2.")
                                           .arg(m_path)
                                           .arg(recno + quint32(got / len))};
        for (quint32 i = 0; i < n; ++i, ++recno)
            if (DbStatus st = visit(recno, buf.constData() + qint64(i) * len); !st)
                return st;
    }
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
    if (end >= size || !dbfio::readAt(m_lock.fd(), &last, 1, end, m_path, &got)
        || last != kEndByte)
        faults << QStringLiteral("%1: no end byte 0x1A after the last record (offset %2)")
                      .arg(m_path)
                      .arg(end);
    else if (end + 1 != size)
        faults << QStringLiteral("%1: %2 bytes follow the end byte")
                      .arg(m_path)
                      .arg(size - end - 1);
    const int terminator = kHeaderSize + kDescriptorSize * int(layout.fields.size());
    if (terminator < layout.headerLength && head[terminator] != kTerminator)
        faults << QStringLiteral("%1: the field descriptors have no terminator").arg(m_path);
}
