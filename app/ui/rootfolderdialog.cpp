#include "rootfolderdialog.h"

#include "state/settings.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>

RootFolderDialog::RootFolderDialog(QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TForm2"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    m_promptLabel = new QLabel(tr("Folder ?  (also relative f.e. \"Files\\\")"), this);
    m_promptLabel->setObjectName(QStringLiteral("Label1"));
    m_rootPathEdit = new QLineEdit(this);
    m_rootPathEdit->setObjectName(QStringLiteral("Edit1"));
    m_rootPathEdit->setFixedWidth(201);
    m_rootPathEdit->installEventFilter(this);
    m_browseButton
        = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), QString(), this);
    m_browseButton->setObjectName(QStringLiteral("BitBtn1"));
    m_browseButton->setFixedSize(30, 22);
    m_browseButton->setAutoDefault(false);
    m_usbButton = new QPushButton(tr("usb"), this);
    m_usbButton->setObjectName(QStringLiteral("Button5"));
    m_usbButton->setFixedSize(30, 16);
    m_usbButton->setFocusPolicy(Qt::NoFocus);
    m_usbButton->setAutoDefault(false);
    // The catalogue's choices, made once with the table (see the guide).
    m_unicodeCheckBox = new QCheckBox(tr("&Unicode catalogue (UTF-8 names)"), this);
    m_unicodeCheckBox->setObjectName(QStringLiteral("unicodeCheckBox"));
    m_extensionlessCheckBox = new QCheckBox(tr("files &without extension too"), this);
    m_extensionlessCheckBox->setObjectName(QStringLiteral("extensionlessCheckBox"));
    m_okButton = new QPushButton(tr("&OK"), this);
    m_okButton->setObjectName(QStringLiteral("Button1"));
    m_okButton->setEnabled(false);
    m_cancelButton = new QPushButton(tr("&Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("Button2"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(5, 5, 5, 5);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(m_promptLabel, 0, 0, Qt::AlignBottom);
    grid->addWidget(m_usbButton, 0, 1, Qt::AlignBottom);
    grid->addWidget(m_rootPathEdit, 1, 0);
    grid->addWidget(m_browseButton, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    grid->addWidget(m_unicodeCheckBox, 2, 0, 1, 2);
    grid->addWidget(m_extensionlessCheckBox, 3, 0, 1, 2);
    grid->addLayout(buttons, 4, 0, 1, 2);

    setTabOrder(m_rootPathEdit, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);
    setTabOrder(m_cancelButton, m_browseButton);
    setTabOrder(m_browseButton, m_unicodeCheckBox);
    setTabOrder(m_unicodeCheckBox, m_extensionlessCheckBox);

    connect(m_rootPathEdit, &QLineEdit::textChanged, this, &RootFolderDialog::enableOk);
    connect(m_okButton, &QPushButton::clicked, this, &RootFolderDialog::answerOk);
    connect(m_cancelButton, &QPushButton::clicked, this, &RootFolderDialog::answerCancel);
    connect(m_browseButton, &QPushButton::clicked, this, &RootFolderDialog::browse);
    connect(m_usbButton, &QPushButton::clicked, this, &RootFolderDialog::makeUsbRoot);
    m_chooser = [this](const QString &caption, const QString &headline, const QString &start) {
        return browseWithDialog(caption, headline, start);
    };
}

QString RootFolderDialog::text() const
{
    return m_rootPathEdit->text();
}

void RootFolderDialog::setText(const QString &text)
{
    m_rootPathEdit->setText(text);
    enableOk(text); // also when the text did not change
}

CatalogueChoices RootFolderDialog::choices() const
{
    CatalogueChoices c;
    c.unicode = m_unicodeCheckBox->isChecked();
    c.extensionless = m_extensionlessCheckBox->isChecked();
    return c;
}

void RootFolderDialog::setFolderChooser(FolderChooser chooser)
{
    m_chooser = std::move(chooser);
}

bool RootFolderDialog::askRootFolder(const QString &caption, const QString &initialText,
    QString *answer, CatalogueChoices *choices, QWidget *parent)
{
    RootFolderDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setText(initialText);
    if (dialog.exec() != 1 || dialog.text().isEmpty())
        return false;
    *answer = dialog.text();
    if (choices)
        *choices = dialog.choices();
    return true;
}

void RootFolderDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreAndFocus();
}

void RootFolderDialog::closeEvent(QCloseEvent *event)
{
    closeAsCancel();
    QDialog::closeEvent(event);
}

void RootFolderDialog::centreAndFocus()
{
    // Centred on the screen: at the first start there is no main window to centre on.
    if (QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    m_rootPathEdit->setFocus();
}

void RootFolderDialog::closeAsCancel()
{
    // The close box ends the dialog like Cancel; OK has set its code before closing.
    if (result() != 1)
        setResult(0);
}

void RootFolderDialog::enableOk(const QString &text)
{
    m_okButton->setEnabled(!text.isEmpty());
}

bool RootFolderDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_rootPathEdit && event->type() == QEvent::KeyPress)
        return enterMovesToOk(static_cast<QKeyEvent *>(event));
    return QDialog::eventFilter(watched, event);
}

// Enter in the field moves on to OK instead of closing the dialog, so the user sees the
// answer once more before confirming it with a second Enter. With an empty field there is
// nothing to confirm, and moving on would put the focus on Cancel, where a second Enter
// would end the program: the key is then swallowed.
bool RootFolderDialog::enterMovesToOk(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    if (!m_rootPathEdit->text().isEmpty())
        m_okButton->setFocus(Qt::TabFocusReason);
    return true;
}

void RootFolderDialog::answerOk()
{
    done(1);
}

void RootFolderDialog::answerCancel()
{
    done(0);
}

void RootFolderDialog::browse()
{
    const QString chosen = m_chooser(tr("Search folder"), windowTitle(), m_rootPathEdit->text());
    if (!chosen.isEmpty())
        m_rootPathEdit->setText(chosen);
}

void RootFolderDialog::makeUsbRoot()
{
    m_rootPathEdit->setText(toUsbRoot(m_rootPathEdit->text()));
}

QString RootFolderDialog::browseWithDialog(
    const QString &caption, const QString &headline, const QString &start)
{
    if (!m_folderDialog) {
        m_folderDialog = new QFileDialog(this);
        m_folderDialog->setObjectName(QStringLiteral("PJBrowseDialog1"));
        m_folderDialog->setFileMode(QFileDialog::Directory);
        m_folderDialog->setOption(QFileDialog::ShowDirsOnly);
        // The headline needs a label of the dialog's own, which the native one lacks.
        m_folderDialog->setOption(QFileDialog::DontUseNativeDialog);
    }
    m_folderDialog->setWindowTitle(caption);
    m_folderDialog->setLabelText(QFileDialog::LookIn, headline);
    const QFileInfo startFolder(QString(start).replace(QLatin1Char('\\'), QLatin1Char('/')));
    if (startFolder.isAbsolute() && startFolder.isDir()) {
        m_folderDialog->setDirectory(startFolder.absolutePath());
        m_folderDialog->selectFile(startFolder.absoluteFilePath());
    } else {
        m_folderDialog->setDirectory(
            QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    }
    if (m_folderDialog->exec() != QDialog::Accepted || m_folderDialog->selectedFiles().isEmpty())
        return QString();
    return QDir::toNativeSeparators(m_folderDialog->selectedFiles().first());
}
