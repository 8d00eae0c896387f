#include "app/ui/helpwindow.h"
#include "app/ui/programcommands.h"
#include "dialogs/dialoglayout.h"
#include "support/gui/mainwindowfixture.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QAction>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QtTest>

// "&Help" and "&Info ..." of the main window, with the shipped guide in the program folder.
class TestHelp : public QObject, public MainWindowFixture
{
    Q_OBJECT

    ProgramCommands &program() const { return m_form->families().program(); }
    QAction *helpItem() const { return m_form->commands().action(Command::Help); }
    void shipGuide(const QString &name)
    {
        QVERIFY(QFile::copy(testutil::sourcePath("help/Tabulon-en.html"), root() + name));
    }

private slots:
    void init() { setUpWindow(); }
    void cleanup()
    {
        tearDownWindow();
        // Closing the window asks the event loop to end; consume that request here.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }

    // Start-up chooses the help file and enables "&Help" only when there is one.
    void helpEnabledAtStartOnlyWithAFile_data()
    {
        QTest::addColumn<bool>("shipped");
        QTest::newRow("guide beside the program") << true;
        QTest::newRow("no guide") << false;
    }
    void helpEnabledAtStartOnlyWithAFile()
    {
        QFETCH(bool, shipped);
        if (shipped)
            shipGuide("Tabulon-en.html");
        QVERIFY(testutil::writeFile(root() + "Tabulon.ini", "[Local]\r\nDMS=Archiv\r\n"));
        QVERIFY(testutil::writeFile(root() + "Archiv.ini", "[Local]\r\nPath=Data\\\r\n"));
        QVERIFY(!helpItem()->isEnabled());
        QVERIFY(m_form->startUp());
        QCOMPARE(helpItem()->isEnabled(), shipped);
        QCOMPARE(m_form->state().settings.helpFilePath,
            shipped ? root() + "Tabulon-en.html" : QString());
        m_form->commands().runCommand(Command::Help);
        QCOMPARE(program().helpWindows().size(), shipped ? 1 : 0);
    }

    // The guide opens at its top, its contents lead to a topic, Back and Forward retrace.
    void helpWindowShowsTheGuide()
    {
        shipGuide("Tabulon-en.html");
        program().chooseHelpFile("EN");
        showActive();
        m_form->commands().runCommand(Command::Help);
        QCOMPARE(program().helpWindows().size(), 1);
        HelpWindow *help = program().helpWindows().first();
        QVERIFY(QTest::qWaitForWindowExposed(help));
        auto *text = help->findChild<QTextBrowser *>(QStringLiteral("HelpText"));
        QCOMPARE(text->source(), QUrl::fromLocalFile(root() + "Tabulon-en.html"));

        auto *contents = help->findChild<QTreeWidget *>(QStringLiteral("Contents"));
        const QList<QTreeWidgetItem *> search
            = contents->findItems(QStringLiteral("Search"), Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(search.size(), 1);
        contents->scrollToItem(search.first());
        QTest::mouseClick(contents->viewport(), Qt::LeftButton, {},
            contents->visualItemRect(search.first()).center());
        QCOMPARE(text->source().fragment(), QStringLiteral("search"));
        // The contents follow Back and Forward: the start of the guide is no entry.
        help->findChild<QAction *>(QStringLiteral("Back"))->trigger();
        QCOMPARE(text->source().fragment(), QString());
        QCOMPARE(contents->currentItem(), nullptr);
        QVERIFY(contents->selectedItems().isEmpty());
        help->findChild<QAction *>(QStringLiteral("Forward"))->trigger();
        QCOMPARE(text->source().fragment(), QStringLiteral("search"));
        QCOMPARE(contents->currentItem(), search.first());
        QVERIFY(search.first()->isSelected());

        // "&Help" again shows the same window at its default topic.
        m_form->commands().runCommand(Command::Help);
        QCOMPARE(program().helpWindows().size(), 1);
        QCOMPARE(text->source().fragment(), QString());
    }

    // Closing the main window closes every help window it opened.
    void closingTheMainWindowClosesHelpWindows()
    {
        shipGuide("Tabulon-en.html");
        shipGuide("Tabulon.html");
        showActive();
        for (const char *name : { "Tabulon-en.html", "Tabulon.html" }) {
            m_form->state().settings.helpFilePath = root() + name;
            m_form->commands().runCommand(Command::Help);
        }
        const QList<HelpWindow *> open = program().helpWindows();
        QCOMPARE(open.size(), 2);
        QVERIFY(open[0]->isVisible() && open[1]->isVisible());
        m_form->close();
        QTRY_VERIFY(program().helpWindows().isEmpty());
    }

    // The about box links to the guide beside the program, and to nothing without one.
    void aboutBoxLinksToTheGuide_data()
    {
        QTest::addColumn<bool>("shipped");
        QTest::newRow("guide beside the program") << true;
        QTest::newRow("no guide") << false;
    }
    void aboutBoxLinksToTheGuide()
    {
        QFETCH(bool, shipped);
        if (shipped)
            shipGuide("Tabulon-en.html");
        program().chooseHelpFile("EN");
        ScriptedDialogs dialogs;
        dialogs.expect(DialogKind::About, "1", ProgramCommands::noticeLine());
        m_form->commands().runCommand(Command::Info);
        QVERIFY(dialogs.done());
        const QString link = dialogLink(dialogs.requests().first().option);
        QCOMPARE(
            link, shipped ? QUrl::fromLocalFile(root() + "Tabulon-en.html").toString() : QString());
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
