#include "filemove.h"

#include "dirfield.h"
#include "platform/diskpath.h"
#include "platform/filemoves.h"
#include "store/catalogtable.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

namespace
{

const char kNotMoved[] = QT_TRANSLATE_NOOP("FileOps", "File  '%1'  could not be moved !");
const char kSame[] = QT_TRANSLATE_NOOP("FileOps", "Destination and source are the same ...");
const char kInfoLeft[] = QT_TRANSLATE_NOOP(
    "FileOps", "File  '%1'  was moved without its info file, which stays in  '%2' !");
const char kRecordLeft[] = QT_TRANSLATE_NOOP(
    "FileOps", "File  '%1'  was moved to  '%2', but its record still names  '%3': %4");

const QString kInfoSuffix = QStringLiteral(".!");

// The file's record: by number while it still holds the file, else by name in its folder.
DbStatus findRecord(DbfTable &t, const FileMoveRequest &request, quint32 *recno)
{
    const QByteArray dir = CatalogTable::folderKey(request.sourceFolder, t.codec());
    const auto holdsFile = [&] {
        return t.fieldBytes(CatalogTable::DIR) == dir
            && t.codec().sameName(t.fieldText(CatalogTable::NAME), request.name);
    };
    DbStatus st = t.cancelRange();
    if (st && request.recno > 0 && t.goTo(request.recno) && holdsFile()) {
        *recno = request.recno;
        return st;
    }
    if (st) {
        const auto [low, high] = CatalogTable::folderRange(request.sourceFolder, t.codec());
        st = t.setRange(low, high);
    }
    for (st = st ? t.first() : st; st && !t.eof(); st = t.next())
        if (holdsFile()) {
            *recno = quint32(t.recNo());
            return t.cancelRange();
        }
    t.cancelRange();
    return st ? DbStatus(DbStatus::NoRecord, QString()) : st;
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// The paths of one move, resolved below the root.
struct MovePaths {
    QString file; // the file on disk
    QString target;
    QString info; // empty when the file has no info file
    QString infoTarget;
};

bool planMove(const PathResolver &resolver, const FileMoveRequest &request, MovePaths &paths)
{
    paths.file = resolver.resolve(request.sourceFolder, request.name);
    if (!filemoves::entryExists(paths.file) || filemoves::isFolder(paths.file))
        return false;
    const QString folder = resolver.resolve(request.destination);
    if (!filemoves::isFolder(folder))
        return false;
    const QString diskName = QFileInfo(paths.file).fileName();
    paths.target = joined(folder, diskName);
    if (resolver.exists(request.destination + request.name) || filemoves::entryExists(paths.target))
        return false;
    // A text waiting there under the name would be lost under this file's own text, or
    // taken for the text of a file that has none.
    const QString infoTarget = joined(folder, diskName + kInfoSuffix);
    if (resolver.exists(request.destination + request.name + kInfoSuffix)
        || filemoves::entryExists(infoTarget))
        return false;
    const QString info = resolver.resolve(request.sourceFolder, request.name + kInfoSuffix);
    if (filemoves::entryExists(info)) {
        paths.info = info;
        paths.infoTarget = infoTarget;
    }
    return true;
}

// Each level a folder the tree shows, DIR wide enough for it.
bool acceptableDestination(const CatalogTable &table, const QString &destination)
{
    const QStringList levels = destination.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (levels.isEmpty() || table.folderKey(destination).size() > CatalogTable::DirWidth)
        return false;
    for (const QString &level : levels)
        if (level.startsWith(QLatin1Char('.')) || !diskpath::isCataloguable(level, table.codec()))
            return false;
    return true;
}

} // namespace

QString sameFolderMessage()
{
    return QCoreApplication::translate("FileOps", kSame);
}

FileMove moveFileRecord(
    CatalogTable &table, const QString &rootPath, const FileMoveRequest &request)
{
    FileMove result;
    const DbStatus refused(
        DbStatus::IoError, QCoreApplication::translate("FileOps", kNotMoved).arg(request.name));
    result.status = refused;
    QString destination = diskpath::fromTyped(request.destination);
    if (!destination.endsWith(QLatin1Char('\\')))
        destination += QLatin1Char('\\');
    const QByteArray destKey = table.folderKey(destination);
    if (destKey == table.folderKey(request.sourceFolder)) {
        result.status = { DbStatus::InvalidArgument, sameFolderMessage() };
        return result;
    }
    if (!table.isOpen() || !acceptableDestination(table, destination))
        return result;
    DbfTable &t = table.table();
    const DetachedViews detached(table);
    quint32 recno = 0;
    if (!findRecord(t, request, &recno))
        return result;

    const PathResolver resolver(rootPath);
    FileMoveRequest checked = request;
    checked.destination = destination;
    MovePaths paths;
    QString reason;
    if (!planMove(resolver, checked, paths) || !filemoves::moveEntry(paths.file, paths.target))
        return result;
    if (!paths.info.isEmpty() && !filemoves::moveEntry(paths.info, paths.infoTarget, &reason)) {
        if (filemoves::moveEntry(paths.target, paths.file))
            return result;
        // The file cannot go back either: its record follows it, the text stays behind.
        result.diskChanged = true;
        result.status = { DbStatus::IoError,
            QCoreApplication::translate("FileOps", kInfoLeft)
                .arg(request.name, request.sourceFolder) };
        paths.info.clear();
    }
    const DbStatus written = writeDir(t, recno, destKey);
    if (!written) {
        const bool infoBack
            = paths.info.isEmpty() || filemoves::moveEntry(paths.infoTarget, paths.info);
        if (infoBack && filemoves::moveEntry(paths.target, paths.file)) {
            result.status
                = { written.code(), refused.message() + QLatin1Char('\r') + written.message() };
            return result;
        }
        result.diskChanged = true;
        result.status = { written.code(),
            QCoreApplication::translate("FileOps", kRecordLeft)
                .arg(request.name, destination, request.sourceFolder, written.message()) };
        return result;
    }
    result.moved = true;
    if (!result.diskChanged)
        result.status = DbStatus::ok();
    return result;
}
