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
#include <QPdfWriter>

#include <cstdio>

namespace
{

struct PrintOptions {
    QString folder;
    bool hasFolder = false;
    QString pdf;
    QByteArray order = "1";
    QString tags;
    QString font = QStringLiteral("Arial");
    ListingMargins margins;
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

// Returns an error text, empty when the options are sound.
QString parseOptions(const QStringList &args, PrintOptions &o)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (i + 1 >= args.size())
            return QStringLiteral("%1 needs a value").arg(a);
        const QString v = args[++i];
        if (a == QLatin1String("--folder"))
            o.folder = diskpath::fromTyped(v), o.hasFolder = true;
        else if (a == QLatin1String("--pdf"))
            o.pdf = v;
        else if (a == QLatin1String("--order"))
            o.order = v.toLatin1();
        else if (a == QLatin1String("--tags"))
            o.tags = v;
        else if (a == QLatin1String("--font"))
            o.font = v;
        else if (a == QLatin1String("--margins") && !parseMargins(v, o.margins))
            return QStringLiteral("--margins takes four numbers 0-65535: top,left,bottom,right");
        else if (a != QLatin1String("--margins"))
            return QStringLiteral("unknown option %1").arg(a);
    }
    if (!o.hasFolder || o.pdf.isEmpty())
        return QStringLiteral("print needs --folder DIR and --pdf OUT.pdf");
    if (o.order.size() != 1 || o.order[0] < '1' || o.order[0] > '4')
        return QStringLiteral("--order takes 1, 2, 3 or 4");
    if (!o.folder.isEmpty() && !o.folder.endsWith(QLatin1Char('\\')))
        o.folder += QLatin1Char('\\');
    return QString();
}

// The folder's records in the order and with the tag filter asked for.
DbStatus selectFolder(DbfTable &table, const PrintOptions &o)
{
    DbStatus st = table.setOrder(o.order);
    if (st) {
        const auto [low, high] = CatalogTable::folderRange(o.folder);
        st = table.setRange(low, high);
    }
    if (st && table.isEmpty())
        return { DbStatus::InvalidArgument,
            QStringLiteral("folder '%1' is not in the catalogue %2").arg(o.folder, table.path()) };
    if (st && !o.tags.isEmpty())
        table.setFilter(tagfilter::Dbf1FilterRecord(table, tagfilter::fromAnswer(o.tags)));
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

    QFile out(o.pdf);
    if (!out.open(QIODevice::WriteOnly))
        return cli::fail(cli::Disk, QStringLiteral("%1: %2").arg(o.pdf, out.errorString()));
    QPdfWriter pdf(&out);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(doc.title);
    pdf.setCreator(QStringLiteral("Tabulon"));
    const listingrender::Result r = listingrender::print(pdf, doc, o.font, o.margins);
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
