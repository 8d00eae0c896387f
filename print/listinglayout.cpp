#include "listinglayout.h"

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

    class Layout
    {
    public:
        Layout(const ListingDocument &document, const ListingGeometry &geometry,
            const TextWidth &width)
            : m_doc(document)
            , m_geo(geometry)
            , m_width(width)
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
            if (!belowBottom())
                return;
            ListingPage page;
            page.number = int(m_pages.size()) + 1;
            m_pages.push_back(page);
            m_y = -m_geo.margins.top;
            text(left(), m_doc.title);
            rightAligned(m_doc.date + QStringLiteral(" - ") + QString::number(page.number));
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

        void addEntry(const ListingEntry &e)
        {
            startPageIfFull();
            text(left(), withoutLineBreaks(e.name));
            text(left() + kTagsColumn, withoutLineBreaks(e.tags));
            text(left() + kDateColumn, e.date);
            rightAligned(withoutLineBreaks(e.size));
            m_y -= kCellHeight;
            text(left() + kIndent, withoutLineBreaks(e.note));
            m_y -= kNoteToNext;
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

std::vector<ListingPage> layOut(
    const ListingDocument &document, const ListingGeometry &geometry, const TextWidth &width)
{
    return Layout(document, geometry, width).run();
}

} // namespace listinglayout
