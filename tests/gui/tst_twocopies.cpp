#include "support/testutil.h"

#include <QProcess>
#include <QtTest>

// The real program, started as separate processes from a copy of the executable in a
// temporary folder (so that folder is its program folder), unattended: messages are
// answered with Esc and written to standard error, the root question keeps its preset.
class TestTwoCopies : public QObject
{
    Q_OBJECT

    QString m_built;
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_exe;

    QString file(const QString &name) const { return m_folder->filePath(name); }

    void start(QProcess &p, const QStringList &arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TABULON_UNATTENDED"), QStringLiteral("1"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QDir::tempPath());
        p.start(m_exe, arguments);
    }

    static bool waitForOutput(QProcess &p, const QByteArray &text, QByteArray *seen)
    {
        return QTest::qWaitFor(
                   [&] {
                       *seen += p.readAllStandardError();
                       return seen->contains(text) || p.state() == QProcess::NotRunning;
                   },
                   30000)
            && seen->contains(text);
    }

    static QByteArray snapshot(const QStringList &paths)
    {
        QByteArray all;
        for (const QString &path : paths)
            all += path.toUtf8() + '\n' + testutil::readFile(path) + '\n';
        return all;
    }

private slots:
    void initTestCase()
    {
        m_built = QStringLiteral(TABULON_BINARY_DIR "/tabulon");
        if (!QFileInfo::exists(m_built))
            QFAIL("the program is not built: build the tabulon target before this test");
    }
    // Each test gets a program folder of its own.
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
        m_exe = file(QStringLiteral("tabulon"));
        QVERIFY(QFile::copy(m_built, m_exe));
    }

    void secondCopyEndsWithTheLockMessage()
    {
        QProcess first;
        start(first);
        QByteArray firstSaid;
        QVERIFY2(waitForOutput(first, "running", &firstSaid), firstSaid.constData());
        // A first run in the executable's own folder: desktop question (Esc, so no link),
        // then the root question, kept as Archive\.
        QVERIFY(firstSaid.contains("dialog 4: Create desktop-icon ?"));
        QVERIFY(firstSaid.contains("root: Root folder for:  'Archive'  ?"));
        QVERIFY(QFileInfo::exists(file("Archive/Archive.dbf")));

        const QStringList files = { file("Tabulon.ini"), file("Archive.ini"),
            file("Archive/Archive.dbf"), file("Archive/Archive.mdx") };
        const QByteArray before = snapshot(files);

        QProcess second;
        start(second);
        QVERIFY(second.waitForFinished(30000));
        const QByteArray secondSaid = second.readAllStandardError();
        QVERIFY2(secondSaid.contains("dialog 2: Record or database is locked by another user ! "
                                     "| Try again later ..."),
            secondSaid.constData());
        QVERIFY(!secondSaid.contains("running"));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QVERIFY(second.exitCode() != 0);
        QCOMPARE(snapshot(files), before);

        // The first copy is unaffected: asked to end, it saves both files.
        QCOMPARE(first.state(), QProcess::Running);
        first.terminate();
        QVERIFY(first.waitForFinished(30000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        const QByteArray archiveFile = testutil::readFile(file("Archive.ini"));
        QVERIFY2(archiveFile.contains("\r\nIdx=1\r\n") && archiveFile.contains("TB2=1"),
            archiveFile.constData());
        QVERIFY(testutil::readFile(file("Tabulon.ini")).contains("\r\nOpa=0"));
    }

    void missingDriveWithEscapeChangesNoFile()
    {
        QVERIFY(testutil::writeFile(file("Tabulon.ini"), "[Local]\r\nDMS=Gone\r\n"));
        QVERIFY(testutil::writeFile(file("Gone.ini"), "[Local]\r\nPath=q:\\Photos\\\r\n"));
        const QStringList files = { file("Tabulon.ini"), file("Gone.ini") };
        const QByteArray before = snapshot(files);
        QProcess p;
        start(p);
        QVERIFY(p.waitForFinished(30000));
        const QByteArray said = p.readAllStandardError();
        QVERIFY2(
            said.contains("dialog 2: Drive  'Q:\\'  not exist !\narchives: another archive or ESC"),
            said.constData());
        QVERIFY(!said.contains("running"));
        QVERIFY(p.exitCode() != 0);
        QCOMPARE(snapshot(files), before);
        QVERIFY(!QFileInfo::exists(file("Photos")));
    }
};

QTEST_GUILESS_MAIN(TestTwoCopies)
#include "tst_twocopies.moc"
