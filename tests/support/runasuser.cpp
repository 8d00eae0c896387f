#include "runasuser.h"

#include <QDirIterator>
#include <QFile>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// The conventional "nobody" of Debian; it owns nothing and belongs to no group.
constexpr uid_t kUnprivilegedUser = 65534;
constexpr gid_t kUnprivilegedGroup = 65534;
// The child's exit code when it could not drop the rights; a check returning it gives 1.
constexpr int kNotDropped = 125;

bool dropRights()
{
    // Supplementary groups first: root's group would otherwise still open group-readable
    // files. The group before the user, which cannot change it afterwards.
    if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedGroup) != 0
        || ::setuid(kUnprivilegedUser) != 0)
        return false;
    return ::geteuid() == kUnprivilegedUser;
}

} // namespace

int runUnprivileged(const std::function<int()> &check)
{
    if (::geteuid() != 0)
        return check();
    ::fflush(nullptr); // buffered output would otherwise be written by both processes
    const pid_t pid = ::fork();
    if (pid < 0) {
        qWarning("cannot start the unprivileged child: %s", strerror(errno));
        return -1;
    }
    if (pid == 0) {
        if (!dropRights())
            ::_exit(kNotDropped);
        const int result = check();
        ::fflush(nullptr);
        ::_exit(result == kNotDropped ? 1 : result);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) {
        qWarning("lost the unprivileged child: %s", strerror(errno));
        return -1;
    }
    if (WIFSIGNALED(status)) {
        qWarning("the unprivileged child ended by signal %d", WTERMSIG(status));
        return -1;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == kNotDropped) {
        qWarning("cannot drop the superuser's rights to user %u", unsigned(kUnprivilegedUser));
        return -1;
    }
    return WEXITSTATUS(status);
}

bool passesUnprivileged(const std::function<void()> &steps)
{
    return runUnprivileged([&steps] {
        steps();
        return QTest::currentTestFailed() ? 1 : 0;
    }) == 0;
}

bool giveToUnprivileged(const QString &path)
{
    if (::geteuid() != 0)
        return true;
    const auto give = [](const QString &file) {
        return ::lchown(QFile::encodeName(file).constData(), kUnprivilegedUser, kUnprivilegedGroup)
            == 0;
    };
    bool ok = give(path);
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext())
        ok = give(it.next()) && ok;
    if (!ok)
        qWarning("cannot give %s to user %u", qPrintable(path), unsigned(kUnprivilegedUser));
    return ok;
}
