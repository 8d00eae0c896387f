#pragma once

#include "print/listinglayout.h"
#include "store/dbstatus.h"

#include <QFont>
#include <QPageSize>
#include <QString>

#include <functional>
#include <vector>

class QLocale;
class QPagedPaintDevice;
class QPaintDevice;
class Progress;

// Draws a folder listing on a paged device: a printer, or a PDF file (QPdfWriter), which
// needs neither a printer nor a display.
namespace listingrender
{

// The font of the listing on a device: the family (fontconfig substitutes a missing one),
// sized so that its cell (ascent and descent) is 4 mm high.
QFont listingFont(const QString &family, const QPaintDevice &device);

// The printed width of a text in the font on the device, in tenths of a millimetre,
// rounded up: the font's own metrics at the device's resolution.
listinglayout::TextWidth widthOn(const QFont &font, const QPaintDevice &device);

// The printable area of the device in tenths of a millimetre, with the margins.
ListingGeometry geometryOf(const QPagedPaintDevice &device, const ListingMargins &margins);

// A listing laid out for one device.
struct Listing {
    // InvalidArgument, with the reason for the user, when the margins leave no room on the
    // device's page; there are no pages then.
    DbStatus status;
    QFont font;
    std::vector<ListingPage> pages;
};

// Lays the document out on the device's printable area in the font named. Nothing is
// drawn and no job is begun, so a refused listing leaves the device (and its file)
// untouched.
Listing layOut(const QPagedPaintDevice &device, const ListingDocument &document,
    const QString &fontFamily, const ListingMargins &margins);

struct Result {
    DbStatus status;
    int pages = 0; // pages laid out and drawn
};

// Draws a listing that layOut() made for this device, page by page. The job is begun and
// ended here, also when drawing fails: a device that cannot begin, begin a page or end the
// job gives IoError, with the pages that were drawn by then. A refused listing gives its
// status and begins no job.
//   progress, when given, hears the pages drawn of all before each page and may stop the
// job between two pages (Cancelled): abortJob then tells the device to drop what it has
// (a printer's abort()) before the job is ended, so that nothing is printed.
Result draw(QPagedPaintDevice &device, const Listing &listing, Progress *progress = nullptr,
    const std::function<void()> &abortJob = {});

// layOut(), then draw().
Result print(QPagedPaintDevice &device, const ListingDocument &document, const QString &fontFamily,
    const ListingMargins &margins);

// The paper a listing is printed on by default where the locale is in force: Letter where
// the United States' paper sizes are the custom (the United States, Canada, Mexico and
// some countries of Latin America, the Philippines), A4 elsewhere.
QPageSize::PageSizeId paperFor(const QLocale &locale);

} // namespace listingrender
