#include "tagfilter.h"

#include "store/catalogtable.h"
#include "store/dbffile.h"

#include <cstring>

#include <QCoreApplication>

namespace tagfilter
{

QString prompt()
{
    return QCoreApplication::translate(
        "Browse", "Tag (Character) for the filter ?\r\rstart with - (minus) for logical NOT");
}

QString fromAnswer(const QString &answer, const TextCodec &codec)
{
    QString typed = codec.upperText(answer);
    typed.remove(QLatin1Char('-'));
    typed.remove(QLatin1Char(' '));
    typed.truncate(10);
    QString filter = answer.startsWith(QLatin1Char('-')) ? QStringLiteral("-") : QString();
    for (QChar c : typed)
        if (!filter.contains(c))
            filter += c;
    return filter;
}

QString panelText(const QString &filter)
{
    return QCoreApplication::translate("Browse", "Tags:  ") + filter;
}

Test::Test(const QString &filter, const TextCodec &codec)
{
    m_not = filter.startsWith(QLatin1Char('-'));
    for (QChar c : filter) {
        // A character that takes more than one byte is in no record's tags.
        if (codec.isSingleByte(QString(c)))
            m_chars += codec.fromUnicode(QString(c));
        else if (!m_not)
            m_impossible = true;
    }
}

bool Test::accepts(const char *code, int width) const
{
    if (m_impossible)
        return false;
    const int n = dbf::trimmedLength(code, width);
    for (char c : m_chars) {
        const bool held = n > 0 && std::memchr(code, c, size_t(n)) != nullptr;
        if (held == m_not)
            return false;
    }
    return true;
}

std::function<bool(const DbfTable &)> recordFilter(const DbfTable &table, const QString &filter)
{
    const auto &fields = table.fields();
    if (fields.size() <= size_t(CatalogTable::CODE))
        return [](const DbfTable &) { return true; };
    const int offset = fields[CatalogTable::CODE].offset + 1;
    const int width = fields[CatalogTable::CODE].width;
    return [test = Test(filter, table.codec()), offset, width](const DbfTable &t) {
        const char *rec = t.recordData();
        return rec && test.accepts(rec + offset, width);
    };
}

QString tagUsedByFilter(const QString &filter, const QString &from, const QString &to)
{
    for (const QString &tag : { from, to })
        if (!tag.isEmpty() && filter.contains(tag))
            return tag;
    return QString();
}

} // namespace tagfilter
