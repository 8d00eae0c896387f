#include "skippedentries.h"

#include <QCoreApplication>

namespace
{

// "\x1B", "\u0085": a code in hex digits after its prefix.
QString escaped(const char *prefix, uint code, int digits)
{
    return QLatin1String(prefix)
        + QStringLiteral("%1").arg(code, digits, 16, QLatin1Char('0')).toUpper();
}

void appendAscii(QString &out, unsigned char b)
{
    switch (b) {
    case '\n':
        out += QLatin1String("\\n");
        return;
    case '\t':
        out += QLatin1String("\\t");
        return;
    case '\r':
        out += QLatin1String("\\r");
        return;
    case '\\':
        out += QLatin1String("\\\\");
        return;
    default:
        if (b < 0x20 || b == 0x7F)
            out += escaped("\\x", b, 2);
        else
            out += QLatin1Char(char(b));
    }
}

// The length of the UTF-8 sequence that lead starts, 1 for a byte that starts none.
int sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    return lead >= 0xC0 ? 2 : 1;
}

} // namespace

QString skipReasonText(SkipReason reason, const QByteArray &twinName)
{
    switch (reason) {
    case SkipReason::None:
    case SkipReason::ByRule:
        break;
    case SkipReason::NotUtf8:
        return QCoreApplication::translate("Scan", "its name is not valid UTF-8");
    case SkipReason::ControlCharacter:
        return QCoreApplication::translate(
            "Scan", "its name holds a control character (a newline or tab)");
    case SkipReason::Backslash:
        return QCoreApplication::translate("Scan", "its name holds a backslash");
    case SkipReason::OutsideCodePage:
        return QCoreApplication::translate(
            "Scan", "its name holds a character outside Windows-1252");
    case SkipReason::NameTooLong:
        return QCoreApplication::translate("Scan", "its name is longer than 80 characters");
    case SkipReason::TrailingBlank:
        return QCoreApplication::translate("Scan", "its name ends in a blank");
    case SkipReason::DanglingLink:
        return QCoreApplication::translate("Scan", "it is a link that leads nowhere");
    case SkipReason::SpecialFile:
        return QCoreApplication::translate(
            "Scan", "it is no regular file (a pipe, socket or device)");
    case SkipReason::PathTooLong:
        return QCoreApplication::translate(
            "Scan", "its path is too long for the catalogue (over 80 characters)");
    case SkipReason::NameTooLongInBytes:
        return QCoreApplication::translate("Scan", "its name is longer than 80 bytes in UTF-8");
    case SkipReason::PathTooLongInBytes:
        return QCoreApplication::translate(
            "Scan", "its path is too long for the catalogue (over 80 bytes in UTF-8)");
    case SkipReason::CaseTwin:
        return QCoreApplication::translate("Scan", "its name differs only in case from '%1'")
            .arg(printableName(twinName));
    }
    return QString();
}

QString printableName(const QByteArray &raw)
{
    QString out;
    const int n = int(raw.size());
    for (int i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(raw[i]);
        if (b < 0x80) {
            appendAscii(out, b);
            ++i;
            continue;
        }
        const int length = sequenceLength(b);
        const QByteArray sequence = raw.mid(i, length);
        const QString c = length > 1 ? QString::fromUtf8(sequence) : QString();
        if (c.isEmpty() || c.toUtf8() != sequence) {
            out += escaped("\\x", b, 2);
            ++i;
            continue;
        }
        // C1 controls are as unsafe on a terminal as the C0 ones.
        if (c.size() == 1 && c[0].unicode() < 0xA0)
            out += escaped("\\u", c[0].unicode(), 4);
        else
            out += c;
        i += length;
    }
    return out;
}

QString SkippedEntry::message() const
{
    QString path = folder;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return QCoreApplication::translate("Scan", "%1  '%2%3'  cannot be catalogued: %4")
        .arg(isFolder ? QCoreApplication::translate("Scan", "Folder")
                      : QCoreApplication::translate("Scan", "File"),
            path, printableName(rawName), skipReasonText(reason, twinName));
}

void SkippedEntries::add(SkippedEntry entry)
{
    ++m_count;
    if (int(m_kept.size()) < MaxKept)
        m_kept.push_back(std::move(entry));
}

void SkippedEntries::add(const SkippedEntries &others)
{
    for (const SkippedEntry &e : others.m_kept)
        if (int(m_kept.size()) < MaxKept)
            m_kept.push_back(e);
    m_count += others.m_count;
}

void SkippedEntries::add(std::vector<SkippedEntry> &&entries)
{
    for (SkippedEntry &e : entries)
        add(std::move(e));
    entries.clear();
}

QString SkippedEntries::message(int listed) const
{
    if (m_count == 0)
        return QString();
    QString text = m_count == 1
        ? QCoreApplication::translate("Scan", "1 entry could not be catalogued:")
        : QCoreApplication::translate("Scan", "%1 entries could not be catalogued:").arg(m_count);
    const int shown = qMin(listed, int(m_kept.size()));
    for (int i = 0; i < shown; ++i)
        text += QLatin1Char('\r') + m_kept[size_t(i)].message();
    if (m_count > shown)
        text += QCoreApplication::translate("Scan", "\r... and %1 more.").arg(m_count - shown);
    return text;
}
