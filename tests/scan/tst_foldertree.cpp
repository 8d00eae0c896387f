#include "platform/dirlist.h"
#include "scan/foldertree.h"
#include "support/runasuser.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

QStringList childNames(const FolderNode &node)
{
    QStringList out;
    for (const auto &c : node.children)
        out.append(c->name);
    return out;
}

// Creates a folder from raw bytes, for names that no QString can spell.
bool mkdirRaw(const QString &parent, const QByteArray &name)
{
    return ::mkdir((QFile::encodeName(parent) + '/' + name).constData(), 0755) == 0;
}

} // namespace

class TestFolderTree : public QObject
{
    Q_OBJECT
private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_root;

    void mk(const QString &relative)
    {
        QVERIFY(QDir().mkpath(m_root + QLatin1Char('/') + relative));
    }
    void touch(const QString &relative)
    {
        QVERIFY(testutil::writeFile(m_root + QLatin1Char('/') + relative, "x"));
    }
    bool there(const QString &relative) const
    {
        return QFileInfo::exists(m_root + QLatin1Char('/') + relative);
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path();
    }

    void siblingsSortWithoutCase()
    {
        for (const char *n : { "b", "A", "c", "a-1", "B2" })
            mk(QString::fromLatin1(n));
        FolderTree tree;
        QVERIFY(tree.rebuild(m_root));
        const QStringList names = childNames(tree.root());
        QCOMPARE(names.indexOf(QStringLiteral("A")), 0);
        QVERIFY(names.indexOf(QStringLiteral("b")) < names.indexOf(QStringLiteral("B2")));
        QVERIFY(names.indexOf(QStringLiteral("B2")) < names.indexOf(QStringLiteral("c")));
    }

    void onlyVisibleFoldersGetNodes()
    {
        mk(QStringLiteral("Photos/.git/objects"));
        mk(QStringLiteral(".hidden/inner"));
        mk(QStringLiteral("Photos/2019"));
        mk(QStringLiteral("back\\slash"));
        mk(QStringLiteral("\u65e5\u672c"));
        QVERIFY(mkdirRaw(m_root, QByteArray("bad\xff")));
        touch(QStringLiteral("file.txt"));
        QVERIFY(QFile::link(
            m_root + QStringLiteral("/Photos"), m_root + QStringLiteral("/LinkToPhotos")));
        FolderTree tree;
        QVERIFY(tree.rebuild(m_root));
        QCOMPARE(childNames(tree.root()), QStringList { QStringLiteral("Photos") });
        QCOMPARE(childNames(*tree.root().children[0]), QStringList { QStringLiteral("2019") });
        ::rmdir((QFile::encodeName(m_root) + "/bad\xff").constData());
    }

    void caseTwinsGiveOneNode()
    {
        mk(QStringLiteral("Photo/a"));
        mk(QStringLiteral("PHOTO/b"));
        mk(QStringLiteral("x/one"));
        mk(QStringLiteral("x/One"));
        FolderTree tree;
        QVERIFY(tree.rebuild(m_root));
        QCOMPARE(childNames(tree.root()),
            (QStringList { QStringLiteral("PHOTO"), QStringLiteral("x") }));
        QCOMPARE(childNames(*tree.root().children[1]), QStringList { QStringLiteral("One") });
    }

    void folderPaths()
    {
        mk(QStringLiteral("A/B/C"));
        FolderTree tree;
        QVERIFY(tree.rebuild(m_root));
        const FolderNode *a = tree.root().children[0].get();
        const FolderNode *c = a->children[0]->children[0].get();
        QCOMPARE(folderPathOfNode(a), QStringLiteral("A\\"));
        QCOMPARE(folderPathOfNode(c), QStringLiteral("A\\B\\C\\"));
        QCOMPARE(folderPathOfNode(&tree.root()), QString());
        QCOMPARE(int(tree.nodesInOrder().size()), 3);
        QCOMPARE(tree.nodesInOrder().back(), c);
    }

    // Folders whose link count shows that they hold no sub-folder are not read; the tree
    // must not differ for it (sub-folders added and removed, hidden ones, links).
    void linkCountLeavesTreeAlone()
    {
        const auto paths = [](const FolderTree &tree) {
            QStringList out;
            for (const FolderNode *n : tree.nodesInOrder())
                out << folderPathOfNode(n);
            return out;
        };
        mk(QStringLiteral("Deep/x/y"));
        mk(QStringLiteral("OnlyHidden/.git"));
        touch(QStringLiteral("Deep/x/f.txt"));
        QVERIFY(QFile::link(
            m_root + QStringLiteral("/Deep"), m_root + QStringLiteral("/OnlyHidden/link")));
        FolderTree tree;
        QVERIFY(tree.rebuild(m_root));
        QCOMPARE(
            paths(tree), (QStringList { "Deep\\", "Deep\\x\\", "Deep\\x\\y\\", "OnlyHidden\\" }));
        mk(QStringLiteral("OnlyHidden/new"));
        QVERIFY(QDir(m_root + QStringLiteral("/Deep/x/y")).removeRecursively());
        QVERIFY(tree.rebuild(m_root));
        QCOMPARE(paths(tree),
            (QStringList { "Deep\\", "Deep\\x\\", "OnlyHidden\\", "OnlyHidden\\new\\" }));
        dirlist::Folder deep;
        dirlist::FolderId id;
        QVERIFY(deep.open(m_root + QStringLiteral("/Deep")) && deep.id(id));
        QVERIFY(!id.noSubFolders);
    }

    void symlinkLoopsDoNotHang()
    {
        mk(QStringLiteral("a/b"));
        QVERIFY(QFile::link(QStringLiteral(".."), m_root + QStringLiteral("/a/up")));
        QVERIFY(QFile::link(m_root, m_root + QStringLiteral("/a/b/root")));
        QVERIFY(QFile::link(m_root + QStringLiteral("/self"), m_root + QStringLiteral("/self")));
        FolderTree tree;
        QVERIFY(tree.rebuild(m_root));
        QCOMPARE(int(tree.nodesInOrder().size()), 2);
        QCOMPARE(::removeEmptyFolders(m_root), 0);
        QVERIFY(there(QStringLiteral("a/b")));
    }

    void unreadableFolderHasNoChildren()
    {
        mk(QStringLiteral("locked/inner"));
        mk(QStringLiteral("open/inner"));
        for (const QString &f :
            { QString(), QStringLiteral("/open"), QStringLiteral("/open/inner") })
            QVERIFY(QFile::setPermissions(m_root + f,
                QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                    | QFile::ExeOther));
        const QByteArray locked = QFile::encodeName(m_root + QStringLiteral("/locked"));
        QCOMPARE(::chmod(locked.constData(), 0), 0);
        const int result = runUnprivileged([this] {
            FolderTree tree;
            if (!tree.rebuild(m_root))
                return 1;
            if (childNames(tree.root())
                != QStringList { QStringLiteral("locked"), QStringLiteral("open") })
                return 2;
            if (!tree.root().children[0]->children.empty()
                || tree.root().children[1]->children.size() != 1)
                return 3;
            return 0;
        });
        ::chmod(locked.constData(), 0755);
        QCOMPARE(result, 0);
    }

    void missingRootIsReported()
    {
        FolderTree tree;
        const DbStatus st = tree.rebuild(m_root + QStringLiteral("/gone"));
        QCOMPARE(st.code(), DbStatus::NotFound);
        QVERIFY(tree.isEmpty());
        QVERIFY(tree.nodesInOrder().empty());
    }

    void depthIsBounded()
    {
        QString deep;
        for (int i = 0; i < kMaxFolderDepth + 10; ++i)
            deep += QStringLiteral("d/");
        mk(deep);
        FolderTree tree;
        QVERIFY(tree.rebuild(m_root));
        QCOMPARE(int(tree.nodesInOrder().size()), kMaxFolderDepth);
    }

    void ensureFolder_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("created");
        QTest::newRow("below an existing folder")
            << "PHOTOS\\New\\Sub\\" << int(DbStatus::Ok) << "Photos/New/Sub";
        QTest::newRow("typed with slashes") << "photos/2020" << int(DbStatus::Ok) << "Photos/2020";
        QTest::newRow("existing") << "PHOTOS\\" << int(DbStatus::Ok) << "Photos";
        QTest::newRow("leaves the root") << "..\\escape" << int(DbStatus::InvalidArgument) << "";
        QTest::newRow("hidden") << "Photos\\.cache" << int(DbStatus::InvalidArgument) << "";
        QTest::newRow("not Windows-1252") << "\u65e5\\a" << int(DbStatus::InvalidArgument) << "";
        QTest::newRow("a file is in the way") << "Photos\\a.txt\\x" << int(DbStatus::IoError) << "";
    }
    void ensureFolder()
    {
        QFETCH(QString, relative);
        QFETCH(int, code);
        QFETCH(QString, created);
        touch(QStringLiteral("Photos/a.txt"));
        QCOMPARE(int(ensureFolderOnDisk(m_root, relative).code()), code);
        if (!created.isEmpty())
            QVERIFY(QFileInfo(m_root + QLatin1Char('/') + created).isDir());
        QVERIFY(!QFileInfo::exists(m_root + QStringLiteral("/../escape")));
        QVERIFY(!there(QStringLiteral("PHOTOS")));
    }

    void folderIsEmpty_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<bool>("empty");
        QTest::newRow("nothing") << QStringList() << QStringList() << true;
        QTest::newRow("dot file") << QStringList { ".nomedia" } << QStringList() << true;
        QTest::newRow("dot folder") << QStringList() << QStringList { ".thumbs" } << true;
        QTest::newRow("file") << QStringList { "a.txt" } << QStringList() << false;
        QTest::newRow("file without extension")
            << QStringList { "README" } << QStringList() << false;
        QTest::newRow("folder") << QStringList() << QStringList { "sub" } << false;
    }
    void folderIsEmpty()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        QFETCH(bool, empty);
        mk(QStringLiteral("t"));
        for (const QString &f : files)
            touch(QStringLiteral("t/") + f);
        for (const QString &f : folders)
            mk(QStringLiteral("t/") + f);
        QCOMPARE(::folderIsEmpty(m_root + QStringLiteral("/t")), empty);
        QCOMPARE(::folderIsEmpty(m_root + QStringLiteral("/t/")), empty);
        QVERIFY(!::folderIsEmpty(m_root + QStringLiteral("/missing")));
    }

    void removeEmptyFolders()
    {
        mk(QStringLiteral("X/Y/Z"));
        mk(QStringLiteral("Keep/Y/Z"));
        touch(QStringLiteral("Keep/Y/a.txt"));
        mk(QStringLiteral("Media/Empty"));
        touch(QStringLiteral("Media/.nomedia"));
        mk(QStringLiteral("Holder/.hidden"));
        mk(QStringLiteral(".git/empty"));
        QTemporaryDir outside;
        QVERIFY(QDir().mkpath(outside.path() + QStringLiteral("/target")));
        QVERIFY(QFile::link(
            outside.path() + QStringLiteral("/target"), m_root + QStringLiteral("/link")));

        QCOMPARE(::removeEmptyFolders(m_root), 5); // X, Y, Z, Keep/Y/Z, Media/Empty
        QVERIFY(!there(QStringLiteral("X")));
        QVERIFY(!there(QStringLiteral("Keep/Y/Z")));
        QVERIFY(there(QStringLiteral("Keep/Y/a.txt")));
        QVERIFY(!there(QStringLiteral("Media/Empty")));
        QVERIFY(there(QStringLiteral("Media/.nomedia"))); // its removal failed: it stays
        QVERIFY(there(QStringLiteral("Holder/.hidden")));
        QVERIFY(there(QStringLiteral(".git/empty"))); // never visited
        QVERIFY(QFileInfo::exists(outside.path() + QStringLiteral("/target")));
        QVERIFY(QFileInfo(m_root).isDir()); // the top folder is never removed

        FolderTree tree;
        QVERIFY(tree.rebuild(m_root));
        QCOMPARE(childNames(tree.root()),
            (QStringList {
                QStringLiteral("Holder"), QStringLiteral("Keep"), QStringLiteral("Media") }));
    }
};

QTEST_GUILESS_MAIN(TestFolderTree)
#include "tst_foldertree.moc"
