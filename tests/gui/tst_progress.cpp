#include "app/ui/mainwindow.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/replacetagsdialog.h"
#include "store/catalogtable.h"
#include "support/gui/mainwindowfixture.h"
#include "support/gui/whenmodal.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"
#include "views/ui/progresswindow.h"

#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidget>

#include <functional>

// The progress window of the long commands, as a user meets it: it comes up while the
// command runs, and Esc or its Cancel button stop the command. The catalogue stays sound,
// the views show the end state, and the next run does the rest.
class TestProgress : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void updateAllStopsBetweenFolders_data();
    void updateAllStopsBetweenFolders();
    void updateAllRunsToItsEndUntouched();
    void reorganisationStoppedKeepsTheTable_data();
    void reorganisationStoppedKeepsTheTable();
    void searchStoppedStaysWhereItWas();
    void folderUpdateOfALargeFolderStopped();
    void replaceTagsStoppedBeforeAnyChange();
    void quickCommandShowsNoWindow();

private:
    void start();
    // Stops the command at the first step whose label says `when` (empty: the first
    // step), through the window as the user does: a click on Cancel or Esc.
    void stopAt(const QString &when, bool byEsc);
    void updateAll();
    void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {});
    QStringList faults();
    void replaceAToB();
    // Every record's tags, in physical order; with tags, sets them first.
    QStringList codes(const QString &tags = QString());
    int folderCount() const { return m_folders; }

    BrowseViews *m_views = nullptr;
    int m_folders = 0;
    // What the window showed when it was stopped.
    QString m_seenLabel;
    bool m_seenModal = false;
};

void TestProgress::init()
{
    setUpWindow();
    m_views = &m_form->families().browsing();
    // Up from the first step, and every step lets the test's click in.
    ProgressWindow::setTiming({ 0, 0 });
    m_seenLabel.clear();
    m_seenModal = false;
}

void TestProgress::cleanup()
{
    ProgressWindow::setTiming({});
    tearDownWindow();
}

// Six folders of two files each, one of them with a folder below it.
void TestProgress::start()
{
    const QStringList folders { "A", "B", "B/Deep", "C", "D", "E" };
    for (const QString &f : folders) {
        file(f + QStringLiteral("/one.txt"));
        file(f + QStringLiteral("/two.txt"));
    }
    m_folders = int(folders.size());
    openCatalogue();
    showActive();
}

void TestProgress::stopAt(const QString &when, bool byEsc)
{
    auto *timer = new QTimer(m_form);
    timer->setInterval(0);
    connect(timer, &QTimer::timeout, timer, [this, timer, when, byEsc] {
        auto *dialog = m_form->findChild<QProgressDialog *>(QStringLiteral("ProgressWindow"));
        if (!dialog || !dialog->isVisible() || !dialog->labelText().contains(when))
            return;
        timer->stop();
        timer->deleteLater();
        m_seenLabel = dialog->labelText();
        m_seenModal = dialog->windowModality() == Qt::WindowModal;
        if (byEsc) {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else {
            QPushButton *cancel = dialog->findChild<QPushButton *>();
            if (cancel)
                QTest::mouseClick(cancel, Qt::LeftButton);
        }
    });
    timer->start();
}

void TestProgress::updateAll()
{
    ScriptedDialogs dialogs;
    dialogs.yes(QStringLiteral("Update all folders ?"));
    pressKey(Qt::Key_F12);
    QVERIFY2(dialogs.done(), qPrintable(dialogs.faults().join('\n')));
}

void TestProgress::pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    // The main window has the keys again once a progress window has gone.
    QTRY_VERIFY(m_form->isActiveWindow());
    press(key, modifiers);
}

// The full check of table and index that the command-line tool runs.
QStringList TestProgress::faults()
{
    QStringList out;
    if (!table()->table().check(out))
        out << QStringLiteral("the check did not run");
    return out;
}

void TestProgress::updateAllStopsBetweenFolders_data()
{
    QTest::addColumn<bool>("byEsc");
    QTest::addColumn<int>("stopAfter"); // folders done when the user stops it
    QTest::newRow("Cancel clicked after three folders") << false << 3;
    QTest::newRow("Esc after one folder") << true << 1;
    QTest::newRow("Esc before the first folder") << true << 0;
}

void TestProgress::updateAllStopsBetweenFolders()
{
    QFETCH(bool, byEsc);
    QFETCH(int, stopAfter);
    start();
    stopAt(QStringLiteral("\n%1 of ").arg(stopAfter), byEsc);
    QSignalSpy rebuilt(m_views, &BrowseViews::treeRebuilt);
    updateAll();
    QVERIFY2(
        m_seenLabel.startsWith(QStringLiteral("Updating all folders\n")), qPrintable(m_seenLabel));
    QVERIFY(m_seenLabel.endsWith(QStringLiteral(" folders")));
    QVERIFY(m_seenModal);
    // The folders merged before the stop keep their records; the others wait.
    QCOMPARE(int(table()->table().physicalCount()), 2 * stopAfter);
    QVERIFY(m_form->panelText(0).startsWith(
        QStringLiteral("Update all cancelled after %1 of ").arg(stopAfter)));
    // The views show the end state once, with the whole tree as the disk has it.
    QCOMPARE(rebuilt.count(), 1);
    QCOMPARE(m_views->nodeCount(), folderCount());
    QCOMPARE(m_views->selectedNodeIndex(), 0);
    QVERIFY(!table()->isDetached());
    QVERIFY(m_form->state().followCurrentRecord);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!m_form->findChild<QProgressDialog *>());
    QCOMPARE(faults(), QStringList());

    // The next run completes the work.
    updateAll();
    QCOMPARE(int(table()->table().physicalCount()), 2 * folderCount());
    QCOMPARE(table()->deletedCount, 0);
    QCOMPARE(faults(), QStringList());
    QVERIFY(!m_form->panelText(0).contains(QStringLiteral("cancelled")));
}

void TestProgress::updateAllRunsToItsEndUntouched()
{
    start();
    updateAll();
    QCOMPARE(int(table()->table().physicalCount()), 2 * folderCount());
    QVERIFY(!m_form->findChild<QProgressDialog *>());
    QVERIFY(!m_form->panelText(0).contains(QStringLiteral("cancelled")));
}

void TestProgress::reorganisationStoppedKeepsTheTable_data()
{
    QTest::addColumn<bool>("byEsc");
    QTest::newRow("Cancel clicked") << false;
    QTest::newRow("Esc") << true;
}

void TestProgress::reorganisationStoppedKeepsTheTable()
{
    QFETCH(bool, byEsc);
    start();
    updateAll();
    // Two records marked deleted, which a whole reorganisation would remove.
    CatalogTable *t = table();
    t->detachViews();
    QVERIFY(t->setFolderRange(QStringLiteral("A\\")));
    for (int i = 0; i < 2; ++i) {
        QVERIFY(t->table().first());
        QVERIFY(t->table().deleteRecord());
    }
    QVERIFY(t->setFolderRange(QStringLiteral("B\\")));
    t->attachViews();
    const quint32 before = t->table().physicalCount();

    stopAt(QString(), byEsc);
    m_form->commands().action(Command::Reorganize)->trigger();
    QVERIFY(m_seenLabel.startsWith(QStringLiteral("Reorganising the catalogue")));
    QCOMPARE(m_form->panelText(0), QStringLiteral("Reorganisation cancelled"));
    QCOMPARE(t->table().physicalCount(), before);
    QCOMPARE(faults(), QStringList());
    QVERIFY(!t->isDetached());
    QVERIFY(!m_form->findChild<QProgressDialog *>());

    // Run again to its end, it removes them.
    m_form->commands().action(Command::Reorganize)->trigger();
    QCOMPARE(t->table().physicalCount(), before - 2);
    QCOMPARE(faults(), QStringList());
}

void TestProgress::searchStoppedStaysWhereItWas()
{
    start();
    updateAll();
    tree()->setCurrentItem(tree()->topLevelItem(1)); // B
    const QString folder = m_form->panelText(2);
    const QString current = table()->text(CatalogTable::NAME);
    stopAt(QString(), false);
    {
        ScriptedDialogs dialogs;
        dialogs.input(QStringLiteral("two"), QStringLiteral("Search for a word or a part of it ?"));
        pressKey(Qt::Key_F3);
        QVERIFY(dialogs.done());
    }
    QVERIFY(m_seenLabel.startsWith(QStringLiteral("Searching")));
    QCOMPARE(m_form->panelText(0), QStringLiteral("Search cancelled"));
    QCOMPARE(m_form->panelText(2), folder);
    QCOMPARE(table()->text(CatalogTable::NAME), current);
    QVERIFY(!table()->isDetached());
    QVERIFY(!m_form->findChild<QProgressDialog *>());
}

void TestProgress::replaceAToB()
{
    whenShown(QStringLiteral("TForm6"), [](QWidget *w) {
        auto *dialog = static_cast<ReplaceTagsDialog *>(w);
        QTest::keyClicks(dialog->fromEdit, QStringLiteral("a"));
        QTest::keyClicks(dialog->toEdit, QStringLiteral("b"));
        dialog->allFoldersCheckBox->setChecked(true);
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);
    });
    pressKey(Qt::Key_R, Qt::ControlModifier);
}

QStringList TestProgress::codes(const QString &tags)
{
    CatalogTable *t = table();
    t->detachViews();
    const QString folder = t->currentFolder();
    const QByteArray order = t->orderName();
    QStringList out;
    [&] {
        QVERIFY(t->table().setOrder(QByteArray()));
        for (DbStatus st = t->table().first(); st && !t->table().eof(); st = t->table().next()) {
            if (!tags.isNull()) {
                QVERIFY(t->table().edit());
                t->setText(CatalogTable::CODE, tags);
                QVERIFY(t->table().post());
            }
            out << t->text(CatalogTable::CODE);
        }
        QVERIFY(t->table().setOrder(order));
        QVERIFY(t->setFolderRange(folder));
    }();
    t->attachViews();
    return out;
}

// A folder update hears of its progress every few thousand files: stopped at the first
// such step, the files merged by then keep their records, and F8 again does the rest.
void TestProgress::folderUpdateOfALargeFolderStopped()
{
    constexpr int kFiles = 5000;
    for (int i = 0; i < kFiles; ++i)
        file(QStringLiteral("Big/f%1.txt").arg(i, 4, 10, QLatin1Char('0')));
    m_folders = 1;
    openCatalogue();
    showActive();
    stopAt(QString(), true);
    pressKey(Qt::Key_F8);
    QVERIFY(m_seenLabel.startsWith(QStringLiteral("Updating the folder\n")));
    QVERIFY(m_seenLabel.endsWith(QStringLiteral(" records")));
    QCOMPARE(m_form->panelText(0), QStringLiteral("Folder update cancelled"));
    const int merged = int(table()->table().physicalCount());
    QVERIFY2(merged > 0 && merged < kFiles, qPrintable(QString::number(merged)));
    QCOMPARE(gridNames().size(), merged);
    QCOMPARE(faults(), QStringList());
    QVERIFY(!table()->isDetached());

    pressKey(Qt::Key_F8);
    QCOMPARE(int(table()->table().physicalCount()), kFiles);
    QCOMPARE(gridNames().size(), kFiles);
    QCOMPARE(faults(), QStringList());
}

// Stopped while the records are read, the command has changed nothing yet.
void TestProgress::replaceTagsStoppedBeforeAnyChange()
{
    start();
    updateAll();
    const QStringList before = codes(QStringLiteral("A"));
    QCOMPARE(before.size(), 2 * folderCount());
    stopAt(QString(), false);
    replaceAToB();
    QVERIFY(m_seenLabel.startsWith(QStringLiteral("Replacing tags")));
    QCOMPARE(m_form->panelText(0), QStringLiteral("Replace tags cancelled"));
    QCOMPARE(codes(), before);
    QCOMPARE(faults(), QStringList());
    QVERIFY(!table()->isDetached());

    replaceAToB();
    QCOMPARE(codes(), QStringList(before.size(), QStringLiteral("B")));
}

// The window waits: a command that ends before its time shows nothing at all.
void TestProgress::quickCommandShowsNoWindow()
{
    ProgressWindow::setTiming({});
    start();
    bool shown = false;
    auto *timer = new QTimer(m_form);
    timer->setInterval(0);
    connect(timer, &QTimer::timeout, timer,
        [this, &shown] { shown = shown || m_form->findChild<QProgressDialog *>(); });
    timer->start();
    updateAll();
    delete timer;
    QVERIFY(!shown);
    QCOMPARE(int(table()->table().physicalCount()), 2 * folderCount());
}

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
