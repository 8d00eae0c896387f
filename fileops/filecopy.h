#pragma once

#include "store/dbstatus.h"

#include <QString>

class PathResolver;

// Copy file: the catalogued file dir + name (catalogue form, below the resolver's root)
// copied into folder (an absolute native path, anywhere), asking through the shared
// dialog: a file of that name in the folder is replaced only when "Overwrite ?" is answered
// Yes; an existing info file is copied along ("<name>.!", replacing without a question)
// when "Also copy the Info-file ?" is answered Yes. The catalogue is not touched.
//
// Both questions come before anything is copied. A copy never takes over a long text that
// lies in the folder under its name (in any letter case): unless this file's own text is
// copied over it, the copy is refused before anything changes.
//
// A copy replaces the target only once it is complete, never truncates the file itself
// (a target that is the source under another spelling or through a link is refused) and
// keeps the source's date. Ok also when the user declined; otherwise "File  '%s'  could not
// be copied !" with the name and the reason, after which nothing more is copied.
DbStatus copyCatalogueFile(
    const PathResolver &resolver, const QString &dir, const QString &name, const QString &folder);
