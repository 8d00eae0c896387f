#include "viewerhandoff.h"

#include "shellport.h"

#include <QtGlobal>

#include <memory>

namespace viewerhandoff
{

namespace
{

    // Repeats step and a pause until done() or the limit has passed.
    template <typename Step, typename Done>
    void repeatBounded(ForegroundPort &fg, int delay, int limitMs, Step step, Done done)
    {
        const qint64 start = fg.elapsedMs();
        do {
            step();
            fg.wait(delay);
        } while (!done() && fg.elapsedMs() - start < limitMs);
    }

} // namespace

void showInViewer(
    ShellPort &shell, ForegroundPort &foreground, const ViewerRequest &request, int limitMs)
{
    const int delay = qBound(0, request.delay, kMaxDelayMs);
    // A viewer that could not be started comes to no front: nothing to wait for. The flag
    // is shared because the shell may report a failure after this has returned.
    auto failed = std::make_shared<bool>(false);
    shell.run(request.program, request.arguments, [failed] { *failed = true; });
    if (*failed)
        return;
    repeatBounded(
        foreground, delay, limitMs, [] {}, [&] { return !foreground.mainWindowInFront(); });
    foreground.wait(delay);
    repeatBounded(
        foreground, delay, limitMs, [&] { foreground.bringMainWindowToFront(); },
        [&] { return foreground.mainWindowInFront(); });
}

} // namespace viewerhandoff
