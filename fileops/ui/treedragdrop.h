#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>

class QDropEvent;
class QMimeData;
class QTableView;
class QTimer;
class QTreeWidget;

// The drag machinery of the folder tree: a file dragged from the grid (started when a
// click moves the grid into another column) or a folder dragged within the tree, dropped
// on a tree folder. While a drag hovers within 15 pixels of the tree's top or bottom edge,
// the 50 ms timer scrolls the tree a line at a time towards that edge; it stops when the
// pointer moves away from the edges, leaves the tree, or the drag ends.
//
// The tree's own handling of drops (which would move its items) never runs: every drag
// over it is accepted here as a copy, so that the tree never removes the dragged node.
class TreeDragDrop : public QObject
{
    Q_OBJECT
public:
    // What was dropped where: the point in the tree's viewport, and the record number of
    // the file dragged from the grid, or 0 for the folder dragged in the tree.
    using DropHandler = std::function<void(const QPoint &viewportPos, quint32 file)>;

    TreeDragDrop(QTreeWidget *tree, QTableView *grid, QTimer *scrollTimer, DropHandler drop,
        QObject *parent = nullptr);

    // beginFileDrag: starts dragging the file of record recno from the grid, once the
    // click that moved the grid has been handled, and only while the mouse button that
    // made it is still down (a column change by key starts nothing).
    void beginFileDrag(quint32 recno);
    // What a file drag from the grid carries.
    static QMimeData *fileData(quint32 recno);

    // y: the pointer's distance from the tree's top edge.
    void scrollNearEdge(int y);
    void scrollOneLine();
    // The drag ended (dropped, left the tree or cancelled): no more scrolling.
    void dragEnded();

    static constexpr int EdgeBand = 15;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startFileDrag(quint32 recno);
    bool handleDrop(QDropEvent *event);
    quint32 fileOf(const QDropEvent *event) const;

    QPointer<QTreeWidget> m_tree;
    QPointer<QTableView> m_grid;
    QPointer<QTimer> m_timer;
    DropHandler m_drop;
    bool m_scrollUp = false;
};
