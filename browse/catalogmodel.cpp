#include "catalogmodel.h"

#include <QBrush>
#include <QCoreApplication>

namespace
{

const char *const kTitles[] = { QT_TRANSLATE_NOOP("Browse", "File"),
    QT_TRANSLATE_NOOP("Browse", "Note"), QT_TRANSLATE_NOOP("Browse", "Tags"),
    QT_TRANSLATE_NOOP("Browse", "Date"), QT_TRANSLATE_NOOP("Browse", "Size") };

} // namespace

CatalogModel::CatalogModel(CatalogTable *table, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
    connect(m_table, &CatalogTable::viewsAttached, this, &CatalogModel::onAttached);
    connect(m_table, &CatalogTable::recordsChanged, this, &CatalogModel::onAttached);
    m_formatDate = [](const QDate &d) { return d.toString(QStringLiteral("dd.MM.yy")); };
}

void CatalogModel::setDateFormatter(std::function<QString(const QDate &)> formatter)
{
    m_formatDate = std::move(formatter);
    if (!m_recnos.empty())
        emit dataChanged(index(0, DateColumn), index(rowCount() - 1, DateColumn));
}

int CatalogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_recnos.size());
}

int CatalogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

CatalogTable::Field CatalogModel::fieldOfColumn(int column)
{
    static const CatalogTable::Field fields[] = { CatalogTable::NAME, CatalogTable::NOTE,
        CatalogTable::CODE, CatalogTable::DATE, CatalogTable::SIZE };
    return fields[column];
}

QString CatalogModel::fieldText(int row, CatalogTable::Field field) const
{
    if (row < 0 || row >= rowCount())
        return {};
    const DbfField &f = CatalogTable::layout()[field];
    const QByteArray &rec = m_records[size_t(row)];
    if (rec.size() < f.offset + f.width)
        return {};
    int len = f.width;
    const char *p = rec.constData() + f.offset;
    while (len > 0 && p[len - 1] == ' ')
        --len;
    return m_table->codec().toUnicode(p, len);
}

QVariant CatalogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            (index.column() == SizeColumn ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const CatalogTable::Field field = fieldOfColumn(index.column());
    const QString text = fieldText(index.row(), field);
    if (field == CatalogTable::DATE) {
        const QDate d = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
        return d.isValid() ? m_formatDate(d) : QString();
    }
    return text;
}

QVariant CatalogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QCoreApplication::translate("Browse", kTitles[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            (section == SizeColumn ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role == Qt::ForegroundRole && section != SizeColumn && m_sortedColumn >= 0)
        return QBrush(section == m_sortedColumn ? QColor(255, 0, 0) : QColor(0, 0, 0));
    return {};
}

Qt::ItemFlags CatalogModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid() && index.column() <= TagsColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

bool CatalogModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable))
        return false;
    DbfTable &t = m_table->table();
    const quint32 recno = recnoAt(index.row());
    if (!t.isOpen() || recno == 0)
        return false;
    const CatalogTable::Field field = fieldOfColumn(index.column());
    // An editor closed unchanged starts no edit.
    if (value.toString() == fieldText(index.row(), field))
        return true;
    // Moving to another record writes a pending edit first, as any move of the table does.
    if (t.recNo() != qint64(recno) && !t.goTo(recno))
        return false;
    if (t.state() == DbfTable::State::Browse && !t.edit())
        return false;
    t.setFieldText(field, value.toString());
    m_records[size_t(index.row())] = t.recordBytes();
    m_typed = true;
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    return true;
}

int CatalogModel::columnOfOrder(int order)
{
    static const int columns[] = { FileColumn, DateColumn, TagsColumn, NoteColumn };
    return order >= 1 && order <= 4 ? columns[order - 1] : -1;
}

void CatalogModel::setSortedColumn(int column)
{
    if (column < FileColumn || column >= SizeColumn)
        column = -1;
    if (column == m_sortedColumn)
        return;
    m_sortedColumn = column;
    emit headerDataChanged(Qt::Horizontal, FileColumn, DateColumn);
}

quint32 CatalogModel::recnoAt(int row) const
{
    return (row >= 0 && row < rowCount()) ? m_recnos[size_t(row)] : 0;
}

int CatalogModel::rowOfRecno(qint64 recno) const
{
    if (recno <= 0 || recno > 0xFFFFFFFFll)
        return -1;
    return m_rowOfRecno.value(quint32(recno), -1);
}

int CatalogModel::currentRow() const
{
    return rowOfRecno(m_table->table().recNo());
}

void CatalogModel::onAttached()
{
    if (!m_table->isDetached())
        reload();
}

void CatalogModel::reload()
{
    beginResetModel();
    m_typed = false;
    m_recnos.clear();
    m_records.clear();
    m_rowOfRecno.clear();
    DbfTable &t = m_table->table();
    if (t.isOpen() && t.state() == DbfTable::State::Browse) {
        const qint64 current = t.recNo();
        // A walk that met a damaged index says so (Corrupt) once the index is mended: the
        // rows it gave are then read again.
        DbStatus st(DbStatus::Corrupt, QString());
        for (int attempt = 0; attempt < 2 && st.code() == DbStatus::Corrupt; ++attempt) {
            if (attempt > 0) {
                m_recnos.clear();
                m_records.clear();
                m_rowOfRecno.clear();
            }
            for (st = t.first(); st && !t.eof(); st = t.next()) {
                m_rowOfRecno.insert(quint32(t.recNo()), int(m_recnos.size()));
                m_recnos.push_back(quint32(t.recNo()));
                m_records.push_back(t.recordBytes());
            }
        }
        if (current > 0 && !t.goTo(quint32(current)))
            t.first();
        else if (current <= 0)
            t.first();
    }
    endResetModel();
}
