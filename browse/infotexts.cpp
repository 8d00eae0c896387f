#include "infotexts.h"

#include "platform/codepage.h"
#include "platform/dirlist.h"
#include "scan/infofile.h"
#include "scan/textfile.h"

namespace
{

// Folders remembered at once; a catalogue with more lists the first ones again later.
constexpr int kMaxFolders = 65536;

} // namespace

InfoTexts::InfoTexts(const QString &rootPath)
    : m_resolver(rootPath)
{
}

const QSet<QByteArray> &InfoTexts::infoNamesIn(const QByteArray &dir)
{
    const auto known = m_folders.constFind(dir);
    if (known != m_folders.constEnd())
        return *known;
    if (m_folders.size() >= kMaxFolders)
        m_folders.clear();
    QSet<QByteArray> &names = m_folders[dir];
    std::vector<dirlist::Entry> entries;
    // A folder that cannot be read holds no text the pane could show.
    dirlist::readFolder(m_resolver.resolve(codepage::toUnicode(dir)), entries);
    for (const dirlist::Entry &e : entries) {
        bool ok = false;
        const QByteArray name = codepage::fromUnicode(e.name, &ok);
        if (ok && name.endsWith(".!"))
            names.insert(codepage::upper(name));
    }
    return names;
}

const QByteArray &InfoTexts::read(const QByteArray &dir, const QByteArray &name)
{
    m_text.clear();
    m_key = name;
    m_key += ".!";
    codepage::upperInPlace(m_key.data(), int(m_key.size()));
    if (!infoNamesIn(dir).contains(m_key))
        return m_text;
    const QString path
        = infofile::infoFilePath(m_resolver, codepage::toUnicode(dir), codepage::toUnicode(name));
    if (!textfile::readWhole(path, infofile::kMaxInfoFileSize, QString(), m_text))
        m_text.clear();
    return m_text;
}
