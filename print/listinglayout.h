#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The printed listing of a folder, laid out as a list of drawing operations without a
// printer: positions in tenths of a millimetre, x growing to the right and y upward, the
// origin at the top left corner of the printable area, so every position on a page has a
// y of 0 or below. Rendering (listingrender.h) only draws what is computed here.
//
// Each entry prints name, tags, date and size on its first line, the note 40 below and
// indented by 100, then its long text word-wrapped 40 apart, and 40 more after a long text.
// Every page begins with a header: the title, the date and page number ending at the right
// margin, and a rule 2 units wide under them; the first entry of a page starts 110 below
// the top margin. A page ends before an entry or text line that would start below the
// bottom margin.
//
// No text of a page overlaps another or leaves the printable area, whatever the records
// hold (blanks closing a text take no room):
// - the tags begin 1050 and the date 1400 right of the left margin, as long as the widest
//   date of the document still ends a column gap before the widest size; on a narrower
//   page both columns move left in proportion. Tags wider than their column take room
//   from the name's column, which keeps at least half of the width left of the date;
// - a name (or tags) wider than its column is wrapped within it, the rest on the lines
//   below, tags, date and size staying on the first; the note follows the last of them;
// - the note is wrapped like a long text;
// - a title wider than the room left of the date and page number loses its beginning to
//   "...";
// - an entry whose lines would run past the foot of the page begins the next one (when
//   they fit there), and no line runs past the foot.
// refusal() says when the margins leave no room for this.

struct ListingEntry {
    QString name;
    QString tags;
    QString date; // in the short date format; empty for none
    QString size;
    QString note;
    // The lines of the file's info file; none when it has no long text (an info file of
    // one empty line still counts as a long text).
    QStringList textLines;
};

struct ListingDocument {
    QString title; // the folder's full path
    QString date; // the day of printing, in the short date format
    std::vector<ListingEntry> entries;
};

// The margins in tenths of a millimetre. The defaults are those of the program's settings
// and of the command-line tool.
struct ListingMargins {
    int top = 200;
    int left = 200;
    int bottom = 200;
    int right = 100;
};

// The printable area in tenths of a millimetre (W and Hp) and the margins within it.
struct ListingGeometry {
    int width = 0;
    int height = 0;
    ListingMargins margins;
};

struct DrawOp {
    enum Kind { Text, Rule };
    Kind kind = Text;
    int x = 0; // Text: left end of the text; Rule: left end of the line
    int y = 0; // Text: top of the text's cell; Rule: the line's centre
    QString text; // Text only, without line-break characters
    int x2 = 0; // Rule: right end
    int width = 0; // Rule: line width
};

struct ListingPage {
    int number = 1;
    std::vector<DrawOp> ops;
};

namespace listinglayout
{

constexpr int kCellHeight = 40; // every text line, 4 mm
constexpr int kTagsColumn = 1050;
constexpr int kDateColumn = 1400;
constexpr int kIndent = 100; // note and long text
constexpr int kColumnGap = 20; // the least room between two texts of one line
constexpr int kHeaderHeight = 110; // from the top margin to the first entry
// The font family of a listing unless another is chosen: the settings' default and the
// one a listing given no family is printed in.
constexpr char kDefaultFont[] = "Arial";

// The printed width of a text in tenths of a millimetre, in the listing's font.
using TextWidth = std::function<int(const QString &)>;

// Empty when the document can be laid out on the geometry; otherwise, for the user, why
// not: the margins leave less than one line below the header (a line must start above the
// bottom margin and end on the page), or less than one column across the page (each column
// of the first line, and the note, at least as wide as the document's widest character;
// the date and page number of the header beside at least "...").
QString refusal(
    const ListingDocument &document, const ListingGeometry &geometry, const TextWidth &width);

// The pages of the document. No entries give no pages (not even a header); nor does a
// geometry that refusal() refuses.
//
// The long text is wrapped within A = W - (left margin + 100) - right margin: its lines
// (line feeds always end a printed line; an empty line prints empty) break after the last
// blank or hyphen whose line still fits, blanks at a line's end not counted; blanks and
// hyphens stay at the end of the line they close. A word wider than A is broken where it
// stops fitting, at least one character a line.
std::vector<ListingPage> layOut(
    const ListingDocument &document, const ListingGeometry &geometry, const TextWidth &width);

// The lines of one long text as the wrap breaks them (without page breaks).
QStringList wrapLines(const QStringList &textLines, int available, const TextWidth &width);

} // namespace listinglayout
