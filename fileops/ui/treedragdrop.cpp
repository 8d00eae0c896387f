#include "treedragdrop.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include <unistd.h>

namespace
{

// The record number, tied to this process: a drag from another running copy of the
// program names a record of another catalogue.
const char kFileFormat[] = "application/x-tabulon-catalogue-file";

QByteArray processTag()
{
    return QByteArray::number(qint64(::getpid())) + ':';
}

} // namespace

TreeDragDrop::TreeDragDrop(
    QTreeWidget *tree, QTableView *grid, QTimer *scrollTimer, DropHandler drop, QObject *parent)
    : QObject(parent)
    , m_tree(tree)
    , m_grid(grid)
    , m_timer(scrollTimer)
    , m_drop(std::move(drop))
{
    setObjectName(QStringLiteral("TreeDragDrop"));
    tree->setAcceptDrops(true);
    tree->viewport()->setAcceptDrops(true);
    tree->viewport()->installEventFilter(this);
    if (m_timer) {
        m_timer->setInterval(50);
        connect(m_timer, &QTimer::timeout, this, &TreeDragDrop::scrollOneLine);
    }
}

QMimeData *TreeDragDrop::fileData(quint32 recno)
{
    auto *data = new QMimeData;
    data->setData(QLatin1String(kFileFormat), processTag() + QByteArray::number(recno));
    return data;
}

void TreeDragDrop::beginFileDrag(quint32 recno)
{
    if (recno == 0 || !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        return;
    // The grid is still inside the click's own handling: the drag's event loop starts
    // once that has finished.
    QTimer::singleShot(0, this, [this, recno] {
        if (m_grid && (QGuiApplication::mouseButtons() & Qt::LeftButton))
            startFileDrag(recno);
    });
}

void TreeDragDrop::startFileDrag(quint32 recno)
{
    auto *drag = new QDrag(m_grid);
    drag->setMimeData(fileData(recno));
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    dragEnded();
}

void TreeDragDrop::scrollNearEdge(int y)
{
    if (!m_tree || !m_timer)
        return;
    const int height = m_tree->height();
    if (y < EdgeBand)
        m_scrollUp = true;
    else if (height - y < EdgeBand)
        m_scrollUp = false;
    else {
        m_timer->stop();
        return;
    }
    if (!m_timer->isActive())
        m_timer->start();
}

void TreeDragDrop::scrollOneLine()
{
    if (m_tree)
        m_tree->verticalScrollBar()->triggerAction(m_scrollUp
                ? QAbstractSlider::SliderSingleStepSub
                : QAbstractSlider::SliderSingleStepAdd);
}

void TreeDragDrop::dragEnded()
{
    if (m_timer)
        m_timer->stop();
}

bool TreeDragDrop::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_tree || watched != m_tree->viewport())
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        // A copy, never a move: the tree would remove the dragged node after a move.
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        const QPoint inTree = m_tree->viewport()->mapTo(m_tree, drag->position().toPoint());
        scrollNearEdge(inTree.y());
        return true;
    }
    case QEvent::DragLeave:
        dragEnded();
        return true;
    case QEvent::Drop:
        return handleDrop(static_cast<QDropEvent *>(event));
    default:
        return false;
    }
}

bool TreeDragDrop::handleDrop(QDropEvent *event)
{
    dragEnded();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const QPoint pos = event->position().toPoint();
    const quint32 file = fileOf(event);
    if (file == 0 && event->source() != m_tree)
        return true; // from elsewhere: nothing to do with it
    // Once the drag has ended: the drop rebuilds the tree, whose own drag is still on
    // the stack until then.
    QTimer::singleShot(0, this, [this, pos, file] { m_drop(pos, file); });
    return true;
}

quint32 TreeDragDrop::fileOf(const QDropEvent *event) const
{
    const QByteArray data = event->mimeData()->data(QLatin1String(kFileFormat));
    const QByteArray tag = processTag();
    if (!data.startsWith(tag))
        return 0;
    bool ok = false;
    const quint32 recno = data.mid(tag.size()).toUInt(&ok);
    return ok ? recno : 0;
}
