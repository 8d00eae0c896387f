#include "keyexpr.h"

#include "platform/codepage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

#include <QCoreApplication>

namespace
{

const std::array<unsigned char, 256> &upperTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t {};
        for (int i = 0; i < 256; ++i)
            t[size_t(i)] = codepage::upper(static_cast<unsigned char>(i));
        return t;
    }();
    return table;
}

constexpr int kMaxDepth = 32;

} // namespace

// A value while parsing: its pieces and whether it is a date.
struct KeyExprValue {
    std::vector<KeyExpr::Piece> pieces;
    bool date = false;
    int length() const
    {
        int n = 0;
        for (const auto &p : pieces)
            n += p.length;
        return n;
    }
};

struct KeyExprParser {
    const QByteArray &text;
    const std::vector<DbfField> &fields;
    KeyExpr &out;
    int pos = 0;
    QString error;

    void skipBlanks()
    {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
    }
    bool accept(char c)
    {
        skipBlanks();
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    bool fail(const QString &why)
    {
        if (error.isEmpty())
            error = why;
        return false;
    }
    QByteArray identifier()
    {
        skipBlanks();
        const int start = pos;
        while (pos < text.size()
            && (std::isalnum(static_cast<unsigned char>(text[pos])) || text[pos] == '_'))
            ++pos;
        return text.mid(start, pos - start).toUpper();
    }
    bool number(int &v)
    {
        skipBlanks();
        const int start = pos;
        v = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && v < 100000)
            v = v * 10 + (text[pos++] - '0');
        return pos > start
            || fail(QCoreApplication::translate("Store", "a number is missing at position %1")
                        .arg(pos + 1));
    }

    bool expression(KeyExprValue &v, int depth)
    {
        if (depth > kMaxDepth)
            return fail(QCoreApplication::translate("Store", "it is nested too deeply"));
        if (!term(v, depth))
            return false;
        while (accept('+')) {
            KeyExprValue right;
            if (!term(right, depth))
                return false;
            if (v.date || right.date)
                return fail(QCoreApplication::translate(
                    "Store", "dates cannot be joined with +; use DTOS"));
            v.pieces.insert(v.pieces.end(), right.pieces.begin(), right.pieces.end());
        }
        return true;
    }

    bool term(KeyExprValue &v, int depth)
    {
        skipBlanks();
        if (pos >= text.size())
            return fail(QCoreApplication::translate("Store", "it ends too early"));
        const char c = text[pos];
        if (c == '"' || c == '\'')
            return constant(v, c);
        if (accept('(')) {
            if (!expression(v, depth + 1))
                return false;
            return accept(')')
                || fail(QCoreApplication::translate("Store", "a ) is missing at position %1")
                            .arg(pos + 1));
        }
        const QByteArray name = identifier();
        if (name.isEmpty())
            return fail(QCoreApplication::translate("Store", "unexpected '%1' at position %2")
                            .arg(QString::fromLatin1(&c, 1))
                            .arg(pos + 1));
        if (accept('('))
            return function(name, v, depth);
        return field(name, v);
    }

    bool constant(KeyExprValue &v, char quote)
    {
        const int end = text.indexOf(quote, pos + 1);
        if (end < 0)
            return fail(QCoreApplication::translate("Store", "a string constant is not closed"));
        KeyExpr::Piece p;
        p.constant = true;
        p.source = int(out.m_constants.size());
        p.length = end - pos - 1;
        p.textBegin = p.source;
        p.textEnd = p.source + p.length;
        out.m_constants.append(text.constData() + pos + 1, p.length);
        pos = end + 1;
        if (p.length > 0)
            v.pieces.push_back(p);
        return true;
    }

    bool field(const QByteArray &name, KeyExprValue &v)
    {
        for (const DbfField &f : fields) {
            if (f.name.toUpper() == name) {
                KeyExpr::Piece p;
                p.source = 1 + f.offset;
                p.length = f.width;
                p.textBegin = p.source;
                p.textEnd = p.source + p.length;
                v.pieces.push_back(p);
                v.date = f.type == 'D';
                return true;
            }
        }
        return fail(QCoreApplication::translate("Store", "there is no field %1")
                        .arg(QString::fromLatin1(name)));
    }

    bool function(const QByteArray &name, KeyExprValue &v, int depth)
    {
        if (!expression(v, depth + 1))
            return false;
        if (name == "UPPER") {
            if (v.date)
                return fail(QCoreApplication::translate("Store", "UPPER needs a text"));
            for (auto &p : v.pieces)
                p.upper = true;
        } else if (name == "DTOS") {
            if (!v.date)
                return fail(QCoreApplication::translate("Store", "DTOS needs a date field"));
            v.date = false; // the stored digits are already the DTOS form
        } else if (name == "SUBSTR") {
            if (!substr(v))
                return false;
        } else {
            return fail(QCoreApplication::translate("Store", "the function %1 is not supported")
                            .arg(QString::fromLatin1(name)));
        }
        return accept(')')
            || fail(
                QCoreApplication::translate("Store", "a ) is missing at position %1").arg(pos + 1));
    }

    bool substr(KeyExprValue &v)
    {
        if (v.date)
            return fail(QCoreApplication::translate("Store", "SUBSTR needs a text"));
        int start = 0;
        if (!accept(',') || !number(start))
            return fail(QCoreApplication::translate("Store", "SUBSTR needs a start position"));
        const int total = v.length();
        int count = total - start + 1;
        if (accept(',') && !number(count))
            return false;
        if (start < 1)
            return fail(QCoreApplication::translate("Store", "SUBSTR positions count from 1"));
        if (count < 0 || start - 1 + count > total) {
            v.pieces.clear(); // past the end of the text: the empty text
            return true;
        }
        std::vector<KeyExpr::Piece> cut;
        int at = 0;
        const int from = start - 1, to = start - 1 + count;
        for (const KeyExpr::Piece &whole : v.pieces) {
            const int lo = std::max(at, from), hi = std::min(at + whole.length, to);
            if (lo < hi) {
                KeyExpr::Piece p = whole;
                p.source += lo - at;
                p.length = hi - lo;
                cut.push_back(p);
            }
            at += whole.length;
        }
        v.pieces.swap(cut);
        return true;
    }
};

DbStatus KeyExpr::parse(const QByteArray &text, const std::vector<DbfField> &fields)
{
    const TextCodec *codec = m_codec;
    *this = KeyExpr();
    m_codec = codec;
    m_text = text;
    KeyExprParser parser { text, fields, *this, 0, {} };
    KeyExprValue value;
    bool ok = parser.expression(value, 0);
    parser.skipBlanks();
    if (ok && parser.pos != text.size())
        ok = parser.fail(QCoreApplication::translate("Store", "unexpected text at position %1")
                             .arg(parser.pos + 1));
    if (ok && value.date)
        ok = parser.fail(
            QCoreApplication::translate("Store", "a key must be a text; use DTOS for dates"));
    if (!ok)
        return { DbStatus::BadExpression,
            QCoreApplication::translate("Store", "Index expression \"%1\" cannot be evaluated: %2.")
                .arg(QString::fromLatin1(text), parser.error) };
    // Neighbouring copies of the same kind become one.
    for (const Piece &p : value.pieces) {
        if (!m_pieces.empty()) {
            Piece &last = m_pieces.back();
            if (last.constant == p.constant && last.upper == p.upper
                && last.source + last.length == p.source) {
                last.length += p.length;
                last.textBegin = std::min(last.textBegin, p.textBegin);
                last.textEnd = std::max(last.textEnd, p.textEnd);
                continue;
            }
        }
        m_pieces.push_back(p);
    }
    m_length = value.length();
    if (m_length > kMaxKeyLength)
        return { DbStatus::KeyTooLong,
            QCoreApplication::translate(
                "Store", "Index result for \"%1\" too long, >100 characters (%2).")
                .arg(QString::fromLatin1(text))
                .arg(m_length) };
    if (m_length == 0)
        return { DbStatus::BadExpression,
            QCoreApplication::translate("Store",
                "Index expression \"%1\" cannot be evaluated: its result is "
                "empty.")
                .arg(QString::fromLatin1(text)) };
    return {};
}

void KeyExpr::evaluate(const char *rec, char *out) const
{
    const auto &upper = upperTable();
    for (const Piece &p : m_pieces) {
        const char *base = p.constant ? m_constants.constData() : rec;
        const char *src = base + p.source;
        if (p.upper && m_codec->isUtf8()) {
            m_codec->upperSpan(base + p.textBegin, base + p.textEnd, src, p.length, out);
        } else if (p.upper) {
            for (int i = 0; i < p.length; ++i)
                out[i] = char(upper[static_cast<unsigned char>(src[i])]);
        } else {
            std::memcpy(out, src, size_t(p.length));
        }
        out += p.length;
    }
}

bool KeyExpr::matches(const char *rec, const char *key) const
{
    if (m_codec->isUtf8()) {
        char own[kMaxKeyLength];
        evaluate(rec, own);
        return std::memcmp(own, key, size_t(m_length)) == 0;
    }
    const auto &upper = upperTable();
    for (const Piece &p : m_pieces) {
        const char *src = p.constant ? m_constants.constData() + p.source : rec + p.source;
        if (p.upper) {
            for (int i = 0; i < p.length; ++i)
                if (key[i] != char(upper[static_cast<unsigned char>(src[i])]))
                    return false;
        } else if (std::memcmp(key, src, size_t(p.length)) != 0) {
            return false;
        }
        key += p.length;
    }
    return true;
}

int KeyExpr::sharedLead(const std::vector<const KeyExpr *> &exprs)
{
    if (exprs.empty())
        return 0;
    int lead = 0;
    for (size_t i = 0;; ++i) {
        const std::vector<Piece> &first = exprs[0]->m_pieces;
        if (i >= first.size() || first[i].constant)
            return lead;
        for (const KeyExpr *e : exprs) {
            const std::vector<Piece> &pieces = e->m_pieces;
            if (i >= pieces.size() || pieces[i].constant || pieces[i].source != first[i].source
                || pieces[i].length != first[i].length || pieces[i].upper != first[i].upper)
                return lead;
        }
        lead += first[i].length;
    }
}

QByteArray KeyExpr::normalized(const QByteArray &text)
{
    QByteArray out;
    char quote = 0;
    for (char c : text) {
        if (quote) {
            out.append(c);
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
            out.append(c);
        } else if (c != ' ' && c != '\t') {
            out.append(char(std::toupper(static_cast<unsigned char>(c))));
        }
    }
    return out;
}
