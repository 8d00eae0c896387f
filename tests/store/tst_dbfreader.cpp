#include "dbftesthelp.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace dbftest;

// Reads what we write with an independent dBase reader (Debian's python3-dbfread).
class TestDbfReader : public QObject
{
    Q_OBJECT

    static constexpr const char *kPython = "/usr/bin/python3";

    static QByteArray script()
    {
        return "import sys, json\n"
               "from dbfread import DBF\n"
               "t = DBF(sys.argv[1], encoding='cp1252', load=True, ignore_missing_memofile=True)\n"
               "def row(r, deleted):\n"
               "    d = {k: (v.isoformat() if hasattr(v, 'isoformat') else v) for k, v in "
               "r.items()}\n"
               "    d['_deleted'] = deleted\n"
               "    return d\n"
               "out = {'fields': [[f.name, f.type, f.length] for f in t.fields],\n"
               "       'records': [row(r, False) for r in t.records] + "
               "[row(r, True) for r in t.deleted]}\n"
               "print(json.dumps(out))\n";
    }

private slots:
    void dbfreadSeesWhatWeWrote()
    {
        QProcess probe;
        probe.start(kPython, { "-c", "import dbfread" });
        if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit
            || probe.exitCode() != 0)
            QSKIP("/usr/bin/python3 cannot import dbfread");

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("awkward.dbf"));
        DBF_VERIFY_OK(DbfTable::create(path, catalogueFields(), catalogueTags()));
        const QString accents
            = QStringLiteral("\u00e9t\u00e9 \u00fcber Stra\u00dfe \u20ac \u0152uvre");
        const QString longName = QString(85, QLatin1Char('L'));
        {
            DbfTable t;
            DBF_VERIFY_OK(t.open(path, catalogueTags()));
            DBF_VERIFY_OK(add(t, { "A\\", accents, QDate(2021, 4, 3), "  two leading", "XY" }));
            DBF_VERIFY_OK(add(t, { "A\\", longName, {}, {}, {} }));
            DBF_VERIFY_OK(add(t, { "B\\", "gone.txt", QDate(1999, 12, 31), "deleted", "D" }));
            DBF_VERIFY_OK(t.deleteRecord());
            DBF_VERIFY_OK(t.close());
        }
        QProcess py;
        py.start(kPython, { "-c", script(), path });
        QVERIFY(py.waitForFinished(30000));
        QVERIFY2(py.exitCode() == 0, py.readAllStandardError().constData());
        const QJsonObject doc = QJsonDocument::fromJson(py.readAllStandardOutput()).object();

        const QJsonArray fields = doc["fields"].toArray();
        QCOMPARE(fields.size(), 6);
        const char *names[] = { "DIR", "NAME", "DATE", "NOTE", "CODE", "SIZE" };
        const int widths[] = { 80, 80, 8, 80, 10, 6 };
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(fields[i].toArray()[0].toString(), QString::fromLatin1(names[i]));
            QCOMPARE(fields[i].toArray()[1].toString(), QString(i == 2 ? "D" : "C"));
            QCOMPARE(fields[i].toArray()[2].toInt(), widths[i]);
        }
        const QJsonArray recs = doc["records"].toArray();
        QCOMPARE(recs.size(), 3);
        const QJsonObject first = recs[0].toObject();
        QCOMPARE(first["NAME"].toString(), accents);
        QCOMPARE(first["DIR"].toString(), QStringLiteral("A\\"));
        QCOMPARE(first["DATE"].toString(), QStringLiteral("2021-04-03"));
        QCOMPARE(first["NOTE"].toString(), QStringLiteral("  two leading"));
        QCOMPARE(first["CODE"].toString(), QStringLiteral("XY"));
        QCOMPARE(first["SIZE"].toString(), QString());
        QCOMPARE(first["_deleted"].toBool(), false);
        const QJsonObject second = recs[1].toObject();
        QCOMPARE(second["NAME"].toString(), longName.left(80));
        QVERIFY(second["DATE"].isNull());
        QCOMPARE(second["_deleted"].toBool(), false);
        const QJsonObject gone = recs[2].toObject();
        QCOMPARE(gone["NAME"].toString(), QStringLiteral("gone.txt"));
        QCOMPARE(gone["DATE"].toString(), QStringLiteral("1999-12-31"));
        QCOMPARE(gone["_deleted"].toBool(), true);
    }
};

QTEST_GUILESS_MAIN(TestDbfReader)
#include "tst_dbfreader.moc"
