#pragma once

#include <QDate>
#include <QList>
#include <QString>

class CatalogTable;

namespace testutil
{

// One catalogue record as a test writes it. A field left empty stays blank.
struct CatalogRecord {
    QString dir; // catalogue form (A\B\); empty for the root folder
    QString name;
    QString note = {};
    QString code = {};
    QDate date = {};
    QString size = {};
};

// Appends the records to the open table in order, each posted at once; false at the first
// that the table refuses (the records before it stay).
bool addRecords(CatalogTable &table, const QList<CatalogRecord> &records);

} // namespace testutil
