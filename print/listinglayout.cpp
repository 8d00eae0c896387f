#include "listinglayout.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringView>

namespace listinglayout
{

namespace
{

    // y before the first page: a marker that no page has begun.
    constexpr int kNoPage = -88888888;
    constexpr int kHeaderToRule = 50;
    constexpr int kRuleToEntry = 60;
    constexpr int kRuleWidth = 2;
    constexpr int kNoteToNext = 80;
    // How far the scan for a break point runs past a measured prefix before measuring again.
    constexpr int kProbeStep = 32;

    bool isBreak(QChar c)
    {
        return c == QLatin1Char(' ') || c == QLatin1Char('-');
    }

    // Blanks closing a line take no room on paper.
    bool fits(QStringView text, int available, const TextWidth &width)
    {
        while (!text.isEmpty() && text.back() == QLatin1Char(' '))
            text.chop(1);
        return width(text.toString()) <= available;
    }

    // The length of the next printed line of text: up to the last break whose line fits, or
    // as many characters as fit (at least one) when no break does.
    int nextLineLength(QStringView text, int available, const TextWidth &width)
    {
        int best = 0;
        int measuredAt = 0;
        const int n = int(text.size());
        for (int i = 0; i < n; ++i) {
            const bool end = i == n - 1;
            const bool breaks = isBreak(text.at(i)) || end;
            // Without a break for long, a measure now ends the scan once the text is too
            // wide, instead of measuring a long unbroken rest at its far end.
            if (!breaks && i - measuredAt < kProbeStep)
                continue;
            measuredAt = i;
            if (!fits(text.left(i + 1), available, width))
                break;
            if (breaks)
                best = i + 1;
        }
        if (best > 0)
            return best;
        int length = 1;
        while (length < n && fits(text.left(length + 1), available, width))
            ++length;
        return length;
    }

    QString withoutLineBreaks(QString text)
    {
        text.remove(QLatin1Char('\r'));
        text.remove(QLatin1Char('\n'));
        return text;
    }

    constexpr QLatin1String kElision("...");

    // The end of text that fits room, after "..." when its beginning had to go.
    QString elidedLeft(const QString &text, int room, const TextWidth &width)
    {
        if (width(text) <= room)
            return text;
        int low = 0; // characters kept that fit
        int high = int(text.size()); // characters kept that do not
        while (high - low > 1) {
            const int mid = (low + high) / 2;
            (width(kElision + text.right(mid)) <= room ? low : high) = mid;
        }
        return kElision + text.right(low);
    }

    // The widths a document's texts need: the widest character of any, and the widest
    // tags, date and size.
    struct Measures {
        int character = 0;
        int tags = 0;
        int date = 0;
        int size = 0;
        // The header's date and page number with as many digits as the job can reach.
        int headerRight = 0;
    };

    Measures measure(const ListingDocument &doc, const TextWidth &width)
    {
        Measures m;
        QHash<QChar, int> known;
        const auto scan = [&](const QString &text) {
            for (const QChar c : text) {
                auto it = known.find(c);
                if (it == known.end())
                    it = known.insert(c, width(QString(c)));
                m.character = qMax(m.character, *it);
            }
        };
        // A job has no more pages than lines, nor more lines than characters, one more for
        // each line of a long text and three for each entry (empty fields take a line).
        qsizetype lines = 1;
        for (const ListingEntry &e : doc.entries) {
            for (const QString *t : { &e.name, &e.tags, &e.date, &e.size, &e.note })
                scan(*t);
            for (const QString &t : e.textLines) {
                scan(t);
                lines += t.size() + 1;
            }
            m.tags = qMax(m.tags, width(withoutLineBreaks(e.tags)));
            m.date = qMax(m.date, width(e.date));
            m.size = qMax(m.size, width(withoutLineBreaks(e.size)));
            lines += 3 + e.name.size() + e.tags.size() + e.note.size();
        }
        const QString pages(QString::number(lines).size(), QLatin1Char('8'));
        m.headerRight = width(doc.date + QStringLiteral(" - ") + pages);
        return m;
    }

    // x of the tags and of the date.
    struct Columns {
        int tags = 0;
        int date = 0;
    };

    Columns columnsFor(const Measures &m, const ListingGeometry &g)
    {
        const int left = g.margins.left;
        const int right = g.width - g.margins.right;
        Columns c { left + kTagsColumn, left + kDateColumn };
        const int lastDate = right - m.size - kColumnGap - m.date;
        if (c.date > lastDate) {
            c.date = lastDate;
            c.tags = left + int(qint64(kTagsColumn) * (lastDate - left) / kDateColumn);
        }
        c.tags = qMax(qMin(c.tags, c.date - kColumnGap - m.tags), left + (c.date - left) / 2);
        return c;
    }

    QString tenths(int units)
    {
        return QString::number(units / 10.0, 'f', 1);
    }

    class Layout
    {
    public:
        Layout(const ListingDocument &document, const ListingGeometry &geometry,
            const TextWidth &width)
            : m_doc(document)
            , m_geo(geometry)
            , m_width(width)
            , m_columns(columnsFor(measure(document, width), geometry))
        {
        }

        std::vector<ListingPage> run()
        {
            for (const ListingEntry &entry : m_doc.entries)
                addEntry(entry);
            return std::move(m_pages);
        }

    private:
        int left() const { return m_geo.margins.left; }
        int right() const { return m_geo.width - m_geo.margins.right; }
        bool belowBottom() const { return m_geo.height - m_geo.margins.bottom < -m_y; }
        bool runsPastFoot(int lines) const { return -m_y + lines * kCellHeight > m_geo.height; }
        int linesOnAPage() const
        {
            return (m_geo.height - m_geo.margins.top - kHeaderHeight) / kCellHeight;
        }

        void text(int x, const QString &s)
        {
            DrawOp op;
            op.x = x;
            op.y = m_y;
            op.text = s;
            m_pages.back().ops.push_back(op);
        }
        void rightAligned(const QString &s) { text(right() - m_width(s), s); }

        void startPageIfFull()
        {
            if (m_y == kNoPage || belowBottom() || runsPastFoot(1))
                startPage();
        }

        void startPage()
        {
            ListingPage page;
            page.number = int(m_pages.size()) + 1;
            m_pages.push_back(page);
            m_y = -m_geo.margins.top;
            const QString pageText
                = m_doc.date + QStringLiteral(" - ") + QString::number(page.number);
            const int room = right() - m_width(pageText) - kColumnGap - left();
            text(left(), elidedLeft(m_doc.title, room, m_width));
            rightAligned(pageText);
            m_y -= kHeaderToRule;
            DrawOp rule;
            rule.kind = DrawOp::Rule;
            rule.x = left();
            rule.y = m_y;
            rule.x2 = right();
            rule.width = kRuleWidth;
            m_pages.back().ops.push_back(rule);
            m_y -= kRuleToEntry;
        }

        QStringList wrapped(const QString &s, int from, int to) const
        {
            return wrapLines({ s }, to - from, m_width);
        }

        void addEntry(const ListingEntry &e)
        {
            const int nameEnd = m_columns.tags - kColumnGap;
            const QStringList names = wrapped(e.name, left(), nameEnd);
            const QStringList tags = wrapped(e.tags, m_columns.tags, m_columns.date - kColumnGap);
            const QStringList notes = wrapped(e.note, left() + kIndent, right());
            const int rows = int(qMax(names.size(), tags.size()));
            const int lines = rows + int(notes.size());
            startPageIfFull();
            if (runsPastFoot(lines) && lines <= linesOnAPage())
                startPage();
            // The entry's further lines may run into the bottom margin, never past the foot.
            for (int row = 0; row < rows; ++row) {
                if (row > 0 && runsPastFoot(1))
                    startPage();
                if (row < names.size())
                    text(left(), names[row]);
                if (row < tags.size())
                    text(m_columns.tags, tags[row]);
                if (row == 0) {
                    text(m_columns.date, e.date);
                    rightAligned(withoutLineBreaks(e.size));
                }
                m_y -= kCellHeight;
            }
            for (const QString &note : notes) {
                if (runsPastFoot(1))
                    startPage();
                text(left() + kIndent, note);
                m_y -= kCellHeight;
            }
            m_y -= kNoteToNext - kCellHeight;
            if (e.textLines.isEmpty())
                return;
            const int available = right() - (left() + kIndent);
            for (const QString &line : wrapLines(e.textLines, available, m_width)) {
                startPageIfFull();
                text(left() + kIndent, line);
                m_y -= kCellHeight;
            }
            m_y -= kCellHeight;
        }

        const ListingDocument &m_doc;
        const ListingGeometry &m_geo;
        const TextWidth &m_width;
        const Columns m_columns;
        std::vector<ListingPage> m_pages;
        int m_y = kNoPage;
    };

} // namespace

QStringList wrapLines(const QStringList &textLines, int available, const TextWidth &width)
{
    QStringList out;
    for (const QString &raw : textLines) {
        const QString line = withoutLineBreaks(raw);
        QStringView rest(line);
        if (rest.isEmpty())
            out << QString();
        while (!rest.isEmpty()) {
            const int length = nextLineLength(rest, available, width);
            out << rest.left(length).toString();
            rest = rest.mid(length);
        }
    }
    return out;
}

QString refusal(
    const ListingDocument &document, const ListingGeometry &geometry, const TextWidth &width)
{
    const ListingMargins &m = geometry.margins;
    const int firstLine = m.top + kHeaderHeight;
    if (firstLine > geometry.height - m.bottom || firstLine + kCellHeight > geometry.height)
        return QCoreApplication::translate("Print",
            "The print margins leave less than one line on the page (top %1 "
            "mm and bottom %2 mm of %3 mm).")
            .arg(tenths(m.top), tenths(m.bottom), tenths(geometry.height));
    const Measures need = measure(document, width);
    const Columns c = columnsFor(need, geometry);
    const int left = m.left;
    const int across = geometry.width - m.right - left;
    const int least = need.character;
    if (c.tags - kColumnGap - left < least || c.date - kColumnGap - c.tags < least
        || across - kIndent < least
        || across < need.headerRight + kColumnGap + width(QString(kElision)))
        return QCoreApplication::translate("Print",
            "The print margins leave less than one column across the page "
            "(left %1 mm and right %2 mm of %3 mm).")
            .arg(tenths(m.left), tenths(m.right), tenths(geometry.width));
    return QString();
}

std::vector<ListingPage> layOut(
    const ListingDocument &document, const ListingGeometry &geometry, const TextWidth &width)
{
    if (!refusal(document, geometry, width).isEmpty())
        return {};
    return Layout(document, geometry, width).run();
}

} // namespace listinglayout
