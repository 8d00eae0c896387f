#pragma once

#include "store/dbstatus.h"
#include "store/tablechoices.h"

#include <QString>

#include <memory>
#include <vector>

// The folder hierarchy below the root folder as found on disk, without any widget: the
// tree view mirrors it node for node. One node per visible folder; the root folder
// itself is the invisible node at the top, whose children are the top-level nodes.
//
// Which folders get a node: real folders (links to folders are not followed, so a link
// can neither make the walk loop nor pull a second copy of a folder, or a folder outside
// the root, into the catalogue), whose name does not begin with "." and is cataloguable
// in the catalogue's encoding (judgeName with the catalogue's choices). Of sibling folders whose
// names differ only in case, only the one that the catalogue's upper-cased path resolves to gets a
// node: the catalogue cannot tell them apart, and a node for the other would show and change the
// wrong folder. A folder that cannot be read gets its node but no children.
struct FolderNode {
    QString name; // as the file system reports it
    FolderNode *parent = nullptr; // null only for the invisible root
    std::vector<std::unique_ptr<FolderNode>> children;

    FolderNode *addChild(const QString &childName);
    bool isRoot() const { return parent == nullptr; }
};

// Adds below parent one node per visible sub-folder of folder (an absolute native path),
// recursively, in the order the file system returns them (unsorted). Walks stop at
// kMaxFolderDepth levels and never enter a folder that is one of its own ancestors
// (bind mounts). Returns NotFound or IoError only when folder itself cannot be read;
// failures further down leave those folders without children.
DbStatus buildFolderTree(
    FolderNode *parent, const QString &folder, const TableChoices &choices = {});

// Order of two sibling nodes: the user's locale, without regard to case. Names that
// compare equal there fall back to code-point order, so that the order is the same on
// every rebuild.
int compareFolderNodes(const FolderNode &a, const FolderNode &b);
// The same for two folder names.
int compareFolderNames(const QString &a, const QString &b);

// The node's folder path, e.g. A\B\C\ ; empty for the invisible root.
QString folderPathOfNode(const FolderNode *node);

// True when every entry of folder (hidden ones included) has a name beginning with ".".
// False when the folder cannot be read: what cannot be seen is not known to be empty.
bool folderIsEmpty(const QString &folder);

// Removes every empty folder below folder (empty as folderIsEmpty tells), deepest first,
// never folder itself. Only folders the tree would show are visited. Failed removals are
// ignored. Returns the number of folders removed.
int removeEmptyFolders(const QString &folder, const TableChoices &choices = {});

// The disk step of ensureFolderAndRebuild: creates every missing folder of root +
// relative (catalogue form, "\"-separated), outermost first. Existing folders are found
// without regard to case; new ones take the case given. InvalidArgument when the path
// leaves the root or a name could not be catalogued (the tree would never show it);
// IoError when the system refuses.
DbStatus ensureFolderOnDisk(
    const QString &rootPath, const QString &relative, const TableChoices &choices = {});

// Deeper than this, the catalogue's 80-character DIR could not name a folder anyway.
constexpr int kMaxFolderDepth = 200;

// The disk side of a rebuild: the nodes below rootPath, every level sorted.
class FolderTree
{
public:
    FolderTree();

    // Empties the tree, builds it again (the folders a catalogue with these choices
    // shows) and sorts it. The tree is sorted even when the build failed; the status of
    // buildFolderTree is returned.
    DbStatus rebuild(const QString &rootPath, const TableChoices &choices = {});
    void clear();

    const FolderNode &root() const { return *m_root; }
    FolderNode &root() { return *m_root; }
    bool isEmpty() const { return m_root->children.empty(); }

    // Every node in display order (parents before children, siblings in order): the
    // position in this list is a node's absolute index.
    std::vector<const FolderNode *> nodesInOrder() const;

private:
    std::unique_ptr<FolderNode> m_root;
};

// Sorts the children of node, and of every node below it, with compareFolderNodes.
void sortFolderNodes(FolderNode &node);
