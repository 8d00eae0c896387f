#include "dbftesthelp.h"
#include "store/keyexpr.h"

#include <QtTest>

using namespace dbftest;

namespace
{

// A catalogue record with the given field values, flag first.
QByteArray record(const QByteArray &dir, const QByteArray &name, const QByteArray &date,
    const QByteArray &note = {}, const QByteArray &code = {})
{
    QByteArray r(265, ' ');
    auto put = [&](int at, const QByteArray &v) { r.replace(at, v.size(), v); };
    put(1, dir);
    put(81, name);
    put(161, date);
    put(169, note);
    put(249, code);
    return r;
}

QByteArray blanks(int n)
{
    return QByteArray(n, ' ');
}

} // namespace

class TestDbfKeyExpr : public QObject
{
    Q_OBJECT

    std::vector<DbfField> m_fields;

private slots:
    void initTestCase()
    {
        m_fields = catalogueFields();
        int offset = 0;
        for (DbfField &f : m_fields) {
            f.offset = offset;
            offset += f.width;
        }
    }

    void evaluate_data()
    {
        QTest::addColumn<QByteArray>("expression");
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QByteArray>("key");
        const QByteArray rec
            = record("PHOTOS\\", "abc\xe9\x9c\xff\xdf.jpg", "20210403", "note", "XY");
        const QByteArray dir = QByteArray("PHOTOS\\") + blanks(73);
        QTest::newRow("tag 1") << QByteArray("DIR+UPPER(SUBSTR(NAME,1,20))") << rec
                               << dir + "ABC\xc9\x8c\x9f\xdf.JPG" + blanks(9);
        QTest::newRow("tag 2") << QByteArray("DIR+DTOS(DATE)+UPPER(SUBSTR(NAME,1,10))") << rec
                               << dir + "20210403" + "ABC\xc9\x8c\x9f\xdf.JP";
        QTest::newRow("tag 3") << QByteArray("DIR+CODE+UPPER(SUBSTR(NAME,1,10))") << rec
                               << dir + "XY" + blanks(8) + "ABC\xc9\x8c\x9f\xdf.JP";
        QTest::newRow("tag 4") << QByteArray("DIR+UPPER(SUBSTR(NOTE,1,20))") << rec
                               << dir + "NOTE" + blanks(16);
        QTest::newRow("blank date")
            << QByteArray("DTOS(DATE)+CODE") << record("", "", "        ", "", "C")
            << blanks(8) + "C" + blanks(9);
        QTest::newRow("lower case, blanks")
            << QByteArray(" upper ( substr( name , 2 , 3 ) ) ") << rec << QByteArray("BC\xc9");
        QTest::newRow("substr of upper of sum")
            << QByteArray("SUBSTR(UPPER(CODE+NOTE),9,5)") << rec << QByteArray("  NOT");
        QTest::newRow("substr to the end") << QByteArray("SUBSTR(CODE,9)") << rec << blanks(2);
        QTest::newRow("constant") << QByteArray("CODE+'-'+SIZE") << rec
                                  << QByteArray("XY") + blanks(8) + "-" + blanks(6);
        QTest::newRow("parentheses")
            << QByteArray("(CODE)+(SIZE)") << rec << blanks(0) + "XY" + blanks(14);
    }
    void evaluate()
    {
        QFETCH(QByteArray, expression);
        QFETCH(QByteArray, record);
        QFETCH(QByteArray, key);
        KeyExpr e;
        DBF_VERIFY_OK(e.parse(expression, m_fields));
        QCOMPARE(e.length(), int(key.size()));
        QByteArray out(e.length(), '?');
        e.evaluate(record.constData(), out.data());
        QCOMPARE(out, key);
        // A key differing in any one byte is not the record's.
        QVERIFY(e.matches(record.constData(), key.constData()));
        for (int i = 0; i < key.size(); ++i) {
            QByteArray other = key;
            other[i] = char(other[i] ^ 0x20);
            QVERIFY2(
                !e.matches(record.constData(), other.constData()), qPrintable(QString::number(i)));
        }
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("expression");
        QTest::addColumn<int>("code");
        QTest::newRow("unknown field") << QByteArray("DIR+NAMES") << int(DbStatus::BadExpression);
        QTest::newRow("unknown function")
            << QByteArray("TRIM(NAME)") << int(DbStatus::BadExpression);
        QTest::newRow("date joined") << QByteArray("DIR+DATE") << int(DbStatus::BadExpression);
        QTest::newRow("date alone") << QByteArray("DATE") << int(DbStatus::BadExpression);
        QTest::newRow("dtos of text") << QByteArray("DTOS(NAME)") << int(DbStatus::BadExpression);
        QTest::newRow("upper of date") << QByteArray("UPPER(DATE)") << int(DbStatus::BadExpression);
        QTest::newRow("missing paren") << QByteArray("UPPER(NAME") << int(DbStatus::BadExpression);
        QTest::newRow("extra text") << QByteArray("NAME)") << int(DbStatus::BadExpression);
        QTest::newRow("substr from 0")
            << QByteArray("SUBSTR(NAME,0,3)") << int(DbStatus::BadExpression);
        QTest::newRow("substr no start")
            << QByteArray("SUBSTR(NAME)") << int(DbStatus::BadExpression);
        QTest::newRow("open string") << QByteArray("NAME+'x") << int(DbStatus::BadExpression);
        QTest::newRow("empty") << QByteArray("") << int(DbStatus::BadExpression);
        QTest::newRow("empty result")
            << QByteArray("SUBSTR(CODE,5,10)") << int(DbStatus::BadExpression);
        QTest::newRow("trailing plus") << QByteArray("NAME+") << int(DbStatus::BadExpression);
        QTest::newRow("deep nesting")
            << QByteArray(200, '(') + "NAME" + QByteArray(200, ')') << int(DbStatus::BadExpression);
        QTest::newRow("101 characters")
            << QByteArray("DIR+SUBSTR(NAME,1,21)") << int(DbStatus::KeyTooLong);
    }
    void refused()
    {
        QFETCH(QByteArray, expression);
        QFETCH(int, code);
        KeyExpr e;
        const DbStatus st = e.parse(expression, m_fields);
        QCOMPARE(int(st.code()), code);
        QVERIFY(!st.message().isEmpty());
    }

    void tooLongMessage()
    {
        KeyExpr e;
        QCOMPARE(e.parse("DIR+NOTE", m_fields).message(),
            QStringLiteral("Index result for \"DIR+NOTE\" too long, >100 characters (160)."));
        DBF_VERIFY_OK(e.parse("DIR+SUBSTR(NAME,1,20)", m_fields));
        QCOMPARE(e.length(), 100);
    }
};

QTEST_GUILESS_MAIN(TestDbfKeyExpr)
#include "tst_dbfkeyexpr.moc"
