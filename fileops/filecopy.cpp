#include "filecopy.h"

#include "dialogs/shareddialog.h"
#include "platform/diskpath.h"
#include "platform/filemoves.h"

#include <QCoreApplication>

namespace
{

const char kExists[] = QT_TRANSLATE_NOOP("FileOps", "File  '%1'  exists !\rOverwrite ?");
const char kAlsoInfo[] = QT_TRANSLATE_NOOP("FileOps", "Also copy the Info-file ?");
const char kNotCopied[] = QT_TRANSLATE_NOOP("FileOps", "File  '%1'  could not be copied !");
const char kStrayText[] = QT_TRANSLATE_NOOP("FileOps",
    "A long text of that name lies in  '%1', which the copy would take "
    "for its own.");

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

DbStatus copied(const QString &source, const QString &target, const QString &name)
{
    QString reason;
    if (filemoves::copyFile(source, target, &reason))
        return DbStatus::ok();
    return { DbStatus::IoError,
        QCoreApplication::translate("FileOps", kNotCopied).arg(name) + QLatin1Char('\r') + reason };
}

} // namespace

DbStatus copyCatalogueFile(
    const PathResolver &resolver, const QString &dir, const QString &name, const QString &folder)
{
    const QString source = resolver.resolve(dir, name);
    const QString target = joined(folder, name);
    const QString infoName = name + QStringLiteral(".!");
    if (filemoves::sameEntry(source, target))
        return { DbStatus::InvalidArgument,
            QCoreApplication::translate("FileOps", kNotCopied).arg(name)
                + QCoreApplication::translate("FileOps", "\rIt is the file itself.") };
    if (filemoves::entryExists(target)
        && showDialog(DialogKind::WarningQuestion,
               QCoreApplication::translate("FileOps", kExists).arg(name))
            != QLatin1String("1"))
        return DbStatus::ok();
    const QString info = resolver.resolve(dir, infoName);
    const bool withText = filemoves::entryExists(info)
        && showDialog(DialogKind::Confirmation, QCoreApplication::translate("FileOps", kAlsoInfo))
            == QLatin1String("1");
    // A text lying there under the name would be taken for the copy's own: only this file's
    // own text, copied over it, may take its place.
    const QString infoTarget = joined(folder, infoName);
    const bool textThere = filemoves::entryExists(infoTarget);
    if ((textThere || PathResolver(folder).exists(infoName)) && !(withText && textThere))
        return { DbStatus::InvalidArgument,
            QCoreApplication::translate("FileOps", kNotCopied).arg(name) + QLatin1Char('\r')
                + QCoreApplication::translate("FileOps", kStrayText).arg(folder) };
    const DbStatus st = copied(source, target, name);
    if (!st || !withText)
        return st;
    return copied(info, infoTarget, infoName);
}
