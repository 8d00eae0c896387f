#pragma once

#include "store/dbstatus.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

class CatalogTable;
class DbfTable;
class QTextStream;

// What every command of tabulon-cli shares: the exit statuses, the one-line errors, the
// opening of a table, the options.
namespace cli
{

// The exit statuses of every command.
enum Status : int {
    Done = 0,
    Usage = 1, // the command line is wrong
    NoMatch = 1, // search found nothing (as grep says it: without a message)
    BadFile = 2, // the table, another input or a folder asked for: missing, foreign or broken
    Locked = 3, // the table is open in the program or another tool
    Disk = 4, // the disk refused a read or write, or permission was denied
    Skipped = 5, // done, but entries were left out (update: each is listed with its reason)
};

// Writes "tabulon-cli: message" on standard error and returns status.
int fail(int status, const QString &message);
// The exit status that a failed engine operation stands for.
int statusOf(const DbStatus &status);
// fail() with the status's own message and exit status; Done for a status that is ok.
int failed(const DbStatus &status);
// A usage error of the command, in one line that points to its --help.
int usageError(const QString &command, const QString &problem);

// Opens a table file of the catalogue's layout without the catalogue's rules (dump, check,
// repairs). Missing: NotFound; held by another process: Locked with a message that says so.
DbStatus openTable(DbfTable &table, const QString &path);
// openTable, then the order given (empty: the physical order) and, when folder is not
// null, the range of that folder (typed as on the command line), which must be held
// (requireFolder).
DbStatus openTableView(
    DbfTable &table, const QString &path, const QByteArray &order, const QString *folder);
// NotFound, with a message naming the folder and the table, when the catalogue holds no
// record of the folder (its catalogue form) nor of a folder below it; the root folder is
// always held. The table's order and range must be the folder's, as they are left.
DbStatus requireFolder(DbfTable &table, const QString &folder);
// Opens the catalogue whose table path names: the root folder is the table's folder and
// the archive name its base name. The table must exist (it is never created here).
DbStatus openCatalogue(CatalogTable &catalogue, const QString &path);
// The root folder of a table path: its folder, with a trailing "/".
QString rootOf(const QString &tablePath);

// A folder path as typed on the command line in the catalogue's form: "/" as "\", with a
// trailing "\"; an empty text stays empty (the root folder).
QString folderArgument(const QString &typed);

// The value of --order as the table names its orders ("1" to "4"); empty when not given.
// False when it is something else.
bool orderArgument(const QString &value, QByteArray *order);

// The options of one command: "--name value" (or "--name=value") pairs and "--flag"
// switches, in any order, and positional arguments; after "--" everything is positional.
// parse() returns an error text, empty when the line is sound.
class Options
{
public:
    // valueNames: the options that take a value ("--folder"); flagNames: the switches.
    Options(QStringList valueNames, QStringList flagNames);
    QString parse(const QStringList &args);

    bool has(const QString &name) const;
    QString value(const QString &name, const QString &fallback = QString()) const;
    const QStringList &positional() const { return m_positional; }

private:
    QStringList m_valueNames;
    QStringList m_flagNames;
    QHash<QString, QString> m_values;
    QStringList m_positional;
};

// One record as a TSV line of dump: DIR, NAME, DATE (yyyymmdd), NOTE, CODE, SIZE, tabs and
// line ends inside a field written as blanks.
void writeTsvRecord(QTextStream &out, const DbfTable &table);

} // namespace cli
