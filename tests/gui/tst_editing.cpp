#include "app/ui/mainwindow.h"
#include "browse/catalogmodel.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/editingcommands.h"
#include "browse/ui/griddelegate.h"
#include "state/settingslook.h"
#include "store/catalogtable.h"
#include "support/gui/mainwindowfixture.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"
#include "views/ui/foldertreeview.h"

#include <QtTest>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTreeWidget>

// Record edit mode as a user works in it: F5, typing into the grid's cells, moving between
// rows, and the three endings; the grid's cells and the table's record rules together.
class TestEditing : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void modesSetMenusKeysAndColours();
    void typedTagsAndNoteWrittenOnRowChangeWithRules();
    void renameInGridMovesFileAndInfoFile();
    void nameWithoutDotRefusedWithMessage();
    void abortDiscardsTypedChange();
    void downArrowOnLastRowCreatesNothing();
    void insertAndDeleteBelongToCellEditor();
    void clickingTextPaneEndsRecordEditAndWritesRecord();
    void closingWindowKeepsOldValues();
    void f8InDescriptionModeKeepsTypedNote();
    void f8StopsWhenDescriptIonCannotBeWritten();
    void emptyFolderIgnoresEditKeys();
    void walksEndAnEditFirst_data();
    void walksEndAnEditFirst();

private:
    void start(const QStringList &names);
    QLineEdit *editor() const;
    void typeInCell(const QString &text);
    QString field(const QString &name, CatalogTable::Field f);
};

void TestEditing::init()
{
    setUpWindow();
}

void TestEditing::cleanup()
{
    tearDownWindow();
}

// Files of folder D catalogued by F8, the first one current.
void TestEditing::start(const QStringList &names)
{
    for (const QString &n : names)
        file(QStringLiteral("D/") + n);
    openCatalogue();
    showActive();
    press(Qt::Key_F8);
    QCOMPARE(gridNames().size(), names.size());
    if (!names.isEmpty())
        clickRow(0, 0);
}

QLineEdit *TestEditing::editor() const
{
    return qobject_cast<QLineEdit *>(QApplication::focusWidget());
}

void TestEditing::typeInCell(const QString &text)
{
    QLineEdit *line = editor();
    QVERIFY2(line, "no cell editor has the focus");
    line->selectAll();
    QTest::keyClicks(line, text);
}

QString TestEditing::field(const QString &name, CatalogTable::Field f)
{
    DbfTable &t = table()->table();
    const qint64 was = t.recNo();
    QString value = QStringLiteral("<no record>");
    for (DbStatus st = t.first(); st && !t.eof(); st = t.next())
        if (table()->text(CatalogTable::NAME) == name)
            value = table()->text(f);
    if (was > 0)
        t.goTo(quint32(was));
    return value;
}

void TestEditing::modesSetMenusKeysAndColours()
{
    start({ "a.txt", "b.txt" });
    MainWindow &f = *m_form;
    auto grid = [&](Command c) { return f.commands().popupAction(Popup::Grid, c); };
    auto pane = [&](Command c) { return f.commands().popupAction(Popup::TextPane, c); };
    auto item = [&](Command c) { return f.commands().action(c); };
    auto columnColor
        = [&](int column) { return GridDelegate::of(this->grid())->columnColor(column); };
    const QColor buttonFace = QApplication::palette(f.views().grid).color(QPalette::Button);
    // The clipboard commands stand in for their family: the modes switch them too.
    for (Command c : { Command::CopyPath, Command::CopyText })
        f.commands().attach(c, [] {});

    press(Qt::Key_F5);
    QCOMPARE(f.state().mode, UiMode::RecordEdit);
    QVERIFY(editor());
    QCOMPARE(f.views().grid->currentIndex().column(), int(CatalogModel::NoteColumn));
    QCOMPARE(columnColor(CatalogModel::DateColumn), buttonFace);
    QCOMPARE(columnColor(CatalogModel::SizeColumn), buttonFace);
    QVERIFY(!(
        f.views().grid->model()->index(0, CatalogModel::DateColumn).flags() & Qt::ItemIsEditable));
    QVERIFY(grid(Command::UpdateOrOk)->isEnabled() && grid(Command::DeleteOrAbort)->isEnabled());
    QVERIFY(!grid(Command::CopyPath)->isEnabled() && grid(Command::CopyPath)->shortcut().isEmpty());
    for (Command h : { Command::AddTag, Command::DeleteTag, Command::ReplaceTags })
        QVERIFY2(!item(h)->isEnabled() && item(h)->shortcut().isEmpty(), commandInfo(h).handler);
    QVERIFY(item(Command::Reorganize)->isEnabled() && !item(Command::SaveTextAs)->isEnabled());
    QVERIFY(pane(Command::CopyText)->isEnabled());

    press(Qt::Key_F6); // leaves record edit mode through the focus change
    QCOMPARE(f.state().mode, UiMode::TextEdit);
    QVERIFY(f.views().textPane->hasFocus() && !f.views().textPane->isReadOnly());
    const QColor view = toQColor(f.state().settings.viewColor, f.views().grid->palette());
    QCOMPARE(columnColor(CatalogModel::DateColumn), view);
    QCOMPARE(columnColor(CatalogModel::SizeColumn), view);
    QCOMPARE(f.views().textPane->palette().color(QPalette::Base),
        toQColor(f.state().settings.editColor, f.views().textPane->palette()));
    QVERIFY(!grid(Command::UpdateOrOk)->isEnabled() && grid(Command::CopyPath)->isEnabled());
    QCOMPARE(grid(Command::CopyPath)->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    QVERIFY(!item(Command::Reorganize)->isEnabled() && !item(Command::Settings)->isEnabled());
    for (Command h :
        { Command::SaveTextAs, Command::InsertFile, Command::DeleteAllText, Command::InsertDate })
        QVERIFY2(item(h)->isEnabled() && pane(h)->isEnabled(), commandInfo(h).handler);
    QVERIFY(pane(Command::UpdateOrOk)->isEnabled() && pane(Command::DeleteOrAbort)->isEnabled());
    QVERIFY(!pane(Command::CopyText)->isEnabled() && pane(Command::CopyText)->shortcut().isEmpty());
    QVERIFY(!item(Command::AddTag)->isEnabled() && item(Command::AddTag)->shortcut().isEmpty());

    press(Qt::Key_F7);
    QCOMPARE(f.state().mode, UiMode::Browse);
    QVERIFY(f.views().textPane->isReadOnly() && f.views().grid->hasFocus());
    QCOMPARE(item(Command::AddTag)->shortcut(), QKeySequence(Qt::Key_Insert));
    QCOMPARE(item(Command::DeleteTag)->shortcut(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(item(Command::ReplaceTags)->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    QVERIFY(item(Command::Reorganize)->isEnabled() && !item(Command::InsertDate)->isEnabled());
    QVERIFY(!pane(Command::UpdateOrOk)->isEnabled() && !grid(Command::UpdateOrOk)->isEnabled());
    QCOMPARE(pane(Command::CopyText)->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    QCOMPARE(f.views().grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(f.views().grid->selectionBehavior(), QAbstractItemView::SelectRows);
}

void TestEditing::typedTagsAndNoteWrittenOnRowChangeWithRules()
{
    start({ "a.txt", "b.txt" });
    press(Qt::Key_F5);
    typeInCell(QStringLiteral("Summer"));
    press(Qt::Key_Tab); // on to Tags
    QCOMPARE(grid()->currentIndex().column(), int(CatalogModel::TagsColumn));
    typeInCell(QStringLiteral(" b a b"));
    clickRow(1, CatalogModel::NoteColumn);
    QCOMPARE(m_form->state().mode, UiMode::RecordEdit);
    QTRY_COMPARE(grid()->model()->index(0, CatalogModel::TagsColumn).data().toString(),
        QStringLiteral("BA"));
    QCOMPARE(field("a.txt", CatalogTable::NOTE), QStringLiteral("Summer"));
    QCOMPARE(field("a.txt", CatalogTable::CODE), QStringLiteral("BA"));
    // The mode goes on, on the row clicked.
    QTRY_VERIFY(editor());
    QCOMPARE(grid()->currentIndex().row(), 1);
    typeInCell(QStringLiteral("xx y"));
    press(Qt::Key_F5);
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QCOMPARE(field("b.txt", CatalogTable::NOTE), QStringLiteral("xx y"));
    QCOMPARE(grid()->model()->index(1, CatalogModel::NoteColumn).data().toString(),
        QStringLiteral("xx y"));
}

void TestEditing::renameInGridMovesFileAndInfoFile()
{
    file("D/a.txt.!", "long\r\n");
    start({ "a.txt" });
    press(Qt::Key_F5);
    clickRow(0, CatalogModel::FileColumn);
    QCOMPARE(grid()->currentIndex().column(), int(CatalogModel::FileColumn));
    QVERIFY(editor());
    typeInCell(QStringLiteral("b.txt"));
    press(Qt::Key_F5);
    QCOMPARE(field("b.txt", CatalogTable::NAME), QStringLiteral("b.txt"));
    QVERIFY(QFile::exists(root() + "D/b.txt") && QFile::exists(root() + "D/b.txt.!"));
    QVERIFY(!QFile::exists(root() + "D/a.txt") && !QFile::exists(root() + "D/a.txt.!"));

    // A name already taken on disk: told, and the record keeps the name of its file.
    file("D/c.txt");
    press(Qt::Key_F5);
    clickRow(0, CatalogModel::FileColumn);
    QVERIFY(editor());
    typeInCell(QStringLiteral("c.txt"));
    ScriptedDialogs dialogs;
    dialogs.error("could not be renamed");
    press(Qt::Key_F5);
    QVERIFY(dialogs.done());
    QCOMPARE(gridNames(), QStringList { "b.txt" });
    QCOMPARE(testutil::readFile(root() + "D/c.txt"), QByteArray("x"));
}

void TestEditing::nameWithoutDotRefusedWithMessage()
{
    start({ "a.txt" });
    press(Qt::Key_F5);
    clickRow(0, CatalogModel::FileColumn);
    QVERIFY(editor());
    typeInCell(QStringLiteral("readme"));
    ScriptedDialogs dialogs;
    dialogs.error("readme");
    press(Qt::Key_F5);
    QTRY_VERIFY(dialogs.done());
    QCOMPARE(gridNames(), QStringList { "a.txt" });
    QVERIFY(QFile::exists(root() + "D/a.txt"));
    // Characters a name cannot hold never get into the cell.
    press(Qt::Key_F5);
    clickRow(0, CatalogModel::FileColumn);
    QVERIFY(editor());
    typeInCell(QStringLiteral("x/y\\z.txt"));
    QCOMPARE(editor()->text(), QStringLiteral("xyz.txt"));
    press(Qt::Key_F7);
}

void TestEditing::abortDiscardsTypedChange()
{
    start({ "a.txt", "b.txt" });
    press(Qt::Key_F5);
    typeInCell(QStringLiteral("typed"));
    press(Qt::Key_Tab);
    press(Qt::Key_F7);
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QCOMPARE(table()->table().state(), DbfTable::State::Browse);
    QCOMPARE(field("a.txt", CatalogTable::NOTE), QString());
    QCOMPARE(grid()->model()->index(0, CatalogModel::NoteColumn).data().toString(), QString());
}

void TestEditing::downArrowOnLastRowCreatesNothing()
{
    start({ "a.txt", "b.txt" });
    clickRow(1, 0);
    press(Qt::Key_F5);
    const quint32 physical = table()->table().physicalCount();
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Down);
    QCOMPARE(grid()->model()->rowCount(), 2);
    QCOMPARE(table()->table().physicalCount(), physical);
    QCOMPARE(grid()->currentIndex().row(), 1);
    press(Qt::Key_F7);
}

void TestEditing::insertAndDeleteBelongToCellEditor()
{
    int tagCommands = 0;
    m_form->commands().attach(Command::AddTag, [&] { ++tagCommands; });
    m_form->commands().attach(Command::DeleteTag, [&] { ++tagCommands; });
    start({ "a.txt" });
    press(Qt::Key_F5);
    typeInCell(QStringLiteral("abc"));
    press(Qt::Key_Home);
    press(Qt::Key_Delete);
    press(Qt::Key_Insert);
    QCOMPARE(editor()->text(), QStringLiteral("bc"));
    QCOMPARE(tagCommands, 0);
    press(Qt::Key_F5);
    QCOMPARE(field("a.txt", CatalogTable::NOTE), QStringLiteral("bc"));
    press(Qt::Key_Insert); // browse mode: the tag command again
    QCOMPARE(tagCommands, 1);
}

void TestEditing::clickingTextPaneEndsRecordEditAndWritesRecord()
{
    start({ "a.txt" });
    press(Qt::Key_F5);
    typeInCell(QStringLiteral("clicked away"));
    QTest::mouseClick(textPane()->viewport(), Qt::LeftButton);
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QCOMPARE(grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(field("a.txt", CatalogTable::NOTE), QStringLiteral("clicked away"));
    QVERIFY(!table()->recordEditMode());
}

void TestEditing::closingWindowKeepsOldValues()
{
    start({ "a.txt" });
    press(Qt::Key_F5);
    typeInCell(QStringLiteral("never confirmed"));
    press(Qt::Key_Tab); // the note is in the record's buffer now
    m_form->close();
    QVERIFY(!table()->isOpen());
    CatalogTable again;
    QVERIFY(again.open(root(), QStringLiteral("Archiv")));
    QVERIFY(again.setFolderRange(QStringLiteral("D\\")));
    QCOMPARE(again.text(CatalogTable::NAME), QStringLiteral("a.txt"));
    QCOMPARE(again.text(CatalogTable::NOTE), QString());
    // The end of the event loop that the closing asked for.
    QCoreApplication::processEvents();
}

void TestEditing::f8InDescriptionModeKeepsTypedNote()
{
    file("D/Descript.ion", "a.txt old note\r\n");
    m_form->state().settings.folderInfoMode = 1;
    start({ "a.txt", "b.txt" });
    QCOMPARE(field("a.txt", CatalogTable::NOTE), QStringLiteral("old note"));
    press(Qt::Key_F5);
    typeInCell(QStringLiteral("new note"));
    press(Qt::Key_F8);
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QCOMPARE(field("a.txt", CatalogTable::NOTE), QStringLiteral("new note"));
    QCOMPARE(testutil::readFile(root() + "D/Descript.ion"), QByteArray("a.txt new note\r\n"));
}

void TestEditing::f8StopsWhenDescriptIonCannotBeWritten()
{
    m_form->state().settings.folderInfoMode = 1;
    start({ "a.txt" });
    // A folder where the file should be: it can be neither read nor replaced.
    QVERIFY(QFile::remove(root() + "D/Descript.ion"));
    QVERIFY(QDir().mkpath(root() + "D/Descript.ion"));
    press(Qt::Key_F5);
    typeInCell(QStringLiteral("kept"));
    ScriptedDialogs dialogs;
    dialogs.error("not updated");
    press(Qt::Key_F8);
    QVERIFY(dialogs.done());
    QCOMPARE(field("a.txt", CatalogTable::NOTE), QStringLiteral("kept"));
}

void TestEditing::emptyFolderIgnoresEditKeys()
{
    QVERIFY(QDir().mkpath(root() + "E"));
    start({ "a.txt" });
    QTreeWidgetItem *empty = findNode(tree(), QStringLiteral("E\\"));
    QVERIFY(empty);
    QTest::mouseClick(
        tree()->viewport(), Qt::LeftButton, {}, tree()->visualItemRect(empty).center());
    QCOMPARE(gridNames(), QStringList());
    for (Qt::Key key : { Qt::Key_F5, Qt::Key_F6, Qt::Key_F7 }) {
        press(key);
        QCOMPARE(m_form->state().mode, UiMode::Browse);
    }
}

void TestEditing::walksEndAnEditFirst_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<Qt::Key>("edit");
    const int all = int(Command::UpdateAll);
    QTest::newRow("update all, note") << all << Qt::Key_F5;
    QTest::newRow("update all, text") << all << Qt::Key_F6;
    QTest::newRow("folder update, note") << int(Command::UpdateFolder) << Qt::Key_F5;
    QTest::newRow("reorganization, note") << int(Command::Reorganize) << Qt::Key_F5;
}

// Commands that walk the table or build the folders again end an edit first, as leaving
// its view does: the note typed is written, the text saved, and the records the walk adds
// are not refused as if typed into the grid.
void TestEditing::walksEndAnEditFirst()
{
    QFETCH(int, command);
    QFETCH(Qt::Key, edit);
    start({ "a.txt" });
    press(edit);
    QTest::keyClicks(QApplication::focusWidget(), "typed");
    file("D/b.txt");
    ScriptedDialogs dialogs;
    if (command == int(Command::UpdateAll))
        dialogs.yes("Update all folders ?");
    m_form->commands().runCommand(Command(command));
    QVERIFY(dialogs.done());
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QVERIFY(!table()->recordEditMode());
    if (edit == Qt::Key_F5)
        QCOMPARE(field("a.txt", CatalogTable::NOTE), QStringLiteral("typed"));
    else
        QCOMPARE(testutil::readFile(root() + "D/a.txt.!"), QByteArray("typed\r\n"));
    if (command == int(Command::UpdateAll))
        QCOMPARE(field("b.txt", CatalogTable::NAME), QStringLiteral("b.txt"));
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
