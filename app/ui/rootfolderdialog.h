#pragma once

#include "app/archivefiles.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;

// The root-folder dialog: asks for the root folder of an archive that has no settings
// file yet. The caller sets the caption and the field's text, runs it modally and reads
// the field afterwards; the result code is 1 only for OK, which is enabled only while the
// field holds text. Any other way out (Cancel, Esc, the close box) gives 0, and the
// caller then ends the program before anything is written.
class RootFolderDialog : public QDialog
{
    Q_OBJECT
public:
    explicit RootFolderDialog(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    // The choices ticked for the archive's catalogue: Unicode texts, files without an
    // extension (both off at first). They matter only where no table exists yet.
    CatalogueChoices choices() const;

    // Picks a folder: given the chooser's caption, its headline and the folder to start
    // from; returns the chosen folder's full path, or an empty text when cancelled. The
    // default shows m_folderDialog; tests replace it.
    using FolderChooser = std::function<QString(
        const QString &caption, const QString &headline, const QString &start)>;
    void setFolderChooser(FolderChooser chooser);

    // Shows the dialog with caption and initialText and returns true with *answer set
    // when it was left through OK (the answer then is never empty) and *choices, when
    // given, set to the ticked choices. This is the root question that opening a new
    // archive asks.
    static bool askRootFolder(const QString &caption, const QString &initialText, QString *answer,
        CatalogueChoices *choices = nullptr, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void centreAndFocus();
    void enableOk(const QString &text);
    void answerOk();
    void answerCancel();
    void browse();
    void makeUsbRoot();

private:
    bool enterMovesToOk(QKeyEvent *event);
    void closeAsCancel();
    QString browseWithDialog(const QString &caption, const QString &headline, const QString &start);

    QLabel *m_promptLabel;
    QLineEdit *m_rootPathEdit;
    QPushButton *m_browseButton;
    QPushButton *m_usbButton;
    QCheckBox *m_unicodeCheckBox;
    QCheckBox *m_extensionlessCheckBox;
    QPushButton *m_okButton;
    QPushButton *m_cancelButton;
    QFileDialog *m_folderDialog = nullptr;
    FolderChooser m_chooser;
};
