#include "typeahead.h"

#include "store/catalogtable.h"

#include <cstring>

namespace
{

// Whether NAME begins with the wanted bytes once its first character is upper-cased.
bool nameBeginsWith(const DbfTable &t, const QByteArray &wanted)
{
    QByteArray name = t.fieldBytes(CatalogTable::NAME);
    if (name.size() < wanted.size())
        return false;
    name.truncate(wanted.size());
    t.codec().upperInPlace(name.data(), int(name.size()));
    return name == wanted;
}

// Walks forward from the current record (itself included) until a match or the end.
bool walkToMatch(DbfTable &t, const QByteArray &wanted)
{
    while (!t.eof()) {
        if (nameBeginsWith(t, wanted))
            return true;
        if (!t.next())
            return false;
    }
    return false;
}

} // namespace

bool typeAhead(CatalogTable &table, const QString &typed)
{
    DbfTable &t = table.table();
    if (!t.isOpen() || t.state() != DbfTable::State::Browse || t.isEmpty())
        return false;
    bool ok = false;
    const QByteArray wanted = table.codec().upper(table.codec().fromUnicode(typed, &ok));
    const DetachedViews detached(table);
    bool found = false;
    const bool findable = ok && !wanted.isEmpty();
    if (t.next() && !t.eof())
        found = findable && walkToMatch(t, wanted);
    if (!found && t.first())
        found = findable && walkToMatch(t, wanted);
    // Not found: the second walk ran off the end and left the last record current.
    return found;
}
