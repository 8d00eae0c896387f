#include "app/archivelist.h"
#include "cli.h"
#include "commands.h"
#include "platform/diskpath.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "scan/foldernotes.h"
#include "scan/foldertree.h"
#include "scan/folderupdate.h"
#include "scan/updateall.h"
#include "state/settings.h"
#include "store/catalogtable.h"
#include "store/progress.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

// tabulon-cli update: the folder update and update all of the program, the same routines,
// on a closed catalogue.

namespace
{

// The settings file of the archive whose table this is: the archive name is the table's
// base name, and its root folder the table's folder. Empty when no archive of the program
// folder names it.
QString archiveFileOf(const QString &tablePath, const ProgramFolder &program)
{
    const QFileInfo table(tablePath);
    const QString folder = QFileInfo(table.absolutePath()).canonicalFilePath();
    for (const QString &name : archiveNames(program)) {
        if (!sameArchiveName(name, table.completeBaseName()))
            continue;
        const QString file = archiveFilePath(program, name);
        const Profile settings(file);
        const QString stored
            = settings.readText(QStringLiteral("Local"), QStringLiteral("Path"), QString());
        if (stored.isEmpty())
            continue;
        const QString root = resolveRootPath(stored, program);
        if (QFileInfo(root).canonicalFilePath() == folder)
            return file;
    }
    return QString();
}

// The records deleted by this run go into the archive's count for the next reorganisation,
// as the program keeps it. Also the archive's rule for empty folders is read from there.
struct ArchiveLink {
    QString file;
    bool deleteEmptyFolders = false;
};

ArchiveLink linkArchive(const QString &tablePath)
{
    ArchiveLink link;
    const ProgramFolder program = programfolder::locate(QCoreApplication::applicationFilePath());
    link.file = archiveFileOf(tablePath, program);
    if (!link.file.isEmpty()) {
        const Profile settings(link.file);
        link.deleteEmptyFolders
            = settings.readInteger(QStringLiteral("Param"), QStringLiteral("DeD"), 0) == 1;
    }
    return link;
}

DbStatus addDeletedCount(const QString &file, int deleted)
{
    if (file.isEmpty() || deleted == 0)
        return DbStatus::ok();
    Profile settings(file);
    if (!settings.loadStatus().isOk())
        return { DbStatus::IoError, settings.loadStatus().message() };
    const qint32 before = settings.readInteger(QStringLiteral("Local"), QStringLiteral("Del"), 0);
    settings.writeInteger(QStringLiteral("Local"), QStringLiteral("Del"), before + deleted);
    const ProfileStatus saved = settings.save();
    return saved.isOk() ? DbStatus::ok() : DbStatus(DbStatus::IoError, saved.message());
}

// Progress on standard error for runs longer than a second: folders done of folders found,
// and a rate; on a terminal as one line written over, otherwise a line every ten seconds.
// The tool is never stopped this way (Ctrl+C ends it, as any program).
class TerminalProgress : public Progress
{
public:
    explicit TerminalProgress(bool quiet)
        : m_quiet(quiet)
        , m_terminal(::isatty(2))
    {
        m_clock.start();
    }

    bool step(qint64 done, qint64 found) override
    {
        if (m_quiet)
            return true;
        const qint64 ms = m_clock.elapsed();
        if (ms < 1000 || ms - m_shown < (m_terminal ? 250 : 10000))
            return true;
        m_shown = ms;
        std::fprintf(stderr, "%s%lld of %lld folders, %.0f folders/s%s", m_terminal ? "\r" : "",
            static_cast<long long>(done), static_cast<long long>(found),
            double(done) * 1000.0 / double(ms), m_terminal ? "" : "\n");
        m_open = m_terminal;
        return true;
    }

    void end()
    {
        if (m_open)
            std::fputc('\n', stderr);
        m_open = false;
    }

private:
    bool m_quiet;
    bool m_terminal;
    QElapsedTimer m_clock;
    qint64 m_shown = 0;
    bool m_open = false;
};

void reportLine(const QString &message)
{
    std::fprintf(stderr, "tabulon-cli: skipped: %s\n",
        QString(message).replace(QLatin1Char('\r'), QLatin1Char(' ')).toLocal8Bit().constData());
}

// Every folder that failed and every entry left out, one a line on standard error.
void listLeftOut(const UpdateFailures &failures, const SkippedEntries &skipped)
{
    for (const QString &message : failures.messages())
        reportLine(message);
    for (const SkippedEntry &entry : skipped.kept())
        reportLine(entry.message());
    const int more = failures.count() - int(failures.messages().size()) + skipped.count()
        - int(skipped.kept().size());
    if (more > 0)
        reportLine(QStringLiteral("%1 more not listed").arg(more));
}

} // namespace

int cmdUpdate(const QString &path, const QStringList &args)
{
    cli::Options o({ QStringLiteral("--folder") },
        { QStringLiteral("--all"), QStringLiteral("--descriptions"), QStringLiteral("--quiet") });
    QString problem = o.parse(args);
    if (problem.isEmpty() && !o.positional().isEmpty())
        problem = QStringLiteral("unexpected %1").arg(o.positional().first());
    if (problem.isEmpty() && o.has(QStringLiteral("--all")) && o.has(QStringLiteral("--folder")))
        problem = QStringLiteral("--folder and --all exclude each other");
    if (!problem.isEmpty())
        return cli::usageError(QStringLiteral("update"), problem);
    const bool descriptions = o.has(QStringLiteral("--descriptions"));

    CatalogTable table;
    DbStatus st = cli::openCatalogue(table, path);
    if (!st)
        return cli::failed(st);
    const ArchiveLink archive = linkArchive(path);
    const QString root = table.rootPath();
    table.deletedCount = 0;
    UpdateFailures failures;
    FolderUpdateStats stats;
    if (o.has(QStringLiteral("--folder"))) {
        // As F8 does it: the folder merged, in description mode its Descript.ion rewritten.
        const QString folder = cli::folderArgument(o.value(QStringLiteral("--folder")));
        const PathResolver resolver(root);
        st = updateFolder(table, resolver, folder, descriptions, &stats);
        if (st && descriptions)
            st = writeFolderDescriptions(table, resolver, folder);
        failures.add(st);
    } else {
        TerminalProgress progress(o.has(QStringLiteral("--quiet")));
        FolderTree tree;
        const UpdateAllReport report
            = updateAll(table, tree, { root, descriptions, archive.deleteEmptyFolders }, &progress);
        progress.end();
        stats = report.folders;
        failures = report.failures;
    }
    const int deleted = table.deletedCount;
    const DbStatus closed = table.close();
    failures.add(closed);
    failures.add(addDeletedCount(archive.file, deleted));

    listLeftOut(failures, stats.skipped);
    std::printf("%d appended, %d refreshed, %d deleted, %d skipped\n", stats.appended,
        stats.refreshed, deleted, failures.count() + stats.skipped.count());
    if (!failures.isEmpty())
        return cli::statusOf(failures.first());
    return stats.skipped.isEmpty() ? cli::Done : cli::Skipped;
}
