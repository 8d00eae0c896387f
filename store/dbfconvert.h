#pragma once

#include "dbstatus.h"

#include <QString>

// Turning a catalogue whose texts are Windows-1252 into a Unicode one: every text of the
// table is rewritten in UTF-8 (DIR upper-cased again by the UTF-8 rule), the index is
// built anew, and the code page file is written beside the table.
//
// The new table is made whole in a hidden folder beside the old one (".<table>.convert")
// while the old one stays locked; only then are the files moved into place, the table
// last but one and the code page file last, with the index flag of both tables cleared
// in between, so that a process stopped at any point leaves a sound table (the old one or
// the new one, at worst with its index rebuilt at the next open).
//
// Every live record must convert: a text whose UTF-8 form is longer than its field (in
// bytes), or a tag that is no ASCII character (a tag is one byte of CODE), stops the
// conversion before anything is moved (Refused, naming the record, the field and the
// text); the old table is then as it was and the hidden folder is removed. Records marked
// deleted are kept as such, their texts cut where they do not fit.
struct UnicodeConversion {
    bool wasUnicode = false; // nothing converted; the code page file was written if missing
    quint32 records = 0; // records in the new table, deleted ones included
};
DbStatus convertToUnicode(const QString &tablePath, UnicodeConversion &result);
