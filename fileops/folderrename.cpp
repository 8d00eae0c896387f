#include "folderrename.h"

#include "dirfield.h"
#include "platform/diskpath.h"
#include "platform/filemoves.h"
#include "store/catalogtable.h"

#include <QCoreApplication>
#include <QStringList>

#include <vector>

namespace
{

const char kNotRenamed[] = QT_TRANSLATE_NOOP("FileOps", "Folder  '%1'  could not be renamed !");
const char kPartly[] = QT_TRANSLATE_NOOP(
    "FileOps", "Folder  '%1'  was renamed to  '%2', but not every record followed it: %3");
const char kAstray[] = QT_TRANSLATE_NOOP(
    "FileOps", "The records of %1 files name  '%2'  while the folder is  '%3'.");

QStringList levelsOf(const QString &path)
{
    return diskpath::fromTyped(path).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

// A level the folder tree shows: no dot-name (hidden, or leaving the root) and a name the
// catalogue can hold.
bool showableLevels(const QStringList &levels, const TextCodec &codec)
{
    for (const QString &level : levels)
        if (level.startsWith(QLatin1Char('.')) || !diskpath::isCataloguable(level, codec))
            return false;
    return !levels.isEmpty();
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// A record that follows the folder: where it is and the DIR it had before.
struct Follower {
    quint32 recno;
    QByteArray oldDir;
};

// The records of the folder and of every folder below it, in physical order. False with
// the walk's failure, or with *tooLong set when a new DIR would not fit.
DbStatus collectFollowers(DbfTable &t, const QByteArray &oldKey, const QByteArray &newKey,
    std::vector<Follower> &out, bool *tooLong)
{
    DbStatus st = t.first();
    for (; st && !t.eof(); st = t.next()) {
        const QByteArray dir = t.fieldBytes(CatalogTable::DIR);
        if (!dir.startsWith(oldKey))
            continue;
        if (newKey.size() + dir.size() - oldKey.size() > CatalogTable::DirWidth) {
            *tooLong = true;
            return st;
        }
        out.push_back({ quint32(t.recNo()), dir });
    }
    return st;
}

QByteArray movedDir(const QByteArray &dir, const QByteArray &from, const QByteArray &to)
{
    return to + dir.mid(from.size());
}

class Renamer
{
public:
    Renamer(CatalogTable &table, const QString &oldPath, const QString &newPath)
        : m_table(table)
        , m_oldPath(oldPath)
        , m_newPath(newPath)
        , m_oldKey(table.folderKey(oldPath))
        , m_newKey(table.folderKey(newPath))
    {
    }

    FolderRename run(const QString &source, const QString &target);

private:
    DbStatus refused() const
    {
        return { DbStatus::IoError,
            QCoreApplication::translate("FileOps", kNotRenamed).arg(m_oldPath) };
    }
    FolderRename undo(
        const QString &source, const QString &target, size_t written, const DbStatus &failure);

    CatalogTable &m_table;
    QString m_oldPath;
    QString m_newPath;
    QByteArray m_oldKey;
    QByteArray m_newKey;
    std::vector<Follower> m_followers;
};

FolderRename Renamer::run(const QString &source, const QString &target)
{
    FolderRename result;
    DbfTable &t = m_table.table();
    const bool caseOnly = m_oldKey == m_newKey;
    if (!caseOnly && t.isOpen()) {
        bool tooLong = false;
        const DbStatus walked = collectFollowers(t, m_oldKey, m_newKey, m_followers, &tooLong);
        if (!walked || tooLong) {
            result.status = refused();
            return result;
        }
    }
    QString reason;
    if (!filemoves::moveEntry(source, target, &reason)) {
        result.status = refused();
        return result;
    }
    for (size_t i = 0; i < m_followers.size(); ++i) {
        const Follower &f = m_followers[i];
        const DbStatus st = writeDir(t, f.recno, movedDir(f.oldDir, m_oldKey, m_newKey));
        if (!st)
            return undo(source, target, i, st);
        ++result.recordsMoved;
    }
    result.diskChanged = true;
    return result;
}

// A record could not follow: the ones that did go back, then the folder. What cannot be
// put back is said.
FolderRename Renamer::undo(
    const QString &source, const QString &target, size_t written, const DbStatus &failure)
{
    FolderRename result;
    DbfTable &t = m_table.table();
    QString reason;
    if (filemoves::moveEntry(target, source, &reason)) {
        int astray = 0;
        for (size_t i = 0; i < written; ++i)
            if (!writeDir(t, m_followers[i].recno, m_followers[i].oldDir))
                ++astray;
        QString message = QCoreApplication::translate("FileOps", kNotRenamed).arg(m_oldPath)
            + QLatin1Char('\r') + failure.message();
        if (astray > 0)
            message += QLatin1Char('\r')
                + QCoreApplication::translate("FileOps", kAstray)
                      .arg(astray)
                      .arg(m_newPath, m_oldPath);
        result.status = { failure.code(), message };
        result.recordsMoved = astray;
        return result;
    }
    // The folder stays where it went: the other records are tried all the same.
    result.diskChanged = true;
    int astray = 0;
    for (size_t i = written; i < m_followers.size(); ++i) {
        const Follower &f = m_followers[i];
        if (writeDir(t, f.recno, movedDir(f.oldDir, m_oldKey, m_newKey)))
            ++written;
        else
            ++astray;
    }
    QString message = QCoreApplication::translate("FileOps", kPartly)
                          .arg(m_oldPath, m_newPath, failure.message());
    message += QLatin1Char('\r')
        + QCoreApplication::translate("FileOps", kAstray).arg(astray).arg(m_oldPath, m_newPath);
    result.status = { failure.code(), message };
    result.recordsMoved = int(written);
    return result;
}

} // namespace

namespace typedfolder
{

bool tooLong(const QString &typed)
{
    return typed.size() > kMaxLength;
}

QString folderPath(const QString &typed)
{
    const QStringList levels = levelsOf(typed);
    return levels.isEmpty() ? QString() : levels.join(QLatin1Char('\\')) + QLatin1Char('\\');
}

} // namespace typedfolder

FolderRename renameFolder(
    CatalogTable &table, const QString &rootPath, const QString &oldPath, const QString &newPath)
{
    const QString failed = QCoreApplication::translate("FileOps", kNotRenamed).arg(oldPath);
    FolderRename refused;
    refused.status = { DbStatus::InvalidArgument, failed };
    const QStringList oldLevels = levelsOf(oldPath);
    const QStringList newLevels = levelsOf(newPath);
    if (!showableLevels(oldLevels, table.codec()) || !showableLevels(newLevels, table.codec()))
        return refused;
    const QString from = oldLevels.join(QLatin1Char('\\')) + QLatin1Char('\\');
    const QString to = newLevels.join(QLatin1Char('\\')) + QLatin1Char('\\');
    const QByteArray oldKey = table.folderKey(from);
    const QByteArray newKey = table.folderKey(to);

    const PathResolver resolver(rootPath);
    const QString source = resolver.resolve(from);
    if (!filemoves::isFolder(source))
        return refused;
    const QString parent = resolver.resolve(newLevels.mid(0, newLevels.size() - 1).join('\\'));
    const QString target = joined(parent, newLevels.last());
    if (oldKey != newKey) {
        // Into itself, or onto anything that is there in any letter case: the catalogue
        // could not tell the two folders' records apart.
        if (newKey.startsWith(oldKey) || resolver.exists(to) || filemoves::entryExists(target))
            return refused;
    }

    FolderRename result;
    if (!table.isOpen()) {
        QString reason;
        if (!filemoves::moveEntry(source, target, &reason))
            return refused;
        result.diskChanged = true;
        return result;
    }
    {
        const DetachedViews detached(table);
        table.switchTagFilterOff();
        DbStatus st = table.setPhysicalOrder();
        if (!st) {
            table.restoreOrder();
            return refused;
        }
        result = Renamer(table, from, to).run(source, target);
        const DbStatus restored = table.restoreOrder();
        if (result.status && !restored)
            result.status = restored;
    }
    return result;
}

bool removeEmptyFolder(const QString &rootPath, const QString &folderPath)
{
    const QStringList levels = levelsOf(folderPath);
    if (levels.isEmpty())
        return false;
    return filemoves::removeEmptyFolder(diskpath::resolve(rootPath, levels.join('\\')));
}
