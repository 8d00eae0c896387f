#include "celleditor.h"

#include "browse/catalogmodel.h"
#include "griddelegate.h"

#include <QCoreApplication>
#include <QLineEdit>

namespace
{

const char kBadName[] = QT_TRANSLATE_NOOP("CellEditor",
    "File name  '%1'  is not valid (it needs a dot and must not end in a "
    "blank): the file keeps its name  '%2'  !");
const char kBadNameWithoutExtension[] = QT_TRANSLATE_NOOP("CellEditor",
    "File name  '%1'  is not valid (it must not be empty "
    "or end in a blank): the file keeps its name  '%2'  !");

// The table whose records the grid shows.
const CatalogTable *tableOf(const QModelIndex &index)
{
    const auto *model = qobject_cast<const CatalogModel *>(index.model());
    return model ? model->catalog() : nullptr;
}

} // namespace

QValidator::State FieldValidator::validate(QString &input, int &) const
{
    for (const QChar c : std::as_const(input)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return Invalid;
        if (m_kind == Kind::FileName && (c == QLatin1Char('/') || c == QLatin1Char('\\')))
            return Invalid;
        if (m_kind == Kind::Tags && m_codec.isUtf8() && c.unicode() >= 0x80)
            return Invalid; // a tag is one byte of CODE
    }
    if (!m_codec.isExpressible(input))
        return Invalid;
    return m_codec.byteLength(input) <= m_maxBytes ? Acceptable : Invalid;
}

CellEditDelegate::CellEditDelegate(const GridDelegate *columns, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_columns(columns)
{
}

QWidget *CellEditDelegate::createEditor(
    QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        const CatalogTable::Field field = CatalogModel::fieldOfColumn(index.column());
        // What does not fit the field would be cut when it is stored.
        const int width = CatalogTable::layout()[field].width;
        line->setMaxLength(width);
        const CatalogTable *table = tableOf(index);
        const FieldValidator::Kind kind = field == CatalogTable::NAME
            ? FieldValidator::Kind::FileName
            : (field == CatalogTable::CODE ? FieldValidator::Kind::Tags
                                           : FieldValidator::Kind::Text);
        line->setValidator(new FieldValidator(
            kind, table ? table->codec() : TextCodec::windows1252(), width, line));
    }
    m_editor = editor;
    return editor;
}

void CellEditDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (editor == m_editor)
        m_editor = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool CellEditDelegate::acceptableFileName(const QString &name, bool extensionless)
{
    return (extensionless ? !name.isEmpty() : name.contains(QLatin1Char('.')))
        && !name.endsWith(QLatin1Char(' ')) && name != QLatin1String(".")
        && name != QLatin1String("..");
}

void CellEditDelegate::setModelData(
    QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (line && CatalogModel::fieldOfColumn(index.column()) == CatalogTable::NAME) {
        const QString typed = line->text();
        const QString old = index.data(Qt::EditRole).toString();
        const CatalogTable *table = tableOf(index);
        const bool extensionless = table && table->choices().extensionless;
        if (typed != old && !acceptableFileName(typed, extensionless)) {
            // Shown once the editor is gone: a dialog now would take the focus from an
            // editor that is still closing.
            const QString message = QCoreApplication::translate(
                "CellEditor", extensionless ? kBadNameWithoutExtension : kBadName)
                                        .arg(typed, old);
            auto *self = const_cast<CellEditDelegate *>(this);
            QMetaObject::invokeMethod(
                self, [self, message] { emit self->nameRefused(message); }, Qt::QueuedConnection);
            return;
        }
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

void CellEditDelegate::closeOpenEditor(bool commit)
{
    QWidget *editor = m_editor;
    if (!editor)
        return;
    m_editor = nullptr;
    if (commit)
        emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

// The grid's column backgrounds apply to the edited columns as well.
void CellEditDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (m_columns)
        m_columns->paintColumnBackground(option, index.column());
}
