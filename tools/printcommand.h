#pragma once

#include <QString>
#include <QStringList>

// tabulon-cli print: a folder's listing, laid out as "Print (folder)" lays it out, written
// as a PDF file. Needs the graphical application object (fonts), offscreen.
extern const char kPrintUsage[];

// args: the arguments after the table. Returns the process exit code; errors are one line
// on stderr.
int cmdPrint(const QString &tablePath, const QStringList &args);
