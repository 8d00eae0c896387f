#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Why an entry of a folder that the update meets gets no record (or, for a folder, no node).
// The first two values are no skips: catalogued entries, and the entries that are never
// catalogued by rule and are not reported (names beginning with ".", names without an
// extension, info files, "!Tabulon.!", Descript.ion, links to folders). Every later value is
// a skip: the entry would be catalogued, but the catalogue cannot hold it, and the update
// counts and reports it. New reasons go at the end, with their text in skipReasonText().
enum class SkipReason : quint8 {
    None,
    ByRule,
    NotUtf8, // the name's bytes are no UTF-8 text
    ControlCharacter, // a newline, a tab or another control character
    Backslash, // it would split the name in the catalogue's paths
    OutsideCodePage, // a character Windows-1252 cannot write
    NameTooLong, // more than NAME's 80 characters
    TrailingBlank, // NAME would lose it: the name would stand for another file
    DanglingLink, // a link that leads nowhere
    SpecialFile, // a pipe, socket or device (or a link to one)
    PathTooLong, // a folder whose path is longer than DIR's 80 characters
    NameTooLongInBytes, // in a Unicode catalogue: more than NAME's 80 bytes of UTF-8
    PathTooLongInBytes, // in a Unicode catalogue: a path longer than DIR's 80 bytes
    CaseTwin, // another entry of its folder has the same name but for letter case
};

inline bool isReported(SkipReason reason)
{
    return reason > SkipReason::ByRule;
}

// The reason as the user reads it after the entry's name ("its name holds a backslash").
// For CaseTwin, twinName is the raw name of the entry that the catalogue holds instead.
QString skipReasonText(SkipReason reason, const QByteArray &twinName = QByteArray());

// A name as raw bytes in a form safe to show on one line of a terminal or a dialog:
// valid UTF-8 stays as it is except for control characters, written as \n, \t, \r or
// \xNN, and the backslash, written doubled; bytes that are no UTF-8 become \xNN.
QString printableName(const QByteArray &raw);

// One entry the update left out for a reason it reports.
struct SkippedEntry {
    SkippedEntry() = default;
    SkippedEntry(QString inFolder, QByteArray raw, bool folderEntry, SkipReason why,
        QByteArray twin = QByteArray())
        : folder(std::move(inFolder))
        , rawName(std::move(raw))
        , isFolder(folderEntry)
        , reason(why)
        , twinName(std::move(twin))
    {
    }

    QString folder; // absolute native path of the folder that holds it (decoded: its
                    // names were all cataloguable, or it would not have been walked)
    QByteArray rawName; // the entry's name as the file system returned it
    bool isFolder = false;
    SkipReason reason = SkipReason::None;
    QByteArray twinName; // CaseTwin: the raw name of the entry catalogued instead

    // "File  '/root/A/x\ny.txt'  cannot be catalogued: its name holds a control character"
    QString message() const;
};

// The entries one run skipped: all counted, the first MaxKept kept for the report.
class SkippedEntries
{
public:
    void add(SkippedEntry entry);
    void add(const SkippedEntries &others);
    void add(std::vector<SkippedEntry> &&entries);
    bool isEmpty() const { return m_count == 0; }
    int count() const { return m_count; }
    const std::vector<SkippedEntry> &kept() const { return m_kept; }
    static constexpr int MaxKept = 1000;

    // What the program tells the user: the count, the first few entries one a line, and
    // how many more there are. Empty when nothing was skipped.
    QString message(int listed = 10) const;

private:
    std::vector<SkippedEntry> m_kept;
    int m_count = 0;
};
