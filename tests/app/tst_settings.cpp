#include "app/archivefiles.h"
#include "state/settings.h"
#include "support/runasuser.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QSize screen(1920, 1080);

// Every archive key as a fresh archive writes it: the defaults, in the file's order.
const QByteArray defaultArchiveKeys
    = "[Local]\r\nPath=Archive\\\r\nDel=0\r\n"
      "[MainWin]\r\nhsplit=400\r\nvsplit=150\r\nfile=125\r\n"
      "[Color]\r\nData=$00DAFAFA\r\nEdit=clWhite\r\nTbar=$00DA0000\r\n"
      "[Font]\r\nName=Verdana\r\nCharSet=0\r\nColor=-2147483640\r\nSize=9\r\nStyle=0\r\n"
      "[Print]\r\nFont=Arial\r\ntop=200\r\nleft=200\r\nbottom=200\r\nright=100\r\n"
      "[Param]\r\nGrid=0\r\nDir=0\r\nText=\r\nCopy=\r\nDeD=0\r\nSTx=1\r\n"
      "View=d:\\irfan\\i_view32.exe\r\nExt=.jpg .bmp .png .mp4\r\nIdx=1\r\nInf=0\r\n"
      "Syn=200\r\nPar=/one /fs\r\nTB1=1\r\nTB2=1\r\n";

const QByteArray firstRunFile = "[Local]\r\nVers=6.6\r\nDMS=Archive\r\n"
                                "[MainWin]\r\nleft=560\r\ntop=240\r\nwidth=800\r\nheight=600\r\n"
                                "state=0\r\n";

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    ProgramFolder m_program;

    QString file(const QString &name) const { return m_program.folder + name; }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_program.folder = m_dir->path() + QLatin1Char('/');
        m_program.executablePath = m_program.folder + QLatin1String("tabulon");
    }

    void firstRunCreatesProgramFile()
    {
        ScriptedDialogs dialogs;
        dialogs.no(QStringLiteral("Create desktop-icon ?"));
        Settings s;
        QVERIFY(loadProgramSettings(s, m_program, {}, screen).isOk());
        QVERIFY(dialogs.done());
        QCOMPARE(testutil::readFile(file("Tabulon.ini")), firstRunFile);
        QCOMPARE(s.archiveName, QStringLiteral("Archive"));
        QCOMPARE(s.layout.left, 560);
        QCOMPARE(s.layout.width, 800);
        QCOMPARE(s.tagEditorBounds, QRect(560, 240, 800, 600));
        QCOMPARE(s.gridColumnWidths, (std::array<qint32, 5> { { 226, 150, 90, 65, 50 } }));

        // Second start: no question, the command line names the archive.
        ScriptedDialogs again;
        QVERIFY(loadProgramSettings(s, m_program, { "Fotos" }, screen).isOk());
        QCOMPARE(s.archiveName, QStringLiteral("Fotos"));
        QVERIFY(again.done());
    }

    void programFileWrittenInOrder_data()
    {
        QTest::addColumn<int>("windowState");
        QTest::addColumn<int>("startMode");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("normal window, last used archive")
            << 0 << 0
            << QByteArray("[Local]\r\nVers=6.6\r\nDMS=Fotos\r\nCmd=mc\r\n"
                          "[MainWin]\r\nleft=7\r\ntop=5\r\nwidth=900\r\nheight=700\r\nstate=0\r\n"
                          "[Param]\r\nEdl=11\r\nEdt=12\r\nEdh=14\r\nEdw=13\r\nCfi=130\r\nCco=91\r\n"
                          "Cda=66\r\nCsi=51\r\nOpa=0\r\n");
        QTest::newRow("maximised, always the same archive")
            << 1 << 1
            << QByteArray(
                   "[Local]\r\nVers=6.6\r\nDMS=Archive\r\nCmd=mc\r\n"
                   "[MainWin]\r\nleft=560\r\ntop=240\r\nwidth=800\r\nheight=600\r\nstate=1\r\n"
                   "[Param]\r\nEdl=11\r\nEdt=12\r\nEdh=14\r\nEdw=13\r\nCfi=130\r\nCco=91\r\n"
                   "Cda=66\r\nCsi=51\r\nOpa=1\r\n");
    }
    void programFileWrittenInOrder()
    {
        QFETCH(int, windowState);
        QFETCH(int, startMode);
        QFETCH(QByteArray, expected);
        testutil::writeFile(file("Tabulon.ini"), firstRunFile);
        Settings s;
        s.archiveName = "Fotos";
        s.fileManagerPath = "mc";
        s.layout.left = 7;
        s.layout.top = 5;
        s.layout.width = 900;
        s.layout.height = 700;
        s.layout.windowState = windowState;
        s.startArchiveMode = startMode;
        s.tagEditorBounds = QRect(11, 12, 13, 14);
        s.gridColumnWidths = { { 130, 0, 91, 66, 51 } };
        QVERIFY(writeProgramSettings(s, file("Tabulon.ini")).isOk());
        QCOMPARE(testutil::readFile(file("Tabulon.ini")), expected);

        Settings back;
        readProgramSettings(back, file("Tabulon.ini"), {}, screen);
        QCOMPARE(back.startArchiveMode, startMode);
        QCOMPARE(back.tagEditorBounds, s.tagEditorBounds);
        QCOMPARE(back.layout.windowState, windowState);
    }

    void newArchiveFileThenDefaultsInOrder()
    {
        ScriptedDialogs dialogs;
        Settings s;
        s.archiveName = "Archive";
        QString caption, preset;
        auto ask
            = [&](const QString &c, const QString &initial, QString *answer, CatalogueChoices *) {
                  caption = c;
                  preset = initial;
                  *answer = initial;
                  return true;
              };
        ProfileStatus status;
        QCOMPARE(readOrCreateArchiveFile(s, m_program, ask, &status), ArchiveFileResult::Read);
        QCOMPARE(caption, QStringLiteral("Root folder for:  'Archive'  ?"));
        QCOMPARE(preset, QStringLiteral("Archive\\"));
        QCOMPARE(
            testutil::readFile(file("Archive.ini")), QByteArray("[Local]\r\nPath=Archive\\\r\n"));
        QCOMPARE(s.rootPath, m_program.folder + "Archive/");

        QVERIFY(writeArchiveSettings(s, file("Archive.ini")).isOk());
        QCOMPARE(testutil::readFile(file("Archive.ini")), defaultArchiveKeys);
        // Defaults read from a bare file equal those of a fresh object: writing both gives
        // the same bytes.
        Settings fresh;
        fresh.gridColumnWidths[0] = 125; // the archive's default; 226 is the program-wide one
        QVERIFY(writeArchiveSettings(fresh, file("fresh.ini")).isOk());
        QCOMPARE(testutil::readFile(file("fresh.ini")),
            defaultArchiveKeys.mid(defaultArchiveKeys.indexOf("Del=")).prepend("[Local]\r\n"));
        QVERIFY(dialogs.done());
    }

    void cancelledRootQuestionWritesNothing()
    {
        Settings s;
        s.archiveName = "New";
        ProfileStatus status;
        auto cancel
            = [](const QString &, const QString &, QString *, CatalogueChoices *) { return false; };
        QCOMPARE(
            readOrCreateArchiveFile(s, m_program, cancel, &status), ArchiveFileResult::Cancelled);
        QVERIFY(QDir(m_program.folder).entryList(QDir::Files).isEmpty());
    }

    void unreadableArchiveFileStopsOpening()
    {
        testutil::writeFile(file("Locked.ini"), "[Local]\r\nPath=Photos\\\r\n");
        QVERIFY(giveToUnprivileged(m_dir->path()));
        QFile::setPermissions(file("Locked.ini"), QFileDevice::Permissions());
        const bool refused = passesUnprivileged([this] {
            Settings s;
            s.archiveName = "Locked";
            s.rootPath = "unchanged";
            ProfileStatus status;
            auto noQuestion = [](const QString &, const QString &, QString *, CatalogueChoices *) {
                return false;
            };
            QCOMPARE(readOrCreateArchiveFile(s, m_program, noQuestion, &status),
                ArchiveFileResult::Unreadable);
            QCOMPARE(status.message(), "Unable to read " + file("Locked.ini"));
            QCOMPARE(s.rootPath, QStringLiteral("unchanged"));
        });
        QFile::setPermissions(file("Locked.ini"), QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(refused);
    }

    void unwritableProgramFolderReported()
    {
        ScriptedDialogs dialogs;
        m_program.folder = m_dir->filePath("gone/");
        Settings s;
        const ProfileStatus status = loadProgramSettings(s, m_program, {}, screen);
        QCOMPARE(status.code(), ProfileStatus::WriteRefused);
        QCOMPARE(status.message(), "Unable to write to " + m_program.folder + "Tabulon.ini");
        dialogs.error("Unable to write to");
        reportWriteFailure(status);
        QVERIFY(dialogs.done());
    }

    void valuesOutsideTheirWidth_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("8-bit 256 wraps to 0")
            << QByteArray("[Param]\r\nGrid=256") << QByteArray("Grid=0");
        QTest::newRow("8-bit -1 wraps to 255")
            << QByteArray("[Param]\r\nSTx=-1") << QByteArray("STx=255");
        QTest::newRow("8-bit hex")
            << QByteArray("[Font]\r\nStyle=0x1FF") << QByteArray("Style=255");
        QTest::newRow("16-bit 65536 wraps to 0")
            << QByteArray("[Print]\r\ntop=65536") << QByteArray("top=0");
        QTest::newRow("16-bit -1 wraps")
            << QByteArray("[Print]\r\nright=-1") << QByteArray("right=65535");
        QTest::newRow("32-bit overflow is not a number")
            << QByteArray("[Param]\r\nSyn=99999999999") << QByteArray("Syn=200");
        QTest::newRow("garbage integer")
            << QByteArray("[Local]\r\nDel=many") << QByteArray("Del=0");
        QTest::newRow("garbage colour")
            << QByteArray("[Color]\r\nEdit=pink") << QByteArray("Edit=clWhite");
        QTest::newRow("colour by decimal")
            << QByteArray("[Color]\r\nData=255") << QByteArray("Data=clRed");
        QTest::newRow("boolean any non-zero")
            << QByteArray("[Param]\r\nTB1=-7") << QByteArray("TB1=1");
        QTest::newRow("boolean garbage") << QByteArray("[Param]\r\nTB2=no") << QByteArray("TB2=1");
    }
    void valuesOutsideTheirWidth()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, written);
        testutil::writeFile(file("A.ini"), line + "\r\n");
        Settings s;
        readArchiveSettings(s, file("A.ini"), m_program);
        QVERIFY(writeArchiveSettings(s, file("A.ini")).isOk());
        QVERIFY2(testutil::readFile(file("A.ini")).contains("\r\n" + written + "\r\n"),
            testutil::readFile(file("A.ini")).constData());
    }

    void garbageFileKeepsItsLines()
    {
        const QByteArray garbage
            = QByteArrayLiteral("\x01\x02junk\r\n[Param\r\n==\r\n[Local]\r\nPath=x\\\r\n");
        testutil::writeFile(file("G.ini"), garbage);
        Settings s;
        readArchiveSettings(s, file("G.ini"), m_program);
        QCOMPARE(s.indexOrder, QStringLiteral("1"));
        QCOMPARE(s.rootPath, m_program.folder + "x/");
        QVERIFY(writeArchiveSettings(s, file("G.ini")).isOk());
        QVERIFY(testutil::readFile(file("G.ini")).startsWith(garbage));
    }

    void resolveRootPath_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("expected");
        const QString exe = "/opt/tab/tabulon";
        const QString stick = "/media/bob/STICK/tab/tabulon";
        QTest::newRow("empty is the program folder") << "" << exe << "/prog/";
        QTest::newRow("relative") << "Archive\\" << exe << "/prog/Archive/";
        QTest::newRow("relative, nested") << "Files\\2019\\" << exe << "/prog/Files/2019/";
        QTest::newRow("relative upwards") << "..\\up\\" << exe << "/prog/../up/";
        QTest::newRow("missing trailing separator") << "Data" << exe << "/prog/Data/";
        QTest::newRow("windows form kept") << "D:\\Photos\\" << exe << "D:\\Photos\\";
        QTest::newRow("absolute") << "/srv/photos" << exe << "/srv/photos/";
        QTest::newRow("usb, any case") << "%USB%Photos\\" << stick << "/media/bob/STICK/Photos/";
        QTest::newRow("usb with backslash")
            << "%usb%\\Photos\\" << stick << "/media/bob/STICK/Photos/";
        QTest::newRow("only first usb") << "%usb%a%Usb%\\" << stick << "/media/bob/STICK/a%Usb%/";
        QTest::newRow("usb off removable media") << "%usb%Photos\\" << exe << "/Photos/";
        QTest::newRow("usb under /run/media") << "%usb%P\\"
                                              << "/run/media/ann/K/tabulon"
                                              << "/run/media/ann/K/P/";
    }
    void resolveRootPath()
    {
        QFETCH(QString, stored);
        QFETCH(QString, executable);
        QFETCH(QString, expected);
        ProgramFolder program;
        program.folder = "/prog/";
        program.executablePath = executable;
        QCOMPARE(::resolveRootPath(stored, program), expected);
    }

    void enteredRoot_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("archive name") << "Archive\\"
                                      << "Archive\\";
        QTest::newRow("leading backslash dropped") << "\\Data"
                                                   << "Data\\";
        QTest::newRow("drive kept") << "D:\\Photos"
                                    << "D:\\Photos\\";
        QTest::newRow("absolute native") << "/home/u/Photos"
                                         << "/home/u/Photos/";
        QTest::newRow("usb form") << "%usb%\\Photos"
                                  << "%usb%\\Photos\\";
        QTest::newRow("lone backslash") << "\\"
                                        << "";
    }
    void enteredRoot()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(normalizeEnteredRoot(typed), stored);
    }

    void missingDriveReported()
    {
        ScriptedDialogs dialogs;
        dialogs.error(QStringLiteral("Drive  'C:\\'  not exist !"));
        Settings s;
        s.rootPath = "c:\\x\\";
        QVERIFY(!checkRootDrive(s));
        QVERIFY(dialogs.done());
        s.rootPath = m_program.folder;
        QVERIFY(checkRootDrive(s));
    }

    void lockMessage()
    {
        ScriptedDialogs dialogs;
        dialogs.error(
            QStringLiteral("Record or database is locked by another user !\rTry again later ..."));
        showLockFailure();
        QVERIFY(dialogs.done());
    }

    void gridHeightFitsPanel()
    {
        QCOMPARE(fitGridHeight(400, 300), 295);
        QCOMPARE(fitGridHeight(200, 300), 200);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
