#include "icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

// Every pictogram is drawn on a 16 x 16 grid and scaled, so that the same strokes serve
// every size. A small set of parts (folder, page, magnifier, arrow, badges) is combined
// so that related commands look related.
namespace
{

const QColor ink(0x40, 0x40, 0x40);
const QColor folderFill(0xF4, 0xC4, 0x52);
const QColor folderLine(0xA8, 0x78, 0x1C);
const QColor pageLine(0x70, 0x70, 0x70);
const QColor blue(0x2A, 0x6C, 0xD0);
const QColor green(0x2E, 0x9B, 0x3A);
const QColor red(0xD2, 0x36, 0x2A);

QPen pen(const QColor &c, qreal w = 1.0)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void folder(QPainter &p, bool open = false)
{
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(14.5, 5);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setPen(pen(folderLine));
    p.setBrush(folderFill.darker(110));
    p.drawPath(back);
    QPainterPath front;
    if (open) {
        front.moveTo(3.5, 7.5);
        front.lineTo(15.5, 7.5);
        front.lineTo(13.5, 13.5);
        front.lineTo(1.5, 13.5);
    } else {
        front.addRect(QRectF(1.5, 6.5, 13, 7));
    }
    front.closeSubpath();
    p.setBrush(folderFill);
    p.drawPath(front);
}

void page(QPainter &p, QRectF r = QRectF(3.5, 1.5, 9, 13), bool lines = true)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(pen(pageLine));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
    if (!lines)
        return;
    p.setPen(pen(QColor(0x90, 0xA8, 0xC8)));
    for (qreal y = r.top() + 5; y < r.bottom() - 1; y += 2)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void magnifier(QPainter &p, QPointF c = QPointF(6.5, 6.5), qreal radius = 4)
{
    p.setPen(pen(ink, 2.2));
    p.drawLine(c + QPointF(radius * 0.7, radius * 0.7), c + QPointF(radius * 1.9, radius * 1.9));
    p.setPen(pen(ink, 1.3));
    p.setBrush(QColor(0xD8, 0xEC, 0xFF));
    p.drawEllipse(c, radius, radius);
}

void arrow(QPainter &p, QPointF from, QPointF to, const QColor &color, qreal width = 2)
{
    p.setPen(pen(color, width));
    p.drawLine(from, to);
    const qreal angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const qreal head = 3.2;
    for (qreal side : { 2.5, -2.5 }) {
        const QPointF tip(to.x() - head * std::cos(angle + side * 0.25),
            to.y() - head * std::sin(angle + side * 0.25));
        p.drawLine(to, tip);
    }
}

void plusBadge(QPainter &p, const QColor &c = green)
{
    p.setPen(pen(Qt::white, 4));
    p.drawLine(QPointF(12, 9.5), QPointF(12, 14.5));
    p.drawLine(QPointF(9.5, 12), QPointF(14.5, 12));
    p.setPen(pen(c, 2));
    p.drawLine(QPointF(12, 9.5), QPointF(12, 14.5));
    p.drawLine(QPointF(9.5, 12), QPointF(14.5, 12));
}

void minusBadge(QPainter &p)
{
    p.setPen(pen(Qt::white, 4));
    p.drawLine(QPointF(9.5, 12), QPointF(14.5, 12));
    p.setPen(pen(red, 2));
    p.drawLine(QPointF(9.5, 12), QPointF(14.5, 12));
}

void crossBadge(QPainter &p, QRectF r = QRectF(9.5, 9.5, 5, 5))
{
    for (const QColor &c : { QColor(Qt::white), red }) {
        p.setPen(pen(c, c == red ? 2 : 4));
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomLeft());
    }
}

void check(QPainter &p, qreal w = 2.4)
{
    p.setPen(pen(green, w));
    p.drawPolyline(QPolygonF({ QPointF(2.5, 8.5), QPointF(6, 12.5), QPointF(13.5, 3.5) }));
}

void pencil(QPainter &p)
{
    p.save();
    p.translate(8, 8);
    p.rotate(45);
    p.setPen(pen(ink, 0.8));
    p.setBrush(QColor(0xF0, 0xA0, 0x30));
    p.drawRect(QRectF(-1.8, -7, 3.6, 10));
    p.setBrush(QColor(0xF5, 0xD8, 0xA8));
    p.drawPolygon(QPolygonF({ QPointF(-1.8, 3), QPointF(1.8, 3), QPointF(0, 6.5) }));
    p.setBrush(QColor(0xE0, 0x70, 0x80));
    p.drawRect(QRectF(-1.8, -7, 3.6, 2));
    p.restore();
}

void box(QPainter &p)
{
    p.setPen(pen(QColor(0x6A, 0x4A, 0x20)));
    p.setBrush(QColor(0xC8, 0x96, 0x5A));
    p.drawRect(QRectF(2.5, 6.5, 11, 7.5));
    p.setBrush(QColor(0xDC, 0xAE, 0x70));
    p.drawRect(QRectF(1.5, 3.5, 13, 3));
    p.setPen(pen(QColor(0x6A, 0x4A, 0x20), 1.2));
    p.drawLine(QPointF(6, 9), QPointF(10, 9));
}

void printer(QPainter &p)
{
    p.setPen(pen(ink));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(0xB8, 0xBC, 0xC4));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(pen(green, 1.2));
    p.drawPoint(QPointF(12.5, 8.5));
}

void gear(QPainter &p, QPointF c = QPointF(8, 8), qreal r = 6.5)
{
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(i * 45);
        QPainterPath tooth;
        tooth.addRect(QRectF(-r * 0.2, -r, r * 0.4, r * 0.5));
        teeth = teeth.united(t.map(tooth));
    }
    QPainterPath body;
    body.addEllipse(c, r * 0.72, r * 0.72);
    QPainterPath hole;
    hole.addEllipse(c, r * 0.28, r * 0.28);
    p.setPen(pen(ink, 0.9));
    p.setBrush(QColor(0x9C, 0xA6, 0xB4));
    p.drawPath(teeth.united(body).subtracted(hole));
}

// A page with a tag on its lower right, inside the 16 x 16 square; the desktop icon
// (app/desktop/org.tabulon.Tabulon.svg) draws the same.
void programPictogram(QPainter &p)
{
    page(p, QRectF(2.5, 1.5, 11, 13));
    QPainterPath path;
    path.moveTo(6, 11);
    path.lineTo(10, 7);
    path.lineTo(15, 7);
    path.lineTo(15, 11);
    path.lineTo(11, 15);
    path.closeSubpath();
    p.setPen(pen(QColor(0x9A, 0x70, 0x10)));
    p.setBrush(QColor(0xF6, 0xD3, 0x5A));
    p.drawPath(path);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(13, 9), 1, 1);
}

void tag(QPainter &p, QPointF at = QPointF(0, 0), const QColor &fill = QColor(0xF6, 0xD3, 0x5A))
{
    QPainterPath path;
    path.moveTo(at + QPointF(1.5, 7));
    path.lineTo(at + QPointF(7, 1.5));
    path.lineTo(at + QPointF(13.5, 1.5));
    path.lineTo(at + QPointF(13.5, 8));
    path.lineTo(at + QPointF(8, 13.5));
    path.closeSubpath();
    p.setPen(pen(QColor(0x9A, 0x70, 0x10)));
    p.setBrush(fill);
    p.drawPath(path);
    p.setBrush(Qt::white);
    p.drawEllipse(at + QPointF(10.5, 4.5), 1.2, 1.2);
}

void clipboard(QPainter &p)
{
    p.setPen(pen(QColor(0x6A, 0x4A, 0x20)));
    p.setBrush(QColor(0xC8, 0x96, 0x5A));
    p.drawRoundedRect(QRectF(2.5, 2.5, 11, 12.5), 1.5, 1.5);
    p.setPen(pen(pageLine));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 4.5, 7, 9));
    p.setPen(pen(ink));
    p.setBrush(QColor(0xB8, 0xBC, 0xC4));
    p.drawRoundedRect(QRectF(5.5, 1, 5, 3), 1, 1);
}

void letter(QPainter &p, const QString &text, const QColor &c, QRectF r = QRectF(4, 5, 8, 9))
{
    QFont f(QStringLiteral("Sans"));
    f.setPixelSize(int(r.height()));
    f.setBold(true);
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

void circle(QPainter &p, const QColor &fill)
{
    p.setPen(pen(fill.darker(130)));
    p.setBrush(fill);
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
}

void sortLines(QPainter &p)
{
    p.setPen(pen(ink, 1.6));
    p.drawLine(QPointF(2, 4), QPointF(8, 4));
    p.drawLine(QPointF(2, 8), QPointF(6.5, 8));
    p.drawLine(QPointF(2, 12), QPointF(5, 12));
    arrow(p, QPointF(12, 2.5), QPointF(12, 13.5), blue, 1.8);
}

void refresh(QPainter &p, QPointF c = QPointF(8, 8), qreal r = 5)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(green, 2));
    p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 100 * 16, 250 * 16);
    arrow(p, c + QPointF(-r * 0.2, -r), c + QPointF(r * 0.6, -r + 0.2), green, 2);
}

void drawPlain(QPainter &p, Icon icon);

void drawComposite(QPainter &p, Icon icon)
{
    switch (icon) {
    case Icon::ArchiveNew:
        box(p);
        plusBadge(p);
        break;
    case Icon::ArchiveDelete:
        box(p);
        crossBadge(p);
        break;
    case Icon::PrinterSetup:
        printer(p);
        p.scale(0.55, 0.55);
        p.translate(13, 13);
        gear(p);
        break;
    case Icon::FolderNew:
        folder(p);
        plusBadge(p);
        break;
    case Icon::FolderRename:
        folder(p);
        pencil(p);
        break;
    case Icon::FolderUpdate:
        folder(p);
        p.translate(3, 3);
        p.scale(0.65, 0.65);
        refresh(p, QPointF(10, 10), 4.5);
        break;
    case Icon::FolderDelete:
        folder(p);
        crossBadge(p);
        break;
    case Icon::SearchDown:
        magnifier(p, QPointF(6, 6), 3.8);
        arrow(p, QPointF(13, 6), QPointF(13, 14), blue);
        break;
    case Icon::SearchUp:
        magnifier(p, QPointF(6, 9.5), 3.8);
        arrow(p, QPointF(13, 10), QPointF(13, 2), blue);
        break;
    case Icon::ClearSearch:
        magnifier(p, QPointF(6, 6), 3.8);
        crossBadge(p);
        break;
    case Icon::EditText:
        page(p);
        pencil(p);
        break;
    case Icon::SaveText:
        page(p);
        arrow(p, QPointF(12, 6), QPointF(12, 14), blue);
        break;
    case Icon::InsertFile:
        page(p);
        arrow(p, QPointF(15, 10), QPointF(8, 10), green);
        break;
    case Icon::DeleteAll:
        page(p);
        crossBadge(p);
        break;
    case Icon::TagAdd:
        tag(p);
        plusBadge(p);
        break;
    case Icon::TagDelete:
        tag(p);
        minusBadge(p);
        break;
    case Icon::TagReplace:
        tag(p);
        refresh(p, QPointF(11, 11), 3);
        break;
    case Icon::MoveFile:
        page(p, QRectF(1.5, 1.5, 8, 11));
        arrow(p, QPointF(7, 11), QPointF(14.5, 11), blue);
        break;
    case Icon::Explore:
        folder(p, true);
        magnifier(p, QPointF(8.5, 8.5), 2.8);
        break;
    case Icon::Open:
        folder(p, true);
        break;
    case Icon::OpenWith:
        page(p);
        gear(p, QPointF(11, 11), 3.6);
        break;
    case Icon::PathToClipboard:
        clipboard(p);
        p.translate(6.5, 7);
        p.scale(0.6, 0.6);
        folder(p);
        break;
    default:
        drawPlain(p, icon);
        break;
    }
}

void drawClipboards(QPainter &p, Icon icon)
{
    switch (icon) {
    case Icon::NameToClipboard:
        clipboard(p);
        letter(p, QStringLiteral("A"), blue, QRectF(4.5, 5, 7, 8));
        break;
    case Icon::NoteToClipboard:
        clipboard(p);
        pencil(p);
        break;
    case Icon::TextToClipboard:
        clipboard(p);
        p.setPen(pen(QColor(0x90, 0xA8, 0xC8)));
        for (qreal y = 7; y < 13; y += 2)
            p.drawLine(QPointF(6, y), QPointF(10, y));
        break;
    case Icon::OpenLink:
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(blue, 1.8));
        p.drawRoundedRect(QRectF(1.5, 5.5, 7, 5), 2.5, 2.5);
        p.drawRoundedRect(QRectF(7.5, 5.5, 7, 5), 2.5, 2.5);
        break;
    case Icon::Program:
        programPictogram(p);
        break;
    default:
        break;
    }
}

void drawPlain(QPainter &p, Icon icon)
{
    switch (icon) {
    case Icon::Archive:
        box(p);
        break;
    case Icon::Index:
        sortLines(p);
        break;
    case Icon::Reorganize:
        box(p);
        refresh(p, QPointF(10.5, 10.5), 3.5);
        break;
    case Icon::Print:
        printer(p);
        break;
    case Icon::Settings:
        gear(p);
        break;
    case Icon::Exit:
        p.setPen(pen(ink));
        p.setBrush(QColor(0xB0, 0x7A, 0x48));
        p.drawRect(QRectF(2.5, 1.5, 7, 13));
        arrow(p, QPointF(7, 8), QPointF(15, 8), red);
        break;
    case Icon::ExpandAll:
    case Icon::CollapseAll:
        p.setPen(pen(ink));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        p.setPen(pen(blue, 1.6));
        p.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
        if (icon == Icon::ExpandAll)
            p.drawLine(QPointF(8, 5.5), QPointF(8, 10.5));
        break;
    case Icon::Viewer:
    case Icon::ViewerOn:
        p.setPen(pen(ink));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(1.5, 4.5, 13, 7));
        p.setBrush(icon == Icon::ViewerOn ? green : blue);
        p.drawEllipse(QPointF(8, 8), 2.4, 2.4);
        if (icon == Icon::ViewerOn) {
            p.setPen(pen(green, 1.4));
            p.drawLine(QPointF(2, 2.5), QPointF(4, 4));
            p.drawLine(QPointF(8, 1), QPointF(8, 3));
            p.drawLine(QPointF(14, 2.5), QPointF(12, 4));
        }
        break;
    case Icon::Edit:
        pencil(p);
        break;
    case Icon::DeleteAbort:
        crossBadge(p, QRectF(3.5, 3.5, 9, 9));
        break;
    case Icon::Ok:
        check(p);
        break;
    case Icon::InsertDate:
        p.setPen(pen(ink));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 12));
        p.setBrush(red);
        p.drawRect(QRectF(1.5, 2.5, 13, 3));
        letter(p, QStringLiteral("7"), ink, QRectF(2, 6, 12, 8.5));
        break;
    case Icon::Filter:
        p.setPen(pen(ink));
        p.setBrush(QColor(0x5A, 0x9A, 0xE6));
        p.drawPolygon(QPolygonF({ QPointF(1.5, 2.5), QPointF(14.5, 2.5), QPointF(9.5, 8.5),
            QPointF(9.5, 14), QPointF(6.5, 12.5), QPointF(6.5, 8.5) }));
        break;
    case Icon::CopyFile:
        page(p, QRectF(1.5, 1.5, 8, 10), false);
        page(p, QRectF(6.5, 4.5, 8, 10));
        break;
    case Icon::UpdateAll:
        refresh(p, QPointF(8, 8), 5.5);
        break;
    case Icon::Tags:
        tag(p, QPointF(1.5, 1.5), QColor(0x8A, 0xC8, 0x6A));
        tag(p, QPointF(-1, -1));
        break;
    case Icon::Help:
        circle(p, blue);
        letter(p, QStringLiteral("?"), Qt::white, QRectF(2, 2, 12, 12));
        break;
    case Icon::Info:
        circle(p, blue);
        letter(p, QStringLiteral("i"), Qt::white, QRectF(2, 2, 12, 12));
        break;
    default:
        drawClipboards(p, icon);
        break;
    }
}

} // namespace

QPixmap tabulonPixmap(Icon icon, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    drawComposite(p, icon);
    return pm;
}

// No cache on purpose: a static set of pixmaps would outlive the application object.
QIcon tabulonIcon(Icon icon)
{
    QIcon result;
    if (icon != Icon::None)
        for (int size : { 16, 24, 32, 48 })
            result.addPixmap(tabulonPixmap(icon, size));
    return result;
}
