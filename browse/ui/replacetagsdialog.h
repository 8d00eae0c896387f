#pragma once

#include "platform/textcodec.h"

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The replace-tags dialog "TForm6" ("Input"): one tag to replace by another, in the current
// folder or in all folders. Both fields take one character, upper case only; an empty
// from-field adds the to-tag, an empty to-field removes the from-tag. It stays on top and
// opens centred over the main window.
class ReplaceTagsDialog : public QDialog
{
    Q_OBJECT
public:
    // from and to (each empty or one character) and whether all folders are meant.
    using Replace = std::function<void(const QString &from, const QString &to, bool allFolders)>;

    // filterTags: the tag filter while it is on, else empty; a tag it uses is refused.
    // replace runs on OK once the tags are accepted; the window then closes. codec: the
    // table's, which says what a tag can be.
    ReplaceTagsDialog(QWidget *mainWindow, const QString &filterTags, Replace replace,
        const TextCodec &codec = TextCodec::windows1252());

    // OK: every "-" taken out of both fields, the tags checked against the filter (the
    // window stays open with a message when one is used), then the replacement.
    void confirm();
    // Cancel: closes without changes.
    void cancel();

    QLineEdit *fromEdit = nullptr; // from
    QLineEdit *toEdit = nullptr; // to
    QCheckBox *allFoldersCheckBox = nullptr; // "all folders ?"
    QPushButton *okButton = nullptr; // "&OK"
    QPushButton *cancelButton = nullptr; // "&Cancel"

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *m_mainWindow;
    QString m_filterTags;
    Replace m_replace;
};
