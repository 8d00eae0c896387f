#pragma once

#include "platform/diskpath.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// The long texts of records found for a walk over many records (search, export), without
// the text pane: the info file each record would show there (DIR + NAME + ".!", resolved
// below the root as the pane resolves it). Which files have a text is learnt from one
// listing per folder, so a record without one costs no request to the system. The texts
// are read in pieces (filecontent::readPieces), so that one of any size can be searched
// and exported.
class InfoTexts
{
public:
    // The texts are read in pieces of this many bytes, whatever their size.
    static constexpr qint64 kPiece = 1024 * 1024;

    // codec: that of the table whose records are walked.
    explicit InfoTexts(const QString &rootPath, const TextCodec &codec = TextCodec::windows1252());

    // The disk path of the info file of the record in folder dir (DIR as stored) named
    // name, both without their padding and in the table's encoding. Empty when the folder
    // holds none for it.
    QString pathOf(const QByteArray &dir, const QByteArray &name);

private:
    // A folder as far as the texts go: where it is on disk, and its info files by their
    // upper-cased names, each with the names on disk that upper-case to it.
    struct Folder {
        QString path;
        QHash<QByteArray, QStringList> infoFiles;
    };
    const Folder &folder(const QByteArray &dir);

    PathResolver m_resolver;
    const TextCodec &m_codec;
    QHash<QByteArray, Folder> m_folders; // by DIR
    QByteArray m_key;
};
