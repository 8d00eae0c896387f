#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>

class QPlainTextEdit;

// The tag list editor "TForm7" ("Tags - Exit with ESC"): the archive's free text about
// what its tag characters stand for, in one editor filling a sizable window. Esc or the
// close box closes it; a changed text is saved only after "Save changes ?" is answered
// Yes. Ctrl+Y deletes the caret's line.
class TagListEditor : public QDialog
{
    Q_OBJECT
public:
    // text: the tag list as loaded; bounds: where the window opens (tagEditorBounds).
    TagListEditor(QWidget *mainWindow, const QString &text, const QRect &bounds,
        const QColor &editColor, const QFont &font);

    // After the window has closed: whether the text is to be saved, the text, and the
    // window's last bounds (the new tagEditorBounds).
    bool saveWanted() const { return m_save; }
    QString text() const;
    QRect bounds() const { return m_bounds; }

    void escape(); // Esc
    void deleteCurrentLine(); // Ctrl+Y
    void markModified();

    QPlainTextEdit *textEdit = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    // Every way of closing comes here: the question when the text was changed, then the
    // bounds kept.
    void done(int result) override;

private:
    QRect m_startBounds;
    QRect m_bounds;
    bool m_modified = false;
    bool m_save = false;
    bool m_closing = false;
};
