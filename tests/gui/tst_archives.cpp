#include "app/ui/archivechooser.h"
#include "app/ui/commandactions.h"
#include "app/ui/mainwindow.h"
#include "store/catalogtable.h"
#include "support/gui/whenmodal.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

namespace
{

QString iniValue(const QString &path, const QString &key)
{
    for (const QByteArray &line : testutil::readFile(path).split('\n')) {
        const QString text = QString::fromLatin1(line).trimmed();
        if (text.section(QLatin1Char('='), 0, 0) == key)
            return text.section(QLatin1Char('='), 1);
    }
    return QStringLiteral("<missing>");
}

QTreeWidget *listOf(ArchiveChooser *chooser)
{
    return chooser->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
}

} // namespace

// The archive commands through the real windows: a program folder with the archives
// Photos (open) and music, each with a root folder of its own.
class TestArchives : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_savedCwd;
    std::unique_ptr<MainWindow> m_form;
    CatalogueChoices m_rootChoices; // what the root question answers besides the folder

    QString file(const QString &name) const { return m_dir.filePath(name); }
    void writeSettings(const QString &name, const QByteArray &text)
    {
        QVERIFY(testutil::writeFile(file(name), QByteArray(text).replace("\n", "\r\n")));
    }

    // The main window started and shown; rootAnswer answers a new archive's root question.
    void start(const QString &rootAnswer = QString(), const QStringList &arguments = {})
    {
        ArchiveEnvironment env;
        env.program = { file("tabulon"), m_dir.path() + QLatin1Char('/'), false };
        env.arguments = arguments;
        env.askRoot = [rootAnswer, this](
                          const QString &, const QString &, QString *answer, CatalogueChoices *c) {
            *answer = rootAnswer;
            *c = m_rootChoices;
            return !rootAnswer.isEmpty();
        };
        m_form = std::make_unique<MainWindow>(env);
        QVERIFY(m_form->startUp());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    QTableView *grid() const { return m_form->findChild<QTableView *>(QStringLiteral("DBGrid1")); }
    QPlainTextEdit *pane() const
    {
        return m_form->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : grid(), key, modifiers);
    }
    // The archive opened after an edit: browse mode, its own text, F8, the tags and update
    // all working.
    void checkFreshArchive()
    {
        QVERIFY(m_form->state().settings.archiveName != QStringLiteral("Photos"));
        QVERIFY(!pane()->toPlainText().contains("typed"));
        QVERIFY(pane()->isReadOnly());
        // The offscreen platform hands the activation back from a closed chooser only on request.
        m_form->activateWindow();
        QTRY_VERIFY(m_form->isActiveWindow());
        QTest::keyClick(grid(), Qt::Key_F6); // no record yet: nothing to edit
        QTest::keyClick(grid(), Qt::Key_F8);
        QCOMPARE(grid()->model()->rowCount(), 1);
        QVERIFY(m_form->commands().action(Command::AddTag)->isEnabled());
        ScriptedDialogs dialogs;
        dialogs.yes("Update all folders ?");
        QTest::keyClick(grid(), Qt::Key_F12);
        QVERIFY(dialogs.done());
        QCOMPARE(grid()->model()->rowCount(), 1);
    }
    QStringList treeTexts() const
    {
        QStringList texts;
        auto *tree = m_form->findChild<QTreeWidget *>(QStringLiteral("TreeView1"));
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            texts << tree->topLevelItem(i)->text(0);
        return texts;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_savedCwd = QDir::currentPath();
        writeSettings("Tabulon.ini", "[Local]\nVers=6.6\nDMS=Photos\n[MainWin]\nstate=0\n");
        writeSettings("Photos.ini", "[Local]\nPath=Photos\\\n");
        writeSettings("music.ini", "[Local]\nPath=Music\\\n[MainWin]\nfile=200\n[Param]\nGrid=1\n");
        QVERIFY(QDir().mkpath(file("Photos/2019")));
        QVERIFY(QDir().mkpath(file("Music/Jazz")));
        m_rootChoices = CatalogueChoices();
    }
    void cleanup()
    {
        m_form.reset();
        // A quit request left by the program's end would end the next modal loop at once.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        QDir::setCurrent(m_savedCwd);
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    // The list, its preselection and the ways out, reached by a click on the status bar.
    void chooserKeys_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("switches");
        QTest::newRow("Enter") << "enter" << true;
        QTest::newRow("double-click") << "double" << true;
        QTest::newRow("Esc") << "esc" << false;
        QTest::newRow("Alt+F1") << "altf1" << false;
        QTest::newRow("close box") << "close" << false;
    }
    void chooserKeys()
    {
        QFETCH(QString, how);
        QFETCH(bool, switches);
        start();
        const QByteArray photosBefore = testutil::readFile(file("Photos.ini"));
        QStringList listed;
        QString caption;
        QString current;
        bool centred = false;
        whenModal<ArchiveChooser>([&](ArchiveChooser *chooser) {
            caption = chooser->windowTitle();
            QTreeWidget *list = listOf(chooser);
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                listed << list->topLevelItem(i)->text(0);
            current = list->selectedItems().value(0) ? list->selectedItems()[0]->text(0) : "";
            const QPoint middle = m_form->frameGeometry().center();
            centred = (chooser->frameGeometry().center() - middle).manhattanLength() < 20;
            QTreeWidgetItem *music = list->topLevelItem(0);
            if (how == "enter") {
                list->setCurrentItem(music);
                QTest::keyClick(list, Qt::Key_Return);
            } else if (how == "double") {
                // As the window system delivers it: a click, then the double-click.
                const QPoint at = list->visualItemRect(music).center();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
            } else if (how == "esc") {
                QTest::keyClick(list, Qt::Key_Escape);
            } else if (how == "altf1") {
                QTest::keyClick(list, Qt::Key_F1, Qt::AltModifier);
            } else {
                chooser->close();
            }
        });
        QTest::mouseClick(
            m_form->findChild<QLabel *>(QStringLiteral("StatusPanel1")), Qt::LeftButton);
        QCOMPARE(caption, QStringLiteral("Switch archive"));
        QCOMPARE(listed, (QStringList { "music", "Photos" }));
        QCOMPARE(current, QStringLiteral("Photos"));
        QVERIFY(centred);
        QCOMPARE(m_form->state().settings.archiveName,
            switches ? QStringLiteral("music") : QStringLiteral("Photos"));
        if (!switches)
            QCOMPARE(testutil::readFile(file("Photos.ini")), photosBefore);
    }

    // The open archive's file is written, the other's read and shown, the layout redone.
    void switchingSavesTheOldAndOpensTheNew()
    {
        start();
        m_form->state().settings.viewerDelay = 777;
        whenModal<ArchiveChooser>([](ArchiveChooser *chooser) {
            QTreeWidget *list = listOf(chooser);
            // Shown in the view look of the archive open now.
            QVERIFY(!list->property("gridLines").toBool());
            list->setCurrentItem(list->findItems("music", Qt::MatchExactly).first());
            QTest::keyClick(list, Qt::Key_Return);
        });
        m_form->commands().runCommand(Command::SwitchArchive);

        QCOMPARE(iniValue(file("Photos.ini"), "Syn"), QStringLiteral("777"));
        QCOMPARE(iniValue(file("Tabulon.ini"), "DMS"), QStringLiteral("music"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Tabulon 6.6 - music"));
        QCOMPARE(m_form->state().catalog->fileName(), file("Music/music.dbf"));
        QCOMPARE(m_form->state().settings.viewerDelay, 200);
        QCOMPARE(treeTexts(), QStringList { "Jazz" });
        auto *grid = m_form->findChild<QTableView *>(QStringLiteral("DBGrid1"));
        QCOMPARE(grid->columnWidth(0), 200);
        int columns = 0;
        for (int c = 0; c < 5; ++c)
            columns += grid->columnWidth(c);
        QTRY_COMPARE(columns, grid->width() - 20);

        // The next list shows music's grid lines, the open archive preselected.
        whenModal<ArchiveChooser>([](ArchiveChooser *chooser) {
            QTreeWidget *list = listOf(chooser);
            QVERIFY(list->property("gridLines").toBool());
            QCOMPARE(list->selectedItems().value(0)->text(0), QStringLiteral("music"));
            QTest::keyClick(list, Qt::Key_Escape);
        });
        m_form->commands().runCommand(Command::SwitchArchive);
    }

    // A record edit (F5) or a text edit (F6) of the open archive ends before its table closes:
    // the typed note is dropped with the table, the typed text saved beside its file. None
    // survives into the other archive, where F8, the tags and update all work at once. A text
    // that cannot be saved keeps the archive open.
    void editEndsBeforeTheTableCloses_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<Qt::Key>("edit");
        QTest::addColumn<bool>("saveFails");
        for (const char *command : { "switch", "new", "exit" }) {
            QTest::addRow("%s, record edit", command) << command << Qt::Key_F5 << false;
            QTest::addRow("%s, text edit", command) << command << Qt::Key_F6 << false;
        }
        QTest::newRow("switch, text that cannot be saved") << "switch" << Qt::Key_F6 << true;
    }
    void editEndsBeforeTheTableCloses()
    {
        QFETCH(QString, command);
        QFETCH(Qt::Key, edit);
        QFETCH(bool, saveFails);
        QVERIFY(testutil::writeFile(file("Photos/2019/a.jpg"), "a"));
        QVERIFY(testutil::writeFile(file("Music/Jazz/j.mp3"), "j"));
        QVERIFY(testutil::writeFile(file("Music/Jazz/j.mp3.!"), "jazz\r\n"));
        QVERIFY(testutil::writeFile(file("Films/Kino/f.avi"), "f"));
        start(QStringLiteral("Films\\"));
        m_form->activateWindow();
        QTRY_VERIFY(m_form->isActiveWindow());
        QTest::keyClick(grid(), Qt::Key_F8);
        QCOMPARE(grid()->model()->rowCount(), 1);
        QTest::keyClick(grid(), edit);
        QTest::keyClicks(QApplication::focusWidget(), "typed");
        if (saveFails)
            QVERIFY(QDir().mkpath(file("Photos/2019/a.jpg.!")));

        ScriptedDialogs dialogs;
        if (saveFails)
            dialogs.error("The text stays in the text pane");
        if (command == "switch") {
            whenModal<ArchiveChooser>([](ArchiveChooser *chooser) {
                QTreeWidget *list = listOf(chooser);
                list->setCurrentItem(list->findItems("music", Qt::MatchExactly).first());
                QTest::keyClick(list, Qt::Key_Return);
            });
            press(Qt::Key_F2, Qt::AltModifier);
        } else if (command == "new") {
            dialogs.input(QStringLiteral("Films"), "Name of the archive ?");
            m_form->commands().runCommand(Command::NewArchive);
        } else {
            m_form->commands().runCommand(Command::Exit);
        }
        QVERIFY(dialogs.done());
        if (saveFails) {
            QCOMPARE(m_form->state().settings.archiveName, QStringLiteral("Photos"));
            QCOMPARE(m_form->state().mode, UiMode::TextEdit);
            QVERIFY(pane()->toPlainText().contains("typed"));
            return;
        }
        QCOMPARE(m_form->state().mode, UiMode::Browse);
        QCOMPARE(testutil::readFile(file("Photos/2019/a.jpg.!")),
            edit == Qt::Key_F6 ? QByteArray("typed\r\n") : QByteArray());
        if (command == "exit")
            QVERIFY(m_form->state().ending);
        else
            checkFreshArchive();
        // The note typed in the grid went with the closed table.
        m_form.reset();
        CatalogTable photos;
        QVERIFY(photos.open(file("Photos"), QStringLiteral("Photos")).isOk());
        QVERIFY(photos.table().first().isOk());
        QCOMPARE(photos.text(CatalogTable::NOTE), QString());
    }

    // Grid lines take their pixels from the Date column shown, never from the width kept,
    // which stays the same start after start and archive after archive.
    void dateColumnWidthKept_data()
    {
        QTest::addColumn<QByteArray>("gridLines"); // of Photos
        QTest::addColumn<int>("shown");
        QTest::newRow("without lines") << QByteArray("0") << 65;
        QTest::newRow("with lines") << QByteArray("1") << 61;
    }
    void dateColumnWidthKept()
    {
        QFETCH(QByteArray, gridLines);
        QFETCH(int, shown);
        writeSettings(
            "Tabulon.ini", "[Local]\nVers=6.6\nDMS=Photos\n[MainWin]\nstate=0\n[Param]\nCda=65\n");
        writeSettings("Photos.ini", "[Local]\nPath=Photos\\\n[Param]\nGrid=" + gridLines + "\n");
        for (int run = 0; run < 3; ++run) {
            start();
            QCOMPARE(grid()->columnWidth(3), shown);
            if (run == 2) {
                // music draws lines: 4 pixels less while it is open, the width kept the same.
                whenModal<ArchiveChooser>([](ArchiveChooser *chooser) {
                    QTreeWidget *list = listOf(chooser);
                    list->setCurrentItem(list->findItems("music", Qt::MatchExactly).first());
                    QTest::keyClick(list, Qt::Key_Return);
                });
                m_form->commands().runCommand(Command::SwitchArchive);
                QCOMPARE(grid()->columnWidth(3), 61);
                QCOMPARE(iniValue(file("Tabulon.ini"), "Cda"), QStringLiteral("65"));
            }
            m_form->quitProgram();
            m_form.reset();
            QCOMPARE(iniValue(file("Tabulon.ini"), "Cda"), QStringLiteral("65"));
            // The program's end asks the event loop to quit; the next start must not see it.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
        }
    }

    // Deleting takes only the settings file; a new archive of that name, given the same
    // root when it asks for one, finds the records again.
    void startArchiveThatCannotOpen_data();
    void startArchiveThatCannotOpen();
    void archiveNameWithADot();

    // A new archive's table is made with the choices of the root question; a table that
    // is in the root folder already keeps its own.
    void newArchiveTableTakesTheChoices_data()
    {
        QTest::addColumn<bool>("tableThere");
        QTest::newRow("table made") << false;
        QTest::newRow("table there") << true;
    }
    void newArchiveTableTakesTheChoices()
    {
        QFETCH(bool, tableThere);
        if (tableThere) {
            CatalogTable films;
            QVERIFY(QDir().mkpath(file("Films")));
            QVERIFY(films.open(file("Films"), QStringLiteral("Films")).isOk());
        }
        m_rootChoices.unicode = true;
        m_rootChoices.extensionless = true;
        start(QStringLiteral("Films\\"));
        ScriptedDialogs dialogs;
        dialogs.input(QStringLiteral("Films"), "Name of the archive ?");
        m_form->commands().runCommand(Command::NewArchive);
        QVERIFY(dialogs.done());
        QCOMPARE(m_form->state().settings.archiveName, QStringLiteral("Films"));
        const TableChoices &choices = m_form->state().catalog->choices();
        QCOMPARE(choices.unicode, !tableThere);
        QCOMPARE(choices.extensionless, !tableThere);
        QCOMPARE(QFileInfo::exists(file("Films/Films.cpg")), !tableThere);
    }

    void deletedArchiveComesBackWithItsRecords()
    {
        writeSettings("Films.ini", "[Local]\nPath=Films\\\n");
        {
            CatalogTable films;
            QVERIFY(QDir().mkpath(file("Films")));
            QVERIFY(films.open(file("Films"), QStringLiteral("Films")).isOk());
            QVERIFY(films.table().append().isOk());
            QVERIFY(films.table().post().isOk());
        }
        start(QStringLiteral("Films\\"));
        ScriptedDialogs dialogs;
        dialogs.yes(QStringLiteral("Delete archive  'Films' (no files !)"));
        whenModal<ArchiveChooser>([](ArchiveChooser *chooser) {
            QTreeWidget *list = listOf(chooser);
            list->setCurrentItem(list->findItems("Films", Qt::MatchExactly).first());
            QTest::keyClick(list, Qt::Key_Return);
        });
        m_form->commands().runCommand(Command::DeleteArchive);
        QVERIFY(dialogs.done());
        QVERIFY(!QFileInfo::exists(file("Films.ini")));
        QVERIFY(QFileInfo::exists(file("Films/Films.dbf")));

        dialogs.input(QStringLiteral("films"));
        m_form->commands().runCommand(Command::NewArchive);
        QVERIFY(dialogs.done());
        QCOMPARE(m_form->state().settings.archiveName, QStringLiteral("Films"));
        QCOMPARE(iniValue(file("Films.ini"), "Path"), QStringLiteral("Films\\"));
        QCOMPARE(m_form->state().catalog->table().physicalCount(), 1u);
        // The archive open before was saved on the way.
        QVERIFY(iniValue(file("Photos.ini"), "Syn") != QStringLiteral("<missing>"));
    }
};

void TestArchives::startArchiveThatCannotOpen_data()
{
    QTest::addColumn<QByteArray>("startArchive"); // DMS of the program-wide file
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("name climbing out of the program folder")
        << QByteArray("../evil") << QStringList() << "Archive  '../evil'  can not be used";
    QTest::newRow("name with a folder, on the command line")
        << QByteArray("Photos") << QStringList { "a/b" } << "Archive  'a/b'  can not be used";
    QTest::newRow("name of a hidden file")
        << QByteArray(".Photos") << QStringList() << "Archive  '.Photos'  can not be used";
    QTest::newRow("damaged table") << QByteArray("Photos") << QStringList() << "Photos.dbf";
}

// The program starts all the same: the message, then the chooser; the archive chosen
// becomes the start archive, and nothing is written outside the program folder.
void TestArchives::startArchiveThatCannotOpen()
{
    QFETCH(QByteArray, startArchive);
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    writeSettings("Tabulon.ini", "[Local]\nVers=6.6\nDMS=" + startArchive + "\n");
    if (QByteArray(QTest::currentDataTag()) == "damaged table")
        QVERIFY(testutil::writeFile(file("Photos/Photos.dbf"), QByteArray(600, 'x')));
    const QString outside = QDir::cleanPath(m_dir.path() + QStringLiteral("/../evil.ini"));
    QVERIFY(!QFileInfo::exists(outside));
    ScriptedDialogs dialogs;
    dialogs.error(message);
    QString caption;
    whenModal<ArchiveChooser>([&caption](ArchiveChooser *chooser) {
        caption = chooser->windowTitle();
        QTreeWidget *list = listOf(chooser);
        list->setCurrentItem(list->findItems("music", Qt::MatchExactly).first());
        QTest::keyClick(list, Qt::Key_Return);
    });
    start(QString(), arguments);
    QVERIFY(dialogs.done());
    QCOMPARE(caption, QStringLiteral("another archive or ESC"));
    QCOMPARE(m_form->state().settings.archiveName, QStringLiteral("music"));
    QVERIFY(m_form->state().catalog->isOpen());
    QCOMPARE(iniValue(file("Tabulon.ini"), "DMS"), QStringLiteral("music"));
    QVERIFY(!QFileInfo::exists(outside));
    QVERIFY(!QFileInfo::exists(file("a")));
}

// A name with a dot is listed whole, and is opened and deleted as any other.
void TestArchives::archiveNameWithADot()
{
    writeSettings("my.photos.ini", "[Local]\nPath=Mine\\\n");
    start();
    const auto choose = [](const QString &name) {
        whenModal<ArchiveChooser>([name](ArchiveChooser *chooser) {
            QTreeWidget *list = listOf(chooser);
            list->setCurrentItem(list->findItems(name, Qt::MatchExactly).value(0));
            QTest::keyClick(list, Qt::Key_Return);
        });
    };
    choose(QStringLiteral("my.photos"));
    m_form->commands().runCommand(Command::SwitchArchive);
    QCOMPARE(m_form->state().settings.archiveName, QStringLiteral("my.photos"));
    QCOMPARE(m_form->state().catalog->fileName(), file("Mine/my.photos.dbf"));
    choose(QStringLiteral("Photos"));
    m_form->commands().runCommand(Command::SwitchArchive);
    QCOMPARE(m_form->state().settings.archiveName, QStringLiteral("Photos"));

    ScriptedDialogs dialogs;
    dialogs.yes(QStringLiteral("Delete archive  'my.photos' (no files !)"));
    choose(QStringLiteral("my.photos"));
    m_form->commands().runCommand(Command::DeleteArchive);
    QVERIFY(dialogs.done());
    QVERIFY(!QFileInfo::exists(file("my.photos.ini")));
    QVERIFY(QFileInfo::exists(file("Mine/my.photos.dbf")));
}

QTEST_MAIN(TestArchives)
#include "tst_archives.moc"
