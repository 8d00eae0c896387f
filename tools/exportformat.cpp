#include "exportformat.h"

#include <algorithm>

namespace exportformat
{

namespace
{

    // A page shows the file first, then what the program's grid shows, then the rest.
    const char *const kPageFirst[] = { "name", "note", "tags", "date", "size" };

    std::string pageTitle(const std::string &column)
    {
        if (column == "name")
            return "File";
        std::string title = column;
        if (!title.empty() && title[0] >= 'a' && title[0] <= 'z')
            title[0] = char(title[0] - 'a' + 'A');
        return title;
    }

    bool rightAligned(const std::string &column)
    {
        return column == "size" || column == "bytes";
    }

} // namespace

Writer::Writer(Format format, std::vector<std::string> columns, bool withText, std::string &out)
    : m_format(format)
    , m_columns(std::move(columns))
    , m_withText(withText)
    , m_out(out)
{
    for (const char *name : kPageFirst) {
        const auto at = std::find(m_columns.begin(), m_columns.end(), name);
        if (at != m_columns.end())
            m_htmlOrder.push_back(size_t(at - m_columns.begin()));
    }
    for (size_t c = 1; c < m_columns.size(); ++c)
        if (std::find(m_htmlOrder.begin(), m_htmlOrder.end(), c) == m_htmlOrder.end())
            m_htmlOrder.push_back(c);
}

void Writer::begin()
{
    switch (m_format) {
    case Format::Csv:
        for (size_t c = 0; c < m_columns.size(); ++c) {
            if (c > 0)
                m_out += ',';
            m_out += m_columns[c];
        }
        m_out += m_withText ? ",text\r\n" : "\r\n";
        break;
    case Format::Json:
        m_out += '[';
        break;
    case Format::JsonLines:
        break;
    case Format::Html:
        m_out += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n<title>";
        appendHtml(m_title);
        m_out += "</title>\n<style>body{font-family:sans-serif;margin:1em}"
                 "table{border-collapse:collapse;margin-bottom:1.5em}"
                 "th,td{border:1px solid #bbb;padding:2px 6px;text-align:left;"
                 "vertical-align:top}td.size{text-align:right}"
                 "td.text{white-space:pre-wrap;font-size:90%}</style>\n</head><body>\n<h1>";
        appendHtml(m_title);
        m_out += "</h1>\n";
        break;
    }
}

void Writer::beginRow(const std::vector<Value> &values)
{
    switch (m_format) {
    case Format::Csv:
        for (size_t c = 0; c < values.size(); ++c) {
            if (c > 0)
                m_out += ',';
            appendCsv(values[c].text);
        }
        if (m_withText)
            m_out += ',';
        break;
    case Format::Json:
    case Format::JsonLines:
        if (m_format == Format::Json)
            m_out += m_anyRow ? ",\n" : "\n";
        m_out += '{';
        for (size_t c = 0; c < values.size(); ++c) {
            if (c > 0)
                m_out += ',';
            m_out += '"';
            m_out += m_columns[c];
            m_out += "\":";
            appendJson(values[c]);
        }
        if (m_withText)
            m_out += ",\"text\":\"";
        break;
    case Format::Html:
        beginHtmlRow(values);
        if (m_withText)
            m_out += "<td class=\"text\">";
        break;
    }
    m_anyRow = true;
}

void Writer::textPiece(const std::string &piece, bool first, bool more)
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
    case Format::JsonLines:
        appendJsonContent(piece);
        break;
    case Format::Html:
        appendHtml(piece);
        break;
    }
}

void Writer::endRow()
{
    switch (m_format) {
    case Format::Csv:
        m_out += "\r\n";
        break;
    case Format::Json:
        m_out += m_withText ? "\"}" : "}";
        break;
    case Format::JsonLines:
        m_out += m_withText ? "\"}\n" : "}\n";
        break;
    case Format::Html:
        m_out += m_withText ? "</td></tr>\n" : "</tr>\n";
        break;
    }
}

void Writer::end()
{
    if (m_format == Format::Json) {
        m_out += m_anyRow ? "\n]\n" : "]\n";
    } else if (m_format == Format::Html) {
        endTable();
        m_out += "</body></html>\n";
    }
}

void Writer::beginHtmlRow(const std::vector<Value> &values)
{
    if (!m_inTable || values[0].text != m_folder) {
        endTable();
        m_folder = values[0].text;
        m_out += "<h2>";
        appendHtml(m_folder.empty() ? std::string("\\") : m_folder);
        m_out += "</h2>\n<table>\n<tr>";
        for (const size_t c : m_htmlOrder)
            m_out += "<th>" + pageTitle(m_columns[c]) + "</th>";
        if (m_withText)
            m_out += "<th>Text</th>";
        m_out += "</tr>\n";
        m_inTable = true;
    }
    m_out += "<tr>";
    for (const size_t c : m_htmlOrder) {
        m_out += rightAligned(m_columns[c]) ? "<td class=\"size\">" : "<td>";
        appendHtml(values[c].text);
        m_out += "</td>";
    }
}

void Writer::endTable()
{
    if (m_inTable)
        m_out += "</table>\n";
    m_inTable = false;
}

void Writer::appendCsv(const std::string &v)
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
void Writer::appendQuoted(const std::string &v)
{
    for (const char c : v) {
        if (c == '"')
            m_out += '"';
        m_out += c;
    }
}

void Writer::appendJson(const Value &v)
{
    switch (v.kind) {
    case Value::Null:
        m_out += "null";
        break;
    case Value::Number:
        m_out += v.text;
        break;
    case Value::Text:
        m_out += '"';
        appendJsonContent(v.text);
        m_out += '"';
        break;
    }
}

void Writer::appendJsonContent(const std::string &v)
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

void Writer::appendHtml(const std::string &v)
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

} // namespace exportformat
