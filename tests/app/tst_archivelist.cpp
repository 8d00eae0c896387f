#include "app/archivelist.h"
#include "state/settings.h"
#include "support/testutil.h"

#include <QtTest>

namespace
{

// A program folder holding the entries: settings files, and folders for names ending in "/".
void makeProgramFolder(const QTemporaryDir &dir, const QStringList &entries, ProgramFolder *program)
{
    for (const QString &entry : entries) {
        if (entry.endsWith(QLatin1Char('/')))
            QVERIFY(QDir(dir.path()).mkdir(entry.chopped(1)));
        else
            QVERIFY(testutil::writeFile(dir.filePath(entry), "[Local]\r\n"));
    }
    *program = { dir.filePath("tabulon"), dir.path() + QLatin1Char('/'), false };
}

} // namespace

class TestArchiveList : public QObject
{
    Q_OBJECT

private slots:
    void listsTheArchivesOfTheProgramFolder_data()
    {
        QTest::addColumn<QStringList>("entries"); // a trailing "/" makes a folder
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("program-wide file left out") << QStringList { "Photos.ini", "music.ini",
            "Tabulon.ini", "notes.txt" } << QStringList { "music", "Photos" };
        QTest::newRow("program-wide file in other letter case is an archive")
            << QStringList { "tabulon.ini", "Tabulon.ini" } << QStringList { "tabulon" };
        QTest::newRow("the whole name before .ini")
            << QStringList { "my.photos.ini", "a.b.c.INI" } << QStringList { "a.b.c", "my.photos" };
        QTest::newRow("extension in capitals and folders count") << QStringList { "OLD.INI",
            "Box.ini/", "Hidden.x.ini" } << QStringList { "Box", "Hidden.x", "OLD" };
        // Names no archive may have are left out: they could not be opened.
        QTest::newRow("names that cannot be archives") << QStringList { ".secret.ini", "a\\b.ini",
            "new\nline.ini", ".ini", "Ok.ini" } << QStringList { "Ok" };
    }
    void listsTheArchivesOfTheProgramFolder()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        ProgramFolder program;
        makeProgramFolder(dir, entries, &program);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(archiveNames(program), listed);
    }

    void namesCompareWithoutCaseOfPlainLettersOnly_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("a to z") << "Photos 2021"
                                << "PHOTOS 2021" << true;
        QTest::newRow("accented letters must match")
            << QString::fromUtf8("Ärger") << QString::fromUtf8("ärger") << false;
        QTest::newRow("different length") << "Photo"
                                          << "Photos" << false;
    }
    void namesCompareWithoutCaseOfPlainLettersOnly()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(sameArchiveName(a, b), same);
    }

    void archiveNameRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("fault"); // a part of it; empty: the name is sound
        QTest::newRow("plain") << "Photos 2021"
                               << "";
        QTest::newRow("dots inside") << "my.photos."
                                     << "";
        QTest::newRow("Windows-1252 letters")
            << QString::fromUtf8("Fotos \u20ac \u00e9t\u00e9") << "";
        QTest::newRow("empty") << ""
                               << "empty";
        QTest::newRow("parent folder") << "../evil"
                                       << "\"/\"";
        QTest::newRow("subfolder") << "a/b"
                                   << "\"/\"";
        QTest::newRow("backslash") << "a\\b"
                                   << "\"\\\"";
        QTest::newRow("leading dot") << ".hidden"
                                     << "begin with";
        QTest::newRow("newline") << "a\nb"
                                 << "control";
        QTest::newRow("tab") << "a\tb"
                             << "control";
        QTest::newRow("C1 control") << QStringLiteral("a\u0085b") << "control";
        QTest::newRow("outside Windows-1252") << QString::fromUtf8("Schnee \u2603") << "settings";
        QTest::newRow("too long for a file name") << QString(126, QChar(0xE9)) << "too long";
        QTest::newRow("longest that fits") << QString(251, QLatin1Char('x')) << "";
    }
    void archiveNameRules()
    {
        QFETCH(QString, name);
        QFETCH(QString, fault);
        const QString found = archiveNameFault(name);
        QCOMPARE(found.isEmpty(), fault.isEmpty());
        QVERIFY2(found.contains(fault), qPrintable(found));
    }

    void newArchiveNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::newRow("letter outside a to z kept")
            << QString::fromUtf8("ärger") << QString::fromUtf8("ärger");
        QTest::newRow("cut after 201 characters")
            << QString(250, QLatin1Char('x')) << QLatin1Char('X') + QString(200, QLatin1Char('x'));
    }
    void newArchiveNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QCOMPARE(newArchiveName(typed), name);
    }

    // The settings file of an archive is found whatever the letter case of its name on
    // disk, as the archive list and typed names need; the exact spelling wins.
    void archiveFilesIgnoreLetterCase_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");
        QTest::newRow("typed in capitals") << QStringList { "Archive.ini" } << "ARCHIVE"
                                           << "Archive.ini";
        QTest::newRow("listed from capital extension") << QStringList { "OLD.INI" } << "OLD"
                                                       << "OLD.INI";
        QTest::newRow("exact spelling first")
            << QStringList { "ARCHIVE.ini", "Archive.ini" } << "Archive"
            << "Archive.ini";
        QTest::newRow("a folder counts") << QStringList { "Box.ini/" } << "box"
                                         << "Box.ini";
    }
    void archiveFilesIgnoreLetterCase()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, name);
        QFETCH(QString, file);
        QTemporaryDir dir;
        ProgramFolder program;
        makeProgramFolder(dir, entries, &program);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(archiveFileExists(program, name));
        QCOMPARE(archiveFilePath(program, name), dir.path() + QLatin1Char('/') + file);
    }
};

QTEST_GUILESS_MAIN(TestArchiveList)
#include "tst_archivelist.moc"
