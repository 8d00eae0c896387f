#pragma once

#include <QString>
#include <QStringList>

class ShellPort;

// Showing a file in the external viewer and handing the focus back to the main window, so
// that the user moves on in the grid with the arrow keys while the viewer follows.
//
// Both waits for the desktop are bounded: a viewer that never comes to the front, or a
// window manager that refuses to give the foreground back (focus-stealing prevention, or a
// desktop that lets no program raise itself), costs at most kHandOffLimitMs each, and
// the program goes on.

// What the hand-back needs of the window system; tests replace it.
class ForegroundPort
{
public:
    virtual ~ForegroundPort() = default;
    // True while the main window is the active window of the desktop.
    virtual bool mainWindowInFront() const = 0;
    virtual void bringMainWindowToFront() = 0;
    // Waits ms milliseconds; the window system's events (not the user's) go on meanwhile.
    virtual void wait(int ms) = 0;
    // Milliseconds since some fixed point; only differences count.
    virtual qint64 elapsedMs() const = 0;
};

struct ViewerRequest {
    QString program; // viewerPath, as written
    QStringList arguments; // shellrequests::viewerArguments
    int delay = 200; // viewerDelay in milliseconds
};

namespace viewerhandoff
{

// The longest each of the two waits goes on.
constexpr int kHandOffLimitMs = 2000;
// The longest single pause, whatever viewerDelay says.
constexpr int kMaxDelayMs = 1000;

// Asks the shell to run the viewer with the arguments (nothing more when that fails at
// once); waits (viewerDelay at a time)
// until the main window is no longer in front, at most limitMs; waits viewerDelay once
// more; then brings the main window to the front, waiting viewerDelay each time, until it
// is in front again, at most limitMs. A negative delay counts as 0.
void showInViewer(ShellPort &shell, ForegroundPort &foreground, const ViewerRequest &request,
    int limitMs = kHandOffLimitMs);

} // namespace viewerhandoff
