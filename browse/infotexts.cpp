#include "infotexts.h"

#include "platform/dirlist.h"

#include <QFile>

#include <cstring>

namespace
{

// Folders remembered at once; a catalogue with more lists the first ones again later.
constexpr int kMaxFolders = 65536;

} // namespace

InfoTexts::InfoTexts(const QString &rootPath, const TextCodec &codec)
    : m_resolver(rootPath)
    , m_codec(codec)
{
}

const InfoTexts::Folder &InfoTexts::folder(const QByteArray &dir)
{
    const auto known = m_folders.constFind(dir);
    if (known != m_folders.constEnd())
        return *known;
    if (m_folders.size() >= kMaxFolders)
        m_folders.clear();
    // The key is kept: dir may point into a record that is gone after the call.
    Folder &f = m_folders[QByteArray(dir.constData(), dir.size())];
    f.path = m_resolver.resolve(m_codec.toUnicode(dir));
    // A folder that cannot be read holds no text the pane could show. Only the names of
    // info files are decoded.
    dirlist::Folder disk;
    dirlist::RawListing listing;
    if (!disk.open(f.path) || !disk.readRaw(listing, false))
        return f;
    for (const dirlist::RawListing::Item &item : listing.items) {
        const char *raw = listing.name(item);
        if (item.length < 2 || raw[item.length - 2] != '.' || raw[item.length - 1] != '!')
            continue;
        const QString name = QFile::decodeName(QByteArray(raw, item.length));
        bool ok = false;
        const QByteArray stored = m_codec.fromUnicode(name, &ok);
        if (ok)
            f.infoFiles[m_codec.upper(stored)].append(name);
    }
    return f;
}

QString InfoTexts::pathOf(const QByteArray &dir, const QByteArray &name)
{
    m_key.resize(name.size() + 2);
    std::memcpy(m_key.data(), name.constData(), size_t(name.size()));
    std::memcpy(m_key.data() + name.size(), ".!", 2);
    m_codec.upperInPlace(m_key.data(), int(m_key.size()));
    const Folder &f = folder(dir);
    const auto variants = f.infoFiles.constFind(m_key);
    if (variants == f.infoFiles.constEnd())
        return QString();
    // The name as it is first, as the pane resolves it; else the variant the catalogue's
    // upper-cased path stands for.
    const QString exact = m_codec.toUnicode(name) + QStringLiteral(".!");
    const QString &disk = variants->contains(exact) ? exact : diskpath::preferredVariant(*variants);
    return f.path + QLatin1Char('/') + disk;
}
