#pragma once

#include <cstdio>

class ProgramTranslation;

// The program's own command-line options, answered before any window exists: --version
// and --help print to standard output and end the program (exit status 0); an unknown
// option is reported on standard error (exit status 1), both in the language of the
// translation. Returns -1 when the program should start, the archive name (if any) being
// left to the settings layer.
int answerCommandLine(int argc, char **argv, const ProgramTranslation &translation,
    std::FILE *out = stdout, std::FILE *err = stderr);
