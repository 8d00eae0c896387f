#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

// The shared dialog: the one message, question and input dialog of the program, and the small text
// and date helpers that go with it.
//
// The core never shows a window itself. showDialog hands a DialogRequest to the installed
// DialogPort: the program installs the real window at start-up (installWidgetDialogs in
// dialogs/ui/widgetdialogs.h), tests install scripted answers. showDialog then turns what
// the user did into the answer text that every caller relies on:
//   message and question kinds: "0" (Esc or close box), "1" (Yes/OK), "2" (No/Cancel);
//   input kinds: the value on OK, the Esc character (escAnswer()) otherwise.

// The kinds the program uses. Any other value is valid: 0 and below are wait windows,
// 6, 7 and 11 and above show nothing.
namespace DialogKind
{
enum : int {
    WaitProgress = -1,
    Wait = 0,
    Warning = 1,
    Error = 2,
    Information = 3,
    Confirmation = 4,
    WarningQuestion = 5,
    DateInput = 8,
    TextInput = 9,
    About = 10,
};
}

// What a kind does with the call.
enum class DialogRole { None, Wait, Modal };
DialogRole dialogRole(int kind);

struct DialogRequest {
    int kind = 0;
    QString message; // as the caller gave it; dialogMessageText() gives the lines to show
    QString option;
    int language = 0; // 1 = German, anything else the program's language
};

// What the user did in a modal window. code: 0 = closed by Esc or the close box,
// 1 = Yes/OK, 2 = No/Cancel. value: the text field's text (kind 9) or the picked date as
// "yyyymmdd", empty when the field was empty (kind 8); unused by the other kinds.
struct DialogOutcome {
    int code = 0;
    QString value;
};

class DialogPort
{
public:
    virtual ~DialogPort() = default;
    // Shows a modal dialog and returns after it has closed.
    virtual DialogOutcome showModal(const DialogRequest &request) = 0;
    // Shows the wait window (replacing one that is shown) and returns at once.
    virtual void showWait(const DialogRequest &request) = 0;
    // Removes the wait window; nothing happens when none is shown.
    virtual void closeWait() = 0;
    // Moves the wait window's progress bar (0..100); ignored without a wait window.
    virtual void setWaitProgress(int percent) = 0;
};

// Installs the port that every later call goes through and returns the one it replaces.
// The port is not owned; the caller keeps it alive while installed. nullptr removes it:
// then a call answers as if the user had pressed Esc (questions "0", inputs cancelled),
// so that nothing irreversible happens, and a warning is logged.
DialogPort *installDialogPort(DialogPort *port);
DialogPort *dialogPort();

// The shared dialog. result is cleared first; see the answer convention above. Modal kinds
// return after the window has closed, the wait kinds while their window is still shown.
void showDialog(
    int kind, const QString &message, const QString &option, QString &result, int language = 0);
// The same, returning the answer.
QString showDialog(
    int kind, const QString &message, const QString &option = QString(), int language = 0);
// Ends the wait window that kinds 0 and below leave open, and drives its progress bar.
void closeWaitDialog();
void setWaitProgress(int percent);

// The answer of a cancelled input: a text of the single character code 27.
QString escAnswer();
bool isEscAnswer(const QString &answer);

// The answer text for a kind and what the user did (the convention above); empty for
// kinds that show no modal window.
QString dialogAnswer(int kind, const DialogOutcome &outcome);

// The message as the window shows it: carriage returns (and CR LF pairs) break lines,
// returned as "\n".
QString dialogMessageText(const QString &message);

// Date helpers. The zero date is 30.12.1899, the day number 0 of the table's date type.
QDate zeroDate();
// Empty for the zero date (and for an invalid date), otherwise "yyyymmdd".
QString dateToYmd(const QDate &date);
QString dateToYmd(const QDateTime &dateTime);
// Year from characters 1-4, month 5-6, day 7-8, each a decimal number; the zero date when
// a part is missing or not a number, or the parts form no date. Characters after the
// eighth are ignored.
QDate ymdToDate(const QString &ymd);

// Text helpers on the program's 8-bit texts (and their Unicode form).
// The text followed by `width` blanks, cut to exactly `width` characters (empty for
// width 0 or less).
QString padToWidth(const QString &text, int width);
QByteArray padToWidth(const QByteArray &text, int width);
// At most 20 characters unchanged, else "..." followed by the last 20.
QString shortenLeft(const QString &text);
// The text `count` times; empty for count 0 or less.
QString repeatText(const QString &text, int count);
QByteArray repeatText(const QByteArray &text, int count);

// The text of the error box for an uncaught failure: the failure's own text, with a full
// stop appended when its last character sorts after ".".
QString errorBoxText(const QString &failure);
