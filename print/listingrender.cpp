#include "listingrender.h"

#include "store/progress.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QtMath>

namespace listingrender
{

namespace
{

    // Device pixels per tenth of a millimetre, across and down (a printer's two
    // resolutions may differ).
    double xScaleOf(const QPaintDevice &device)
    {
        return device.logicalDpiX() / 254.0;
    }
    double yScaleOf(const QPaintDevice &device)
    {
        return device.logicalDpiY() / 254.0;
    }

    class Drawing
    {
    public:
        Drawing(QPainter &painter, const QFont &font)
            : m_painter(painter)
            , m_metrics(font, painter.device())
            , m_x(xScaleOf(*painter.device()))
            , m_y(yScaleOf(*painter.device()))
        {
            painter.setFont(font);
            painter.setPen(Qt::black);
        }

        void draw(const DrawOp &op)
        {
            const double x = op.x * m_x;
            const double y = -op.y * m_y; // the page's y grows upward, the device's down
            if (op.kind == DrawOp::Rule) {
                m_painter.setPen(QPen(Qt::black, op.width * m_y));
                m_painter.drawLine(QPointF(x, y), QPointF(op.x2 * m_x, y));
                m_painter.setPen(Qt::black);
                return;
            }
            // The position is the top of the text's cell.
            m_painter.drawText(QPointF(x, y + m_metrics.ascent()), op.text);
        }

    private:
        QPainter &m_painter;
        QFontMetricsF m_metrics;
        double m_x;
        double m_y;
    };

    DbStatus printerFailure(const QString &what)
    {
        return { DbStatus::IoError, what };
    }

} // namespace

QFont listingFont(const QString &family, const QPaintDevice &device)
{
    QFont font(family.isEmpty() ? QString::fromLatin1(listinglayout::kDefaultFont) : family);
    font.setStyleHint(QFont::SansSerif);
    font.setHintingPreference(QFont::PreferNoHinting);
    // The cell height of the family at a large size gives the size for a 4 mm cell.
    constexpr int probe = 1000;
    font.setPixelSize(probe);
    const QFontMetricsF m(font, &device);
    const double cell = listinglayout::kCellHeight * yScaleOf(device);
    const double ratio = (m.ascent() + m.descent()) / probe;
    font.setPixelSize(qMax(1, qRound(cell / (ratio > 0 ? ratio : 1))));
    return font;
}

ListingGeometry geometryOf(const QPagedPaintDevice &device, const ListingMargins &margins)
{
    const QRectF area = device.pageLayout().paintRect(QPageLayout::Millimeter);
    ListingGeometry g;
    g.width = int(area.width() * 10);
    g.height = int(area.height() * 10);
    g.margins = margins;
    return g;
}

listinglayout::TextWidth widthOn(const QFont &font, const QPaintDevice &device)
{
    return [metrics = QFontMetricsF(font, &device), scale = xScaleOf(device)](
               const QString &t) { return qCeil(metrics.horizontalAdvance(t) / scale); };
}

Listing layOut(const QPagedPaintDevice &device, const ListingDocument &document,
    const QString &fontFamily, const ListingMargins &margins)
{
    Listing listing;
    listing.font = listingFont(fontFamily, device);
    const ListingGeometry geometry = geometryOf(device, margins);
    const listinglayout::TextWidth width = widthOn(listing.font, device);
    const QString refusal = listinglayout::refusal(document, geometry, width);
    if (!refusal.isEmpty())
        listing.status = { DbStatus::InvalidArgument, refusal };
    else
        listing.pages = listinglayout::layOut(document, geometry, width);
    return listing;
}

Result draw(QPagedPaintDevice &device, const Listing &listing, Progress *progress,
    const std::function<void()> &abortJob)
{
    Result result;
    if (!listing.status) {
        result.status = listing.status;
        return result;
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        result.status = printerFailure(
            QCoreApplication::translate("Print", "The printer could not start the job"));
        return result;
    }
    Drawing drawing(painter, listing.font);
    const qint64 pages = qint64(listing.pages.size());
    for (const ListingPage &page : listing.pages) {
        if (result.pages > 0 && !proceed(progress, result.pages, pages)) {
            result.status = cancelledStatus();
            if (abortJob)
                abortJob();
            break;
        }
        if (result.pages > 0 && !device.newPage()) {
            result.status
                = printerFailure(QCoreApplication::translate("Print", "The printer refused page %1")
                                     .arg(page.number));
            break;
        }
        for (const DrawOp &op : page.ops)
            drawing.draw(op);
        ++result.pages;
    }
    if (!painter.end() && result.status)
        result.status = printerFailure(
            QCoreApplication::translate("Print", "The printer could not finish the job"));
    return result;
}

Result print(QPagedPaintDevice &device, const ListingDocument &document, const QString &fontFamily,
    const ListingMargins &margins)
{
    return draw(device, layOut(device, document, fontFamily, margins));
}

QPageSize::PageSizeId paperFor(const QLocale &locale)
{
    static const QLocale::Territory letter[] = { QLocale::UnitedStates, QLocale::Canada,
        QLocale::Mexico, QLocale::Philippines, QLocale::Chile, QLocale::Colombia,
        QLocale::Venezuela, QLocale::CostaRica, QLocale::Guatemala, QLocale::Panama,
        QLocale::PuertoRico, QLocale::ElSalvador, QLocale::Nicaragua, QLocale::DominicanRepublic };
    const QLocale::Territory here = locale.territory();
    for (const QLocale::Territory t : letter)
        if (t == here)
            return QPageSize::Letter;
    return QPageSize::A4;
}

} // namespace listingrender
