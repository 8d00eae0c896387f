#include "browse/infotexts.h"
#include "browse/tagfilter.h"
#include "cli.h"
#include "commands.h"
#include "recordtext.h"
#include "store/catalogtable.h"

#include <QFileInfo>

#include <functional>

// tabulon-cli export: the catalogue (or one folder) as RFC 4180 CSV, JSON Lines or one HTML
// page. The records are written from their stored bytes; a long text comes from the info
// file beside its file.

namespace
{

enum class Format { Csv, Json, Html };

const char *const kColumns[] = { "folder", "name", "date", "note", "tags", "size", "text" };

// One exported record: the fields in UTF-8, ready for escaping.
struct Row {
    std::string fields[7];
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

    void row(const Row &r)
    {
        switch (m_format) {
        case Format::Csv:
            for (int c = 0; c < columnCount(); ++c) {
                if (c > 0)
                    m_out += ',';
                appendCsv(r.fields[c]);
            }
            m_out += "\r\n";
            break;
        case Format::Json:
            m_out += '{';
            for (int c = 0; c < columnCount(); ++c) {
                if (c > 0)
                    m_out += ',';
                m_out += '"';
                m_out += kColumns[c];
                m_out += "\":";
                appendJson(r.fields[c]);
            }
            m_out += "}\n";
            break;
        case Format::Html:
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
            if (m_withText) {
                m_out += "<td class=\"text\">";
                appendHtml(r.fields[6]);
                m_out += "</td>";
            }
            m_out += "</tr>\n";
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
        for (const char c : v) {
            if (c == '"')
                m_out += '"';
            m_out += c;
        }
        m_out += '"';
    }

    void appendJson(const std::string &v)
    {
        m_out += '"';
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
        m_out += '"';
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

// The long text as the text pane shows it: CR LF and lone CR as line breaks.
std::string textOf(const RecordText &fields, const QByteArray &bytes)
{
    std::string text;
    fields.appendUtf8(text, std::string_view(bytes.constData(), size_t(bytes.size())));
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
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
        table.setFilter(tagfilter::Dbf1FilterRecord(
            table, tagfilter::fromAnswer(o.value(QStringLiteral("--tags")))));
    if (!st)
        return cli::failed(st);

    OutputSink sink(o.value(QStringLiteral("-o")));
    if (!sink.open())
        return cli::fail(cli::Disk, sink.error());
    const RecordText fields(table);
    InfoTexts texts(cli::rootOf(path));
    std::string out;
    out.reserve(2u << 20);
    Exporter exporter(format, withText, out);
    exporter.setTitle(QFileInfo(path).completeBaseName().toStdString());
    exporter.begin();
    Row row;
    const auto visit = [&](const char *rec) {
        for (int f = 0; f < 6; ++f)
            row.fields[f].clear();
        fields.appendUtf8(row.fields[0], rec, RecordText::Dir);
        fields.appendUtf8(row.fields[1], rec, RecordText::Name);
        fields.appendIsoDate(row.fields[2], rec);
        fields.appendUtf8(row.fields[3], rec, RecordText::Note);
        fields.appendUtf8(row.fields[4], rec, RecordText::Code);
        fields.appendUtf8(row.fields[5], rec, RecordText::Size);
        if (withText) {
            const std::string_view dir = fields.raw(rec, RecordText::Dir);
            const std::string_view name = fields.raw(rec, RecordText::Name);
            row.fields[6] = textOf(fields,
                texts.read(QByteArray(dir.data(), int(dir.size())),
                    QByteArray(name.data(), int(name.size()))));
        }
        exporter.row(row);
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
