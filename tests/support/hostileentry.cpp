#include "hostileentry.h"

#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace
{

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

bool isDevice(const QString &path)
{
    struct stat st {
    };
    return ::stat(native(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

} // namespace

HostileEntry::HostileEntry(const QString &outside)
    : m_outside(outside)
{
    QDir().mkpath(m_outside);
    testutil::writeFile(m_outside + QStringLiteral("/file"), outsideBytes());
    // The superuser could replace /dev/null by mistake: it gets a null device of its own.
    // Anyone else gets /dev/null itself, which they cannot replace.
    m_device = m_outside + QStringLiteral("/null");
    if (::geteuid() != 0
        || ::mknod(native(m_device).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        m_device = QStringLiteral("/dev/null");
}

bool HostileEntry::make(Kind kind, const QString &path) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    switch (kind) {
    case LinkOutside:
        return QFile::link(m_outside + QStringLiteral("/file"), path);
    case LinkToDevice:
        return QFile::link(m_device, path);
    case DanglingLink:
        return QFile::link(m_outside + QStringLiteral("/gone"), path);
    case Fifo:
        return ::mkfifo(native(path).constData(), 0600) == 0;
    }
    return false;
}

bool HostileEntry::outsideIntact() const
{
    return testutil::readFile(m_outside + QStringLiteral("/file")) == outsideBytes()
        && isDevice(m_device) && !QFileInfo::exists(m_outside + QStringLiteral("/gone"));
}

bool HostileEntry::stillThere(Kind kind, const QString &path)
{
    struct stat st {
    };
    if (::lstat(native(path).constData(), &st) != 0)
        return false;
    return kind == Fifo ? S_ISFIFO(st.st_mode) : S_ISLNK(st.st_mode);
}
