#include "cli.h"

#include "store/catalogtable.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace cli
{

int fail(int status, const QString &message)
{
    std::fprintf(stderr, "tabulon-cli: %s\n", message.toLocal8Bit().constData());
    return status;
}

int statusOf(const DbStatus &status)
{
    switch (status.code()) {
    case DbStatus::Ok:
        return Done;
    case DbStatus::Locked:
        return Locked;
    case DbStatus::IoError:
        return Disk;
    case DbStatus::InvalidArgument:
        return Usage;
    default:
        return BadFile;
    }
}

int failed(const DbStatus &status)
{
    return status ? Done : fail(statusOf(status), status.message());
}

int usageError(const QString &command, const QString &problem)
{
    return fail(
        Usage, QStringLiteral("%1: %2 (tabulon-cli %1 --help shows how)").arg(command, problem));
}

// What the table did about its index on its own (rebuilt a damaged one, or reads without
// one it cannot rebuild) goes to standard error, beside the command's output.
void tellNotice(const QString &message)
{
    std::fprintf(stderr, "tabulon-cli: %s\n", message.toLocal8Bit().constData());
}

DbStatus openTable(DbfTable &table, const QString &path)
{
    if (!QFileInfo(path).isFile())
        return { DbStatus::NotFound, QStringLiteral("%1: no such table").arg(path) };
    table.setNoticeHandler(tellNotice);
    DbStatus st = table.open(path, CatalogTable::tags(), CatalogTable::layout());
    if (st.code() == DbStatus::Locked)
        return { DbStatus::Locked,
            QStringLiteral("%1 is in use by another program (locked)").arg(path) };
    return st;
}

DbStatus openTableView(
    DbfTable &table, const QString &path, const QByteArray &order, const QString *folder)
{
    DbStatus st = openTable(table, path);
    if (st)
        st = table.setOrder(order);
    if (st && folder) {
        const QString held = folderArgument(*folder);
        const auto [low, high] = CatalogTable::folderRange(held, table.codec());
        st = table.setRange(low, high);
        if (st)
            st = requireFolder(table, held);
    }
    return st;
}

DbStatus requireFolder(DbfTable &table, const QString &folder)
{
    if (folder.isEmpty() || !table.isEmpty())
        return DbStatus::ok();
    // Upper-cased DIR never holds 0xFF (its capital is another byte), so the range from
    // the folder's key to that key followed by 0xFF admits exactly it and its subfolders.
    const auto [low, high] = CatalogTable::folderRange(folder, table.codec());
    DbStatus st = table.setRange(low, low + '\xFF');
    const bool below = st && !table.isEmpty();
    if (st)
        st = table.setRange(low, high);
    if (st && !below)
        st = { DbStatus::NotFound,
            QStringLiteral("folder '%1' is not in the catalogue %2").arg(folder, table.path()) };
    return st;
}

QString rootOf(const QString &tablePath)
{
    return QFileInfo(tablePath).absolutePath() + QLatin1Char('/');
}

DbStatus openCatalogue(CatalogTable &catalogue, const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return { DbStatus::NotFound, QStringLiteral("%1: no such table").arg(path) };
    if (info.suffix().compare(QLatin1String("dbf"), Qt::CaseInsensitive) != 0)
        return { DbStatus::NotATable,
            QStringLiteral("%1: a catalogue table is named ARCHIVE.dbf").arg(path) };
    catalogue.table().setNoticeHandler(tellNotice);
    DbStatus st = catalogue.open(rootOf(path), info.completeBaseName());
    if (st.code() == DbStatus::Locked)
        return { DbStatus::Locked,
            QStringLiteral("%1 is in use by another program (locked)").arg(path) };
    return st;
}

QString folderArgument(const QString &typed)
{
    QString folder = typed;
    folder.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (folder.startsWith(QLatin1Char('\\')))
        folder.remove(0, 1);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('\\');
    return folder;
}

bool orderArgument(const QString &value, QByteArray *order)
{
    *order = value.toLatin1();
    return order->isEmpty() || (order->size() == 1 && order->at(0) >= '1' && order->at(0) <= '4');
}

Options::Options(QStringList valueNames, QStringList flagNames)
    : m_valueNames(std::move(valueNames))
    , m_flagNames(std::move(flagNames))
{
}

QString Options::parse(const QStringList &args)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--")) {
            // Everything after it is positional, also what begins with "-".
            m_positional << args.mid(i + 1);
            break;
        }
        const qsizetype equals
            = a.startsWith(QLatin1String("--")) ? a.indexOf(QLatin1Char('=')) : -1;
        if (equals > 0) {
            const QString name = a.left(equals);
            if (m_flagNames.contains(name))
                return QStringLiteral("%1 takes no value").arg(name);
            if (!m_valueNames.contains(name))
                return QStringLiteral("unknown option %1").arg(name);
            m_values.insert(name, a.mid(equals + 1));
        } else if (m_flagNames.contains(a)) {
            m_values.insert(a, QString());
        } else if (m_valueNames.contains(a)) {
            if (i + 1 >= args.size())
                return QStringLiteral("%1 needs a value").arg(a);
            m_values.insert(a, args[++i]);
        } else if (a.startsWith(QLatin1String("--"))
            || (a.startsWith(QLatin1Char('-')) && a.size() > 1)) {
            return QStringLiteral("unknown option %1").arg(a);
        } else {
            m_positional << a;
        }
    }
    return QString();
}

bool Options::has(const QString &name) const
{
    return m_values.contains(name);
}

QString Options::value(const QString &name, const QString &fallback) const
{
    return m_values.value(name, fallback);
}

} // namespace cli
