#pragma once

#include "dialogs/dialoglayout.h"
#include "dialogs/shareddialog.h"

#include <QDialog>

#include <functional>

class DatePicker;
class QAction;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The shared dialog window. One window is built per call for one request; the wait kinds
// (0 and below) give a window without close box that stays open until its owner closes it.
// Its controls carry the names that the rest of the program and the tests know them by
// ("Label1", "Edit1", "Button1", ...) as object names; the ones the kind doesn't use stay hidden.
class MessageDialog : public QDialog
{
    Q_OBJECT
public:
    // owner: the window to centre over while it is visible (the main window); without one,
    // or while it is hidden, the window is centred on the screen. The owner is also the
    // parent, so that the dialog stays above it.
    MessageDialog(const DialogRequest &request, QWidget *owner);

    bool isWaitWindow() const { return m_waitWindow; }
    // 0 = Esc or close box, 1 = Yes/OK, 2 = No/Cancel.
    int resultCode() const { return m_resultCode; }
    // What the window's answer is made of; meaningful once it has closed.
    DialogOutcome outcome() const;
    // Closes a wait window (which refuses every other way of closing).
    void closeWaitWindow();
    void setProgress(int percent);

    // How a click on the about box's link opens it; the default hands it to the desktop.
    // Tests replace it so that no browser starts.
    using LinkOpener = std::function<void(const QString &)>;
    static void setLinkOpener(LinkOpener opener);

    // The window's handlers, public so that the port and tests can drive them directly.
    void answerEscape();
    void answerEnter();
    void answerYes();
    void answerNo();
    void answerOk();
    void openLink();
    void takePickedDate();
    // Reads a typed date; returns false when it had to be replaced by today's date.
    bool readTypedDate();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createActions();
    void applyKind(const DialogRequest &request);
    void applyFields(const DialogRequest &request);
    void placeControls();
    void centreOver(QWidget *owner);
    void closeWith(int code);
    QWidget *firstFocus() const;

    DialogLayout m_layout;
    int m_kind;
    bool m_waitWindow;
    bool m_closingWait = false;
    bool m_dateRepaired = false;
    bool m_focusOnNo = false;
    bool m_shown = false;
    int m_resultCode = 0;
    QString m_link;

    QLabel *m_messageLabel;
    QLabel *m_linkLabel;
    QLineEdit *m_textEdit;
    QLineEdit *m_dateEdit;
    DatePicker *m_datePicker;
    QPushButton *m_yesButton;
    QPushButton *m_noButton;
    QPushButton *m_okButton;
    QProgressBar *m_progressBar;
    QAction *m_escapeAction;
    QAction *m_enterAction;
};
