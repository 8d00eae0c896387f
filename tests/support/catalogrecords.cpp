#include "catalogrecords.h"

#include "store/catalogtable.h"

namespace testutil
{

bool addRecords(CatalogTable &table, const QList<CatalogRecord> &records)
{
    DbfTable &t = table.table();
    for (const CatalogRecord &r : records) {
        if (!t.append())
            return false;
        table.setText(CatalogTable::DIR, r.dir);
        table.setText(CatalogTable::NAME, r.name);
        table.setText(CatalogTable::NOTE, r.note);
        table.setText(CatalogTable::CODE, r.code);
        t.setFieldDate(CatalogTable::DATE, r.date);
        table.setText(CatalogTable::SIZE, r.size);
        if (!t.post())
            return false;
    }
    return true;
}

} // namespace testutil
