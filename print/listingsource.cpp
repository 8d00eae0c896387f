#include "listingsource.h"

#include "dialogs/regional.h"
#include "platform/diskpath.h"
#include "scan/infofile.h"
#include "store/catalogtable.h"
#include "store/progress.h"

#include <algorithm>

namespace listingsource
{

QString title(const QString &rootPath, const QString &folderPath)
{
    QString path = rootPath + diskpath::toNative(folderPath);
    if (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        path.chop(1);
    return path;
}

DbStatus collect(DbfTable &table, const PathResolver &resolver, std::vector<ListingEntry> &entries,
    DbStatus *textFailure, Progress *progress, qint64 expected)
{
    // Each record may have a long text to read: the progress hears of them often.
    constexpr size_t kEntriesPerStep = 256;
    DbStatus st = table.first();
    for (; st && !table.eof(); st = table.next()) {
        const size_t done = entries.size();
        if (done % kEntriesPerStep == 0 && done > 0
            && !proceed(progress, qint64(done), std::max(expected, qint64(done)))) {
            st = cancelledStatus();
            break;
        }
        ListingEntry e;
        const QString dir = table.fieldText(CatalogTable::DIR);
        e.name = table.fieldText(CatalogTable::NAME);
        e.tags = table.fieldText(CatalogTable::CODE);
        e.date = regional::formatDate(table.fieldDate(CatalogTable::DATE));
        e.size = table.fieldText(CatalogTable::SIZE);
        e.note = table.fieldText(CatalogTable::NOTE);
        const DbStatus text
            = infofile::readInfoFile(infofile::infoFilePath(resolver, dir, e.name), e.textLines);
        if (!text && text.code() != DbStatus::NotFound && textFailure && *textFailure)
            *textFailure = text;
        entries.push_back(std::move(e));
    }
    const DbStatus back = table.first();
    return st ? back : st;
}

} // namespace listingsource
