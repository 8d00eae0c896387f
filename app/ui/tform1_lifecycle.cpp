#include "tform1.h"

#include "app/regional.h"
#include "app/settingslook.h"

#include <QApplication>
#include <QCloseEvent>
#include <QShowEvent>
#include <QTableView>
#include <QTimer>

bool TForm1::FormCreate()
{
    // Dates and numbers follow the program's own rules, fixed for the whole run before
    // any value is shown or read.
    regional::init();
    m_state.ViewFont = toQFont(m_state.settings.ViewFont);
    m_state.FollowCurrentRecord = false;
    // Reads the program settings, chooses the archive and opens it; may abandon the start.
    run("LoadProgramSettings");
    if (m_state.startAbandoned)
        return false;
    run("CreateMoveFileWindow");
    return true;
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Only the first show builds the archive's views; restoring a minimised window
    // must not rebuild the tree.
    if (event->spontaneous() || m_shown)
        return;
    m_shown = true;
    guarded([this] { run("ShowArchive"); });
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // The window itself stays; the program ends when the event loop returns.
    event->ignore();
    guarded([this] {
        run("FormCloseQuery");
        QuitProgram();
    });
}

void TForm1::QuitProgram()
{
    if (m_state.ending)
        return;
    Timer1->stop();
    Timer2->stop();
    // The archive file first: saving it closes the table, which drops an unconfirmed
    // record edit. A failing save is reported by the settings layer and must not keep
    // the program from ending.
    guarded([this] { run("SaveArchiveSettings"); });
    guarded([this] { run("SaveProgramSettings"); });
    m_state.ending = true;
    QCoreApplication::exit(0);
}

void TForm1::ExitClick()
{
    QuitProgram();
}

void TForm1::Timer2Timer()
{
    // The grid counts as focused while one of its cell editors has the focus, and while
    // the viewer briefly holds the desktop's focus.
    QWidget *focus = focusWidget();
    if (focus != DBGrid1 && !DBGrid1->isAncestorOf(focus))
        StopViewerSync();
}

void TForm1::StopViewerSync()
{
    Timer2->stop();
    run("StopViewerSync");
}

void TForm1::Action1Execute()
{
    if (m_moveFileWindow && m_moveFileWindow->isVisible()) {
        m_moveFileWindow->raise();
        m_moveFileWindow->activateWindow();
        return;
    }
    // Without the move-file window the key keeps its usual meaning.
    focusNextPrevChild(false);
}

// Handlers whose work belongs to the command families; each runs what was plugged in.
void TForm1::miArchivClick()
{
    run("miArchivClick");
}
void TForm1::miIndex1Click()
{
    run("miIndex1Click");
}
void TForm1::miArchivNeuClick()
{
    run("miArchivNeuClick");
}
void TForm1::miAechivDelClick()
{
    run("miAechivDelClick");
}
void TForm1::ReorganisationClick()
{
    run("ReorganisationClick");
}
void TForm1::Druckereinrichten1Click()
{
    run("Druckereinrichten1Click");
}
void TForm1::miFiledruckClick()
{
    run("miFiledruckClick");
}
void TForm1::Einstellungen1Click()
{
    run("Einstellungen1Click");
}
void TForm1::miDirNewClick()
{
    run("miDirNewClick");
}
void TForm1::miDirMoveClick()
{
    run("miDirMoveClick");
}
void TForm1::miAllexpClick()
{
    run("miAllexpClick");
}
void TForm1::miAllcolClick()
{
    run("miAllcolClick");
}
void TForm1::miOrdnerupdate1Click()
{
    run("miOrdnerupdate1Click");
}
void TForm1::popDelDirClick()
{
    run("popDelDirClick");
}
void TForm1::unten1Click()
{
    run("unten1Click");
}
void TForm1::oben1Click()
{
    run("oben1Click");
}
void TForm1::miClearsearchClick()
{
    run("miClearsearchClick");
}
void TForm1::miViewerClick()
{
    run("miViewerClick");
}
void TForm1::Mutieren1Click()
{
    run("Mutieren1Click");
}
void TForm1::miTextClick()
{
    run("miTextClick");
}
void TForm1::miDelClick()
{
    run("miDelClick");
}
void TForm1::miOkClick()
{
    run("miOkClick");
}
void TForm1::miTextSichClick()
{
    run("miTextSichClick");
}
void TForm1::miInsFileClick()
{
    run("miInsFileClick");
}
void TForm1::miDelAllClick()
{
    run("miDelAllClick");
}
void TForm1::miheuteClick()
{
    run("miheuteClick");
}
void TForm1::miKataddClick()
{
    run("miKataddClick");
}
void TForm1::mikatdelClick()
{
    run("mikatdelClick");
}
void TForm1::miKatReplaceClick()
{
    run("miKatReplaceClick");
}
void TForm1::miFilterClick()
{
    run("miFilterClick");
}
void TForm1::miMoveClick()
{
    run("miMoveClick");
}
void TForm1::miKopierenClick()
{
    run("miKopierenClick");
}
void TForm1::miAllUpdClick()
{
    run("miAllUpdClick");
}
void TForm1::Explore1Click()
{
    run("Explore1Click");
}
void TForm1::miKategorienClick()
{
    run("miKategorienClick");
}
void TForm1::miHelpClick()
{
    run("miHelpClick");
}
void TForm1::Info1Click()
{
    run("Info1Click");
}
void TForm1::popCopyPathClick()
{
    run("popCopyPathClick");
}
void TForm1::DBGrid1DblClick()
{
    run("DBGrid1DblClick");
}
void TForm1::ffnenmit1Click()
{
    run("ffnenmit1Click");
}
void TForm1::popfilenameClick()
{
    run("popfilenameClick");
}
void TForm1::popBemerkungClick()
{
    run("popBemerkungClick");
}
void TForm1::popGanzeTextClick()
{
    run("popGanzeTextClick");
}
void TForm1::popOpenlinkClick()
{
    run("popOpenlinkClick");
}
void TForm1::PopupMenu3Popup()
{
    run("PopupMenu3Popup");
}
void TForm1::Action2Execute()
{
    run("Action2Execute");
}
void TForm1::Timer1Timer()
{
    run("Timer1Timer");
}
