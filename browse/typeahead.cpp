#include "typeahead.h"

#include "platform/codepage.h"
#include "store/catalogtable.h"

namespace
{

bool nameBeginsWith(const DbfTable &t, unsigned char wanted)
{
    const QByteArray name = t.fieldBytes(CatalogTable::NAME);
    return !name.isEmpty() && codepage::upper(static_cast<unsigned char>(name.at(0))) == wanted;
}

// Walks forward from the current record (itself included) until a match or the end.
bool walkToMatch(DbfTable &t, unsigned char wanted)
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

bool typeAhead(CatalogTable &table, unsigned char typed)
{
    DbfTable &t = table.table();
    if (!t.isOpen() || t.state() != DbfTable::State::Browse || t.isEmpty())
        return false;
    const unsigned char wanted = codepage::upper(typed);
    const DetachedViews detached(table);
    bool found = false;
    if (t.next() && !t.eof())
        found = walkToMatch(t, wanted);
    if (!found && t.first())
        found = walkToMatch(t, wanted);
    // Not found: the second walk ran off the end and left the last record current.
    return found;
}
