#include "browse/tagfilter.h"
#include "cli.h"
#include "commands.h"

#include "dialogs/regional.h"
#include "platform/diskpath.h"
#include "print/listingrender.h"
#include "print/listingsource.h"
#include "store/catalogtable.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPdfWriter>

#include <cstdio>
#include <utility>

namespace
{

struct PrintOptions {
    QString folder;
    QString pdf;
    QByteArray order = "1";
    QString tags;
    QString font = QString::fromLatin1(listinglayout::kDefaultFont);
    ListingMargins margins;
    QPageSize::PageSizeId paper = QPageSize::A4;
    bool landscape = false;
};

bool parseMargins(const QString &text, ListingMargins &m)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok || values[i] < 0 || values[i] > 65535)
            return false;
    }
    m = { values[0], values[1], values[2], values[3] };
    return true;
}

bool parsePaper(const QString &text, QPageSize::PageSizeId &paper)
{
    static const std::pair<const char *, QPageSize::PageSizeId> papers[] = {
        { "A4", QPageSize::A4 },
        { "A5", QPageSize::A5 },
        { "Letter", QPageSize::Letter },
        { "Legal", QPageSize::Legal },
    };
    for (const auto &[name, id] : papers)
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            paper = id;
            return true;
        }
    return false;
}

// Returns an error text, empty when the options are sound.
QString parseOptions(const QStringList &args, PrintOptions &o)
{
    cli::Options options(
        { QStringLiteral("--folder"), QStringLiteral("--pdf"), QStringLiteral("--order"),
            QStringLiteral("--tags"), QStringLiteral("--font"), QStringLiteral("--margins"),
            QStringLiteral("--paper") },
        { QStringLiteral("--landscape") });
    const QString problem = options.parse(args);
    if (!problem.isEmpty())
        return problem;
    if (!options.positional().isEmpty())
        return QStringLiteral("unexpected %1").arg(options.positional().first());
    if (!options.has(QStringLiteral("--folder")) || !options.has(QStringLiteral("--pdf"))
        || options.value(QStringLiteral("--pdf")).isEmpty())
        return QStringLiteral("print needs --folder DIR and --pdf OUT.pdf");
    o.folder = diskpath::fromTyped(options.value(QStringLiteral("--folder")));
    if (!o.folder.isEmpty() && !o.folder.endsWith(QLatin1Char('\\')))
        o.folder += QLatin1Char('\\');
    o.pdf = options.value(QStringLiteral("--pdf"));
    o.order = options.value(QStringLiteral("--order"), QStringLiteral("1")).toLatin1();
    if (o.order.size() != 1 || o.order[0] < '1' || o.order[0] > '4')
        return QStringLiteral("--order takes 1, 2, 3 or 4");
    o.tags = options.value(QStringLiteral("--tags"));
    o.font = options.value(QStringLiteral("--font"), o.font);
    if (options.has(QStringLiteral("--margins"))
        && !parseMargins(options.value(QStringLiteral("--margins")), o.margins))
        return QStringLiteral("--margins takes four numbers 0-65535: top,left,bottom,right");
    o.paper = listingrender::paperFor(QLocale());
    if (options.has(QStringLiteral("--paper"))
        && !parsePaper(options.value(QStringLiteral("--paper")), o.paper))
        return QStringLiteral("--paper takes A4, A5, Letter or Legal");
    o.landscape = options.has(QStringLiteral("--landscape"));
    return QString();
}

// The folder's records in the order and with the tag filter asked for.
DbStatus selectFolder(DbfTable &table, const PrintOptions &o)
{
    DbStatus st = table.setOrder(o.order);
    if (st) {
        const auto [low, high] = CatalogTable::folderRange(o.folder, table.codec());
        st = table.setRange(low, high);
    }
    if (st)
        st = cli::requireFolder(table, o.folder);
    if (st && !o.tags.isEmpty())
        table.setFilter(
            tagfilter::recordFilter(table, tagfilter::fromAnswer(o.tags, table.codec())));
    return st;
}

} // namespace

int cmdPrint(const QString &tablePath, const QStringList &args)
{
    PrintOptions o;
    const QString error = parseOptions(args, o);
    if (!error.isEmpty())
        return cli::usageError(QStringLiteral("print"), error);
    DbfTable table;
    DbStatus st = cli::openTable(table, tablePath);
    if (st)
        st = selectFolder(table, o);
    if (!st)
        return cli::failed(st);
    // Long texts live beside the files, below the table's own folder.
    const QString root = QFileInfo(tablePath).absolutePath() + QLatin1Char('/');
    const PathResolver resolver(root);
    ListingDocument doc;
    doc.title = resolver.resolve(o.folder);
    doc.date = regional::formatDate(regional::today());
    DbStatus textFailure;
    st = listingsource::collect(table, resolver, doc.entries, &textFailure);
    table.close();
    if (!st)
        return cli::failed(st);
    if (!textFailure)
        std::fprintf(stderr, "tabulon-cli: %s\n", textFailure.message().toLocal8Bit().constData());

    // The listing is laid out before the file is touched: margins that leave no room
    // write nothing.
    QFile out(o.pdf);
    QPdfWriter pdf(&out);
    pdf.setPageSize(QPageSize(o.paper));
    pdf.setPageOrientation(o.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(doc.title);
    pdf.setCreator(QStringLiteral("Tabulon"));
    const listingrender::Listing listing = listingrender::layOut(pdf, doc, o.font, o.margins);
    if (!listing.status)
        return cli::failed(listing.status);
    if (!out.open(QIODevice::WriteOnly))
        return cli::fail(cli::Disk, QStringLiteral("%1: %2").arg(o.pdf, out.errorString()));
    const listingrender::Result r = listingrender::draw(pdf, listing);
    if (!r.status) {
        out.remove();
        return cli::fail(
            cli::statusOf(r.status) == cli::BadFile ? cli::Disk : cli::statusOf(r.status),
            QStringLiteral("%1: %2").arg(o.pdf, r.status.message()));
    }
    std::printf("%s: %d entries, %d page(s)\n", o.pdf.toLocal8Bit().constData(),
        int(doc.entries.size()), r.pages);
    return cli::Done;
}
