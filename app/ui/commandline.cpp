#include "commandline.h"

#include "app/translation.h"
#include "state/settings.h"

#include <cstring>

namespace
{

const char kHelp[] = QT_TRANSLATE_NOOP("CommandLine",
    "usage: tabulon [ARCHIVE]\n"
    "       tabulon --version | --help\n"
    "\n"
    "Tabulon keeps a catalogue of every file below one root folder: a note, a date, a size\n"
    "text, up to ten tags and a long text per file.\n"
    "\n"
    "ARCHIVE  the archive to open (the name of its settings file ARCHIVE.ini, without\n"
    "         \".ini\"); without it the archive opened last. An archive that does not exist\n"
    "         yet is created: the program asks for its root folder.\n"
    "\n"
    "Settings live in Tabulon.ini and ARCHIVE.ini beside the executable when that folder can\n"
    "be written (portable use), otherwise in $XDG_CONFIG_HOME/Tabulon/ (by default\n"
    "~/.config/Tabulon/). The catalogue itself, ARCHIVE.dbf with ARCHIVE.mdx, lies in the\n"
    "archive's root folder.\n"
    "\n"
    "Environment:\n"
    "  XDG_CONFIG_HOME     where an installed copy keeps its settings\n"
    "  LANGUAGE, LC_ALL, LC_MESSAGES, LANG\n"
    "                      the language of the program and of its guide (Tabulon-<code>)\n"
    "  QT_QPA_PLATFORM     the window system plug-in (offscreen runs without a display)\n"
    "  TABULON_UNATTENDED  1: answer every question as Esc and report it on standard error,\n"
    "                      for scripted runs without anyone at the screen\n"
    "\n"
    "See also tabulon-cli(1) for the catalogue from scripts.\n");
const char kUnknownOption[]
    = QT_TRANSLATE_NOOP("CommandLine", "tabulon: unknown option %s (see tabulon --help)\n");

} // namespace

int answerCommandLine(
    int argc, char **argv, const ProgramTranslation &translation, std::FILE *out, std::FILE *err)
{
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-v") == 0) {
            std::fprintf(out, "Tabulon %s\n", settingsfile::version.toUtf8().constData());
            return 0;
        }
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(translation.translate("CommandLine", kHelp).toLocal8Bit().constData(), out);
            return 0;
        }
        // Qt's own options (-platform, -style ...) pass; "--" options are ours.
        if (std::strncmp(arg, "--", 2) == 0) {
            // The option goes into the translated line as text, never as a format.
            const QString line = translation.translate("CommandLine", kUnknownOption)
                                     .replace(QLatin1String("%s"), QString::fromLocal8Bit(arg));
            std::fputs(line.toLocal8Bit().constData(), err);
            return 1;
        }
    }
    return -1;
}
