#include "shellcommands.h"

#include "fileops/shellrequests.h"
#include "fileops/ui/desktopshell.h"
#include "fileops/viewerhandoff.h"
#include "platform/commandline.h"
#include "platform/diskpath.h"
#include "platform/drives.h"
#include "store/catalogtable.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTableView>

ShellCommands::ShellCommands(AppState &state, ViewsPort &views, StatusPanels &panels,
    CommandPort &commands, const QString &executablePath, Hooks hooks)
    : m_state(state)
    , m_views(views)
    , m_panels(panels)
    , m_commands(commands)
    , m_executablePath(executablePath)
    , m_hooks(std::move(hooks))
    , m_grid(views.grid())
    , m_handOffLimit(viewerhandoff::kHandOffLimitMs)
{
    setShell(nullptr);
    setForeground(nullptr);
    if (m_grid)
        connect(m_grid, &QAbstractItemView::doubleClicked, this,
            [this] { m_commands.runCommand(Command::OpenFile); });
}

ShellCommands::~ShellCommands() = default;

void ShellCommands::setShell(std::unique_ptr<ShellPort> shell)
{
    m_shell = shell ? std::move(shell)
                    : std::make_unique<DesktopShell>(m_grid ? m_grid->window() : nullptr);
}

void ShellCommands::setForeground(std::unique_ptr<ForegroundPort> foreground)
{
    m_foreground = foreground
        ? std::move(foreground)
        : std::make_unique<WindowForeground>(m_grid ? m_grid->window() : nullptr);
}

ShellCommands::Current ShellCommands::current() const
{
    Current c;
    const CatalogTable *t = m_state.openTable();
    if (!t || t->table().recNo() <= 0)
        return c;
    c.exists = true;
    c.dir = t->text(CatalogTable::DIR);
    c.name = t->text(CatalogTable::NAME);
    c.note = t->text(CatalogTable::NOTE);
    return c;
}

QString ShellCommands::rootPath() const
{
    return m_state.rootPath();
}

// rootPath + DIR + NAME, found on disk without regard to letter case.
QString ShellCommands::currentFilePath(const Current &c) const
{
    return PathResolver(rootPath()).resolve(c.dir, c.name);
}

bool ShellCommands::gridHasFocus() const
{
    // The window's focus widget: while the viewer holds the desktop's focus, the grid
    // still is the one that gets the keys back.
    QWidget *window = m_grid ? m_grid->window() : nullptr;
    QWidget *focus = window ? window->focusWidget() : nullptr;
    return focus && (focus == m_grid || m_grid->isAncestorOf(focus));
}

bool ShellCommands::viewerWanted(const Current &c) const
{
    return c.exists && shellrequests::viewerShows(c.name, m_state.settings.viewerExtensions)
        && QFileInfo(currentFilePath(c)).isFile();
}

void ShellCommands::bringWindowToFront()
{
    if (m_foreground)
        m_foreground->bringMainWindowToFront();
}

void ShellCommands::openFile()
{
    // Only while the grid is read-only: a double click in record edit mode edits.
    if (m_state.mode != UiMode::Browse)
        return;
    const Current c = current();
    if (!c.exists)
        return;
    const QString file = currentFilePath(c);
    shellrequests::openTarget(*m_shell, file, {}, [this, file] { m_shell->openWith(file); });
}

void ShellCommands::openWith()
{
    const Current c = current();
    if (c.exists)
        m_shell->openWith(currentFilePath(c));
}

void ShellCommands::exploreFolder()
{
    const Current c = current();
    const QString folder = PathResolver(rootPath()).resolve(c.exists ? c.dir : QString());
    const QString programFolder = QFileInfo(m_executablePath).absolutePath() + QLatin1Char('/');
    const shellrequests::ExploreRequest r = shellrequests::exploreRequest(
        m_state.settings.fileManagerPath, folder, programFolder, drives::driveOf(m_executablePath),
        [this](const QString &path) { return m_shell->programExists(path); });
    if (r.useShell)
        m_shell->explore(r.file);
    else
        m_shell->run(r.file, r.arguments, {});
}

void ShellCommands::copyToClipboard(const QString &text)
{
    m_shell->copyToClipboard(text);
}

void ShellCommands::copyPath()
{
    const Current c = current();
    copyToClipboard(shellrequests::pathAndFile(rootPath(), m_panels.panelText(2), c.name));
}

void ShellCommands::copyFileName()
{
    const Current c = current();
    if (c.exists)
        copyToClipboard(c.name);
}

void ShellCommands::copyNote()
{
    const Current c = current();
    if (c.exists)
        copyToClipboard(c.note);
}

void ShellCommands::copyText()
{
    if (QPlainTextEdit *pane = m_views.textPane())
        copyToClipboard(shellrequests::wholeText(pane->toPlainText()));
}

void ShellCommands::openLink()
{
    QPlainTextEdit *pane = m_views.textPane();
    const QString selection = pane ? pane->textCursor().selectedText() : QString();
    if (selection.isEmpty())
        return;
    const shellrequests::Link link = shellrequests::splitLink(selection);
    shellrequests::openTarget(
        *m_shell, link.file, commandline::split(link.parameters), [this] { bringWindowToFront(); });
}

void ShellCommands::toggleViewerSync()
{
    m_viewerSync = !m_viewerSync;
    if (!m_viewerSync || !m_shell->programExists(m_state.settings.viewerPath)) {
        // Also when the viewer program is missing: sync goes straight off again.
        m_hooks.stopViewerSync();
        return;
    }
    m_hooks.startViewerWatch();
    m_hooks.showViewerImage(true);
    if (m_grid)
        m_grid->setFocus();
    if (viewerWanted(current()))
        showInViewer();
}

void ShellCommands::showInViewer()
{
    // The waits let the window system's events run; none of them starts a second hand-off.
    if (m_handingOff)
        return;
    const QScopedValueRollback<bool> busy(m_handingOff, true);
    const Settings &s = m_state.settings;
    ViewerRequest request;
    request.program = s.viewerPath;
    request.arguments = shellrequests::viewerArguments(currentFilePath(current()), s.viewerParams);
    request.delay = s.viewerDelay;
    viewerhandoff::showInViewer(*m_shell, *m_foreground, request, m_handOffLimit);
}

void ShellCommands::stopViewerSync()
{
    m_viewerSync = false;
    m_hooks.showViewerImage(false);
}

void ShellCommands::onCurrentRecordShown()
{
    if (!m_viewerSync || m_state.settings.viewerPath.isEmpty() || !gridHasFocus())
        return;
    if (viewerWanted(current()))
        showInViewer();
}
