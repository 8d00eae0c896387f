#include "dialogs/dialoglayout.h"
#include "dialogs/shareddialog.h"
#include "support/scripteddialogs.h"

#include <QtTest>

class TestSharedDialog : public QObject
{
    Q_OBJECT
private slots:
    void dateToYmd()
    {
        QCOMPARE(::dateToYmd(zeroDate()), "");
        QCOMPARE(::dateToYmd(QDate()), "");
        QCOMPARE(::dateToYmd(QDate(2021, 12, 31)), "20211231");
        QCOMPARE(::dateToYmd(QDate(1899, 12, 31)), "18991231");
        QCOMPARE(::dateToYmd(QDateTime(QDate(2026, 1, 2), QTime(23, 59, 59))), "20260102");
    }

    void ymdToDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("plain") << "20211231" << QDate(2021, 12, 31);
        QTest::newRow("tail ignored") << "20211231xyz" << QDate(2021, 12, 31);
        QTest::newRow("30 February") << "20240230" << zeroDate();
        QTest::newRow("four digits only") << "2021" << zeroDate();
        QTest::newRow("day missing") << "202112" << zeroDate();
        QTest::newRow("one day digit") << "2021123" << QDate(2021, 12, 3);
        QTest::newRow("letter in month") << "20211a31" << zeroDate();
        QTest::newRow("sign in year") << "+0211231" << zeroDate();
        QTest::newRow("blank in day") << "2021123 " << zeroDate();
        QTest::newRow("year 0") << "00001231" << zeroDate();
        QTest::newRow("empty") << "" << zeroDate();
    }
    void ymdToDate()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(::ymdToDate(text), date);
    }

    void textHelpers()
    {
        QCOMPARE(padToWidth(QString("ab"), 4), "ab  ");
        QCOMPARE(padToWidth(QString("abcde"), 4), "abcd");
        QCOMPARE(padToWidth(QString("ab"), 0), "");
        QCOMPARE(padToWidth(QString("ab"), -3), "");
        QCOMPARE(padToWidth(QByteArray("A\\B\\"), 80).size(), 80);
        QCOMPARE(padToWidth(QByteArray("A\\"), 4), QByteArray("A\\  "));

        const QString twenty = "abcdefghijklmnopqrst";
        QCOMPARE(shortenLeft(twenty), twenty);
        QCOMPARE(shortenLeft("X" + twenty), "..." + twenty);
        QCOMPARE(shortenLeft("X" + twenty).size(), 23);
        QCOMPARE(shortenLeft(""), "");

        QCOMPARE(repeatText(QString("ab"), 3), "ababab");
        QCOMPARE(repeatText(QString("ab"), 0), "");
        QCOMPARE(repeatText(QString("ab"), -1), "");
        QCOMPARE(repeatText(QByteArray("-"), 2), QByteArray("--"));
    }

    void answerConvention_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("answer");
        const QString esc(QChar(27));
        QTest::newRow("error OK") << 2 << 1 << ""
                                  << "1";
        QTest::newRow("error Esc") << 2 << 0 << ""
                                   << "0";
        QTest::newRow("question Yes") << 4 << 1 << ""
                                      << "1";
        QTest::newRow("question No") << 4 << 2 << ""
                                     << "2";
        QTest::newRow("question Esc") << 5 << 0 << ""
                                      << "0";
        QTest::newRow("about closed by link") << 10 << 0 << ""
                                              << "0";
        QTest::newRow("input OK") << 9 << 1 << "name"
                                  << "name";
        QTest::newRow("input OK empty") << 9 << 1 << ""
                                        << "";
        QTest::newRow("input Cancel with text") << 9 << 2 << "name" << esc;
        QTest::newRow("input Esc") << 9 << 0 << "name" << esc;
        QTest::newRow("date OK") << 8 << 1 << "20211231"
                                 << "20211231";
        QTest::newRow("date OK empty") << 8 << 1 << ""
                                       << "";
        QTest::newRow("date Cancel") << 8 << 2 << "20211231" << esc;
    }
    void answerConvention()
    {
        QFETCH(int, kind);
        QFETCH(int, code);
        QFETCH(QString, value);
        QFETCH(QString, answer);
        QCOMPARE(dialogAnswer(kind, DialogOutcome { code, value }), answer);
    }

    void callGoesThroughThePort()
    {
        ScriptedDialogs dialogs;
        dialogs.yes("Delete").input("NEW", "Name").cancelInput();
        QString result = "stale";
        showDialog(4, "Delete file  'a.txt'  ?", "2", result, 0);
        QCOMPARE(result, "1");
        QCOMPARE(showDialog(9, "Name:", "OLD"), "NEW");
        QVERIFY(isEscAnswer(showDialog(9, "Other:")));
        QVERIFY(dialogs.done());
        QCOMPARE(dialogs.requests().size(), 3);
        QCOMPARE(dialogs.requests().at(0).option, "2");
        QCOMPARE(dialogs.requests().at(1).option, "OLD");
    }

    void unscriptedDialogFailsTheTest()
    {
        ScriptedDialogs dialogs;
        dialogs.yes("Delete");
        // The wrong kind, then one dialog too many: each is a failure of the test, and each
        // is answered as Esc, so the code under test takes its harmless way.
        QEXPECT_FAIL("", "an error box where a question was scripted", Continue);
        QCOMPARE(showDialog(2, "Delete failed"), "0");
        QEXPECT_FAIL("", "no dialog left in the script", Continue);
        QVERIFY(isEscAnswer(showDialog(9, "Name:", "typed")));
        QCOMPARE(dialogs.faults().size(), 2);
        QVERIFY(!dialogs.done());
    }

    void kindsWithoutRoleShowNothing_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("6") << 6;
        QTest::newRow("7") << 7;
        QTest::newRow("11") << 11;
        QTest::newRow("127") << 127;
    }
    void kindsWithoutRoleShowNothing()
    {
        QFETCH(int, kind);
        ScriptedDialogs dialogs; // any dialog shown would fail the test
        QString result = "stale";
        showDialog(kind, "nothing", "1", result);
        QCOMPARE(result, "");
        QVERIFY(dialogs.requests().isEmpty());
        QVERIFY(dialogs.waitRequests().isEmpty());
    }

    void waitWindowReturnsAtOnce()
    {
        ScriptedDialogs dialogs;
        QString result = "stale";
        showDialog(-5, "Busy", "", result);
        QCOMPARE(result, "");
        showDialog(-1, "Busy", "", result);
        QCOMPARE(dialogs.waitRequests().size(), 2);
        QVERIFY(dialogs.waitShown());
        setWaitProgress(150);
        QCOMPARE(dialogs.waitProgress(), 100);
        closeWaitDialog();
        QVERIFY(!dialogs.waitShown());
    }

    void withoutPortNothingIsConfirmed()
    {
        QVERIFY(!dialogPort());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ShowDialog without"));
        QCOMPARE(showDialog(4, "Delete ?"), "0");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ShowDialog without"));
        QVERIFY(isEscAnswer(showDialog(9, "Name:", "typed")));
    }

    void layoutTexts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("buttons");
        QTest::addColumn<int>("baseHeight");
        QTest::newRow("wait") << 0 << 0 << "Please wait ..."
                              << "||" << 85;
        QTest::newRow("wait -7 de") << -7 << 1 << "Bitte warten ..."
                                    << "||" << 85;
        QTest::newRow("progress") << -1 << 0 << "Please wait ..."
                                  << "||" << 110;
        QTest::newRow("warning") << 1 << 0 << "Warning"
                                 << "||OK" << 118;
        QTest::newRow("error") << 2 << 0 << "Error"
                               << "||OK" << 118;
        QTest::newRow("error de") << 2 << 1 << "Fehler"
                                  << "||OK" << 118;
        QTest::newRow("information de") << 3 << 1 << "Information"
                                        << "||OK" << 118;
        QTest::newRow("confirmation") << 4 << 0 << "Confirmation"
                                      << "&Yes|&No|" << 118;
        QTest::newRow("confirmation de") << 4 << 1 << "Bestätigung"
                                         << "&Ja|&Nein|" << 118;
        QTest::newRow("warning question de") << 5 << 1 << "Warnung"
                                             << "&Ja|&Nein|" << 118;
        QTest::newRow("date") << 8 << 0 << "Input"
                              << "OK|Cancel|" << 146;
        QTest::newRow("text de") << 9 << 1 << "Eingabe"
                                 << "OK|Abbrechen|" << 146;
        QTest::newRow("about de") << 10 << 1 << "Info ..."
                                  << "||OK" << 150;
        QTest::newRow("language 2 is English") << 2 << 2 << "Error"
                                               << "||OK" << 118;
    }
    void layoutTexts()
    {
        QFETCH(int, kind);
        QFETCH(int, language);
        QFETCH(QString, caption);
        QFETCH(QString, buttons);
        QFETCH(int, baseHeight);
        const DialogLayout layout = dialogLayout(kind, language);
        QCOMPARE(layout.caption, caption);
        QCOMPARE(layout.yesCaption + "|" + layout.noCaption + "|" + layout.okCaption, buttons);
        QCOMPARE(layout.baseHeight, baseHeight);
    }

    void geometryRules()
    {
        QCOMPARE(dialogHeight(118, 13), 118);
        QCOMPARE(dialogHeight(118, 32), 118);
        QCOMPARE(dialogHeight(118, 60), 146);
        QCOMPARE(centredPosition(QRect(100, 50, 801, 601), QSize(146, 118)), QPoint(427, 291));
        // Wider than its owner: the negative half truncates toward zero (-1.5 -> -1).
        QCOMPARE(centredPosition(QRect(0, 0, 100, 100), QSize(103, 100)), QPoint(-1, 0));
        QVERIFY(focusOnNo(4, "2"));
        QVERIFY(focusOnNo(5, "2"));
        QVERIFY(!focusOnNo(4, "2 "));
        QVERIFY(!focusOnNo(9, "2"));
        // The about box links to an address it is given; a link choice names none.
        for (const char *address : { "file:///opt/tabulon/Tabulon-en.html",
                 "file:///media/u/My Stick/Tabulon-en.html", "https://a.org/" })
            QCOMPARE(dialogLink(address), QString::fromLatin1(address));
        for (const char *none : { "", "1", "2", "Tabulon-en.html", "javascript:alert(1)" })
            QVERIFY(dialogLink(none).isEmpty());
    }

    void messageLines() { QCOMPARE(dialogMessageText("a\rb\r\nc"), "a\nb\nc"); }
};

QTEST_GUILESS_MAIN(TestSharedDialog)
#include "tst_shareddialog.moc"
