#include "statustext.h"

#include "dialogs/regional.h"

namespace statustext
{

QString deletedCount(qint64 deleted)
{
    const QString grouped = regional::formatInteger(deleted);
    if (deleted > -1000 && deleted < 1000)
        return grouped;
    // The last group is always three digits behind the last apostrophe.
    QString text = grouped;
    text.insert(text.size() - 3, QLatin1Char(' '));
    return text;
}

QString recordCount(qint64 physical, qint64 deleted)
{
    if (deleted == 0)
        return regional::formatInteger(physical);
    const qint64 live = qMax<qint64>(0, physical - deleted);
    return regional::formatInteger(live) + QStringLiteral(" (") + deletedCount(deleted)
        + QLatin1Char(')');
}

} // namespace statustext
