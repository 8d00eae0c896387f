#include "textpane.h"

#include "platform/codepage.h"
#include "scan/textfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace textpane
{

namespace
{

    // Names the file in messages.
    QString what()
    {
        return QCoreApplication::translate("Browse", "Text file");
    }

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
    QByteArray bytes;
    const DbStatus st = textfile::readWhole(path, kMaxTextFileSize, what(), bytes);
    if (st)
        text = linesOfFile(bytes);
    return st;
}

DbStatus writeTextFile(const QString &path, const QString &text, bool *lossy)
{
    // The question before overwriting names this file: a link there is refused, not
    // written through to a file the user was not asked about.
    return textfile::writeAtomically(
        path, textfile::encodeLines(paneLines(text), lossy), what(), ReplacementFile::Link::Refuse);
}

} // namespace textpane
