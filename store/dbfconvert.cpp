#include "dbfconvert.h"

#include "catalogtable.h"
#include "dbffile.h"
#include "dbfio.h"
#include "platform/codepage.h"
#include "platform/fileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace
{

// The record's texts in UTF-8. A text that does not fit its field, or a tag that is no
// ASCII character, fails with the reason; with cut (a record marked deleted) it is cut
// instead.
bool convertRecord(const char *in, char *out, const std::vector<DbfField> &fields, bool cut,
    quint32 recno, QString &why)
{
    out[0] = in[0];
    for (size_t i = 0; i < fields.size(); ++i) {
        const DbfField &f = fields[i];
        const char *src = in + 1 + f.offset;
        char *dst = out + 1 + f.offset;
        if (f.type != 'C') {
            std::memcpy(dst, src, size_t(f.width));
            continue;
        }
        const QString text = codepage::toUnicode(src, dbf::trimmedLength(src, f.width));
        QByteArray bytes = text.toUtf8();
        if (i == CatalogTable::DIR)
            utf8text::upperInPlace(bytes.data(), int(bytes.size()));
        const bool tagsFit = i != CatalogTable::CODE || bytes.size() == text.size();
        if ((bytes.size() > f.width || !tagsFit) && !cut) {
            why = tagsFit ? QStringLiteral("record %1: its %2 \"%3\" takes %4 bytes in UTF-8, "
                                           "more than the field's %5")
                                .arg(recno)
                                .arg(QString::fromLatin1(f.name), text)
                                .arg(bytes.size())
                                .arg(f.width)
                          : QStringLiteral("record %1: its tags \"%2\" hold a character that "
                                           "is no ASCII character, and a tag is one byte")
                                .arg(recno)
                                .arg(text);
            return false;
        }
        if (!tagsFit) {
            QByteArray ascii;
            for (const char c : bytes)
                if (static_cast<unsigned char>(c) < 0x80)
                    ascii += c;
            bytes = ascii;
        }
        const int n = TextCodec::utf8().fitLength(bytes.constData(), int(bytes.size()), f.width);
        std::memcpy(dst, bytes.constData(), size_t(n));
        std::memset(dst + n, ' ', size_t(f.width - n));
    }
    return true;
}

// Whatever a stopped conversion left at the name: the folder and what it holds (links
// inside are removed, never followed), or a file or link of that name.
void removeLeftover(const QString &path)
{
    if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
        QDir(path).removeRecursively();
    else if (fileio::entryKind(path) != fileio::EntryKind::Missing)
        QFile::remove(path);
}

// The converted records of source into the new table at path (created empty beforehand),
// flag 0 so that the open that follows builds its index.
DbStatus copyConverted(const DbfFile &source, const QString &path, quint32 &records)
{
    DbfFile target;
    DbStatus st = target.open(path, CatalogTable::layout());
    if (st)
        st = target.setProductionFlag(false, true);
    QByteArray out(source.recordLength(), ' ');
    QString why;
    if (st)
        st = source.scan([&](quint32 recno, const char *rec) {
            if (!convertRecord(
                    rec, out.data(), source.fields(), rec[0] == dbf::kDeleted, recno, why))
                return DbStatus(DbStatus::Refused,
                    QStringLiteral("\"%1\" cannot be converted to UTF-8: %2")
                        .arg(source.path(), why));
            return target.append(out.constData());
        });
    records = target.count();
    const DbStatus closed = target.close();
    return st ? closed : st;
}

// Builds the index of the table at path; true when it stands sound.
DbStatus buildIndex(const QString &path)
{
    DbfTable built;
    DbStatus st = built.open(path, CatalogTable::tags(), CatalogTable::layout());
    if (st && built.readsWithoutIndex())
        st = { DbStatus::IoError,
            QStringLiteral("The index of \"%1\" cannot be built.").arg(path) };
    const DbStatus closed = built.close();
    return st ? closed : st;
}

DbStatus move(const QString &from, const QString &to)
{
    if (const int err = fileio::replace(from, to); err != 0)
        return { DbStatus::IoError, dbfio::ioError(QStringLiteral("replace"), to, err) };
    return {};
}

// Moves the new files into place. The new table stays locked throughout (the lock travels
// with it), and its flag stays clear until its index is beside it.
DbStatus moveIntoPlace(
    const QString &folder, const QString &newTable, const QString &tablePath, DbfFile &old)
{
    DbfFile fresh;
    DbStatus st = fresh.open(newTable, CatalogTable::layout());
    if (st)
        st = fresh.setProductionFlag(false, true);
    // The old index is no longer the table's from here on: a stop now rebuilds it.
    bool oldCleared = false;
    if (st)
        oldCleared = bool(st = old.setProductionFlag(false, true));
    const QString newIndex = DbfTable::sidePathFor(newTable, QStringLiteral(".mdx"));
    const QString newCpg = DbfTable::cpgPathFor(newTable);
    const QString index = DbfTable::sidePathFor(tablePath, QStringLiteral(".mdx"));
    if (st) {
        st = move(newIndex, index);
        if (!st && oldCleared)
            old.setProductionFlag(true, true); // nothing moved: the old index is still its own
    }
    // The table before its code page file: an old table beside a file saying UTF-8 would
    // be read as UTF-8.
    if (st)
        st = move(newTable, tablePath);
    if (st)
        st = move(newCpg, DbfTable::cpgPathFor(tablePath));
    if (st)
        st = dbfio::syncPath(folder);
    if (st)
        st = fresh.setProductionFlag(true, true);
    const DbStatus closed = fresh.close();
    return st ? closed : st;
}

} // namespace

DbStatus convertToUnicode(const QString &tablePath, UnicodeConversion &result)
{
    result = UnicodeConversion();
    DbfFile old;
    if (DbStatus st = old.open(tablePath, CatalogTable::layout()); !st)
        return st;
    const TableChoices choices = TableChoices::fromFlags(old.choices());
    if (choices.unicode) {
        result.wasUnicode = true;
        result.records = old.count();
        if (DbfTable::cpgSaysUtf8(tablePath))
            return old.close();
        const DbStatus written = DbfTable::writeCpg(tablePath);
        const DbStatus closed = old.close();
        return written ? closed : written;
    }
    if (DbStatus st = old.flush(true); !st)
        return st;
    const QFileInfo info(tablePath);
    const QString folder = info.absolutePath();
    const QString work
        = folder + QStringLiteral("/.") + info.fileName() + QStringLiteral(".convert");
    removeLeftover(work);
    if (!QDir().mkdir(work))
        return { DbStatus::IoError,
            QStringLiteral("Cannot create the folder \"%1\" for the conversion.").arg(work) };
    const QString newTable = work + QLatin1Char('/') + info.fileName();
    TableChoices unicode = choices;
    unicode.unicode = true;
    DbStatus st = DbfTable::create(newTable, CatalogTable::layout(), CatalogTable::tags(), unicode);
    if (st)
        st = copyConverted(old, newTable, result.records);
    if (st)
        st = buildIndex(newTable);
    if (st)
        st = moveIntoPlace(folder, newTable, tablePath, old);
    removeLeftover(work);
    const DbStatus closed = old.close();
    return st ? closed : st;
}
