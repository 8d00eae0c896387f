#include "replacetagsdialog.h"

#include "browse/tagfilter.h"
#include "dialogs/dialoglayout.h"
#include "dialogs/shareddialog.h"
#include "platform/codepage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

namespace
{

const char kTagUsed[] = "Tag  '%1'  is used by the filter !";

// Takes what is typed upper-cased, leaving out what no tag can be.
class UpperTagValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        QString kept;
        for (QChar c : codepage::upperText(input))
            if (codepage::isExpressible(QString(c)))
                kept += c;
        input = kept;
        return Acceptable;
    }
};

QLineEdit *tagField(QWidget *parent, const char *name)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setMaxLength(1);
    field->setValidator(new UpperTagValidator(field));
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 3);
    return field;
}

} // namespace

ReplaceTagsDialog::ReplaceTagsDialog(
    QWidget *mainWindow, const QString &filterTags, Replace replace)
    : QDialog(mainWindow)
    , m_mainWindow(mainWindow)
    , m_filterTags(filterTags)
    , m_replace(std::move(replace))
{
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Input"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto *title = new QLabel(QStringLiteral("Replace tags  ?"), this);
    title->setObjectName(QStringLiteral("Label1"));
    CheckBox1 = new QCheckBox(QStringLiteral("all folders ?"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Edit1 = tagField(this, "Edit1");
    Edit2 = tagField(this, "Edit2");
    auto *between = new QLabel(QStringLiteral("from ---> to:"), this);
    between->setObjectName(QStringLiteral("Label2"));
    Button3 = new QPushButton(QStringLiteral("&OK"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));

    auto *fields = new QHBoxLayout;
    fields->addWidget(Edit1);
    fields->addWidget(between);
    fields->addWidget(Edit2);
    fields->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button3);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(CheckBox1);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, CheckBox1);
    setTabOrder(CheckBox1, Button3);
    setTabOrder(Button3, Button2);

    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void ReplaceTagsDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_mainWindow && m_mainWindow->isVisible())
        move(centredPosition(m_mainWindow->frameGeometry(), frameGeometry().size()));
    Edit1->setFocus();
}

void ReplaceTagsDialog::Button3Click()
{
    for (QLineEdit *field : { Edit1, Edit2 })
        field->setText(field->text().remove(QLatin1Char('-')));
    const QString from = Edit1->text();
    const QString to = Edit2->text();
    const QString used = tagfilter::tagUsedByFilter(m_filterTags, from, to);
    if (!used.isEmpty()) {
        ShowDialog(DialogKind::Error, QString::fromLatin1(kTagUsed).arg(used));
        return;
    }
    if (m_replace)
        m_replace(from, to, CheckBox1->isChecked());
    accept();
}

void ReplaceTagsDialog::Button2Click()
{
    reject();
}
