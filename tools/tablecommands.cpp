#include "cli.h"
#include "commands.h"
#include "store/catalogtable.h"
#include "store/dbfconvert.h"

#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

// The commands on the table file itself: create, dump, check and the repairs (import is
// importcommand.cpp).

using cli::fail;
using cli::failed;

namespace
{

// Tabs and line ends cannot stand inside a TSV field: they become blanks.
QString tsvField(QString s)
{
    for (QChar &c : s)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return s;
}

// The table's choices as one line: "encoding: UTF-8; files without extension: yes".
QString choicesLine(const DbfTable &table)
{
    return QStringLiteral("encoding: %1; files without extension: %2")
        .arg(table.codec().name(),
            table.choices().extensionless ? QStringLiteral("yes") : QStringLiteral("no"));
}

// A table, or the repairs' failure; closes it at the end and reports the first failure.
int closeReporting(DbfTable &table, const DbStatus &st)
{
    const DbStatus closed = table.close();
    if (!st)
        return failed(st);
    return closed ? cli::Done : failed(closed);
}

} // namespace

void cli::writeTsvRecord(QTextStream &out, const DbfTable &table)
{
    const QDate d = table.fieldDate(CatalogTable::DATE);
    out << tsvField(table.fieldText(CatalogTable::DIR)) << '\t'
        << tsvField(table.fieldText(CatalogTable::NAME)) << '\t'
        << (d.isValid() ? d.toString(QStringLiteral("yyyyMMdd")) : QString()) << '\t'
        << tsvField(table.fieldText(CatalogTable::NOTE)) << '\t'
        << tsvField(table.fieldText(CatalogTable::CODE)) << '\t'
        << tsvField(table.fieldText(CatalogTable::SIZE)) << '\n';
}

int cmdCreate(const QString &path, const QStringList &args)
{
    cli::Options o({}, { QStringLiteral("--unicode"), QStringLiteral("--extensionless") });
    QString problem = o.parse(args);
    if (problem.isEmpty() && !o.positional().isEmpty())
        problem = QStringLiteral("too many arguments");
    if (!problem.isEmpty())
        return cli::usageError(QStringLiteral("create"), problem);
    if (QFileInfo::exists(path))
        return fail(cli::BadFile, QStringLiteral("%1 exists already").arg(path));
    TableChoices choices;
    choices.unicode = o.has(QStringLiteral("--unicode"));
    choices.extensionless = o.has(QStringLiteral("--extensionless"));
    return failed(DbfTable::create(path, CatalogTable::layout(), CatalogTable::tags(), choices));
}

int cmdConvert(const QString &path, const QStringList &args)
{
    cli::Options o({ QStringLiteral("--extensionless") }, { QStringLiteral("--unicode") });
    QString problem = o.parse(args);
    if (problem.isEmpty() && !o.positional().isEmpty())
        problem = QStringLiteral("unexpected %1").arg(o.positional().first());
    const QString extensionless = o.value(QStringLiteral("--extensionless"));
    const bool setExtensionless = o.has(QStringLiteral("--extensionless"));
    if (problem.isEmpty() && setExtensionless && extensionless != QLatin1String("yes")
        && extensionless != QLatin1String("no"))
        problem = QStringLiteral("--extensionless takes yes or no");
    if (problem.isEmpty() && !setExtensionless && !o.has(QStringLiteral("--unicode")))
        problem = QStringLiteral("nothing to convert: give --unicode or --extensionless");
    if (!problem.isEmpty())
        return cli::usageError(QStringLiteral("convert"), problem);
    if (!QFileInfo(path).isFile())
        return fail(cli::BadFile, QStringLiteral("%1: no such table").arg(path));
    if (o.has(QStringLiteral("--unicode"))) {
        UnicodeConversion done;
        const DbStatus st = convertToUnicode(path, done);
        if (!st)
            return st.code() == DbStatus::Locked ? fail(cli::Locked,
                       QStringLiteral("%1 is in use by another program (locked)").arg(path))
                                                 : failed(st);
        if (done.wasUnicode)
            std::printf("%s: the texts are UTF-8 already\n", path.toLocal8Bit().constData());
        else
            std::printf("%s: %u records converted to UTF-8\n", path.toLocal8Bit().constData(),
                done.records);
    }
    if (!setExtensionless)
        return cli::Done;
    DbfTable table;
    const DbStatus st = cli::openTable(table, path);
    if (!st)
        return failed(st);
    return closeReporting(table, table.setExtensionless(extensionless == QLatin1String("yes")));
}

int cmdDump(const QString &path, const QStringList &args)
{
    cli::Options o({ QStringLiteral("--order"), QStringLiteral("--folder") }, {});
    QString problem = o.parse(args);
    if (problem.isEmpty() && !o.positional().isEmpty())
        problem = QStringLiteral("unexpected %1").arg(o.positional().first());
    QByteArray order;
    if (!cli::orderArgument(o.value(QStringLiteral("--order")), &order) && problem.isEmpty())
        problem = QStringLiteral("--order takes 1, 2, 3 or 4");
    if (!problem.isEmpty())
        return cli::usageError(QStringLiteral("dump"), problem);
    const bool hasFolder = o.has(QStringLiteral("--folder"));
    if (hasFolder && order.isEmpty())
        order = "1";
    DbfTable table;
    const QString folder = o.value(QStringLiteral("--folder"));
    DbStatus st = cli::openTableView(table, path, order, hasFolder ? &folder : nullptr);
    if (!st)
        return failed(st);
    // A table made with a choice says so, once, beside the records; a default one dumps as
    // it always did.
    if (table.choices() != TableChoices())
        std::fprintf(stderr, "%s: %s\n", path.toLocal8Bit().constData(),
            choicesLine(table).toLocal8Bit().constData());
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (st = table.first(); st && !table.eof(); st = table.next())
        cli::writeTsvRecord(out, table);
    out.flush();
    return st ? cli::Done : failed(st);
}

int cmdCheck(const QString &path, const QStringList &args)
{
    if (!args.isEmpty())
        return cli::usageError(QStringLiteral("check"), QStringLiteral("too many arguments"));
    DbfTable table;
    DbStatus st = cli::openTable(table, path);
    if (!st)
        return failed(st);
    std::printf(
        "%s: %s\n", path.toLocal8Bit().constData(), choicesLine(table).toLocal8Bit().constData());
    std::fflush(stdout);
    QStringList faults;
    st = table.check(faults);
    for (const QString &f : faults)
        std::fprintf(stderr, "%s\n", f.toLocal8Bit().constData());
    if (!st)
        return failed(st);
    if (!faults.isEmpty())
        return fail(cli::BadFile, QStringLiteral("%1: %2 fault(s)").arg(path).arg(faults.size()));
    std::printf("%s: sound, %u records\n", path.toLocal8Bit().constData(), table.physicalCount());
    return cli::Done;
}

int cmdReindex(const QString &path, const QStringList &args)
{
    if (!args.isEmpty())
        return cli::usageError(QStringLiteral("reindex"), QStringLiteral("too many arguments"));
    DbfTable table;
    const DbStatus st = cli::openTable(table, path);
    if (!st)
        return failed(st);
    return closeReporting(table, table.reindex());
}

int cmdPack(const QString &path, const QStringList &args)
{
    if (!args.isEmpty())
        return cli::usageError(QStringLiteral("pack"), QStringLiteral("too many arguments"));
    DbfTable table;
    const DbStatus st = cli::openTable(table, path);
    if (!st)
        return failed(st);
    return closeReporting(table, table.pack());
}

int cmdDelete(const QString &path, const QStringList &args)
{
    if (args.isEmpty())
        return cli::usageError(QStringLiteral("delete"), QStringLiteral("no record numbers"));
    DbfTable table;
    DbStatus st = cli::openTable(table, path);
    if (!st)
        return failed(st);
    st = table.setOrder(QByteArray());
    for (const QString &a : args) {
        bool ok = false;
        const uint recno = a.toUInt(&ok);
        if (!ok || recno == 0 || recno > table.physicalCount()) {
            table.close();
            return fail(cli::Usage, QStringLiteral("no record %1 in %2").arg(a, path));
        }
        st = table.goTo(recno);
        if (st)
            st = table.deleteRecord();
        if (!st)
            break;
    }
    return closeReporting(table, st);
}
