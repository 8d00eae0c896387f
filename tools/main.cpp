// tabulon-cli: inspect and repair catalogue tables from the command line.
#include "platform/codepage.h"
#include "printcommand.h"
#include "store/catalogtable.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace
{

const char kUsage[]
    = "usage: tabulon-cli COMMAND TABLE.dbf [ARGS]\n"
      "  create T.dbf                     new empty catalogue table with its index\n"
      "  import T.dbf FILE.tsv            append rows DIR NAME DATE NOTE CODE SIZE (UTF-8)\n"
      "  dump T.dbf [--order 1|2|3|4] [--folder DIR]\n"
      "                                   live records as TSV (physical order by default)\n"
      "  check T.dbf                      verify table and index\n"
      "  reindex T.dbf                    rebuild the index\n"
      "  pack T.dbf                       remove records marked deleted\n"
      "  delete T.dbf RECNO...            mark records deleted\n";

int fail(const QString &message)
{
    std::fprintf(stderr, "tabulon-cli: %s\n", message.toLocal8Bit().constData());
    return 1;
}

int usage()
{
    std::fputs(kUsage, stderr);
    std::fputs(kPrintUsage, stderr);
    return 2;
}

DbStatus openTable(DbfTable &table, const QString &path)
{
    if (!QFileInfo::exists(path))
        return { DbStatus::NotFound, QStringLiteral("%1: no such table").arg(path) };
    DbStatus st = table.open(path, CatalogTable::tags(), CatalogTable::layout());
    if (st.code() == DbStatus::Locked)
        return { DbStatus::Locked,
            QStringLiteral("%1 is in use by another program (locked)").arg(path) };
    return st;
}

// Tabs and line ends cannot stand inside a TSV field: they become blanks.
QString tsvField(QString s)
{
    for (QChar &c : s)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return s;
}

int cmdCreate(const QString &path)
{
    if (QFileInfo::exists(path))
        return fail(QStringLiteral("%1 exists already").arg(path));
    const DbStatus st = DbfTable::create(path, CatalogTable::layout(), CatalogTable::tags());
    return st ? 0 : fail(st.message());
}

bool parseRow(const QString &line, QStringList &cols, QDate &date, QString &error)
{
    cols = line.split(QLatin1Char('\t'));
    if (cols.size() != 6) {
        error = QStringLiteral("expected 6 tab-separated columns, found %1").arg(cols.size());
        return false;
    }
    date = QDate();
    const QString d = cols[2].trimmed();
    if (!d.isEmpty()) {
        date = QDate::fromString(d, QStringLiteral("yyyyMMdd"));
        if (!date.isValid() || d.size() != 8) {
            error = QStringLiteral("DATE '%1' is not yyyymmdd").arg(d);
            return false;
        }
    }
    return true;
}

int cmdImport(const QString &path, const QString &tsv)
{
    QFile in(tsv);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1: %2").arg(tsv, in.errorString()));
    DbfTable table;
    DbStatus st = openTable(table, path);
    if (!st)
        return fail(st.message());
    st = table.setOrder(QByteArray());
    QTextStream stream(&in);
    stream.setEncoding(QStringConverter::Utf8);
    qint64 lineNo = 0, rows = 0;
    QString line, error;
    QStringList cols;
    QDate date;
    while (st && stream.readLineInto(&line)) {
        ++lineNo;
        if (line.isEmpty())
            continue;
        if (!parseRow(line, cols, date, error)) {
            table.close();
            return fail(QStringLiteral("%1:%2: %3").arg(tsv).arg(lineNo).arg(error));
        }
        st = table.append();
        if (!st)
            break;
        table.setFieldText(CatalogTable::DIR, codepage::upperText(cols[0]));
        table.setFieldText(CatalogTable::NAME, cols[1]);
        table.setFieldDate(CatalogTable::DATE, date);
        table.setFieldText(CatalogTable::NOTE, cols[3]);
        table.setFieldText(CatalogTable::CODE, cols[4]);
        table.setFieldText(CatalogTable::SIZE, cols[5]);
        st = table.post();
        if (st && ++rows % 100000 == 0)
            std::fprintf(stderr, "%lld rows imported\n", static_cast<long long>(rows));
    }
    const DbStatus closed = table.close();
    if (!st)
        return fail(st.message());
    if (!closed)
        return fail(closed.message());
    if (rows >= 100000)
        std::fprintf(stderr, "%lld rows imported\n", static_cast<long long>(rows));
    return 0;
}

int cmdDump(const QString &path, const QStringList &args)
{
    QByteArray order;
    QString folder;
    bool hasFolder = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--order") && i + 1 < args.size())
            order = args[++i].toLatin1();
        else if (args[i] == QLatin1String("--folder") && i + 1 < args.size())
            folder = args[++i], hasFolder = true;
        else
            return usage();
    }
    if (!order.isEmpty() && (order.size() != 1 || order[0] < '1' || order[0] > '4'))
        return fail(QStringLiteral("--order takes 1, 2, 3 or 4"));
    if (hasFolder && order.isEmpty())
        order = "1";
    DbfTable table;
    DbStatus st = openTable(table, path);
    if (st)
        st = table.setOrder(order);
    if (st && hasFolder) {
        folder.replace(QLatin1Char('/'), QLatin1Char('\\'));
        if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('\\')))
            folder += QLatin1Char('\\');
        const auto [low, high] = CatalogTable::folderRange(folder);
        st = table.setRange(low, high);
    }
    if (!st)
        return fail(st.message());
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (st = table.first(); st && !table.eof(); st = table.next()) {
        const QDate d = table.fieldDate(CatalogTable::DATE);
        out << tsvField(table.fieldText(CatalogTable::DIR)) << '\t'
            << tsvField(table.fieldText(CatalogTable::NAME)) << '\t'
            << (d.isValid() ? d.toString(QStringLiteral("yyyyMMdd")) : QString()) << '\t'
            << tsvField(table.fieldText(CatalogTable::NOTE)) << '\t'
            << tsvField(table.fieldText(CatalogTable::CODE)) << '\t'
            << tsvField(table.fieldText(CatalogTable::SIZE)) << '\n';
    }
    out.flush();
    return st ? 0 : fail(st.message());
}

int cmdCheck(const QString &path)
{
    DbfTable table;
    DbStatus st = openTable(table, path);
    if (!st)
        return fail(st.message());
    QStringList faults;
    st = table.check(faults);
    for (const QString &f : faults)
        std::fprintf(stderr, "%s\n", f.toLocal8Bit().constData());
    if (!st || !faults.isEmpty())
        return fail(
            st ? QStringLiteral("%1: %2 fault(s)").arg(path).arg(faults.size()) : st.message());
    std::printf("%s: sound, %u records\n", path.toLocal8Bit().constData(), table.physicalCount());
    return 0;
}

int cmdSimple(const QString &command, const QString &path, const QStringList &args)
{
    DbfTable table;
    DbStatus st = openTable(table, path);
    if (!st)
        return fail(st.message());
    if (command == QLatin1String("reindex")) {
        st = table.reindex();
    } else if (command == QLatin1String("pack")) {
        st = table.pack();
    } else {
        if (args.isEmpty())
            return usage();
        st = table.setOrder(QByteArray());
        for (const QString &a : args) {
            bool ok = false;
            const uint recno = a.toUInt(&ok);
            if (!ok || recno == 0 || recno > table.physicalCount())
                return fail(QStringLiteral("no record %1 in %2").arg(a, path));
            st = table.goTo(recno);
            if (st)
                st = table.deleteRecord();
            if (!st)
                break;
        }
    }
    const DbStatus closed = table.close();
    if (!st)
        return fail(st.message());
    return closed ? 0 : fail(closed.message());
}

} // namespace

int main(int argc, char **argv)
{
    // A listing is drawn with fonts, which need the graphical application object; it runs
    // offscreen, so that no display is needed.
    const bool drawing = argc > 1 && qstrcmp(argv[1], "print") == 0;
    if (drawing) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The platform's own notes (no runtime folder, say) are no errors of the command:
        // errors stay one line of ours.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", msg.toLocal8Bit().constData());
        });
    }
    const std::unique_ptr<QCoreApplication> app(
        drawing ? new QGuiApplication(argc, argv) : new QCoreApplication(argc, argv));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString command = args.takeFirst();
    const QString path = args.takeFirst();
    if (command == QLatin1String("create") && args.isEmpty())
        return cmdCreate(path);
    if (command == QLatin1String("import") && args.size() == 1)
        return cmdImport(path, args[0]);
    if (command == QLatin1String("dump"))
        return cmdDump(path, args);
    if (command == QLatin1String("check") && args.isEmpty())
        return cmdCheck(path);
    if ((command == QLatin1String("reindex") || command == QLatin1String("pack")) && args.isEmpty())
        return cmdSimple(command, path, args);
    if (command == QLatin1String("delete"))
        return cmdSimple(command, path, args);
    if (command == QLatin1String("print"))
        return cmdPrint(path, args);
    return usage();
}
