#include "clihelp.h"

#include "commands.h"
#include "state/settings.h"

#include <QRegularExpression>

#include <cstdio>

namespace
{

// clang-format off
const std::vector<CliCommand> commands = {
    {"create", "create T.dbf [--unicode] [--extensionless]",
     "a new empty catalogue table with its index",
     "Creates T.dbf and its production index T.mdx. An existing file is never replaced.\n"
     "--unicode makes a Unicode catalogue: its texts are UTF-8, so names in any script\n"
     "are catalogued (up to 80 bytes each), and T.cpg beside it says UTF-8 to other dBase\n"
     "readers. --extensionless takes files without an extension too (README, Makefile,\n"
     ".bashrc). Both choices are kept in the table; update applies them.\n",
     cmdCreate},
    {"convert", "convert T.dbf [--unicode] [--extensionless yes|no]",
     "change a catalogue's choices",
     "--unicode rewrites a catalogue's table and index in UTF-8 and writes T.cpg: on\n"
     "copies beside it, which take the old files' places only when they are complete. A\n"
     "text whose UTF-8 form does not fit its field (80 bytes; CODE 10) or a tag that is\n"
     "no ASCII character stops it, naming the record, with status 2 and nothing changed.\n"
     "A table that is Unicode already is left as it is (its T.cpg written when missing).\n"
     "--extensionless yes or no switches whether files without an extension are taken\n"
     "from the next update on.\n",
     cmdConvert},
    {"import", "import T.dbf ROWS.tsv [--replace]", "append rows to the catalogue",
     "Appends one record per line of ROWS.tsv (UTF-8): DIR, NAME, DATE (yyyymmdd or empty),\n"
     "NOTE, CODE and SIZE, separated by tabs, in any order of folders. DIR is upper-cased;\n"
     "it is empty for the root folder, else a path below it with each name ended by \\\n"
     "(FOTOS\\2019\\). Every line is checked before anything is written: a line without six\n"
     "columns, with a date that is not valid, a DIR of another form, a field longer than the\n"
     "table's (80 characters, CODE 10, SIZE 6; in a Unicode catalogue bytes of UTF-8, and\n"
     "tags ASCII) or a character that Windows-1252 lacks (in a Windows-1252 catalogue) stops\n"
     "the import with its line number (exit status 2) and leaves the table as it was.\n"
     "--replace writes such characters as \"?\" instead, except in DIR and NAME, and says\n"
     "how many rows it changed.\n",
     cmdImport},
    {"dump", "dump T.dbf [--order 1|2|3|4] [--folder DIR]", "the live records as TSV",
     "Writes the records that are not marked deleted as tab-separated lines DIR, NAME, DATE\n"
     "(yyyymmdd), NOTE, CODE, SIZE in UTF-8: in the table's physical order, or in the order\n"
     "given (1 name, 2 date, 3 tags, 4 note, each within its folder). --folder DIR takes the\n"
     "records of one folder (a path below the root, A\\B or A/B); a folder the catalogue\n"
     "holds no record of, nor of a folder below it, is refused with status 2. A table made\n"
     "with a choice (Unicode, files without extension) says so on standard error first.\n",
     cmdDump},
    {"check", "check T.dbf", "verify the table and its index",
     "Prints the table's choices (\"encoding: UTF-8; files without extension: yes\"), then\n"
     "reads the whole table and index and reports every fault found, one per line; exit\n"
     "status 2 when there is any.\n",
     cmdCheck},
    {"reindex", "reindex T.dbf", "rebuild the index",
     "Builds the production index T.mdx anew from the table.\n", cmdReindex},
    {"pack", "pack T.dbf", "remove the records marked deleted",
     "Removes the records marked deleted for good and rebuilds the index, as the program's\n"
     "reorganisation does (without its removal of empty folders).\n",
     cmdPack},
    {"delete", "delete T.dbf RECNO...", "mark records deleted",
     "Marks the records of the given record numbers deleted.\n", cmdDelete},
    {"update", "update T.dbf [--folder DIR | --all] [--descriptions] [--quiet]",
     "bring the catalogue up to date with the disk",
     "Merges the files below the table's folder into the catalogue exactly as the program's\n"
     "folder update (--folder DIR, the root folder when DIR is empty) or update all (--all,\n"
     "the default) does: files without a record get one, changed files get their date and\n"
     "size again, records of vanished files are marked deleted. --descriptions works in\n"
     "Descript.ion mode: notes are read from each folder's Descript.ion and the file is\n"
     "rewritten from the notes. When an archive's settings file (in the program folder or\n"
     "~/.config/Tabulon/) names this table, the deleted records are added to its count for\n"
     "the next reorganisation. Progress goes to standard error (folders done of folders\n"
     "found, and folders/s: the folders done a second) unless --quiet; a summary line\n"
     "ends the run: records appended, refreshed and deleted, and the entries skipped.\n"
     "Skipped are the folders that could not be read and the files and folders the\n"
     "catalogue cannot hold: names that are not UTF-8 or hold a control character (a\n"
     "newline, a tab), a backslash or a character outside Windows-1252, file names over\n"
     "80 characters or ending in a blank, folders whose path is over 80 characters,\n"
     "names that differ only in letter case from another in their folder (the one\n"
     "catalogued already, else the first in byte order, is kept), dangling links, pipes,\n"
     "sockets and devices. In a Unicode catalogue any character is taken, and the limits\n"
     "are 80 bytes of UTF-8. Each is listed on standard error with its reason, and the run\n"
     "ends with status 5 when nothing else failed. Left out by rule and not counted:\n"
     "names beginning with \".\" or without an extension (unless the catalogue takes files\n"
     "without an extension: then only folders beginning with \".\" stay out), long-text\n"
     "files (*.!), Descript.ion, links to folders (never entered) and, with --all, the\n"
     "root folder's own files. A link to a file is catalogued under its own name, with\n"
     "the date and size of the file it leads to.\n",
     cmdUpdate},
    {"search", "search T.dbf TEXT [--in-text] [--tags FILTER] [--folder DIR]",
     "the records that hold a text, as TSV",
     "Prints, as dump does, every record whose NAME~NOTE~DATE~SIZE holds TEXT (letter case\n"
     "ignored, DATE as the program shows it); with --in-text also the records whose long\n"
     "text holds it. A TEXT of one character finds the records tagged with it; a TEXT ending\n"
     "in \\ finds the folders of that name (their records are printed). --tags FILTER lets\n"
     "only the records pass that the program's tag filter would show (BA: tagged B and A;\n"
     "-AB: neither A nor B). --folder DIR searches one folder. Records come in name order,\n"
     "folder by folder. As grep does, search ends with status 1 when nothing matched, without\n"
     "a message (a wrong command line also ends with 1, and says why on standard error).\n",
     cmdSearch},
    {"export", "export T.dbf --format csv|json|jsonl|html [--folder DIR] [--order N]"
               " [--tags FILTER] [--stat] [--with-text] [-o FILE]",
     "the catalogue as CSV, JSON, JSON Lines or an HTML page",
     "Writes the live records (or those of one folder, in the order N, through the tag\n"
     "filter) to standard output or FILE: csv is RFC 4180 (UTF-8, a header row, CR LF line\n"
     "ends, fields quoted where they must be); json one JSON array of objects; jsonl one\n"
     "JSON object a line; html one self-contained page with a table per folder. Columns:\n"
     "folder, name, date (yyyy-mm-dd), note, tags, size, path: where the file is on disk,\n"
     "its folders in their own letter case (DIR is stored upper-cased), for scripts to act\n"
     "on; with --stat bytes and modified: its size in bytes and its last-write time\n"
     "(ISO 8601, UTC) from the disk; with --with-text text: the long text read from the\n"
     "info file beside each file (one that cannot be read is left empty and named on\n"
     "standard error, and the export ends with status 5). A file missing on disk has an empty path, bytes and\n"
     "modified (null in JSON). Everything is escaped for its format. A --folder the\n"
     "catalogue does not hold is refused with status 2, as dump does.\n",
     cmdExport},
    {"print", "print T.dbf --folder DIR --pdf OUT.pdf [--order 1|2|3|4] [--tags FILTER]"
              " [--font NAME] [--margins T,L,B,R] [--paper A4|A5|Letter|Legal] [--landscape]",
     "a folder's listing as a PDF file",
     "Lays out the listing of one folder as the program's \"Print (folder)\" does and writes\n"
     "it as a PDF file, without a printer or a display. FILTER as for search; margins in\n"
     "tenths of a millimetre (default 200,200,200,100). --paper chooses the sheet; without\n"
     "it the locale does: Letter where it is the custom (the United States, Canada, Mexico\n"
     "and others of the Americas, the Philippines), A4 elsewhere. --landscape turns the\n"
     "sheet. Names, tags and notes too wide for their column go on below within it; on a\n"
     "narrow sheet the columns move left. Margins that leave less than one line or one\n"
     "column on the sheet are refused (status 1) and no file is written. A folder the\n"
     "catalogue does not hold is refused with status 2, as dump does.\n",
     cmdPrint, true},
};

const char kExitStatuses[] =
    "  0  done (search: something matched)\n"
    "  1  usage: the command line is wrong (said on standard error);\n"
    "     search: nothing matched (nothing said, as grep does)\n"
    "  2  a missing, foreign or broken table or input file, or a folder the catalogue\n"
    "     does not hold\n"
    "  3  the table is locked: open in the program or another tool\n"
    "  4  the disk refused a read or write, or permission was denied\n"
    "  5  done, but some entries were skipped, each listed with its reason on standard\n"
    "     error (update: names the catalogue cannot hold; export: long texts that could\n"
    "     not be read)\n";

const char kAbout[] =
    "tabulon-cli works on Tabulon catalogues from scripts and timers: the table T.dbf (with\n"
    "its index T.mdx) in the root folder of an archive. The root folder is the table's\n"
    "folder. A table open in the program is locked and left alone. Nothing is changed that\n"
    "the same command in the program would not change. Options take their value as\n"
    "--name VALUE or --name=VALUE; after -- every argument is taken as it stands.\n";
// clang-format on

QString roffText(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\e"));
    text.replace(QLatin1Char('-'), QLatin1String("\\-"));
    // A line beginning with a dot or quote would be a request.
    static const QRegularExpression lineStart(
        QStringLiteral("^([.'])"), QRegularExpression::MultilineOption);
    text.replace(lineStart, QStringLiteral("\\&\\1"));
    return text;
}

} // namespace

const std::vector<CliCommand> &cliCommands()
{
    return commands;
}

const CliCommand *findCommand(const QString &name)
{
    for (const CliCommand &c : commands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

void printHelp(std::FILE *out)
{
    std::fprintf(out,
        "usage: tabulon-cli COMMAND T.dbf [ARGS]\n"
        "       tabulon-cli COMMAND --help | --help | --version\n\n%s\nCommands:\n",
        kAbout);
    for (const CliCommand &c : commands)
        std::fprintf(out, "  %-9s %s\n", c.name, c.summary);
    std::fprintf(out, "\nExit status:\n%s", kExitStatuses);
}

void printCommandHelp(const CliCommand &command, std::FILE *out)
{
    std::fprintf(out, "usage: tabulon-cli %s\n\n%s\nExit status:\n%s", command.synopsis,
        command.details, kExitStatuses);
}

void printVersion(std::FILE *out)
{
    std::fprintf(out, "tabulon-cli %s\n", settingsfile::version.toUtf8().constData());
}

void printManual(std::FILE *out)
{
    QString m;
    m += QStringLiteral(".TH TABULON-CLI 1 \"\" \"Tabulon %1\" \"User Commands\"\n")
             .arg(settingsfile::version);
    m += QStringLiteral(".SH NAME\ntabulon-cli \\- the Tabulon catalogue from scripts\n");
    m += QStringLiteral(".SH SYNOPSIS\n");
    for (const CliCommand &c : commands)
        m += QStringLiteral(".B tabulon-cli\n%1\n.br\n").arg(roffText(QLatin1String(c.synopsis)));
    m += QStringLiteral(".SH DESCRIPTION\n%1").arg(roffText(QLatin1String(kAbout)));
    m += QStringLiteral(".SH COMMANDS\n");
    for (const CliCommand &c : commands)
        m += QStringLiteral(".TP\n.B %1\n%2\n.br\n%3")
                 .arg(roffText(QLatin1String(c.synopsis)),
                     roffText(QLatin1String(c.summary) + QLatin1Char('.')),
                     roffText(QLatin1String(c.details)));
    m += QStringLiteral(".SH EXIT STATUS\n.nf\n%1.fi\n")
             .arg(roffText(QLatin1String(kExitStatuses)));
    m += QStringLiteral(".SH SEE ALSO\ntabulon(1)\n");
    std::fputs(m.toUtf8().constData(), out);
}
