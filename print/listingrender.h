#pragma once

#include "print/listinglayout.h"
#include "store/dbstatus.h"

#include <QFont>
#include <QString>

class QPagedPaintDevice;
class QPaintDevice;

// Draws a folder listing on a paged device: a printer, or a PDF file (QPdfWriter), which
// needs neither a printer nor a display.
namespace listingrender
{

// The font of the listing on a device: the family (fontconfig substitutes a missing one),
// sized so that its cell (ascent and descent) is 4 mm high.
QFont listingFont(const QString &family, QPaintDevice &device);

// The printable area of the device in tenths of a millimetre, with the margins.
ListingGeometry geometryOf(const QPagedPaintDevice &device, const ListingMargins &margins);

struct Result {
    DbStatus status;
    int pages = 0; // pages laid out and drawn
};

// Lays the document out on the device's printable area and draws it page by page in the
// font named. The job is begun and ended here, also when drawing fails: a device that
// cannot begin, begin a page or end the job gives IoError, with the pages that were drawn
// by then.
Result print(QPagedPaintDevice &device, const ListingDocument &document, const QString &fontFamily,
    const ListingMargins &margins);

} // namespace listingrender
