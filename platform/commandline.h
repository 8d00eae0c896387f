#pragma once

#include <QString>
#include <QStringList>

// Parameter texts as the program's settings and commands write them: one text for all the
// arguments of a program, the way a Windows command line carries them. Starting a program
// here needs the separate arguments, so the text is split by the same rules a Windows
// program applies to its own command line.
namespace commandline
{

// The arguments of a parameter text. Blanks and tabs outside double quotes separate
// arguments; a double quote starts or ends a quoted stretch, in which blanks belong to the
// argument, and two double quotes inside one stand for a literal quote. Backslashes are
// literal except before a double quote: 2n of them give n backslashes and the quote keeps
// its meaning, 2n + 1 give n backslashes and a literal quote. "" alone is an empty
// argument.
QStringList split(const QString &text);

// An argument as a parameter text that split() reads back as that one argument: unchanged
// when it is not empty and holds no blank, tab or double quote, else enclosed in double
// quotes with inner quotes and the backslashes before them escaped.
QString quote(const QString &argument);

// A program path as a setting may write it: enclosing double quotes dropped.
QString unquoted(const QString &text);

// A path as one argument of a program: unchanged, except that a relative path beginning
// with "-" gets "./" in front, so that no program takes it for one of its options.
QString pathArgument(const QString &path);

} // namespace commandline
