#include "movefilewindow.h"

#include "dialogs/dialoglayout.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <QValidator>

namespace
{

using dialoggeometry::border;
using dialoggeometry::buttonHeight;
using dialoggeometry::buttonWidth;
using dialoggeometry::labelLeft;
constexpr int nameWidth = 200;

// The field's text is upper case whatever is typed or pasted, by the catalogue's own rule.
class UpperCase : public QValidator
{
public:
    UpperCase(const TextCodec *const &codec, QObject *parent)
        : QValidator(parent)
        , m_codec(codec)
    {
    }
    State validate(QString &input, int &) const override
    {
        input = m_codec->upperText(input);
        return Acceptable;
    }

private:
    const TextCodec *const &m_codec; // the window's, which follows the archive
};

QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

MoveFileWindow::MoveFileWindow(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(tr("Input"));
    setModal(false);
    setWindowFlags(
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    createControls();
    setFixedSize(sizeHint());
}

void MoveFileWindow::createControls()
{
    // Created in the tab order: the destination field first.
    m_destinationEdit = new QLineEdit(this);
    m_destinationEdit->setObjectName(QStringLiteral("Edit1"));
    m_destinationEdit->setValidator(new UpperCase(m_codec, m_destinationEdit));
    m_okButton = new QPushButton(tr("&OK"), this);
    m_okButton->setObjectName(QStringLiteral("Button3"));
    m_cancelButton = new QPushButton(tr("&Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("Button2"));
    for (QPushButton *b : { m_okButton, m_cancelButton }) {
        // Enter is OK wherever the focus is, not the button that has it.
        b->setAutoDefault(false);
        b->setFixedSize(buttonWidth, buttonHeight);
    }
    connect(m_okButton, &QPushButton::clicked, this, &MoveFileWindow::confirm);
    connect(m_cancelButton, &QPushButton::clicked, this, &MoveFileWindow::cancel);

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setFixedSize(32, 32);
    image->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    m_fileNameLabel = label(this, "Label5", QString());
    m_fileNameLabel->setFixedWidth(nameWidth);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(border, border, border, border);
    auto *top = new QHBoxLayout;
    top->setSpacing(labelLeft - border - 32);
    top->addWidget(image, 0, Qt::AlignTop);
    top->addWidget(m_fileNameLabel, 0, Qt::AlignVCenter);
    top->addStretch(1);
    column->addLayout(top);
    column->addWidget(label(this, "Label1", tr("Move file to ?")));
    column->addWidget(label(this, "Label2", tr("relative to the root folder.")));
    column->addWidget(label(this, "Label8", tr("select also in the left folder list,")));
    column->addWidget(label(this, "Label7", tr("and switch with Shift+TAB the windows !")));
    column->addWidget(m_destinationEdit);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    column->addLayout(buttons);

    auto *toMain = new QAction(this);
    toMain->setObjectName(QStringLiteral("Action1"));
    toMain->setShortcuts(
        { QKeySequence(Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::Key_Backtab) });
    connect(toMain, &QAction::triggered, this, &MoveFileWindow::toMainWindow);
    addAction(toMain);
}

void MoveFileWindow::setFileName(const QString &name)
{
    m_fileNameLabel->setText(name);
}

QString MoveFileWindow::fileName() const
{
    return m_fileNameLabel->text();
}

void MoveFileWindow::setCodec(const TextCodec &codec)
{
    m_codec = &codec;
}

void MoveFileWindow::setDestination(const QString &folderPath)
{
    m_destinationEdit->setText(m_codec->upperText(folderPath));
}

QString MoveFileWindow::destination() const
{
    return m_codec->upperText(m_destinationEdit->text());
}

void MoveFileWindow::centreOverOwner()
{
    const QWidget *owner = parentWidget();
    if (owner && owner->isVisible())
        move(centredPosition(owner->frameGeometry(), frameGeometry().size()));
}

void MoveFileWindow::confirm()
{
    emit okPressed();
}

void MoveFileWindow::cancel()
{
    emit cancelPressed();
}

void MoveFileWindow::toMainWindow()
{
    emit mainWindowWanted();
}

bool MoveFileWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        m_destinationEdit->setFocus(Qt::ActiveWindowFocusReason);
        m_destinationEdit->selectAll();
    }
    return QDialog::event(event);
}

void MoveFileWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        confirm();
        return;
    case Qt::Key_Escape:
        cancel();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void MoveFileWindow::closeEvent(QCloseEvent *event)
{
    // The close box hides the window and does nothing else; the window lives on.
    hide();
    event->accept();
}
