#pragma once

#include "platform/textcodec.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The move-file window "TForm3": where to move the file named at its top, relative to the
// root folder. It stays on top of the main window without blocking it, so that folders
// can be picked in the tree meanwhile, and lives as long as the main window; it only
// shows and hides. The destination field shows and returns its text in upper case.
//
// Keys: Enter = OK, Esc = Cancel, Shift+Tab = to the main window. The title bar's close
// box only hides the window. Whenever the window is activated the destination field takes
// the focus with its whole text selected. What OK and Cancel do is the owner's: the window
// only says that they were pressed.
class MoveFileWindow : public QDialog
{
    Q_OBJECT
public:
    explicit MoveFileWindow(QWidget *owner);

    void setFileName(const QString &name);
    QString fileName() const;
    // The upper-casing of the catalogue whose file is moved (Windows-1252 until set).
    void setCodec(const TextCodec &codec);
    void setDestination(const QString &folderPath);
    QString destination() const;
    // Centred over the owner while it is visible (the halves truncated toward zero).
    void centreOverOwner();

    // The window's handlers.
    void confirm();
    void cancel();
    void toMainWindow();

signals:
    void okPressed();
    void cancelPressed();
    void mainWindowWanted();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();

    QLabel *m_fileNameLabel = nullptr;
    QLineEdit *m_destinationEdit = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    const TextCodec *m_codec = &TextCodec::windows1252();
};
