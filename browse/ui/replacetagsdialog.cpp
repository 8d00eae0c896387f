#include "replacetagsdialog.h"

#include "browse/tagfilter.h"
#include "dialogs/dialoglayout.h"
#include "dialogs/shareddialog.h"
#include "platform/textcodec.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

namespace
{

const char kTagUsed[]
    = QT_TRANSLATE_NOOP("ReplaceTagsDialog", "Tag  '%1'  is used by the filter !");

// Takes what is typed upper-cased, leaving out what no tag can be: a character the table
// does not store in one byte.
class UpperTagValidator : public QValidator
{
public:
    UpperTagValidator(const TextCodec &codec, QObject *parent)
        : QValidator(parent)
        , m_codec(codec)
    {
    }
    State validate(QString &input, int &) const override
    {
        QString kept;
        for (QChar c : m_codec.upperText(input))
            if (m_codec.isSingleByte(QString(c)))
                kept += c;
        input = kept;
        return Acceptable;
    }

private:
    const TextCodec &m_codec;
};

QLineEdit *tagField(QWidget *parent, const char *name, const TextCodec &codec)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setMaxLength(1);
    field->setValidator(new UpperTagValidator(codec, field));
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 3);
    return field;
}

} // namespace

ReplaceTagsDialog::ReplaceTagsDialog(
    QWidget *mainWindow, const QString &filterTags, Replace replace, const TextCodec &codec)
    : QDialog(mainWindow)
    , m_mainWindow(mainWindow)
    , m_filterTags(filterTags)
    , m_replace(std::move(replace))
{
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(tr("Input"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto *title = new QLabel(tr("Replace tags  ?"), this);
    title->setObjectName(QStringLiteral("Label1"));
    allFoldersCheckBox = new QCheckBox(tr("all folders ?"), this);
    allFoldersCheckBox->setObjectName(QStringLiteral("CheckBox1"));
    fromEdit = tagField(this, "Edit1", codec);
    toEdit = tagField(this, "Edit2", codec);
    auto *between = new QLabel(tr("from ---> to:"), this);
    between->setObjectName(QStringLiteral("Label2"));
    okButton = new QPushButton(tr("&OK"), this);
    okButton->setObjectName(QStringLiteral("Button3"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(tr("&Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("Button2"));

    auto *fields = new QHBoxLayout;
    fields->addWidget(fromEdit);
    fields->addWidget(between);
    fields->addWidget(toEdit);
    fields->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(allFoldersCheckBox);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(fromEdit, toEdit);
    setTabOrder(toEdit, allFoldersCheckBox);
    setTabOrder(allFoldersCheckBox, okButton);
    setTabOrder(okButton, cancelButton);

    connect(okButton, &QPushButton::clicked, this, [this] { confirm(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
}

void ReplaceTagsDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_mainWindow && m_mainWindow->isVisible())
        move(centredPosition(m_mainWindow->frameGeometry(), frameGeometry().size()));
    fromEdit->setFocus();
}

void ReplaceTagsDialog::confirm()
{
    for (QLineEdit *field : { fromEdit, toEdit })
        field->setText(field->text().remove(QLatin1Char('-')));
    const QString from = fromEdit->text();
    const QString to = toEdit->text();
    const QString used = tagfilter::tagUsedByFilter(m_filterTags, from, to);
    if (!used.isEmpty()) {
        showDialog(DialogKind::Error,
            QCoreApplication::translate("ReplaceTagsDialog", kTagUsed).arg(used));
        return;
    }
    if (m_replace)
        m_replace(from, to, allFoldersCheckBox->isChecked());
    accept();
}

void ReplaceTagsDialog::cancel()
{
    reject();
}
