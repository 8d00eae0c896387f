#pragma once

#include "griddelegate.h"

#include "platform/textcodec.h"

#include <QPointer>
#include <QStyledItemDelegate>
#include <QValidator>

// Refuses, as they are typed or pasted, characters a catalogue field cannot hold: those
// outside the table's encoding, control characters, and in file names the path
// separators; in a Unicode table also a text longer than the field's bytes, and in the
// tags a character that takes more than a byte.
class FieldValidator : public QValidator
{
    Q_OBJECT
public:
    enum class Kind { Text, FileName, Tags };
    FieldValidator(Kind kind, const TextCodec &codec, int maxBytes, QObject *parent)
        : QValidator(parent)
        , m_kind(kind)
        , m_codec(codec)
        , m_maxBytes(maxBytes)
    {
    }
    State validate(QString &input, int &pos) const override;

private:
    Kind m_kind;
    const TextCodec &m_codec;
    int m_maxBytes;
};

// The cell editor of the grid's File, Note and Tags columns in record edit mode: no
// longer than the field, only characters the field can hold. A file name the record rules
// would undo (empty, without a dot, ending in a blank) never reaches the table; the user
// is told instead (nameRefused, delivered after the editor has closed).
class CellEditDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // columns: the grid's default delegate, whose column backgrounds apply here too.
    CellEditDelegate(const GridDelegate *columns, QObject *parent);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    void setModelData(
        QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;

    // The editor that is open, or null.
    QWidget *openEditor() const { return m_editor; }
    // Writes the open editor's text to the model (when commit) and closes it; the grid
    // takes the focus back if the editor had it.
    void closeOpenEditor(bool commit);

    // A name the record rules keep: not empty, not ending in a blank, and with a dot
    // unless the catalogue takes files without an extension.
    static bool acceptableFileName(const QString &name, bool extensionless = false);

signals:
    void nameRefused(const QString &message);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    QPointer<const GridDelegate> m_columns;
    mutable QPointer<QWidget> m_editor;
};
