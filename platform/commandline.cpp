#include "commandline.h"

namespace commandline
{

namespace
{

    bool isSeparator(QChar c)
    {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t');
    }

} // namespace

QStringList split(const QString &text)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (!quoted && isSeparator(c)) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == QLatin1Char('\\')) {
            int end = i;
            while (end < n && text.at(end) == QLatin1Char('\\'))
                ++end;
            const int slashes = end - i;
            const bool beforeQuote = end < n && text.at(end) == QLatin1Char('"');
            current += QString(beforeQuote ? slashes / 2 : slashes, QLatin1Char('\\'));
            if (beforeQuote && slashes % 2) {
                current += QLatin1Char('"');
                i = end;
            } else {
                i = end - 1; // a quote after an even run keeps its meaning
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (quoted && i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                current += QLatin1Char('"');
                ++i;
            } else {
                quoted = !quoted;
            }
            continue;
        }
        current += c;
    }
    if (inArgument)
        arguments << current;
    return arguments;
}

QString quote(const QString &argument)
{
    const bool plain = !argument.isEmpty() && !argument.contains(QLatin1Char(' '))
        && !argument.contains(QLatin1Char('\t')) && !argument.contains(QLatin1Char('"'));
    if (plain)
        return argument;
    QString out = QStringLiteral("\"");
    int slashes = 0;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++slashes;
            continue;
        }
        if (c == QLatin1Char('"')) {
            out += QString(slashes * 2 + 1, QLatin1Char('\\'));
        } else {
            out += QString(slashes, QLatin1Char('\\'));
        }
        slashes = 0;
        out += c;
    }
    // Backslashes before the closing quote are doubled so that it stays a quote.
    out += QString(slashes * 2, QLatin1Char('\\'));
    out += QLatin1Char('"');
    return out;
}

QString unquoted(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"')))
        return t.mid(1, t.size() - 2);
    return t;
}

QString pathArgument(const QString &path)
{
    if (path.startsWith(QLatin1Char('-')))
        return QStringLiteral("./") + path;
    return path;
}

} // namespace commandline
