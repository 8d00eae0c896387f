#include "widgetdialogs.h"

#include "messagedialog.h"

#include <QApplication>

WidgetDialogPort::WidgetDialogPort(QWidget *mainWindow, QObject *parent)
    : QObject(parent)
    , m_mainWindow(mainWindow)
{
}

WidgetDialogPort::~WidgetDialogPort()
{
    if (dialogPort() == this)
        installDialogPort(nullptr);
    // A port owned by the application goes after the application object; by then there
    // is no window and no cursor left to restore.
    if (QCoreApplication::instance())
        closeWait();
}

QWidget *WidgetDialogPort::owner() const
{
    if (m_mainWindow)
        return m_mainWindow;
    return QApplication::activeWindow();
}

DialogOutcome WidgetDialogPort::showModal(const DialogRequest &request)
{
    DialogOutcome outcome;
    {
        MessageDialog form(request, owner());
        form.exec();
        outcome = form.outcome();
    }
    // The window is gone; let the repaint of what it covered happen before the caller
    // goes on with what may be a long command.
    QCoreApplication::processEvents();
    return outcome;
}

void WidgetDialogPort::showWait(const DialogRequest &request)
{
    // One slot: a new wait window takes the place of the one shown.
    closeWait();
    m_wait = new MessageDialog(request, owner());
    m_wait->show();
    if (!m_cursorSet) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_cursorSet = true;
    }
    QCoreApplication::processEvents();
}

void WidgetDialogPort::closeWait()
{
    if (m_wait) {
        m_wait->closeWaitWindow();
        delete m_wait;
    }
    if (m_cursorSet) {
        QApplication::restoreOverrideCursor();
        m_cursorSet = false;
    }
}

void WidgetDialogPort::setWaitProgress(int percent)
{
    if (m_wait)
        m_wait->setProgress(percent);
}

WidgetDialogPort *installWidgetDialogs(QWidget *mainWindow)
{
    QObject *parent = mainWindow ? static_cast<QObject *>(mainWindow) : qApp;
    auto *port = new WidgetDialogPort(mainWindow, parent);
    installDialogPort(port);
    return port;
}
