#pragma once

#include "platform/diskpath.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <string_view>

// Where the files of catalogue records are on disk, for commands that hand them to scripts:
// the root folder joined with DIR in the folders' own spelling (DIR is stored upper-cased)
// and NAME, matched without regard to letter case as the program matches them, with the
// file's size and last-write time there. Each folder is resolved once however its records
// come, and a folder missing on disk costs nothing further for its records.
class FilesOnDisk
{
public:
    struct File {
        bool found = false; // a regular file (links followed) is there
        QString path; // absolute and native; empty when nothing was found
        qint64 size = 0;
        qint64 modifiedSecs = 0; // since 1970-01-01 00:00 UTC
    };

    // root: the root folder, absolute and native; codec: the table's.
    explicit FilesOnDisk(const QString &root, const TextCodec &codec = TextCodec::windows1252());

    // dir, name: the record's stored bytes without padding. A name that is not a single
    // name (empty, "." or "..", or holding a separator) finds nothing: it must not lead
    // outside its folder.
    File find(std::string_view dir, std::string_view name);

private:
    struct Folder {
        bool found = false;
        QString path;
    };
    const Folder &folder(const QByteArray &dir);

    PathResolver m_resolver;
    const TextCodec &m_codec;
    QHash<QByteArray, Folder> m_folders;
};
