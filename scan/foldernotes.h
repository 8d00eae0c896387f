#pragma once

#include "store/dbstatus.h"

#include <QString>

class CatalogTable;
class PathResolver;

// Rebuilds a folder's Descript.ion from its records' notes, in the order in force: the
// folder's range is applied unless it is the one in force, the tag filter is switched off,
// the views are detached for the walk, and the folder's last record is current
// afterwards. A folder without records loses its Descript.ion and "!Tabulon.!". A write
// that fails (IoError) leaves the old file as it was.
DbStatus writeFolderDescriptions(
    CatalogTable &table, const PathResolver &resolver, const QString &folderPath);
