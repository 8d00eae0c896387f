#pragma once

#include "print/listinglayout.h"
#include "store/dbstatus.h"

#include <QString>

#include <vector>

class DbfTable;
class PathResolver;
class Progress;

// The records of a folder listing as the catalogue table has them in view.
namespace listingsource
{

// The job title: the root folder followed by the folder path, without the closing
// separator, i.e. the folder's full path on this system ("/data/Photos/2019" for the root
// "/data/" and the folder path "Photos\2019\"; the root itself for an empty folder path).
QString title(const QString &rootPath, const QString &folderPath);

// One entry per record in view, from the first to the last, as the table's order, range
// and filter give them, with the long text from each record's info file. The table is
// left at its first record in view. An info file that exists but cannot be read leaves
// that entry without its long text; the first such failure is kept in *textFailure
// (when given), and the walk goes on. A failure of the table itself ends the walk and is
// returned. progress, when given, hears the records read of expected (the records in view,
// as far as the caller knows) every few records and may stop the walk (Cancelled, the
// entries read so far kept, the table at its first record).
DbStatus collect(DbfTable &table, const PathResolver &resolver, std::vector<ListingEntry> &entries,
    DbStatus *textFailure = nullptr, Progress *progress = nullptr, qint64 expected = 0);

} // namespace listingsource
