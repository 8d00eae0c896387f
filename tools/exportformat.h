#pragma once

#include <string>
#include <vector>

// The formats of tabulon-cli export, written record by record into a buffer that the
// caller hands on in pieces: RFC 4180 CSV, one JSON array, JSON Lines (one object a line)
// and one self-contained HTML page with a table per folder. Texts come in UTF-8 and are
// escaped for the format.
namespace exportformat
{

enum class Format { Csv, Json, JsonLines, Html };

// One value of a record: a text, a number written as it stands, or nothing (JSON null, an
// empty CSV field or HTML cell).
struct Value {
    enum Kind { Text, Number, Null };
    Kind kind = Text;
    std::string text;
};

class Writer
{
public:
    // columns: the JSON keys and the CSV header, in the order of each row's values; the
    // first is the folder, by which a page groups its tables (the records come folder by
    // folder). withText: a last column "text" follows, whose content comes in pieces.
    Writer(Format format, std::vector<std::string> columns, bool withText, std::string &out);

    void setTitle(std::string title) { m_title = std::move(title); } // the page's
    void begin();
    // Everything of a row before the content of its text cell; without texts the whole
    // row but its end. values holds one value per column.
    void beginRow(const std::vector<Value> &values);
    // The text cell's content, piece by piece: first says that it is the first, more that
    // others follow. A CSV cell that comes in more than one piece is quoted, whatever it
    // holds; one that comes whole is quoted only where it needs it.
    void textPiece(const std::string &piece, bool first, bool more);
    void endRow();
    void end();

private:
    void beginHtmlRow(const std::vector<Value> &values);
    void endTable();
    void appendCsv(const std::string &v);
    void appendQuoted(const std::string &v);
    void appendJson(const Value &v);
    void appendJsonContent(const std::string &v);
    void appendHtml(const std::string &v);

    Format m_format;
    std::vector<std::string> m_columns;
    std::vector<size_t> m_htmlOrder; // the columns a page shows, in its order
    bool m_withText;
    std::string &m_out;
    std::string m_title;
    std::string m_folder;
    bool m_inTable = false;
    bool m_anyRow = false;
};

} // namespace exportformat
