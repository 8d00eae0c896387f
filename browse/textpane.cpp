#include "textpane.h"

#include "platform/codepage.h"
#include "scan/textfile.h"

#include <QFile>
#include <QRegularExpression>

namespace textpane {

namespace {

const QString kWhat = QStringLiteral("Text file");

// The pane's lines: any line end splits, a final line end starts no extra line.
QStringList paneLines(const QString &text)
{
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

QString linesOfFile(const QByteArray &bytes)
{
    QString out;
    for (const QByteArray &line : textfile::splitLines(bytes))
        out += codepage::toUnicode(line) + QLatin1Char('\n');
    return out;
}

DbStatus readTextFile(const QString &path, QString &text)
{
    text.clear();
    QFile file(path);
    if (!file.exists())
        return {DbStatus::NotFound, QString()};
    if (!file.open(QIODevice::ReadOnly))
        return {DbStatus::IoError, textfile::failure(kWhat, path, QStringLiteral("read"), file.errorString())};
    if (file.size() > kMaxTextFileSize)
        return {DbStatus::IoError,
                textfile::failure(kWhat, path, QStringLiteral("read"), QStringLiteral("it is too large"))};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {DbStatus::IoError, textfile::failure(kWhat, path, QStringLiteral("read"), file.errorString())};
    text = linesOfFile(bytes);
    return DbStatus::ok();
}

DbStatus writeTextFile(const QString &path, const QString &text, bool *lossy)
{
    QByteArray bytes;
    bool allOk = true;
    for (const QString &line : paneLines(text)) {
        bool ok = true;
        bytes += codepage::fromUnicode(line, &ok);
        bytes += "\r\n";
        allOk = allOk && ok;
    }
    if (lossy)
        *lossy = !allOk;
    return textfile::writeAtomically(path, bytes, kWhat);
}

} // namespace textpane
