#include "browse/infotexts.h"
#include "browse/tagfilter.h"
#include "cli.h"
#include "commands.h"
#include "platform/filecontent.h"
#include "platform/fileio.h"
#include "recordtext.h"
#include "scan/textfile.h"
#include "store/catalogtable.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include <functional>

// tabulon-cli export: the catalogue (or one folder) as RFC 4180 CSV, JSON Lines or one HTML
// page. The records are written from their stored bytes; a long text comes from the info
// file beside its file.

namespace
{

enum class Format { Csv, Json, Html };

const char *const kColumns[] = { "folder", "name", "date", "note", "tags", "size", "text" };

// One exported record: the fields in UTF-8, ready for escaping; the long text goes to the
// output in pieces of its own.
struct Row {
    std::string fields[6];
};

class Exporter
{
public:
    Exporter(Format format, bool withText, std::string &out)
        : m_format(format)
        , m_withText(withText)
        , m_out(out)
    {
    }

    void begin()
    {
        if (m_format == Format::Csv) {
            for (int c = 0; c < columnCount(); ++c) {
                if (c > 0)
                    m_out += ',';
                m_out += kColumns[c];
            }
            m_out += "\r\n";
        } else if (m_format == Format::Html) {
            m_out += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n<title>";
            appendHtml(m_title);
            m_out += "</title>\n<style>body{font-family:sans-serif;margin:1em}"
                     "table{border-collapse:collapse;margin-bottom:1.5em}"
                     "th,td{border:1px solid #bbb;padding:2px 6px;text-align:left;"
                     "vertical-align:top}td.size{text-align:right}"
                     "td.text{white-space:pre-wrap;font-size:90%}</style>\n</head><body>\n<h1>";
            appendHtml(m_title);
            m_out += "</h1>\n";
        }
    }

    // Everything of a row before the content of its text cell; without texts the whole row
    // but its end.
    void beginRow(const Row &r)
    {
        switch (m_format) {
        case Format::Csv:
            for (int c = 0; c < 6; ++c) {
                if (c > 0)
                    m_out += ',';
                appendCsv(r.fields[c]);
            }
            if (m_withText)
                m_out += ',';
            break;
        case Format::Json:
            m_out += '{';
            for (int c = 0; c < 6; ++c) {
                if (c > 0)
                    m_out += ',';
                m_out += '"';
                m_out += kColumns[c];
                m_out += "\":";
                appendJson(r.fields[c]);
            }
            if (m_withText)
                m_out += ",\"text\":\"";
            break;
        case Format::Html:
            beginHtmlRow(r);
            if (m_withText)
                m_out += "<td class=\"text\">";
            break;
        }
    }

    // The text cell's content in UTF-8, piece by piece: first says that it is the first,
    // more that others follow. A CSV cell that comes in more than one piece is quoted,
    // whatever it holds; one that comes whole is quoted only where it needs it.
    void textPiece(const std::string &piece, bool first, bool more)
    {
        switch (m_format) {
        case Format::Csv:
            if (first && !more) {
                appendCsv(piece);
                return;
            }
            if (first)
                m_out += '"';
            appendQuoted(piece);
            if (!more)
                m_out += '"';
            break;
        case Format::Json:
            appendJsonContent(piece);
            break;
        case Format::Html:
            appendHtml(piece);
            break;
        }
    }

    void endRow()
    {
        switch (m_format) {
        case Format::Csv:
            m_out += "\r\n";
            break;
        case Format::Json:
            m_out += m_withText ? "\"}\n" : "}\n";
            break;
        case Format::Html:
            m_out += m_withText ? "</td></tr>\n" : "</tr>\n";
            break;
        }
    }

    void end()
    {
        if (m_format != Format::Html)
            return;
        endTable();
        m_out += "</body></html>\n";
    }

    void setTitle(std::string title) { m_title = std::move(title); }

private:
    int columnCount() const { return m_withText ? 7 : 6; }

    void beginHtmlRow(const Row &r)
    {
        if (!m_inTable || r.fields[0] != m_folder) {
            endTable();
            m_folder = r.fields[0];
            m_out += "<h2>";
            appendHtml(m_folder.empty() ? std::string("\\") : m_folder);
            m_out += "</h2>\n<table>\n<tr><th>File</th><th>Note</th><th>Tags</th>"
                     "<th>Date</th><th>Size</th>";
            if (m_withText)
                m_out += "<th>Text</th>";
            m_out += "</tr>\n";
            m_inTable = true;
        }
        m_out += "<tr>";
        for (const int c : { 1, 3, 4, 2, 5 }) {
            m_out += c == 5 ? "<td class=\"size\">" : "<td>";
            appendHtml(r.fields[c]);
            m_out += "</td>";
        }
    }

    void endTable()
    {
        if (m_inTable)
            m_out += "</table>\n";
        m_inTable = false;
    }

    void appendCsv(const std::string &v)
    {
        if (v.find_first_of(",\"\r\n") == std::string::npos) {
            m_out += v;
            return;
        }
        m_out += '"';
        appendQuoted(v);
        m_out += '"';
    }

    // The inside of a quoted CSV field: quotes doubled.
    void appendQuoted(const std::string &v)
    {
        for (const char c : v) {
            if (c == '"')
                m_out += '"';
            m_out += c;
        }
    }

    void appendJson(const std::string &v)
    {
        m_out += '"';
        appendJsonContent(v);
        m_out += '"';
    }

    void appendJsonContent(const std::string &v)
    {
        for (const char c : v) {
            const auto b = static_cast<unsigned char>(c);
            switch (c) {
            case '"':
                m_out += "\\\"";
                break;
            case '\\':
                m_out += "\\\\";
                break;
            case '\n':
                m_out += "\\n";
                break;
            case '\r':
                m_out += "\\r";
                break;
            case '\t':
                m_out += "\\t";
                break;
            default:
                if (b < 0x20) {
                    static const char hex[] = "0123456789abcdef";
                    m_out += "\\u00";
                    m_out += hex[b >> 4];
                    m_out += hex[b & 15];
                } else {
                    m_out += c;
                }
            }
        }
    }

    void appendHtml(const std::string &v)
    {
        for (const char c : v) {
            switch (c) {
            case '&':
                m_out += "&amp;";
                break;
            case '<':
                m_out += "&lt;";
                break;
            case '>':
                m_out += "&gt;";
                break;
            case '"':
                m_out += "&quot;";
                break;
            case '\'':
                m_out += "&#39;";
                break;
            default:
                m_out += c;
            }
        }
    }

    Format m_format;
    bool m_withText;
    std::string &m_out;
    std::string m_title;
    std::string m_folder;
    bool m_inTable = false;
};

// Writes the long text at path (empty: none) into the text cell of the row begun: CR LF
// and lone CR as line breaks, no line break at its end. It is read and written in pieces,
// so that a text of any size passes through a few megabytes of memory. A text that cannot
// be read is left out (a FIFO or a device is never waited for), with the reason on
// standard error.
void exportText(const QString &path, const RecordText &fields, Exporter &exporter, OutputSink &sink,
    std::string &out, QByteArray &buffer)
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
}

} // namespace

int cmdExport(const QString &path, const QStringList &args)
{
    cli::Options o({ QStringLiteral("--format"), QStringLiteral("--folder"),
                       QStringLiteral("--order"), QStringLiteral("--tags"), QStringLiteral("-o") },
        { QStringLiteral("--with-text") });
    QString problem = o.parse(args);
    const QString formatName = o.value(QStringLiteral("--format"));
    Format format = Format::Csv;
    if (problem.isEmpty() && !o.positional().isEmpty())
        problem = QStringLiteral("unexpected %1").arg(o.positional().first());
    else if (problem.isEmpty() && formatName == QLatin1String("json"))
        format = Format::Json;
    else if (problem.isEmpty() && formatName == QLatin1String("html"))
        format = Format::Html;
    else if (problem.isEmpty() && formatName != QLatin1String("csv"))
        problem = QStringLiteral("--format takes csv, json or html");
    QByteArray order;
    if (!cli::orderArgument(o.value(QStringLiteral("--order")), &order) && problem.isEmpty())
        problem = QStringLiteral("--order takes 1, 2, 3 or 4");
    if (!problem.isEmpty())
        return cli::usageError(QStringLiteral("export"), problem);
    const bool hasFolder = o.has(QStringLiteral("--folder"));
    const bool withText = o.has(QStringLiteral("--with-text"));
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
    QByteArray buffer; // of the long texts
    std::string out;
    out.reserve(2u << 20);
    Exporter exporter(format, withText, out);
    exporter.setTitle(QFileInfo(path).completeBaseName().toStdString());
    exporter.begin();
    Row row;
    const auto visit = [&](const char *rec) {
        for (std::string &field : row.fields)
            field.clear();
        fields.appendUtf8(row.fields[0], rec, RecordText::Dir);
        fields.appendUtf8(row.fields[1], rec, RecordText::Name);
        fields.appendIsoDate(row.fields[2], rec);
        fields.appendUtf8(row.fields[3], rec, RecordText::Note);
        fields.appendUtf8(row.fields[4], rec, RecordText::Code);
        fields.appendUtf8(row.fields[5], rec, RecordText::Size);
        exporter.beginRow(row);
        if (withText) {
            const std::string_view dir = fields.raw(rec, RecordText::Dir);
            const std::string_view name = fields.raw(rec, RecordText::Name);
            exportText(texts.pathOf(QByteArray(dir.data(), int(dir.size())),
                           QByteArray(name.data(), int(name.size()))),
                fields, exporter, sink, out, buffer);
        }
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
    return cli::Done;
}
