#include "foldertree.h"

#include "diskentries.h"
#include "treewalk.h"

#include "platform/dirlist.h"
#include "platform/diskpath.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace treewalk
{

void keepVisibleSubFolders(std::vector<dirlist::Entry> &entries, std::vector<SkippedEntry> *skipped,
    const QString &folder, const TableChoices &choices)
{
    QByteArray ansi;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                      [&](const dirlist::Entry &e) {
                          if (e.type != dirlist::EntryType::Folder)
                              return true;
                          const SkipReason reason = judgeName(e.rawName.constData(),
                              int(e.rawName.size()), EntryKind::Folder, ansi, choices);
                          if (skipped && isReported(reason))
                              skipped->push_back({ folder, e.rawName, true, reason });
                          return reason != SkipReason::None;
                      }),
        entries.end());
    if (entries.size() < 2)
        return;
    // Of entries whose names differ only in case, the one the catalogue denotes.
    QHash<QString, QStringList> groups;
    bool duplicates = false;
    for (const dirlist::Entry &e : entries) {
        QStringList &group = groups[choices.codec().upperText(e.name)];
        group.append(e.name);
        duplicates = duplicates || group.size() > 1;
    }
    if (!duplicates)
        return;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                      [&](const dirlist::Entry &e) {
                          const QStringList &g = groups[choices.codec().upperText(e.name)];
                          if (g.size() < 2)
                              return false;
                          const QString kept = diskpath::preferredVariant(g);
                          if (kept == e.name)
                              return false;
                          if (skipped)
                              skipped->push_back({ folder, e.rawName, true, SkipReason::CaseTwin,
                                  QFile::encodeName(kept) });
                          return true;
                      }),
        entries.end());
}

bool enter(dirlist::Folder &child, const dirlist::Folder &parent, const QByteArray &rawName,
    Ancestors &ancestors)
{
    if (int(ancestors.size()) >= kMaxFolderDepth || !child.openChild(parent, rawName))
        return false;
    dirlist::FolderId id;
    if (!child.id(id) || std::find(ancestors.begin(), ancestors.end(), id) != ancestors.end())
        return false;
    ancestors.push_back(id);
    return true;
}

DbStatus openRoot(dirlist::Folder &folder, const QString &path, Ancestors &ancestors)
{
    if (!folder.open(path)) {
        const auto code = folder.error() == ENOENT ? DbStatus::NotFound : DbStatus::IoError;
        return { code,
            QCoreApplication::translate("Scan", "Folder  '%1'  cannot be read: %2")
                .arg(path, QString::fromLocal8Bit(strerror(folder.error()))) };
    }
    dirlist::FolderId id;
    if (folder.id(id))
        ancestors.push_back(id);
    return DbStatus::ok();
}

DbStatus readToItsEnd(const dirlist::Folder &folder, const QString &path)
{
    if (folder.error() == 0)
        return DbStatus::ok();
    return {
        DbStatus::IoError,
        QCoreApplication::translate("Scan", "Folder  '%1'  could not be read to its end").arg(path)
    };
}

} // namespace treewalk

namespace
{

using treewalk::Ancestors;
using treewalk::enter;

// The sub-folders a walk enters, in file-system order.
std::vector<dirlist::Entry> visibleSubFolders(dirlist::Folder &folder, const TableChoices &choices)
{
    std::vector<dirlist::Entry> entries;
    folder.read(entries, dirlist::Filter::FoldersOnly, true);
    treewalk::keepVisibleSubFolders(entries, nullptr, QString(), choices);
    return entries;
}

void buildBelow(
    FolderNode *parent, dirlist::Folder &folder, Ancestors &ancestors, const TableChoices &choices)
{
    // A folder known to have no sub-folders is not read: most folders of a large tree
    // hold files only, and reading them would list every file once more.
    if (!ancestors.empty() && ancestors.back().noSubFolders)
        return;
    for (const dirlist::Entry &e : visibleSubFolders(folder, choices)) {
        FolderNode *node = parent->addChild(e.name);
        dirlist::Folder child;
        if (!enter(child, folder, e.rawName, ancestors))
            continue;
        buildBelow(node, child, ancestors, choices);
        ancestors.pop_back();
    }
}

// The rule of folderIsEmpty on a folder already open.
bool holdsNothing(dirlist::Folder &folder)
{
    std::vector<dirlist::Entry> entries;
    return folder.read(entries, dirlist::Filter::All, true) && entries.empty();
}

int removeBelow(dirlist::Folder &folder, Ancestors &ancestors, const TableChoices &choices)
{
    int removed = 0;
    for (const dirlist::Entry &e : visibleSubFolders(folder, choices)) {
        bool empty = false;
        {
            dirlist::Folder child;
            if (!enter(child, folder, e.rawName, ancestors))
                continue;
            removed += removeBelow(child, ancestors, choices);
            ancestors.pop_back();
            empty = holdsNothing(child);
        }
        // Dot-names still inside make the removal fail; that is how such folders stay.
        if (empty && folder.removeChildFolder(e.rawName))
            ++removed;
    }
    return removed;
}

QCollator &folderCollator()
{
    thread_local QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

int compareNames(const QCollator &collator, const QString &a, const QString &b)
{
    const int byLocale = collator.compare(a, b);
    if (byLocale != 0)
        return byLocale;
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

FolderNode *FolderNode::addChild(const QString &childName)
{
    auto node = std::make_unique<FolderNode>();
    node->name = childName;
    node->parent = this;
    children.push_back(std::move(node));
    return children.back().get();
}

DbStatus buildFolderTree(FolderNode *parent, const QString &folder, const TableChoices &choices)
{
    if (!parent)
        return { DbStatus::InvalidArgument, QCoreApplication::translate("Scan", "No parent node") };
    dirlist::Folder top;
    Ancestors ancestors;
    const DbStatus st = treewalk::openRoot(top, folder, ancestors);
    if (!st)
        return st;
    buildBelow(parent, top, ancestors, choices);
    return treewalk::readToItsEnd(top, folder);
}

int compareFolderNodes(const FolderNode &a, const FolderNode &b)
{
    return compareFolderNames(a.name, b.name);
}

int compareFolderNames(const QString &a, const QString &b)
{
    return compareNames(folderCollator(), a, b);
}

void sortFolderNodes(FolderNode &node)
{
    const QCollator &collator = folderCollator();
    std::sort(node.children.begin(), node.children.end(),
        [&](const std::unique_ptr<FolderNode> &a, const std::unique_ptr<FolderNode> &b) {
            return compareNames(collator, a->name, b->name) < 0;
        });
    for (auto &child : node.children)
        sortFolderNodes(*child);
}

QString folderPathOfNode(const FolderNode *node)
{
    QString path;
    for (; node && !node->isRoot(); node = node->parent)
        path.prepend(node->name + QLatin1Char('\\'));
    return path;
}

bool folderIsEmpty(const QString &folder)
{
    dirlist::Folder f;
    return f.open(folder) && holdsNothing(f);
}

int removeEmptyFolders(const QString &folder, const TableChoices &choices)
{
    dirlist::Folder top;
    Ancestors ancestors;
    if (!treewalk::openRoot(top, folder, ancestors))
        return 0;
    return removeBelow(top, ancestors, choices);
}

DbStatus ensureFolderOnDisk(
    const QString &rootPath, const QString &relative, const TableChoices &choices)
{
    const QStringList names
        = relative.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
    QByteArray ansi;
    for (const QString &name : names)
        if (judgeName(name.toUtf8().constData(), int(name.toUtf8().size()), EntryKind::Folder, ansi,
                choices)
            != SkipReason::None)
            return { DbStatus::InvalidArgument,
                QCoreApplication::translate("Scan", "Folder  '%1'  cannot be catalogued")
                    .arg(relative) };
    const QString path = diskpath::resolve(rootPath, relative);
    if (path.isEmpty())
        return {
            DbStatus::InvalidArgument,
            QCoreApplication::translate("Scan", "Folder  '%1'  is not below the root").arg(relative)
        };
    if (!QDir().mkpath(path))
        return {
            DbStatus::IoError,
            QCoreApplication::translate("Scan", "Folder  '%1'  could not be created").arg(relative)
        };
    return DbStatus::ok();
}

FolderTree::FolderTree()
    : m_root(std::make_unique<FolderNode>())
{
}

void FolderTree::clear()
{
    m_root->children.clear();
}

DbStatus FolderTree::rebuild(const QString &rootPath, const TableChoices &choices)
{
    clear();
    const DbStatus st = buildFolderTree(m_root.get(), rootPath, choices);
    sortFolderNodes(*m_root);
    return st;
}

std::vector<const FolderNode *> FolderTree::nodesInOrder() const
{
    std::vector<const FolderNode *> out;
    std::vector<const FolderNode *> stack;
    for (auto it = m_root->children.rbegin(); it != m_root->children.rend(); ++it)
        stack.push_back(it->get());
    while (!stack.empty()) {
        const FolderNode *n = stack.back();
        stack.pop_back();
        out.push_back(n);
        for (auto it = n->children.rbegin(); it != n->children.rend(); ++it)
            stack.push_back(it->get());
    }
    return out;
}
