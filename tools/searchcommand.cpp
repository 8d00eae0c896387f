#include "browse/recordsearch.h"
#include "browse/tagfilter.h"
#include "cli.h"
#include "commands.h"
#include "recordtext.h"
#include "store/catalogtable.h"

#include <QTextStream>

#include <algorithm>
#include <vector>

// tabulon-cli search: the record search of the program over the whole catalogue (or one
// folder), every match printed as dump prints a record.

namespace
{

struct Match {
    quint32 recno;
    QByteArray key; // DIR and NAME upper-cased: the name order, folder by folder
};

} // namespace

int cmdSearch(const QString &path, const QStringList &args)
{
    cli::Options o(
        { QStringLiteral("--tags"), QStringLiteral("--folder") }, { QStringLiteral("--in-text") });
    QString problem = o.parse(args);
    if (problem.isEmpty() && o.positional().size() != 1)
        problem = o.positional().isEmpty() ? QStringLiteral("the search TEXT is missing")
                                           : QStringLiteral("one search TEXT only");
    const QString typed
        = problem.isEmpty() ? search::textOfAnswer(o.positional().first()) : QString();
    if (problem.isEmpty() && typed.isEmpty())
        problem = QStringLiteral("the search TEXT is empty");
    if (!problem.isEmpty())
        return cli::usageError(QStringLiteral("search"), problem);

    DbfTable table;
    DbStatus st = cli::openTable(table, path);
    if (st && o.has(QStringLiteral("--tags")))
        table.setFilter(tagfilter::recordFilter(
            table, tagfilter::fromAnswer(o.value(QStringLiteral("--tags")), table.codec())));
    if (!st)
        return cli::failed(st);
    // Upper-cased as the table's texts are.
    const TextCodec &codec = table.codec();
    const QString text = search::textOfAnswer(o.positional().first(), codec);

    const search::Kind kind = search::kindOf(text, o.has(QStringLiteral("--in-text")));
    const RecordText fields(table);
    // A folder search finds the folders of that name: their own records.
    const QByteArray folderName
        = kind == search::Kind::Folder ? QByteArray("\\") + codec.fromUnicode(text) : QByteArray();
    RecordMatcher matcher(
        table, text, kind == search::Kind::Folder ? search::Kind::Record : kind, cli::rootOf(path));
    const auto accepts = [&](const char *rec) {
        if (kind != search::Kind::Folder)
            return matcher.matches(rec);
        const std::string_view dir = fields.raw(rec, RecordText::Dir);
        const QByteArray withLead = QByteArray("\\") + QByteArray(dir.data(), int(dir.size()));
        return withLead.endsWith(folderName);
    };
    std::vector<Match> matches;
    const auto collect = [&](quint32 recno, const char *rec) {
        if (!accepts(rec))
            return;
        const std::string_view dir = fields.raw(rec, RecordText::Dir);
        const std::string_view name = fields.raw(rec, RecordText::Name);
        QByteArray key
            = QByteArray(dir.data(), int(dir.size())).leftJustified(CatalogTable::DirWidth, ' ')
            + codec.upper(QByteArray(name.data(), int(name.size())));
        matches.push_back({ recno, std::move(key) });
    };
    if (o.has(QStringLiteral("--folder"))) {
        st = table.setOrder("1");
        if (st) {
            const auto [low, high] = CatalogTable::folderRange(
                cli::folderArgument(o.value(QStringLiteral("--folder"))), codec);
            st = table.setRange(low, high);
        }
        for (st = st ? table.first() : st; st && !table.eof(); st = table.next())
            collect(quint32(table.recNo()), table.recordData());
    } else {
        st = table.scanVisible(collect);
    }
    std::stable_sort(matches.begin(), matches.end(),
        [](const Match &a, const Match &b) { return a.key < b.key; });
    // The matches are printed in name order, each read again by its number.
    if (st)
        st = table.cancelRange();
    if (st)
        st = table.setOrder(QByteArray());
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (const Match &m : matches) {
        if (!st)
            break;
        st = table.goTo(m.recno);
        if (st)
            cli::writeTsvRecord(out, table);
    }
    out.flush();
    table.close();
    if (st && matches.empty())
        return cli::NoMatch;
    return cli::failed(st);
}
