#include "dirfield.h"

#include "store/catalogtable.h"

DbStatus writeDir(DbfTable &table, quint32 recno, const QByteArray &dir)
{
    DbStatus st = table.goTo(recno);
    if (st)
        st = table.edit();
    if (!st)
        return st;
    table.setFieldBytes(CatalogTable::DIR, dir);
    st = table.post();
    if (!st)
        table.cancel();
    return st;
}
