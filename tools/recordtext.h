#pragma once

#include <QString>

#include <array>
#include <memory>
#include <string>
#include <string_view>

class DbfTable;
class QFileDevice;

// The fields of catalogue records read straight from their stored bytes, for commands that
// write many records: each field without its padding, its Windows-1252 bytes turned into
// UTF-8 by a table (a Unicode table's bytes are UTF-8 already). Built for one open table.
class RecordText
{
public:
    enum Field { Dir, Name, Date, Note, Code, Size, FieldCount };

    explicit RecordText(const DbfTable &table);

    // rec: the record's bytes, deletion flag first.
    // The stored bytes of a field without trailing blanks.
    std::string_view raw(const char *rec, Field field) const;
    // The field in UTF-8, trailing blanks removed.
    void appendUtf8(std::string &out, const char *rec, Field field) const;
    // The table's bytes in UTF-8 (bytes that are no UTF-8 as U+FFFD).
    void appendUtf8(std::string &out, std::string_view stored) const;
    // DATE as yyyy-mm-dd; nothing when it is empty or not a date.
    void appendIsoDate(std::string &out, const char *rec) const;

private:
    int m_offset[FieldCount] = {};
    int m_width[FieldCount] = {};
    std::array<std::string, 256> m_utf8;
    bool m_tableInUtf8 = false;
};

// Output in large pieces to standard output or a file given by name; a file is written
// under a temporary name and takes its own name only when everything was written, so
// that a full disk never leaves half a file behind.
class OutputSink
{
public:
    // path empty or "-": standard output.
    explicit OutputSink(const QString &path);
    ~OutputSink();
    bool open();
    // Writes what buf holds once it is larger than a megabyte (or always with force).
    bool write(std::string &buf, bool force = false);
    // Ends the output: a file takes its name. False when anything failed (error() says
    // what); a file then keeps its old content or does not appear.
    bool commit();
    QString error() const { return m_error; }

private:
    QString m_path;
    std::unique_ptr<QFileDevice> m_device;
    QString m_error;
};
