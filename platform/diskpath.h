#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include "textcodec.h"

// The boundary between the catalogue's paths and the disk.
//
// Catalogue paths (DIR, folder paths of tree nodes, typed destinations) are relative to
// the root folder, use the backslash on every system and compare without regard to
// case; DIR is even stored upper-cased. Linux names are case-sensitive, so every path
// the program builds is resolved here, component by component, against the names that
// are really on disk.
namespace diskpath
{

// A destination typed by the user, with "/" turned into the catalogue's "\".
QString fromTyped(const QString &typed);

// A catalogue path with "\" turned into "/", for handing to the file system.
QString toNative(const QString &cataloguePath);

// True when a disk name can stand in a catalogue of that encoding: not empty, every
// character expressible in it, no backslash (it would split the name in a catalogue
// path) and no control character (it would split a line of Descript.ion or of a
// printed listing). Files and folders with other names are skipped like hidden ones.
bool isCataloguable(const QString &diskName, const TextCodec &codec = TextCodec::windows1252());

// The bytes of a disk name in the catalogue's encoding; *ok false (and an empty result)
// when the name is not cataloguable.
QByteArray catalogueName(
    const QString &diskName, bool *ok = nullptr, const TextCodec &codec = TextCodec::windows1252());
QString diskName(
    const QByteArray &catalogueName, const TextCodec &codec = TextCodec::windows1252());

// The upper-casing by which the paths a catalogue built are matched with the names on
// disk, whatever the catalogue's encoding: the UTF-8 rule of TextCodec. It agrees with
// the Windows-1252 rule on every name that code page can write (each Windows-1252 capital
// is that rule's capital too), so one rule serves both kinds of catalogue.
QString matchingUpper(const QString &name);
bool sameDiskName(const QString &a, const QString &b);

// False when a relative path holds a "." or ".." component, i.e. could reach outside
// the root folder. Empty components (doubled or leading separators) are harmless.
bool staysBelowRoot(const QString &relative);

// Of several names in one folder that differ only in letter case, the one that the
// catalogue's (upper-cased) path denotes: the all-upper-case variant when there is one,
// otherwise the first in code-point order. Empty for an empty list.
QString preferredVariant(const QStringList &variants);

// One-shot resolution: see PathResolver::resolve.
QString resolve(const QString &root, const QString &relative);

} // namespace diskpath

// Resolves catalogue-relative paths below one root folder. Each folder is listed at most
// once per resolver (and only when the exact name is not there), so resolving every
// record of a folder costs one listing of it. The listings are a snapshot: after the
// program itself renames or creates names that differ from existing ones only in case,
// call forget().
class PathResolver
{
public:
    // root: absolute native path of the root folder, trailing separator optional.
    explicit PathResolver(const QString &root);

    const QString &root() const { return m_root; }

    // The native absolute path of root + relative. Components are separated by "\" (or
    // "/"); each is matched exactly first, else case-insensitively (matchingUpper())
    // with preferredVariant() choosing among several; components that do
    // not exist keep the case given. The result has no trailing separator (except for
    // the root "/" itself). Empty when the path could leave the root (staysBelowRoot).
    // Case is matched by matchingUpper(), for catalogues of either encoding.
    QString resolve(const QString &relative) const;

    // Convenience for root + dir + name (dir as DIR holds it, with trailing backslash).
    QString resolve(const QString &dir, const QString &name) const { return resolve(dir + name); }

    // True when root + relative names an existing file or folder (links followed).
    bool exists(const QString &relative) const;
    // True when root + relative names an existing entry that is not a folder (links
    // followed: a link to a folder is a folder, a dangling link is nothing).
    bool fileExists(const QString &relative) const;

    void forget() const { m_listings.clear(); }

private:
    struct Listing {
        QSet<QString> names;
        QHash<QString, QString> byUpper; // upper-cased name -> preferred variant
    };
    QString resolveName(const QString &folder, const QString &name, bool *found) const;
    const Listing &listing(const QString &folder) const;

    QString m_root;
    mutable QHash<QString, Listing> m_listings;
};
