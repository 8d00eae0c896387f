#include "dialogs/regional.h"
#include "dialogs/shareddialog.h"
#include "dialogs/ui/datepicker.h"
#include "dialogs/ui/messagedialog.h"
#include "dialogs/ui/widgetdialogs.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <functional>

namespace
{

const QDate fixedToday(2026, 12, 7);

// Runs `action` on the modal dialog once it is up. If the dialog never shows, or is still
// open five seconds after the action, the test fails (and the dialog is closed) instead of
// hanging in its event loop.
class ModalDriver : public QObject
{
public:
    explicit ModalDriver(std::function<void(MessageDialog *)> action)
        : m_action(std::move(action))
    {
        m_deadline.setRemainingTime(5000);
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
        m_timer.start(10);
    }
    bool ran() const { return m_ran; }
    bool stuck() const { return m_stuck; }

private:
    void poll()
    {
        auto *form = qobject_cast<MessageDialog *>(QApplication::activeModalWidget());
        if (!m_ran && form && form->isVisible() && form->isActiveWindow()) {
            m_ran = true;
            m_form = form;
            m_deadline.setRemainingTime(5000);
            m_action(form);
        } else if (m_deadline.hasExpired()) {
            m_timer.stop();
            if (m_form && m_form->isVisible()) {
                m_stuck = true;
                m_form->reject();
            }
        }
    }

    std::function<void(MessageDialog *)> m_action;
    QTimer m_timer;
    QDeadlineTimer m_deadline;
    QPointer<MessageDialog> m_form;
    bool m_ran = false;
    bool m_stuck = false;
};

QString esc()
{
    return QString(QChar(27));
}

void pressKeys(MessageDialog *form, const QString &keys)
{
    for (const QString &key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QWidget *target = form->focusWidget() ? form->focusWidget() : form;
        if (key == QLatin1String("Enter"))
            QTest::keyClick(target, Qt::Key_Return);
        else if (key == QLatin1String("Esc"))
            QTest::keyClick(target, Qt::Key_Escape);
        else if (key == QLatin1String("Tab"))
            QTest::keyClick(target, Qt::Key_Tab);
    }
}

template <typename T> T *child(MessageDialog *form, const char *name)
{
    return form->findChild<T *>(QLatin1String(name));
}

} // namespace

class TestMessageDialog : public QObject
{
    Q_OBJECT
private:
    // Shows a dialog through the installed port while `action` drives it; returns the
    // answer the caller gets.
    QString run(int kind, const QString &message, const QString &option,
        std::function<void(MessageDialog *)> action, int language = 0)
    {
        ModalDriver driver(std::move(action));
        const QString answer = showDialog(kind, message, option, language);
        if (!driver.ran())
            QTest::qFail("the dialog never showed", __FILE__, __LINE__);
        if (driver.stuck())
            QTest::qFail("the dialog did not close", __FILE__, __LINE__);
        return answer;
    }

    QWidget *m_main = nullptr;
    QString m_openedLink;

private slots:
    void initTestCase()
    {
        regional::install(
            regional::Rules(regional::DateOrder::DayMonth, {}, [] { return fixedToday; }));
        m_main = new QWidget;
        m_main->setGeometry(100, 50, 801, 601);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        installWidgetDialogs(m_main);
        MessageDialog::setLinkOpener([this](const QString &link) { m_openedLink = link; });
    }
    void cleanupTestCase()
    {
        delete m_main;
        QVERIFY(!dialogPort());
    }

    void keysPerKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("answer");
        QTest::newRow("error Enter") << 2 << ""
                                     << "Enter"
                                     << "1";
        QTest::newRow("error Esc") << 2 << ""
                                   << "Esc"
                                   << "0";
        QTest::newRow("warning Enter") << 1 << ""
                                       << "Enter"
                                       << "1";
        QTest::newRow("information Enter") << 3 << ""
                                           << "Enter"
                                           << "1";
        QTest::newRow("question Enter is Yes") << 4 << ""
                                               << "Enter"
                                               << "1";
        QTest::newRow("question Tab Enter is No") << 4 << ""
                                                  << "Tab Enter"
                                                  << "2";
        QTest::newRow("question Esc") << 4 << ""
                                      << "Esc"
                                      << "0";
        QTest::newRow("question option 2 Enter is No") << 4 << "2"
                                                       << "Enter"
                                                       << "2";
        QTest::newRow("question option 2 Tab Enter is Yes") << 4 << "2"
                                                            << "Tab Enter"
                                                            << "1";
        QTest::newRow("question option 1 Enter is Yes") << 4 << "1"
                                                        << "Enter"
                                                        << "1";
        QTest::newRow("overwrite option 2 Enter is No") << 5 << "2"
                                                        << "Enter"
                                                        << "2";
        QTest::newRow("about Enter") << 10 << "2"
                                     << "Enter"
                                     << "1";
        QTest::newRow("input Enter") << 9 << "typed"
                                     << "Enter"
                                     << "typed";
        QTest::newRow("input Esc") << 9 << "typed"
                                   << "Esc" << esc();
        QTest::newRow("input Enter on Cancel") << 9 << "typed"
                                               << "Tab Tab Enter" << esc();
        QTest::newRow("input Enter on OK") << 9 << "typed"
                                           << "Tab Enter"
                                           << "typed";
        QTest::newRow("date Enter") << 8 << "20211231"
                                    << "Enter"
                                    << "20211231";
        QTest::newRow("date Esc") << 8 << "20211231"
                                  << "Esc" << esc();
    }
    void keysPerKind()
    {
        QFETCH(int, kind);
        QFETCH(QString, option);
        QFETCH(QString, keys);
        QFETCH(QString, answer);
        QCOMPARE(
            run(kind, "Message", option, [keys](MessageDialog *form) { pressKeys(form, keys); }),
            answer);
    }

    void firstFocus_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("focus");
        QTest::newRow("confirmation") << 4 << ""
                                      << "Button1";
        QTest::newRow("confirmation option 2") << 4 << "2"
                                               << "Button2";
        QTest::newRow("warning question option 2") << 5 << "2"
                                                   << "Button2";
        QTest::newRow("error") << 2 << "2"
                               << "Button3";
        QTest::newRow("about") << 10 << ""
                               << "Button3";
        QTest::newRow("text") << 9 << ""
                              << "Edit1";
        QTest::newRow("date") << 8 << ""
                              << "Edit2";
    }
    void firstFocus()
    {
        QFETCH(int, kind);
        QFETCH(QString, option);
        QFETCH(QString, focus);
        QString focused;
        run(kind, "Message", option, [&focused](MessageDialog *form) {
            focused = form->focusWidget() ? form->focusWidget()->objectName() : QString();
            form->answerEscape();
        });
        QCOMPARE(focused, focus);
    }

    void clicksAndTyping()
    {
        QCOMPARE(run(9, "Name:", "OLD",
                     [](MessageDialog *form) {
                         auto *edit = child<QLineEdit>(form, "Edit1");
                         edit->selectAll();
                         QTest::keyClicks(edit, "new name");
                         QTest::mouseClick(child<QPushButton>(form, "Button1"), Qt::LeftButton);
                     }),
            "new name");
        QCOMPARE(run(9, "Name:", "OLD",
                     [](MessageDialog *form) {
                         child<QLineEdit>(form, "Edit1")->clear();
                         QTest::mouseClick(child<QPushButton>(form, "Button1"), Qt::LeftButton);
                     }),
            "");
        QCOMPARE(run(9, "Name:", "OLD",
                     [](MessageDialog *form) {
                         QTest::mouseClick(child<QPushButton>(form, "Button2"), Qt::LeftButton);
                     }),
            esc());
        QCOMPARE(run(4, "Delete ?", "", [](MessageDialog *form) { form->close(); }), "0");
        QCOMPARE(run(4, "Delete ?", "",
                     [](MessageDialog *form) {
                         QTest::mouseClick(child<QPushButton>(form, "Button2"), Qt::LeftButton);
                     }),
            "2");
    }

    void textsAndControls()
    {
        QStringList seen;
        run(
            2, "<b>a&b.txt</b>", "",
            [&seen](MessageDialog *form) {
                seen << form->windowTitle() << child<QPushButton>(form, "Button3")->text()
                     << child<QLabel>(form, "Label1")->text();
                QVERIFY(child<QLabel>(form, "Image3")->isVisibleTo(form));
                QVERIFY(!child<QLabel>(form, "Image2")->isVisibleTo(form));
                QVERIFY(!child<QPushButton>(form, "Button1")->isVisibleTo(form));
                QCOMPARE(child<QLabel>(form, "Label1")->textFormat(), Qt::PlainText);
                form->answerEscape();
            },
            1);
        QCOMPARE(seen, QStringList({ "Fehler", "OK", "<b>a&b.txt</b>" }));
        seen.clear();
        run(
            9, "Name:", "",
            [&seen](MessageDialog *form) {
                seen << form->windowTitle() << child<QPushButton>(form, "Button1")->text()
                     << child<QPushButton>(form, "Button2")->text();
                form->answerEscape();
            },
            1);
        QCOMPARE(seen, QStringList({ "Eingabe", "OK", "Abbrechen" }));
    }

    void geometry_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("baseHeight");
        QTest::newRow("error, one line") << 2 << "x" << 118;
        QTest::newRow("error, six lines") << 2 << "1\r2\r3\r4\r5\r6" << 118;
        QTest::newRow("question") << 4 << "Sure ?" << 118;
        QTest::newRow("text input") << 9 << "Name:" << 146;
        QTest::newRow("date input") << 8 << "Date:" << 146;
        QTest::newRow("about") << 10 << "Tabulon" << 150;
    }
    void geometry()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        QFETCH(int, baseHeight);
        QRect frame;
        QSize client;
        int labelHeight = 0;
        QSize minimum, maximum;
        run(kind, message, "", [&](MessageDialog *form) {
            frame = form->frameGeometry();
            client = form->size();
            labelHeight = child<QLabel>(form, "Label1")->height();
            minimum = form->minimumSize();
            maximum = form->maximumSize();
            form->answerEscape();
        });
        const int expected = labelHeight <= 32 ? baseHeight : baseHeight + labelHeight - 32;
        QCOMPARE(client.height(), expected);
        QCOMPARE(minimum.height(), expected);
        QCOMPARE(maximum.height(), expected);
        QVERIFY(client.width() >= 146);
        if (kind == 2 && message == "x")
            QCOMPARE(client.width(), 146);
        if (message.contains('\r'))
            QVERIFY(labelHeight > 32);
        const QRect main = m_main->frameGeometry();
        QCOMPARE(frame.topLeft(),
            QPoint(main.left() + (main.width() - client.width()) / 2,
                main.top() + (main.height() - client.height()) / 2));
    }

    void centredOnScreenWhileMainWindowHidden()
    {
        m_main->hide();
        QPoint at;
        QSize size;
        run(2, "x", "", [&](MessageDialog *form) {
            at = form->pos();
            size = form->size();
            form->answerEscape();
        });
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        QCOMPARE(at, centredPosition(m_main->screen()->geometry(), size));
    }

    void dateField()
    {
        QString shown;
        QCOMPARE(run(8, "Date:", "20211231",
                     [&shown](MessageDialog *form) {
                         shown = child<QLineEdit>(form, "Edit2")->text();
                         pressKeys(form, "Enter");
                     }),
            "20211231");
        QCOMPARE(shown, "31.12.21");
        // 01.01.50 stands for 2050 when typed, but an untouched field keeps its 1950.
        QCOMPARE(run(8, "Date:", "19500101", [](MessageDialog *form) { pressKeys(form, "Enter"); }),
            "19500101");
        // Four digits are no date: the zero date, which answers as nothing entered.
        QCOMPARE(run(8, "Date:", "2021",
                     [&shown](MessageDialog *form) {
                         shown = child<QLineEdit>(form, "Edit2")->text();
                         pressKeys(form, "Enter");
                     }),
            "");
        QCOMPARE(shown, "30.12.99");
        QCOMPARE(run(8, "Date:", "", [](MessageDialog *form) { pressKeys(form, "Enter"); }), "");
        QCOMPARE(run(8, "Date:", "",
                     [](MessageDialog *form) {
                         QTest::keyClicks(child<QLineEdit>(form, "Edit2"), "1.2.50");
                         pressKeys(form, "Enter");
                     }),
            "20500201");
    }

    void dateFieldRepair()
    {
        QStringList steps;
        const QString answer = run(8, "Date:", "", [&steps](MessageDialog *form) {
            auto *edit = child<QLineEdit>(form, "Edit2");
            QTest::keyClicks(edit, "31.02.21");
            pressKeys(form, "Tab"); // leaving the field repairs it
            steps << edit->text();
            QTRY_COMPARE_WITH_TIMEOUT(form->focusWidget(), static_cast<QWidget *>(edit), 2000);
            edit->setText("nonsense");
            pressKeys(form, "Enter"); // repaired again, and the window stays open
            steps << edit->text() << QString::number(form->isVisible());
            pressKeys(form, "Enter"); // the user has seen today's date and confirms it
        });
        QCOMPARE(steps, QStringList({ "07.12.26", "07.12.26", "1" }));
        QCOMPARE(answer, "20261207");

        // A click on OK after a bad date repairs it but doesn't answer it unseen.
        bool stayed = false;
        QCOMPARE(run(8, "Date:", "",
                     [&stayed](MessageDialog *form) {
                         QTest::keyClicks(child<QLineEdit>(form, "Edit2"), "99.99.99");
                         auto *ok = child<QPushButton>(form, "Button1");
                         QTest::mouseClick(ok, Qt::LeftButton);
                         stayed = form->isVisible();
                         QTRY_COMPARE_WITH_TIMEOUT(form->focusWidget(),
                             static_cast<QWidget *>(child<QLineEdit>(form, "Edit2")), 2000);
                         QTest::mouseClick(ok, Qt::LeftButton);
                     }),
            "20261207");
        QVERIFY(stayed);
    }

    void calendarCloseUp()
    {
        QString shown;
        const QString answer = run(8, "Date:", "", [&shown](MessageDialog *form) {
            auto *picker = child<DatePicker>(form, "DateTimePicker1");
            QCOMPARE(picker->focusPolicy(), Qt::NoFocus);
            picker->showPopup();
            QVERIFY(picker->isPopupShown());
            emit picker->calendar()->clicked(QDate(2024, 2, 29));
            QVERIFY(!picker->isPopupShown());
            shown = child<QLineEdit>(form, "Edit2")->text();
            QTRY_VERIFY_WITH_TIMEOUT(form->isActiveWindow(), 2000);
            pressKeys(form, "Enter");
        });
        QCOMPARE(shown, "29.02.24");
        QCOMPARE(answer, "20240229");
    }

    // The link shows the address given and opens it; without one there is no link.
    void aboutLink_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("the guide") << "file:///opt/tabulon/Tabulon-en.html";
        QTest::newRow("a link choice") << "2";
    }
    void aboutLink()
    {
        QFETCH(QString, option);
        const QString address = dialogLink(option);
        m_openedLink.clear();
        QCOMPARE(run(10, "Tabulon", option,
                     [&address](MessageDialog *form) {
                         auto *link = child<QLabel>(form, "Label2");
                         QCOMPARE(link->isVisible(), !address.isEmpty());
                         if (address.isEmpty()) {
                             pressKeys(form, "Enter");
                             return;
                         }
                         QCOMPARE(link->text(), address);
                         QTest::mouseClick(link, Qt::LeftButton);
                     }),
            address.isEmpty() ? "1" : "0");
        QCOMPARE(m_openedLink, address);
    }

    void waitWindow()
    {
        auto *port = qobject_cast<WidgetDialogPort *>(dynamic_cast<QObject *>(dialogPort()));
        QVERIFY(port);
        QCOMPARE(showDialog(0, "Busy", ""), "");
        QPointer<MessageDialog> wait = port->waitWindow();
        QVERIFY(wait && wait->isVisible());
        QVERIFY(!(wait->windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(wait->height(), 85);
        QVERIFY(QApplication::overrideCursor());
        QTest::keyClick(wait, Qt::Key_Escape);
        QTest::keyClick(wait, Qt::Key_Return);
        wait->close();
        QVERIFY(wait->isVisible());

        QCOMPARE(showDialog(-1, "Busy", ""), ""); // takes the slot of the first one
        QVERIFY(!wait);
        wait = port->waitWindow();
        QVERIFY(child<QProgressBar>(wait, "ProgressBar1")->isVisibleTo(wait));
        QCOMPARE(wait->height(), 110);
        setWaitProgress(40);
        QCOMPARE(child<QProgressBar>(wait, "ProgressBar1")->value(), 40);
        closeWaitDialog();
        QVERIFY(!wait);
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TestMessageDialog)
#include "tst_messagedialog.moc"
