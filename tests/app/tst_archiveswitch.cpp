#include "app/archiveswitch.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QtTest>

namespace
{

// Records the steps of an archive change, with the archive name each one saw.
class RecordedSteps : public ArchiveSteps
{
public:
    explicit RecordedSteps(Settings &settings)
        : m_settings(settings)
    {
    }
    QString choice; // what the archive list answers
    bool opens = true;
    QStringList log;

    QString ChooseArchive(const QString &caption) override
    {
        log << "choose " + caption;
        return choice;
    }
    void SaveArchiveSettings() override { log << "save archive " + m_settings.ArchiveName; }
    void SaveProgramSettings() override { log << "save program " + m_settings.ArchiveName; }
    bool OpenArchive() override
    {
        log << "open " + m_settings.ArchiveName;
        return opens;
    }
    void ShowArchive() override { log << "show"; }
    void relayout() override { log << "relayout"; }

private:
    Settings &m_settings;
};

} // namespace

class TestArchiveSwitch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ProgramFolder m_program;
    Settings m_settings;

    void writeIni(const QString &name)
    {
        QVERIFY(testutil::writeFile(m_dir.filePath(name), "[Local]\r\nPath=x\\\r\n"));
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_program = { m_dir.filePath("tabulon"), m_dir.path() + QLatin1Char('/'), false };
        m_settings = Settings();
        m_settings.ArchiveName = QStringLiteral("Photos");
        writeIni("Tabulon.ini");
        writeIni("Photos.ini");
        writeIni("Music.ini");
    }
    void cleanup()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
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
        QTest::newRow("another archive: saves, then opens, shows, relayouts")
            << "Music" << true
            << QStringList { choose, "save archive Photos", "save program Music", "open Music",
                   "show", "relayout" };
        QTest::newRow("opening ends the program: nothing is shown")
            << "Music" << false
            << QStringList { choose, "save archive Photos", "save program Music", "open Music" };
    }
    void switching()
    {
        QFETCH(QString, choice);
        QFETCH(bool, opens);
        QFETCH(QStringList, log);
        RecordedSteps steps(m_settings);
        steps.choice = choice;
        steps.opens = opens;
        QCOMPARE(switchArchive(m_settings, steps), opens && log.size() > 1);
        QCOMPARE(steps.log, log);
    }

    void newArchive_data()
    {
        QTest::addColumn<QString>("typed"); // ScriptedDialogs::esc() cancels
        QTest::addColumn<QString>("refused"); // the name in the message, empty: none
        QTest::addColumn<QStringList>("log");
        QTest::newRow("cancelled") << ScriptedDialogs::esc() << "" << QStringList();
        QTest::newRow("empty") << ""
                               << "" << QStringList();
        QTest::newRow("name formed, then the change")
            << "photos 2021"
            << ""
            << QStringList { "save archive Photos", "save program Photos 2021", "open Photos 2021",
                   "show" };
        QTest::newRow("taken in other letter case") << "MUSIC"
                                                    << "MUSIC" << QStringList();
        QTest::newRow("the program-wide file's name") << "tabulon"
                                                      << "Tabulon" << QStringList();
    }
    void newArchive()
    {
        QFETCH(QString, typed);
        QFETCH(QString, refused);
        QFETCH(QStringList, log);
        ScriptedDialogs dialogs;
        dialogs.expect(DialogKind::TextInput, typed, "Name of the archive ?");
        if (!refused.isEmpty())
            dialogs.error(QStringLiteral("Archive  '%1'  already exists !").arg(refused));
        RecordedSteps steps(m_settings);
        QCOMPARE(::newArchive(m_settings, m_program, steps), !log.isEmpty());
        QCOMPARE(steps.log, log);
        QVERIFY(dialogs.done());
        QCOMPARE(dialogs.requests().first().option, QString());
    }

    void deleting_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("answer"); // to the question; empty: no question
        QTest::addColumn<bool>("openRefused");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("nothing chosen") << ""
                                        << "" << false << false;
        QTest::newRow("the open archive") << "photos"
                                          << "" << true << false;
        QTest::newRow("No keeps it") << "Music"
                                     << "2" << false << false;
        QTest::newRow("Yes deletes the settings file only") << "Music"
                                                            << "1" << false << true;
    }
    void deleting()
    {
        QFETCH(QString, choice);
        QFETCH(QString, answer);
        QFETCH(bool, openRefused);
        QFETCH(bool, deleted);
        QVERIFY(QDir(m_dir.path()).mkdir("Music"));
        QVERIFY(testutil::writeFile(m_dir.filePath("Music/Music.dbf"), "table"));
        ScriptedDialogs dialogs;
        if (openRefused)
            dialogs.error(
                QStringLiteral("Archive  '%1'  is open and can not be deleted !").arg(choice));
        if (!answer.isEmpty())
            dialogs.expect(DialogKind::Confirmation, answer,
                QStringLiteral("Delete archive  '%1' (no files !)").arg(choice));
        RecordedSteps steps(m_settings);
        steps.choice = choice;
        QCOMPARE(deleteArchive(m_settings, m_program, steps), deleted);
        QCOMPARE(steps.log, QStringList { "choose Delete archive" });
        QVERIFY(dialogs.done());
        QCOMPARE(QFileInfo::exists(m_dir.filePath("Music.ini")), !deleted);
        QVERIFY(QFileInfo::exists(m_dir.filePath("Photos.ini")));
        QVERIFY(QFileInfo::exists(m_dir.filePath("Music/Music.dbf")));
    }
};

QTEST_GUILESS_MAIN(TestArchiveSwitch)
#include "tst_archiveswitch.moc"
