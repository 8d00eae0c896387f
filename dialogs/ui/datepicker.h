#pragma once

#include <QDate>
#include <QToolButton>

class QCalendarWidget;
class QFrame;

// The drop-down button beside the dialog's date field: it holds a date and opens a calendar
// below itself. Only the button shows; the field beside it is an ordinary line edit, so
// that the user can type any date the program's rules accept.
class DatePicker : public QToolButton
{
    Q_OBJECT
public:
    explicit DatePicker(QWidget *parent = nullptr);

    QDate date() const { return m_date; }
    void setDate(const QDate &date);

    void showPopup();
    void hidePopup();
    bool isPopupShown() const;
    // The calendar of the drop-down; created with the button, shown only in the drop-down.
    QCalendarWidget *calendar() const { return m_calendar; }

signals:
    // The drop-down has closed, by a picked day or by being dismissed.
    void closeUp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pick(const QDate &date);

    QDate m_date;
    QFrame *m_popup;
    QCalendarWidget *m_calendar;
};
