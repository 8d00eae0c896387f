#include "tagedit.h"

#include "dialogs/shareddialog.h"
#include "platform/codepage.h"
#include "platform/diskpath.h"
#include "scan/textfile.h"
#include "store/catalogtable.h"
#include "store/dbffile.h"
#include "store/progress.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <utility>
#include <vector>

namespace tagedit
{

namespace
{

    // Names the file in messages.
    QString tagList()
    {
        return QCoreApplication::translate("Browse", "Tag list");
    }

    constexpr qint64 kMaxTagListSize = 64 * 1024 * 1024;

} // namespace

QString addPrompt()
{
    return QCoreApplication::translate("Browse", "Add tag ? (1 Character)");
}

QString deletePrompt()
{
    return QCoreApplication::translate("Browse", "Delete tag ? (1 Character)");
}

QString tagOfAnswer(const QString &answer, const TextCodec &codec)
{
    if (answer.isEmpty() || isEscAnswer(answer) || answer == QLatin1String("-"))
        return QString();
    // One character, even where it takes two UTF-16 units.
    return codec.upperText(answer.left(answer.at(0).isHighSurrogate() ? 2 : 1));
}

QString addRefusal(const QString &tag, const TextCodec &codec)
{
    const QChar first = tag.isEmpty() ? QChar() : tag.at(0);
    const bool unfit = first.isSpace() || first.category() == QChar::Other_Control;
    if (codec.isUtf8() && (unfit || !codec.isSingleByte(tag)))
        return QCoreApplication::translate("Browse",
            "Tag  '%1'  can not be stored: in a Unicode catalogue a tag is "
            "one ASCII character, not a blank !")
            .arg(tag);
    if (unfit || !codec.isExpressible(tag))
        return QCoreApplication::translate("Browse",
            "Tag  '%1'  can not be stored: a tag is one character of "
            "Windows-1252, not a blank !")
            .arg(tag);
    return QString();
}

QString added(const QString &code, const QString &tag)
{
    if (tag.isEmpty() || code.contains(tag))
        return code;
    return (tag + code).left(CatalogTable::CodeWidth);
}

QString removed(const QString &code, const QString &tag)
{
    return tag.isEmpty() ? code : QString(code).remove(tag);
}

QString replaced(const QString &code, const QString &from, const QString &to)
{
    if (!from.isEmpty() && !to.isEmpty())
        return code.contains(to) ? code : QString(code).replace(from, to);
    if (!to.isEmpty())
        return added(code, to);
    return removed(code, from);
}

DbStatus replaceTags(CatalogTable &table, const Replacement &replacement, Progress *progress)
{
    DbfTable &t = table.table();
    const qint64 current = t.recNo();
    const QByteArray folder = table.folderKey(replacement.folder);
    const auto &fields = t.fields();
    const DbfField dir = fields[CatalogTable::DIR];
    const DbfField code = fields[CatalogTable::CODE];
    const DetachedViews detached(table);
    DbStatus st = table.setPhysicalOrder();
    // The records to change are found first, so that writing one never disturbs the walk.
    std::vector<std::pair<quint32, QString>> changes;
    if (st)
        st = t.scanVisible(
            [&](quint32 recno, const char *rec) {
                const char *d = rec + 1 + dir.offset;
                if (!replacement.allFolders
                    && QByteArray::fromRawData(d, dbf::trimmedLength(d, dir.width)) != folder)
                    return;
                const char *c = rec + 1 + code.offset;
                const QString was = t.codec().toUnicode(c, dbf::trimmedLength(c, code.width));
                QString now = replaced(was, replacement.from, replacement.to);
                if (now != was)
                    changes.emplace_back(recno, std::move(now));
            },
            progress);
    // The writes come after every record read: one step of the walk each. A write costs
    // more than a read, so the progress hears of them more often.
    constexpr size_t kWritesPerStep = 256;
    const qint64 read = t.physicalCount();
    const qint64 total = read + qint64(changes.size());
    for (size_t i = 0; i < changes.size() && st; ++i) {
        if (i % kWritesPerStep == 0 && !proceed(progress, read + qint64(i), total)) {
            st = cancelledStatus();
            break;
        }
        const auto &[recno, tags] = changes[i];
        st = t.goTo(recno);
        if (st)
            st = t.edit();
        if (!st)
            break;
        t.setFieldText(CatalogTable::CODE, tags);
        st = t.post();
        if (!st) {
            t.cancel();
            break;
        }
    }
    const DbStatus restored = table.restoreOrder();
    if (current > 0)
        t.goTo(quint32(current));
    return st ? restored : st;
}

QString tagListPath(const QString &rootPath, const QString &archiveName)
{
    return diskpath::resolve(rootPath, archiveName + QStringLiteral(".txt"));
}

DbStatus readTagList(const QString &path, QString &text)
{
    text.clear();
    QByteArray bytes;
    const DbStatus st = textfile::readWhole(path, kMaxTagListSize, tagList(), bytes);
    if (st.code() == DbStatus::NotFound)
        return DbStatus::ok();
    if (!st)
        return st;
    QStringList lines;
    for (const QByteArray &line : textfile::splitLines(bytes))
        lines.append(codepage::toUnicode(line));
    text = lines.join(QLatin1Char('\n'));
    return DbStatus::ok();
}

DbStatus writeTagList(const QString &path, const QString &text, bool *lossy)
{
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    // The user's own text, edited where it was read from: a link there is refused rather
    // than written through or quietly turned into a copy.
    return textfile::writeAtomically(
        path, textfile::encodeLines(lines, lossy), tagList(), ReplacementFile::Link::Refuse);
}

} // namespace tagedit
