#pragma once

#include "platform/diskpath.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

// The long texts of records read for a search, without the text pane: the text each record
// would show there, from its info file (DIR + NAME + ".!", resolved below the root as the
// pane resolves it). Which files have a text is learnt from one listing per folder, so a
// record without one costs no request to the system.
class InfoTexts
{
public:
    explicit InfoTexts(const QString &rootPath);

    // The bytes of the info file of the record in folder dir (DIR as stored) named name,
    // both without their padding. Empty when there is none, and when it cannot be read or
    // is too large: the pane then stays empty as well. Valid until the next call.
    const QByteArray &read(const QByteArray &dir, const QByteArray &name);

private:
    const QSet<QByteArray> &infoNamesIn(const QByteArray &dir);

    PathResolver m_resolver;
    // Per folder (DIR), the upper-cased names of the info files in it.
    QHash<QByteArray, QSet<QByteArray>> m_folders;
    QByteArray m_key;
    QByteArray m_text;
};
