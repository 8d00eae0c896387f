#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <vector>

// The outcome of saving a profile file.
class ProfileStatus
{
public:
    enum Code {
        Ok = 0,
        WriteRefused, // the file could not be replaced; it is unchanged on disk
        Unreadable, // the file exists but could not be read
    };

    ProfileStatus() = default;
    ProfileStatus(Code code, QString message, QString detail = QString())
        : m_code(code)
        , m_message(std::move(message))
        , m_detail(std::move(detail))
    {
    }

    bool isOk() const { return m_code == Ok; }
    Code code() const { return m_code; }
    // "Unable to write to <file>" or "Unable to read <file>", the text the user is shown.
    const QString &message() const { return m_message; }
    // The system's reason, for logs; not shown to the user.
    const QString &detail() const { return m_detail; }

private:
    Code m_code = Ok;
    QString m_message;
    QString m_detail;
};

// A settings file in the Windows profile format (Windows-1252 text): "[Section]" lines
// open sections, "key=value" lines follow. Section and key names are matched without
// regard to letter case (first matching section, first matching key within it); blanks
// around names and values are dropped when reading. Lines of any other shape, comments
// and lines before the first section are kept as they are and never matched.
//
// The object reads the file once when constructed and keeps it in memory; writes change
// the memory copy exactly as the same writes, made one by one on the file, would change
// the file: a write replaces the key's value where it stands, or adds the key after the
// last non-blank line of its section, or adds the section with the key at the end. save()
// then replaces the file in one atomic step (CR LF line ends), so that a failed save
// leaves the previous file complete.
//
// A file that exists but cannot be read (no permission, not a regular file, larger than
// MaxFileSize or with more than MaxLines lines) reads as empty, and save() refuses to replace it,
// so that what could not be read is never overwritten.
class Profile
{
public:
    enum class LoadState { Missing, Loaded, Unreadable };

    static constexpr int MaxTextLength = 2047;
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
    static constexpr int MaxLines = 1000000;

    explicit Profile(const QString &path);

    const QString &path() const { return m_path; }
    LoadState loadState() const { return m_state; }
    // Unreadable with "Unable to read <path>" when the file exists but could not be read;
    // Ok otherwise (a missing file is simply empty).
    ProfileStatus loadStatus() const;

    bool contains(const QString &section, const QString &key) const;
    // Text values are cut to MaxTextLength characters.
    QString readText(const QString &section, const QString &key, const QString &fallback) const;
    // See profilevalue::parseInteger; a value that is not a number gives fallback.
    qint32 readInteger(const QString &section, const QString &key, qint32 fallback) const;
    bool readBool(const QString &section, const QString &key, bool fallback) const;
    // A colour name, a decimal number or "$" and hexadecimal digits; anything else gives
    // fallback.
    quint32 readColor(const QString &section, const QString &key, quint32 fallback) const;

    // Line breaks and NUL characters in a value are written as blanks, so that a value
    // can never add lines (keys, sections) of its own. Characters outside Windows-1252
    // are written as "?".
    void writeText(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, qint32 value);
    void writeBool(const QString &section, const QString &key, bool value);
    void writeColor(const QString &section, const QString &key, quint32 color);

    // True when writes changed the content since the file was read or last saved.
    bool isModified() const { return m_modified; }
    // Writes the file when it was modified (and only then). On failure the status is
    // WriteRefused with "Unable to write to <path>", the file on disk is unchanged, and
    // the object keeps its changes, so that a later save may still succeed.
    ProfileStatus save();
    // The bytes save() writes.
    QByteArray toBytes() const;

private:
    enum class Kind : quint8 { Other, Section, Entry };
    struct Line {
        int start = 0; // offset of the line in its buffer
        int length = 0;
        int mark = 0; // offset within the line of ']' (section) or '=' (entry)
        int buffer = -1; // -1: the file's bytes; otherwise an index into m_added
        Kind kind = Kind::Other;
    };
    struct Place {
        int section = -1; // line of the section header, -1 when there is none
        int key = -1; // line of the key, -1 when the section lacks it
        int insertAfter = -1; // last non-blank line of the section
    };

    void load();
    void parse();
    Line classify(int buffer, int start, int length) const;
    const char *data(const Line &line) const;
    Place locate(const QByteArray &section, const QByteArray &key) const;
    bool findValue(const QString &section, const QString &key, QByteArray *value) const;
    void writeRaw(const QString &section, const QString &key, const QByteArray &value);
    int addLine(const QByteArray &bytes);

    QString m_path;
    LoadState m_state = LoadState::Missing;
    QByteArray m_file;
    QByteArrayList m_added;
    std::vector<Line> m_lines;
    bool m_modified = false;
};
