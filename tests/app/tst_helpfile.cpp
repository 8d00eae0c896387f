#include "app/helpfile.h"
#include "state/commandtable.h"
#include "support/testutil.h"

#include <QRegularExpression>
#include <QtTest>

class TestHelpFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString makeFolder(const QString &name, const QStringList &files)
    {
        const QString folder = m_dir.filePath(name) + QLatin1Char('/');
        for (const QString &file : files)
            if (!testutil::writeFile(folder + file, "<html></html>"))
                return QString();
        QDir().mkpath(folder);
        return folder;
    }

private slots:
    void languageCodeOfLocale()
    {
        QCOMPARE(helpLanguageCode(QLocale("de_CH")), QStringLiteral("DE"));
        QCOMPARE(helpLanguageCode(QLocale("haw_US")), QStringLiteral("HA"));
    }

    void choiceInOneFolder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("chosen"); // empty: no help
        QTest::newRow("only the English file") << QStringList { "Tabulon-en.html" } << "FR"
                                               << "Tabulon-en.html";
        QTest::newRow("both, no marker for the language")
            << QStringList { "Tabulon.html", "Tabulon-en.html" } << "FR"
            << "Tabulon-en.html";
        QTest::newRow("marker and local file")
            << QStringList { "Tabulon.DE", "Tabulon.html", "Tabulon-en.html" } << "DE"
            << "Tabulon.html";
        QTest::newRow("marker without local file gives no help")
            << QStringList { "Tabulon.DE", "Tabulon-en.html" } << "DE"
            << "";
        QTest::newRow("marker of another language")
            << QStringList { "Tabulon.DE", "Tabulon.html", "Tabulon-en.html" } << "EN"
            << "Tabulon-en.html";
        QTest::newRow("names in any letter case")
            << QStringList { "tabulon.de", "TABULON.HTML" } << "DE"
            << "TABULON.HTML";
    }
    void choiceInOneFolder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, code);
        QFETCH(QString, chosen);
        const QString folder = makeFolder(QTest::currentDataTag(), files);
        QCOMPARE(chooseHelpFile(QStringList { folder }, code),
            chosen.isEmpty() ? QString() : folder + chosen);
    }

    // The first folder that holds any help file decides; one without decides nothing.
    void firstFolderWithHelpDecides()
    {
        const QString empty = makeFolder("program", {});
        const QString marked = makeFolder("marked", { "Tabulon.DE", "Tabulon-en.html" });
        const QString shipped = makeFolder("shipped", { "Tabulon-en.html" });
        QCOMPARE(chooseHelpFile(QStringList { empty, shipped }, "DE"), shipped + "Tabulon-en.html");
        QCOMPARE(chooseHelpFile(QStringList { empty, marked, shipped }, "DE"), QString());
    }

    void installedDataFolderFollowsTheProgramFolder()
    {
        const QString bin = makeFolder("prefix/bin", {});
        const QString share = makeFolder("prefix/share/tabulon", { "Tabulon-en.html" });
        const ProgramFolder program { bin + "tabulon", makeFolder("config", {}), true };
        QCOMPARE(helpFolders(program), (QStringList { program.folder, bin, share }));
        QCOMPARE(chooseHelpFile(helpFolders(program), "EN"), share + "Tabulon-en.html");
    }

    // The guide shipped with the program names every command by its caption and every
    // key the commands have, so that it stays complete as commands are added.
    void shippedGuideCoversEveryCommand()
    {
        const QString guide
            = QString::fromUtf8(testutil::readFile(testutil::sourcePath("help/Tabulon-en.html")))
                  .replace(QStringLiteral("&amp;"), QStringLiteral("&"))
                  .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                  .replace(QStringLiteral("&gt;"), QStringLiteral(">"));
        QVERIFY(!guide.isEmpty());
        QStringList missing;
        for (int i = 0; i < CommandCount; ++i) {
            const CommandInfo &info = commandInfo(Command(i));
            if (info.caption) {
                const QString caption = QString::fromUtf8(info.caption).remove(QLatin1Char('&'));
                if (!guide.contains(caption))
                    missing << caption;
            }
            // The table's "Ins" and "Del" are found in "Insert" and "Delete".
            const QString key = QString::fromLatin1(info.keys).replace(
                QStringLiteral("Backtab"), QStringLiteral("Tab"));
            if (!key.isEmpty() && !guide.contains(key))
                missing << key;
        }
        // The keys of the pop-up menus and the views, and the program's files.
        for (const char *text : { "Ctrl+C", "Ctrl+F", "Ctrl+N", "Ctrl+L", "Esc", "Enter",
                 "Tabulon.ini", "<archive>.ini", ".dbf", ".mdx", ".!", "Descript.ion",
                 "<archive>.txt", "Tabulon.desktop", "Tabulon-en.html", "%usb%" })
            if (!guide.contains(QLatin1String(text)))
                missing << QLatin1String(text);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
        // Every heading carries an anchor, so that the contents can show it.
        const QRegularExpression heading(QStringLiteral("<h[1-3](?![^>]*\\bid=)[^>]*>"));
        QVERIFY2(!heading.match(guide).hasMatch(), qPrintable(heading.match(guide).captured()));
    }
};

QTEST_GUILESS_MAIN(TestHelpFile)
#include "tst_helpfile.moc"
