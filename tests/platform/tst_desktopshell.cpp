#include "platform/commandline.h"
#include "platform/desktopapps.h"
#include "platform/desktopshell.h"
#include "support/testutil.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The shell verbs of this system: parameter texts split as Windows splits a command line,
// the applications that desktop entries declare, and "open" with its failure report,
// driven through stand-ins for the desktop's opener and for programs.
class TestDesktopShell : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QByteArray m_path;

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
        qputenv("PATH", dir().toLocal8Bit() + "bin:" + m_path);
    }
    void cleanupTestCase() { qputenv("PATH", m_path); }

    void splitLikeAWindowsCommandLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("blanks and tabs") << "/one  /fs\tx" << QStringList { "/one", "/fs", "x" };
        QTest::newRow("quote glued to text")
            << "\"/a b/c.jpg\"/one /fs" << QStringList { "/a b/c.jpg/one", "/fs" };
        QTest::newRow("empty and doubled quotes")
            << "\"\" \"say \"\"hi\"\"\"" << QStringList { "", "say \"hi\"" };
        QTest::newRow("backslashes")
            << "C:\\d\\ a\\\"b \"c\\\\\"" << QStringList { "C:\\d\\", "a\"b", "c\\" };
    }
    void splitLikeAWindowsCommandLine()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, arguments);
        QCOMPARE(commandline::split(text), arguments);
        // Quoted one by one, the arguments come back the same.
        QStringList quoted;
        for (const QString &a : arguments)
            quoted << commandline::quote(a);
        QCOMPARE(commandline::split(quoted.join(QLatin1Char(' '))), arguments);
    }

    void programsAndDocuments()
    {
        script(QStringLiteral("bin/standin"), "exit 0\n");
        // Every file on a FAT stick carries the execute permission: still a document.
        QVERIFY(testutil::writeFile(dir() + QStringLiteral("photo.jpg"), "\xff\xd8\xff\xe0"));
        QFile::setPermissions(
            dir() + QStringLiteral("photo.jpg"), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(desktopshell::programExists(QStringLiteral("standin")));
        QVERIFY(!desktopshell::programExists(QStringLiteral("d:\\irfan\\i_view32.exe")));
        QVERIFY(!desktopshell::programExists(dir()));
        QVERIFY(
            desktopshell::isProgram(QLatin1Char('"') + dir() + QStringLiteral("bin/standin\"")));
        QVERIFY(!desktopshell::isProgram(dir() + QStringLiteral("photo.jpg")));
        QVERIFY(!desktopshell::isProgram(QStringLiteral("https://example.org/a b")));
    }

    // The opener's answer decides whether the caller falls back.
    void openReportsFailure_data()
    {
        QTest::addColumn<QByteArray>("opener");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("fails");
        QTest::newRow("opened") << QByteArray("exit 0\n") << "a.xyz" << false;
        QTest::newRow("no application") << QByteArray("exit 3\n") << "a.xyz" << true;
        QTest::newRow("empty target") << QByteArray("exit 0\n") << "  " << true;
        QTest::newRow("no opener") << QByteArray() << "a.xyz" << true;
        // Never an option of the opener.
        QTest::newRow("leading dash") << QByteArray("exit 0\n") << "--help" << false;
        QTest::newRow("option with an address")
            << QByteArray("exit 0\n") << "--new-window=https://example.org" << true;
    }
    void openReportsFailure()
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
        desktopshell::open(target, &context, [&failures] { ++failures; });
        if (fails)
            QTRY_COMPARE(failures, 1);
        else
            QTRY_COMPARE(testutil::readFile(dir() + QStringLiteral("opened")),
                target.startsWith('-') ? "./" + target.toUtf8() : target.toUtf8());
        QTest::qWait(100);
        QCOMPARE(failures, fails ? 1 : 0);
    }

    // "open" hands even a program to the opener; "run" starts it, each argument whole.
    void openNeverRunsRunDoes()
    {
        const QByteArray args = dir().toLocal8Bit() + "args";
        const QByteArray log = "for a in \"$@\"; do printf '[%s]' \"$a\"; done > '";
        script(QStringLiteral("bin/xdg-open"), log + dir().toLocal8Bit() + "opened'\n");
        script(QStringLiteral("install.sh"), log + args + "'\n");
        QFile::remove(QString::fromLocal8Bit(args));
        QFile::remove(dir() + QStringLiteral("opened"));
        QObject context;
        desktopshell::open(dir() + QStringLiteral("install.sh"), &context,
            [] { QFAIL("the opener did not start"); });
        QTRY_COMPARE(testutil::readFile(dir() + QStringLiteral("opened")),
            "[" + dir().toUtf8() + "install.sh]");
        QTest::qWait(100);
        QVERIFY(!QFile::exists(QString::fromLocal8Bit(args)));

        QVERIFY(desktopshell::run(QLatin1Char('"') + dir() + QStringLiteral("install.sh\""),
            { QStringLiteral("x\" --new-window \"y"), QStringLiteral("a b\nc"), {} }));
        QTRY_COMPARE(testutil::readFile(QString::fromLocal8Bit(args)),
            QByteArray("[x\" --new-window \"y][a b\nc][]"));
        QVERIFY(!desktopshell::run(dir() + QStringLiteral("missing"), {}));
    }

    void applicationsDeclaringTheType()
    {
        const QString data = dir() + QStringLiteral("share/");
        const QByteArray dirs = qgetenv("XDG_DATA_DIRS");
        const QByteArray home = qgetenv("XDG_DATA_HOME");
        // The system's folders stay, after ours: the MIME database lives there.
        qputenv("XDG_DATA_DIRS", data.toLocal8Bit() + ":/usr/local/share:/usr/share");
        qputenv("XDG_DATA_HOME", dir().toLocal8Bit() + "home");
        const QByteArray entry = "[Desktop Entry]\nType=Application\n";
        QVERIFY(testutil::writeFile(data + QStringLiteral("applications/editor.desktop"),
            entry + "Name=Editor\nExec=editor --new %F\nMimeType=text/plain;\n"));
        QVERIFY(testutil::writeFile(data + QStringLiteral("applications/kde/viewer.desktop"),
            entry
                + "Name=a viewer\nExec=\"/opt/my viewer/run\" \"a \\\\\"b\\\\\"\" %u %i\n"
                  "MimeType=image/png;text/x-c++src;\n"));
        QVERIFY(testutil::writeFile(data + QStringLiteral("applications/gone.desktop"),
            entry + "Name=Gone\nExec=gone\nHidden=true\nMimeType=text/plain;\n"));
        // The user's own entry of an id wins over the system's.
        QVERIFY(testutil::writeFile(dir() + QStringLiteral("home/applications/editor.desktop"),
            entry + "Name=My Editor\nExec=myeditor\nMimeType=text/plain;\n"));

        // A C++ source is plain text too. Of the system's applications only ours count.
        QStringList found;
        for (const auto &app : desktopapps::forFile(dir() + QStringLiteral("main.cpp")))
            if (app.id.contains(QLatin1String("editor")) || app.id.contains(QLatin1String("viewer"))
                || app.id.contains(QLatin1String("gone")))
                found << app.name + QLatin1Char(':')
                        + desktopapps::commandFor(app, QStringLiteral("/d/x y.cpp"))
                              .join(QLatin1Char('|'));
        QCOMPARE(found,
            (QStringList { "a viewer:/opt/my viewer/run|a \"b\"|file:///d/x%20y.cpp",
                "My Editor:myeditor|/d/x y.cpp" }));
        // A path is never an option of the application.
        for (const auto &app : desktopapps::forFile(dir() + QStringLiteral("main.cpp")))
            if (app.id == QLatin1String("editor.desktop"))
                QCOMPARE(desktopapps::commandFor(app, QStringLiteral("-x.cpp")),
                    (QStringList { "myeditor", "./-x.cpp" }));
        qputenv("XDG_DATA_DIRS", dirs);
        qputenv("XDG_DATA_HOME", home);
    }
};

QTEST_GUILESS_MAIN(TestDesktopShell)
#include "tst_desktopshell.moc"
