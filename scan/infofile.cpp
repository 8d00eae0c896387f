#include "infofile.h"

#include "platform/codepage.h"
#include "platform/diskpath.h"
#include "textfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace infofile
{

namespace
{

    // Names the file in messages.
    QString what()
    {
        return QCoreApplication::translate("Scan", "Info file");
    }

} // namespace

QString infoFileRelative(const QString &dir, const QString &name)
{
    return dir + name + QStringLiteral(".!");
}

QString infoFilePath(const PathResolver &resolver, const QString &dir, const QString &name)
{
    return resolver.resolve(infoFileRelative(dir, name));
}

DbStatus readInfoFile(const QString &path, QStringList &lines)
{
    lines.clear();
    QByteArray bytes;
    const DbStatus st = textfile::readWhole(path, kMaxInfoFileSize, what(), bytes);
    if (!st)
        return st;
    for (const QByteArray &line : textfile::splitLines(bytes))
        lines.append(codepage::toUnicode(line));
    return DbStatus::ok();
}

DbStatus writeInfoFile(const QString &path, const QStringList &lines, bool *lossy)
{
    if (lossy)
        *lossy = false;
    if (path.isEmpty())
        return { DbStatus::InvalidArgument,
            QCoreApplication::translate("Scan", "Info file without a path") };
    if (lines.isEmpty())
        return textfile::removeIfPresent(path, what());
    // The text is read through a link like any file, but never written through one, and
    // replacing the link by a plain file would part the text from the file it was read
    // from: a link is refused.
    return textfile::writeAtomically(
        path, textfile::encodeLines(lines, lossy), what(), ReplacementFile::Link::Refuse);
}

DbStatus writeInfoText(const QString &path, const QString &text, bool *lossy)
{
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return writeInfoFile(path, lines, lossy);
}

} // namespace infofile
