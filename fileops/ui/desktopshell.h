#pragma once

#include "fileops/shellport.h"
#include "fileops/viewerhandoff.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QWidget>

// The shell requests as this desktop carries them out: the platform's shell verbs, the
// open-with chooser over the main window, the clipboard. A failure reported after the
// main window has gone is dropped.
class DesktopShell : public QObject, public ShellPort
{
    Q_OBJECT
public:
    explicit DesktopShell(QWidget *window);

    void open(const QString &target, std::function<void()> onFailure) override;
    void run(const QString &program, const QStringList &arguments,
        std::function<void()> onFailure) override;
    bool isProgram(const QString &target) const override;
    void openWith(const QString &file) override;
    void explore(const QString &folder) override;
    void copyToClipboard(const QString &text) override;
    bool programExists(const QString &path) const override;

private:
    QPointer<QWidget> m_window;
};

// The main window's place on the desktop, for the viewer's hand-back. Best effort: a
// window manager may keep the program from coming to the front.
class WindowForeground : public ForegroundPort
{
public:
    explicit WindowForeground(QWidget *window);

    bool mainWindowInFront() const override;
    void bringMainWindowToFront() override;
    // The window system's events go on meanwhile, the user's wait.
    void wait(int ms) override;
    qint64 elapsedMs() const override { return m_clock.elapsed(); }

private:
    QPointer<QWidget> m_window;
    QElapsedTimer m_clock;
};
