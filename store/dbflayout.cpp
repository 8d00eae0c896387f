#include "dbffile.h"

#include <algorithm>
#include <cstring>

#include <QCoreApplication>

namespace dbf
{

namespace
{

    quint16 le16(const char *p)
    {
        return quint16(quint8(p[0]) | (quint8(p[1]) << 8));
    }

    quint32 le32(const char *p)
    {
        return quint32(quint8(p[0])) | (quint32(quint8(p[1])) << 8) | (quint32(quint8(p[2])) << 16)
            | (quint32(quint8(p[3])) << 24);
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
        return {
            code,
            QCoreApplication::translate("Store", "Table \"%1\" cannot be used: %2.").arg(path, what)
        };
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
                QCoreApplication::translate("Store", "field %1 has no name (offset %2)")
                    .arg(index + 1)
                    .arg(kHeaderSize + index * kDescriptorSize));
        if (f.type != 'C' && f.type != 'D')
            return fault(DbStatus::NotATable, path,
                QCoreApplication::translate(
                    "Store", "field %1 has type '%2', which is not supported")
                    .arg(QString::fromLatin1(f.name), QString::fromLatin1(&f.type, 1)));
        if (f.width == 0 || (f.type == 'D' && f.width != 8))
            return fault(DbStatus::Corrupt, path,
                QCoreApplication::translate("Store", "field %1 has the impossible width %2")
                    .arg(QString::fromLatin1(f.name))
                    .arg(f.width));
        return {};
    }

} // namespace

DbStatus prepareFields(std::vector<DbfField> &fields, const QString &path)
{
    auto refuse = [&](const QString &what) {
        return DbStatus(DbStatus::InvalidArgument,
            QCoreApplication::translate("Store", "Table \"%1\" cannot be created: %2.")
                .arg(path, what));
    };
    if (fields.empty() || fields.size() > size_t(kMaxFields))
        return refuse(
            QCoreApplication::translate("Store", "a table needs 1 to %1 fields").arg(kMaxFields));
    int offset = 1;
    for (size_t i = 0; i < fields.size(); ++i) {
        DbfField &f = fields[i];
        f.name = f.name.toUpper();
        if (f.name.isEmpty() || f.name.size() > 10)
            return refuse(QCoreApplication::translate(
                "Store", "field name \"%1\" must have 1 to 10 characters")
                              .arg(QString::fromLatin1(f.name)));
        for (int c = 0; c < f.name.size(); ++c)
            if (!validNameChar(f.name[c], c == 0))
                return refuse(
                    QCoreApplication::translate("Store", "field name \"%1\" is not a dBase name")
                        .arg(QString::fromLatin1(f.name)));
        for (size_t j = 0; j < i; ++j)
            if (fields[j].name == f.name)
                return refuse(QCoreApplication::translate("Store", "field %1 appears twice")
                                  .arg(QString::fromLatin1(f.name)));
        if (f.type == 'D' && f.width == 0)
            f.width = 8;
        if ((f.type != 'C' && f.type != 'D') || (f.type == 'D' && f.width != 8) || f.width < 1
            || f.width > 65535)
            return refuse(
                QCoreApplication::translate("Store", "field %1 has an unsupported type or width")
                    .arg(QString::fromLatin1(f.name)));
        f.offset = offset - 1;
        offset += f.width;
        if (offset > 65535)
            return refuse(
                QCoreApplication::translate("Store", "records would be longer than 65535 bytes"));
    }
    return {};
}

DbStatus checkFields(
    const std::vector<DbfField> &found, const std::vector<DbfField> &required, const QString &path)
{
    const auto describe = [](const DbfField &f) {
        return QStringLiteral("%1 %2 %3")
            .arg(QString::fromLatin1(f.name), QString(QLatin1Char(f.type)))
            .arg(f.width);
    };
    for (size_t i = 0; i < std::max(found.size(), required.size()); ++i) {
        QString what;
        if (i >= found.size())
            what = QCoreApplication::translate("Store", "field %1 (%2) is missing")
                       .arg(i + 1)
                       .arg(describe(required[i]));
        else if (i >= required.size())
            what = QCoreApplication::translate("Store", "field %1 (%2) is one too many")
                       .arg(i + 1)
                       .arg(describe(found[i]));
        else if (found[i].name.toUpper() != required[i].name.toUpper()
            || found[i].type != required[i].type || found[i].width != required[i].width)
            what = QCoreApplication::translate("Store", "field %1 is %2 where %3 belongs")
                       .arg(i + 1)
                       .arg(describe(found[i]), describe(required[i]));
        if (!what.isEmpty())
            return fault(DbStatus::WrongLayout, path,
                QCoreApplication::translate("Store", "its fields are not those of a catalogue: %1")
                    .arg(what));
    }
    return {};
}

DbStatus decodeLayout(const QByteArray &data, qint64 fileSize, const QString &path, Layout &out)
{
    if (fileSize < kHeaderSize || data.size() < kHeaderSize)
        return fault(DbStatus::NotATable, path,
            QCoreApplication::translate(
                "Store", "the file has only %1 bytes, too few for a dBase table")
                .arg(fileSize));
    const char *p = data.constData();
    if (quint8(p[0]) != 0x03)
        return fault(DbStatus::NotATable, path,
            QCoreApplication::translate(
                "Store", "version byte 0x%1 is not that of a dBase III table")
                .arg(quint8(p[0]), 2, 16, QLatin1Char('0')));
    out = Layout();
    out.storedCount = le32(p + 4);
    out.headerLength = le16(p + 8);
    out.recordLength = le16(p + 10);
    out.productionFlag = quint8(p[28]);
    out.languageDriver = quint8(p[29]);
    out.choices = quint8(p[30]) & kChoiceBits;
    if (out.headerLength < kHeaderSize + kDescriptorSize)
        return fault(DbStatus::Corrupt, path,
            QCoreApplication::translate("Store", "header length %1 leaves no room for a field")
                .arg(out.headerLength));
    if (out.headerLength > fileSize || out.headerLength > data.size())
        return fault(DbStatus::Corrupt, path,
            QCoreApplication::translate("Store",
                "header length %1 exceeds the file length %2 (truncated "
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
        return fault(DbStatus::Corrupt, path,
            QCoreApplication::translate("Store", "the header declares no fields"));
    if (offset != out.recordLength)
        return fault(DbStatus::Corrupt, path,
            QCoreApplication::translate("Store",
                "record length %1 in the header disagrees with the fields, "
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
    p[29] = char(layout.languageDriver);
    p[30] = char(layout.choices & kChoiceBits);
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
    int v[3] = { 0, 0, 0 };
    const int lengths[3] = { 4, 2, 2 };
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
    int ymd[3] = { 0, 0, 0 };
    date.getDate(&ymd[0], &ymd[1], &ymd[2]); // one conversion instead of three
    if (!date.isValid() || ymd[0] < 1 || ymd[0] > 9999 || width != 8) {
        std::memset(data, ' ', size_t(width));
        return;
    }
    const int digits[3] = { 4, 2, 2 };
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
