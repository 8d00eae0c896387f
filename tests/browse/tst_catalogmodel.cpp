#include "browse/catalogmodel.h"
#include "store/catalogtable.h"
#include "support/catalogrecords.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestCatalogModel : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_table.open(m_dir->path(), QStringLiteral("Arch")));
        QVERIFY(testutil::addRecords(m_table,
            { { "A\\", "b.txt" }, { "B\\", "x.txt" }, { "A\\", "a.txt" }, { "A\\", "c.txt" } }));
    }
    void cleanup() { m_table.close(); }

    void rowsFollowTheRangeAndKeepTheCurrentRecord()
    {
        CatalogModel model(&m_table);
        QAbstractItemModelTester tester(
            &model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(m_table.setFolderRange(QStringLiteral("a\\")));
        QVERIFY(m_table.table().goTo(4)); // c.txt
        model.reload();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.fieldText(0, CatalogTable::NAME), QStringLiteral("a.txt"));
        QCOMPARE(model.recnoAt(2), quint32(4));
        QCOMPARE(model.rowOfRecno(3), 0);
        QCOMPARE(model.rowOfRecno(2), -1); // another folder's record
        QCOMPARE(model.rowOfRecno(-1), -1);
        QCOMPARE(model.currentRow(), 2);
        QCOMPARE(model.recnoAt(7), quint32(0));
    }

    // Another program renamed c.txt to 0.txt behind the index: the walk that meets its
    // entry has the index rebuilt and says that it missed a record; the rows are read again.
    void rowsAreReadAgainAfterAMendedIndex()
    {
        const QString path = m_table.fileName();
        QVERIFY(m_table.close());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray head = file.read(12);
        const int headerLength = quint8(head[8]) | quint8(head[9]) << 8;
        const int recordLength = quint8(head[10]) | quint8(head[11]) << 8;
        QVERIFY(file.seek(headerLength + 3 * recordLength + 1 + 80));
        QCOMPARE(file.write("0.txt", 5), 5);
        file.close();
        QVERIFY(m_table.open(m_dir->path(), QStringLiteral("Arch")));
        QVERIFY(m_table.setFolderRange(QStringLiteral("A\\")));
        CatalogModel model(&m_table);
        model.reload();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.fieldText(0, CatalogTable::NAME), QStringLiteral("0.txt"));
        QCOMPARE(model.fieldText(2, CatalogTable::NAME), QStringLiteral("b.txt"));
    }

    void detachedWalkReloadsOnce()
    {
        CatalogModel model(&m_table);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        m_table.detachViews();
        m_table.detachViews();
        QVERIFY(m_table.setFolderRange(QStringLiteral("B\\")));
        m_table.attachViews();
        QCOMPARE(resets.count(), 0);
        m_table.attachViews();
        QCOMPARE(resets.count(), 1);
        QCOMPARE(model.rowCount(), 1);
    }

    void sortedTitleIsRed()
    {
        CatalogModel model(&m_table);
        QSignalSpy headers(&model, &QAbstractItemModel::headerDataChanged);
        const auto colour = [&](int c) {
            return model.headerData(c, Qt::Horizontal, Qt::ForegroundRole).value<QBrush>().color();
        };
        QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::ForegroundRole).isValid());
        model.setSortedColumn(CatalogModel::columnOfOrder(2));
        QCOMPARE(colour(CatalogModel::DateColumn), QColor(Qt::red));
        QCOMPARE(colour(CatalogModel::FileColumn), QColor(Qt::black));
        QVERIFY(!model.headerData(CatalogModel::SizeColumn, Qt::Horizontal, Qt::ForegroundRole)
                     .isValid());
        QCOMPARE(headers.count(), 1);
        model.setSortedColumn(CatalogModel::columnOfOrder(9)); // no order: no mark
        QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::ForegroundRole).isValid());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    CatalogTable m_table;
};

QTEST_GUILESS_MAIN(TestCatalogModel)
#include "tst_catalogmodel.moc"
