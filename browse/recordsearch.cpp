#include "recordsearch.h"

#include "browse/infotexts.h"
#include "dialogs/regional.h"
#include "dialogs/shareddialog.h"
#include "platform/codepage.h"
#include "platform/filecontent.h"
#include "scan/textfile.h"
#include "store/catalogtable.h"
#include "store/dbffile.h"
#include "store/keyexpr.h"

#include <algorithm>
#include <cstring>

#include <QCoreApplication>

namespace search
{

QString prompt()
{
    return QCoreApplication::translate("Browse",
        "Search for a word or a part of it ?\r"
        "\\  on the end searches folder and\r"
        "one character only searches tags.\r"
        "\r"
        "Esc clears the current search string ...");
}

QString textOfAnswer(const QString &answer, const TextCodec &codec)
{
    return isEscAnswer(answer) ? QString() : codec.upperText(answer);
}

Kind kindOf(const QString &searchText, bool searchInText)
{
    if (searchText.endsWith(QLatin1Char('\\')))
        return Kind::Folder;
    if (searchText.size() == 1)
        return Kind::Tag;
    return searchInText ? Kind::Text : Kind::Record;
}

QString matchPanelText(const QString &searchText, bool inText)
{
    return inText ? QCoreApplication::translate("Browse", "Text:  ") + searchText : searchText;
}

int findFolderNode(const std::function<QString(int index)> &nodeText, int nodeCount, int selected,
    const QString &searchText, bool down, const TextCodec &codec)
{
    const QString name = searchText.left(searchText.size() - 1);
    const int step = down ? 1 : -1;
    for (int i = selected + step; i >= 0 && i < nodeCount; i += step)
        if (codec.upperText(nodeText(i)) == name)
            return i;
    return -1;
}

void walkToFolderName(DbfTable &table, const QString &searchText, bool down)
{
    const QByteArray wanted = table.codec().fromUnicode(searchText) + '~';
    while (!table.bof() && !table.eof()) {
        if ((table.fieldBytes(CatalogTable::DIR) + '~').contains(wanted))
            return;
        if (!(down ? table.next() : table.prior()))
            return;
    }
}

} // namespace search

RecordMatcher::RecordMatcher(
    const DbfTable &table, const QString &searchText, search::Kind kind, const QString &rootPath)
    : m_kind(kind)
    , m_utf8(table.codec().isUtf8())
{
    bool ok = true;
    m_needle = table.codec().fromUnicode(searchText, &ok);
    // A tag is one byte; a character of more finds none.
    m_never = !ok || m_needle.isEmpty() || (m_kind == search::Kind::Tag && m_needle.size() != 1);
    m_needleHasLineBreak = m_needle.contains('\r') || m_needle.contains('\n');
    for (int c = 0; c < 256; ++c) {
        // In UTF-8 only ASCII bytes are upper-cased one by one; the others by whole
        // characters (appendField).
        const bool byByte = !m_utf8 || c < 0x80;
        m_upper[size_t(c)] = byByte ? codepage::upper(static_cast<unsigned char>(c)) : c;
        m_upperText[size_t(c)] = codepage::upper(static_cast<unsigned char>(c));
    }
    // The text pane shows a no-break space as a plain blank.
    m_upperText[0xA0] = ' ';
    const auto &fields = table.fields();
    const auto place = [&](CatalogTable::Field f, int &offset, int &width) {
        if (size_t(f) < fields.size()) {
            offset = fields[size_t(f)].offset + 1;
            width = fields[size_t(f)].width;
        }
    };
    place(CatalogTable::DIR, m_dir, m_dirWidth);
    place(CatalogTable::NAME, m_name, m_nameWidth);
    place(CatalogTable::DATE, m_date, m_dateWidth);
    place(CatalogTable::NOTE, m_note, m_noteWidth);
    place(CatalogTable::CODE, m_code, m_codeWidth);
    place(CatalogTable::SIZE, m_size, m_sizeWidth);
    if (m_kind == search::Kind::Text)
        m_texts = std::make_unique<InfoTexts>(rootPath, table.codec());
    m_joined.resize(1024);
    chooseAnchor();
}

// Most records hold nothing like the search text. One of its characters, in every case
// that upper-cases to it, is looked for in the stored record first: only records that
// hold it are joined and searched. The character must be one that the joined text can
// only take from NAME, NOTE or SIZE: not "~", and neither a digit nor ".", which the date
// shows in another form than it is stored in. The rarer the character, the more records
// this passes over.
void RecordMatcher::chooseAnchor()
{
    static const char kCommonFirst[] = "ETAOINSRHLDCUMFPGWYBVKXJQZ";
    if (m_never || m_kind == search::Kind::Tag || m_name == 0 || m_note == 0 || m_size == 0)
        return;
    int best = -1;
    int bestRank = -1;
    for (char c : m_needle) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '~' || c == '.' || c == ' ' || (c >= '0' && c <= '9') || c == '\r' || c == '\n')
            continue;
        // A byte of a UTF-8 character does not say which bytes upper-case to it.
        if (m_utf8 && u >= 0x80)
            continue;
        const char *common = std::strchr(kCommonFirst, c);
        // Other characters (punctuation, accented letters) are rarer than any letter.
        const int rank = common && c ? int(common - kCommonFirst) : 100;
        if (rank > bestRank) {
            bestRank = rank;
            best = u;
        }
    }
    if (best < 0)
        return;
    for (int b = 1; b < (m_utf8 ? 0x80 : 256); ++b)
        if (m_upper[size_t(b)] == best)
            m_anchors += char(b);
    const int from = std::min({ m_name, m_note, m_size });
    const int to = std::max({ m_name + m_nameWidth, m_note + m_noteWidth, m_size + m_sizeWidth });
    m_spanFrom = from;
    m_spanLength = to - from;
}

RecordMatcher::~RecordMatcher() = default;

void RecordMatcher::reserve(int more)
{
    if (m_length + more > m_joined.size())
        m_joined.resize(std::max<qsizetype>(m_joined.size() * 2, m_length + more));
}

void RecordMatcher::appendMapped(const char *data, int n, const std::array<unsigned char, 256> &map)
{
    reserve(n);
    char *out = m_joined.data() + m_length;
    for (int i = 0; i < n; ++i)
        out[i] = char(map[static_cast<unsigned char>(data[i])]);
    m_length += n;
}

// A field as the grid shows it: without its padding.
void RecordMatcher::appendField(const char *rec, int offset, int width)
{
    if (offset <= 0)
        return;
    const int n = dbf::trimmedLength(rec + offset, width);
    if (!m_utf8) {
        appendMapped(rec + offset, n, m_upper);
        return;
    }
    reserve(n);
    char *out = m_joined.data() + m_length;
    std::memcpy(out, rec + offset, size_t(n));
    utf8text::upperInPlace(out, n);
    m_length += n;
}

// A piece of a long text (Windows-1252), upper-cased; in a Unicode table in UTF-8, as the
// fields are. The text pane shows a no-break space as a plain blank.
void RecordMatcher::appendText(const char *data, int n)
{
    if (!m_utf8) {
        appendMapped(data, n, m_upperText);
        return;
    }
    QString text = codepage::toUnicode(data, n);
    text.replace(QChar(0xA0), QLatin1Char(' '));
    const QByteArray bytes = text.toUtf8();
    reserve(int(bytes.size()));
    char *out = m_joined.data() + m_length;
    std::memcpy(out, bytes.constData(), size_t(bytes.size()));
    utf8text::upperInPlace(out, int(bytes.size()));
    m_length += int(bytes.size());
}

// DATE as the grid shows it, in the program's short date layout; empty when the field
// holds no valid day. Most records share a few days, so each form is made once.
void RecordMatcher::appendDate(const char *rec)
{
    if (m_date == 0)
        return;
    const int width = std::min(m_dateWidth, 8);
    quint64 raw = 0;
    std::memcpy(&raw, rec + m_date, size_t(width));
    auto shown = m_dates.constFind(raw);
    if (shown == m_dates.constEnd()) {
        const QByteArray stored(rec + m_date, dbf::trimmedLength(rec + m_date, m_dateWidth));
        const QDate day
            = QDate::fromString(codepage::toUnicode(stored), QStringLiteral("yyyyMMdd"));
        const TextCodec &codec = m_utf8 ? TextCodec::utf8() : TextCodec::windows1252();
        const QByteArray text = day.isValid()
            ? codec.upper(codec.fromUnicode(regional::formatDate(day)))
            : QByteArray();
        shown = m_dates.insert(raw, text);
    }
    reserve(int(shown->size()));
    std::memcpy(m_joined.data() + m_length, shown->constData(), size_t(shown->size()));
    m_length += int(shown->size());
}

QString RecordMatcher::textPathOf(const char *rec)
{
    return m_texts->pathOf(
        QByteArray::fromRawData(rec + m_dir, dbf::trimmedLength(rec + m_dir, m_dirWidth)),
        QByteArray::fromRawData(rec + m_name, dbf::trimmedLength(rec + m_name, m_nameWidth)));
}

// The text is read in pieces after what m_joined holds, and searched from offset from on:
// only the last bytes of one piece, too few for a match by themselves, are kept for the
// next, so a text of any size is searched through a few megabytes of memory and a match
// across the end of a piece is found as well. A text that cannot be read holds nothing.
bool RecordMatcher::textCompletes(const QString &path, int from)
{
    const int keep = int(m_needle.size()) - 1;
    bool found = false;
    textfile::LineEndJoiner joiner;
    const auto search = [&](const char *data, qint64 size) {
        appendText(data, int(size));
        found = joinedHolds(from);
        const int tail = std::min(m_length, keep);
        std::memmove(m_joined.data(), m_joined.constData() + m_length - tail, size_t(tail));
        m_length = tail;
        from = 0;
        return !found;
    };
    filecontent::readPieces(path, InfoTexts::kPiece, m_piece, [&](const char *data, qint64 size) {
        if (!m_needleHasLineBreak)
            return search(data, size);
        // The pane holds the lines joined by one line break, without one after the last:
        // only a search text with a line break can tell.
        m_normalised.clear();
        joiner.add(data, size, m_normalised);
        return search(m_normalised.constData(), m_normalised.size());
    });
    if (!found && m_needleHasLineBreak) {
        m_normalised.clear();
        joiner.finish(m_normalised);
        search(m_normalised.constData(), m_normalised.size());
    }
    return found;
}

bool RecordMatcher::joinedHolds(int from) const
{
    if (m_length - from < m_needle.size())
        return false;
    return memmem(m_joined.constData() + from, size_t(m_length - from), m_needle.constData(),
               size_t(m_needle.size()))
        != nullptr;
}

void RecordMatcher::appendFields(const char *rec)
{
    m_length = 0;
    appendField(rec, m_name, m_nameWidth);
    appendMapped("~", 1, m_upper);
    appendField(rec, m_note, m_noteWidth);
    appendMapped("~", 1, m_upper);
    appendDate(rec);
    appendMapped("~", 1, m_upper);
    appendField(rec, m_size, m_sizeWidth);
}

bool RecordMatcher::fieldsMayHold(const char *rec) const
{
    if (m_anchors.isEmpty())
        return true;
    for (char c : m_anchors)
        if (std::memchr(rec + m_spanFrom, c, size_t(m_spanLength)))
            return true;
    return false;
}

bool RecordMatcher::matches(const char *rec)
{
    if (m_never)
        return false;
    if (m_kind == search::Kind::Tag) {
        if (m_code == 0)
            return false;
        const char *code = rec + m_code;
        const int n = dbf::trimmedLength(code, m_codeWidth);
        for (int i = 0; i < n; ++i)
            if (m_upper[static_cast<unsigned char>(code[i])]
                == static_cast<unsigned char>(m_needle[0]))
                return true;
        return false;
    }
    const bool inFields = fieldsMayHold(rec);
    if (m_kind != search::Kind::Text) {
        if (!inFields)
            return false;
        appendFields(rec);
        return joinedHolds(0);
    }
    // The long text follows after one more "~", also when there is none. It is read only
    // when the fields do not hold the search text.
    const QString path = textPathOf(rec);
    if (!inFields && path.isEmpty())
        return false;
    appendFields(rec);
    appendMapped("~", 1, m_upper);
    const int fields = m_length;
    if (inFields && joinedHolds(0))
        return true;
    if (path.isEmpty())
        return false;
    // Only a match that reaches into the text is left to find.
    return textCompletes(path, std::max(0, fields - int(m_needle.size()) + 1));
}

bool RecordMatcher::textHolds(const char *rec)
{
    if (m_never || m_kind != search::Kind::Text)
        return false;
    m_length = 0;
    const QString path = textPathOf(rec);
    return !path.isEmpty() && textCompletes(path, 0);
}

namespace
{

// The key of a record in the order in force, as the index holds it; the physical order
// has none (record numbers alone then).
class OrderKey
{
public:
    explicit OrderKey(const DbfTable &table)
    {
        const QByteArray order = table.order();
        m_expr.setCodec(table.codec());
        for (const DbfTagDef &tag : CatalogTable::tags())
            if (!order.isEmpty() && tag.name == order
                && m_expr.parse(tag.expression, table.fields()))
                m_length = m_expr.length();
    }
    int length() const { return m_length; }
    void evaluate(const char *rec, char *out) const
    {
        if (m_length > 0)
            m_expr.evaluate(rec, out);
    }
    // Keys byte by byte as unsigned values, equal keys by record number.
    int compare(const char *a, quint32 ra, const char *b, quint32 rb) const
    {
        const int c = m_length > 0 ? std::memcmp(a, b, size_t(m_length)) : 0;
        if (c != 0)
            return c < 0 ? -1 : 1;
        return ra < rb ? -1 : (ra > rb ? 1 : 0);
    }

private:
    KeyExpr m_expr;
    int m_length = 0;
};

} // namespace

DbStatus findNextMatch(
    CatalogTable &table, RecordMatcher &matcher, bool down, SearchHit &hit, Progress *progress)
{
    hit = SearchHit();
    DbfTable &t = table.table();
    if (t.state() != DbfTable::State::Browse)
        if (DbStatus st = t.post(); !st)
            return st;
    const OrderKey order(t);
    const int length = order.length();
    // Where the walk would start: the current record, or the place of the empty folder
    // shown (its key padded as the range's low key is), before every record of it.
    QByteArray start(length, ' ');
    quint32 startRecno = 0;
    if (t.recNo() > 0) {
        order.evaluate(t.recordData(), start.data());
        startRecno = quint32(t.recNo());
    } else {
        const QByteArray folder = table.folderKey(table.currentFolder());
        std::memcpy(
            start.data(), folder.constData(), size_t(std::min<qsizetype>(length, folder.size())));
    }
    // The walk meets the nearest match beyond the start in its direction first. Scanning
    // the file in physical order finds it without reading the records in key order, which
    // in a large catalogue means a request to the system per record.
    QByteArray key(std::max(length, 1), '\0');
    QByteArray best(std::max(length, 1), '\0');
    const int recordLength = t.recordLength();
    const auto beyondStart = [&](quint32 recno) {
        const int c = order.compare(key.constData(), recno, start.constData(), startRecno);
        return down ? c > 0 : c < 0;
    };
    const auto nearer = [&](quint32 recno) {
        if (hit.recno == 0)
            return true;
        const int c = order.compare(key.constData(), recno, best.constData(), hit.recno);
        return down ? c < 0 : c > 0;
    };
    const DbStatus st = t.scanVisible(
        [&](quint32 recno, const char *rec) {
            // Once something is found, the key decides first: most records lie farther away.
            if (hit.recno != 0) {
                order.evaluate(rec, key.data());
                if (!beyondStart(recno) || !nearer(recno) || !matcher.matches(rec))
                    return;
            } else {
                if (!matcher.matches(rec))
                    return;
                order.evaluate(rec, key.data());
                if (!beyondStart(recno))
                    return;
            }
            std::swap(best, key);
            hit.recno = recno;
            hit.record = QByteArray(rec, recordLength);
        },
        progress);
    if (!st)
        hit = SearchHit();
    return st;
}
