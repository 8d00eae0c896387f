#include "cli.h"
#include "commands.h"
#include "store/catalogtable.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTextStream>

#include <cstdio>

// import: rows of a TSV file appended to the catalogue. Every row is checked before the
// first one is written, so that a file with a bad row leaves the table as it was.

using cli::fail;
using cli::failed;

namespace
{

struct Row {
    QStringList fields; // DIR (upper-cased), NAME, DATE as typed, NOTE, CODE, SIZE
    QDate date;
    bool replaced = false; // a character became "?" (--replace)
};

// A folder path as DIR holds it: empty for the root, else names each ended by "\".
QString folderFault(const QString &dir)
{
    if (dir.isEmpty())
        return QString();
    if (!dir.endsWith(QLatin1Char('\\')))
        return QStringLiteral("DIR '%1' does not end in \\").arg(dir);
    if (dir.startsWith(QLatin1Char('\\')) || dir.contains(QLatin1String("\\\\"))
        || dir.contains(QLatin1Char('/')))
        return QStringLiteral("DIR '%1' is no folder path below the root (A\\B\\)").arg(dir);
    return QString();
}

// Why a text field cannot be stored as it is; empty when it can. Characters outside the
// table's code page are refused, or with replace counted as replaced, except in DIR and
// NAME: a name made up would match no file.
QString fieldFault(
    int field, const QString &text, bool replace, const TextCodec &codec, bool *replaced)
{
    const DbfField &f = CatalogTable::layout()[field];
    const QString name = QString::fromLatin1(f.name);
    if (!codec.isExpressible(text)) {
        if (!replace || field == CatalogTable::DIR || field == CatalogTable::NAME)
            return QStringLiteral("%1 '%2' holds characters the table cannot hold").arg(name, text);
        *replaced = true;
    }
    if (!codec.isUtf8()) {
        if (text.size() > f.width)
            return QStringLiteral("%1 '%2' is longer than %3 characters")
                .arg(name, text)
                .arg(f.width);
        return QString();
    }
    if (codec.byteLength(text) > f.width)
        return QStringLiteral("%1 '%2' is longer than %3 bytes in UTF-8")
            .arg(name, text)
            .arg(f.width);
    if (field == CatalogTable::CODE && codec.byteLength(text) != text.size())
        return QStringLiteral("CODE '%1' holds a tag that is no ASCII character").arg(text);
    return QString();
}

bool parseRow(const QString &line, bool replace, const TextCodec &codec, Row &row, QString &error)
{
    row.fields = line.split(QLatin1Char('\t'));
    if (row.fields.size() != 6) {
        error = QStringLiteral("expected 6 tab-separated columns, found %1").arg(row.fields.size());
        return false;
    }
    row.date = QDate();
    row.replaced = false;
    const QString d = row.fields[CatalogTable::DATE].trimmed();
    if (!d.isEmpty()) {
        row.date = QDate::fromString(d, QStringLiteral("yyyyMMdd"));
        if (!row.date.isValid() || d.size() != 8) {
            error = QStringLiteral("DATE '%1' is not yyyymmdd").arg(d);
            return false;
        }
    }
    QString &dir = row.fields[CatalogTable::DIR];
    dir = codec.upperText(dir);
    error = folderFault(dir);
    for (int f = 0; f < row.fields.size() && error.isEmpty(); ++f)
        if (f != CatalogTable::DATE)
            error = fieldFault(f, row.fields[f], replace, codec, &row.replaced);
    return error.isEmpty();
}

// Reads the rows one by one; false with a message naming the line at the first bad one.
class RowReader
{
public:
    RowReader(QIODevice &device, const QString &name, bool replace, const TextCodec &codec)
        : m_stream(&device)
        , m_name(name)
        , m_replace(replace)
        , m_codec(codec)
    {
        m_stream.setEncoding(QStringConverter::Utf8);
    }
    // False at the end and at a bad row (then error() is not empty).
    bool next(Row &row)
    {
        QString text;
        while (m_stream.readLineInto(&text)) {
            ++m_line;
            if (text.isEmpty())
                continue;
            QString problem;
            if (parseRow(text, m_replace, m_codec, row, problem))
                return true;
            m_error = QStringLiteral("%1:%2: %3").arg(m_name).arg(m_line).arg(problem);
            return false;
        }
        return false;
    }
    QString error() const { return m_error; }

private:
    QTextStream m_stream;
    QString m_name;
    bool m_replace;
    const TextCodec &m_codec;
    qint64 m_line = 0;
    QString m_error;
};

void reportRows(qint64 rows)
{
    std::fprintf(stderr, "%lld rows imported\n", static_cast<long long>(rows));
}

// The rows are read twice; a pipe can be read once only, so it is copied first.
bool rewindable(QFile &in, QTemporaryFile &copy, QIODevice **rows)
{
    *rows = &in;
    if (!in.isSequential())
        return true;
    if (!copy.open())
        return false;
    char buffer[65536];
    for (qint64 n; (n = in.read(buffer, sizeof buffer)) > 0;)
        if (copy.write(buffer, n) != n)
            return false;
    *rows = &copy;
    return copy.seek(0);
}

} // namespace

int cmdImport(const QString &path, const QStringList &args)
{
    cli::Options o({}, { QStringLiteral("--replace") });
    QString problem = o.parse(args);
    if (problem.isEmpty() && o.positional().size() != 1)
        problem = QStringLiteral("one ROWS.tsv file");
    if (!problem.isEmpty())
        return cli::usageError(QStringLiteral("import"), problem);
    const bool replace = o.has(QStringLiteral("--replace"));
    const QString tsv = o.positional().first();
    QFile in(tsv);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QFileInfo::exists(tsv) ? cli::Disk : cli::BadFile,
            QStringLiteral("%1: %2").arg(tsv, in.errorString()));
    QTemporaryFile copy;
    QIODevice *rows = nullptr;
    if (!rewindable(in, copy, &rows))
        return fail(
            cli::Disk, QStringLiteral("%1: cannot be copied: %2").arg(tsv, copy.errorString()));

    // The table says which texts it can hold: it is open (and held) before the rows are
    // checked, and nothing is written until every row passed.
    DbfTable table;
    DbStatus st = cli::openTable(table, path);
    if (!st)
        return failed(st);
    Row row;
    qint64 replaced = 0;
    {
        RowReader check(*rows, tsv, replace, table.codec());
        while (check.next(row))
            replaced += row.replaced;
        if (!check.error().isEmpty())
            return fail(cli::BadFile, check.error());
    }
    if (!rows->seek(0))
        return fail(cli::Disk, QStringLiteral("%1: %2").arg(tsv, rows->errorString()));

    st = table.setOrder(QByteArray());
    RowReader reader(*rows, tsv, replace, table.codec());
    qint64 written = 0;
    while (st && reader.next(row)) {
        st = table.append();
        if (!st)
            break;
        table.setFieldText(CatalogTable::DIR, row.fields[CatalogTable::DIR]);
        table.setFieldText(CatalogTable::NAME, row.fields[CatalogTable::NAME]);
        table.setFieldDate(CatalogTable::DATE, row.date);
        table.setFieldText(CatalogTable::NOTE, row.fields[CatalogTable::NOTE]);
        table.setFieldText(CatalogTable::CODE, row.fields[CatalogTable::CODE]);
        table.setFieldText(CatalogTable::SIZE, row.fields[CatalogTable::SIZE]);
        st = table.post();
        if (st && ++written % 100000 == 0)
            reportRows(written);
    }
    const DbStatus closed = table.close();
    if (!st)
        return failed(st);
    if (!reader.error().isEmpty()) // the file changed since it was checked
        return fail(cli::BadFile, reader.error());
    if (!closed)
        return failed(closed);
    if (written >= 100000)
        reportRows(written);
    if (replaced > 0)
        std::fprintf(stderr, "%lld rows with characters written as \"?\"\n",
            static_cast<long long>(replaced));
    return cli::Done;
}
