#include "app/archiveswitch.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QtTest>

namespace
{

// Records the steps of an archive change with the archive name each one saw.
struct RecordedSteps : ArchiveSteps {
    Settings &s;
    QString choice; // the archive list's answer
    bool opens = true;
    bool editEnds = true;
    QStringList log;

    explicit RecordedSteps(Settings &settings)
        : s(settings)
    {
    }
    QString chooseArchive(const QString &caption) override
    {
        log << "choose " + caption;
        return choice;
    }
    bool endEdit() override
    {
        log << "end edit";
        return editEnds;
    }
    void saveArchiveSettings() override { log << "save archive " + s.archiveName; }
    void saveProgramSettings() override { log << "save program " + s.archiveName; }
    bool openArchive() override
    {
        log << "open " + s.archiveName;
        return opens;
    }
    void showArchive() override { log << "show"; }
    void relayout() override { log << "relayout"; }
};

} // namespace

// The program folder holds the program-wide file and the archives Photos (open) and Music.
class TestArchiveSwitch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ProgramFolder m_program;
    Settings m_settings;

private slots:
    void init()
    {
        m_program = { m_dir.filePath("tabulon"), m_dir.path() + QLatin1Char('/'), false };
        m_settings.archiveName = QStringLiteral("Photos");
        for (const char *name : { "Tabulon.ini", "Photos.ini", "Music.ini", "Music/Music.dbf" })
            QVERIFY(testutil::writeFile(m_dir.filePath(name), "[Local]\r\n"));
    }

    void switching_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QStringList>("log");
        const QString choose = "choose Switch archive";
        QTest::newRow("nothing chosen") << "" << true << QStringList { choose };
        QTest::newRow("the open archive in other case")
            << "PHOTOS" << true << QStringList { choose };
        QTest::newRow("old saved before the new opens")
            << "Music" << true
            << QStringList { choose, "end edit", "save archive Photos", "save program Music",
                   "open Music", "show", "relayout" };
        QTest::newRow("program ending: nothing shown")
            << "Music" << false
            << QStringList { choose, "end edit", "save archive Photos", "save program Music",
                   "open Music" };
    }
    void switching()
    {
        QFETCH(QString, choice);
        QFETCH(bool, opens);
        QFETCH(QStringList, log);
        RecordedSteps steps(m_settings);
        steps.choice = choice;
        steps.opens = opens;
        QCOMPARE(switchArchive(m_settings, steps), log.contains("show"));
        QCOMPARE(steps.log, log);
    }

    void newArchive_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refused"); // a part of the message; empty: none
        QTest::addColumn<QStringList>("log");
        const QString taken = QStringLiteral("Archive  '%1'  already exists !");
        const QString unusable = QStringLiteral("Archive  '%1'  can not be used: ");
        QTest::newRow("cancelled") << ScriptedDialogs::esc() << "" << QStringList();
        QTest::newRow("empty") << ""
                               << "" << QStringList();
        QTest::newRow("first letter raised")
            << "photos 2021"
            << ""
            << QStringList { "end edit", "save archive Photos", "save program Photos 2021",
                   "open Photos 2021", "show" };
        QTest::newRow("taken in other letter case")
            << "MUSIC" << taken.arg("MUSIC") << QStringList();
        QTest::newRow("the program-wide file's name")
            << "tabulon" << taken.arg("Tabulon") << QStringList();
        QTest::newRow("outside the program folder")
            << "../evil" << unusable.arg("../evil") << QStringList();
        QTest::newRow("a subfolder") << "a/b" << unusable.arg("A/b") << QStringList();
        QTest::newRow("hidden") << ".x" << unusable.arg(".x") << QStringList();
        QTest::newRow("not in Windows-1252")
            << QString::fromUtf8("\u2603") << unusable.arg(QString::fromUtf8("\u2603"))
            << QStringList();
        QTest::newRow("a dot inside") << "my.photos"
                                      << ""
                                      << QStringList { "end edit", "save archive Photos",
                                             "save program My.photos", "open My.photos", "show" };
    }
    void newArchive()
    {
        QFETCH(QString, typed);
        QFETCH(QString, refused);
        QFETCH(QStringList, log);
        ScriptedDialogs dialogs;
        dialogs.expect(DialogKind::TextInput, typed, "Name of the archive ?");
        if (!refused.isEmpty())
            dialogs.error(refused);
        RecordedSteps steps(m_settings);
        QCOMPARE(::newArchive(m_settings, m_program, steps), !log.isEmpty());
        QCOMPARE(steps.log, log);
        QVERIFY(dialogs.done());
    }

    // An edit that has to go on (its text could not be saved) keeps the open archive:
    // nothing is written, nothing else opened.
    void editGoingOnKeepsTheArchive_data()
    {
        QTest::addColumn<bool>("switching"); // else a new archive
        QTest::newRow("switch") << true;
        QTest::newRow("new archive") << false;
    }
    void editGoingOnKeepsTheArchive()
    {
        QFETCH(bool, switching);
        ScriptedDialogs dialogs;
        if (!switching)
            dialogs.input(QStringLiteral("Films"), "Name of the archive ?");
        RecordedSteps steps(m_settings);
        steps.choice = QStringLiteral("Music");
        steps.editEnds = false;
        QVERIFY(switching ? !switchArchive(m_settings, steps)
                          : !::newArchive(m_settings, m_program, steps));
        QCOMPARE(steps.log.last(), QStringLiteral("end edit"));
        QVERIFY(!steps.log.join(' ').contains("save"));
        QCOMPARE(m_settings.archiveName, QStringLiteral("Photos"));
        QVERIFY(dialogs.done());
    }

    void deleting_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("answer"); // to the question; empty: not asked
        QTest::addColumn<bool>("deleted");
        QTest::newRow("nothing chosen") << ""
                                        << "" << false;
        QTest::newRow("the open archive is refused") << "photos"
                                                     << "" << false;
        QTest::newRow("No keeps it") << "Music"
                                     << "2" << false;
        QTest::newRow("Yes deletes the settings file only") << "Music"
                                                            << "1" << true;
    }
    void deleting()
    {
        QFETCH(QString, choice);
        QFETCH(QString, answer);
        QFETCH(bool, deleted);
        ScriptedDialogs dialogs;
        if (choice == "photos")
            dialogs.error("Archive  'photos'  is open and can not be deleted !");
        if (!answer.isEmpty())
            dialogs.expect(
                DialogKind::Confirmation, answer, "Delete archive  'Music' (no files !)");
        RecordedSteps steps(m_settings);
        steps.choice = choice;
        QCOMPARE(deleteArchive(m_settings, m_program, steps), deleted);
        QVERIFY(dialogs.done());
        QCOMPARE(QFileInfo::exists(m_dir.filePath("Music.ini")), !deleted);
        QVERIFY(QFileInfo::exists(m_dir.filePath("Photos.ini")));
        QVERIFY(QFileInfo::exists(m_dir.filePath("Music/Music.dbf")));
    }
};

QTEST_GUILESS_MAIN(TestArchiveSwitch)
#include "tst_archiveswitch.moc"
