#include "platform/diskpath.h"
#include "support/testutil.h"

#include <QDir>
#include <QtTest>

class TestDiskPath : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_root;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.path();
        const QStringList files = {
            QStringLiteral("Photos/2019/Beach.JPG"),
            QStringLiteral("Twins/Photo/a.txt"),
            QStringLiteral("Twins/PHOTO/b.txt"),
            QStringLiteral("Pair/Photo/c.txt"),
            QStringLiteral("Pair/photo/d.txt"),
            QStringLiteral("\u00c9t\u00e9/\u0153uvre.txt"),
        };
        for (const QString &f : files)
            QVERIFY(testutil::writeFile(m_root + QLatin1Char('/') + f, "x"));
    }

    void resolve_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("expected"); // below the root, "/"-separated
        QTest::newRow("upper-cased DIR") << "PHOTOS\\2019\\"
                                         << "Photos/2019";
        QTest::newRow("DIR and NAME") << "PHOTOS\\2019\\beach.jpg"
                                      << "Photos/2019/Beach.JPG";
        QTest::newRow("exact name wins") << "Twins\\Photo\\a.txt"
                                         << "Twins/Photo/a.txt";
        QTest::newRow("upper variant for DIR") << "TWINS\\PHOTO\\"
                                               << "Twins/PHOTO";
        QTest::newRow("no exact: upper variant") << "twins\\photo"
                                                 << "Twins/PHOTO";
        QTest::newRow("no upper variant: code-point order") << "PAIR\\PHOTO\\"
                                                            << "Pair/Photo";
        QTest::newRow("missing parts keep case") << "PHOTOS\\New\\Sub\\x.txt"
                                                 << "Photos/New/Sub/x.txt";
        QTest::newRow("missing folder stops matching") << "Nope\\photos"
                                                       << "Nope/photos";
        QTest::newRow("Windows-1252 upper-casing") << "\u00c9T\u00c9\\\u0152UVRE.TXT"
                                                   << "\u00c9t\u00e9/\u0153uvre.txt";
        QTest::newRow("slash typed") << "photos/2019"
                                     << "Photos/2019";
        QTest::newRow("leading and doubled separators") << "\\PHOTOS\\\\2019"
                                                        << "Photos/2019";
        QTest::newRow("empty is the root") << ""
                                           << "";
    }
    void resolve()
    {
        QFETCH(QString, relative);
        QFETCH(QString, expected);
        const QString want = expected.isEmpty() ? m_root : m_root + QLatin1Char('/') + expected;
        QCOMPARE(diskpath::resolve(m_root, relative), want);
        QCOMPARE(diskpath::resolve(m_root + QLatin1Char('/'), relative), want);
        const PathResolver resolver(m_root);
        QCOMPARE(resolver.resolve(relative), want);
        QCOMPARE(resolver.resolve(relative), want); // from the cached listings
    }

    void pathsLeavingTheRootAreRefused_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("parent") << "..\\etc\\passwd";
        QTest::newRow("inside") << "PHOTOS\\..\\..\\x";
        QTest::newRow("dot") << ".\\PHOTOS";
        QTest::newRow("slashes") << "a/../../b";
    }
    void pathsLeavingTheRootAreRefused()
    {
        QFETCH(QString, relative);
        QVERIFY(!diskpath::staysBelowRoot(relative));
        QVERIFY(diskpath::resolve(m_root, relative).isEmpty());
        QVERIFY(!PathResolver(m_root).exists(relative));
    }

    void existsMatchesWithoutCase()
    {
        const PathResolver resolver(m_root);
        QVERIFY(resolver.exists(QStringLiteral("PHOTOS\\2019\\BEACH.JPG")));
        QVERIFY(resolver.exists(QStringLiteral("PHOTOS\\2019\\")));
        QVERIFY(!resolver.exists(QStringLiteral("PHOTOS\\2019\\gone.jpg")));
        // A file created after the folder was listed is still found by its own name.
        QVERIFY(testutil::writeFile(m_root + QStringLiteral("/Photos/2019/new.jpg"), "y"));
        QVERIFY(resolver.exists(QStringLiteral("PHOTOS\\2019\\new.jpg")));
    }

    void cataloguableNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("cataloguable");
        QTest::newRow("plain") << "photo.jpg" << true;
        QTest::newRow("blanks and accents") << "my \u00e9t\u00e9 photo.jpg" << true;
        QTest::newRow("euro sign") << "\u20ac 5.txt" << true;
        QTest::newRow("backslash") << "a\\b.txt" << false;
        QTest::newRow("not in Windows-1252") << "\u65e5\u672c.txt" << false;
        QTest::newRow("invalid UTF-8 on disk") << "a\ufffd.txt" << false;
        QTest::newRow("line break") << "a\nb.txt" << false;
        QTest::newRow("empty") << "" << false;
    }
    void cataloguableNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, cataloguable);
        QCOMPARE(diskpath::isCataloguable(name), cataloguable);
        bool ok = !cataloguable;
        const QByteArray ansi = diskpath::catalogueName(name, &ok);
        QCOMPARE(ok, cataloguable);
        if (cataloguable)
            QCOMPARE(diskpath::diskName(ansi), name);
        else
            QVERIFY(ansi.isEmpty());
    }

    void separators()
    {
        QCOMPARE(diskpath::fromTyped(QStringLiteral("new/sub/")), QStringLiteral("new\\sub\\"));
        QCOMPARE(diskpath::toNative(QStringLiteral("A\\B\\c.txt")), QStringLiteral("A/B/c.txt"));
    }

    void preferredVariant()
    {
        QCOMPARE(diskpath::preferredVariant(
                     { QStringLiteral("photo"), QStringLiteral("PHOTO"), QStringLiteral("Photo") }),
            QStringLiteral("PHOTO"));
        QCOMPARE(diskpath::preferredVariant({ QStringLiteral("photo"), QStringLiteral("Photo") }),
            QStringLiteral("Photo"));
        // The upper-case form of y-diaeresis sorts after it; the upper variant still wins.
        QCOMPARE(diskpath::preferredVariant({ QStringLiteral("\u00ff"), QStringLiteral("\u0178") }),
            QStringLiteral("\u0178"));
    }
};

QTEST_GUILESS_MAIN(TestDiskPath)
#include "tst_diskpath.moc"
