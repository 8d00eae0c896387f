#include "profile.h"

#include "atomicfile.h"
#include "codepage.h"
#include "filecontent.h"
#include "profilevalue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace
{

const QByteArray utf8Bom("\xEF\xBB\xBF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// [begin, end) of text without the blanks around it.
void trim(const char *text, int *begin, int *end)
{
    while (*begin < *end && isBlank(text[*begin]))
        ++*begin;
    while (*end > *begin && isBlank(text[*end - 1]))
        --*end;
}

// Names are compared the way the profile functions compare them: both sides upper-cased
// with the code page's table.
QByteArray nameKey(const QString &name)
{
    return codepage::upper(codepage::fromUnicode(name.trimmed()));
}

bool sameName(const char *text, int begin, int end, const QByteArray &upperName)
{
    trim(text, &begin, &end);
    if (end - begin != upperName.size())
        return false;
    for (int i = 0; i < upperName.size(); ++i) {
        if (codepage::upper(static_cast<unsigned char>(text[begin + i]))
            != static_cast<unsigned char>(upperName.at(i)))
            return false;
    }
    return true;
}

// Where the meaningful part of a line begins: after leading blanks and, on the file's
// first line, after a UTF-8 byte order mark that an editor may have put there.
int contentStart(const char *text, int length, bool firstLineOfFile)
{
    int pos = 0;
    if (firstLineOfFile && length >= 3 && std::memcmp(text, utf8Bom.constData(), 3) == 0)
        pos = 3;
    while (pos < length && isBlank(text[pos]))
        ++pos;
    return pos;
}

QByteArray cleanValue(const QString &value)
{
    QByteArray bytes = codepage::fromUnicode(value);
    for (char &c : bytes) {
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    }
    return bytes;
}

} // namespace

Profile::Profile(const QString &path)
    : m_path(path)
{
    load();
    parse();
}

void Profile::load()
{
    const QFileInfo info(m_path);
    if (!info.exists() && !info.isSymLink()) {
        m_state = LoadState::Missing;
        return;
    }
    m_state = LoadState::Unreadable;
    // A FIFO or a device of that name is refused without waiting for it.
    if (!filecontent::read(m_path, MaxFileSize, m_file))
        return;
    // No settings file has that many lines; keeping one entry per line of such a file
    // would only cost memory.
    if (qMax(m_file.count('\n'), m_file.count('\r')) > MaxLines) {
        m_file.clear();
        return;
    }
    m_state = LoadState::Loaded;
}

void Profile::parse()
{
    const char *text = m_file.constData();
    const int size = int(m_file.size());
    int start = 0;
    while (start < size) {
        // Any line end: CR LF, LF alone or CR alone.
        int end = start;
        while (end < size && text[end] != '\n' && text[end] != '\r')
            ++end;
        m_lines.push_back(classify(-1, start, end - start));
        int next = end;
        if (next < size && text[next] == '\r')
            ++next;
        if (next < size && text[next] == '\n' && (next == end || text[end] == '\r'))
            ++next;
        start = next;
    }
}

Profile::Line Profile::classify(int buffer, int start, int length) const
{
    Line line;
    line.start = start;
    line.length = length;
    line.buffer = buffer;
    const char *text = data(line);
    const int pos = contentStart(text, length, buffer < 0 && start == 0);
    if (pos >= length || text[pos] == ';')
        return line;
    if (text[pos] == '[') {
        const void *close = std::memchr(text + pos, ']', size_t(length - pos));
        if (close) {
            line.kind = Kind::Section;
            line.mark = int(static_cast<const char *>(close) - text);
        }
        return line;
    }
    const void *equals = std::memchr(text + pos, '=', size_t(length - pos));
    if (!equals)
        return line;
    int keyBegin = pos;
    int keyEnd = int(static_cast<const char *>(equals) - text);
    line.mark = keyEnd;
    trim(text, &keyBegin, &keyEnd);
    if (keyEnd > keyBegin)
        line.kind = Kind::Entry;
    return line;
}

const char *Profile::data(const Line &line) const
{
    const QByteArray &buffer = line.buffer < 0 ? m_file : m_added.at(line.buffer);
    return buffer.constData() + line.start;
}

Profile::Place Profile::locate(const QByteArray &section, const QByteArray &key) const
{
    Place place;
    const int count = int(m_lines.size());
    for (int i = 0; i < count; ++i) {
        const Line &line = m_lines[size_t(i)];
        const char *text = data(line);
        if (line.kind == Kind::Section) {
            if (place.section >= 0)
                break; // the next section ends ours
            const int open = contentStart(text, line.length, line.buffer < 0 && line.start == 0);
            if (sameName(text, open + 1, line.mark, section))
                place.section = place.insertAfter = i;
            continue;
        }
        if (place.section < 0)
            continue;
        if (line.kind == Kind::Entry && sameName(text, 0, line.mark, key)) {
            place.key = i;
            return place;
        }
        int begin = 0;
        int end = line.length;
        trim(text, &begin, &end);
        if (end > begin)
            place.insertAfter = i;
    }
    return place;
}

bool Profile::findValue(const QString &section, const QString &key, QByteArray *value) const
{
    const Place place = locate(nameKey(section), nameKey(key));
    if (place.key < 0)
        return false;
    const Line &line = m_lines[size_t(place.key)];
    const char *text = data(line);
    int begin = line.mark + 1;
    int end = line.length;
    trim(text, &begin, &end);
    *value = QByteArray(text + begin, qMin(end - begin, MaxTextLength));
    return true;
}

bool Profile::contains(const QString &section, const QString &key) const
{
    return locate(nameKey(section), nameKey(key)).key >= 0;
}

QString Profile::readText(const QString &section, const QString &key, const QString &fallback) const
{
    QByteArray value;
    if (!findValue(section, key, &value))
        return fallback.left(MaxTextLength);
    return codepage::toUnicode(value);
}

qint32 Profile::readInteger(const QString &section, const QString &key, qint32 fallback) const
{
    QByteArray value;
    qint32 result = fallback;
    if (findValue(section, key, &value))
        profilevalue::parseInteger(codepage::toUnicode(value), &result);
    return result;
}

bool Profile::readBool(const QString &section, const QString &key, bool fallback) const
{
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

quint32 Profile::readColor(const QString &section, const QString &key, quint32 fallback) const
{
    QByteArray value;
    quint32 result = fallback;
    if (findValue(section, key, &value))
        profilevalue::parseColor(codepage::toUnicode(value), &result);
    return result;
}

int Profile::addLine(const QByteArray &bytes)
{
    m_added.append(bytes);
    return int(m_added.size()) - 1;
}

void Profile::writeRaw(const QString &section, const QString &key, const QByteArray &value)
{
    const QByteArray sectionName = codepage::fromUnicode(section.trimmed());
    const QByteArray keyName = codepage::fromUnicode(key.trimmed());
    const Place place = locate(codepage::upper(sectionName), codepage::upper(keyName));
    if (place.key >= 0) {
        // Keep the key's spelling as it stands in the file.
        Line &line = m_lines[size_t(place.key)];
        const char *text = data(line);
        int begin = 0;
        int end = line.mark;
        trim(text, &begin, &end);
        const QByteArray replaced = QByteArray(text + begin, end - begin) + '=' + value;
        if (replaced == QByteArray(text, line.length))
            return;
        const int buffer = addLine(replaced);
        line = classify(buffer, 0, int(replaced.size()));
    } else {
        const QByteArray entry = keyName + '=' + value;
        const Line entryLine = classify(addLine(entry), 0, int(entry.size()));
        if (place.section >= 0) {
            m_lines.insert(m_lines.begin() + place.insertAfter + 1, entryLine);
        } else {
            const QByteArray header = '[' + sectionName + ']';
            m_lines.push_back(classify(addLine(header), 0, int(header.size())));
            m_lines.push_back(entryLine);
        }
    }
    m_modified = true;
}

void Profile::writeText(const QString &section, const QString &key, const QString &value)
{
    writeRaw(section, key, cleanValue(value));
}

void Profile::writeInteger(const QString &section, const QString &key, qint32 value)
{
    writeRaw(section, key, profilevalue::formatInteger(value).toLatin1());
}

void Profile::writeBool(const QString &section, const QString &key, bool value)
{
    writeRaw(section, key, value ? QByteArray("1") : QByteArray("0"));
}

void Profile::writeColor(const QString &section, const QString &key, quint32 color)
{
    writeRaw(section, key, profilevalue::formatColor(color).toLatin1());
}

QByteArray Profile::toBytes() const
{
    qsizetype total = 0;
    for (const Line &line : m_lines)
        total += line.length + 2;
    QByteArray bytes;
    bytes.reserve(total);
    for (const Line &line : m_lines) {
        bytes.append(data(line), line.length);
        bytes.append("\r\n", 2);
    }
    return bytes;
}

ProfileStatus Profile::loadStatus() const
{
    if (m_state != LoadState::Unreadable)
        return {};
    return { ProfileStatus::Unreadable,
        QCoreApplication::translate("Platform", "Unable to read %1")
            .arg(QDir::toNativeSeparators(m_path)) };
}

ProfileStatus Profile::save()
{
    if (!m_modified)
        return {};
    const QString message = QCoreApplication::translate("Platform", "Unable to write to %1")
                                .arg(QDir::toNativeSeparators(m_path));
    if (m_state == LoadState::Unreadable)
        return { ProfileStatus::WriteRefused, message,
            QCoreApplication::translate("Platform", "the file could not be read") };
    QString reason;
    if (!atomicfile::write(m_path, toBytes(), &reason))
        return { ProfileStatus::WriteRefused, message, reason };
    m_state = LoadState::Loaded;
    m_modified = false;
    return {};
}
