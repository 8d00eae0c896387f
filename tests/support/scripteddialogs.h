#pragma once

#include "dialogs/shareddialog.h"

#include <QList>
#include <QString>
#include <QStringList>

// Answers the program's dialogs from a script, in order. Construct it in a test to install
// it (the previous port comes back when it is destroyed), list the dialogs the code under
// test is expected to show, run the code, then check the requests:
//
//     ScriptedDialogs dialogs;
//     dialogs.expect(DialogKind::Confirmation, "1", "Delete file");   // answer Yes
//     dialogs.expect(DialogKind::TextInput, "NEW NAME");
//     runTheCommand();
//     QVERIFY(dialogs.done());
//
// Answers are written as the caller sees them: "0", "1", "2" for messages and questions,
// the value or ScriptedDialogs::esc() for inputs. A dialog the script doesn't expect (wrong
// kind, message not matching, or none left) fails the running test and is answered as if
// the user had pressed Esc. Expectations left unused when the script is destroyed fail the
// test too. Wait windows are recorded but need no expectation.
class ScriptedDialogs : public DialogPort
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs &) = delete;
    ScriptedDialogs &operator=(const ScriptedDialogs &) = delete;

    // Expects a dialog of `kind` whose message contains `messagePart` (when not empty) and
    // answers it with `answer`.
    ScriptedDialogs &expect(int kind, const QString &answer, const QString &messagePart = {});
    // Shorthands for the common answers.
    ScriptedDialogs &yes(const QString &messagePart = {}); // confirmation answered "1"
    ScriptedDialogs &no(const QString &messagePart = {}); // confirmation answered "2"
    ScriptedDialogs &error(const QString &messagePart = {}); // error box acknowledged
    ScriptedDialogs &input(const QString &value, const QString &messagePart = {});
    ScriptedDialogs &cancelInput(const QString &messagePart = {});
    static QString esc() { return escAnswer(); }

    // True when every expectation was used and nothing unexpected was asked.
    bool done() const;
    int pending() const { return m_script.size(); }
    // Every modal dialog shown, in order (expected or not), and the wait windows.
    const QList<DialogRequest> &requests() const { return m_requests; }
    const QList<DialogRequest> &waitRequests() const { return m_waits; }
    QStringList messages() const;
    // What went wrong, one line per fault.
    const QStringList &faults() const { return m_faults; }
    bool waitShown() const { return m_waitShown; }
    int waitProgress() const { return m_progress; }

    DialogOutcome showModal(const DialogRequest &request) override;
    void showWait(const DialogRequest &request) override;
    void closeWait() override;
    void setWaitProgress(int percent) override;

private:
    struct Step {
        int kind;
        QString answer;
        QString messagePart;
    };
    void fault(const QString &text);

    DialogPort *m_previous = nullptr;
    QList<Step> m_script;
    QList<DialogRequest> m_requests;
    QList<DialogRequest> m_waits;
    QStringList m_faults;
    bool m_waitShown = false;
    int m_progress = 0;
};

// The window's outcome that gives `answer` for `kind` (the inverse of dialogAnswer).
DialogOutcome outcomeForAnswer(int kind, const QString &answer);
