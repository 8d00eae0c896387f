#include "rootfolderdialog.h"

#include "state/settings.h"

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

    Label1 = new QLabel(QStringLiteral("Folder ?  (also relative f.e. \"Files\\\")"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFixedWidth(201);
    Edit1->installEventFilter(this);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), QString(), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setFixedSize(30, 22);
    BitBtn1->setAutoDefault(false);
    Button5 = new QPushButton(QStringLiteral("usb"), this);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button5->setFixedSize(30, 16);
    Button5->setFocusPolicy(Qt::NoFocus);
    Button5->setAutoDefault(false);
    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setEnabled(false);
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(5, 5, 5, 5);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(Label1, 0, 0, Qt::AlignBottom);
    grid->addWidget(Button5, 0, 1, Qt::AlignBottom);
    grid->addWidget(Edit1, 1, 0);
    grid->addWidget(BitBtn1, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 2, 0, 1, 2);

    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, BitBtn1);

    connect(Edit1, &QLineEdit::textChanged, this, &RootFolderDialog::Edit1Change);
    connect(Button1, &QPushButton::clicked, this, &RootFolderDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &RootFolderDialog::Button2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &RootFolderDialog::BitBtn1Click);
    connect(Button5, &QPushButton::clicked, this, &RootFolderDialog::Button5Click);
    m_chooser = [this](const QString &caption, const QString &headline, const QString &start) {
        return browseWithDialog(caption, headline, start);
    };
}

QString RootFolderDialog::text() const
{
    return Edit1->text();
}

void RootFolderDialog::setText(const QString &text)
{
    Edit1->setText(text);
    Edit1Change(text); // also when the text did not change
}

void RootFolderDialog::setFolderChooser(FolderChooser chooser)
{
    m_chooser = std::move(chooser);
}

bool RootFolderDialog::askRootFolder(
    const QString &caption, const QString &initialText, QString *answer, QWidget *parent)
{
    RootFolderDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setText(initialText);
    if (dialog.exec() != 1 || dialog.text().isEmpty())
        return false;
    *answer = dialog.text();
    return true;
}

void RootFolderDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void RootFolderDialog::closeEvent(QCloseEvent *event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void RootFolderDialog::FormShow()
{
    // Centred on the screen: at the first start there is no main window to centre on.
    if (QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    Edit1->setFocus();
}

void RootFolderDialog::FormClose()
{
    // The close box ends the dialog like Cancel; OK has set its code before closing.
    if (result() != 1)
        setResult(0);
}

void RootFolderDialog::Edit1Change(const QString &text)
{
    Button1->setEnabled(!text.isEmpty());
}

bool RootFolderDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit1 && event->type() == QEvent::KeyPress)
        return EnterTab(static_cast<QKeyEvent *>(event));
    return QDialog::eventFilter(watched, event);
}

// Enter in the field moves on to OK instead of closing the dialog, so the user sees the
// answer once more before confirming it with a second Enter. With an empty field there is
// nothing to confirm, and moving on would put the focus on Cancel, where a second Enter
// would end the program: the key is then swallowed.
bool RootFolderDialog::EnterTab(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    if (!Edit1->text().isEmpty())
        Button1->setFocus(Qt::TabFocusReason);
    return true;
}

void RootFolderDialog::Button1Click()
{
    done(1);
}

void RootFolderDialog::Button2Click()
{
    done(0);
}

void RootFolderDialog::BitBtn1Click()
{
    const QString chosen = m_chooser(QStringLiteral("Search folder"), windowTitle(), Edit1->text());
    if (!chosen.isEmpty())
        Edit1->setText(chosen);
}

void RootFolderDialog::Button5Click()
{
    Edit1->setText(toUsbRoot(Edit1->text()));
}

QString RootFolderDialog::browseWithDialog(
    const QString &caption, const QString &headline, const QString &start)
{
    if (!PJBrowseDialog1) {
        PJBrowseDialog1 = new QFileDialog(this);
        PJBrowseDialog1->setObjectName(QStringLiteral("PJBrowseDialog1"));
        PJBrowseDialog1->setFileMode(QFileDialog::Directory);
        PJBrowseDialog1->setOption(QFileDialog::ShowDirsOnly);
        // The headline needs a label of the dialog's own, which the native one lacks.
        PJBrowseDialog1->setOption(QFileDialog::DontUseNativeDialog);
    }
    PJBrowseDialog1->setWindowTitle(caption);
    PJBrowseDialog1->setLabelText(QFileDialog::LookIn, headline);
    const QFileInfo startFolder(QString(start).replace(QLatin1Char('\\'), QLatin1Char('/')));
    if (startFolder.isAbsolute() && startFolder.isDir()) {
        PJBrowseDialog1->setDirectory(startFolder.absolutePath());
        PJBrowseDialog1->selectFile(startFolder.absoluteFilePath());
    } else {
        PJBrowseDialog1->setDirectory(
            QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    }
    if (PJBrowseDialog1->exec() != QDialog::Accepted || PJBrowseDialog1->selectedFiles().isEmpty())
        return QString();
    return QDir::toNativeSeparators(PJBrowseDialog1->selectedFiles().first());
}
