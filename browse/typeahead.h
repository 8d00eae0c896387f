#pragma once

class CatalogTable;

// Type-ahead in the grid: makes current the first record after the current one whose
// NAME begins with `typed` (both upper-cased by the catalogue's rules), wrapping to the
// top of the folder once; with no match at all the folder's last record is current. The
// walk stays inside the range and filter in force and runs with the views detached, so
// the grid repaints once. typed is a Windows-1252 character (codes 33 to 255 are typed
// by the user; others simply find nothing). Returns true when a match was found.
bool typeAhead(CatalogTable &table, unsigned char typed);
