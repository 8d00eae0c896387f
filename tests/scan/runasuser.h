#pragma once

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

// Runs check in a child process with the rights of an unprivileged user, so that
// permissions bite even when the tests run as the superuser. Returns check's result
// (0 for success), or -1 when the child could not be run that way.
inline int runUnprivileged(const std::function<int()> &check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        ::_exit(check());
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 100)
        return -1;
    return WEXITSTATUS(status);
}
