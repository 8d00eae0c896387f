#pragma once

#include <QPointer>
#include <QSplitter>

// A two-pane splitter that behaves like the classic docked splitter: while dragged it
// only draws a hatched line, the new size is applied when the mouse is released, a pane
// left MinSize pixels or narrower closes completely, and the pane on the other side
// always keeps at least MinSize pixels.
class SnapSplitter : public QSplitter
{
    Q_OBJECT
public:
    static constexpr int MinSize = 30;
    static constexpr int HandleSize = 2;

    explicit SnapSplitter(Qt::Orientation orientation, QWidget *parent = nullptr);

    // The handle position a drag to `pos` ends at (pos is the size the first pane would
    // get; the result too).
    int snappedPosition(int pos) const;
    // Drag feedback and the final drop, in the splitter's coordinates along its axis.
    void showDragLine(int pos);
    void dropAt(int pos);

protected:
    QSplitterHandle *createHandle() override;

private:
    QPointer<QWidget> m_dragLine;
};
