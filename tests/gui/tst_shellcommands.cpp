#include "app/ui/icons.h"
#include "browse/ui/browseviews.h"
#include "fileops/shellport.h"
#include "fileops/ui/shellcommands.h"
#include "store/catalogtable.h"
#include "support/gui/mainwindowfixture.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QtTest>

#include <QAction>
#include <QClipboard>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

namespace
{

// The desktop as a list of what was asked of it.
class RecordingShell : public ShellPort
{
public:
    QStringList requests;
    QStringList programs; // the targets isProgram says yes to
    bool openFails = false;
    bool programsExist = true;

    void open(const QString &target, std::function<void()> onFailure) override
    {
        requests << QStringLiteral("open ") + target;
        if (openFails && onFailure)
            onFailure();
    }
    void run(const QString &program, const QStringList &arguments,
        std::function<void()> onFailure) override
    {
        requests << QStringLiteral("run ") + (QStringList { program } + arguments).join('|');
        if (openFails && onFailure)
            onFailure();
    }
    bool isProgram(const QString &target) const override { return programs.contains(target); }
    void openWith(const QString &file) override { requests << QStringLiteral("with ") + file; }
    void explore(const QString &folder) override
    {
        requests << QStringLiteral("explore ") + folder;
    }
    void copyToClipboard(const QString &text) override
    {
        requests << QStringLiteral("copy ") + text;
    }
    bool programExists(const QString &) const override { return programsExist; }
};

// A shell script that only the test's own markers come of.
void writeScript(const QString &path, const QByteArray &body)
{
    QVERIFY(testutil::writeFile(path, "#!/bin/sh\n" + body));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QImage imageOf(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage();
}

} // namespace

// The shell commands as the user reaches them: keys and clicks on the real views, the
// desktop recorded, or for viewer sync a stand-in viewer program really started.
class TestShellCommands : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void clipboardKeysOfEachView();
    void clipboardOfTheDesktop();
    void openFallsBackToTheChooser();
    void openingAProgramAsks_data();
    void openingAProgramAsks();
    void exploreFolder_data();
    void exploreFolder();
    void openLinkFromTheSelection();
    void viewerFollowsTheGridUntilItIsLeft();
    void viewerSyncNeedsTheViewer();

private:
    RecordingShell *m_shell = nullptr;
    ShellCommands &shell() const { return m_form->families().shell(); }
    // Files of the folder "fotos" catalogued, the first one current and the grid focused.
    void start(const QStringList &names);
    void focusGrid(int row = 0);
};

void TestShellCommands::init()
{
    setUpWindow();
    auto shell = std::make_unique<RecordingShell>();
    m_shell = shell.get();
    this->shell().setShell(std::move(shell));
}

void TestShellCommands::cleanup()
{
    tearDownWindow();
}

void TestShellCommands::start(const QStringList &names)
{
    for (const QString &n : names)
        file(QStringLiteral("fotos/") + n);
    openCatalogue();
    showActive();
    press(Qt::Key_F8);
    QCOMPARE(gridNames(), names);
    focusGrid();
}

void TestShellCommands::focusGrid(int row)
{
    clickRow(row);
    QTRY_VERIFY(grid()->hasFocus());
}

void TestShellCommands::clipboardKeysOfEachView()
{
    start({ "a b.jpg", "c.txt" });
    QVERIFY(table()->table().edit());
    table()->setText(CatalogTable::NOTE, QStringLiteral("Strand \u20ac"));
    QVERIFY(table()->table().post());
    file(QStringLiteral("fotos/c.txt.!"), "one\r\ntwo\r\n");

    press(Qt::Key_C, Qt::ControlModifier);
    press(Qt::Key_F, Qt::ControlModifier);
    press(Qt::Key_N, Qt::ControlModifier);
    tree()->setFocus();
    QTRY_VERIFY(tree()->hasFocus());
    press(Qt::Key_C, Qt::ControlModifier);
    // The text pane copies its whole text; the tree's path comes with the folder's own case.
    focusGrid(1);
    QTest::mouseClick(textPane()->viewport(), Qt::LeftButton);
    QTRY_VERIFY(textPane()->hasFocus());
    press(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(m_shell->requests,
        (QStringList { "copy " + root() + "fotos/a b.jpg", "copy a b.jpg", "copy Strand \u20ac",
            "copy " + root() + "fotos/a b.jpg", "copy one\r\ntwo" }));
}

void TestShellCommands::clipboardOfTheDesktop()
{
    shell().setShell(nullptr);
    start({ "a.txt" });
    file(QStringLiteral("fotos/a.txt.!"), "x\r\ny\r\n");
    views().showCurrentRecord();
    m_form->commands().runCommand(Command::CopyFileName);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a.txt"));
    m_form->commands().runCommand(Command::CopyText);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("x\ny"));
}

void TestShellCommands::openFallsBackToTheChooser()
{
    start({ "a b.jpg", "c.txt" });
    const QString first = root() + QStringLiteral("fotos/a b.jpg");
    press(Qt::Key_Return);
    m_shell->openFails = true;
    const QPoint second = grid()->visualRect(grid()->model()->index(1, 0)).center();
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, second);
    m_form->commands().runCommand(Command::OpenWith);
    const QString other = root() + QStringLiteral("fotos/c.txt");
    QCOMPARE(m_shell->requests,
        (QStringList { "open " + first, "open " + other, "with " + other, "with " + other }));
    // In record edit mode the grid edits: nothing opens.
    m_shell->requests.clear();
    press(Qt::Key_F5);
    QCOMPARE(m_form->state().mode, UiMode::RecordEdit);
    m_form->commands().runCommand(Command::OpenFile);
    QVERIFY(m_shell->requests.isEmpty());
}

void TestShellCommands::openingAProgramAsks_data()
{
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Enter, Yes runs it") << false << "1" << true << false;
    QTest::newRow("Enter, No opens it in its application") << false << "2" << false << true;
    QTest::newRow("Enter, Esc leaves it") << false << "0" << false << false;
    QTest::newRow("double click, Esc leaves it") << true << "0" << false << false;
}

// An executable script in the catalogue, opened through this desktop's own shell: the
// stand-in opener and the script write markers, so nothing else is ever started.
void TestShellCommands::openingAProgramAsks()
{
    QFETCH(bool, doubleClick);
    QFETCH(QString, answer);
    QFETCH(bool, runs);
    QFETCH(bool, opens);
    QTemporaryDir tools;
    const QString opened = tools.filePath(QStringLiteral("opened"));
    const QString ran = tools.filePath(QStringLiteral("ran"));
    writeScript(tools.filePath(QStringLiteral("xdg-open")),
        "printf '%s' \"$1\" > '" + opened.toUtf8() + "'\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", tools.path().toLocal8Bit() + ':' + path);
    shell().setShell(nullptr);
    start({ "install.sh" });
    const QString script = root() + QStringLiteral("fotos/install.sh");
    writeScript(script, "touch '" + ran.toUtf8() + "'\n");

    ScriptedDialogs dialogs;
    dialogs.expect(DialogKind::Confirmation, answer, QStringLiteral("install.sh"));
    if (doubleClick)
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {},
            grid()->visualRect(grid()->model()->index(0, 0)).center());
    else
        press(Qt::Key_Return);
    QVERIFY(dialogs.done());
    if (runs)
        QTRY_VERIFY(QFile::exists(ran));
    if (opens)
        QTRY_COMPARE(testutil::readFile(opened), script.toUtf8());
    QTest::qWait(200);
    qputenv("PATH", path);
    QCOMPARE(QFile::exists(ran), runs);
    QCOMPARE(QFile::exists(opened), opens);
}

void TestShellCommands::exploreFolder_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<bool>("withRecord");
    QTest::addColumn<QString>("request");
    QTest::newRow("desktop's file manager") << "" << true << "explore @fotos";
    QTest::newRow("no record: the root folder") << "" << false << "explore @";
    // The program (see testEnvironment) runs from the root folder.
    QTest::newRow("next to the program") << "..\\fm" << true << "run @fm|@fotos";
}

void TestShellCommands::exploreFolder()
{
    QFETCH(QString, setting);
    QFETCH(bool, withRecord);
    QFETCH(QString, request);
    if (withRecord) {
        start({ "a.jpg" });
    } else {
        QVERIFY(QDir().mkpath(root() + QStringLiteral("fotos")));
        openCatalogue();
        showActive();
    }
    m_form->state().settings.fileManagerPath = setting;
    press(Qt::Key_E, Qt::ControlModifier);
    request.replace(QLatin1Char('@'), root());
    if (request.endsWith(QLatin1Char('/')))
        request.chop(1);
    QCOMPARE(m_shell->requests, QStringList { request });
}

void TestShellCommands::openLinkFromTheSelection()
{
    start({ "a.txt" });
    file(QStringLiteral("fotos/a.txt.!"), "see  /usr/bin/prog --x now\r\n");
    views().showCurrentRecord();
    QTextCursor cursor = textPane()->textCursor();
    m_form->commands().runCommand(Command::OpenLink); // nothing selected
    cursor.setPosition(3);
    cursor.setPosition(22, QTextCursor::KeepAnchor);
    textPane()->setTextCursor(cursor);
    m_shell->openFails = true;
    m_form->commands().runCommand(Command::OpenLink);
    QTRY_VERIFY(m_form->isActiveWindow());
    // A program runs with the rest of the selection only after a Yes.
    m_shell->programs << QStringLiteral("/usr/bin/prog");
    m_shell->openFails = false;
    ScriptedDialogs dialogs;
    dialogs.no(QStringLiteral("/usr/bin/prog")).yes(QStringLiteral("/usr/bin/prog"));
    m_form->commands().runCommand(Command::OpenLink);
    m_form->commands().runCommand(Command::OpenLink);
    QVERIFY(dialogs.done());
    QCOMPARE(m_shell->requests,
        (QStringList { "open /usr/bin/prog", "open /usr/bin/prog", "run /usr/bin/prog|--x" }));
}

void TestShellCommands::viewerFollowsTheGridUntilItIsLeft()
{
    // The stand-in viewer writes down what it was given.
    QTemporaryDir tools;
    const QString viewer = tools.filePath(QStringLiteral("viewer"));
    const QString log = tools.filePath(QStringLiteral("shown"));
    QVERIFY(testutil::writeFile(viewer,
        "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done >> '" + log.toUtf8()
            + "'\necho >> '" + log.toUtf8() + "'\n"));
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    shell().setShell(nullptr);
    shell().setHandOffLimit(100);
    Settings &s = m_form->state().settings;
    s.viewerPath = viewer;
    s.viewerParams = QStringLiteral(" --fs");
    s.viewerDelay = 10;
    start({ "a b.JPG", "c.png", "d.txt" });
    auto *watch = m_form->findChild<QTimer *>(QStringLiteral("Timer2"));
    QAction *item = m_form->commands().action(Command::SyncViewer);

    press(Qt::Key_S, Qt::ControlModifier);
    QVERIFY(shell().viewerSyncOn());
    QVERIFY(watch->isActive());
    QCOMPARE(imageOf(item->icon()), imageOf(tabulonIcon(Icon::ViewerOn)));
    const QString folder = root() + QStringLiteral("fotos/");
    QTRY_COMPARE(testutil::readFile(log), ("[" + folder + "a b.JPG][--fs]\n").toUtf8());
    // Each new current file is shown in turn; a file of another kind is not.
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    QTRY_COMPARE(testutil::readFile(log).count('\n'), 2);
    QTest::qWait(300);
    QCOMPARE(testutil::readFile(log),
        ("[" + folder + "a b.JPG][--fs]\n[" + folder + "c.png][--fs]\n").toUtf8());

    // Leaving the grid ends viewer sync within the watch's tick.
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton);
    QTRY_VERIFY(tree()->hasFocus());
    QTRY_VERIFY_WITH_TIMEOUT(!watch->isActive(), 1500);
    QVERIFY(!shell().viewerSyncOn());
    QCOMPARE(imageOf(item->icon()), imageOf(tabulonIcon(Icon::Viewer)));
}

void TestShellCommands::viewerSyncNeedsTheViewer()
{
    start({ "a.jpg" });
    auto *watch = m_form->findChild<QTimer *>(QStringLiteral("Timer2"));
    m_shell->programsExist = false;
    press(Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!shell().viewerSyncOn());
    QVERIFY(!watch->isActive());
    // On, then off again by the same command, and by F8.
    m_shell->programsExist = true;
    m_form->state().settings.viewerExtensions = QStringLiteral(".png");
    press(Qt::Key_S, Qt::ControlModifier);
    QVERIFY(shell().viewerSyncOn() && watch->isActive());
    press(Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!shell().viewerSyncOn() && !watch->isActive());
    press(Qt::Key_S, Qt::ControlModifier);
    press(Qt::Key_F8);
    QVERIFY(!shell().viewerSyncOn() && !watch->isActive());
    QVERIFY(m_shell->requests.isEmpty()); // a .jpg is no .png: never shown
}

QTEST_MAIN(TestShellCommands)
#include "tst_shellcommands.moc"
