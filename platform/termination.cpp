#include "termination.h"

#include <QPointer>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace termination
{

namespace
{

    int g_pipe[2] = { -1, -1 };
    std::function<void()> g_handler;
    QPointer<QSocketNotifier> g_notifier;
    const int g_signals[] = { SIGTERM, SIGINT, SIGHUP };

    // Only async-signal-safe calls here: the work happens in the event loop.
    void onSignal(int signal)
    {
        struct sigaction restore = {};
        restore.sa_handler = SIG_DFL;
        sigemptyset(&restore.sa_mask);
        for (int s : g_signals)
            ::sigaction(s, &restore, nullptr);
        const char byte = char(signal);
        [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &byte, 1);
    }

} // namespace

void onRequest(QObject *context, std::function<void()> handler)
{
    g_handler = std::move(handler);
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return;
    if (!g_notifier) {
        auto *notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, context);
        QObject::connect(notifier, &QSocketNotifier::activated, context, [notifier] {
            char byte = 0;
            [[maybe_unused]] const ssize_t n = ::read(g_pipe[1], &byte, 1);
            notifier->setEnabled(false);
            if (g_handler)
                g_handler();
        });
        g_notifier = notifier;
    }
    g_notifier->setEnabled(true);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : g_signals)
        ::sigaction(s, &action, nullptr);
}

} // namespace termination
