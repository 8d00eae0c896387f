#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

// A small tree of what a Linux disk holds and a Windows one never did, for the tests that
// drive the tool or the program over it: links in and out of the root, a dangling link,
// pipes (among them a long text and a Descript.ion), a socket, an executable script, and
// names with quotes, control characters, a backslash, bytes that are no UTF-8, a character
// outside Windows-1252 and too many characters. Made in a temporary folder of its own:
//
//   base/root/      the root folder of the catalogue (the table goes here)
//   base/outside/   beside it: where the links that leave the root lead
//
// The script, if anything ever ran it, would leave base/script-ran behind.
class HostileTree
{
public:
    enum class Kind {
        File, // a regular file of a plain name
        Script, // a regular file, mode 755
        LongText, // a regular long text (name.ext.!)
        LinkToFile, // leads to a file inside the root
        LinkOutOfRoot, // leads to a file outside the root
        DanglingLink,
        LinkToFolder, // inside or outside the root, or back up
        Pipe,
        Socket,
        OddName, // a regular file or a folder whose name the catalogue cannot hold
        Hidden, // a name beginning with "."
    };
    struct Entry {
        QByteArray path; // relative to the root, "/"-separated, the bytes on disk
        Kind kind;
        bool isFolder = false;
    };

    // Makes the tree; false (with the failing step in error()) when the system refused.
    bool make();
    // Removes what QTemporaryDir cannot (names that are no UTF-8) before it goes.
    ~HostileTree();

    QString base() const { return m_base.path(); }
    QString root() const { return m_base.path() + QStringLiteral("/root/"); }
    QString outside() const { return m_base.path() + QStringLiteral("/outside/"); }
    QString scriptMarker() const { return m_base.path() + QStringLiteral("/script-ran"); }
    const std::vector<Entry> &entries() const { return m_entries; }
    const QString &error() const { return m_error; }

    // Every entry below folder (links not followed), one line each: its path, its type, and
    // for a regular file its size, modification time and a hash of its bytes; for a link its
    // target. Names listed in except (at the top level) are left out. Two snapshots that
    // compare equal mean that nothing below folder was written.
    static QStringList snapshot(const QString &folder, const QStringList &except = {});

private:
    bool add(const QByteArray &path, Kind kind, bool isFolder = false);
    bool file(const QByteArray &path, Kind kind, const QByteArray &bytes = "x");
    bool link(const QByteArray &path, Kind kind, const QByteArray &target);
    bool node(const QByteArray &path, Kind kind);
    bool fail(const QString &step);
    QByteArray rootBytes() const;

    QTemporaryDir m_base;
    std::vector<Entry> m_entries;
    QString m_error;
};
