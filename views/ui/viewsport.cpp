#include "viewsport.h"

#include <stdexcept>

#include <QCoreApplication>

void ViewsPort::throwIfFailed(const DbStatus &status)
{
    if (status)
        return;
    const QString text = status.message().isEmpty()
        ? QCoreApplication::translate("ViewsPort", "Operation failed")
        : status.message();
    throw std::runtime_error(text.toStdString());
}
