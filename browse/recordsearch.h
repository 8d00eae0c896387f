#pragma once

#include "store/dbstatus.h"

#include "platform/textcodec.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class CatalogTable;
class DbfTable;
class InfoTexts;
class Progress;

// The search of the main window (F3 down, F4 up) over the whole catalogue, as far as it
// needs no window: the kinds of search text, the test of a record, the first match in the
// order in force across folders, and the walk of a folder search within its folder.
namespace search
{

// The prompt for a new search text; carriage returns break its lines.
QString prompt();

// The search text that an answer to the prompt makes: upper-cased as the table's codec
// does it. Empty for Esc and for an empty answer.
QString textOfAnswer(const QString &answer, const TextCodec &codec = TextCodec::windows1252());

// What a search text asks for, by its form.
enum class Kind {
    Folder, // ends with "\": a folder node of that name
    Tag, // exactly one character: records whose tags hold it
    Text, // NAME~NOTE~DATE~SIZE~long text contains it (searchInText 1)
    Record, // NAME~NOTE~DATE~SIZE contains it (searchInText 0)
};
Kind kindOf(const QString &searchText, bool searchInText);

// Status panel 0 after a record search found something: "Text:  " and the search text
// when the match lay in the long text, else the search text.
QString matchPanelText(const QString &searchText, bool inText);

// Folder search over the tree's nodes by absolute index: the first node after selected
// (down) or before it (up) whose text, upper-cased, equals the search text without its
// backslash. nodeText gives the text of the node at an index; -1 when none matches.
int findFolderNode(const std::function<QString(int index)> &nodeText, int nodeCount, int selected,
    const QString &searchText, bool down, const TextCodec &codec = TextCodec::windows1252());

// The walk of a folder search in the folder shown: while the table is at neither its
// beginning nor its end, it stops on a record whose DIR followed by "~" contains the
// search text followed by "~", else it steps in the search direction.
void walkToFolderName(DbfTable &table, const QString &searchText, bool down);

} // namespace search

// The test of one record against a search text, on the record's stored bytes (deletion
// flag first), as the search compares: every side upper-cased by the table's codec, plain
// containment, DATE in the form the grid shows it. A search text that the table's
// encoding cannot hold matches nothing. The long texts are Windows-1252 in any table: in a
// Unicode table they are turned into UTF-8 before they are searched.
class RecordMatcher
{
public:
    // kind Tag, Text or Record; the long texts (Text) are read below rootPath. table gives
    // the places of the fields in a record.
    RecordMatcher(const DbfTable &table, const QString &searchText, search::Kind kind,
        const QString &rootPath);
    ~RecordMatcher();
    RecordMatcher(const RecordMatcher &) = delete;
    RecordMatcher &operator=(const RecordMatcher &) = delete;

    bool matches(const char *rec);
    // Whether the long text of the record holds the search text by itself (Text only).
    bool textHolds(const char *rec);

private:
    // The joined text is built in m_joined; m_length bytes of it are in use.
    void reserve(int more);
    void appendMapped(const char *data, int n, const std::array<unsigned char, 256> &map);
    void appendText(const char *data, int n); // a piece of a long text
    void appendField(const char *rec, int offset, int width);
    void appendDate(const char *rec);
    void appendFields(const char *rec);
    void chooseAnchor();
    bool fieldsMayHold(const char *rec) const;
    QString textPathOf(const char *rec);
    bool textCompletes(const QString &path, int from);
    bool joinedHolds(int from) const;

    search::Kind m_kind;
    bool m_utf8 = false; // the table's texts are UTF-8
    QByteArray m_needle;
    bool m_never = false;
    bool m_needleHasLineBreak = false;
    // Offsets of the fields in a record (deletion flag included) and their widths; an
    // offset of 0 is a field the table lacks.
    int m_dir = 0, m_name = 0, m_date = 0, m_note = 0, m_code = 0, m_size = 0;
    int m_dirWidth = 0, m_nameWidth = 0, m_dateWidth = 0, m_noteWidth = 0, m_codeWidth = 0,
        m_sizeWidth = 0;
    std::array<unsigned char, 256> m_upper {};
    std::array<unsigned char, 256> m_upperText {};
    QHash<quint64, QByteArray> m_dates; // stored DATE bytes -> upper-cased display text
    // The bytes of which a record must hold one for its fields to hold the search text,
    // and the stretch of the record where they are looked for; none: every record.
    QByteArray m_anchors;
    int m_spanFrom = 0;
    int m_spanLength = 0;
    QByteArray m_joined;
    int m_length = 0;
    QByteArray m_normalised;
    QByteArray m_piece; // of a long text
    std::unique_ptr<InfoTexts> m_texts;
};

// Where a record search ends: the record found, none when recno is 0.
struct SearchHit {
    quint32 recno = 0;
    QByteArray record; // its bytes, deletion flag first
};

// The first record that the matcher accepts after the current record (down) or before it
// (up) in the order in force, over the whole table, as a walk from the current record
// through the order would meet it (equal keys in record-number order); records that the
// filter hides are not seen. The current record itself is not tested. With no current
// record (the folder shown is empty) the search starts at the place that folder takes in
// the order: downwards from the first record after it, upwards from the last one before
// it. Neither the table's record nor its range changes; a pending edit is written first.
// progress, when given, hears the records read of all and may stop the search (Cancelled,
// nothing found).
DbStatus findNextMatch(CatalogTable &table, RecordMatcher &matcher, bool down, SearchHit &hit,
    Progress *progress = nullptr);
