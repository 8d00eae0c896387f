#include "movefilewindow.h"

#include "dialogs/dialoglayout.h"
#include "platform/codepage.h"

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
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = codepage::upperText(input);
        return Acceptable;
    }
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
    setWindowTitle(QStringLiteral("Input"));
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
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setValidator(new UpperCase(Edit1));
    Button3 = new QPushButton(QStringLiteral("&OK"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    for (QPushButton *b : { Button3, Button2 }) {
        // Enter is OK wherever the focus is, not the button that has it.
        b->setAutoDefault(false);
        b->setFixedSize(buttonWidth, buttonHeight);
    }
    connect(Button3, &QPushButton::clicked, this, &MoveFileWindow::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &MoveFileWindow::Button2Click);

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setFixedSize(32, 32);
    image->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    Label5 = label(this, "Label5", QString());
    Label5->setFixedWidth(nameWidth);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(border, border, border, border);
    auto *top = new QHBoxLayout;
    top->setSpacing(labelLeft - border - 32);
    top->addWidget(image, 0, Qt::AlignTop);
    top->addWidget(Label5, 0, Qt::AlignVCenter);
    top->addStretch(1);
    column->addLayout(top);
    column->addWidget(label(this, "Label1", QStringLiteral("Move file to ?")));
    column->addWidget(label(this, "Label2", QStringLiteral("relative to the root folder.")));
    column->addWidget(
        label(this, "Label8", QStringLiteral("select also in the left folder list,")));
    column->addWidget(
        label(this, "Label7", QStringLiteral("and switch with Shift+TAB the windows !")));
    column->addWidget(Edit1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button3);
    buttons->addWidget(Button2);
    buttons->addStretch(1);
    column->addLayout(buttons);

    auto *toMain = new QAction(this);
    toMain->setObjectName(QStringLiteral("Action1"));
    toMain->setShortcuts(
        { QKeySequence(Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::Key_Backtab) });
    connect(toMain, &QAction::triggered, this, &MoveFileWindow::Action1Execute);
    addAction(toMain);
}

void MoveFileWindow::setFileName(const QString &name)
{
    Label5->setText(name);
}

QString MoveFileWindow::fileName() const
{
    return Label5->text();
}

void MoveFileWindow::setDestination(const QString &folderPath)
{
    Edit1->setText(codepage::upperText(folderPath));
}

QString MoveFileWindow::destination() const
{
    return codepage::upperText(Edit1->text());
}

void MoveFileWindow::centreOverOwner()
{
    const QWidget *owner = parentWidget();
    if (owner && owner->isVisible())
        move(centredPosition(owner->frameGeometry(), frameGeometry().size()));
}

void MoveFileWindow::Button3Click()
{
    emit okPressed();
}

void MoveFileWindow::Button2Click()
{
    emit cancelPressed();
}

void MoveFileWindow::Action1Execute()
{
    emit mainWindowWanted();
}

bool MoveFileWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        Edit1->setFocus(Qt::ActiveWindowFocusReason);
        Edit1->selectAll();
    }
    return QDialog::event(event);
}

void MoveFileWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Button3Click();
        return;
    case Qt::Key_Escape:
        Button2Click();
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
