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

// "Image1".."Image9" in their design order; the about icon is the program's own when it has one.
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
    // Created in the design's tab order: m_dateEdit, m_textEdit, m_yesButton, m_noButton,
    // m_datePicker, m_okButton; labels, icons and the progress bar take no focus.
    m_dateEdit = new QLineEdit(this);
    m_textEdit = new QLineEdit(this);
    m_yesButton = new QPushButton(this);
    m_noButton = new QPushButton(this);
    m_datePicker = new DatePicker(this);
    m_okButton = new QPushButton(this);
    m_messageLabel = new QLabel(this);
    m_linkLabel = new QLabel(this);
    m_progressBar = new QProgressBar(this);
    const QList<QWidget *> named = { m_dateEdit, m_textEdit, m_yesButton, m_noButton, m_datePicker,
        m_okButton, m_messageLabel, m_linkLabel, m_progressBar };
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
    for (QPushButton *button : { m_yesButton, m_noButton, m_okButton }) {
        // Enter is the dialog's own rule (m_enterAction), not the button default of the style.
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(m_yesButton, &QPushButton::clicked, this, &MessageDialog::answerYes);
    connect(m_noButton, &QPushButton::clicked, this, &MessageDialog::answerNo);
    connect(m_okButton, &QPushButton::clicked, this, &MessageDialog::answerOk);
    connect(m_datePicker, &DatePicker::closeUp, this, &MessageDialog::takePickedDate);
    createActions();
}

void MessageDialog::createActions()
{
    m_escapeAction = new QAction(this);
    m_escapeAction->setObjectName(QStringLiteral("Action1"));
    m_escapeAction->setShortcut(Qt::Key_Escape);
    m_enterAction = new QAction(this);
    m_enterAction->setObjectName(QStringLiteral("Action2"));
    m_enterAction->setShortcuts({ QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter) });
    addAction(m_escapeAction);
    addAction(m_enterAction);
    connect(m_escapeAction, &QAction::triggered, this, &MessageDialog::answerEscape);
    connect(m_enterAction, &QAction::triggered, this, &MessageDialog::answerEnter);
}

void MessageDialog::applyKind(const DialogRequest &request)
{
    setWindowTitle(m_layout.caption);
    // Messages name files and folders; they are shown as typed, never as markup.
    m_messageLabel->setTextFormat(Qt::PlainText);
    m_messageLabel->setText(dialogMessageText(request.message));
    m_messageLabel->show();
    m_yesButton->setText(m_layout.yesCaption);
    m_noButton->setText(m_layout.noCaption);
    m_okButton->setText(m_layout.okCaption);
    m_yesButton->setVisible(m_layout.buttonPair);
    m_noButton->setVisible(m_layout.buttonPair);
    m_okButton->setVisible(m_layout.singleButton);
    m_focusOnNo = focusOnNo(request.kind, request.option);
    if (m_focusOnNo)
        setTabOrder(m_noButton, m_yesButton);
    applyFields(request);
    m_escapeAction->setEnabled(!m_waitWindow);
}

void MessageDialog::applyFields(const DialogRequest &request)
{
    if (m_layout.dateField) {
        m_dateEdit->show();
        m_datePicker->show();
        if (!request.option.isEmpty()) {
            m_datePicker->setDate(ymdToDate(request.option));
            m_dateEdit->setText(regional::formatDate(m_datePicker->date()));
        } else {
            m_datePicker->setDate(regional::today());
        }
        m_dateEdit->installEventFilter(this);
    }
    if (m_layout.textField) {
        m_textEdit->setText(request.option);
        m_textEdit->show();
    }
    m_link = m_layout.link ? dialogLink(request.option) : QString();
    // Without an address the about box shows no link at all.
    m_layout.link = !m_link.isEmpty();
    if (m_layout.link) {
        m_linkLabel->setTextFormat(Qt::PlainText);
        m_linkLabel->setText(m_link);
        m_linkLabel->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
        m_linkLabel->setCursor(Qt::PointingHandCursor);
        m_linkLabel->installEventFilter(this);
        m_linkLabel->show();
    }
    if (m_layout.progressBar) {
        m_progressBar->setTextVisible(false);
        m_progressBar->setRange(0, 100);
        m_progressBar->setValue(0);
        QPalette navy = m_progressBar->palette();
        navy.setColor(QPalette::Highlight, QColor(0, 0, 128));
        m_progressBar->setPalette(navy);
        m_progressBar->show();
    }
}

QWidget *MessageDialog::firstFocus() const
{
    if (m_layout.dateField)
        return m_dateEdit;
    if (m_layout.textField)
        return m_textEdit;
    if (m_layout.buttonPair)
        return m_focusOnNo ? m_noButton : m_yesButton;
    if (m_layout.singleButton)
        return m_okButton;
    return nullptr;
}

void MessageDialog::placeControls()
{
    m_messageLabel->adjustSize();
    const QSize label = m_messageLabel->size();
    const int height = dialogHeight(m_layout.baseHeight, label.height());
    int width = qMax(dialogMinimumWidth, labelLeft + label.width() + border);
    if (m_layout.buttonPair)
        width = qMax(width, 2 * border + 2 * buttonWidth + buttonGap);
    if (m_layout.textField)
        width = qMax(width, 2 * border + textFieldWidth);
    if (m_layout.dateField)
        width = qMax(width, 2 * border + dateFieldWidth + pickerWidth);
    if (m_layout.link) {
        m_linkLabel->adjustSize();
        width = qMax(width, 2 * border + m_linkLabel->width());
    }
    m_messageLabel->move(labelLeft, border);

    const int buttonTop = height - border - buttonHeight;
    const int pairLeft = (width - 2 * buttonWidth - buttonGap) / 2;
    m_yesButton->setGeometry(pairLeft, buttonTop, buttonWidth, buttonHeight);
    m_noButton->setGeometry(
        pairLeft + buttonWidth + buttonGap, buttonTop, buttonWidth, buttonHeight);
    m_okButton->setGeometry((width - buttonWidth) / 2, buttonTop, buttonWidth, buttonHeight);
    const int fieldTop = buttonTop - rowGap - editHeight;
    m_textEdit->setGeometry(border, fieldTop, width - 2 * border, editHeight);
    m_dateEdit->setGeometry(border, fieldTop, dateFieldWidth, editHeight);
    m_datePicker->setGeometry(border + dateFieldWidth, fieldTop, pickerWidth, editHeight);
    m_linkLabel->move(border, buttonTop - rowGap - m_linkLabel->height());
    m_progressBar->setGeometry(
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
        outcome.value = m_textEdit->text();
    // The picker holds the date the field shows, with its full year: a date outside the
    // two-digit window (01.01.50 standing for 1950) comes back as it went in.
    if (m_layout.dateField && !m_dateEdit->text().isEmpty())
        outcome.value = dateToYmd(m_datePicker->date());
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
    m_progressBar->setValue(qBound(0, percent, 100));
}

void MessageDialog::answerEscape()
{
    if (!m_waitWindow)
        closeWith(0);
}

void MessageDialog::answerEnter()
{
    // Enter in the date field reads the field first, as leaving it would.
    if (m_layout.dateField && focusWidget() == m_dateEdit)
        readTypedDate();
    // The rule is kept in its order: Yes/OK first, then No/Cancel or the single OK when
    // they have the focus; the last one that applies answers.
    int code = -1;
    if (m_yesButton->isVisibleTo(this))
        code = 1;
    if (m_noButton->isVisibleTo(this) && focusWidget() == m_noButton)
        code = 2;
    if (m_okButton->isVisibleTo(this) && focusWidget() == m_okButton)
        code = 1;
    if (code == 2)
        answerNo();
    else if (code == 1 && m_yesButton->isVisibleTo(this))
        answerYes();
    else if (code == 1)
        answerOk();
}

void MessageDialog::answerYes()
{
    // A date that could not be read has just been replaced by today's: the user sees the
    // replacement and confirms again instead of having today's date answered unseen.
    if (m_layout.dateField && (m_dateRepaired || !readTypedDate()))
        return;
    closeWith(1);
}

void MessageDialog::answerNo()
{
    closeWith(2);
}

void MessageDialog::answerOk()
{
    closeWith(1);
}

void MessageDialog::openLink()
{
    if (linkOpener())
        linkOpener()(m_link);
    closeWith(0);
}

void MessageDialog::takePickedDate()
{
    m_dateEdit->setText(regional::formatDate(m_datePicker->date()));
    m_dateEdit->setFocus(Qt::OtherFocusReason);
}

bool MessageDialog::readTypedDate()
{
    const QString text = m_dateEdit->text();
    // Untouched text stands for the picker's date, whose year may lie outside the window.
    if (text.isEmpty() || text == regional::formatDate(m_datePicker->date())) {
        m_dateRepaired = false;
        return true;
    }
    const QDate date = regional::parseDate(text);
    m_dateRepaired = !date.isValid();
    if (date.isValid()) {
        m_datePicker->setDate(date);
        m_dateEdit->setText(regional::formatDate(date));
        return true;
    }
    const QDate today = regional::today();
    m_datePicker->setDate(today);
    m_dateEdit->setText(regional::formatDate(today));
    // Focus goes back once the focus change that led here has finished.
    QMetaObject::invokeMethod(
        m_dateEdit, [edit = m_dateEdit] { edit->setFocus(Qt::OtherFocusReason); },
        Qt::QueuedConnection);
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
    if (watched == m_dateEdit && event->type() == QEvent::FocusOut) {
        // Only a move to another control of this window leaves the field; the calendar
        // drop-down and a switch to another window do not.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && isVisible()
            && !m_datePicker->isPopupShown())
            readTypedDate();
    }
    if (watched == m_linkLabel && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        openLink();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
