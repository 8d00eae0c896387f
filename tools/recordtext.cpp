#include "recordtext.h"

#include "platform/codepage.h"
#include "platform/textcodec.h"
#include "store/catalogtable.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>

RecordText::RecordText(const DbfTable &table)
{
    static const char *const names[FieldCount] = { "DIR", "NAME", "DATE", "NOTE", "CODE", "SIZE" };
    for (int f = 0; f < FieldCount; ++f) {
        const int i = table.fieldIndex(names[f]);
        if (i < 0)
            continue;
        const DbfField &field = table.fields()[size_t(i)];
        m_offset[f] = field.offset + 1; // after the deletion flag
        m_width[f] = field.width;
    }
    for (int b = 0; b < 256; ++b) {
        const char c = char(b);
        m_utf8[size_t(b)] = codepage::toUnicode(&c, 1).toStdString();
    }
    m_tableInUtf8 = table.codec().isUtf8();
}

std::string_view RecordText::raw(const char *rec, Field field) const
{
    if (m_offset[field] == 0)
        return {};
    const char *data = rec + m_offset[field];
    int n = m_width[field];
    while (n > 0 && (data[n - 1] == ' ' || data[n - 1] == '\0'))
        --n;
    return { data, size_t(n) };
}

void RecordText::appendUtf8(std::string &out, std::string_view stored) const
{
    if (m_tableInUtf8) {
        if (utf8text::isValid(stored.data(), int(stored.size())))
            out.append(stored);
        else
            out += QString::fromUtf8(stored.data(), qsizetype(stored.size())).toStdString();
        return;
    }
    for (const char c : stored) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out.push_back(c);
        else
            out += m_utf8[b];
    }
}

void RecordText::appendUtf8(std::string &out, const char *rec, Field field) const
{
    appendUtf8(out, raw(rec, field));
}

void RecordText::appendIsoDate(std::string &out, const char *rec) const
{
    const std::string_view d = raw(rec, Date);
    if (d.size() != 8)
        return;
    for (const char c : d)
        if (c < '0' || c > '9')
            return;
    out.append(d.substr(0, 4))
        .append(1, '-')
        .append(d.substr(4, 2))
        .append(1, '-')
        .append(d.substr(6, 2));
}

OutputSink::OutputSink(const QString &path)
    : m_path(path == QLatin1String("-") ? QString() : path)
{
}

OutputSink::~OutputSink() = default;

bool OutputSink::open()
{
    if (m_path.isEmpty()) {
        auto out = std::make_unique<QFile>();
        if (!out->open(stdout, QIODevice::WriteOnly)) {
            m_error = QStringLiteral("standard output: %1").arg(out->errorString());
            return false;
        }
        m_device = std::move(out);
        return true;
    }
    auto file = std::make_unique<QSaveFile>(m_path);
    if (!file->open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("%1: %2").arg(m_path, file->errorString());
        return false;
    }
    m_device = std::move(file);
    return true;
}

bool OutputSink::write(std::string &buf, bool force)
{
    if (!m_device || (!force && buf.size() < (1u << 20)))
        return m_error.isEmpty();
    if (!m_error.isEmpty())
        return false;
    if (!buf.empty() && m_device->write(buf.data(), qint64(buf.size())) != qint64(buf.size())) {
        m_error = QStringLiteral("%1: %2").arg(
            m_path.isEmpty() ? QStringLiteral("standard output") : m_path, m_device->errorString());
        buf.clear();
        return false;
    }
    buf.clear();
    return true;
}

bool OutputSink::commit()
{
    if (!m_device)
        return false;
    if (auto *file = qobject_cast<QSaveFile *>(m_device.get())) {
        if (!m_error.isEmpty()) {
            file->cancelWriting();
            file->commit();
            return false;
        }
        if (!file->commit()) {
            m_error = QStringLiteral("%1: %2").arg(m_path, file->errorString());
            return false;
        }
        return true;
    }
    if (!m_device->flush() && m_error.isEmpty())
        m_error = QStringLiteral("standard output: %1").arg(m_device->errorString());
    return m_error.isEmpty();
}
