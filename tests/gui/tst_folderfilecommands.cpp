#include "app/ui/mainwindow.h"
#include "browse/ui/browseviews.h"
#include "fileops/ui/folderfilecommands.h"
#include "fileops/ui/movefilewindow.h"
#include "fileops/ui/treedragdrop.h"
#include "store/catalogtable.h"
#include "support/catalogrecords.h"
#include "support/gui/mainwindowfixture.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"
#include "views/ui/foldertreeview.h"

#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

// Folder and file commands as a user runs them: new folder (F1), rename (F2), delete
// empty folder, the move-file window (F10) with the tree picking the destination, files
// and folders dropped on tree folders, the tree scrolling while a drag hovers near its
// edges, and copy file (F11).
class TestFolderFileCommands : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init() { setUpWindow(); }
    void cleanup() { tearDownWindow(); }

    void newFolder_data();
    void newFolder();
    void renameFolder_data();
    void renameFolder();
    void droppedFolder_data();
    void droppedFolder();
    void deleteEmptyFolder_data();
    void deleteEmptyFolder();
    void f10OnEmptyGridDoesNothing();
    void windowMovesFileWithInfoFileAndRecord();
    void sameFolderKeepsWindowOpen();
    void windowKeys();
    void windowEndsAnEditBegunMeanwhile_data();
    void windowEndsAnEditBegunMeanwhile();
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
    QTreeWidgetItem *node(const QString &folderPath) const;
    QPoint at(const QString &folderPath) const
    {
        return tree()->visualItemRect(node(folderPath)).center();
    }
    void select(const QString &folderPath) { QVERIFY(views().selectFolderPath(folderPath)); }
    void clickName(const QString &name) { clickRow(gridNames().indexOf(name)); }
    QString shown(const QString &name) const;
    // A drag event as the tree's viewport receives it during a drag (outside one, the
    // application object does not pass them on).
    void deliver(QEvent *event)
    {
        static_cast<QObject &>(commands().dragDrop()).eventFilter(tree()->viewport(), event);
    }
};

// Bilder\Fotos holds a.jpg (with a long text), b.jpg and a sub-folder Alt with o.jpg;
// Texte holds t.txt, Leer nothing. Bilder\Fotos is selected.
void TestFolderFileCommands::start()
{
    file("Bilder/Fotos/a.jpg", "picture a");
    file("Bilder/Fotos/a.jpg.!", "long text\r\n");
    file("Bilder/Fotos/b.jpg");
    file("Bilder/Fotos/Alt/o.jpg");
    file("Texte/t.txt");
    QVERIFY(QDir().mkpath(root() + "Leer"));
    openCatalogue();
    QList<testutil::CatalogRecord> records;
    for (const QString &entry : QStringList { "BILDER\\FOTOS\\|a.jpg", "BILDER\\FOTOS\\|b.jpg",
             "BILDER\\FOTOS\\ALT\\|o.jpg", "TEXTE\\|t.txt" }) {
        const QString name = entry.section('|', 1);
        records.append(
            { entry.section('|', 0, 0), name, "note of " + name, "XY", QDate(2024, 5, 17), "1 K" });
    }
    QVERIFY(testutil::addRecords(*table(), records));
    showActive();
    select("Bilder\\Fotos\\");
}

QTreeWidgetItem *TestFolderFileCommands::node(const QString &folderPath) const
{
    for (QTreeWidgetItemIterator it(tree()); *it; ++it)
        if (folderPathOfNode(*it) == folderPath)
            return *it;
    return nullptr;
}

// Note, tags, date and size of a file as the grid shows them.
QString TestFolderFileCommands::shown(const QString &name) const
{
    const QAbstractItemModel *model = grid()->model();
    const int row = gridNames().indexOf(name);
    QStringList cells;
    for (int column = 1; row >= 0 && column < model->columnCount(); ++column)
        cells << model->index(row, column).data().toString();
    return cells.join('|');
}

void TestFolderFileCommands::newFolder_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("selected"); // afterwards
    QTest::addColumn<QString>("error"); // the message, or none
    const QString fotos = "Bilder\\Fotos\\";
    const QString n74(74, 'n');
    QTest::newRow("three levels, one existing") << "Texte\\Eins/zwei"
                                                << "Texte\\Eins\\zwei\\"
                                                << "";
    QTest::newRow("preset unchanged") << fotos << fotos << "";
    QTest::newRow("80 characters") << "Texte\\" + n74 << "Texte\\" + n74 + "\\"
                                   << "";
    QTest::newRow("81 characters")
        << "Texte\\n" + n74 << fotos << "It is only up to 80 characters allowed !";
    QTest::newRow("hidden name") << ".versteckt" << fotos << "cannot be catalogued";
    QTest::newRow("cancelled") << ScriptedDialogs::esc() << fotos << "";
}

void TestFolderFileCommands::newFolder()
{
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    QFETCH(QString, error);
    start();
    const int nodesBefore = views().nodeCount();
    ScriptedDialogs dialogs;
    dialogs.input(typed, "Create new folder ?\r\rrelative to the root folder.");
    if (!error.isEmpty())
        dialogs.error(error);
    press(Qt::Key_F1);
    QVERIFY(dialogs.done());
    QCOMPARE(dialogs.requests().first().option, QStringLiteral("Bilder\\Fotos\\"));
    QCOMPARE(views().selectedFolderPath(), selected);
    QVERIFY(tree()->hasFocus());
    QVERIFY(QFileInfo(root() + QString(selected).replace('\\', '/')).isDir());
    QCOMPARE(views().nodeCount() == nodesBefore, selected.startsWith("Bilder"));
}

void TestFolderFileCommands::renameFolder_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("error");
    const QString refused = "Folder  'Bilder\\Fotos\\'  could not be renamed !";
    QTest::newRow("letter case only") << "Bilder\\FOTOS"
                                      << "Bilder\\FOTOS\\"
                                      << "";
    QTest::newRow("below another folder") << "Texte/Fotos"
                                          << "Texte\\Fotos\\"
                                          << "";
    QTest::newRow("onto an existing folder") << "Texte"
                                             << "Bilder\\Fotos\\" << refused;
    QTest::newRow("81 characters") << QString(81, 'n') << "Bilder\\Fotos\\"
                                   << "It is only up to 80 characters allowed !";
}

void TestFolderFileCommands::renameFolder()
{
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    QFETCH(QString, error);
    start();
    {
        ScriptedDialogs dialogs;
        dialogs.input(
            typed, "Folder  'Bilder\\Fotos\\'  Rename to ?\r\rrelative to the root folder.");
        if (!error.isEmpty())
            dialogs.error(error);
        press(Qt::Key_F2);
        QVERIFY(dialogs.done());
    }
    QCOMPARE(views().selectedFolderPath(), selected);
    QVERIFY(QDir(root() + QString(selected).replace('\\', '/')).exists("Alt/o.jpg"));
    QCOMPARE(gridNames(), (QStringList { "a.jpg", "b.jpg" }));
    // The sub-folder's records appear when the moved sub-folder is selected.
    select(selected + "Alt\\");
    QCOMPARE(gridNames(), QStringList { "o.jpg" });
}

void TestFolderFileCommands::droppedFolder_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("error");
    QTest::newRow("onto another folder") << "Texte\\"
                                         << "Texte\\Fotos\\"
                                         << "";
    QTest::newRow("onto its own sub-folder") << "Bilder\\Fotos\\Alt\\"
                                             << "Bilder\\Fotos\\"
                                             << "Folder  'Bilder\\Fotos\\'  could not be renamed !";
    QTest::newRow("onto its own parent") << "Bilder\\"
                                         << "Bilder\\Fotos\\"
                                         << "";
}

void TestFolderFileCommands::droppedFolder()
{
    QFETCH(QString, target);
    QFETCH(QString, selected);
    QFETCH(QString, error);
    start();
    {
        ScriptedDialogs dialogs;
        if (!error.isEmpty())
            dialogs.error(error);
        commands().dropOnTree(at(target), 0); // the selected folder, dragged
        QVERIFY(dialogs.done());
    }
    QCOMPARE(views().selectedFolderPath(), selected);
    QCOMPARE(gridNames(), (QStringList { "a.jpg", "b.jpg" }));
    select(selected + "Alt\\");
    QCOMPARE(gridNames(), QStringList { "o.jpg" });
}

void TestFolderFileCommands::deleteEmptyFolder_data()
{
    QTest::addColumn<QString>("content"); // what the folder Leer holds
    QTest::newRow("empty") << "";
    QTest::newRow("only an info file") << "Leer/x.txt.!";
    QTest::newRow("only a description file") << "Leer/Descript.ion";
}

void TestFolderFileCommands::deleteEmptyFolder()
{
    QFETCH(QString, content);
    if (!content.isEmpty())
        file(content);
    start();
    select("Leer\\");
    const int nodes = views().nodeCount();
    m_form->commands().runCommand(Command::DeleteFolder);
    QCOMPARE(QFileInfo::exists(root() + "Leer"), !content.isEmpty());
    QCOMPARE(views().nodeCount(), nodes - (content.isEmpty() ? 1 : 0));
    // The folder selected afterwards is the one shown.
    QCOMPARE(table()->currentFolder(), views().selectedFolderPath());
}

void TestFolderFileCommands::f10OnEmptyGridDoesNothing()
{
    start();
    select("Leer\\");
    press(Qt::Key_F10);
    QVERIFY(!window() || !window()->isVisible());
}

void TestFolderFileCommands::windowMovesFileWithInfoFileAndRecord()
{
    start();
    clickName("a.jpg");
    const QString fields = shown("a.jpg");
    QVERIFY(fields.startsWith("note of a.jpg|XY|"));
    press(Qt::Key_F10);
    QVERIFY(window() && window()->isVisible());
    QCOMPARE(window()->objectName(), QStringLiteral("TForm3"));
    QCOMPARE(window()->findChild<QLabel *>("Label5")->text(), QStringLiteral("a.jpg"));
    // The first F10 of the archive starts at the current folder.
    QCOMPARE(destinationField()->text(), QStringLiteral("BILDER\\FOTOS\\"));
    // Clicking a tree folder picks it; typing in lower case shows upper case.
    tree()->setCurrentItem(node("Texte\\"));
    QCOMPARE(destinationField()->text(), QStringLiteral("TEXTE\\"));
    destinationField()->selectAll();
    QTest::keyClicks(destinationField(), "texte/neu");
    QCOMPARE(destinationField()->text(), QStringLiteral("TEXTE/NEU"));
    QTest::keyClick(destinationField(), Qt::Key_Return);

    QVERIFY(!window()->isVisible());
    QVERIFY(QFileInfo::exists(root() + "Texte/NEU/a.jpg"));
    QCOMPARE(testutil::readFile(root() + "Texte/NEU/a.jpg.!"), QByteArray("long text\r\n"));
    QVERIFY(!QFileInfo::exists(root() + "Bilder/Fotos/a.jpg.!"));
    // The source folder is shown again, without the file.
    QCOMPARE(views().selectedFolderPath(), QStringLiteral("Bilder\\Fotos\\"));
    QCOMPARE(gridNames(), QStringList { "b.jpg" });
    select("Texte\\NEU\\");
    QCOMPARE(shown("a.jpg"), fields);

    // The next F10 starts at the folder moved to.
    select("Bilder\\Fotos\\");
    clickName("b.jpg");
    m_form->activateWindow();
    press(Qt::Key_F10);
    QCOMPARE(destinationField()->text(), QStringLiteral("TEXTE\\NEU\\"));
    QCOMPARE(views().selectedFolderPath(), QStringLiteral("Texte\\NEU\\"));
    QTest::keyClick(destinationField(), Qt::Key_Escape);
    QVERIFY(!window()->isVisible());
    QCOMPARE(views().selectedFolderPath(), QStringLiteral("Bilder\\Fotos\\"));
}

void TestFolderFileCommands::sameFolderKeepsWindowOpen()
{
    start();
    clickName("b.jpg");
    press(Qt::Key_F10);
    destinationField()->setText("bilder/fotos");
    {
        ScriptedDialogs dialogs;
        dialogs.error("Destination and source are the same ...");
        window()->confirm();
        QVERIFY(dialogs.done());
    }
    QVERIFY(window()->isVisible());
    // A destination that can be no folder of the tree fails the move; the window closes.
    destinationField()->setText(".hidden");
    {
        ScriptedDialogs dialogs;
        dialogs.error("File  'b.jpg'  could not be moved !");
        window()->confirm();
        QVERIFY(dialogs.done());
    }
    QVERIFY(!window()->isVisible());
    QCOMPARE(gridNames(), (QStringList { "a.jpg", "b.jpg" }));
}

void TestFolderFileCommands::windowKeys()
{
    start();
    clickName("a.jpg");
    press(Qt::Key_F10);
    QTRY_VERIFY(window()->isActiveWindow());
    QVERIFY(destinationField()->hasFocus());
    QCOMPARE(destinationField()->selectedText(), destinationField()->text());
    QTest::keyClick(destinationField(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(m_form->isActiveWindow());
    // The close box only hides the window; the destination shown stays selected.
    tree()->setCurrentItem(node("Texte\\"));
    window()->close();
    QVERIFY(!window()->isVisible());
    QCOMPARE(views().selectedFolderPath(), QStringLiteral("Texte\\"));
    QVERIFY(QFileInfo::exists(root() + "Bilder/Fotos/a.jpg"));
}

void TestFolderFileCommands::windowEndsAnEditBegunMeanwhile_data()
{
    QTest::addColumn<Qt::Key>("edit");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("folderAfter"); // where a.jpg lies afterwards
    QTest::newRow("text, OK") << Qt::Key_F6 << "Button3"
                              << "Texte";
    QTest::newRow("note, OK") << Qt::Key_F5 << "Button3"
                              << "Texte";
    QTest::newRow("text, Cancel") << Qt::Key_F6 << "Button2"
                                  << "Bilder/Fotos";
    QTest::newRow("note, Cancel") << Qt::Key_F5 << "Button2"
                                  << "Bilder/Fotos";
}

// The window stays open beside the main window, where an edit of the file may begin. Its
// buttons end that edit, as leaving the view would, before the file moves or the source
// folder is shown again: the text travels with the file, the note stays in its record.
void TestFolderFileCommands::windowEndsAnEditBegunMeanwhile()
{
    QFETCH(Qt::Key, edit);
    QFETCH(QString, button);
    QFETCH(QString, folderAfter);
    start();
    clickName("a.jpg");
    press(Qt::Key_F10);
    QTRY_VERIFY(window()->isActiveWindow());
    QTest::keyClicks(destinationField(), "texte");
    m_form->activateWindow();
    QTRY_VERIFY(m_form->isActiveWindow());
    press(edit);
    press(Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), " typed");
    // Going over to the window ends nothing yet.
    window()->activateWindow();
    QTRY_VERIFY(window()->isActiveWindow());
    QVERIFY(m_form->state().mode != UiMode::Browse);
    QTest::mouseClick(window()->findChild<QPushButton *>(button), Qt::LeftButton);

    QVERIFY(!window()->isVisible());
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QVERIFY(QFileInfo::exists(root() + folderAfter + "/a.jpg"));
    const QByteArray text = edit == Qt::Key_F6 ? "long text typed\r\n" : "long text\r\n";
    QCOMPARE(testutil::readFile(root() + folderAfter + "/a.jpg.!"), text);
    for (const QString folder : { "Bilder/Fotos", "Texte" })
        QCOMPARE(QFileInfo::exists(root() + folder + "/a.jpg.!"), folder == folderAfter);
    select(QString(folderAfter).replace('/', '\\') + "\\");
    QCOMPARE(shown("a.jpg").section('|', 0, 0),
        edit == Qt::Key_F5 ? QStringLiteral("note of a.jpg typed")
                           : QStringLiteral("note of a.jpg"));
}

void TestFolderFileCommands::droppedFile_data()
{
    QTest::addColumn<QString>("target"); // none: beside every node
    QTest::addColumn<QString>("folderAfter");
    QTest::newRow("on its own folder") << "Bilder\\Fotos\\"
                                       << "Bilder/Fotos";
    QTest::newRow("on another folder") << "Texte\\"
                                       << "Texte";
    QTest::newRow("beside every node") << ""
                                       << "Bilder/Fotos";
}

void TestFolderFileCommands::droppedFile()
{
    QFETCH(QString, target);
    QFETCH(QString, folderAfter);
    start();
    clickName("a.jpg");
    // As a drag from the grid arrives: its data, dropped on the tree's viewport.
    std::unique_ptr<QMimeData> data(TreeDragDrop::fileData(quint32(table()->table().recNo())));
    const QPoint point
        = target.isEmpty() ? QPoint(5, tree()->viewport()->height() - 3) : at(target);
    QDropEvent drop(point, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
    deliver(&drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(drop.dropAction(), Qt::CopyAction);
    QTRY_VERIFY(QFileInfo::exists(root() + folderAfter + "/a.jpg"));
    QVERIFY(QFileInfo::exists(root() + folderAfter + "/a.jpg.!"));
    QCOMPARE(views().selectedFolderPath(), QStringLiteral("Bilder\\Fotos\\"));
    QCOMPARE(gridNames().contains("a.jpg"), folderAfter == "Bilder/Fotos");
}

void TestFolderFileCommands::descriptionModeRewritesBothFolders()
{
    start();
    m_form->state().settings.folderInfoMode = 1;
    clickName("a.jpg");
    commands().dropOnTree(at("Texte\\"), quint32(table()->table().recNo()));
    QCOMPARE(testutil::readFile(root() + "Texte/Descript.ion"),
        QByteArray("a.jpg note of a.jpg\r\nt.txt note of t.txt\r\n"));
    QCOMPARE(testutil::readFile(root() + "Bilder/Fotos/Descript.ion"),
        QByteArray("b.jpg note of b.jpg\r\n"));
}

void TestFolderFileCommands::dragNearEdgesScrollsTree()
{
    for (int i = 0; i < 60; ++i)
        QVERIFY(QDir().mkpath(root() + QStringLiteral("F%1").arg(i, 2, 10, QChar('0'))));
    openCatalogue();
    showActive();
    QScrollBar *bar = tree()->verticalScrollBar();
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

void TestFolderFileCommands::copy_data()
{
    QTest::addColumn<QByteArray>("existing"); // in the copy folder, or none
    QTest::addColumn<QStringList>("answers"); // overwrite and info questions, in order
    QTest::addColumn<QByteArray>("copied");
    QTest::newRow("with info file")
        << QByteArray() << QStringList { "1" } << QByteArray("picture a");
    QTest::newRow("existing file, No")
        << QByteArray("old") << QStringList { "2" } << QByteArray("old");
}

void TestFolderFileCommands::copy()
{
    QFETCH(QByteArray, existing);
    QFETCH(QStringList, answers);
    QFETCH(QByteArray, copied);
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
    QCOMPARE(m_form->state().settings.copyFolder, folder);
    QCOMPARE(testutil::readFile(folder + "/a.jpg"), copied);
    QCOMPARE(QFileInfo::exists(folder + "/a.jpg.!"), existing.isEmpty());
    QCOMPARE(testutil::readFile(root() + "Bilder/Fotos/a.jpg"), QByteArray("picture a"));
}

QTEST_MAIN(TestFolderFileCommands)
#include "tst_folderfilecommands.moc"
