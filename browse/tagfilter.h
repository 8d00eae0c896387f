#pragma once

#include <QByteArray>
#include <QString>

#include "platform/textcodec.h"

#include <functional>

class DbfTable;

// The tag filter (F9): the views show only the records whose tags pass it. The filter
// string is empty, or an optional leading "-" (NOT) followed by distinct tag characters
// in the order typed.
namespace tagfilter
{

// The prompt for the filter; carriage returns break its lines.
QString prompt();

// The filter string of an answer to the prompt: "-" when the answer begins with one, then
// the characters of the answer upper-cased, without "-" and blanks, cut to the first ten
// and each kept once. The cut comes first, so AABBCCDDEEFF gives ABCDE.
QString fromAnswer(const QString &answer, const TextCodec &codec = TextCodec::windows1252());

// Status panel 3 while the filter is on: "Tags:  " and the filter string.
QString panelText(const QString &filter);

// The filter's test of one record (TagFilterAccepts) on its CODE as stored (width bytes,
// padding included): an empty filter accepts everything; NOT rejects a record whose tags
// hold any character of the filter, its "-" included; otherwise every character of the
// filter must be among the tags. Characters are compared as stored, with case.
class Test
{
public:
    explicit Test(const QString &filter, const TextCodec &codec = TextCodec::windows1252());
    bool accepts(const char *code, int width) const;

private:
    QByteArray m_chars; // the filter's characters as tags store them, "-" of NOT included
    bool m_not = false;
    bool m_impossible = false; // an AND character no tag can be
};

// The table's filter predicate for a filter string (recordFilter): the test on the
// CODE field of the table's current record.
std::function<bool(const DbfTable &)> recordFilter(const DbfTable &table, const QString &filter);

// The first of from and to (each empty or one character) that the filter string uses;
// empty when neither. Replace tags refuses such a tag while the filter is on.
QString tagUsedByFilter(const QString &filter, const QString &from, const QString &to);

} // namespace tagfilter
