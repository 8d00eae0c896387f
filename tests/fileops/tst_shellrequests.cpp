#include "fileops/shellport.h"
#include "fileops/shellrequests.h"
#include "fileops/viewerhandoff.h"

#include <QtTest>

namespace
{

// A desktop whose foreground the test scripts: the main window leaves the front after
// `leavesAfter` waits and comes back after `returnsAfter` requests (never when negative).
class ScriptedForeground : public ForegroundPort
{
public:
    int leavesAfter = 1;
    int returnsAfter = 1;
    int waits = 0;
    int requests = 0;
    qint64 clock = 0;
    QList<int> pauses;

    bool mainWindowInFront() const override
    {
        const bool left = leavesAfter >= 0 && waits >= leavesAfter;
        const bool back = returnsAfter >= 0 && requests >= returnsAfter;
        return !left || back;
    }
    void bringMainWindowToFront() override { ++requests; }
    void wait(int ms) override
    {
        ++waits;
        pauses << ms;
        clock += qMax(ms, 1);
    }
    qint64 elapsedMs() const override { return clock; }
};

class RecordingShell : public ShellPort
{
public:
    QStringList opened;
    bool failAtOnce = false;
    void open(
        const QString &file, const QString &parameters, std::function<void()> onFailure) override
    {
        opened << file + QLatin1Char('|') + parameters;
        if (failAtOnce && onFailure)
            onFailure();
    }
    void openWith(const QString &) override { }
    void explore(const QString &) override { }
    void copyToClipboard(const QString &) override { }
    bool programExists(const QString &) const override { return true; }
};

} // namespace

// The texts the shell commands hand over, and the bounded hand-back from the viewer.
class TestShellRequests : public QObject
{
    Q_OBJECT
private slots:
    void clipboardTexts()
    {
        // The root ends in a separator and the folder path in a backslash: none doubled.
        QCOMPARE(shellrequests::pathAndFile(QStringLiteral("/data/Archiv/"),
                     QStringLiteral("Bilder\\Fotos\\"), QStringLiteral("a b.jpg")),
            QStringLiteral("/data/Archiv/Bilder/Fotos/a b.jpg"));
        QCOMPARE(shellrequests::pathAndFile(
                     QStringLiteral("/data/"), QString(), QStringLiteral("root.txt")),
            QStringLiteral("/data/root.txt"));
        QCOMPARE(shellrequests::wholeText(QStringLiteral("one\ntwo\n\nfour")),
            QStringLiteral("one\r\ntwo\r\n\r\nfour"));
    }

    void linkSplitAtTheFirstBlank_data()
    {
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("parameters");
        QTest::newRow("address") << "https://example.org/x"
                                 << "https://example.org/x"
                                 << "";
        QTest::newRow("blanks around a name") << "  \tnotes.txt  "
                                              << "notes.txt"
                                              << "";
        QTest::newRow("program and argument") << "/usr/bin/gimp  /data/a b.png "
                                              << "/usr/bin/gimp"
                                              << "/data/a b.png";
        QTest::newRow("only blanks") << "   "
                                     << ""
                                     << "";
        QTest::newRow("across lines") << QStringLiteral("/data/x.txt\u2029") << "/data/x.txt"
                                      << "";
        QTest::newRow("blanks before a program and argument") << "  x  y "
                                                              << "x"
                                                              << "y";
    }
    void linkSplitAtTheFirstBlank()
    {
        QFETCH(QString, selection);
        QFETCH(QString, file);
        QFETCH(QString, parameters);
        const shellrequests::Link link = shellrequests::splitLink(selection);
        QCOMPARE(link.file, file);
        QCOMPARE(link.parameters, parameters);
    }

    void exploreWithFileManagerSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("useShell");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("asked"); // what the existence test saw
        QTest::newRow("none") << "" << true << true << "/r/A"
                              << "";
        QTest::newRow("missing program") << "/opt/fm" << false << true << "/r/A"
                                         << "/opt/fm";
        QTest::newRow("blank quoted") << "/opt/my fm/run" << true << false << "\"/opt/my fm/run\""
                                      << "/opt/my fm/run";
        QTest::newRow("program folder")
            << "..\\Tools\\fm" << true << false << "/stick/Tabulon/Tools\\fm"
            << "/stick/Tabulon/Tools\\fm";
        QTest::newRow("program folder, this system's spelling")
            << "../fm" << true << false << "/stick/Tabulon/fm"
            << "/stick/Tabulon/fm";
        QTest::newRow("usb drive, any case") << "%USB%apps/fm" << true << false << "/stick/apps/fm"
                                             << "/stick/apps/fm";
        QTest::newRow("only the first token") << "%usb%%usb%" << true << false << "/stick/%usb%"
                                              << "/stick/%usb%";
    }
    void exploreWithFileManagerSetting()
    {
        QFETCH(QString, setting);
        QFETCH(bool, exists);
        QFETCH(bool, useShell);
        QFETCH(QString, file);
        QFETCH(QString, asked);
        QString seen;
        const shellrequests::ExploreRequest r = shellrequests::exploreRequest(setting,
            QStringLiteral("/r/A"), QStringLiteral("/stick/Tabulon/"), QStringLiteral("/stick/"),
            [&](const QString &path) {
                seen = path;
                return exists;
            });
        QCOMPARE(r.useShell, useShell);
        QCOMPARE(r.file, file);
        QCOMPARE(r.parameters, useShell ? QString() : QStringLiteral("\"/r/A\""));
        QCOMPARE(seen, asked);
    }

    void viewerExtensions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("shows");
        QTest::newRow("upper case extension") << "IMG_1.JPG" << true;
        QTest::newRow("substring of an extension") << "x.jp" << true;
        QTest::newRow("last dot counts") << "a.jpg.txt" << false;
        QTest::newRow("no extension") << "README" << false;
        QTest::newRow("bare dot") << "odd." << false;
        QTest::newRow("video") << "clip.mp4" << true;
    }
    void viewerExtensions()
    {
        QFETCH(QString, name);
        QFETCH(bool, shows);
        QCOMPARE(shellrequests::viewerShows(name, QStringLiteral(".jpg .bmp .png .mp4")), shows);
    }

    void viewerParameters()
    {
        // The defaults: the path followed directly by "/one /fs".
        QCOMPARE(shellrequests::viewerParameters(
                     QStringLiteral("/data/A/x.jpg"), QStringLiteral("/one /fs")),
            QStringLiteral("/data/A/x.jpg/one /fs"));
        QCOMPARE(shellrequests::viewerParameters(
                     QStringLiteral("/data/my pics/x.jpg"), QStringLiteral(" --fullscreen")),
            QStringLiteral("\"/data/my pics/x.jpg\" --fullscreen"));
    }

    // Whatever the desktop does, the hand-back ends within its bounds.
    void handBackIsBounded_data()
    {
        QTest::addColumn<int>("leavesAfter");
        QTest::addColumn<int>("returnsAfter");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("maxClock");
        QTest::newRow("viewer comes up, window comes back") << 2 << 1 << 200 << 1 << 1000;
        QTest::newRow("viewer never comes to the front") << -1 << 1 << 200 << 1 << 2600;
        QTest::newRow("window never comes back") << 1 << -1 << 200 << 10 << 4800;
        QTest::newRow("no delay") << -1 << -1 << 0 << 1 << 2100;
        QTest::newRow("huge delay cut") << 1 << -1 << 100000 << 2 << 5000;
    }
    void handBackIsBounded()
    {
        QFETCH(int, leavesAfter);
        QFETCH(int, returnsAfter);
        QFETCH(int, delay);
        QFETCH(int, requests);
        QFETCH(int, maxClock);
        ScriptedForeground fg;
        fg.leavesAfter = leavesAfter;
        fg.returnsAfter = returnsAfter;
        RecordingShell shell;
        viewerhandoff::ShowInViewer(
            shell, fg, { QStringLiteral("viewer"), QStringLiteral("p"), delay });
        QCOMPARE(shell.opened, QStringList { QStringLiteral("viewer|p") });
        QCOMPARE(fg.requests, requests);
        QVERIFY2(fg.clock <= maxClock, qPrintable(QString::number(fg.clock)));
        for (int pause : fg.pauses)
            QVERIFY(pause <= viewerhandoff::kMaxDelayMs);
    }

    void viewerThatFailsToStartIsNotAwaited()
    {
        ScriptedForeground fg;
        RecordingShell shell;
        shell.failAtOnce = true;
        viewerhandoff::ShowInViewer(shell, fg, { QStringLiteral("viewer"), QString(), 200 });
        QCOMPARE(fg.waits, 0);
        QCOMPARE(fg.requests, 0);
    }
};

QTEST_GUILESS_MAIN(TestShellRequests)
#include "tst_shellrequests.moc"
