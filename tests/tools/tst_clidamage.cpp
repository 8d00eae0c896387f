// tabulon-cli on a catalogue whose index is damaged, or must be rebuilt on a disk without
// room for it: reading commands give every record and say what happened, update adds no
// second record for a file, and nothing is reported as done that was not.
#include "support/processrun.h"
#include "support/testutil.h"

#include <QDir>
#include <QtTest>

namespace
{

constexpr int kFiles = 40;

quint32 le32(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8
        | quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}

void put32(QByteArray &b, int at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

class TestCliDamage : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_sound; // dump --order 1 of the sound catalogue

    QString root() const { return m_dir->path() + QStringLiteral("/root/"); }
    QString table() const { return root() + QStringLiteral("Arch.dbf"); }
    QString index() const { return root() + QStringLiteral("Arch.mdx"); }
    QStringList dump(ProcessRun *run = nullptr)
    {
        const ProcessRun r
            = runCli({ QStringLiteral("dump"), table(), QStringLiteral("--order"), "1" });
        if (run)
            *run = r;
        return r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Runs the tool with files limited to the given size, as on a disk that has only that
    // much room for a new file.
    ProcessRun runWithRoom(int kilobytes, const QStringList &args)
    {
        return runProcess(QStringLiteral("/bin/bash"),
            QStringList { QStringLiteral("-c"),
                QStringLiteral("trap '' XFSZ; ulimit -f %1; exec \"$0\" \"$@\"").arg(kilobytes),
                QStringLiteral(TABULON_CLI) }
                + args);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        for (int i = 0; i < kFiles; ++i)
            QVERIFY(testutil::writeFile(
                root() + QStringLiteral("F%1/file%2.txt").arg(i % 3).arg(i * 7 % kFiles), "x"));
        QCOMPARE(runCli({ QStringLiteral("create"), table() }).exitCode, 0);
        QCOMPARE(
            runCli({ QStringLiteral("update"), table(), QStringLiteral("--all") }).exitCode, 0);
        m_sound = dump();
        QCOMPARE(m_sound.size(), kFiles);
    }

    // An entry of order 1 that names no record: dump gives every record and says that the
    // index was rebuilt; update --all finds every file's record and adds none.
    void damagedEntry_data()
    {
        QTest::addColumn<quint32>("recno");
        QTest::addColumn<QString>("command");
        for (const char *command : { "dump", "update" }) {
            QTest::addRow("record number zero, %s", command) << 0u << QString(command);
            QTest::addRow("record number past the end, %s", command)
                << quint32(kFiles + 1) << QString(command);
            QTest::addRow("record number 0xFFFFFFFF, %s", command)
                << 0xFFFFFFFFu << QString(command);
        }
    }
    void damagedEntry()
    {
        QFETCH(quint32, recno);
        QFETCH(QString, command);
        QByteArray bytes = testutil::readFile(index());
        const int firstLeaf = int(le32(bytes, 4 * 512 + 248)) * 512;
        put32(bytes, firstLeaf + 8 + 104, recno);
        QVERIFY(testutil::writeFile(index(), bytes));

        ProcessRun r;
        if (command == QLatin1String("dump")) {
            QCOMPARE(dump(&r), m_sound);
        } else {
            r = runCli({ QStringLiteral("update"), table(), QStringLiteral("--all") });
            QVERIFY2(r.out.startsWith(QLatin1String("0 appended")), qPrintable(r.out));
            QCOMPARE(dump(), m_sound);
        }
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(QLatin1String("rebuilt")), qPrintable(r.err));
        QCOMPARE(runCli({ QStringLiteral("check"), table() }).exitCode, 0);
    }

    // An index that must be rebuilt (a change stopped half way left its mark) on a disk
    // without room for a new one: the reading commands read without it and say so, a
    // command that would change the table stops with the disk's status and changes
    // nothing, and with room again the index is rebuilt.
    void fullDisk_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("dump") << QStringList { "dump", "@T", "--order", "1" } << 0;
        QTest::newRow("dump of a folder") << QStringList { "dump", "@T", "--folder", "F1" } << 0;
        QTest::newRow("check") << QStringList { "check", "@T" } << 0;
        QTest::newRow("export") << QStringList { "export", "@T", "--format", "csv" } << 0;
        QTest::newRow("search") << QStringList { "search", "@T", "file1" } << 0;
        QTest::newRow("update") << QStringList { "update", "@T", "--all" } << 4;
        QTest::newRow("delete") << QStringList { "delete", "@T", "3" } << 4;
    }
    void fullDisk()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        args.replaceInStrings(QStringLiteral("@T"), table());
        QByteArray bytes = testutil::readFile(index());
        bytes[47] = 1; // the busy mark
        QVERIFY(testutil::writeFile(index(), bytes));
        QVERIFY(testutil::writeFile(root() + QStringLiteral("F1/new.txt"), "y"));
        const QByteArray before = testutil::readFile(table());
        QVERIFY(before.size() < 12 * 1024);

        const ProcessRun full = runWithRoom(12, args);
        QCOMPARE(full.exitCode, status);
        QVERIFY2(full.err.contains(QLatin1String("when there is room")), qPrintable(full.err));
        QByteArray after = testutil::readFile(table());
        QCOMPARE(int(after[28]), 0); // the table says that its index is to be rebuilt
        after[28] = before[28];
        QCOMPARE(after, before);
        const ProcessRun sound = runCli(args);
        if (status == 0)
            QCOMPARE(full.out, sound.out);
        QCOMPARE(sound.exitCode, 0);
        QVERIFY2(!sound.err.contains(QLatin1String("room")), qPrintable(sound.err));
        QCOMPARE(runCli({ QStringLiteral("check"), table() }).exitCode, 0);
    }
};

QTEST_GUILESS_MAIN(TestCliDamage)
#include "tst_clidamage.moc"
