#include "app/ui/mainwindow.h"
#include "browse/ui/browseviews.h"
#include "fileops/ui/folderfilecommands.h"
#include "fileops/ui/movefilewindow.h"
#include "fileops/ui/treedragdrop.h"
#include "store/catalogtable.h"
#include "support/gui/mainwindowfixture.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

// Moving files as a user does it: the move-file window (F10) with its keys and the tree
// picking the destination, files dropped from the grid on tree folders, the tree
// scrolling while a drag hovers near its edges, and copy file (F11).
class TestMoveFile : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void f10OnEmptyGridDoesNothing();
    void windowMovesFileWithInfoFileAndRecord();
    void sameFolderKeepsWindowOpen();
    void windowKeys();
    void droppedFile_data();
    void droppedFile();
    void descriptionModeRewritesBothFolders();
    void dragNearEdgesScrollsTree();
    void copy_data();
    void copy();

private:
    void start();
    FolderFileCommands &commands() const { return m_form->families().folderFile(); }
    MoveFileWindow *window() const { return commands().moveFileWindow(); }
    QLineEdit *destinationField() const { return window()->findChild<QLineEdit *>("Edit1"); }
    QString shown(const QString &name) const;
    void select(const QString &folder);
    // A drag event as the tree's viewport receives it during a drag (outside one, the
    // application object does not pass them on).
    void deliver(QEvent *event)
    {
        static_cast<QObject &>(commands().dragDrop()).eventFilter(tree()->viewport(), event);
    }
    void clickName(const QString &name);
};

void TestMoveFile::init()
{
    setUpWindow();
}

void TestMoveFile::cleanup()
{
    tearDownWindow();
}

// Fotos holds a.jpg (with a long text) and b.jpg, Texte holds t.txt, Leer nothing.
void TestMoveFile::start()
{
    file("Fotos/a.jpg", "picture a");
    file("Fotos/a.jpg.!", "long text\r\n");
    file("Fotos/b.jpg");
    file("Texte/t.txt");
    QVERIFY(QDir().mkpath(root() + "Leer"));
    openCatalogue();
    DbfTable &t = table()->table();
    for (const QString &entry : QStringList { "FOTOS\\|a.jpg", "FOTOS\\|b.jpg", "TEXTE\\|t.txt" }) {
        QVERIFY(t.append());
        table()->setText(CatalogTable::DIR, entry.section('|', 0, 0));
        table()->setText(CatalogTable::NAME, entry.section('|', 1));
        table()->setText(CatalogTable::NOTE, "note of " + entry.section('|', 1));
        table()->setText(CatalogTable::CODE, "XY");
        table()->setText(CatalogTable::SIZE, "1 K");
        t.setFieldDate(CatalogTable::DATE, QDate(2024, 5, 17));
        QVERIFY(t.post());
    }
    showActive();
}

// Note, tags, date and size of a file as the grid shows them.
QString TestMoveFile::shown(const QString &name) const
{
    const QAbstractItemModel *model = grid()->model();
    const int row = gridNames().indexOf(name);
    QStringList cells;
    for (int column = 1; row >= 0 && column < model->columnCount(); ++column)
        cells << model->index(row, column).data().toString();
    return cells.join('|');
}

void TestMoveFile::select(const QString &folder)
{
    QVERIFY(views().selectFolderPath(folder));
}

void TestMoveFile::clickName(const QString &name)
{
    const int row = gridNames().indexOf(name);
    QVERIFY2(row >= 0, qPrintable(name));
    clickRow(row);
}

void TestMoveFile::f10OnEmptyGridDoesNothing()
{
    start();
    select("Leer\\");
    QVERIFY(gridNames().isEmpty());
    press(Qt::Key_F10);
    QVERIFY(!window() || !window()->isVisible());
}

void TestMoveFile::windowMovesFileWithInfoFileAndRecord()
{
    start();
    select("Fotos\\");
    clickName("a.jpg");
    const QString fields = shown("a.jpg");
    QVERIFY(fields.startsWith("note of a.jpg|XY|"));
    press(Qt::Key_F10);
    QVERIFY(window() && window()->isVisible());
    QCOMPARE(window()->objectName(), QStringLiteral("TForm3"));
    QCOMPARE(window()->findChild<QLabel *>("Label5")->text(), QStringLiteral("a.jpg"));
    // The first F10 of the archive starts at the current folder.
    QCOMPARE(destinationField()->text(), QStringLiteral("FOTOS\\"));
    // Clicking a tree folder picks it; typing in lower case shows upper case.
    tree()->setCurrentItem(tree()->topLevelItem(2));
    QCOMPARE(destinationField()->text(), QStringLiteral("TEXTE\\"));
    destinationField()->selectAll();
    QTest::keyClicks(destinationField(), "texte/neu");
    QCOMPARE(destinationField()->text(), QStringLiteral("TEXTE/NEU"));
    QTest::keyClick(destinationField(), Qt::Key_Return);

    QVERIFY(!window()->isVisible());
    QVERIFY(QFileInfo::exists(root() + "Texte/NEU/a.jpg"));
    QCOMPARE(testutil::readFile(root() + "Texte/NEU/a.jpg.!"), QByteArray("long text\r\n"));
    QVERIFY(
        !QFileInfo::exists(root() + "Fotos/a.jpg") && !QFileInfo::exists(root() + "Fotos/a.jpg.!"));
    // The source folder is shown again, without the file.
    QCOMPARE(views().selectedFolderPath(), QStringLiteral("Fotos\\"));
    QCOMPARE(gridNames(), QStringList { "b.jpg" });
    select("Texte\\NEU\\");
    QCOMPARE(gridNames(), QStringList { "a.jpg" });
    QCOMPARE(shown("a.jpg"), fields);

    // The next F10 starts at the folder moved to.
    select("Fotos\\");
    clickName("b.jpg");
    m_form->activateWindow();
    press(Qt::Key_F10);
    QCOMPARE(destinationField()->text(), QStringLiteral("TEXTE\\NEU\\"));
    QCOMPARE(views().selectedFolderPath(), QStringLiteral("Texte\\NEU\\"));
    QTest::keyClick(destinationField(), Qt::Key_Escape);
    QVERIFY(!window()->isVisible());
    QCOMPARE(views().selectedFolderPath(), QStringLiteral("Fotos\\"));
    QVERIFY(QFileInfo::exists(root() + "Fotos/b.jpg"));
}

void TestMoveFile::sameFolderKeepsWindowOpen()
{
    start();
    select("Fotos\\");
    clickName("b.jpg");
    press(Qt::Key_F10);
    destinationField()->setText("fotos");
    {
        ScriptedDialogs dialogs;
        dialogs.error("Destination and source are the same ...");
        window()->Button3Click();
        QVERIFY(dialogs.done());
    }
    QVERIFY(window()->isVisible());
    QCOMPARE(gridNames(), (QStringList { "a.jpg", "b.jpg" }));
    // A destination that cannot be a folder of the tree fails the move; the window closes.
    destinationField()->setText(".hidden");
    {
        ScriptedDialogs dialogs;
        dialogs.error("File  'b.jpg'  could not be moved !");
        window()->Button3Click();
        QVERIFY(dialogs.done());
    }
    QVERIFY(!window()->isVisible());
    QVERIFY(QFileInfo::exists(root() + "Fotos/b.jpg"));
    QCOMPARE(views().selectedFolderPath(), QStringLiteral("Fotos\\"));
}

void TestMoveFile::windowKeys()
{
    start();
    clickName("a.jpg");
    press(Qt::Key_F10);
    QTRY_VERIFY(window()->isActiveWindow());
    QVERIFY(destinationField()->hasFocus());
    QCOMPARE(destinationField()->selectedText(), destinationField()->text());
    // Shift+Tab switches between the two windows.
    QTest::keyClick(destinationField(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(m_form->isActiveWindow());
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(window()->isActiveWindow());
    QTRY_VERIFY(destinationField()->hasFocus());
    // The close box only hides the window; the destination shown stays selected.
    tree()->setCurrentItem(tree()->topLevelItem(2));
    window()->close();
    QVERIFY(!window()->isVisible());
    QCOMPARE(views().selectedFolderPath(), QStringLiteral("Texte\\"));
    QVERIFY(QFileInfo::exists(root() + "Fotos/a.jpg"));
}

void TestMoveFile::droppedFile_data()
{
    QTest::addColumn<int>("node"); // top-level node dropped on
    QTest::addColumn<QString>("fileAfter");
    QTest::newRow("on its own folder") << 0 << "Fotos/a.jpg";
    QTest::newRow("on another folder") << 2 << "Texte/a.jpg";
    QTest::newRow("beside every node") << -1 << "Fotos/a.jpg";
}

void TestMoveFile::droppedFile()
{
    QFETCH(int, node);
    QFETCH(QString, fileAfter);
    start();
    select("Fotos\\");
    clickName("a.jpg");
    const quint32 recno = quint32(table()->table().recNo());
    const QPoint at = node < 0 ? QPoint(5, tree()->viewport()->height() - 3)
                               : tree()->visualItemRect(tree()->topLevelItem(node)).center();
    // As a drag from the grid arrives: its data and a drop on the tree's viewport.
    QMimeData *data = TreeDragDrop::fileData(recno);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
    deliver(&drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(drop.dropAction(), Qt::CopyAction);
    QTRY_VERIFY(QFileInfo::exists(root() + fileAfter));
    QVERIFY(QFileInfo::exists(root() + fileAfter + ".!"));
    QCOMPARE(views().selectedFolderPath(), QStringLiteral("Fotos\\"));
    QCOMPARE(gridNames().contains("a.jpg"), fileAfter.startsWith("Fotos"));
    select(fileAfter.section('/', 0, 0) + "\\");
    QVERIFY(gridNames().contains("a.jpg"));
    delete data;
}

void TestMoveFile::descriptionModeRewritesBothFolders()
{
    start();
    m_form->state().settings.FolderInfoMode = 1;
    select("Fotos\\");
    clickName("a.jpg");
    commands().TreeView1DragDrop(tree()->visualItemRect(tree()->topLevelItem(2)).center(),
        quint32(table()->table().recNo()));
    QCOMPARE(testutil::readFile(root() + "Texte/Descript.ion"),
        QByteArray("a.jpg note of a.jpg\r\nt.txt note of t.txt\r\n"));
    QCOMPARE(
        testutil::readFile(root() + "Fotos/Descript.ion"), QByteArray("b.jpg note of b.jpg\r\n"));
}

void TestMoveFile::dragNearEdgesScrollsTree()
{
    for (int i = 0; i < 60; ++i)
        QVERIFY(QDir().mkpath(root() + QStringLiteral("F%1").arg(i, 2, 10, QChar('0'))));
    openCatalogue();
    showActive();
    QScrollBar *bar = tree()->verticalScrollBar();
    QVERIFY(bar->maximum() > 5);
    bar->setValue(bar->maximum() / 2);
    auto *timer = m_form->findChild<QTimer *>("Timer1");
    QMimeData data;
    const auto hover = [&](int y) {
        const QPoint inViewport = tree()->viewport()->mapFrom(tree(), QPoint(20, y));
        QDragMoveEvent move(inViewport, Qt::CopyAction, &data, Qt::LeftButton, {});
        deliver(&move);
        QVERIFY(move.isAccepted());
    };
    const int start = bar->value();
    hover(10);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 50);
    QTRY_VERIFY(bar->value() <= start - 2);
    hover(tree()->height() / 2);
    QVERIFY(!timer->isActive());
    const int middle = bar->value();
    hover(tree()->height() - 10);
    QTRY_VERIFY(bar->value() >= middle + 2);
    // Leaving the tree ends the scrolling, as does the drop.
    QDragLeaveEvent leave;
    deliver(&leave);
    QVERIFY(!timer->isActive());
}

void TestMoveFile::copy_data()
{
    QTest::addColumn<QByteArray>("existing"); // in the copy folder, or none
    QTest::addColumn<QStringList>("answers"); // overwrite and info questions, in order
    QTest::addColumn<QByteArray>("copied");
    QTest::addColumn<bool>("withInfo");
    QTest::newRow("with info file")
        << QByteArray() << QStringList { "1" } << QByteArray("picture a") << true;
    QTest::newRow("existing file, No")
        << QByteArray("old") << QStringList { "2" } << QByteArray("old") << false;
}

void TestMoveFile::copy()
{
    QFETCH(QByteArray, existing);
    QFETCH(QStringList, answers);
    QFETCH(QByteArray, copied);
    QFETCH(bool, withInfo);
    start();
    const QString folder = root() + "Ziel";
    QVERIFY(QDir().mkpath(folder));
    if (!existing.isEmpty())
        file("Ziel/a.jpg", existing);
    QStringList asked;
    commands().setFolderChooser(
        [&](const QString &caption, const QString &headline, const QString &from) {
            asked << caption << headline << from;
            return folder;
        });
    select("Fotos\\");
    clickName("a.jpg");
    {
        ScriptedDialogs dialogs;
        if (!existing.isEmpty())
            dialogs.expect(DialogKind::WarningQuestion, answers.takeFirst(), "Overwrite ?");
        if (!answers.isEmpty())
            dialogs.expect(
                DialogKind::Confirmation, answers.takeFirst(), "Also copy the Info-file ?");
        press(Qt::Key_F11);
        QVERIFY(dialogs.done());
    }
    QCOMPARE(asked, (QStringList { "Search folder", "File  'a.jpg'  copy to ?", "" }));
    QCOMPARE(m_form->state().settings.CopyFolder, folder);
    QCOMPARE(testutil::readFile(folder + "/a.jpg"), copied);
    QCOMPARE(QFileInfo::exists(folder + "/a.jpg.!"), withInfo);
    QCOMPARE(testutil::readFile(root() + "Fotos/a.jpg"), QByteArray("picture a"));
}

QTEST_MAIN(TestMoveFile)
#include "tst_movefile.moc"
