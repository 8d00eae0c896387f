#include "filecopy.h"

#include "dialogs/shareddialog.h"
#include "platform/diskpath.h"
#include "platform/filemoves.h"

namespace
{

const char kExists[] = "File  '%1'  exists !\rOverwrite ?";
const char kAlsoInfo[] = "Also copy the Info-file ?";
const char kNotCopied[] = "File  '%1'  could not be copied !";

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
        QString::fromLatin1(kNotCopied).arg(name) + QLatin1Char('\r') + reason };
}

} // namespace

DbStatus copyCatalogueFile(
    const PathResolver &resolver, const QString &dir, const QString &name, const QString &folder)
{
    const QString source = resolver.resolve(dir, name);
    const QString target = joined(folder, name);
    if (filemoves::sameEntry(source, target))
        return { DbStatus::InvalidArgument,
            QString::fromLatin1(kNotCopied).arg(name)
                + QStringLiteral("\rIt is the file itself.") };
    if (filemoves::entryExists(target)
        && ShowDialog(DialogKind::WarningQuestion, QString::fromLatin1(kExists).arg(name))
            != QLatin1String("1"))
        return DbStatus::ok();
    DbStatus st = copied(source, target, name);
    if (!st)
        return st;
    const QString info = resolver.resolve(dir, name + QStringLiteral(".!"));
    if (!filemoves::entryExists(info)
        || ShowDialog(DialogKind::Confirmation, QString::fromLatin1(kAlsoInfo))
            != QLatin1String("1"))
        return st;
    return copied(info, target + QStringLiteral(".!"), name + QStringLiteral(".!"));
}
