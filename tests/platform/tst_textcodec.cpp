#include "platform/textcodec.h"

#include <QtTest>

// The texts of a table in either encoding: upper-casing never changes a text's length in
// bytes, so that keys keep their widths and a folder's keys stay one run.
class TestTextCodec : public QObject
{
    Q_OBJECT

private slots:
    void utf8UpperKeepsByteLength_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("upper");
        QTest::newRow("ascii") << "readme.txt"
                               << "README.TXT";
        QTest::newRow("cyrillic") << "привет ёж"
                                  << "ПРИВЕТ ЁЖ";
        QTest::newRow("greek") << "αβγ"
                               << "ΑΒΓ";
        QTest::newRow("latin accents") << "été œuvre"
                                       << "ÉTÉ ŒUVRE";
        // The capitals of these are longer or shorter in UTF-8: they stay as they are.
        QTest::newRow("sharp s stays") << "straße"
                                       << "STRAßE";
        QTest::newRow("dotless i stays") << "ı"
                                         << "ı";
        QTest::newRow("long s stays") << "ſ"
                                      << "ſ";
        QTest::newRow("japanese unchanged") << "日本語のファイル"
                                            << "日本語のファイル";
        QTest::newRow("emoji unchanged") << "😀 smile"
                                         << "😀 SMILE";
        QTest::newRow("deseret, four bytes both") << "\U00010428"
                                                  << "\U00010400";
    }
    void utf8UpperKeepsByteLength()
    {
        QFETCH(QString, text);
        QFETCH(QString, upper);
        const TextCodec &codec = TextCodec::utf8();
        const QByteArray bytes = text.toUtf8();
        const QByteArray upperBytes = codec.upper(bytes);
        QCOMPARE(upperBytes.size(), bytes.size());
        QCOMPARE(QString::fromUtf8(upperBytes), upper);
        QCOMPARE(codec.upperText(text), upper);
        QCOMPARE(codec.byteLength(text), int(bytes.size()));
    }

    // Bytes that are no UTF-8 are left as they are, the ASCII around them upper-cased.
    void brokenUtf8StaysPut()
    {
        const QByteArray bytes("a\xC3\x28z\xE9\xFF", 6);
        const QByteArray upper = TextCodec::utf8().upper(bytes);
        QCOMPARE(upper, QByteArray("A\xC3\x28Z\xE9\xFF", 6));
        QVERIFY(!utf8text::isValid(bytes.constData(), int(bytes.size())));
    }

    // A text cut to a field's width never ends inside a character.
    void fitLengthCutsWholeCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("utf8");
        QTest::addColumn<int>("windows1252");
        QTest::newRow("fits") << "abc" << 5 << 3 << 3;
        QTest::newRow("ascii cut") << "abcdef" << 4 << 4 << 4;
        QTest::newRow("before a two-byte letter") << "abcё" << 4 << 3 << 4;
        // Windows-1252 writes the emoji's two halves as "??".
        QTest::newRow("before an emoji") << "a😀" << 3 << 1 << 3;
        QTest::newRow("after an emoji") << "😀b" << 4 << 4 << 3;
    }
    void fitLengthCutsWholeCharacters()
    {
        QFETCH(QString, text);
        QFETCH(int, max);
        QFETCH(int, utf8);
        QFETCH(int, windows1252);
        const QByteArray u = text.toUtf8();
        QCOMPARE(TextCodec::utf8().fitLength(u.constData(), int(u.size()), max), utf8);
        const QByteArray w = TextCodec::windows1252().fromUnicode(text);
        QCOMPARE(
            TextCodec::windows1252().fitLength(w.constData(), int(w.size()), max), windows1252);
    }

    // What each encoding can store, and what a one-byte tag can be.
    void expressibleAndSingleByte_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("inWindows1252");
        QTest::addColumn<bool>("tagInUtf8");
        QTest::addColumn<bool>("tagInWindows1252");
        QTest::newRow("A") << "A" << true << true << true;
        QTest::newRow("É") << "É" << true << false << true;
        QTest::newRow("Ж") << "Ж" << false << false << false;
        QTest::newRow("€") << "€" << true << false << true;
    }
    void expressibleAndSingleByte()
    {
        QFETCH(QString, text);
        QFETCH(bool, inWindows1252);
        QFETCH(bool, tagInUtf8);
        QFETCH(bool, tagInWindows1252);
        QCOMPARE(TextCodec::windows1252().isExpressible(text), inWindows1252);
        QVERIFY(TextCodec::utf8().isExpressible(text));
        QCOMPARE(TextCodec::utf8().isSingleByte(text), tagInUtf8);
        QCOMPARE(TextCodec::windows1252().isSingleByte(text), tagInWindows1252);
    }

    // A key piece that starts or ends inside a character upper-cases that character whole.
    void upperSpanOfACutCharacter()
    {
        const QByteArray field = QStringLiteral("яж").toUtf8(); // 4 bytes
        char out[2];
        TextCodec::utf8().upperSpan(
            field.constData(), field.constData() + 4, field.constData() + 1, 2, out);
        const QByteArray upper = QStringLiteral("ЯЖ").toUtf8();
        QCOMPARE(QByteArray(out, 2), upper.mid(1, 2));
    }
};

QTEST_GUILESS_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
