#pragma once

#include <QColor>
#include <QStyledItemDelegate>

class QTableView;

// The file grid's default delegate: paints a background per column where one is set (the
// Date and Size columns are set apart from the editable ones while records are edited).
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 5;

    explicit GridDelegate(QObject *parent = nullptr);

    // The delegate installed on grid; null when it has none of this kind.
    static GridDelegate *of(const QTableView *grid);

    // An invalid colour leaves the column to the view's own background.
    void setColumnColor(int column, const QColor &color);
    QColor columnColor(int column) const;

    // The column's background into an item's style option (unless the item brings its own).
    void paintColumnBackground(QStyleOptionViewItem *option, int column) const;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    QColor m_colors[ColumnCount];
};
