#include "app/ui/mainwindow.h"
#include "browse/catalogmodel.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/editingcommands.h"
#include "platform/diskpath.h"
#include "scan/folderupdate.h"
#include "scan/infofile.h"
#include "store/catalogtable.h"
#include "support/gui/mainwindowfixture.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"
#include "views/ui/foldertreeview.h"

#include <QtTest>

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTreeWidget>

#include <sys/stat.h>

// Text edit mode and the text pane's commands, and deleting files, as a user does them in
// the main window.
class TestEditingText : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void savingWritesOrDeletesInfoFile_data();
    void savingWritesOrDeletesInfoFile();
    void abortRestoresText();
    void clickingGridOrTreeSavesToTheFileEdited();
    void failedSaveKeepsTextAndMode();
    void unreadableInfoFileIsNotEdited_data();
    void unreadableInfoFileIsNotEdited();
    void closingWindowSavesText();
    void insertFileReplacesSelection();
    void saveTextAsAsksBeforeOverwriting();
    void dateLineDeletionAndOpenLink();
    void deleteFileWithInfoFileAndRecord();
    void deleteRefusedByDiskChangesNothing();
    void deleteInDescriptionModeRewritesDescriptIon();

private:
    void start(const QStringList &names);
    QPlainTextEdit *pane() const { return textPane(); }
};

void TestEditingText::init()
{
    setUpWindow();
}

void TestEditingText::cleanup()
{
    tearDownWindow();
}

void TestEditingText::start(const QStringList &names)
{
    for (const QString &n : names)
        file(QStringLiteral("D/") + n);
    openCatalogue();
    showActive();
    QTest::keyClick(tree(), Qt::Key_F8);
    QCOMPARE(gridNames().size(), names.size());
    clickRow(0);
}

void TestEditingText::savingWritesOrDeletesInfoFile_data()
{
    QTest::addColumn<QByteArray>("before"); // empty: no info file
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("deleteAll");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QByteArray>("after"); // empty: no info file

    QTest::newRow("nothing typed, F8")
        << QByteArray() << QString() << false << Qt::Key_F8 << QByteArray();
    QTest::newRow("one line, F8") << QByteArray() << "first" << false << Qt::Key_F8
                                  << QByteArray("first\r\n");
    QTest::newRow("two lines, F6")
        << QByteArray() << "one\ntwo" << false << Qt::Key_F6 << QByteArray("one\r\ntwo\r\n");
    QTest::newRow("appended, F6") << QByteArray("old\n") << "new" << false << Qt::Key_F6
                                  << QByteArray("old\r\nnew\r\n");
    QTest::newRow("delete all, F6")
        << QByteArray("old\r\n") << QString() << true << Qt::Key_F6 << QByteArray();
}

void TestEditingText::savingWritesOrDeletesInfoFile()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, typed);
    QFETCH(bool, deleteAll);
    QFETCH(Qt::Key, key);
    QFETCH(QByteArray, after);
    if (!before.isEmpty())
        file("D/a.txt.!", before);
    start({ "a.txt" });
    press(Qt::Key_F6);
    QCOMPARE(m_form->state().mode, UiMode::TextEdit);
    QVERIFY(pane()->hasFocus());
    if (deleteAll)
        m_form->commands().action(Command::DeleteAllText)->trigger();
    pane()->moveCursor(QTextCursor::End);
    for (const QString &line : typed.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!pane()->toPlainText().isEmpty())
            press(Qt::Key_Return);
        QTest::keyClicks(pane(), line);
    }
    press(key);
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QVERIFY(grid()->hasFocus() && pane()->isReadOnly());
    QCOMPARE(QFile::exists(root() + "D/a.txt.!"), !after.isEmpty());
    if (!after.isEmpty())
        QCOMPARE(testutil::readFile(root() + "D/a.txt.!"), after);
}

void TestEditingText::abortRestoresText()
{
    file("D/a.txt.!", "kept\r\n");
    start({ "a.txt", "b.txt" });
    press(Qt::Key_F6);
    QTest::keyClicks(pane(), "more");
    press(Qt::Key_F7);
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QCOMPARE(pane()->toPlainText(), QStringLiteral("kept"));
    QCOMPARE(testutil::readFile(root() + "D/a.txt.!"), QByteArray("kept\r\n"));
    clickRow(1);
    press(Qt::Key_F6);
    QTest::keyClicks(pane(), "dropped");
    press(Qt::Key_F7);
    QCOMPARE(pane()->toPlainText(), QString());
    QVERIFY(!QFile::exists(root() + "D/b.txt.!"));
}

void TestEditingText::clickingGridOrTreeSavesToTheFileEdited()
{
    file("E/e.txt");
    start({ "a.txt", "b.txt" });
    clickRow(1);
    press(Qt::Key_F6);
    QTest::keyClicks(pane(), "for b");
    clickRow(0);
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QCOMPARE(testutil::readFile(root() + "D/b.txt.!"), QByteArray("for b\r\n"));
    QCOMPARE(pane()->toPlainText(), QString()); // a.txt's, which has none

    press(Qt::Key_F6);
    QTest::keyClicks(pane(), "for a");
    QTreeWidget *tree = this->tree();
    QTreeWidgetItem *other = findNode(tree, QStringLiteral("E\\"));
    QVERIFY(other);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(other).center());
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QVERIFY(tree->hasFocus());
    QCOMPARE(testutil::readFile(root() + "D/a.txt.!"), QByteArray("for a\r\n"));
    QVERIFY(!QFile::exists(root() + "E/e.txt.!"));
}

void TestEditingText::failedSaveKeepsTextAndMode()
{
    start({ "a.txt" });
    press(Qt::Key_F6);
    QTest::keyClicks(pane(), "precious");
    // The info file's place is taken by a folder while the text is typed.
    QVERIFY(QDir().mkpath(root() + "D/a.txt.!"));
    {
        ScriptedDialogs dialogs;
        dialogs.error("stays in the text pane");
        press(Qt::Key_F8);
        QVERIFY(dialogs.done());
    }
    QCOMPARE(m_form->state().mode, UiMode::TextEdit);
    QCOMPARE(pane()->toPlainText(), QStringLiteral("precious"));
    QVERIFY(QDir(root()).rmdir("D/a.txt.!"));
    press(Qt::Key_F6);
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QCOMPARE(testutil::readFile(root() + "D/a.txt.!"), QByteArray("precious\r\n"));
}

void TestEditingText::unreadableInfoFileIsNotEdited_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("shown"); // what the pane says in place of the text
    QTest::newRow("a folder") << "folder"
                              << "could not be read: it is not a regular file";
    // Read at start-up: it must neither hold the window up nor be taken for no text.
    QTest::newRow("a FIFO") << "fifo"
                            << "could not be read: it is not a regular file";
    QTest::newRow("larger than the pane takes") << "large"
                                                << "could not be read: it is larger than 64 MB";
}

void TestEditingText::unreadableInfoFileIsNotEdited()
{
    QFETCH(QString, kind);
    QFETCH(QString, shown);
    const QString info = root() + "D/a.txt.!";
    file("D/a.txt");
    if (kind == "folder")
        QVERIFY(QDir().mkpath(info));
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(info).constData(), 0600), 0);
    if (kind == "large") {
        QFile big(info);
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(infofile::kMaxInfoFileSize + 1));
    }
    const QFileInfo before(info);
    openCatalogue();
    QVERIFY(updateFolder(*table(), PathResolver(root()), "D\\", false));
    showActive();
    QVERIFY2(pane()->toPlainText().contains(shown), qPrintable(pane()->toPlainText()));
    ScriptedDialogs dialogs;
    dialogs.error("not edited");
    press(Qt::Key_F6);
    QVERIFY(dialogs.done());
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    const QFileInfo after(info);
    QCOMPARE(after.isDir(), before.isDir());
    QCOMPARE(after.isFile(), before.isFile());
    QCOMPARE(after.size(), before.size());
}

void TestEditingText::closingWindowSavesText()
{
    start({ "a.txt" });
    press(Qt::Key_F6);
    QTest::keyClicks(pane(), "typed before closing");
    QVERIFY(QDir().mkpath(root() + "D/a.txt.!"));
    {
        ScriptedDialogs dialogs;
        dialogs.error("stays in the text pane");
        m_form->close();
        QVERIFY(dialogs.done());
    }
    QVERIFY(!m_form->state().ending);
    QCOMPARE(m_form->state().mode, UiMode::TextEdit);
    QVERIFY(QDir(root()).rmdir("D/a.txt.!"));
    m_form->close();
    QVERIFY(m_form->state().ending);
    QCOMPARE(testutil::readFile(root() + "D/a.txt.!"), QByteArray("typed before closing\r\n"));
    // The end of the event loop that the closing asked for.
    QCoreApplication::processEvents();
}

void TestEditingText::insertFileReplacesSelection()
{
    file("texts/in.txt", "one\r\ntwo");
    start({ "a.txt" });
    EditingCommands *commands = &editing();
    QStringList offered;
    QString chosen;
    commands->setFileChoosers({}, [&](const QString &folder) {
        offered << folder;
        return chosen;
    });
    m_form->state().settings.textFolder = root();
    press(Qt::Key_F6);
    QTest::keyClicks(pane(), "abcdefghij");
    QTextCursor cursor = pane()->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    pane()->setTextCursor(cursor);

    chosen = root() + "texts/missing.txt";
    {
        ScriptedDialogs dialogs;
        dialogs.error("File  '" + chosen + "'  not exists !");
        m_form->commands().action(Command::InsertFile)->trigger();
        QVERIFY(dialogs.done());
    }
    QCOMPARE(m_form->state().settings.textFolder, root());
    QCOMPARE(pane()->toPlainText(), QStringLiteral("abcdefghij"));

    chosen = root() + "texts/in.txt";
    m_form->commands().popupAction(Popup::TextPane, Command::InsertFile)->trigger();
    QCOMPARE(pane()->toPlainText(), QStringLiteral("abcone\ntwo\nij"));
    QCOMPARE(m_form->state().settings.textFolder, root() + "texts/");
    QCOMPARE(offered, (QStringList { root(), root() }));
    press(Qt::Key_F8);
    QCOMPARE(testutil::readFile(root() + "D/a.txt.!"), QByteArray("abcone\r\ntwo\r\nij\r\n"));
}

void TestEditingText::saveTextAsAsksBeforeOverwriting()
{
    file("out/exists.txt", "old");
    start({ "a.txt" });
    QString chosen = root() + "out/exists.txt";
    editing().setFileChoosers([&](const QString &) { return chosen; }, {});
    press(Qt::Key_F6);
    QTest::keyClicks(pane(), "saved");
    QAction *saveAs = m_form->commands().action(Command::SaveTextAs);
    {
        ScriptedDialogs dialogs;
        dialogs.expect(DialogKind::WarningQuestion, QStringLiteral("2"),
            "File  '" + chosen + "'  exists !\rOverwrite ?");
        saveAs->trigger();
        QVERIFY(dialogs.done());
    }
    QCOMPARE(testutil::readFile(chosen), QByteArray("old"));
    {
        ScriptedDialogs dialogs;
        dialogs.expect(DialogKind::WarningQuestion, QStringLiteral("1"), "Overwrite");
        saveAs->trigger();
        QVERIFY(dialogs.done());
    }
    QCOMPARE(testutil::readFile(chosen), QByteArray("saved\r\n"));
    chosen = root() + "out/new.txt";
    saveAs->trigger();
    QCOMPARE(testutil::readFile(chosen), QByteArray("saved\r\n"));
    // Still editing; the info file is written only when editing ends.
    QCOMPARE(m_form->state().mode, UiMode::TextEdit);
    QVERIFY(!QFile::exists(root() + "D/a.txt.!"));
    QCOMPARE(m_form->state().settings.textFolder, root() + "out/");
    press(Qt::Key_F7);
}

void TestEditingText::dateLineDeletionAndOpenLink()
{
    start({ "a.txt" });
    press(Qt::Key_Y, Qt::ControlModifier); // browse mode: nothing
    press(Qt::Key_F6);
    QTest::keyClicks(pane(), "first");
    press(Qt::Key_Return);
    QTest::keyClicks(pane(), "second");
    press(Qt::Key_Return);
    QTest::keyClicks(pane(), "on ");
    press(Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(pane()->toPlainText(), QStringLiteral("first\nsecond\non 07.12.26 "));
    pane()->moveCursor(QTextCursor::Start);
    pane()->moveCursor(QTextCursor::Down);
    press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(pane()->toPlainText(), QStringLiteral("first\non 07.12.26 "));
    pane()->moveCursor(QTextCursor::End);
    press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(pane()->toPlainText(), QStringLiteral("first"));

    // "Open link" follows the selection once the command has a handler.
    m_form->commands().attach(Command::OpenLink, [] {});
    QAction *link = m_form->commands().popupAction(Popup::TextPane, Command::OpenLink);
    pane()->selectAll();
    editing().prepareTextMenu();
    QVERIFY(link->isEnabled());
    pane()->moveCursor(QTextCursor::End);
    editing().prepareTextMenu();
    QVERIFY(!link->isEnabled());
    press(Qt::Key_F7);
}

void TestEditingText::deleteFileWithInfoFileAndRecord()
{
    file("D/b.txt.!", "text\r\n");
    start({ "a.txt", "b.txt", "c.txt" });
    clickRow(1);
    {
        ScriptedDialogs dialogs;
        dialogs.no("Delete file  'b.txt'  ?");
        press(Qt::Key_F7);
        QVERIFY(dialogs.done());
    }
    QVERIFY(QFile::exists(root() + "D/b.txt"));
    {
        ScriptedDialogs dialogs;
        dialogs.yes("Delete file  'b.txt'  ?");
        press(Qt::Key_F7);
        QVERIFY(dialogs.done());
    }
    QVERIFY(!QFile::exists(root() + "D/b.txt") && !QFile::exists(root() + "D/b.txt.!"));
    QCOMPARE(gridNames(), (QStringList { "a.txt", "c.txt" }));
    QCOMPARE(table()->deletedCount, 1);
    QCOMPARE(table()->text(CatalogTable::NAME), QStringLiteral("c.txt"));
    QCOMPARE(grid()->currentIndex().row(), 1);
    QVERIFY(m_form->panelText(3).startsWith(QStringLiteral("2")));
}

void TestEditingText::deleteRefusedByDiskChangesNothing()
{
    start({ "a.txt" });
    // Gone from the disk behind the program's back: the delete fails, silently.
    QVERIFY(QFile::remove(root() + "D/a.txt"));
    file("D/a.txt.!", "text\r\n");
    const QString count = m_form->panelText(3);
    ScriptedDialogs dialogs;
    dialogs.yes("a.txt");
    press(Qt::Key_F7);
    QVERIFY(dialogs.done());
    QCOMPARE(gridNames(), QStringList { "a.txt" });
    QCOMPARE(table()->deletedCount, 0);
    QCOMPARE(m_form->panelText(3), count);
    QVERIFY(QFile::exists(root() + "D/a.txt.!"));
}

void TestEditingText::deleteInDescriptionModeRewritesDescriptIon()
{
    file("D/Descript.ion", "a.txt Alpha\r\nb.txt Beta\r\nc.txt Gamma\r\n");
    m_form->state().settings.folderInfoMode = 1;
    start({ "a.txt", "b.txt", "c.txt" });
    clickRow(1);
    ScriptedDialogs dialogs;
    dialogs.yes("b.txt");
    press(Qt::Key_F7);
    QVERIFY(dialogs.done());
    QCOMPARE(testutil::readFile(root() + "D/Descript.ion"),
        QByteArray("a.txt Alpha\r\nc.txt Gamma\r\n"));
    // The record after the deleted one is current again, not the folder's last.
    QCOMPARE(table()->text(CatalogTable::NAME), QStringLiteral("c.txt"));
}

QTEST_MAIN(TestEditingText)
#include "tst_editingtext.moc"
