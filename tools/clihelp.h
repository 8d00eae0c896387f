#pragma once

#include <cstdio>

struct CliCommand;

// The help of tabulon-cli: the overview (--help), one command's (COMMAND --help), the
// version, and the same texts as a manual page in roff (--man).
void printHelp(std::FILE *out);
void printCommandHelp(const CliCommand &command, std::FILE *out);
void printVersion(std::FILE *out);
void printManual(std::FILE *out);
