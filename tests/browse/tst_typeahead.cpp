#include "browse/typeahead.h"
#include "store/catalogtable.h"
#include "support/catalogrecords.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

bool goToName(CatalogTable &t, const QString &name)
{
    for (DbStatus st = t.table().first(); st && !t.table().eof(); st = t.table().next())
        if (t.text(CatalogTable::NAME) == name)
            return true;
    return false;
}

} // namespace

class TestTypeAhead : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(m_table.open(m_dir->path(), QStringLiteral("Arch")));
        // Neighbouring folders make sure the walk never leaves the range.
        QVERIFY(testutil::addRecords(m_table,
            { { QStringLiteral("A\\"), QStringLiteral("zebra.txt") },
                { QStringLiteral("OBST\\"), QStringLiteral("Birne.jpg") },
                { QStringLiteral("OBST\\"), QStringLiteral("apfel.jpg") },
                { QStringLiteral("OBST\\"), QStringLiteral("Banane.jpg") },
                { QStringLiteral("OBST\\"), QStringLiteral("äpfelchen.jpg") },
                { QStringLiteral("OBSTX\\"), QStringLiteral("Beere.jpg") } }));
        QVERIFY(m_table.setFolderRange(QStringLiteral("Obst\\")));
    }
    void cleanup() { m_table.close(); }

    void walk_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("found");
        // By name the folder reads apfel, Banane, Birne, äpfelchen (Ä sorts after Z).
        QTest::newRow("wraps to the top") << "Birne.jpg"
                                          << "b"
                                          << "Banane.jpg" << true;
        QTest::newRow("last current wraps") << "äpfelchen.jpg"
                                            << "B"
                                            << "Banane.jpg" << true;
        QTest::newRow("first current finds the next") << "apfel.jpg"
                                                      << "b"
                                                      << "Banane.jpg" << true;
        QTest::newRow("from a match to the next match") << "Banane.jpg"
                                                        << "B"
                                                        << "Birne.jpg" << true;
        QTest::newRow("lower case name, upper key") << "Birne.jpg"
                                                    << "A"
                                                    << "apfel.jpg" << true;
        QTest::newRow("accented letter by the code page") << "apfel.jpg"
                                                          << "Ä"
                                                          << "äpfelchen.jpg" << true;
        QTest::newRow("no match leaves the last") << "apfel.jpg"
                                                  << "x"
                                                  << "äpfelchen.jpg" << false;
        QTest::newRow("the only match is the current") << "äpfelchen.jpg"
                                                       << "ä"
                                                       << "äpfelchen.jpg" << true;
    }
    void walk()
    {
        QFETCH(QString, current);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(bool, found);
        QVERIFY(goToName(m_table, current));
        QSignalSpy attached(&m_table, &CatalogTable::viewsAttached);
        QCOMPARE(typeAhead(m_table, typed.left(1)), found);
        QCOMPARE(m_table.text(CatalogTable::NAME), expected);
        QCOMPARE(attached.count(), 1); // one repaint, after the walk
        QVERIFY(!m_table.isDetached());
    }

    void emptyFolderFindsNothing()
    {
        QVERIFY(m_table.setFolderRange(QStringLiteral("NONE\\")));
        QVERIFY(!typeAhead(m_table, QStringLiteral("b")));
        QCOMPARE(m_table.table().recNo(), -1);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    CatalogTable m_table;
};

QTEST_GUILESS_MAIN(TestTypeAhead)
#include "tst_typeahead.moc"
