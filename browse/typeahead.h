#pragma once

#include <QString>

class CatalogTable;

// Type-ahead in the grid: makes current the first record after the current one whose
// NAME begins with the character `typed` (both upper-cased by the table's codec),
// wrapping to the top of the folder once; with no match at all the folder's last record
// is current. The walk stays inside the range and filter in force and runs with the views
// detached, so the grid repaints once. A character the table's encoding cannot hold
// simply finds nothing. Returns true when a match was found.
bool typeAhead(CatalogTable &table, const QString &typed);
