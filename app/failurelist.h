#pragma once

#include "store/dbstatus.h"

#include <QString>

// The failures of a command that goes on after one: the first is shown with the number of
// the others, once the command has ended.
class FailureList
{
public:
    // fallback: the message for a first failure that brings no text of its own.
    explicit FailureList(QString fallback = QStringLiteral("The catalogue could not be updated !"));

    void add(const DbStatus &status);
    int count() const { return m_count; }
    const DbStatus &first() const { return m_first; }
    // The error message of the shared dialog; nothing when no step failed.
    void report() const;

private:
    QString m_fallback;
    DbStatus m_first;
    int m_count = 0;
};
