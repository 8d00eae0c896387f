#pragma once

#include <QString>

#include <functional>

// The superuser passes every permission check, so a test of what happens when a file or a
// folder may not be read or written runs that part as an unprivileged user instead. The
// child process works on a copy of the test's memory: what it changes there stays there.

// Runs check in a child process with the rights of an unprivileged user (directly when the
// test does not run as the superuser). Returns check's result (0 for success), or -1 with a
// warning saying why when the child could not run that way or did not end normally.
int runUnprivileged(const std::function<int()> &check);

// Runs QtTest checks the same way; false when one of them failed (the child reports it).
bool passesUnprivileged(const std::function<void()> &steps);

// Gives path and everything below it to the user that runUnprivileged() runs as, so that
// the owner's permission bits bind that user as they would bind any owner. Does nothing
// when the test does not run as the superuser.
bool giveToUnprivileged(const QString &path);
