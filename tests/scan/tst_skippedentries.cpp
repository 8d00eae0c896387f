#include "scan/skippedentries.h"

#include <QtTest>

// How an entry left out is named to the user: on one line whatever its bytes, and with its
// reason.
class TestSkippedEntries : public QObject
{
    Q_OBJECT
private slots:
    void printableName_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QByteArray("a b.txt") << "a b.txt";
        QTest::newRow("quotes") << QByteArray("say \"hi\", it's") << "say \"hi\", it's";
        QTest::newRow("newline, tab, return") << QByteArray("a\nb\tc\rd") << "a\\nb\\tc\\rd";
        QTest::newRow("escape and delete") << QByteArray("\x1b[2J\x7f") << "\\x1B[2J\\x7F";
        QTest::newRow("backslash doubled") << QByteArray("a\\nb") << "a\\\\nb";
        QTest::newRow("UTF-8 kept") << QByteArray("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80")
                                    << QStringLiteral("caf\u00e9 \u20ac \U0001F600");
        QTest::newRow("no UTF-8") << QByteArray("latin\xe9.txt") << "latin\\xE9.txt";
        QTest::newRow("cut sequence") << QByteArray("a\xe2\x82") << "a\\xE2\\x82";
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << "\\xC0\\xAF";
        QTest::newRow("C1 control") << QByteArray("a\xc2\x9b"
                                                  "b")
                                    << "a\\u009Bb";
    }
    void printableName()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, shown);
        QCOMPARE(::printableName(raw), shown);
    }

    // Every reason that is reported has a text, and only those.
    void reasonTexts()
    {
        QVERIFY(skipReasonText(SkipReason::None).isEmpty());
        QVERIFY(skipReasonText(SkipReason::ByRule).isEmpty());
        QStringList texts;
        for (int r = int(SkipReason::NotUtf8); r <= int(SkipReason::CaseTwin); ++r) {
            QVERIFY(isReported(SkipReason(r)));
            texts << skipReasonText(SkipReason(r));
            QVERIFY(!texts.last().isEmpty());
        }
        texts.removeDuplicates();
        QCOMPARE(int(texts.size()), int(SkipReason::CaseTwin) - int(SkipReason::NotUtf8) + 1);
        // The name a twin defers to is shown as safely as the entry's own.
        QCOMPARE(skipReasonText(SkipReason::CaseTwin, "Read\nMe.txt"),
            QStringLiteral("its name differs only in case from 'Read\\nMe.txt'"));
    }

    void messagesCountAllAndListTheFirst()
    {
        SkippedEntries none;
        QVERIFY(none.message().isEmpty());
        SkippedEntries one;
        one.add({ "/r/A", "x\ny.txt", false, SkipReason::ControlCharacter });
        QCOMPARE(one.message(),
            "1 entry could not be catalogued:\rFile  '/r/A/x\\ny.txt'  cannot be catalogued: "
                + skipReasonText(SkipReason::ControlCharacter));

        SkippedEntries many;
        for (int i = 0; i < SkippedEntries::MaxKept + 5; ++i)
            many.add({ "/r/", QByteArray::number(i), true, SkipReason::OutsideCodePage });
        SkippedEntries total = one;
        total.add(many);
        QCOMPARE(total.count(), SkippedEntries::MaxKept + 6);
        QCOMPARE(int(total.kept().size()), SkippedEntries::MaxKept);
        const QStringList lines = total.message(3).split(QLatin1Char('\r'));
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QStringLiteral("1006 entries could not be catalogued:"));
        QVERIFY(lines[1].startsWith(QStringLiteral("File  '/r/A/x\\ny.txt'")));
        QVERIFY(lines[2].startsWith(QStringLiteral("Folder  '/r/0'  cannot be catalogued: ")));
        QCOMPARE(lines[4], QStringLiteral("... and 1003 more."));
    }
};

QTEST_GUILESS_MAIN(TestSkippedEntries)
#include "tst_skippedentries.moc"
