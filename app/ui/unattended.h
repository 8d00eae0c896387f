#pragma once

#include <QString>

struct CatalogueChoices;

// Test hook for runs of the real program without anyone at the screen (the tests that
// start the executable as a separate process). With the environment variable
// TABULON_UNATTENDED set to "1":
//   - every message and question of the shared dialog is written to standard error as
//     "dialog <kind>: <message>" and answered as if Esc had been pressed;
//   - the root question of a new archive is written as "root: <caption>" and answered
//     with its preset text, as if OK had been pressed.
//   - the archive list is written as "archives: <caption>" and left as with Esc;
//   - "running" is written once start-up has opened the archive, so that a test knows
//     when the table is held.
// Unset (the normal case) nothing changes.
namespace unattended
{

bool active();

// Installs the answering dialog port when active(); the port lives for the whole run.
void installDialogs();

// The archive list's answer in an unattended run: no choice.
QString answerArchiveList(const QString &caption);

// Writes "running" when active().
void reportRunning();

// The root question's answer in an unattended run: the preset text.
bool answerRootQuestion(
    const QString &caption, const QString &initialText, QString *answer, CatalogueChoices *choices);

} // namespace unattended
