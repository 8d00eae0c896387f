#include "browse/infotexts.h"
#include "browse/tagfilter.h"
#include "cli.h"
#include "commands.h"
#include "exportformat.h"
#include "filesondisk.h"
#include "platform/filecontent.h"
#include "platform/fileio.h"
#include "recordtext.h"
#include "scan/textfile.h"
#include "store/catalogtable.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include <functional>
#include <utility>
#include <vector>

// tabulon-cli export: the catalogue (or one folder) as CSV, JSON, JSON Lines or one HTML
// page. The records are written from their stored bytes, each with where its file is on
// disk; a long text comes from the info file beside its file.

namespace
{

using exportformat::Format;
using exportformat::Value;

// Writes the long text at path (empty: none) into the text cell of the row begun: CR LF
// and lone CR as line breaks, no line break at its end. It is read and written in pieces,
// so that a text of any size passes through a few megabytes of memory. A text that cannot
// be read is left out (a FIFO or a device is never waited for), with the reason on
// standard error; false then.
bool exportText(const QString &path, const RecordText &fields, exportformat::Writer &exporter,
    OutputSink &sink, std::string &out, QByteArray &buffer)
{
    textfile::LineEndJoiner joiner;
    QByteArray joined;
    std::string held; // the last piece read: whether more follow is known with the next
    bool first = true;
    const auto hand = [&](bool more) {
        exporter.textPiece(held, first, more);
        first = false;
        held.clear();
        sink.write(out);
    };
    bool any = false;
    int err = 0;
    const bool read = path.isEmpty()
        || filecontent::readPieces(
            path, InfoTexts::kPiece, buffer,
            [&](const char *data, qint64 size) {
                if (any)
                    hand(true);
                any = true;
                joined.clear();
                joiner.add(data, size, joined);
                fields.appendUtf8(
                    held, std::string_view(joined.constData(), size_t(joined.size())));
                return true;
            },
            &err);
    hand(false);
    if (!read)
        std::fprintf(stderr, "tabulon-cli: text not exported: %s: %s\n",
            QFile::encodeName(path).constData(), fileio::errorText(err).toLocal8Bit().constData());
    return read;
}

// The columns of a record beside its long text: the stored fields, where the file is on
// disk, and with --stat its size and time there.
std::vector<std::string> columnsOf(bool withStat)
{
    std::vector<std::string> columns { "folder", "name", "date", "note", "tags", "size", "path" };
    if (withStat) {
        columns.emplace_back("bytes");
        columns.emplace_back("modified");
    }
    return columns;
}

// path, and with withStat bytes and modified (ISO 8601, UTC): nothing of a file that is
// not on disk.
void fillDiskValues(std::vector<Value> &values, const FilesOnDisk::File &file, bool withStat)
{
    Value &path = values[6];
    path.kind = file.found ? Value::Text : Value::Null;
    path.text = file.path.toStdString();
    if (!withStat)
        return;
    values[7].kind = file.found ? Value::Number : Value::Null;
    values[7].text = file.found ? std::to_string(file.size) : std::string();
    values[8].kind = file.found ? Value::Text : Value::Null;
    values[8].text = file.found ? QDateTime::fromSecsSinceEpoch(file.modifiedSecs, Qt::UTC)
                                      .toString(Qt::ISODate)
                                      .toStdString()
                                : std::string();
}

// The format named by --format; false for a name it does not know.
bool formatNamed(const QString &name, Format *format)
{
    static const std::pair<const char *, Format> formats[] = { { "csv", Format::Csv },
        { "json", Format::Json }, { "jsonl", Format::JsonLines }, { "html", Format::Html } };
    for (const auto &[known, f] : formats)
        if (name == QLatin1String(known)) {
            *format = f;
            return true;
        }
    return false;
}

} // namespace

int cmdExport(const QString &path, const QStringList &args)
{
    cli::Options o({ QStringLiteral("--format"), QStringLiteral("--folder"),
                       QStringLiteral("--order"), QStringLiteral("--tags"), QStringLiteral("-o") },
        { QStringLiteral("--with-text"), QStringLiteral("--stat") });
    QString problem = o.parse(args);
    Format format = Format::Csv;
    if (problem.isEmpty() && !o.positional().isEmpty())
        problem = QStringLiteral("unexpected %1").arg(o.positional().first());
    else if (problem.isEmpty() && !formatNamed(o.value(QStringLiteral("--format")), &format))
        problem = QStringLiteral("--format takes csv, json, jsonl or html");
    QByteArray order;
    if (!cli::orderArgument(o.value(QStringLiteral("--order")), &order) && problem.isEmpty())
        problem = QStringLiteral("--order takes 1, 2, 3 or 4");
    if (!problem.isEmpty())
        return cli::usageError(QStringLiteral("export"), problem);
    const bool hasFolder = o.has(QStringLiteral("--folder"));
    const bool withText = o.has(QStringLiteral("--with-text"));
    const bool withStat = o.has(QStringLiteral("--stat"));
    // A page has a table per folder: its records come folder by folder.
    if (order.isEmpty() && (hasFolder || format == Format::Html))
        order = "1";

    DbfTable table;
    const QString folder = o.value(QStringLiteral("--folder"));
    DbStatus st = cli::openTableView(table, path, order, hasFolder ? &folder : nullptr);
    if (st && o.has(QStringLiteral("--tags")))
        table.setFilter(tagfilter::recordFilter(
            table, tagfilter::fromAnswer(o.value(QStringLiteral("--tags")))));
    if (!st)
        return cli::failed(st);

    OutputSink sink(o.value(QStringLiteral("-o")));
    if (!sink.open())
        return cli::fail(cli::Disk, sink.error());
    const RecordText fields(table);
    InfoTexts texts(cli::rootOf(path));
    FilesOnDisk files(cli::rootOf(path));
    QByteArray buffer; // of the long texts
    std::string out;
    out.reserve(2u << 20);
    exportformat::Writer exporter(format, columnsOf(withStat), withText, out);
    exporter.setTitle(QFileInfo(path).completeBaseName().toStdString());
    exporter.begin();
    std::vector<Value> values(columnsOf(withStat).size());
    bool textsLeftOut = false;
    const auto visit = [&](const char *rec) {
        for (Value &v : values)
            v.text.clear();
        fields.appendUtf8(values[0].text, rec, RecordText::Dir);
        fields.appendUtf8(values[1].text, rec, RecordText::Name);
        fields.appendIsoDate(values[2].text, rec);
        fields.appendUtf8(values[3].text, rec, RecordText::Note);
        fields.appendUtf8(values[4].text, rec, RecordText::Code);
        fields.appendUtf8(values[5].text, rec, RecordText::Size);
        const std::string_view dir = fields.raw(rec, RecordText::Dir);
        const std::string_view name = fields.raw(rec, RecordText::Name);
        fillDiskValues(values, files.find(dir, name), withStat);
        exporter.beginRow(values);
        if (withText
            && !exportText(texts.pathOf(QByteArray(dir.data(), int(dir.size())),
                               QByteArray(name.data(), int(name.size()))),
                fields, exporter, sink, out, buffer))
            textsLeftOut = true;
        exporter.endRow();
        sink.write(out);
    };
    if (order.isEmpty()) {
        st = table.scanVisible([&](quint32, const char *rec) { visit(rec); });
    } else {
        for (st = table.first(); st && !table.eof(); st = table.next())
            visit(table.recordData());
    }
    exporter.end();
    sink.write(out, true);
    table.close();
    if (!st)
        return cli::failed(st);
    if (!sink.commit())
        return cli::fail(cli::Disk, sink.error());
    return textsLeftOut ? cli::Skipped : cli::Done;
}
