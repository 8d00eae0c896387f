#pragma once

#include "store/catalogtable.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <functional>
#include <vector>

// The grid's model: the records of the catalogue table's current range, in the order in
// force, one row per record. It only translates; the table holds the rules.
//
// The rows are read once when the model is attached (or the table reports a change) by
// walking the range, and kept as raw records, so painting never moves the table. While
// the table's views are detached the model keeps what it showed and is reset once when
// they are attached again: a walk over many records repaints the grid once.
class CatalogModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { FileColumn = 0, NoteColumn, TagsColumn, DateColumn, SizeColumn, ColumnCount };

    explicit CatalogModel(CatalogTable *table, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // While editable, File, Note and Tags accept input: the value goes into the table's
    // edit buffer of the row's record (the edit is started there), and the row shows the
    // buffer. Writing it is the table's business: its next move or post applies the rules.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Record edit mode switches this on; Date and Size never accept input.
    void setEditable(bool on) { m_editable = on; }
    bool isEditable() const { return m_editable; }
    // True after setData changed a row, until the next reload: the rows may show a buffer
    // that the table has since written (with its rules applied) or dropped.
    bool showsTypedValues() const { return m_typed; }

    // The dates of the grid are shown by the program's date rules.
    void setDateFormatter(std::function<QString(const QDate &)> formatter);

    // Physical record number shown in a row, and the row of a record (-1 when not shown).
    quint32 recnoAt(int row) const;
    int rowOfRecno(qint64 recno) const;
    // The row of the table's current record, -1 when there is none.
    int currentRow() const;

    // Reads the rows again from the table; keeps the table's current record.
    void reload();

    // The column whose title is marked as the sorted one (red); the titles of the other
    // sortable columns are black, the Size title keeps the header's own colour. -1 marks
    // none.
    void setSortedColumn(int column);
    int sortedColumn() const { return m_sortedColumn; }
    // The column whose title shows the order "1".."4"; -1 for any other number.
    static int columnOfOrder(int order);

    // Text of a field of a shown row, decoded, without trailing blanks.
    QString fieldText(int row, CatalogTable::Field field) const;

    static CatalogTable::Field fieldOfColumn(int column);
    // The table the rows come from.
    const CatalogTable *catalog() const { return m_table; }

private:
    void onAttached();

    CatalogTable *m_table;
    std::vector<quint32> m_recnos;
    std::vector<QByteArray> m_records;
    QHash<quint32, int> m_rowOfRecno;
    int m_sortedColumn = -1;
    std::function<QString(const QDate &)> m_formatDate;
    bool m_editable = false;
    bool m_typed = false;
};
