#pragma once

#include "platform/diskpath.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

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
    // A folder as far as the texts go: where it is on disk, and its info files by their
    // upper-cased names, each with the names on disk that upper-case to it.
    struct Folder {
        QString path;
        QHash<QByteArray, QStringList> infoFiles;
    };
    const Folder &folder(const QByteArray &dir);

    PathResolver m_resolver;
    QHash<QByteArray, Folder> m_folders; // by DIR
    QByteArray m_key;
    QByteArray m_text;
};
