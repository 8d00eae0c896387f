#include "appstate.h"

QString errorBoxText(const QString &failure)
{
    // Texts that already end in punctuation sorting before "." (such as "!" or ")") keep
    // their ending; everything else reads as a sentence.
    if (!failure.isEmpty() && failure.back() > QLatin1Char('.'))
        return failure + QLatin1Char('.');
    return failure;
}
