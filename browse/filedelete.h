#pragma once

#include "store/dbstatus.h"

class CatalogTable;
class PathResolver;

// What deleting a catalogued file did.
struct FileDeletion {
    // False when the disk refused (or the file was not there): nothing else was touched.
    bool fileDeleted = false;
    // The failure to remove an existing info file; the file and its record are gone all
    // the same, the text stays behind under its ".!" name.
    DbStatus infoFile;
    // The failure to mark the record deleted.
    DbStatus record;
};

// Deletes the file of the table's current record from the disk and, only when that
// succeeded, its info file and the record (marked deleted, deletedCount one higher; the
// next record of the range becomes current, the previous one after the last).
FileDeletion deleteCurrentFile(CatalogTable &table, const PathResolver &resolver);
