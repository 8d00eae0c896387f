#include "store/catalogtable.h"
#include "support/gui/mainwindowfixture.h"
#include "support/processrun.h"
#include "support/scripteddialogs.h"

#include <QtTest>

// tabulon-cli's update and the program's "Update all" make the same catalogue of the same
// tree, record for record.
class TestCliAgreement : public QObject, public MainWindowFixture
{
    Q_OBJECT

    QString tool(const QStringList &args)
    {
        const ProcessRun r = runCli(args);
        return r.exitCode == 0 ? r.out : QStringLiteral("failed: ") + r.err;
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
        QCOMPARE(tool({ QStringLiteral("create"), copy }), QString());
        QVERIFY(tool({ QStringLiteral("update"), copy, QStringLiteral("--quiet") })
                    .startsWith(QLatin1String("4 appended")));
        const QString program
            = tool({ QStringLiteral("dump"), root() + QStringLiteral("Archiv.dbf"),
                QStringLiteral("--order"), QStringLiteral("1") });
        QCOMPARE(
            tool({ QStringLiteral("dump"), copy, QStringLiteral("--order"), QStringLiteral("1") }),
            program);
        QCOMPARE(program.count(QLatin1Char('\n')), 4);
    }
};

QTEST_MAIN(TestCliAgreement)
#include "tst_cliagreement.moc"
