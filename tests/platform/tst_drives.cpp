#include "platform/desktoplink.h"
#include "platform/drives.h"
#include "platform/programfolder.h"
#include "support/testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

// Drives, the program folder and the desktop entry: the places the program finds on the
// system it runs on.
class TestDrives : public QObject
{
    Q_OBJECT
private slots:
    void driveOf_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("drive");
        QTest::newRow("windows drive upper-cased") << "e:\\Photos\\"
                                                   << "E:\\";
        QTest::newRow("media") << "/media/bob/STICK/tab/tabulon"
                               << "/media/bob/STICK/";
        QTest::newRow("media mount itself") << "/media/bob/STICK"
                                            << "/media/bob/STICK/";
        QTest::newRow("media without a volume") << "/media/bob"
                                                << "/";
        QTest::newRow("run media") << "/run/media/ann/K/x"
                                   << "/run/media/ann/K/";
        QTest::newRow("mnt") << "/mnt/usb/Photos/"
                             << "/mnt/usb/";
        QTest::newRow("doubled separators") << "/media//bob/S//x"
                                            << "/media/bob/S/";
        QTest::newRow("home is on /") << "/home/bob/tabulon"
                                      << "/";
        QTest::newRow("name merely containing media") << "/srv/media/a/b"
                                                      << "/";
    }
    void driveOf()
    {
        QFETCH(QString, path);
        QFETCH(QString, drive);
        QCOMPARE(drives::driveOf(path), drive);
    }

    void driveExists()
    {
        QVERIFY(drives::driveExists("/"));
        QVERIFY(!drives::driveExists("C:\\"));
        QVERIFY(!drives::driveExists("/mnt/tabulon-no-such-volume/"));
        QVERIFY(drives::isMountPoint("/"));
        QTemporaryDir dir;
        QVERIFY(!drives::isMountPoint(dir.path()));
    }

    void programFolderBesideExecutable()
    {
        QTemporaryDir dir;
        const ProgramFolder p = programfolder::locate(dir.filePath("tabulon"));
        QCOMPARE(p.folder, dir.path() + "/");
        QVERIFY(!p.perUser);
        QCOMPARE(p.executablePath, dir.filePath("tabulon"));
    }

    void unwritableFolderFallsBackToPerUser_data()
    {
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<bool>("useXdg");
        QTest::newRow("XDG_CONFIG_HOME") << "cfg" << true;
        QTest::newRow("relative XDG_CONFIG_HOME ignored") << "relative/cfg" << false;
    }
    void unwritableFolderFallsBackToPerUser()
    {
        QFETCH(QString, xdg);
        QFETCH(bool, useXdg);
        QTemporaryDir dir;
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(dir.filePath("home")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(useXdg ? dir.filePath(xdg) : xdg));
        // Nothing can be created below /proc, not even by the superuser.
        const ProgramFolder p = programfolder::locate("/proc/tabulon-test/tabulon");
        qputenv("XDG_CONFIG_HOME", oldXdg);
        qputenv("HOME", oldHome);
        const QString expected
            = useXdg ? dir.filePath(xdg) + "/Tabulon/" : dir.filePath("home") + "/.config/Tabulon/";
        QVERIFY(p.perUser);
        QCOMPARE(p.folder, expected);
        QVERIFY(QFileInfo(expected).isDir());
        QCOMPARE(p.executablePath, QStringLiteral("/proc/tabulon-test/tabulon"));
    }

    void desktopEntry()
    {
        QTemporaryDir desktop;
        const QString exe = "/media/bob/My Stick/tab\\x/tabulon $1%";
        QVERIFY(desktoplink::create(exe, "/media/bob/My Stick/tab/", desktop.path()));
        const QString path = desktop.filePath("Tabulon.desktop");
        QCOMPARE(testutil::readFile(path),
            QByteArray("[Desktop Entry]\nType=Application\nName=Tabulon\n"
                       "Exec=\"/media/bob/My Stick/tab\\\\\\\\x/tabulon \\\\$1%%\"\n"
                       "Path=/media/bob/My Stick/tab/\nIcon=org.tabulon.Tabulon\n"
                       "Terminal=false\n"));
        QVERIFY(QFileInfo(path).isExecutable());
        // A second run replaces the entry.
        QVERIFY(desktoplink::create("/opt/tabulon", "/opt/", desktop.path()));
        QVERIFY(testutil::readFile(path).contains("Exec=\"/opt/tabulon\"\n"));
        QVERIFY(!desktoplink::create("/opt/tabulon", "/opt/", desktop.filePath("none")));
    }

    // A copy that carries its icon file points the entry at it; otherwise the theme's icon.
    void desktopEntryIcon_data()
    {
        QTest::addColumn<QStringList>("beside"); // files beside the executable ("/": a folder)
        QTest::addColumn<QString>("icon"); // "@" for the executable's folder
        QTest::newRow("installed copy") << QStringList {} << "org.tabulon.Tabulon";
        QTest::newRow("portable, SVG")
            << QStringList { "org.tabulon.Tabulon.svg" } << "@/org.tabulon.Tabulon.svg";
        QTest::newRow("portable, PNG only")
            << QStringList { "org.tabulon.Tabulon.png" } << "@/org.tabulon.Tabulon.png";
        QTest::newRow("both: SVG")
            << QStringList { "org.tabulon.Tabulon.png", "org.tabulon.Tabulon.svg" }
            << "@/org.tabulon.Tabulon.svg";
        QTest::newRow("a folder of that name")
            << QStringList { "org.tabulon.Tabulon.svg/" } << "org.tabulon.Tabulon";
    }
    void desktopEntryIcon()
    {
        QFETCH(QStringList, beside);
        QFETCH(QString, icon);
        QTemporaryDir dir, desktop;
        // A folder name the format must escape.
        const QString folder = dir.filePath("Stick\\tab");
        QVERIFY(QDir().mkpath(folder));
        for (const QString &name : beside)
            QVERIFY(name.endsWith('/') ? QDir(folder).mkdir(name)
                                       : testutil::writeFile(folder + '/' + name, "icon"));
        QVERIFY(desktoplink::create(folder + "/tabulon", folder + '/', desktop.path()));
        icon.replace('@', folder).replace("\\", "\\\\");
        QVERIFY2(testutil::readFile(desktop.filePath("Tabulon.desktop"))
                     .contains("\nIcon=" + icon.toUtf8() + "\n"),
            testutil::readFile(desktop.filePath("Tabulon.desktop")).constData());
    }
};

QTEST_GUILESS_MAIN(TestDrives)
#include "tst_drives.moc"
