#include "descript.h"

#include "platform/codepage.h"
#include "platform/diskpath.h"
#include "platform/fileio.h"
#include "textfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace
{

const QString kWhat = QStringLiteral("Descript.ion");

void replaceAll(QByteArray &text, const QByteArray &from, char to)
{
    text.replace(from, QByteArray(1, to));
}

// $04 $C2 and "\n" are another program's line-break marks; the note is one line.
QByteArray cleaned(QByteArray text)
{
    replaceAll(text, QByteArray("\x04\xC2", 2), ' ');
    replaceAll(text, QByteArray("\\n"), ' ');
    replaceAll(text, QByteArray("\\N"), ' ');
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && static_cast<unsigned char>(text.at(start)) <= 0x20)
        ++start;
    while (end > start && static_cast<unsigned char>(text.at(end - 1)) <= 0x20)
        --end;
    return text.mid(start, end - start);
}

// The line of a record; empty when the file, 8-bit as it is, cannot hold the name or the
// note (a Unicode catalogue's): a line with "?" in their place would name another file,
// or give the file another note at the next update. Such a note is kept in the catalogue
// only.
QByteArray lineFor(const Description &record)
{
    bool nameFits = true;
    bool noteFits = true;
    const QByteArray name = codepage::fromUnicode(record.name, &nameFits);
    QString note = record.text;
    note.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray text = codepage::fromUnicode(note, &noteFits);
    if (!nameFits || !noteFits)
        return {};
    const QByteArray quoted = name.contains(' ') ? '"' + name + '"' : name;
    return quoted + ' ' + text + "\r\n";
}

} // namespace

QString descriptionFilePath(const PathResolver &resolver, const QString &dir)
{
    return resolver.resolve(dir + QStringLiteral("Descript.ion"));
}

Description parseDescriptionLine(const QByteArray &line)
{
    QByteArray name;
    QByteArray text;
    const qsizetype quoteEnd = line.startsWith('"') ? line.indexOf("\" ", 1) : -1;
    if (quoteEnd > 0) {
        name = line.mid(1, quoteEnd - 1);
        text = line.mid(quoteEnd + 2, kMaxDescriptionLength);
    } else {
        const qsizetype blank = line.indexOf(' ');
        if (blank < 0)
            return {};
        name = line.left(blank);
        text = line.mid(blank + 1, kMaxDescriptionLength);
    }
    return { codepage::toUnicode(name), codepage::toUnicode(cleaned(text)) };
}

DbStatus readFolderDescriptions(const QString &path, DescriptionList &list)
{
    list.clear();
    int err = 0;
    const int fd = fileio::openForReading(path, &err);
    if (fd < 0 && err == ENOENT)
        return { DbStatus::NotFound, QString() };
    // A FIFO, socket or device in its place holds no descriptions: read as none, with the
    // reason. A folder of that name is taken for a file that cannot be read, as before.
    if (fd < 0) {
        const bool special = err == fileio::NotRegular && !QFileInfo(path).isDir();
        return { special ? DbStatus::NotFound : DbStatus::IoError,
            textfile::failure(
                kWhat, path, QCoreApplication::translate("Scan", "read"), fileio::errorText(err)) };
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        fileio::closeFile(fd);
        return { DbStatus::IoError,
            textfile::failure(
                kWhat, path, QCoreApplication::translate("Scan", "read"), file.errorString()) };
    }
    if (file.size() > kMaxDescriptionFileSize)
        return { DbStatus::IoError,
            textfile::failure(kWhat, path, QCoreApplication::translate("Scan", "read"),
                QCoreApplication::translate("Scan", "it is too large")) };
    textfile::LineReader reader(file, kMaxDescriptionLine);
    QByteArray line;
    while (reader.next(line)) {
        Description d = parseDescriptionLine(line);
        if (!d.name.isEmpty())
            list.push_back(std::move(d));
    }
    if (reader.failed()) {
        list.clear();
        return { DbStatus::IoError,
            textfile::failure(
                kWhat, path, QCoreApplication::translate("Scan", "read"), file.errorString()) };
    }
    return DbStatus::ok();
}

DbStatus writeFolderDescriptions(
    const PathResolver &resolver, const QString &dir, const DescriptionList &records)
{
    const QString path = descriptionFilePath(resolver, dir);
    if (path.isEmpty())
        return { DbStatus::InvalidArgument,
            QCoreApplication::translate("Scan", "Folder  '%1'  is not below the root").arg(dir) };
    if (records.empty()) {
        textfile::removeIfPresent(resolver.resolve(dir + QStringLiteral("!Tabulon.!")), kWhat);
        textfile::removeIfPresent(path, kWhat);
        return DbStatus::ok();
    }
    QByteArray bytes;
    for (const Description &record : records)
        if (!record.text.isEmpty())
            bytes += lineFor(record);
    // The file is rebuilt whole from the records: a link in its place is replaced by it.
    return textfile::writeAtomically(path, bytes, kWhat, ReplacementFile::Link::Replace);
}

DescriptionLookup::DescriptionLookup(const DescriptionList &list, const TextCodec &codec)
    : m_codec(&codec)
{
    for (const Description &d : list)
        m_byName.insert(codec.upperText(d.name), d.text);
}

bool DescriptionLookup::find(const QString &name, QString *text) const
{
    const auto it = m_byName.constFind(m_codec->upperText(name));
    if (it == m_byName.constEnd())
        return false;
    if (text)
        *text = *it;
    return true;
}
