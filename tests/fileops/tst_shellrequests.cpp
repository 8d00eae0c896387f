#include "fileops/shellport.h"
#include "fileops/shellrequests.h"
#include "fileops/viewerhandoff.h"

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

struct ViewerShell : ShellPort {
    QStringList opened;
    bool fails = false;
    void open(
        const QString &file, const QString &parameters, std::function<void()> onFailure) override
    {
        opened << file + QLatin1Char('|') + parameters;
        if (fails)
            onFailure();
    }
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
        QTest::addColumn<QString>("file"); // empty: the shell explores
        QTest::newRow("none") << "" << true << "";
        QTest::newRow("missing program") << "/opt/fm" << false << "";
        QTest::newRow("blank: quoted") << "/opt/my fm/run" << true << "\"/opt/my fm/run\"";
        QTest::newRow("program folder") << "..\\Tools\\fm" << true << "/stick/Tabulon/Tools\\fm";
        QTest::newRow("usb drive, first only") << "%USB%x%usb%" << true << "/stick/x%usb%";
    }
    void exploreWithFileManagerSetting()
    {
        QFETCH(QString, setting);
        QFETCH(bool, exists);
        QFETCH(QString, file);
        QString asked;
        const shellrequests::ExploreRequest r = shellrequests::exploreRequest(setting,
            QStringLiteral("/r/A"), QStringLiteral("/stick/Tabulon/"), QStringLiteral("/stick/"),
            [&](const QString &path) {
                asked = path;
                return exists;
            });
        QCOMPARE(r.useShell, file.isEmpty());
        QCOMPARE(r.file, file.isEmpty() ? QStringLiteral("/r/A") : file);
        QCOMPARE(r.parameters, file.isEmpty() ? QString() : QStringLiteral("\"/r/A\""));
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
        // The defaults: the path followed directly by "/one /fs"; a path with a blank whole.
        QCOMPARE(
            shellrequests::viewerParameters(QStringLiteral("/d/x.jpg"), QStringLiteral("/one /fs")),
            QStringLiteral("/d/x.jpg/one /fs"));
        QCOMPARE(
            shellrequests::viewerParameters(QStringLiteral("/d/my x.jpg"), QStringLiteral(" -f")),
            QStringLiteral("\"/d/my x.jpg\" -f"));
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
        ViewerShell shell;
        shell.fails = viewerFails;
        viewerhandoff::ShowInViewer(
            shell, fg, { QStringLiteral("viewer"), QStringLiteral("p"), delay });
        QCOMPARE(shell.opened, QStringList { QStringLiteral("viewer|p") });
        QCOMPARE(fg.requests, requests);
        QVERIFY2(fg.clock <= maxClock, qPrintable(QString::number(fg.clock)));
    }
};

QTEST_GUILESS_MAIN(TestShellRequests)
#include "tst_shellrequests.moc"
