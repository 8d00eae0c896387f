#include "fileops/shellport.h"
#include "fileops/shellrequests.h"
#include "fileops/viewerhandoff.h"
#include "platform/commandline.h"
#include "support/scripteddialogs.h"

#include <QtTest>

namespace
{

// A desktop whose foreground the test scripts: the main window leaves the front after
// `leavesAfter` waits and comes back after `returnsAfter` requests (never when negative).
struct ScriptedForeground : ForegroundPort {
    int leavesAfter = 1;
    int returnsAfter = 1;
    int waits = 0;
    int requests = 0;
    qint64 clock = 0;

    bool mainWindowInFront() const override
    {
        const bool left = leavesAfter >= 0 && waits >= leavesAfter;
        return !left || (returnsAfter >= 0 && requests >= returnsAfter);
    }
    void bringMainWindowToFront() override { ++requests; }
    void wait(int ms) override { ++waits, clock += qMax(ms, 1); }
    qint64 elapsedMs() const override { return clock; }
};

// The desktop as a list of requests: "open T" and "run P|A1|A2".
struct RecordingShell : ShellPort {
    QStringList opened;
    QStringList programs; // what isProgram says yes to
    bool fails = false;
    void open(const QString &target, std::function<void()> onFailure) override
    {
        opened << QStringLiteral("open ") + target;
        if (fails && onFailure)
            onFailure();
    }
    void run(const QString &program, const QStringList &arguments,
        std::function<void()> onFailure) override
    {
        opened << QStringLiteral("run ") + (QStringList { program } + arguments).join('|');
        if (fails && onFailure)
            onFailure();
    }
    bool isProgram(const QString &target) const override { return programs.contains(target); }
    void openWith(const QString &) override { }
    void explore(const QString &) override { }
    void copyToClipboard(const QString &) override { }
    bool programExists(const QString &) const override { return true; }
};

} // namespace

// The texts the shell commands hand over, and the bounded hand-back from the viewer. The
// clipboard texts are checked through the window's commands.
class TestShellRequests : public QObject
{
    Q_OBJECT
private slots:
    void linkSplitAtTheFirstBlank_data()
    {
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QStringList>("link");
        QTest::newRow("name with blanks around")
            << "  \tnotes.txt  " << QStringList { "notes.txt", "" };
        QTest::newRow("program and argument")
            << " /usr/bin/gimp  /data/a b.png " << QStringList { "/usr/bin/gimp", "/data/a b.png" };
        QTest::newRow("only blanks") << "   " << QStringList { "", "" };
        QTest::newRow("across lines") << "/data/x.txt\u2029" << QStringList { "/data/x.txt", "" };
    }
    void linkSplitAtTheFirstBlank()
    {
        QFETCH(QString, selection);
        QFETCH(QStringList, link);
        const shellrequests::Link l = shellrequests::splitLink(selection);
        QCOMPARE((QStringList { l.file, l.parameters }), link);
    }

    void exploreWithFileManagerSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file"); // empty: the shell explores
        QTest::addColumn<QString>("argument"); // the folder as the file manager gets it
        QTest::newRow("none") << "" << true << "/r/A"
                              << ""
                              << "";
        QTest::newRow("missing program") << "/opt/fm" << false << "/r/A"
                                         << ""
                                         << "";
        QTest::newRow("blank: quoted") << "/opt/my fm/run" << true << "/r/A"
                                       << "\"/opt/my fm/run\""
                                       << "/r/A";
        QTest::newRow("program folder") << "..\\Tools\\fm" << true << "/r/A"
                                        << "/stick/Tabulon/Tools\\fm"
                                        << "/r/A";
        QTest::newRow("usb drive, first only") << "%USB%x%usb%" << true << "/r/A"
                                               << "/stick/x%usb%"
                                               << "/r/A";
        // One argument, whatever the folder's name holds.
        QTest::newRow("quotes in the folder") << "/opt/fm" << true << "/r/x\" --new-window \"y"
                                              << "/opt/fm"
                                              << "/r/x\" --new-window \"y";
        QTest::newRow("newline and blanks") << "/opt/fm" << true << "/r/a b\nc \\"
                                            << "/opt/fm"
                                            << "/r/a b\nc \\";
        QTest::newRow("leading dash") << "/opt/fm" << true << "-r"
                                      << "/opt/fm"
                                      << "./-r";
    }
    void exploreWithFileManagerSetting()
    {
        QFETCH(QString, setting);
        QFETCH(bool, exists);
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QFETCH(QString, argument);
        QString asked;
        const shellrequests::ExploreRequest r = shellrequests::exploreRequest(setting, folder,
            QStringLiteral("/stick/Tabulon/"), QStringLiteral("/stick/"), [&](const QString &path) {
                asked = path;
                return exists;
            });
        QCOMPARE(r.useShell, file.isEmpty());
        QCOMPARE(r.file, file.isEmpty() ? folder : file);
        QCOMPARE(r.arguments, file.isEmpty() ? QStringList() : QStringList { argument });
        // The existence test sees the command after the replacements, without quotes.
        if (!file.isEmpty())
            QCOMPARE(asked, file.remove(QLatin1Char('"')));
    }

    void viewerExtensionsAndParameters()
    {
        const QString extensions = QStringLiteral(".jpg .bmp .png .mp4");
        QVERIFY(shellrequests::viewerShows(QStringLiteral("IMG_1.JPG"), extensions));
        QVERIFY(shellrequests::viewerShows(QStringLiteral("x.jp"), extensions));
        QVERIFY(!shellrequests::viewerShows(QStringLiteral("README"), extensions));
        QVERIFY(!shellrequests::viewerShows(QStringLiteral("odd."), extensions));
    }

    // The path reaches the viewer whole, whatever its characters; viewerParams is split.
    void viewerArguments_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("params");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("defaults: glued") << "/d/x.jpg"
                                         << "/one /fs" << QStringList { "/d/x.jpg/one", "/fs" };
        QTest::newRow("blank first") << "/d/my x.jpg"
                                     << " -f \"a b\"" << QStringList { "/d/my x.jpg", "-f", "a b" };
        QTest::newRow("quotes in the path")
            << "/d/x\" --new-window \"y.jpg"
            << " --fs" << QStringList { "/d/x\" --new-window \"y.jpg", "--fs" };
        QTest::newRow("newline and backslash") << "/d/a\nb\\\".png"
                                               << "" << QStringList { "/d/a\nb\\\".png" };
        QTest::newRow("glued to a quoted parameter")
            << "/d/a b"
            << "\"c d\" e" << QStringList { "/d/a bc d", "e" };
        QTest::newRow("leading dash") << "-x.jpg"
                                      << "\t-f" << QStringList { "./-x.jpg", "-f" };
    }
    void viewerArguments()
    {
        QFETCH(QString, path);
        QFETCH(QString, params);
        QFETCH(QStringList, arguments);
        QCOMPARE(shellrequests::viewerArguments(path, params), arguments);
    }

    // Opening a program asks first; only Yes runs it.
    void programsRunOnlyWhenAsked_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("answer"); // empty: no question
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<int>("failures");
        QTest::newRow("document") << "/d/a.txt"
                                  << "" << false << QStringList { "open /d/a.txt" } << 0;
        QTest::newRow("program, Yes")
            << "/d/install.sh"
            << "1" << false << QStringList { "run /d/install.sh|-y|a b" } << 0;
        QTest::newRow("program, No") << "/d/install.sh"
                                     << "2" << false << QStringList { "open /d/install.sh" } << 0;
        QTest::newRow("program, Esc") << "/d/install.sh"
                                      << "0" << true << QStringList {} << 0;
        QTest::newRow("program that fails")
            << "/d/install.sh"
            << "1" << true << QStringList { "run /d/install.sh|-y|a b" } << 1;
        QTest::newRow("document that fails") << "/d/a.txt"
                                             << "" << true << QStringList { "open /d/a.txt" } << 1;
    }
    void programsRunOnlyWhenAsked()
    {
        QFETCH(QString, target);
        QFETCH(QString, answer);
        QFETCH(bool, fails);
        QFETCH(QStringList, requests);
        QFETCH(int, failures);
        RecordingShell shell;
        shell.programs << QStringLiteral("/d/install.sh");
        shell.fails = fails;
        ScriptedDialogs dialogs;
        if (!answer.isEmpty())
            dialogs.expect(DialogKind::Confirmation, answer, QStringLiteral("'/d/install.sh'"));
        int failed = 0;
        shellrequests::openTarget(shell, target, commandline::split(QStringLiteral("-y \"a b\"")),
            [&failed] { ++failed; });
        QVERIFY(dialogs.done());
        QCOMPARE(shell.opened, requests);
        QCOMPARE(failed, failures);
        // Enter alone answers No: the question preselects it.
        if (!answer.isEmpty())
            QCOMPARE(dialogs.requests().first().option, QStringLiteral("2"));
    }

    // Whatever the desktop does, the hand-back ends within its bounds.
    void handBackIsBounded_data()
    {
        QTest::addColumn<int>("leavesAfter");
        QTest::addColumn<int>("returnsAfter");
        QTest::addColumn<int>("delay");
        QTest::addColumn<bool>("viewerFails");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("maxClock");
        QTest::newRow("viewer up, window back") << 2 << 1 << 200 << false << 1 << 1000;
        QTest::newRow("viewer never in front") << -1 << 1 << 200 << false << 1 << 2600;
        QTest::newRow("window never back") << 1 << -1 << 200 << false << 10 << 4800;
        QTest::newRow("huge delay cut") << 1 << -1 << 100000 << false << 2 << 5000;
        QTest::newRow("viewer did not start") << 1 << 1 << 200 << true << 0 << 0;
    }
    void handBackIsBounded()
    {
        QFETCH(int, leavesAfter);
        QFETCH(int, returnsAfter);
        QFETCH(int, delay);
        QFETCH(bool, viewerFails);
        QFETCH(int, requests);
        QFETCH(int, maxClock);
        ScriptedForeground fg;
        fg.leavesAfter = leavesAfter;
        fg.returnsAfter = returnsAfter;
        RecordingShell shell;
        shell.fails = viewerFails;
        viewerhandoff::showInViewer(
            shell, fg, { QStringLiteral("viewer"), { QStringLiteral("p") }, delay });
        QCOMPARE(shell.opened, QStringList { QStringLiteral("run viewer|p") });
        QCOMPARE(fg.requests, requests);
        QVERIFY2(fg.clock <= maxClock, qPrintable(QString::number(fg.clock)));
    }
};

QTEST_GUILESS_MAIN(TestShellRequests)
#include "tst_shellrequests.moc"
