#include "textfile.h"

#include "platform/codepage.h"
#include "platform/filecontent.h"
#include "platform/fileio.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>

namespace textfile
{

namespace
{

    constexpr qint64 kChunk = 64 * 1024;

} // namespace

QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.append(bytes.mid(start, i - start));
        i += (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size())
        lines.append(bytes.mid(start));
    return lines;
}

void LineEndJoiner::add(const char *data, qsizetype size, QByteArray &out)
{
    qsizetype start = 0; // of the run of plain bytes being collected
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n') {
            if (m_breaks > 0) {
                out.append(m_breaks, '\n');
                m_breaks = 0;
            }
            m_afterCr = false;
            continue;
        }
        out.append(data + start, i - start);
        start = i + 1;
        if (c == '\n' && m_afterCr) {
            m_afterCr = false;
            continue;
        }
        ++m_breaks;
        m_afterCr = c == '\r';
    }
    out.append(data + start, size - start);
}

void LineEndJoiner::finish(QByteArray &out)
{
    if (m_breaks > 1)
        out.append(m_breaks - 1, '\n');
    m_breaks = 0;
}

bool LineReader::fill()
{
    if (m_eof)
        return false;
    m_buffer = m_file.read(kChunk);
    m_pos = 0;
    if (m_buffer.isEmpty()) {
        m_eof = true;
        m_failed = m_file.error() != QFileDevice::NoError;
        return false;
    }
    return true;
}

bool LineReader::next(QByteArray &line)
{
    line.clear();
    bool any = false;
    for (;;) {
        if (m_pos >= m_buffer.size() && !fill())
            return any && !m_failed;
        if (m_skipLf) {
            m_skipLf = false;
            if (m_buffer.at(m_pos) == '\n') {
                ++m_pos;
                continue;
            }
        }
        any = true;
        qsizetype i = m_pos;
        while (i < m_buffer.size() && m_buffer.at(i) != '\r' && m_buffer.at(i) != '\n')
            ++i;
        const qsizetype room = m_maxKept - line.size();
        if (room > 0)
            line.append(m_buffer.constData() + m_pos, std::min<qsizetype>(room, i - m_pos));
        if (i == m_buffer.size()) {
            m_pos = int(i);
            continue;
        }
        const bool cr = m_buffer.at(i) == '\r';
        m_pos = int(i) + 1;
        if (cr) {
            if (m_pos < m_buffer.size()) {
                if (m_buffer.at(m_pos) == '\n')
                    ++m_pos;
            } else {
                m_skipLf = true;
            }
        }
        return true;
    }
}

QString failure(
    const QString &what, const QString &path, const QString &verb, const QString &reason)
{
    return QCoreApplication::translate("Scan", "%1  '%2'  could not be %3: %4")
        .arg(what, path, verb, reason);
}

DbStatus readWhole(const QString &path, qint64 maxSize, const QString &what, QByteArray &bytes)
{
    int err = 0;
    if (filecontent::read(path, maxSize, bytes, &err))
        return DbStatus::ok();
    if (err == ENOENT)
        return { DbStatus::NotFound, QString() };
    const QString reason = err == EFBIG
        ? QCoreApplication::translate("Scan", "it is larger than %1 MB")
              .arg(maxSize / (1024 * 1024))
        : fileio::errorText(err);
    return { DbStatus::IoError,
        failure(what, path, QCoreApplication::translate("Scan", "read"), reason) };
}

QString lossyWarning(const QString &path)
{
    return QCoreApplication::translate(
        "Scan", "Some characters of the text cannot be written in  '%1'  and were saved as \"?\" !")
        .arg(path);
}

QByteArray encodeLines(const QStringList &lines, bool *lossy)
{
    QByteArray bytes;
    bool allOk = true;
    for (const QString &line : lines) {
        bool ok = true;
        bytes += codepage::fromUnicode(line, &ok);
        bytes += "\r\n";
        allOk = allOk && ok;
    }
    if (lossy)
        *lossy = !allOk;
    return bytes;
}

DbStatus writeAtomically(
    const QString &path, const QByteArray &bytes, const QString &what, ReplacementFile::Link link)
{
    ReplacementFile file(path, link);
    if (!file.open() || !file.write(bytes) || !file.commit())
        return { DbStatus::IoError,
            failure(what, path, QCoreApplication::translate("Scan", "written"), file.errorText()) };
    return DbStatus::ok();
}

DbStatus removeIfPresent(const QString &path, const QString &what)
{
    QFile file(path);
    if (file.remove())
        return DbStatus::ok();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return DbStatus::ok();
    return { DbStatus::IoError,
        failure(what, path, QCoreApplication::translate("Scan", "deleted"), file.errorString()) };
}

} // namespace textfile
