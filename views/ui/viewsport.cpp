#include "viewsport.h"

#include <stdexcept>

void ViewsPort::throwIfFailed(const DbStatus &status)
{
    if (status)
        return;
    const QString text
        = status.message().isEmpty() ? QStringLiteral("Operation failed") : status.message();
    throw std::runtime_error(text.toStdString());
}
