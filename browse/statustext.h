#pragma once

#include <QString>

// Texts of the status bar that follow from the catalogue alone.
namespace statustext
{

// The record count of the last panel. physical counts every record of the file, those
// marked deleted included; deleted is how many of them are marked. With nothing deleted
// the live count alone ("12'345"), otherwise the live count and the deleted count in
// brackets ("997 (3)", "11'111 (1' 234)"). A deleted count above the physical count is
// shown as it stands rather than letting the live count go negative.
QString recordCount(qint64 physical, qint64 deleted);

// A deleted count by its own pattern "#, ##0": the apostrophe groups the thousands as
// everywhere, and the pattern's blank stands before the last three digits. Counts below
// 1000 have no thousands group for the blank to part from the rest and show plainly.
QString deletedCount(qint64 deleted);

} // namespace statustext
