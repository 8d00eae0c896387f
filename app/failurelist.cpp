#include "failurelist.h"

#include "dialogs/shareddialog.h"

FailureList::FailureList(QString fallback)
    : m_fallback(std::move(fallback))
{
}

void FailureList::add(const DbStatus &status)
{
    if (status)
        return;
    if (m_count++ == 0)
        m_first = status;
}

void FailureList::report() const
{
    if (m_count == 0)
        return;
    QString message = m_first.message();
    if (message.isEmpty())
        message = m_fallback;
    if (m_count > 1)
        message += QStringLiteral("\r%1 more folders could not be updated.").arg(m_count - 1);
    ShowDialog(DialogKind::Error, message);
}
