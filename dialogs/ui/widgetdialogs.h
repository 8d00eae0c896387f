#pragma once

#include "dialogs/shareddialog.h"

#include <QObject>
#include <QPointer>

class QWidget;
class MessageDialog;

// The dialog port of the running program: every showDialog opens a MessageDialog.
class WidgetDialogPort : public QObject, public DialogPort
{
    Q_OBJECT
public:
    explicit WidgetDialogPort(QWidget *mainWindow, QObject *parent = nullptr);
    // Closes the wait window and, when this port is the one installed, uninstalls it.
    ~WidgetDialogPort() override;

    DialogOutcome showModal(const DialogRequest &request) override;
    void showWait(const DialogRequest &request) override;
    void closeWait() override;
    void setWaitProgress(int percent) override;

    // The wait window while it is shown (the unit's single wait-window slot), else nullptr.
    MessageDialog *waitWindow() const { return m_wait; }

private:
    QWidget *owner() const;

    QPointer<QWidget> m_mainWindow;
    QPointer<MessageDialog> m_wait;
    bool m_cursorSet = false;
};

// Installs the window-based dialogs for the whole program; dialogs are centred over
// mainWindow while it is visible (without one, over the active window or the screen).
// The port belongs to mainWindow (to the application without one) and uninstalls itself
// when it goes.
WidgetDialogPort *installWidgetDialogs(QWidget *mainWindow);
