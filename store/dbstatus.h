#pragma once

#include <QString>

// The outcome of an engine operation: a code that callers and tests can test, and a
// message for the user that names the file and, where it helps, the offset.
class DbStatus
{
public:
    enum Code {
        Ok = 0,
        IoError, // the operating system refused a read, write, rename or create
        NotFound, // the file does not exist
        Locked, // another process holds the table
        NotATable, // the file is not a dBase table of the kind we read
        WrongLayout, // a dBase table, but its fields are not those the caller reads
        Corrupt, // the structure contradicts itself (lengths, counts, pointers)
        BadIndex, // the index file is foreign or broken; it can be rebuilt
        KeyTooLong, // a tag expression yields more than 100 characters
        BadExpression, // a tag expression we cannot evaluate
        NoRecord, // the operation needs a current record and there is none
        Refused, // a hook refused the operation
        InvalidArgument,
        Cancelled, // the user stopped a long walk; what it did is whole (store/progress.h)
    };

    DbStatus() = default;
    DbStatus(Code code, QString message)
        : m_code(code)
        , m_message(std::move(message))
    {
    }

    static DbStatus ok() { return {}; }
    bool isOk() const { return m_code == Ok; }
    explicit operator bool() const { return isOk(); }
    Code code() const { return m_code; }
    const QString &message() const { return m_message; }

private:
    Code m_code = Ok;
    QString m_message;
};
