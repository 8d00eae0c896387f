#include "foldernotes.h"

#include "descript.h"

#include "store/catalogtable.h"

#include <QCoreApplication>

DbStatus writeFolderDescriptions(
    CatalogTable &table, const PathResolver &resolver, const QString &folderPath)
{
    const QByteArray dir = table.folderKey(folderPath);
    if (dir.size() > CatalogTable::DirWidth)
        return { DbStatus::InvalidArgument,
            QCoreApplication::translate(
                "Scan", "Folder  '%1'  has a path too long for the catalogue !")
                .arg(folderPath) };
    DbfTable &t = table.table();
    const DetachedViews detached(table);
    table.switchTagFilterOff();
    DbStatus st = DbStatus::ok();
    if (!t.hasRange() || table.folderKey(table.currentFolder()) != dir)
        st = table.setFolderRange(folderPath);
    DescriptionList records;
    for (st = st ? t.first() : st; st && !t.eof(); st = t.next())
        records.push_back({ t.fieldText(CatalogTable::NAME), t.fieldText(CatalogTable::NOTE) });
    if (st)
        st = writeFolderDescriptions(resolver, table.codec().toUnicode(dir), records);
    if (!t.isEmpty())
        t.last();
    return st;
}
