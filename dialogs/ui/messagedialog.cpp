#include "messagedialog.h"

#include "datepicker.h"
#include "dialogs/regional.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>

namespace
{

using dialoggeometry::border;
using dialoggeometry::buttonHeight;
using dialoggeometry::buttonWidth;
using dialoggeometry::labelLeft;
constexpr int buttonGap = 8;
constexpr int editHeight = 21;
constexpr int rowGap = 8;
// The text field is laid out at this width and stretched with the window; without it a
// short prompt would leave barely room for a dozen characters.
constexpr int textFieldWidth = 250;
constexpr int dateFieldWidth = 127;
constexpr int pickerWidth = 21;
constexpr int progressHeight = 17;

MessageDialog::LinkOpener &linkOpener()
{
    static MessageDialog::LinkOpener opener
        = [](const QString &link) { QDesktopServices::openUrl(QUrl(link)); };
    return opener;
}

struct IconSpec {
    DialogIcon icon;
    const char *name;
    QStyle::StandardPixmap pixmap;
};

// Image1..Image9 in their design order; the about icon is the program's own when it has one.
const IconSpec iconSpecs[] = {
    { DialogIcon::Wait, "Image1", QStyle::SP_BrowserReload },
    { DialogIcon::Warning, "Image2", QStyle::SP_MessageBoxWarning },
    { DialogIcon::Error, "Image3", QStyle::SP_MessageBoxCritical },
    { DialogIcon::Information, "Image4", QStyle::SP_MessageBoxInformation },
    { DialogIcon::Question, "Image5", QStyle::SP_MessageBoxQuestion },
    { DialogIcon::About, "Image6", QStyle::SP_ComputerIcon },
    { DialogIcon::Input, "Image9", QStyle::SP_FileDialogDetailedView },
};

} // namespace

MessageDialog::MessageDialog(const DialogRequest &request, QWidget *owner)
    : QDialog(owner)
    , m_layout(dialogLayout(request.kind, request.language))
    , m_kind(request.kind)
    , m_waitWindow(dialogRole(request.kind) == DialogRole::Wait)
{
    setObjectName(QStringLiteral("TForm0"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (!m_waitWindow)
        flags |= Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    createControls();
    applyKind(request);
    placeControls();
    centreOver(owner);
}

void MessageDialog::setLinkOpener(LinkOpener opener)
{
    linkOpener() = std::move(opener);
}

void MessageDialog::createControls()
{
    // Created in the design's tab order: Edit2, Edit1, Button1, Button2, DateTimePicker1,
    // Button3; labels, icons and the progress bar take no focus.
    Edit2 = new QLineEdit(this);
    Edit1 = new QLineEdit(this);
    Button1 = new QPushButton(this);
    Button2 = new QPushButton(this);
    DateTimePicker1 = new DatePicker(this);
    Button3 = new QPushButton(this);
    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    ProgressBar1 = new QProgressBar(this);
    const QList<QWidget *> named = { Edit2, Edit1, Button1, Button2, DateTimePicker1, Button3,
        Label1, Label2, ProgressBar1 };
    const char *names[] = { "Edit2", "Edit1", "Button1", "Button2", "DateTimePicker1", "Button3",
        "Label1", "Label2", "ProgressBar1" };
    for (int i = 0; i < named.size(); ++i) {
        named[i]->setObjectName(QLatin1String(names[i]));
        named[i]->hide();
    }
    for (const IconSpec &entry : iconSpecs) {
        auto *image = new QLabel(this);
        image->setObjectName(QLatin1String(entry.name));
        image->setGeometry(border, border, 32, 32);
        QIcon icon = style()->standardIcon(entry.pixmap, nullptr, this);
        if (entry.icon == DialogIcon::About && !QApplication::windowIcon().isNull())
            icon = QApplication::windowIcon();
        image->setPixmap(icon.pixmap(32, 32));
        image->setVisible(entry.icon == m_layout.icon);
    }
    for (QPushButton *button : { Button1, Button2, Button3 }) {
        // Enter is the dialog's own rule (Action2), not the button default of the style.
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(Button1, &QPushButton::clicked, this, &MessageDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &MessageDialog::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &MessageDialog::Button3Click);
    connect(DateTimePicker1, &DatePicker::closeUp, this, &MessageDialog::DateTimePicker1CloseUp);
    createActions();
}

void MessageDialog::createActions()
{
    Action1 = new QAction(this);
    Action1->setObjectName(QStringLiteral("Action1"));
    Action1->setShortcut(Qt::Key_Escape);
    Action2 = new QAction(this);
    Action2->setObjectName(QStringLiteral("Action2"));
    Action2->setShortcuts({ QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter) });
    addAction(Action1);
    addAction(Action2);
    connect(Action1, &QAction::triggered, this, &MessageDialog::Action1Execute);
    connect(Action2, &QAction::triggered, this, &MessageDialog::Action2Execute);
}

void MessageDialog::applyKind(const DialogRequest &request)
{
    setWindowTitle(m_layout.caption);
    // Messages name files and folders; they are shown as typed, never as markup.
    Label1->setTextFormat(Qt::PlainText);
    Label1->setText(dialogMessageText(request.message));
    Label1->show();
    Button1->setText(m_layout.button1);
    Button2->setText(m_layout.button2);
    Button3->setText(m_layout.button3);
    Button1->setVisible(m_layout.buttonPair);
    Button2->setVisible(m_layout.buttonPair);
    Button3->setVisible(m_layout.singleButton);
    m_focusOnNo = focusOnNo(request.kind, request.option);
    if (m_focusOnNo)
        setTabOrder(Button2, Button1);
    applyFields(request);
    Action1->setEnabled(!m_waitWindow);
}

void MessageDialog::applyFields(const DialogRequest &request)
{
    if (m_layout.dateField) {
        Edit2->show();
        DateTimePicker1->show();
        if (!request.option.isEmpty()) {
            DateTimePicker1->setDate(YmdToDate(request.option));
            Edit2->setText(regional::formatDate(DateTimePicker1->date()));
        } else {
            DateTimePicker1->setDate(regional::today());
        }
        Edit2->installEventFilter(this);
    }
    if (m_layout.textField) {
        Edit1->setText(request.option);
        Edit1->show();
    }
    m_link = m_layout.link ? dialogLink(request.option) : QString();
    // Without an address the about box shows no link at all.
    m_layout.link = !m_link.isEmpty();
    if (m_layout.link) {
        Label2->setTextFormat(Qt::PlainText);
        Label2->setText(m_link);
        Label2->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
        Label2->setCursor(Qt::PointingHandCursor);
        Label2->installEventFilter(this);
        Label2->show();
    }
    if (m_layout.progressBar) {
        ProgressBar1->setTextVisible(false);
        ProgressBar1->setRange(0, 100);
        ProgressBar1->setValue(0);
        QPalette navy = ProgressBar1->palette();
        navy.setColor(QPalette::Highlight, QColor(0, 0, 128));
        ProgressBar1->setPalette(navy);
        ProgressBar1->show();
    }
}

QWidget *MessageDialog::firstFocus() const
{
    if (m_layout.dateField)
        return Edit2;
    if (m_layout.textField)
        return Edit1;
    if (m_layout.buttonPair)
        return m_focusOnNo ? Button2 : Button1;
    if (m_layout.singleButton)
        return Button3;
    return nullptr;
}

void MessageDialog::placeControls()
{
    Label1->adjustSize();
    const QSize label = Label1->size();
    const int height = dialogHeight(m_layout.baseHeight, label.height());
    int width = qMax(dialogMinimumWidth, labelLeft + label.width() + border);
    if (m_layout.buttonPair)
        width = qMax(width, 2 * border + 2 * buttonWidth + buttonGap);
    if (m_layout.textField)
        width = qMax(width, 2 * border + textFieldWidth);
    if (m_layout.dateField)
        width = qMax(width, 2 * border + dateFieldWidth + pickerWidth);
    if (m_layout.link) {
        Label2->adjustSize();
        width = qMax(width, 2 * border + Label2->width());
    }
    Label1->move(labelLeft, border);

    const int buttonTop = height - border - buttonHeight;
    const int pairLeft = (width - 2 * buttonWidth - buttonGap) / 2;
    Button1->setGeometry(pairLeft, buttonTop, buttonWidth, buttonHeight);
    Button2->setGeometry(pairLeft + buttonWidth + buttonGap, buttonTop, buttonWidth, buttonHeight);
    Button3->setGeometry((width - buttonWidth) / 2, buttonTop, buttonWidth, buttonHeight);
    const int fieldTop = buttonTop - rowGap - editHeight;
    Edit1->setGeometry(border, fieldTop, width - 2 * border, editHeight);
    Edit2->setGeometry(border, fieldTop, dateFieldWidth, editHeight);
    DateTimePicker1->setGeometry(border + dateFieldWidth, fieldTop, pickerWidth, editHeight);
    Label2->move(border, buttonTop - rowGap - Label2->height());
    ProgressBar1->setGeometry(
        border, height - border - progressHeight, width - 2 * border, progressHeight);
    // Fixed in both directions: the height rule is the whole size, the user can't resize.
    setFixedSize(width, height);
}

void MessageDialog::centreOver(QWidget *owner)
{
    QRect area;
    if (owner && owner->isVisible()) {
        area = owner->frameGeometry();
    } else {
        const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        if (screen)
            area = screen->geometry();
    }
    if (area.isValid())
        move(centredPosition(area, size()));
}

void MessageDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (QWidget *first = firstFocus())
        first->setFocus(Qt::TabFocusReason);
}

DialogOutcome MessageDialog::outcome() const
{
    DialogOutcome outcome;
    outcome.code = m_resultCode;
    if (m_layout.textField)
        outcome.value = Edit1->text();
    // The picker holds the date the field shows, with its full year: a date outside the
    // two-digit window (01.01.50 standing for 1950) comes back as it went in.
    if (m_layout.dateField && !Edit2->text().isEmpty())
        outcome.value = DateToYmd(DateTimePicker1->date());
    return outcome;
}

void MessageDialog::closeWith(int code)
{
    m_resultCode = code;
    done(code);
}

void MessageDialog::closeWaitWindow()
{
    m_closingWait = true;
    close();
}

void MessageDialog::setProgress(int percent)
{
    ProgressBar1->setValue(qBound(0, percent, 100));
}

void MessageDialog::Action1Execute()
{
    if (!m_waitWindow)
        closeWith(0);
}

void MessageDialog::Action2Execute()
{
    // Enter in the date field reads the field first, as leaving it would.
    if (m_layout.dateField && focusWidget() == Edit2)
        Edit2Exit();
    // The rule is kept in its order: Yes/OK first, then No/Cancel or the single OK when
    // they have the focus; the last one that applies answers.
    int code = -1;
    if (Button1->isVisibleTo(this))
        code = 1;
    if (Button2->isVisibleTo(this) && focusWidget() == Button2)
        code = 2;
    if (Button3->isVisibleTo(this) && focusWidget() == Button3)
        code = 1;
    if (code == 2)
        Button2Click();
    else if (code == 1 && Button1->isVisibleTo(this))
        Button1Click();
    else if (code == 1)
        Button3Click();
}

void MessageDialog::Button1Click()
{
    // A date that could not be read has just been replaced by today's: the user sees the
    // replacement and confirms again instead of having today's date answered unseen.
    if (m_layout.dateField && (m_dateRepaired || !Edit2Exit()))
        return;
    closeWith(1);
}

void MessageDialog::Button2Click()
{
    closeWith(2);
}

void MessageDialog::Button3Click()
{
    closeWith(1);
}

void MessageDialog::Label2Click()
{
    if (linkOpener())
        linkOpener()(m_link);
    closeWith(0);
}

void MessageDialog::DateTimePicker1CloseUp()
{
    Edit2->setText(regional::formatDate(DateTimePicker1->date()));
    Edit2->setFocus(Qt::OtherFocusReason);
}

bool MessageDialog::Edit2Exit()
{
    const QString text = Edit2->text();
    // Untouched text stands for the picker's date, whose year may lie outside the window.
    if (text.isEmpty() || text == regional::formatDate(DateTimePicker1->date())) {
        m_dateRepaired = false;
        return true;
    }
    const QDate date = regional::parseDate(text);
    m_dateRepaired = !date.isValid();
    if (date.isValid()) {
        DateTimePicker1->setDate(date);
        Edit2->setText(regional::formatDate(date));
        return true;
    }
    const QDate today = regional::today();
    DateTimePicker1->setDate(today);
    Edit2->setText(regional::formatDate(today));
    // Focus goes back once the focus change that led here has finished.
    QMetaObject::invokeMethod(
        Edit2, [edit = Edit2] { edit->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
    return false;
}

void MessageDialog::reject()
{
    // Esc arrives here only when the Esc action is off (the wait window); the close box of
    // a modal window answers like Esc.
    if (m_waitWindow)
        return;
    closeWith(0);
}

void MessageDialog::closeEvent(QCloseEvent *event)
{
    if (m_waitWindow && !m_closingWait) {
        event->ignore();
        return;
    }
    if (m_waitWindow) {
        event->accept();
        return;
    }
    QDialog::closeEvent(event);
}

void MessageDialog::keyPressEvent(QKeyEvent *event)
{
    // The actions answer Esc and Enter; what reaches this point (Esc in the wait window)
    // must not fall through to the dialog's own reject.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return
        || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool MessageDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit2 && event->type() == QEvent::FocusOut) {
        // Only a move to another control of this window leaves the field; the calendar
        // drop-down and a switch to another window do not.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && isVisible()
            && !DateTimePicker1->isPopupShown())
            Edit2Exit();
    }
    if (watched == Label2 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label2Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
