#include "scripteddialogs.h"

#include <QtTest>

ScriptedDialogs::ScriptedDialogs()
{
    m_previous = installDialogPort(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    installDialogPort(m_previous);
    // A test that already failed has said what went wrong; a second message about the
    // rest of its script would only hide the first.
    if (!m_script.isEmpty() && !QTest::currentTestFailed()) {
        QTest::qFail(qPrintable(QStringLiteral("%1 expected dialog(s) never shown, first: kind %2 "
                                               "\"%3\"")
                                    .arg(m_script.size())
                                    .arg(m_script.first().kind)
                                    .arg(m_script.first().messagePart)),
            __FILE__, __LINE__);
    }
}

ScriptedDialogs &ScriptedDialogs::expect(
    int kind, const QString &answer, const QString &messagePart)
{
    m_script.append(Step { kind, answer, messagePart });
    return *this;
}

ScriptedDialogs &ScriptedDialogs::yes(const QString &messagePart)
{
    return expect(DialogKind::Confirmation, QStringLiteral("1"), messagePart);
}

ScriptedDialogs &ScriptedDialogs::no(const QString &messagePart)
{
    return expect(DialogKind::Confirmation, QStringLiteral("2"), messagePart);
}

ScriptedDialogs &ScriptedDialogs::error(const QString &messagePart)
{
    return expect(DialogKind::Error, QStringLiteral("1"), messagePart);
}

ScriptedDialogs &ScriptedDialogs::input(const QString &value, const QString &messagePart)
{
    return expect(DialogKind::TextInput, value, messagePart);
}

ScriptedDialogs &ScriptedDialogs::cancelInput(const QString &messagePart)
{
    return expect(DialogKind::TextInput, escAnswer(), messagePart);
}

bool ScriptedDialogs::done() const
{
    return m_script.isEmpty() && m_faults.isEmpty();
}

QStringList ScriptedDialogs::messages() const
{
    QStringList list;
    for (const DialogRequest &request : m_requests)
        list << request.message;
    return list;
}

void ScriptedDialogs::fault(const QString &text)
{
    m_faults << text;
    QTest::qFail(qPrintable(text), __FILE__, __LINE__);
}

DialogOutcome ScriptedDialogs::showModal(const DialogRequest &request)
{
    m_requests.append(request);
    const QString shown = QStringLiteral("kind %1 \"%2\"").arg(request.kind).arg(request.message);
    if (m_script.isEmpty()) {
        fault(QStringLiteral("unexpected dialog: ") + shown);
        return DialogOutcome();
    }
    const Step step = m_script.takeFirst();
    if (step.kind != request.kind || !request.message.contains(step.messagePart)) {
        fault(QStringLiteral("expected kind %1 \"%2\", shown %3")
                  .arg(step.kind)
                  .arg(step.messagePart, shown));
        return DialogOutcome();
    }
    return outcomeForAnswer(request.kind, step.answer);
}

void ScriptedDialogs::showWait(const DialogRequest &request)
{
    m_waits.append(request);
    m_waitShown = true;
    m_progress = 0;
}

void ScriptedDialogs::closeWait()
{
    m_waitShown = false;
}

void ScriptedDialogs::setWaitProgress(int percent)
{
    m_progress = percent;
}

DialogOutcome outcomeForAnswer(int kind, const QString &answer)
{
    if (kind == DialogKind::DateInput || kind == DialogKind::TextInput) {
        if (isEscAnswer(answer))
            return DialogOutcome { 0, QString() };
        return DialogOutcome { 1, answer };
    }
    bool ok = false;
    const int code = answer.toInt(&ok);
    return DialogOutcome { ok ? code : 0, QString() };
}
