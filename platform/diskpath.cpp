#include "diskpath.h"

#include "dirlist.h"

#include <QFile>

#include <sys/stat.h>

namespace
{

// Listings are a cache for one command; a walk over a whole table must not keep every
// file name of the archive in memory.
constexpr int kMaxListings = 64;

bool isSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

QStringList components(const QString &relative)
{
    QStringList out;
    int start = 0;
    for (int i = 0; i <= relative.size(); ++i) {
        if (i == relative.size() || isSeparator(relative.at(i))) {
            if (i > start)
                out.append(relative.mid(start, i - start));
            start = i + 1;
        }
    }
    return out;
}

// True when a should stand for the catalogue name rather than b (see preferredVariant).
bool preferred(const QString &a, const QString &b)
{
    const bool aUpper = diskpath::matchingUpper(a) == a;
    const bool bUpper = diskpath::matchingUpper(b) == b;
    if (aUpper != bUpper)
        return aUpper;
    return a < b;
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

bool entryExists(const QString &path, bool followLinks)
{
    struct stat st;
    const QByteArray native = QFile::encodeName(path);
    return (followLinks ? stat(native.constData(), &st) : lstat(native.constData(), &st)) == 0;
}

} // namespace

namespace diskpath
{

QString fromTyped(const QString &typed)
{
    return QString(typed).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QString toNative(const QString &cataloguePath)
{
    return QString(cataloguePath).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

bool isCataloguable(const QString &diskName, const TextCodec &codec)
{
    if (diskName.isEmpty() || !codec.isExpressible(diskName))
        return false;
    for (QChar c : diskName)
        if (c == QLatin1Char('\\') || c.unicode() < 0x20)
            return false;
    return true;
}

QByteArray catalogueName(const QString &diskName, bool *ok, const TextCodec &codec)
{
    const bool good = isCataloguable(diskName, codec);
    if (ok)
        *ok = good;
    return good ? codec.fromUnicode(diskName) : QByteArray();
}

QString diskName(const QByteArray &catalogueName, const TextCodec &codec)
{
    return codec.toUnicode(catalogueName);
}

QString matchingUpper(const QString &name)
{
    return utf8text::upperText(name);
}

bool sameDiskName(const QString &a, const QString &b)
{
    return TextCodec::utf8().sameName(a, b);
}

bool staysBelowRoot(const QString &relative)
{
    for (const QString &c : components(relative))
        if (c == QLatin1String(".") || c == QLatin1String(".."))
            return false;
    return true;
}

QString preferredVariant(const QStringList &variants)
{
    QString best;
    for (const QString &v : variants)
        if (best.isEmpty() || preferred(v, best))
            best = v;
    return best;
}

QString resolve(const QString &root, const QString &relative)
{
    return PathResolver(root).resolve(relative);
}

} // namespace diskpath

PathResolver::PathResolver(const QString &root)
    : m_root(root)
{
    while (m_root.size() > 1 && isSeparator(m_root.back()))
        m_root.chop(1);
}

QString PathResolver::resolve(const QString &relative) const
{
    if (!diskpath::staysBelowRoot(relative))
        return {};
    QString path = m_root;
    bool onDisk = true;
    for (const QString &c : components(relative)) {
        // Below a component that is not there, nothing can be matched: keep the case.
        const QString name = onDisk ? resolveName(path, c, &onDisk) : c;
        path = joined(path, name);
    }
    return path;
}

bool PathResolver::exists(const QString &relative) const
{
    const QString path = resolve(relative);
    return !path.isEmpty() && entryExists(path, true);
}

bool PathResolver::fileExists(const QString &relative) const
{
    const QString path = resolve(relative);
    struct stat st;
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0
        && !S_ISDIR(st.st_mode);
}

QString PathResolver::resolveName(const QString &folder, const QString &name, bool *found) const
{
    *found = true;
    const auto cached = m_listings.constFind(folder);
    if (cached == m_listings.constEnd() && entryExists(joined(folder, name), false))
        return name;
    const Listing &l = cached != m_listings.constEnd() ? *cached : listing(folder);
    if (l.names.contains(name))
        return name;
    const auto match = l.byUpper.constFind(diskpath::matchingUpper(name));
    *found = match != l.byUpper.constEnd();
    return *found ? *match : name;
}

const PathResolver::Listing &PathResolver::listing(const QString &folder) const
{
    if (m_listings.size() >= kMaxListings)
        m_listings.clear();
    Listing &l = m_listings[folder];
    std::vector<dirlist::Entry> entries;
    dirlist::readFolder(folder, entries); // an unreadable folder matches nothing
    for (const dirlist::Entry &e : entries) {
        l.names.insert(e.name);
        const QString key = diskpath::matchingUpper(e.name);
        const auto it = l.byUpper.find(key);
        if (it == l.byUpper.end())
            l.byUpper.insert(key, e.name);
        else if (preferred(e.name, *it))
            *it = e.name;
    }
    return l;
}
