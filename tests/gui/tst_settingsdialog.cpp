#include "app/ui/programcommands.h"
#include "app/ui/settingsdialog.h"
#include "store/catalogtable.h"
#include "support/gui/mainwindowfixture.h"
#include "support/gui/whenmodal.h"
#include "support/testutil.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

#include <array>
#include <functional>
#include <optional>

namespace
{

template <typename T> T *child(SettingsDialog *d, const char *name)
{
    T *w = d->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton);
}

// Types into a field as the user does, then tabs away.
void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

} // namespace

// The settings dialog "TForm4" opened by its command over the main window and driven with
// keys and clicks; the platform's font and file dialogs are replaced.
class TestSettingsDialog : public QObject, public MainWindowFixture
{
    Q_OBJECT

    std::optional<QFont> m_fontHeld; // what the font dialog holds; none: what it opened with
    QFont m_fontOpened;

    // Runs "&Settings" and acts in the dialog; what the act leaves open is cancelled.
    void inDialog(std::function<void(SettingsDialog *)> act)
    {
        bool acted = false;
        whenModal<SettingsDialog>([&](SettingsDialog *dialog) {
            // The dialog's keys act once it is the window with the focus.
            QVERIFY(QTest::qWaitFor([dialog] {
                return QGuiApplication::focusWindow() == dialog->windowHandle()
                    && dialog->isAncestorOf(QApplication::focusWidget());
            }));
            act(dialog);
            acted = true;
            if (dialog->isVisible())
                dialog->reject();
        });
        m_form->commands().runCommand(Command::Settings);
        QVERIFY(acted);
    }

private slots:
    void init()
    {
        setUpWindow();
        m_fontHeld.reset();
        SettingsDialog::Choosers choosers;
        choosers.font = [this](const QFont &initial) {
            m_fontOpened = initial;
            return m_fontHeld.value_or(initial);
        };
        choosers.file = [](const QString &) { return QStringLiteral("/opt/Viewer/View"); };
        m_form->families().program().setSettingsChoosers(choosers);
        showActive();
    }
    void cleanup() { tearDownWindow(); }

    void pagesByKeys()
    {
        inDialog([](SettingsDialog *d) {
            QCOMPARE(d->objectName(), QStringLiteral("TForm4"));
            auto *pages = child<QTabWidget>(d, "PageControl1");
            QCOMPARE(pages->tabBar()->tabRect(0).width(), pages->tabBar()->tabRect(1).width());
            QTest::keyClick(d, Qt::Key_F6);
            QCOMPARE(pages->currentIndex(), 1);
            QTest::keyClick(d, Qt::Key_F5);
            QCOMPARE(pages->currentIndex(), 0);
        });
    }

    // Whole millimetres shown, repaired on leaving the field, tenths stored on OK.
    void margins_data()
    {
        QTest::addColumn<int>("field"); // 0 top .. 3 right
        QTest::addColumn<QString>("typed"); // empty: left as shown
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("stored");
        QTest::newRow("155 tenths shown as 15, stored as 150") << 1 << ""
                                                               << "15" << 150;
        QTest::newRow("top changed to 25") << 0 << "25"
                                           << "25" << 250;
        QTest::newRow("abc in the right margin") << 3 << "abc"
                                                 << "10" << 100;
        QTest::newRow("leading zero") << 2 << "015"
                                      << "15" << 150;
        QTest::newRow("held to what the tenths can take") << 0 << "7000"
                                                          << "6553" << 65530;
    }
    void margins()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(int, stored);
        MarginSettings &m = m_form->state().settings.printMargins;
        m = { 200, 155, 200, 100 };
        inDialog([&](SettingsDialog *d) {
            QTest::keyClick(d, Qt::Key_F6);
            auto *edit = child<QLineEdit>(d, ("Edit" + QByteArray::number(field + 3)).constData());
            if (!typed.isEmpty())
                retype(edit, typed);
            QCOMPARE(edit->text(), kept);
            click(child<QPushButton>(d, "Button3"));
        });
        const std::array<quint16, 4> margins { m.top, m.left, m.bottom, m.right };
        QCOMPARE(int(margins[size_t(field)]), stored);
        QCOMPARE(int(m.left), 150);
    }

    // Enter in a margin field moves on like Tab; OK by its accelerator, without leaving
    // the field, still repairs it.
    void enterMovesOnAndAcceleratorRepairs()
    {
        inDialog([](SettingsDialog *d) {
            QTest::keyClick(d, Qt::Key_F6);
            child<QLineEdit>(d, "Edit3")->setFocus();
            QTest::keyClick(child<QLineEdit>(d, "Edit3"), Qt::Key_Return);
            auto *left = child<QLineEdit>(d, "Edit4");
            QCOMPARE(QApplication::focusWidget(), left);
            left->selectAll();
            QTest::keyClicks(left, "x");
            QTest::keyClick(left, Qt::Key_O, Qt::AltModifier);
        });
        QCOMPARE(int(m_form->state().settings.printMargins.left), 200);
    }

    // A click on the "Function keys" sample resets it; Cancel keeps the toolbar as it was,
    // OK gives it the colour at once.
    void toolbarColourReset_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QColor>("toolbar");
        QTest::newRow("Cancel") << "Button2" << QColor(10, 20, 30);
        QTest::newRow("OK") << "Button3" << QColor(0, 0, 0xDA);
    }
    void toolbarColourReset()
    {
        QFETCH(QString, button);
        QFETCH(QColor, toolbar);
        m_form->setToolbarColor(QColor(10, 20, 30));
        inDialog([&](SettingsDialog *d) {
            click(child<QLabel>(d, "Panel3"));
            QCOMPARE(
                child<QLabel>(d, "Panel3")->palette().color(QPalette::Window), QColor(0, 0, 0xDA));
            click(child<QPushButton>(d, button.toLatin1().constData()));
        });
        QCOMPARE(m_form->toolbarColor(), toolbar);
    }

    // "Standard FS", then the font dialog cancelled: the samples show the view font in
    // force, not Courier New. A font picked there goes to both samples.
    void viewFontDialogStartsFromTheFontInForce()
    {
        inDialog([this](SettingsDialog *d) {
            click(child<QLabel>(d, "Label26"));
            QCOMPARE(child<QLabel>(d, "Panel4")->text(), QStringLiteral("Courier New"));
            click(child<QToolButton>(d, "SpeedButton4"));
            QCOMPARE(m_fontOpened.family(), QStringLiteral("Verdana"));
            QCOMPARE(child<QLabel>(d, "Panel4")->text(), QStringLiteral("Verdana"));
            m_fontHeld = QFont("Serif", 14);
            click(child<QToolButton>(d, "SpeedButton4"));
            QCOMPARE(child<QLabel>(d, "Panel2")->font().pointSize(), 14);
            click(child<QLabel>(d, "Label14"));
            click(child<QPushButton>(d, "Button3"));
        });
        QCOMPARE(m_form->state().settings.viewFont.name, QStringLiteral("MS Sans Serif"));
        QCOMPARE(grid()->font().pointSize(), 8);
    }

    // Typed letters appear in lower case in the extensions field only; a chosen file keeps
    // its name; an empty delay gives 300 ms.
    void viewerFields()
    {
        const Settings &s = m_form->state().settings;
        inDialog([](SettingsDialog *d) {
            retype(child<QLineEdit>(d, "Edit7"), ".JPG");
            retype(child<QLineEdit>(d, "Edit2"), "ABC");
            click(child<QPushButton>(d, "BitBtn1"));
            retype(child<QLineEdit>(d, "Edit8"), "");
            click(child<QPushButton>(d, "Button3"));
        });
        QCOMPARE(s.viewerExtensions, QStringLiteral(".jpg"));
        QCOMPARE(s.viewerParams, QStringLiteral("ABC"));
        QCOMPARE(s.viewerPath, QStringLiteral("/opt/Viewer/View"));
        QCOMPARE(s.viewerDelay, 300);
    }

    // The catalogue's choice of files without an extension is shown from its table and
    // written back into it on OK (it decides what the next update takes); Cancel keeps it.
    void filesWithoutExtensionGoIntoTheTable_data()
    {
        QTest::addColumn<bool>("before");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("after");
        QTest::newRow("switched on") << false << 1 << true << true;
        QTest::newRow("switched off") << true << 0 << true << false;
        QTest::newRow("cancelled") << false << 1 << false << false;
        QTest::newRow("left as it was") << true << 1 << true << true;
    }
    void filesWithoutExtensionGoIntoTheTable()
    {
        QFETCH(bool, before);
        QFETCH(int, chosen);
        QFETCH(bool, ok);
        QFETCH(bool, after);
        openCatalogue();
        const DbStatus set = table()->setExtensionless(before);
        QVERIFY2(set, qPrintable(set.message()));
        int shown = -2;
        inDialog([&](SettingsDialog *d) {
            QTest::keyClick(d, Qt::Key_F6);
            auto *list = child<QComboBox>(d, "extensionlessComboBox");
            shown = list->currentIndex();
            list->setCurrentIndex(chosen);
            click(child<QPushButton>(d, ok ? "Button3" : "Button2"));
        });
        QCOMPARE(shown, before ? 1 : 0);
        QCOMPARE(table()->choices().extensionless, after);
        // In the header at once, whatever happens to the program afterwards.
        QCOMPARE(int(testutil::readFile(table()->fileName()).at(30)), after ? 1 : 0);
    }

    // Names on this system differ by letter case: the path fields keep what is typed.
    void pathFieldsKeepTheTypedCase_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::newRow("viewer") << "Edit1"
                                << "~/Apps/MyViewer/view";
        QTest::newRow("file manager") << "Edit9"
                                      << "/opt/Double Commander/DC";
    }
    void pathFieldsKeepTheTypedCase()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        inDialog([&](SettingsDialog *d) {
            if (field == "Edit9")
                QTest::keyClick(d, Qt::Key_F6);
            retype(child<QLineEdit>(d, qPrintable(field)), typed);
            click(child<QPushButton>(d, "Button3"));
        });
        const Settings &s = m_form->state().settings;
        QCOMPARE(field == "Edit1" ? s.viewerPath : s.fileManagerPath, typed);
    }

    // The delay is kept as typed, and the dialog says how long a pause lasts at most.
    void delayStatesItsCap()
    {
        inDialog([](SettingsDialog *d) {
            QVERIFY(child<QLabel>(d, "delayCapLabel")->text().contains("at most 1000 ms"));
            retype(child<QLineEdit>(d, "Edit8"), "2500");
            click(child<QPushButton>(d, "Button3"));
        });
        QCOMPARE(m_form->state().settings.viewerDelay, 2500);
    }

    // "Grid-Lines:" No -> Yes draws the lines at once and takes 4 pixels from the Date
    // column; back to No gives them back.
    void gridLinesToggleTheDateColumn()
    {
        const int date = grid()->columnWidth(3);
        for (const int lines : { 1, 0 }) {
            inDialog([lines](SettingsDialog *d) {
                child<QComboBox>(d, "ComboBox1")->setCurrentIndex(lines);
                click(child<QPushButton>(d, "Button3"));
            });
            QCOMPARE(grid()->showGrid(), lines == 1);
            QCOMPARE(grid()->columnWidth(3), lines == 1 ? date - 4 : date);
        }
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
