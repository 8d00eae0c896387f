#pragma once

#include "dbftable.h"
#include "dbstatus.h"

#include "platform/textcodec.h"

#include <QByteArray>

#include <vector>

// A tag's key expression, parsed once against the table's fields and then evaluated over
// the stored bytes of records. The language: field names, string constants in quotes,
// + (concatenation), UPPER(s), SUBSTR(s, start[, count]) and DTOS(d). Every value has a
// fixed width, so the key length is known from the fields alone and evaluation is a fixed
// list of byte copies.
class KeyExpr
{
public:
    static constexpr int kMaxKeyLength = 100;

    // BadExpression for anything outside the language or a field that does not exist,
    // KeyTooLong when the result is longer than kMaxKeyLength.
    DbStatus parse(const QByteArray &text, const std::vector<DbfField> &fields);

    const QByteArray &text() const { return m_text; }
    int length() const { return m_length; }

    // The encoding of the table's texts, which UPPER follows; Windows-1252 unless set.
    void setCodec(const TextCodec &codec) { m_codec = &codec; }

    // rec is a whole record (deletion flag first); out receives length() bytes.
    void evaluate(const char *rec, char *out) const;
    // Whether key (length() bytes) is what evaluate() gives for rec, without writing it.
    bool matches(const char *rec, const char *key) const;

    // The same expression for storing and comparing: upper case, without blanks outside
    // string constants.
    static QByteArray normalized(const QByteArray &text);

    // How many leading bytes every one of the expressions takes from the same bytes of a
    // record in the same way (the catalogue's four all begin with DIR): over one record,
    // their keys begin alike for that long. 0 when they begin differently.
    static int sharedLead(const std::vector<const KeyExpr *> &exprs);

private:
    struct Piece {
        int source = 0; // record offset, or offset into m_constants when constant
        int length = 0;
        // The whole text the piece is taken from (a field, a constant), in the same
        // terms: a character that SUBSTR cuts is upper-cased whole.
        int textBegin = 0;
        int textEnd = 0;
        bool constant = false;
        bool upper = false;
    };
    friend struct KeyExprParser;
    friend struct KeyExprValue;

    QByteArray m_text;
    QByteArray m_constants;
    std::vector<Piece> m_pieces;
    int m_length = 0;
    const TextCodec *m_codec = &TextCodec::windows1252();
};
