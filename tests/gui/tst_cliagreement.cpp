#include "store/catalogtable.h"
#include "support/gui/mainwindowfixture.h"
#include "support/scripteddialogs.h"

#include <QProcess>
#include <QtTest>

// tabulon-cli's update and the program's "Update all" make the same catalogue of the same
// tree, record for record.
class TestCliAgreement : public QObject, public MainWindowFixture
{
    Q_OBJECT

    QByteArray tool(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(TABULON_CLI), args);
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return "failed: " + p.readAllStandardError();
        return p.readAllStandardOutput();
    }

private slots:
    void init() { setUpWindow(); }
    void cleanup() { tearDownWindow(); }

    void updateFromTheToolAgreesWithUpdateAll()
    {
        file("Fotos/2019/strand.jpg", "12345");
        file("Fotos/2019/Berg.JPG");
        file("Fotos/leer/.versteckt");
        file("Texte/brief.txt", QByteArray(3000, 'x'));
        file("Texte/Unter/a b.txt");
        file("Texte/Descript.ion", "brief.txt Ein Brief\r\n");
        file("oben.txt");
        openCatalogue();
        showActive();
        {
            ScriptedDialogs dialogs;
            dialogs.yes(QStringLiteral("Update all"));
            press(Qt::Key_F12);
            QVERIFY(dialogs.done());
        }
        QVERIFY(table()->close());

        const QString copy = root() + QStringLiteral("Werkzeug.dbf");
        QCOMPARE(tool({ QStringLiteral("create"), copy }), QByteArray());
        QVERIFY(tool({ QStringLiteral("update"), copy, QStringLiteral("--quiet") })
                    .startsWith("4 appended"));
        const QByteArray program
            = tool({ QStringLiteral("dump"), root() + QStringLiteral("Archiv.dbf"),
                QStringLiteral("--order"), QStringLiteral("1") });
        QCOMPARE(
            tool({ QStringLiteral("dump"), copy, QStringLiteral("--order"), QStringLiteral("1") }),
            program);
        QCOMPARE(program.count('\n'), 4);
    }
};

QTEST_MAIN(TestCliAgreement)
#include "tst_cliagreement.moc"
