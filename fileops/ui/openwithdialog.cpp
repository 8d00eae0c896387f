#include "openwithdialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

OpenWithDialog::OpenWithDialog(
    const QString &file, std::vector<desktopapps::Application> applications, QWidget *parent)
    : QDialog(parent)
    , m_apps(std::move(applications))
{
    setObjectName(QStringLiteral("OpenWithDialog"));
    setWindowTitle(tr("Open with"));
    auto *column = new QVBoxLayout(this);
    auto *label = new QLabel(tr("Open  '%1'  with:").arg(QFileInfo(file).fileName()), this);
    column->addWidget(label);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ApplicationList"));
    for (const desktopapps::Application &app : m_apps)
        m_list->addItem(app.name);
    column->addWidget(m_list);

    auto *other = new QPushButton(tr("Other &program ..."), this);
    other->setObjectName(QStringLiteral("OtherProgram"));
    other->setAutoDefault(false);
    column->addWidget(other, 0, Qt::AlignLeft);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setEnabled(false);
    column->addWidget(buttons);

    m_chooseProgram = [this] {
        return QFileDialog::getOpenFileName(this, tr("Program"), QStringLiteral("/usr/bin"));
    };
    connect(m_list, &QListWidget::currentRowChanged, this,
        [this](int row) { m_ok->setEnabled(row >= 0); });
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
    connect(other, &QPushButton::clicked, this, &OpenWithDialog::chooseOtherProgram);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (!m_apps.empty())
        m_list->setCurrentRow(0);
    resize(360, 320);
}

const desktopapps::Application *OpenWithDialog::chosenApplication() const
{
    const int row = m_list->currentRow();
    if (!m_program.isEmpty() || row < 0 || row >= int(m_apps.size()))
        return nullptr;
    return &m_apps[size_t(row)];
}

void OpenWithDialog::chooseOtherProgram()
{
    const QString program = m_chooseProgram ? m_chooseProgram() : QString();
    if (program.isEmpty())
        return;
    m_program = program;
    accept();
}
