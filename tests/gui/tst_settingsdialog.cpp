#include "app/settingslook.h"
#include "app/ui/programcommands.h"
#include "app/ui/settingsdialog.h"
#include "support/gui/mainwindowfixture.h"
#include "support/gui/whenmodal.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <optional>

// The settings dialog `TForm4` opened by its command over the main window, driven with
// keys and clicks; the platform's colour, font and file dialogs are replaced.
class TestSettingsDialog : public QObject, public MainWindowFixture
{
    Q_OBJECT

    std::optional<QFont>
        m_fontHeld; // what the font dialog holds when it closes; none: as it opened
    QColor m_colourHeld;
    QString m_fileChosen;
    QFont m_fontOpened; // what the font dialog opened with

    // Runs "&Settings" and acts in the dialog while it is open.
    void inDialog(std::function<void(SettingsDialog *)> act)
    {
        bool acted = false;
        whenModal<SettingsDialog>([&](SettingsDialog *dialog) {
            // Keys reach the dialog's shortcuts once it is the window with the focus.
            QVERIFY(QTest::qWaitFor([dialog] {
                return QGuiApplication::focusWindow() == dialog->windowHandle()
                    && dialog->isAncestorOf(QApplication::focusWidget());
            }));
            act(dialog);
            acted = true;
            // Whatever the act left open is cancelled.
            if (dialog->isVisible())
                dialog->reject();
        });
        m_form->commands().runCommand(Command::Einstellungen1Click);
        QVERIFY(acted);
    }
    template <typename T> static T *child(SettingsDialog *d, const char *name)
    {
        T *w = d->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no %s", name);
        return w;
    }
    static void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton); }
    static void ok(SettingsDialog *d) { click(child<QPushButton>(d, "Button3")); }
    // Types into a field as the user does and tabs away.
    static void retype(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }

private slots:
    void init()
    {
        setUpWindow();
        m_fontHeld.reset();
        m_colourHeld = QColor();
        m_fileChosen.clear();
        SettingsDialog::Choosers choosers;
        choosers.colour = [this](const QColor &initial) {
            return m_colourHeld.isValid() ? m_colourHeld : initial;
        };
        choosers.font = [this](const QFont &initial) {
            m_fontOpened = initial;
            return m_fontHeld.value_or(initial);
        };
        choosers.file = [this](const QString &) { return m_fileChosen; };
        m_form->families().program().setSettingsChoosers(choosers);
        showActive();
    }
    void cleanup() { tearDownWindow(); }

    void pagesAndCaptions()
    {
        inDialog([](SettingsDialog *d) {
            QCOMPARE(d->objectName(), QStringLiteral("TForm4"));
            QCOMPARE(d->windowTitle(), QStringLiteral("Settings"));
            auto *pages = child<QTabWidget>(d, "PageControl1");
            QCOMPARE(pages->tabText(0), QStringLiteral("&View - F5"));
            QCOMPARE(pages->tabText(1), QStringLiteral("&Parameters - F6"));
            QCOMPARE(pages->currentIndex(), 0);
            QCOMPARE(pages->tabBar()->tabRect(0).width(), pages->tabBar()->tabRect(1).width());
            QStringList captions;
            for (QLabel *label : d->findChildren<QLabel *>())
                captions << label->text();
            for (const char *text : { "top magin:", "Start with archiv:", "Standard PS",
                     "Standard FS", "(relative: ..\\ or %usb%)", "Function keys" })
                QVERIFY2(captions.contains(QLatin1String(text)), text);
            QCOMPARE(
                child<QComboBox>(d, "ComboBox6")->itemText(1), QStringLiteral("always the same"));
            QTest::keyClick(d, Qt::Key_F6);
            QCOMPARE(pages->currentIndex(), 1);
            QTest::keyClick(d, Qt::Key_F5);
            QCOMPARE(pages->currentIndex(), 0);
        });
    }

    // A field shows whole millimetres, is repaired on leaving it, and OK stores tenths.
    void margins_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed"); // empty: left as shown
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("stored");
        QTest::newRow("155 tenths shown as 15, stored as 150") << "Edit4"
                                                               << ""
                                                               << "15"
                                                               << "15" << 150;
        QTest::newRow("top changed to 25") << "Edit3"
                                           << "25"
                                           << "20"
                                           << "25" << 250;
        QTest::newRow("abc in the right margin") << "Edit6"
                                                 << "abc"
                                                 << "10"
                                                 << "10" << 100;
        QTest::newRow("leading zero") << "Edit5"
                                      << "015"
                                      << "20"
                                      << "15" << 150;
    }
    void margins()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, kept);
        QFETCH(int, stored);
        Settings &s = m_form->state().settings;
        s.PrintMargins = { 200, 155, 200, 100 };
        inDialog([&](SettingsDialog *d) {
            QTest::keyClick(d, Qt::Key_F6);
            auto *edit = child<QLineEdit>(d, field.toLatin1().constData());
            QCOMPARE(edit->text(), shown);
            if (!typed.isEmpty()) {
                retype(edit, typed);
                QCOMPARE(edit->text(), kept);
            }
            ok(d);
        });
        const quint16 margins[] = { s.PrintMargins.top, s.PrintMargins.left, s.PrintMargins.bottom,
            s.PrintMargins.right };
        QCOMPARE(int(margins[field.mid(4).toInt() - 3]), stored);
        QCOMPARE(int(s.PrintMargins.left), 150);
    }

    // Enter in a margin field moves on like Tab; OK by its accelerator, without leaving
    // the field, still repairs it.
    void enterMovesOnAndAcceleratorRepairs()
    {
        Settings &s = m_form->state().settings;
        inDialog([](SettingsDialog *d) {
            QTest::keyClick(d, Qt::Key_F6);
            auto *top = child<QLineEdit>(d, "Edit3");
            top->setFocus();
            QTest::keyClick(top, Qt::Key_Return);
            QVERIFY(d->isVisible());
            auto *left = child<QLineEdit>(d, "Edit4");
            QCOMPARE(QApplication::focusWidget(), left);
            left->selectAll();
            QTest::keyClicks(left, "x");
            QTest::keyClick(left, Qt::Key_O, Qt::AltModifier);
        });
        QCOMPARE(int(s.PrintMargins.left), 200);
    }

    // Cancel keeps every setting, the toolbar colour a click on its sample reset included;
    // OK gives it to the toolbar at once.
    void toolbarColourReset_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Cancel") << false;
        QTest::newRow("OK") << true;
    }
    void toolbarColourReset()
    {
        QFETCH(bool, confirm);
        m_form->setToolbarColor(QColor(10, 20, 30));
        inDialog([&](SettingsDialog *d) {
            auto *sample = child<QLabel>(d, "Panel3");
            QCOMPARE(sample->palette().color(QPalette::Window), QColor(10, 20, 30));
            click(sample);
            QCOMPARE(sample->palette().color(QPalette::Window), QColor(0, 0, 0xDA));
            if (confirm)
                ok(d);
            else
                click(child<QPushButton>(d, "Button2"));
        });
        QCOMPARE(m_form->toolbarColor(), confirm ? QColor(0, 0, 0xDA) : QColor(10, 20, 30));
    }

    // The colour buttons take what the colour dialog holds; OK applies the view look.
    void chosenColourReachesTheViews()
    {
        m_colourHeld = QColor(0x11, 0x22, 0x33);
        inDialog([](SettingsDialog *d) {
            click(child<QToolButton>(d, "SpeedButton1"));
            QCOMPARE(child<QLabel>(d, "Panel1")->palette().color(QPalette::Window),
                QColor(0x11, 0x22, 0x33));
            ok(d);
        });
        QCOMPARE(m_form->state().settings.ViewColor, 0x00332211u);
        QCOMPARE(grid()->palette().color(QPalette::Base), QColor(0x11, 0x22, 0x33));
    }

    // "Standard FS", then the font dialog cancelled: the samples show the view font in
    // force, not Courier New; a font picked there goes to both samples.
    void viewFontDialogStartsFromTheFontInForce()
    {
        m_form->state().settings.ViewFont.name = "Verdana";
        inDialog([this](SettingsDialog *d) {
            click(child<QLabel>(d, "Label26"));
            QCOMPARE(child<QLabel>(d, "Panel4")->text(), QStringLiteral("Courier New"));
            click(child<QToolButton>(d, "SpeedButton4"));
            QCOMPARE(m_fontOpened.family(), QFont("Verdana").family());
            QCOMPARE(child<QLabel>(d, "Panel4")->text(), m_fontOpened.family());
            m_fontHeld = QFont("Serif", 14);
            click(child<QToolButton>(d, "SpeedButton4"));
            QCOMPARE(child<QLabel>(d, "Panel1")->font().pointSize(), 14);
            QCOMPARE(child<QLabel>(d, "Panel2")->font().pointSize(), 14);
            click(child<QLabel>(d, "Label14"));
            QCOMPARE(child<QLabel>(d, "Panel4")->text(), QStringLiteral("MS Sans Serif"));
            ok(d);
        });
        QCOMPARE(m_form->state().settings.ViewFont.name, QStringLiteral("MS Sans Serif"));
        QCOMPARE(m_form->state().settings.ViewFont.size, 8);
        QCOMPARE(grid()->font().pointSize(), 8);
    }

    void printFontAndViewerFields()
    {
        Settings &s = m_form->state().settings;
        m_fontHeld = QFont("Serif");
        m_fileChosen = QStringLiteral("/opt/Viewer/View");
        inDialog([](SettingsDialog *d) {
            retype(child<QLineEdit>(d, "Edit1"), "ABC");
            QCOMPARE(child<QLineEdit>(d, "Edit1")->text(), QStringLiteral("abc"));
            retype(child<QLineEdit>(d, "Edit2"), "ABC");
            QCOMPARE(child<QLineEdit>(d, "Edit2")->text(), QStringLiteral("ABC"));
            click(child<QPushButton>(d, "BitBtn1"));
            retype(child<QLineEdit>(d, "Edit8"), "");
            QTest::keyClick(d, Qt::Key_F6);
            click(child<QToolButton>(d, "SpeedButton5"));
            ok(d);
        });
        QCOMPARE(s.ViewerPath, QStringLiteral("/opt/Viewer/View"));
        QCOMPARE(s.ViewerParams, QStringLiteral("ABC"));
        QCOMPARE(s.ViewerDelay, 300);
        QCOMPARE(s.PrintFontName, QFont("Serif").family());
    }

    // "Grid-Lines:" No -> Yes draws the lines at once and takes 4 pixels from the Date
    // column; back to No gives them back.
    void gridLinesToggleTheDateColumn()
    {
        const int date = grid()->columnWidth(3);
        for (const int lines : { 1, 0 }) {
            inDialog([lines](SettingsDialog *d) {
                QTest::keyClick(d, Qt::Key_F6);
                child<QComboBox>(d, "ComboBox1")->setCurrentIndex(lines);
                ok(d);
            });
            QCOMPARE(grid()->showGrid(), lines == 1);
            QCOMPARE(grid()->columnWidth(3), lines == 1 ? date - 4 : date);
        }
    }

    void escapeCancels()
    {
        m_form->state().settings.ViewColor = 0x00112233;
        const Settings before = m_form->state().settings;
        inDialog([](SettingsDialog *d) {
            click(child<QLabel>(d, "Panel1"));
            retype(child<QLineEdit>(d, "Edit8"), "5");
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(m_form->state().settings.ViewerDelay, before.ViewerDelay);
        QCOMPARE(m_form->state().settings.ViewColor, before.ViewColor);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
