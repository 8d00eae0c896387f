#include "folderscan.h"

#include "foldertree.h"
#include "treewalk.h"

#include "platform/dirlist.h"
#include "platform/localday.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

// The walk itself, depth first with an explicit stack so that it can stop after any
// folder: each frame is a folder being descended into, open, with the raw names of its
// children (its nodes, sorted) and the next child to enter.
class FolderScan::Walker
{
public:
    Walker(FolderTree &tree, const QString &rootPath, const TableChoices &choices)
        : m_tree(tree)
        , m_rootPath(rootPath)
        , m_choices(choices)
        , m_skipDotNames(!readsDotNames(choices))
    {
    }

    DbStatus start()
    {
        m_tree.clear();
        Frame root;
        root.node = &m_tree.root();
        root.dir = std::make_unique<dirlist::Folder>();
        root.diskPath = m_rootPath;
        while (root.diskPath.endsWith(QLatin1Char('/')))
            root.diskPath.chop(1);
        DbStatus st = treewalk::openRoot(*root.dir, m_rootPath, m_ancestors);
        if (!st)
            return st;
        root.inAncestors = !m_ancestors.empty();
        root.dir->readRaw(m_listing, m_skipDotNames);
        st = treewalk::readToItsEnd(*root.dir, m_rootPath);
        addChildren(root, m_rootSkipped);
        m_stack.push_back(std::move(root));
        return st;
    }

    bool step(ScannedFolder &out)
    {
        while (!m_stack.empty() && m_stack.back().next == m_stack.back().rawNames.size()) {
            if (m_stack.back().inAncestors)
                m_ancestors.pop_back();
            m_stack.pop_back();
        }
        if (m_stack.empty())
            return false;
        Frame &parent = m_stack.back();
        const size_t i = parent.next++;
        Frame child;
        child.node = parent.node->children[i].get();
        child.folderPath = parent.folderPath + child.node->name + QLatin1Char('\\');
        child.diskPath = parent.diskPath + QLatin1Char('/') + child.node->name;
        child.dir = std::make_unique<dirlist::Folder>();
        const QByteArray &rawName = parent.rawNames[i];
        child.inAncestors = treewalk::enter(*child.dir, *parent.dir, rawName, m_ancestors);
        // A folder not descended into (too deep, or one of its own ancestors) is still
        // listed: it has its node.
        if (!child.inAncestors && !child.dir->isOpen())
            child.dir->openChild(*parent.dir, rawName);
        out.folderPath = child.folderPath;
        out.diskPath = child.diskPath;
        out.entries.clear();
        out.skipped.clear();
        if (!child.dir->isOpen() || !child.dir->readRaw(m_listing, m_skipDotNames)) {
            out.status = listingFailure(child.diskPath, child.dir->error());
        } else {
            out.status = DbStatus::ok();
            cataloguedEntriesOf(*child.dir, m_listing, m_days, out.entries, child.diskPath,
                &out.skipped, m_choices);
        }
        if (!child.inAncestors)
            return true;
        // What could be read of a folder gives its sub-folders, as in the tree's own walk.
        addChildren(child, out.skipped);
        if (child.rawNames.empty()) {
            m_ancestors.pop_back();
            return true;
        }
        m_stack.push_back(std::move(child)); // parent is not used after this
        return true;
    }

    int found() const { return m_found.load(std::memory_order_relaxed); }
    const std::vector<SkippedEntry> &rootSkipped() const { return m_rootSkipped; }

private:
    struct Frame {
        FolderNode *node = nullptr;
        std::unique_ptr<dirlist::Folder> dir;
        std::vector<QByteArray> rawNames; // of node's children, in their order
        size_t next = 0;
        QString folderPath, diskPath;
        bool inAncestors = false;
    };

    // The visible sub-folders of the listing just read become the frame's nodes, sorted;
    // the folders the catalogue cannot hold go into skipped.
    void addChildren(Frame &frame, std::vector<SkippedEntry> &skipped)
    {
        std::vector<dirlist::Entry> subFolders;
        for (const dirlist::RawListing::Item &item : m_listing.items) {
            if (item.type != dirlist::EntryType::Folder)
                continue;
            dirlist::Entry e;
            e.rawName = m_listing.nameBytes(item);
            e.name = QFile::decodeName(e.rawName);
            e.type = item.type;
            subFolders.push_back(std::move(e));
        }
        treewalk::keepVisibleSubFolders(subFolders, &skipped, frame.diskPath, m_choices);
        std::sort(subFolders.begin(), subFolders.end(),
            [](const dirlist::Entry &a, const dirlist::Entry &b) {
                return compareFolderNames(a.name, b.name) < 0;
            });
        frame.rawNames.reserve(subFolders.size());
        for (dirlist::Entry &e : subFolders) {
            frame.node->addChild(e.name);
            frame.rawNames.push_back(std::move(e.rawName));
        }
        m_found.fetch_add(int(subFolders.size()), std::memory_order_relaxed);
    }

    FolderTree &m_tree;
    const QString m_rootPath;
    const TableChoices m_choices;
    const bool m_skipDotNames;
    std::vector<Frame> m_stack;
    treewalk::Ancestors m_ancestors;
    dirlist::RawListing m_listing; // of the folder last read, its buffers reused
    LocalDays m_days;
    std::atomic<int> m_found { 0 };
    std::vector<SkippedEntry> m_rootSkipped;
};

// The reader thread and the walk hand folders over through one queue. Each side wakes the
// other only when the other waits for what it has just done: the reader pauses when
// `ahead` folders are waiting and resumes only when half of them are taken, so that a walk
// over many small folders costs a few wake-ups instead of two per folder.
struct FolderScan::HandOff {
    std::mutex mutex;
    std::condition_variable readerGo;
    std::condition_variable folderReady;
    std::deque<ScannedFolder> ready;
    size_t ahead = 32;
    bool done = false; // the reader has put the last folder into the queue
    bool stop = false; // the walk gave up
    bool readerWaits = false;
    bool walkWaits = false;
    std::thread thread;

    bool readerMayGo() const { return stop || ready.size() <= ahead / 2; }

    void run(Walker &walker)
    {
        for (;;) {
            ScannedFolder folder;
            const bool more = walker.step(folder);
            std::unique_lock<std::mutex> lock(mutex);
            if (more)
                ready.push_back(std::move(folder));
            else
                done = true;
            if (walkWaits)
                folderReady.notify_one();
            if (!more || stop)
                return;
            if (ready.size() >= ahead) {
                readerWaits = true;
                readerGo.wait(lock, [this] { return readerMayGo(); });
                readerWaits = false;
                if (stop)
                    return;
            }
        }
    }
};

FolderScan::FolderScan(FolderTree &tree, const QString &rootPath, bool readAhead, int ahead,
    const TableChoices &choices)
    : m_walker(std::make_unique<Walker>(tree, rootPath, choices))
{
    m_treeStatus = m_walker->start();
    if (!readAhead)
        return;
    m_handOff = std::make_unique<HandOff>();
    m_handOff->ahead = size_t(std::max(2, ahead));
    try {
        m_handOff->thread = std::thread([this] { m_handOff->run(*m_walker); });
    } catch (const std::system_error &) {
        m_handOff.reset(); // no thread: each folder is read when asked for
    }
}

FolderScan::~FolderScan()
{
    if (!m_handOff)
        return;
    {
        const std::lock_guard<std::mutex> lock(m_handOff->mutex);
        m_handOff->stop = true;
    }
    m_handOff->readerGo.notify_one();
    if (m_handOff->thread.joinable())
        m_handOff->thread.join();
}

bool FolderScan::next(ScannedFolder &out)
{
    if (!m_handOff)
        return m_walker->step(out);
    HandOff &h = *m_handOff;
    std::unique_lock<std::mutex> lock(h.mutex);
    if (h.ready.empty() && !h.done) {
        h.walkWaits = true;
        h.folderReady.wait(lock, [&h] { return !h.ready.empty() || h.done; });
        h.walkWaits = false;
    }
    if (h.ready.empty()) {
        lock.unlock();
        // The reader has ended: the tree is the caller's from here on.
        if (h.thread.joinable())
            h.thread.join();
        return false;
    }
    out = std::move(h.ready.front());
    h.ready.pop_front();
    const bool wake = h.readerWaits && h.readerMayGo();
    lock.unlock();
    if (wake)
        h.readerGo.notify_one();
    return true;
}

const std::vector<SkippedEntry> &FolderScan::rootSkipped() const
{
    return m_walker->rootSkipped();
}

int FolderScan::foldersFound() const
{
    return m_walker->found();
}
