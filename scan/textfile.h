#pragma once

#include "platform/replacementfile.h"
#include "store/dbstatus.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

// Reading and writing the small 8-bit text files kept beside the catalogued files.
namespace textfile
{

// Splits bytes into lines: CR LF, a lone LF and a lone CR each end a line. A final line
// end does not start another line, so "a\r\n" is one line and an empty text none.
QList<QByteArray> splitLines(const QByteArray &bytes);

// The text of a file as the text pane shows it, made piece by piece: every line end (CR
// LF, a lone LF, a lone CR) becomes one LF, and the text's last line end is dropped, as
// splitLines() and a join by LF make it. Line ends are held back until text follows, so a
// piece may end anywhere, even between CR and LF.
class LineEndJoiner
{
public:
    // Appends the next piece of the file's bytes, in that form, to out.
    void add(const char *data, qsizetype size, QByteArray &out);
    // The end of the file: appends the line ends held back but the last. Not called, every
    // line end at the end of the text is dropped.
    void finish(QByteArray &out);

private:
    qsizetype m_breaks = 0; // line ends seen and not yet written
    bool m_afterCr = false; // the last byte was a CR: an LF next belongs to it
};

// Reads a file line by line without holding it whole. Of each line only the first
// maxKept bytes are kept; the rest is skipped, so a file of garbage without a single
// line end costs no more memory than one kept line.
class LineReader
{
public:
    LineReader(QFile &file, int maxKept)
        : m_file(file)
        , m_maxKept(maxKept)
    {
    }

    // False at the end of the file or on a read error (see failed()).
    bool next(QByteArray &line);
    bool failed() const { return m_failed; }

private:
    bool fill();

    QFile &m_file;
    int m_maxKept;
    QByteArray m_buffer;
    int m_pos = 0;
    bool m_eof = false;
    bool m_failed = false;
    bool m_skipLf = false; // the previous line ended in CR at the end of a buffer
};

// Reads a whole file of at most maxSize bytes. NotFound (with no message) when it does
// not exist; IoError naming it when it cannot be read, is larger, or is no regular file (a
// FIFO or a device is never opened in a way that could wait for it).
DbStatus readWhole(const QString &path, qint64 maxSize, const QString &what, QByteArray &bytes);

// Lines in Windows-1252, each ended by CR LF; *lossy (when given) tells whether a
// character had no 8-bit form and was replaced.
QByteArray encodeLines(const QStringList &lines, bool *lossy);
// The warning shown after the file at path was written with *lossy set.
QString lossyWarning(const QString &path);

// Replaces path with bytes through a temporary file in the same folder, so a failed
// write (full disk, no permission) leaves the old file as it was. Never writes through a
// symbolic link: link says whether a link at path is replaced by the new file or refused;
// a FIFO, device or folder there is refused. what names the file kind in the message
// ("Info file", "Descript.ion").
DbStatus writeAtomically(
    const QString &path, const QByteArray &bytes, const QString &what, ReplacementFile::Link link);

// Removes path; a file that is not there counts as removed.
DbStatus removeIfPresent(const QString &path, const QString &what);

// The message for a failed operation on a file, naming it as messages do.
QString failure(
    const QString &what, const QString &path, const QString &verb, const QString &reason);

} // namespace textfile
