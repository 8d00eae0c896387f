#include "filedelete.h"

#include "platform/diskpath.h"
#include "scan/infofile.h"
#include "scan/textfile.h"
#include "store/catalogtable.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

FileDeletion deleteCurrentFile(CatalogTable &table, const PathResolver &resolver)
{
    FileDeletion result;
    DbfTable &t = table.table();
    if (!t.isOpen() || t.recNo() <= 0)
        return result;
    const QString dir = table.text(CatalogTable::DIR);
    const QString name = table.text(CatalogTable::NAME);
    const QString path = resolver.resolve(dir, name);
    // A folder never stands in a record; removing one by a record's name is not wanted.
    if (path.isEmpty() || QFileInfo(path).isDir() || !QFile::remove(path))
        return result;
    result.fileDeleted = true;
    resolver.forget();
    const QString info = infofile::infoFilePath(resolver, dir, name);
    if (QFileInfo::exists(info) && !QFile::remove(info))
        result.infoFile = { DbStatus::IoError,
            textfile::failure(QCoreApplication::translate("Browse", "Info file"), info,
                QCoreApplication::translate("Browse", "deleted"),
                QCoreApplication::translate("Browse", "the file system refused")) };
    result.record = t.deleteRecord();
    if (result.record)
        ++table.deletedCount;
    return result;
}
