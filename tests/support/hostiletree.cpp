#include "hostiletree.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

// Creates every missing folder of path (raw bytes, absolute).
bool makeFolders(const QByteArray &path)
{
    for (int i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        const QByteArray part = path.left(i);
        if (::mkdir(part.constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

QByteArray parentOf(const QByteArray &path)
{
    return path.left(path.lastIndexOf('/'));
}

bool makeSocket(const QByteArray &path)
{
    sockaddr_un address {};
    if (size_t(path.size()) >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd); // the socket file stays, with nothing listening
    return bound;
}

QString printable(const QByteArray &path)
{
    return QString::fromLatin1(path.toPercentEncoding("/"));
}

// One line of a snapshot: relative is the entry's path below the folder, full the one to
// look at.
QString describe(const QByteArray &full, const QByteArray &relative, const struct stat &st)
{
    const QString line = printable(relative);
    if (S_ISLNK(st.st_mode)) {
        char target[4096];
        const ssize_t n = ::readlink(full.constData(), target, sizeof(target));
        return line + QStringLiteral(" link ")
            + printable(QByteArray(target, int(qMax<ssize_t>(n, 0))));
    }
    if (S_ISDIR(st.st_mode))
        return line + QStringLiteral(" folder");
    if (!S_ISREG(st.st_mode))
        return line + QStringLiteral(" special %1").arg(st.st_mode & S_IFMT);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const int fd = ::open(full.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    char buffer[65536];
    for (ssize_t n = 0; fd >= 0 && (n = ::read(fd, buffer, sizeof(buffer))) > 0;)
        hash.addData(QByteArrayView(buffer, n));
    if (fd >= 0)
        ::close(fd);
    return line
        + QStringLiteral(" file %1 %2.%3 %4")
              .arg(st.st_size)
              .arg(st.st_mtim.tv_sec)
              .arg(st.st_mtim.tv_nsec)
              .arg(QString::fromLatin1(hash.result().toHex()));
}

void snapshotBelow(const QByteArray &folder, const QByteArray &relative, const QStringList &except,
    QStringList &out)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir) {
        out << printable(relative) + QStringLiteral(" unreadable");
        return;
    }
    while (const dirent *e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == ".."
            || (relative.isEmpty() && except.contains(QString::fromUtf8(name))))
            continue;
        const QByteArray full = folder + '/' + name;
        const QByteArray rel = relative.isEmpty() ? name : relative + '/' + name;
        struct stat st;
        if (::lstat(full.constData(), &st) != 0)
            continue;
        out << describe(full, rel, st);
        if (S_ISDIR(st.st_mode))
            snapshotBelow(full, rel, except, out);
    }
    ::closedir(dir);
}

} // namespace

QByteArray HostileTree::rootBytes() const
{
    return QFile::encodeName(root());
}

bool HostileTree::fail(const QString &step)
{
    m_error = step + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool HostileTree::add(const QByteArray &path, Kind kind, bool isFolder)
{
    m_entries.push_back({ path, kind, isFolder });
    return true;
}

bool HostileTree::file(const QByteArray &path, Kind kind, const QByteArray &bytes)
{
    const QByteArray full = rootBytes() + path;
    if (!makeFolders(parentOf(full)))
        return fail(QStringLiteral("folder of ") + QString::fromUtf8(path));
    const int fd = ::open(full.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0)
        return fail(QStringLiteral("file ") + QString::fromUtf8(path));
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(fd);
    if (!written)
        return fail(QStringLiteral("writing ") + QString::fromUtf8(path));
    return add(path, kind);
}

bool HostileTree::link(const QByteArray &path, Kind kind, const QByteArray &target)
{
    const QByteArray full = rootBytes() + path;
    if (!makeFolders(parentOf(full)) || ::symlink(target.constData(), full.constData()) != 0)
        return fail(QStringLiteral("link ") + QString::fromUtf8(path));
    return add(path, kind);
}

bool HostileTree::node(const QByteArray &path, Kind kind)
{
    const QByteArray full = rootBytes() + path;
    if (!makeFolders(parentOf(full)))
        return fail(QStringLiteral("folder of ") + QString::fromUtf8(path));
    const bool made = kind == Kind::Pipe ? ::mkfifo(full.constData(), 0644) == 0 : makeSocket(full);
    return made ? add(path, kind) : fail(QStringLiteral("node ") + QString::fromUtf8(path));
}

bool HostileTree::make()
{
    if (!m_base.isValid())
        return fail(QStringLiteral("temporary folder"));
    const QByteArray outsideBytes = QFile::encodeName(outside());
    if (!makeFolders(outsideBytes + "dir"))
        return fail(QStringLiteral("outside"));
    for (const char *f : { "secret.txt", "notes.txt", "dir/inner.txt" }) {
        QFile out(outside() + QLatin1String(f));
        if (!out.open(QIODevice::WriteOnly) || out.write("outside, never to be written\n") < 0)
            return fail(QStringLiteral("outside file"));
    }
    const QByteArray script = "#!/bin/sh\necho ran > '" + QFile::encodeName(scriptMarker()) + "'\n";
    bool ok = file("Docs/plain.txt", Kind::File) && file("Docs/plain.txt.!", Kind::LongText, "long")
        && file("Docs/run.sh", Kind::Script, script)
        && ::chmod((rootBytes() + "Docs/run.sh").constData(), 0755) == 0
        && file("Docs/say \"hi\".txt", Kind::File) && file("Docs/it's.txt", Kind::File)
        && file("Docs/a.txt", Kind::File) && node("Docs/a.txt.!", Kind::Pipe)
        && file("Docs/README", Kind::File) && file("Docs/.hidden.txt", Kind::Hidden)
        && file(".git/config.txt", Kind::Hidden)
        && link("Docs/to-plain.txt", Kind::LinkToFile, "plain.txt")
        && link("Docs/to-outside.txt", Kind::LinkOutOfRoot, outsideBytes + "secret.txt")
        && link("Docs/dangling.txt", Kind::DanglingLink, "missing.txt")
        && node("Docs/pipe.fifo", Kind::Pipe) && node("Docs/sock.sock", Kind::Socket);
    ok = ok && file("Pipes/p.txt", Kind::File) && node("Pipes/Descript.ion", Kind::Pipe)
        && file("Linked/l.txt", Kind::File)
        && link("Linked/Descript.ion", Kind::LinkOutOfRoot, outsideBytes + "notes.txt")
        && link("Links/docs", Kind::LinkToFolder, "../Docs")
        && link("Links/out", Kind::LinkToFolder, outsideBytes + "dir")
        && link("Links/loop", Kind::LinkToFolder, "..");
    ok = ok && file("Odd/ok.txt", Kind::File) && file("Odd/new\nline.txt", Kind::OddName)
        && file("Odd/tab\there.txt", Kind::OddName) && file("Odd/back\\slash.txt", Kind::OddName)
        && file("Odd/latin\xe9.txt", Kind::OddName)
        && file("Odd/\xce\x94"
                "elta.txt",
            Kind::OddName)
        && file("Odd/" + QByteArray(77, 'n') + ".txt", Kind::OddName)
        && file("Odd/blank.txt ", Kind::OddName) && file("Odd/\xce\x94ir/inner.txt", Kind::File)
        && add("Odd/\xce\x94ir", Kind::OddName, true) && file("bad\nfolder/f.txt", Kind::File)
        && add("bad\nfolder", Kind::OddName, true);
    return ok;
}

HostileTree::~HostileTree()
{
    // QTemporaryDir walks with decoded names and cannot remove one that is no UTF-8.
    for (const Entry &e : m_entries)
        if (QString::fromUtf8(e.path).toUtf8() != e.path)
            ::unlink((rootBytes() + e.path).constData());
}

QStringList HostileTree::snapshot(const QString &folder, const QStringList &except)
{
    QStringList out;
    QByteArray path = QFile::encodeName(folder);
    while (path.endsWith('/'))
        path.chop(1);
    snapshotBelow(path, QByteArray(), except, out);
    out.sort();
    return out;
}
