#include "griddelegate.h"

#include <QTableView>

GridDelegate::GridDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

GridDelegate *GridDelegate::of(const QTableView *grid)
{
    return grid ? qobject_cast<GridDelegate *>(grid->itemDelegate()) : nullptr;
}

void GridDelegate::setColumnColor(int column, const QColor &color)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_colors[column] = color;
    if (auto *grid = qobject_cast<QTableView *>(parent()))
        grid->viewport()->update();
}

QColor GridDelegate::columnColor(int column) const
{
    return column >= 0 && column < ColumnCount ? m_colors[column] : QColor();
}

void GridDelegate::paintColumnBackground(QStyleOptionViewItem *option, int column) const
{
    const QColor c = columnColor(column);
    if (c.isValid() && !option->backgroundBrush.style())
        option->backgroundBrush = c;
}

void GridDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    paintColumnBackground(option, index.column());
}
