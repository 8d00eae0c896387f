#include "mainwindow.h"

#include "app/regional.h"
#include "app/ui/commandfamilies.h"
#include "browse/ui/editingcommands.h"
#include "state/settingslook.h"

#include <QApplication>
#include <QCloseEvent>
#include <QShowEvent>
#include <QTableView>
#include <QTimer>

bool MainWindow::startUp()
{
    // Dates and numbers follow the program's own rules, fixed for the whole run before
    // any value is shown or read.
    regional::init();
    m_state.viewFont = toQFont(m_state.settings.viewFont);
    m_state.followCurrentRecord = false;
    // Reads the program settings, chooses the archive and opens it; may abandon the start.
    m_families->loadProgramSettings();
    if (m_state.startAbandoned)
        return false;
    m_families->createMoveFileWindow();
    return true;
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Only the first show builds the archive's views; restoring a minimised window
    // must not rebuild the tree.
    if (event->spontaneous() || m_shown)
        return;
    m_shown = true;
    // Queued, so that the splitters have taken their sizes from the shown window.
    QTimer::singleShot(0, this, [this] { fitPendingGridHeight(); });
    guarded([this] { m_families->showArchive(); });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The window itself stays; the program ends when the event loop returns.
    event->ignore();
    guarded([this] {
        m_families->closeHelpWindows();
        quitProgram();
    });
}

void MainWindow::quitProgram()
{
    if (m_state.ending)
        return;
    m_dragScrollTimer->stop();
    m_viewerWatch->stop();
    // The archive file first: saving it closes the table, which drops an unconfirmed
    // record edit. A failing save is reported by the settings layer and must not keep
    // the program from ending.
    guarded([this] { m_families->saveArchiveSettings(); });
    guarded([this] { m_families->saveProgramSettings(); });
    m_state.ending = true;
    QCoreApplication::exit(0);
}

void MainWindow::exitProgram()
{
    // The edit ends as the table's closing would end it, but a text that cannot be saved
    // keeps the program running, as it keeps the window open when it is closed.
    if (m_families->editing().endEditForClosing())
        quitProgram();
}

void MainWindow::checkViewerFocus()
{
    // The grid counts as focused while one of its cell editors has the focus, and while
    // the viewer briefly holds the desktop's focus.
    QWidget *focus = focusWidget();
    if (focus != m_grid && !m_grid->isAncestorOf(focus))
        stopViewerSync();
}

void MainWindow::startViewerWatch()
{
    m_viewerWatch->start();
}

void MainWindow::stopViewerSync()
{
    m_viewerWatch->stop();
    m_families->stopViewerSync();
}

void MainWindow::raiseMoveFileWindow()
{
    if (m_moveFileWindow && m_moveFileWindow->isVisible()) {
        m_moveFileWindow->raise();
        m_moveFileWindow->activateWindow();
        return;
    }
    // Without the move-file window the key keeps its usual meaning.
    focusNextPrevChild(false);
}
