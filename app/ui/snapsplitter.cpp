#include "snapsplitter.h"

#include <QMouseEvent>
#include <QPainter>

namespace
{

class HatchLine : public QWidget
{
public:
    explicit HatchLine(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), QBrush(Qt::black, Qt::Dense4Pattern));
    }
};

class SnapHandle : public QSplitterHandle
{
public:
    SnapHandle(Qt::Orientation o, SnapSplitter *parent)
        : QSplitterHandle(o, parent)
        , m_owner(parent)
    {
    }

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() != Qt::LeftButton)
            return;
        // Measured from the boundary between the panes, not from the handle's edge: the
        // handle's hit area may be wider than the line it draws.
        m_grab = along(mapTo(m_owner, e->position().toPoint())) - m_owner->sizes().value(0);
        m_dragging = true;
        m_owner->showDragLine(m_owner->snappedPosition(target(e)));
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (m_dragging)
            m_owner->showDragLine(m_owner->snappedPosition(target(e)));
    }
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (!m_dragging || e->button() != Qt::LeftButton)
            return;
        m_dragging = false;
        m_owner->dropAt(target(e));
    }

private:
    int along(const QPoint &p) const { return orientation() == Qt::Horizontal ? p.x() : p.y(); }
    int target(QMouseEvent *e) const
    {
        return along(mapTo(m_owner, e->position().toPoint())) - m_grab;
    }

    SnapSplitter *m_owner;
    int m_grab = 0;
    bool m_dragging = false;
};

} // namespace

SnapSplitter::SnapSplitter(Qt::Orientation orientation, QWidget *parent)
    : QSplitter(orientation, parent)
{
    setHandleWidth(HandleSize);
    setChildrenCollapsible(true);
    setOpaqueResize(false);
}

int SnapSplitter::snappedPosition(int pos) const
{
    const int total = orientation() == Qt::Horizontal ? width() : height();
    const int max = total - HandleSize - MinSize;
    if (pos > max)
        pos = max;
    if (pos <= MinSize)
        pos = 0;
    return pos;
}

void SnapSplitter::showDragLine(int pos)
{
    // A child of the splitter itself would become a third pane, so the line lives on
    // the window.
    if (!m_dragLine)
        m_dragLine = new HatchLine(window());
    const QPoint origin = mapTo(window(), QPoint(0, 0));
    if (orientation() == Qt::Horizontal)
        m_dragLine->setGeometry(origin.x() + pos, origin.y(), HandleSize, height());
    else
        m_dragLine->setGeometry(origin.x(), origin.y() + pos, width(), HandleSize);
    m_dragLine->raise();
    m_dragLine->show();
}

void SnapSplitter::dropAt(int pos)
{
    if (m_dragLine)
        m_dragLine->hide();
    moveSplitter(snappedPosition(pos), 1);
}

QSplitterHandle *SnapSplitter::createHandle()
{
    return new SnapHandle(orientation(), this);
}
