#include "datepicker.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

DatePicker::DatePicker(QWidget *parent)
    : QToolButton(parent)
    , m_date(QDate::currentDate())
    , m_popup(new QFrame(this, Qt::Popup))
    , m_calendar(new QCalendarWidget(m_popup))
{
    setArrowType(Qt::DownArrow);
    setFocusPolicy(Qt::NoFocus);
    m_popup->setFrameShape(QFrame::StyledPanel);
    // A click on the button while the calendar is open only closes it, as a combo box does.
    m_popup->setAttribute(Qt::WA_NoMouseReplay);
    auto *layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_calendar);
    m_popup->installEventFilter(this);
    connect(this, &QToolButton::clicked, this, &DatePicker::showPopup);
    connect(m_calendar, &QCalendarWidget::clicked, this, &DatePicker::pick);
    connect(m_calendar, &QCalendarWidget::activated, this, &DatePicker::pick);
}

void DatePicker::setDate(const QDate &date)
{
    m_date = date;
}

void DatePicker::showPopup()
{
    if (m_date.isValid())
        m_calendar->setSelectedDate(m_date);
    m_popup->adjustSize();
    // Right-aligned under the button, pulled back onto the screen when it would leave it.
    QPoint at = mapToGlobal(QPoint(width() - m_popup->width(), height()));
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - m_popup->width())));
        if (at.y() + m_popup->height() > area.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - m_popup->height());
    }
    m_popup->move(at);
    m_popup->show();
    m_calendar->setFocus();
}

void DatePicker::hidePopup()
{
    m_popup->hide();
}

bool DatePicker::isPopupShown() const
{
    return m_popup->isVisible();
}

void DatePicker::pick(const QDate &date)
{
    m_date = date;
    hidePopup();
}

bool DatePicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_popup && event->type() == QEvent::Hide)
        emit closeUp();
    return QToolButton::eventFilter(watched, event);
}
