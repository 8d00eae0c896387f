#include "platform/commandline.h"
#include "platform/desktopapps.h"
#include "platform/desktopshell.h"
#include "support/testutil.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The shell verbs of this system: parameter texts split as Windows splits a command line,
// the applications that desktop entries declare, and "open" with its fallback report,
// driven through a stand-in for the desktop's opener.
class TestDesktopShell : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QByteArray m_path;
    QByteArray m_dataDirs;
    QByteArray m_dataHome;

    QString dir() const { return m_dir.path() + QLatin1Char('/'); }

    void script(const QString &name, const QByteArray &body)
    {
        QVERIFY(testutil::writeFile(dir() + name, "#!/bin/sh\n" + body));
        QFile::setPermissions(dir() + name, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private slots:
    void initTestCase()
    {
        m_path = qgetenv("PATH");
        m_dataDirs = qgetenv("XDG_DATA_DIRS");
        m_dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("PATH", dir().toLocal8Bit() + "bin:" + m_path);
    }
    void cleanupTestCase()
    {
        qputenv("PATH", m_path);
        qputenv("XDG_DATA_DIRS", m_dataDirs);
        qputenv("XDG_DATA_HOME", m_dataHome);
    }

    void splitLikeAWindowsCommandLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("blanks and tabs separate")
            << "/one  /fs\tx" << QStringList { "/one", "/fs", "x" };
        QTest::newRow("quotes group")
            << "\"C:\\Program Files\\x\" -a" << QStringList { "C:\\Program Files\\x", "-a" };
        QTest::newRow("quote glued to text")
            << "\"/a b/c.jpg\"/one /fs" << QStringList { "/a b/c.jpg/one", "/fs" };
        QTest::newRow("empty quotes") << "a \"\" b" << QStringList { "a", "", "b" };
        QTest::newRow("doubled quote inside")
            << "\"say \"\"hi\"\"\"" << QStringList { "say \"hi\"" };
        QTest::newRow("backslashes literal") << "C:\\dir\\ x" << QStringList { "C:\\dir\\", "x" };
        QTest::newRow("escaped quote") << "a\\\"b" << QStringList { "a\"b" };
        QTest::newRow("even run before quote") << "\"a\\\\\" b" << QStringList { "a\\", "b" };
        QTest::newRow("nothing") << "  " << QStringList {};
    }
    void splitLikeAWindowsCommandLine()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, arguments);
        QCOMPARE(commandline::split(text), arguments);
    }

    void quotedArgumentsComeBackWhole_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("plain") << "/data/a.jpg";
        QTest::newRow("blank") << "/data/my photos/a.jpg";
        QTest::newRow("quote") << "say \"hi\"";
        QTest::newRow("trailing backslash") << "C:\\My Dir\\";
        QTest::newRow("backslash before quote") << "a\\\"b c";
        QTest::newRow("empty") << "";
    }
    void quotedArgumentsComeBackWhole()
    {
        QFETCH(QString, argument);
        QCOMPARE(commandline::split(commandline::quote(argument) + QStringLiteral(" next")),
            (QStringList { argument, QStringLiteral("next") }));
    }

    void programsAndDocuments()
    {
        script(QStringLiteral("bin/standin-viewer"), "exit 0\n");
        QVERIFY(testutil::writeFile(dir() + QStringLiteral("photo.jpg"), "\xff\xd8\xff\xe0"));
        // Every file on a FAT stick carries the execute permission: still a document.
        QFile::setPermissions(dir() + QStringLiteral("photo.jpg"),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(desktopshell::programExists(QStringLiteral("standin-viewer")));
        QVERIFY(desktopshell::programExists(dir() + QStringLiteral("photo.jpg")));
        QVERIFY(!desktopshell::programExists(QStringLiteral("d:\\irfan\\i_view32.exe")));
        QVERIFY(!desktopshell::programExists(QString()));
        QVERIFY(!desktopshell::programExists(dir()));

        QVERIFY(desktopshell::isProgram(QStringLiteral("standin-viewer")));
        QVERIFY(desktopshell::isProgram(
            QLatin1Char('"') + dir() + QStringLiteral("bin/standin-viewer\"")));
        QVERIFY(!desktopshell::isProgram(dir() + QStringLiteral("photo.jpg")));
        QVERIFY(!desktopshell::isProgram(QStringLiteral("https://example.org/a b")));
    }

    // The opener's answer decides whether the caller falls back; a program starts directly
    // with its parameters split.
    void openReportsTheOpenersFailure_data()
    {
        QTest::addColumn<QByteArray>("opener");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("fails");
        QTest::newRow("opened") << QByteArray("exit 0\n") << "a.xyz" << false;
        QTest::newRow("no application") << QByteArray("exit 3\n") << "a.xyz" << true;
        QTest::newRow("empty target") << QByteArray("exit 0\n") << "  " << true;
        QTest::newRow("no opener") << QByteArray() << "a.xyz" << true;
    }
    void openReportsTheOpenersFailure()
    {
        QFETCH(QByteArray, opener);
        QFETCH(QString, target);
        QFETCH(bool, fails);
        QFile::remove(dir() + QStringLiteral("bin/xdg-open"));
        QFile::remove(dir() + QStringLiteral("opened"));
        if (!opener.isEmpty())
            script(QStringLiteral("bin/xdg-open"),
                "printf '%s' \"$1\" > '" + dir().toLocal8Bit() + "opened'\n" + opener);
        QObject context;
        int failures = 0;
        desktopshell::open(target, QString(), &context, [&failures] { ++failures; });
        if (fails)
            QTRY_COMPARE(failures, 1);
        else
            QTRY_COMPARE(testutil::readFile(dir() + QStringLiteral("opened")), target.toUtf8());
        QTest::qWait(100);
        QCOMPARE(failures, fails ? 1 : 0);
    }

    void openStartsProgramsWithTheirParameters()
    {
        script(QStringLiteral("bin/standin-viewer"),
            "for a in \"$@\"; do printf '[%s]' \"$a\"; done > '" + dir().toLocal8Bit() + "args'\n");
        QObject context;
        bool failed = false;
        desktopshell::open(QStringLiteral("standin-viewer"),
            QStringLiteral("\"/my photos/a.jpg\" /fs"), &context, [&failed] { failed = true; });
        QTRY_COMPARE(testutil::readFile(dir() + QStringLiteral("args")),
            QByteArray("[/my photos/a.jpg][/fs]"));
        QVERIFY(!failed);
    }

    void applicationsDeclaringTheType()
    {
        const QString data = dir() + QStringLiteral("share/");
        const QString home = dir() + QStringLiteral("home/");
        // The system's folders stay, after ours: the MIME database lives there.
        qputenv("XDG_DATA_DIRS", data.toLocal8Bit() + ":/usr/local/share:/usr/share");
        qputenv("XDG_DATA_HOME", home.toLocal8Bit());
        QVERIFY(testutil::writeFile(data + QStringLiteral("applications/editor.desktop"),
            "[Desktop Entry]\nType=Application\nName=Plain Editor\nName[de]=Editor\n"
            "Exec=editor --new %F\nMimeType=text/plain;\n"));
        QVERIFY(testutil::writeFile(data + QStringLiteral("applications/kde/viewer.desktop"),
            "[Desktop Entry]\nType=Application\nName=another viewer\n"
            "Exec=\"/opt/my viewer/run\" --title \"a \\\\\"b\\\\\"\" %u "
            "%i\nMimeType=image/png;text/x-c++src;\n"));
        QVERIFY(testutil::writeFile(data + QStringLiteral("applications/gone.desktop"),
            "[Desktop "
            "Entry]\nType=Application\nName=Gone\nExec=gone\nHidden=true\nMimeType=text/plain;\n"));
        QVERIFY(testutil::writeFile(data + QStringLiteral("applications/link.desktop"),
            "[Desktop Entry]\nType=Link\nName=Link\nURL=x\nMimeType=text/plain;\n"));
        // The user's own entry of the same id wins over the system's.
        QVERIFY(testutil::writeFile(home + QStringLiteral("applications/editor.desktop"),
            "[Desktop Entry]\nType=Application\nName=My "
            "Editor\nExec=myeditor\nMimeType=text/plain;\n"));

        // A C++ source is plain text too. Of the system's applications only ours count.
        auto apps = desktopapps::forFile(dir() + QStringLiteral("main.cpp"));
        const QStringList ours { "editor.desktop", "kde-viewer.desktop", "gone.desktop",
            "link.desktop" };
        apps.erase(std::remove_if(apps.begin(), apps.end(),
                       [&](const desktopapps::Application &a) { return !ours.contains(a.id); }),
            apps.end());
        QCOMPARE(int(apps.size()), 2);
        QCOMPARE(apps[0].name, QStringLiteral("another viewer"));
        QCOMPARE(apps[0].id, QStringLiteral("kde-viewer.desktop"));
        QCOMPARE(apps[1].name, QStringLiteral("My Editor"));

        QCOMPARE(desktopapps::commandFor(apps[0], QStringLiteral("/d/x y.cpp")),
            (QStringList { "/opt/my viewer/run", "--title", "a \"b\"", "file:///d/x%20y.cpp" }));
        QCOMPARE(desktopapps::commandFor(apps[1], QStringLiteral("/d/x.cpp")),
            (QStringList { "myeditor", "/d/x.cpp" }));
        desktopapps::Application editor;
        QVERIFY(desktopapps::readEntry(data + QStringLiteral("applications/editor.desktop"),
            QStringLiteral("editor.desktop"), editor));
        QCOMPARE(desktopapps::commandFor(editor, QStringLiteral("/d/a.txt")),
            (QStringList { "editor", "--new", "/d/a.txt" }));
        for (const auto &a : desktopapps::forFile(dir() + QStringLiteral("a.unknown-type-xyz")))
            QVERIFY(!ours.contains(a.id));
    }

    void clipboardLineEnds()
    {
        QCOMPARE(
            desktopshell::clipboardText(QStringLiteral("a\r\nb\r\n")), QStringLiteral("a\nb\n"));
    }
};

QTEST_GUILESS_MAIN(TestDesktopShell)
#include "tst_desktopshell.moc"
