#include "app/helpfile.h"
#include "app/translation.h"
#include "support/testutil.h"

#include <QLibraryInfo>
#include <QtTest>

// Which translation start-up loads: the one of the locale's language, looked for where the
// guide is, each folder before its translations/ subfolder; English without one.
class TestTranslationFile : public QObject
{
    Q_OBJECT

    // An installation-like tree: the program in prefix/bin, shipped files in
    // prefix/share/tabulon.
    ProgramFolder makeTree(const QString &name, const QStringList &files)
    {
        const QString prefix = m_dir.filePath(name) + QLatin1Char('/');
        for (const QString &file : files)
            if (!testutil::writeFile(prefix + file, "x"))
                return {};
        QDir().mkpath(prefix + "bin");
        return { prefix + "bin/tabulon", prefix + "bin/", false };
    }

    QTemporaryDir m_dir;

private slots:
    void translationOfTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("chosen"); // below the tree; empty: English
        const QString beside = "bin/tabulon_de.qm";
        const QString installed = "share/tabulon/translations/tabulon_de.qm";
        QTest::newRow("beside the program") << "de_DE" << QStringList { beside } << beside;
        QTest::newRow("Swiss German is German") << "de_CH" << QStringList { beside } << beside;
        QTest::newRow("installed") << "de_DE" << QStringList { installed } << installed;
        QTest::newRow("the program's folder first")
            << "de_DE" << QStringList { installed, beside } << beside;
        QTest::newRow("a folder before its subfolder")
            << "de_DE" << QStringList { "bin/translations/tabulon_de.qm", beside } << beside;
        QTest::newRow("in the program's subfolder")
            << "de_DE" << QStringList { "bin/translations/tabulon_de.qm" }
            << "bin/translations/tabulon_de.qm";
        QTest::newRow("French has none") << "fr_FR" << QStringList { beside, installed } << "";
        QTest::newRow("English has none") << "en_US" << QStringList { beside } << "";
        QTest::newRow("C has none") << "C" << QStringList { beside } << "";
        QTest::newRow("a folder of that name is no translation")
            << "de_DE" << QStringList { beside + "/x" } << "";
    }
    void translationOfTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, files);
        QFETCH(QString, chosen);
        const ProgramFolder program = makeTree(QTest::currentDataTag(), files);
        QVERIFY(!program.folder.isEmpty());
        const QString prefix = m_dir.filePath(QTest::currentDataTag()) + QLatin1Char('/');
        QCOMPARE(chooseTranslationFile(translationFolders(program), QLocale(locale)),
            chosen.isEmpty() ? QString() : QDir::cleanPath(prefix + chosen));
    }

    // One locale chooses both: German menus come with the German guide, and a language
    // without a guide of its own gets English in both.
    void programAndGuideAgree_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("german");
        QTest::newRow("German") << "de_DE" << true;
        QTest::newRow("Austrian") << "de_AT" << true;
        QTest::newRow("French") << "fr_FR" << false;
        QTest::newRow("C") << "C" << false;
    }
    void programAndGuideAgree()
    {
        QFETCH(QString, locale);
        QFETCH(bool, german);
        const ProgramFolder program = makeTree(QStringLiteral("agree"),
            { "bin/tabulon_de.qm", "bin/Tabulon-en.html", "bin/Tabulon.html", "bin/Tabulon.DE" });
        const QLocale chosen(locale);
        QCOMPARE(chooseHelpFile(helpFolders(program), helpLanguageCode(chosen)),
            program.folder + (german ? "Tabulon.html" : "Tabulon-en.html"));
        QCOMPARE(chooseTranslationFile(translationFolders(program), chosen).isEmpty(), !german);
    }

    // The built translation: the command table's texts and the messages of the core in
    // German, texts it does not know as they stand, nothing at all for another language.
    void builtTranslationTranslates()
    {
        const QStringList built { QStringLiteral(TABULON_BINARY_DIR "/") };
        ProgramTranslation german;
        german.load(built, QLocale(QLocale::German));
        QVERIFY2(!german.file().isEmpty(), "tabulon_de.qm is not built beside the program");
        QCOMPARE(german.translate("Command", "&File"), QStringLiteral("&Datei"));
        QCOMPARE(german.translate("Store", "Table \"%1\" is in use by another program."),
            QStringLiteral("Tabelle \"%1\" wird von einem anderen Programm benutzt."));
        QCOMPARE(german.translate("Command", "no such text"), QStringLiteral("no such text"));

        ProgramTranslation french;
        french.load(built, QLocale(QLocale::French));
        QVERIFY(french.file().isEmpty());
        QCOMPARE(french.translate("Command", "&File"), QStringLiteral("&File"));
    }

    // Installed, the translation reaches every text of the program, and Qt's own texts come
    // in the same language where the system has them.
    void installedTranslationReachesTheApplication()
    {
        ProgramTranslation german;
        german.load({ QStringLiteral(TABULON_BINARY_DIR "/") }, QLocale(QLocale::German));
        QCOMPARE(QCoreApplication::translate("Archives", "Switch archive"),
            QStringLiteral("Switch archive"));
        german.install();
        QCOMPARE(QCoreApplication::translate("Archives", "Switch archive"),
            QStringLiteral("Archiv wechseln"));
        if (!QFileInfo::exists(
                QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm"))
            QSKIP("Qt's German translation is not installed (qt6-translations-l10n)");
        QCOMPARE(
            QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    }
};

QTEST_GUILESS_MAIN(TestTranslationFile)
#include "tst_translationfile.moc"
