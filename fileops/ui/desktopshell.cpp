#include "desktopshell.h"

#include "fileops/ui/openwithdialog.h"
#include "platform/commandline.h"
#include "platform/desktopapps.h"
#include "platform/desktopshell.h"

#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>

DesktopShell::DesktopShell(QWidget *window)
    : QObject(window)
    , m_window(window)
{
}

void DesktopShell::open(const QString &target, std::function<void()> onFailure)
{
    desktopshell::open(target, this, std::move(onFailure));
}

void DesktopShell::run(
    const QString &program, const QStringList &arguments, std::function<void()> onFailure)
{
    if (!desktopshell::run(program, arguments) && onFailure)
        onFailure();
}

bool DesktopShell::isProgram(const QString &target) const
{
    return desktopshell::isProgram(target);
}

void DesktopShell::openWith(const QString &file)
{
    OpenWithDialog dialog(file, desktopapps::forFile(file), m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // A program that does not start leaves nothing to report: the chooser was the
    // last resort of the request.
    if (!dialog.chosenProgram().isEmpty())
        QProcess::startDetached(dialog.chosenProgram(), { commandline::pathArgument(file) });
    else if (const desktopapps::Application *app = dialog.chosenApplication())
        desktopapps::launch(*app, file);
}

void DesktopShell::explore(const QString &folder)
{
    desktopshell::explore(folder);
}

void DesktopShell::copyToClipboard(const QString &text)
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(desktopshell::clipboardText(text));
}

bool DesktopShell::programExists(const QString &path) const
{
    return desktopshell::programExists(path);
}

WindowForeground::WindowForeground(QWidget *window)
    : m_window(window)
{
    m_clock.start();
}

bool WindowForeground::mainWindowInFront() const
{
    return m_window && m_window->isActiveWindow();
}

void WindowForeground::bringMainWindowToFront()
{
    if (!m_window)
        return;
    m_window->raise();
    m_window->activateWindow();
}

void WindowForeground::wait(int ms)
{
    // Keys and clicks wait: the user's next step must not start another hand-off now.
    QEventLoop loop;
    QTimer::singleShot(qMax(0, ms), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
